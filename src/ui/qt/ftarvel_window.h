// The converter's window: its controls, their look and places, and the form that runs them.
#pragma once

#include "ui/layout.h"

#include <QImage>
#include <QSize>
#include <QWidget>

#include <memory>

class QApplication;
class QCloseEvent;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPaintEvent;
class QPushButton;

namespace tarvel::core {
class fTarvel;
}

namespace tarvel::platform {
template <class Widget>
class ItemListAccess;
using ListWidgetAccess = ItemListAccess<QListWidget>;
using ComboBoxAccess = ItemListAccess<QComboBox>;
class LineEditAccess;
class PushButtonAccess;
template <class Face>
struct FacedMessageLine;
class Runtime;
}  // namespace tarvel::platform

namespace tarvel::ui {

class MessageLineFace;

/// Names the program and its version, gives it its icon and puts the toolkit's own texts (the
/// text boxes' context menu, ...) into Spanish. Call it before the window is built.
void prepareApplication(QApplication& app);

/// The one window of the program. Its controls are children named after their role in the
/// form (`List1`, `Combo1`, `Combo2`, `UA`, `UB`, `Label1`, `Label2`, `Command1`).
///
/// Constructing the window builds the controls and then the form, whose start-up sequence
/// fills them before the window is first shown. Closing the window or pressing "Cerrar"
/// ends the program through the runtime.
class fTarvelWindow : public QWidget {
    Q_OBJECT

public:
    /// Fixed client size: tall enough to show the message line under the button.
    static constexpr QSize kClientSize{layout::kClientWidth, layout::kClientHeight};

    explicit fTarvelWindow(platform::Runtime& runtime, QWidget* parent = nullptr);
    ~fTarvelWindow() override;
    fTarvelWindow(const fTarvelWindow&) = delete;
    fTarvelWindow& operator=(const fTarvelWindow&) = delete;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();

    platform::Runtime& runtime_;
    QImage banner_;  ///< rows bottom-up, see paintEvent

    // Owned by the window as its children; created in this order.
    QPushButton* Command1 = nullptr;
    QListWidget* List1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLineEdit* UB = nullptr;
    QLineEdit* UA = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;

    // Declared in the order they are built; destroyed in reverse, the form first.
    std::unique_ptr<platform::ListWidgetAccess> list1_;
    std::unique_ptr<platform::ComboBoxAccess> combo1_;
    std::unique_ptr<platform::ComboBoxAccess> combo2_;
    std::unique_ptr<platform::LineEditAccess> ua_;
    std::unique_ptr<platform::LineEditAccess> ub_;
    std::unique_ptr<platform::FacedMessageLine<MessageLineFace>> label1_;
    std::unique_ptr<platform::PushButtonAccess> command1_;
    std::unique_ptr<core::fTarvel> form_;
};

}  // namespace tarvel::ui
