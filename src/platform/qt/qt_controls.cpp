#include "platform/qt/qt_controls.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

// ---- ListWidgetAccess ------------------------------------------------------------------

ListWidgetAccess::ListWidgetAccess(QListWidget& list) : list_(&list) {
    changed_ = QObject::connect(&list, &QListWidget::currentRowChanged, &list, [this](int) {
        if (click_) {
            click_();
        }
    });
}

ListWidgetAccess::~ListWidgetAccess() { QObject::disconnect(changed_); }

void ListWidgetAccess::clear() {
    if (!list_) {
        return;
    }
    // clear() with a current row reports the row going to -1: not a click.
    const QSignalBlocker quiet(list_.data());
    list_->clear();
}

void ListWidgetAccess::append(std::string_view item) {
    if (!list_) {
        return;
    }
    const QSignalBlocker quiet(list_.data());
    const int before = list_->currentRow();
    list_->addItem(toQString(item));
    if (list_->currentRow() != before) {
        list_->setCurrentRow(before);
    }
}

int ListWidgetAccess::selectedIndex() const { return list_ ? list_->currentRow() : -1; }

void ListWidgetAccess::setSelectedIndex(int index) {
    if (!list_) {
        return;
    }
    index = normalised(index, list_->count());
    if (index != list_->currentRow()) {
        list_->setCurrentRow(index);  // currentRowChanged runs the click handler now
    }
}

// ---- ComboBoxAccess --------------------------------------------------------------------

ComboBoxAccess::ComboBoxAccess(QComboBox& combo) : combo_(&combo) {
    changed_ = QObject::connect(&combo, &QComboBox::currentIndexChanged, &combo, [this](int) {
        if (click_) {
            click_();
        }
    });
}

ComboBoxAccess::~ComboBoxAccess() { QObject::disconnect(changed_); }

void ComboBoxAccess::clear() {
    if (!combo_) {
        return;
    }
    // clear() reports the index going to -1: not a click.
    const QSignalBlocker quiet(combo_.data());
    combo_->clear();
}

void ComboBoxAccess::append(std::string_view item) {
    if (!combo_) {
        return;
    }
    // The first item added to an empty combo box becomes its current one; a list that had
    // no selection keeps none, and nobody hears of it.
    const QSignalBlocker quiet(combo_.data());
    const int before = combo_->currentIndex();
    combo_->addItem(toQString(item));
    if (combo_->currentIndex() != before) {
        combo_->setCurrentIndex(before);
    }
}

int ComboBoxAccess::selectedIndex() const { return combo_ ? combo_->currentIndex() : -1; }

void ComboBoxAccess::setSelectedIndex(int index) {
    if (!combo_) {
        return;
    }
    index = normalised(index, combo_->count());
    if (index != combo_->currentIndex()) {
        combo_->setCurrentIndex(index);  // currentIndexChanged runs the click handler now
    }
}

// ---- LineEditAccess --------------------------------------------------------------------

LineEditAccess::LineEditAccess(QLineEdit& box) : box_(&box) {
    // An input method would deliver text past the key filter.
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
    }
}

bool LineEditAccess::KeyFilter::eventFilter(QObject* watched, QEvent* event) {
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
