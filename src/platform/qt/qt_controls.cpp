#include "platform/qt/qt_controls.h"

#include <QComboBox>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QString>

#include <optional>

namespace tarvel::platform {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Anything outside the items means no selection, as in the window-less list.
int normalised(int index, int count) { return index >= 0 && index < count ? index : -1; }

// The character a key hands to the key-press handler, or nothing for a key that must keep
// its own effect. Tab carries "\t" and Delete may carry DEL on X11, yet one moves the focus
// and the other edits, so neither is a typed character. Control plus a letter is its control
// code (Ctrl+V is 22) whether the event's text holds that code, as on X11, or the plain
// letter, as in synthesised events.
std::optional<char16_t> typedCode(const QKeyEvent& key) {
    const int k = key.key();
    if (k == Qt::Key_Tab || k == Qt::Key_Backtab || k == Qt::Key_Delete) {
        return std::nullopt;
    }
    if (key.modifiers().testFlag(Qt::ControlModifier) && k >= Qt::Key_A && k <= Qt::Key_Z) {
        return static_cast<char16_t>(k - Qt::Key_A + 1);
    }
    const QString text = key.text();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text.front().unicode();
}

}  // namespace

// ---- ItemListAccess --------------------------------------------------------------------

namespace {

// Where a list box and a drop-down list name the same thing differently.
int currentOf(const QListWidget& list) { return list.currentRow(); }
int currentOf(const QComboBox& combo) { return combo.currentIndex(); }
void setCurrentOf(QListWidget& list, int index) { list.setCurrentRow(index); }
void setCurrentOf(QComboBox& combo, int index) { combo.setCurrentIndex(index); }
constexpr auto changedSignal(const QListWidget*) { return &QListWidget::currentRowChanged; }
constexpr auto changedSignal(const QComboBox*) { return &QComboBox::currentIndexChanged; }

}  // namespace

template <class Widget>
ItemListAccess<Widget>::ItemListAccess(Widget& widget) : widget_(&widget) {
    changed_ = QObject::connect(&widget, changedSignal(&widget), &widget, [this](int) {
        if (click_) {
            click_();
        }
    });
}

template <class Widget>
ItemListAccess<Widget>::~ItemListAccess() {
    QObject::disconnect(changed_);
}

template <class Widget>
void ItemListAccess<Widget>::clear() {
    if (!widget_) {
        return;
    }
    // Clearing reports the index going to -1: not a click.
    const QSignalBlocker quiet(widget_.data());
    widget_->clear();
}

template <class Widget>
void ItemListAccess<Widget>::append(std::string_view item) {
    if (!widget_) {
        return;
    }
    // The first item added to an empty combo box becomes its current one; a list that had
    // no selection keeps none, and nobody hears of it.
    const QSignalBlocker quiet(widget_.data());
    const int before = currentOf(*widget_);
    widget_->addItem(toQString(item));
    if (currentOf(*widget_) != before) {
        setCurrentOf(*widget_, before);
    }
}

template <class Widget>
int ItemListAccess<Widget>::selectedIndex() const {
    return widget_ ? currentOf(*widget_) : -1;
}

template <class Widget>
void ItemListAccess<Widget>::setSelectedIndex(int index) {
    if (!widget_) {
        return;
    }
    index = normalised(index, widget_->count());
    if (index != currentOf(*widget_)) {
        setCurrentOf(*widget_, index);  // the changed signal runs the click handler now
    }
}

template class ItemListAccess<QListWidget>;
template class ItemListAccess<QComboBox>;

// ---- LineEditAccess --------------------------------------------------------------------

LineEditAccess::LineEditAccess(QLineEdit& box) : box_(&box) {
    // An input method would deliver text past the key filter (see KeyFilter too).
    box.setAttribute(Qt::WA_InputMethodEnabled, false);
    box.installEventFilter(&filter_);
    changed_ = QObject::connect(&box, &QLineEdit::textChanged, &box, [this](const QString&) {
        if (change_) {
            change_();
        }
    });
}

LineEditAccess::~LineEditAccess() {
    QObject::disconnect(changed_);
    if (box_) {
        box_->removeEventFilter(&filter_);
    }
}

std::string LineEditAccess::text() const { return box_ ? box_->text().toStdString() : std::string{}; }

void LineEditAccess::setText(std::string_view text) {
    if (!box_) {
        return;
    }
    const QString wanted = toQString(text);
    if (wanted != box_->text()) {
        box_->setText(wanted);  // textChanged runs the change handler now
        // Shown from its first character, as a native box shows a text set into it: a number
        // wider than the box is cut at the right, never losing its leading digits from view.
        if (box_) {
            box_->setCursorPosition(0);
        }
    }
}

bool LineEditAccess::KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    // An input method would hand its text to the box past every key. The widget attribute
    // alone does not turn one away: a text box still answers that it accepts one, and that
    // answer is what the input method asks for.
    if (event->type() == QEvent::InputMethodQuery) {
        auto* query = static_cast<QInputMethodQueryEvent*>(event);
        if (query->queries() == Qt::ImEnabled) {
            query->setValue(Qt::ImEnabled, false);
            query->accept();
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress || !owner_.keyPress_) {
        return QObject::eventFilter(watched, event);
    }
    const std::optional<char16_t> typed = typedCode(static_cast<const QKeyEvent&>(*event));
    if (!typed) {
        return false;
    }
    char16_t code = *typed;
    owner_.keyPress_(code);
    if (code == *typed) {
        return false;  // the box handles the key itself
    }
    if (code != 0 && owner_.box_) {
        owner_.box_->insert(QString(QChar(code)));
    }
    return true;
}

// ---- LabelAccess -----------------------------------------------------------------------

PushButtonAccess::PushButtonAccess(QPushButton& button)
    : clicked_(QObject::connect(&button, &QPushButton::clicked, [this] { pressed(); })) {}

PushButtonAccess::~PushButtonAccess() { QObject::disconnect(clicked_); }

LabelAccess::LabelAccess(QLabel& label) : label_(&label) { label.setTextFormat(Qt::PlainText); }

std::string LabelAccess::caption() const {
    return label_ ? label_->text().toStdString() : std::string{};
}

void LabelAccess::setCaption(std::string_view caption) {
    if (label_) {
        label_->setText(toQString(caption));
    }
}

}  // namespace tarvel::platform
