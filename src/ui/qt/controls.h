// The window's own kinds of control: Qt's list box, drop-down list and text box with the few
// habits this window needs that the toolkit does not have.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace tarvel::ui {

/// The category list. It always has a selection, and a screen reader hears the chosen
/// category when the list takes the focus, not only when the choice moves.
class CategoryList final : public QListWidget {
    Q_OBJECT

public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

/// A unit list: a drop-down list whose chosen unit a screen reader hears on focus and on
/// every change, and whose opening and closing it hears too (see accessibility.h).
class UnitList final : public QComboBox {
    Q_OBJECT

public:
    explicit UnitList(QWidget* parent = nullptr);
    void showPopup() override;

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    bool closing_ = false;  // the open list is closing
};

/// A value box. A double click selects the whole number under the pointer (sign, digits and
/// separators), the way a native text box treats a number as one word.
class ValueBox final : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    /// Where the character at `offset` is drawn, in the box's coordinates (for screen
    /// magnifiers and readers); empty outside the text.
    [[nodiscard]] QRect characterRect(int offset) const;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace tarvel::ui
