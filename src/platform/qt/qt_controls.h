// Control access over real Qt widgets, keeping the event rule of platform/controls.h.
//
// An adapter does not own its widget: the window does. Destroying an adapter disconnects
// it from the widget, so nothing it wired runs while the window is taken apart.
#pragma once

#include "platform/controls.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <string>
#include <string_view>

class QComboBox;
class QEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tarvel::platform {

/// A list box (QListWidget: the selected index is the current row) or a drop-down list
/// (QComboBox: the current index). Both are instantiated in qt_controls.cpp.
template <class Widget>
class ItemListAccess : public ListAccess {
public:
    explicit ItemListAccess(Widget& widget);
    ~ItemListAccess() override;
    ItemListAccess(const ItemListAccess&) = delete;
    ItemListAccess& operator=(const ItemListAccess&) = delete;

    void clear() override;
    void append(std::string_view item) override;
    [[nodiscard]] int selectedIndex() const override;
    void setSelectedIndex(int index) override;
    void setClickHandler(Handler handler) override { click_ = std::move(handler); }

private:
    QPointer<Widget> widget_;
    QMetaObject::Connection changed_;
    Handler click_;
};

extern template class ItemListAccess<QListWidget>;
extern template class ItemListAccess<QComboBox>;
using ListWidgetAccess = ItemListAccess<QListWidget>;
using ComboBoxAccess = ItemListAccess<QComboBox>;

/// A single-line text box. Every key that carries a character passes through the key-press
/// handler before the box sees it; keys without one (arrows, Home, End, Delete, Tab) do not.
class LineEditAccess : public TextAccess {
public:
    explicit LineEditAccess(QLineEdit& box);
    ~LineEditAccess() override;
    LineEditAccess(const LineEditAccess&) = delete;
    LineEditAccess& operator=(const LineEditAccess&) = delete;

    [[nodiscard]] std::string text() const override;
    void setText(std::string_view text) override;
    void setChangeHandler(Handler handler) override { change_ = std::move(handler); }
    void setKeyPressHandler(KeyHandler handler) override { keyPress_ = std::move(handler); }

private:
    /// Hands the box's character keys to the key-press handler.
    class KeyFilter final : public QObject {
    public:
        explicit KeyFilter(LineEditAccess& owner) : owner_(owner) {}
        bool eventFilter(QObject* watched, QEvent* event) override;

    private:
        LineEditAccess& owner_;
    };

    QPointer<QLineEdit> box_;
    KeyFilter filter_{*this};
    QMetaObject::Connection changed_;
    Handler change_;
    KeyHandler keyPress_;
};

/// A push button; the click handler runs when the user presses it.
class PushButtonAccess : public PressedButton {
public:
    explicit PushButtonAccess(QPushButton& button);
    ~PushButtonAccess() override;
    PushButtonAccess(const PushButtonAccess&) = delete;
    PushButtonAccess& operator=(const PushButtonAccess&) = delete;

private:
    QMetaObject::Connection clicked_;
};

/// A label.
class LabelAccess : public CaptionAccess {
public:
    explicit LabelAccess(QLabel& label);

    [[nodiscard]] std::string caption() const override;
    void setCaption(std::string_view caption) override;

private:
    QPointer<QLabel> label_;
};

}  // namespace tarvel::platform
