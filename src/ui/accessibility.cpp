#include "ui/accessibility.h"

#include "ui/controls.h"
#include "ui/ftarvel_window.h"
#include "ui/message_line.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWindow>

#include <memory>
#include <vector>

namespace tarvel::ui {
namespace {

// ---- The window -----------------------------------------------------------------------------

// A plain top-level widget reaches screen readers as a filler with no title to read.
class WindowAccessible final : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}
};

// ---- The unit lists -------------------------------------------------------------------------

// One unit of a unit list. The toolkit's drop-down list here has no item a reader can be
// sent to while it is closed, and no way to report its choice that Orca hears; these items
// are what the list moves the reader's focus to as the choice changes.
class UnitItemAccessible final : public QAccessibleInterface {
public:
    UnitItemAccessible(QComboBox* list, int row) : list_(list), row_(row) {}

    bool isValid() const override { return list_ && row_ < list_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return list_ ? list_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? list_->itemText(row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    // The closed list shows only its chosen unit, in the whole box.
    QRect rect() const override {
        if (!isValid() || row_ != list_->currentIndex()) {
            return {};
        }
        return {list_->mapToGlobal(QPoint(0, 0)), list_->size()};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            return state;
        }
        const bool chosen = row_ == list_->currentIndex();
        state.selectable = true;
        state.focusable = true;
        state.selected = chosen;
        state.focused = chosen && list_->hasFocus();
        state.invisible = !chosen && !list_->view()->isVisible();
        return state;
    }

private:
    QPointer<QComboBox> list_;
    int row_;
};

// A unit list: its items are its units, and its text is the chosen unit, which is what a
// reader says for a drop-down list when it takes the focus.
class UnitListAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit UnitListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}
    ~UnitListAccessible() override {
        for (const auto& item : items_) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
        }
    }
    UnitListAccessible(const UnitListAccessible&) = delete;
    UnitListAccessible& operator=(const UnitListAccessible&) = delete;

    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                               : QAccessibleWidget::interface_cast(t);
    }

    int childCount() const override { return list()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= list()->count()) {
            return nullptr;
        }
        while (static_cast<int>(items_.size()) <= index) {
            auto* item = new UnitItemAccessible(list(), static_cast<int>(items_.size()));
            QAccessible::registerAccessibleInterface(item);
            items_.push_back(item);
        }
        return items_[static_cast<std::size_t>(index)];
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i] == child) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    // Named by its label as the toolkit does on each desktop: on Linux through the label's
    // relation, the name being the chosen unit; elsewhere by its accessible name.
    QString text(QAccessible::Text t) const override {
#ifdef Q_OS_UNIX
        if (t == QAccessible::Name) {
            return list()->currentText();
        }
#endif
        if (t == QAccessible::Value) {
            return list()->currentText();
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = list()->view()->isVisible();
        return state;
    }
    QStringList actionNames() const override {
        return {showMenuAction(), pressAction(), setFocusAction()};
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            list()->showPopup();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

    // Read-only text: the chosen unit.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override {
        return list()->currentText().mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(list()->currentText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QComboBox* list() const { return static_cast<QComboBox*>(widget()); }

    mutable std::vector<UnitItemAccessible*> items_;  // owned by the accessibility cache
};

// ---- The value boxes -----------------------------------------------------------------------

// A value box as the toolkit presents a text box, but for one thing: the toolkit reports no
// text attributes as an empty run at each offset, and Orca, joining those runs into the text
// it reads, drops the last character ("1,0" is read "1,"). Here one run spans the whole text.
class ValueBoxAccessible final : public QAccessibleWidget,
                                 public QAccessibleTextInterface,
                                 public QAccessibleEditableTextInterface {
public:
    explicit ValueBoxAccessible(ValueBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        if (t == QAccessible::EditableTextInterface) {
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value && !box()->text().isEmpty()) {
            return box()->text();
        }
        return QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Value) {
            box()->setText(text);  // checked like a paste: the form reads it as a number or not
        } else {
            QAccessibleWidget::setText(t, text);
        }
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.selectableText = true;
        return state;
    }

    // Text
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && box()->hasSelectedText()) {
            *start = box()->selectionStart();
            *end = box()->selectionEnd();
        }
    }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0) {
            box()->deselect();
        }
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0) {
            box()->setSelection(start, end - start);
        }
    }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int start, int end) const override { return box()->text().mid(start, end - start); }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                         int* end) const override {
        return QAccessibleTextInterface::textAtOffset(offset == -2 ? cursorPosition() : offset,
                                                      boundary, start, end);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                             int* end) const override {
        return QAccessibleTextInterface::textBeforeOffset(
            offset == -2 ? cursorPosition() : offset, boundary, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                            int* end) const override {
        return QAccessibleTextInterface::textAfterOffset(offset == -2 ? cursorPosition() : offset,
                                                         boundary, start, end);
    }
    int characterCount() const override { return static_cast<int>(box()->text().size()); }
    QRect characterRect(int offset) const override {
        const QRect local = box()->characterRect(offset);
        return local.isNull() ? QRect() : local.translated(box()->mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = box()->mapFromGlobal(point);
        return box()->rect().contains(local) ? box()->cursorPositionAt(local) : -1;
    }
    void scrollToSubstring(int start, int end) override {
        box()->setCursorPosition(end);
        box()->setCursorPosition(start);
    }
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    // Editable text: what a reader's user types or pastes through it goes in as a paste would.
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        box()->setText(box()->text().replace(start, end - start, text));
    }

private:
    ValueBox* box() const { return static_cast<ValueBox*>(widget()); }
};

// ---- The message line -----------------------------------------------------------------------

// A notification whose name is the text on show. Left a plain label, the line would change
// its name unheard: screen readers such as Orca speak a name change only for the control
// that has the focus, while a notification is spoken whenever it is shown.
class MessageLineAccessible final : public QAccessibleWidget {
public:
    explicit MessageLineAccessible(QWidget* line)
        : QAccessibleWidget(line, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return static_cast<const QLabel*>(widget())->text();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }
};

template <class Widget>
bool is(const QString& className) {
    return className == QLatin1String(Widget::staticMetaObject.className());
}

QAccessibleInterface* describe(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (is<fTarvelWindow>(className)) {
        return new WindowAccessible(widget);
    }
    if (is<UnitList>(className)) {
        return new UnitListAccessible(static_cast<QComboBox*>(widget));
    }
    if (is<ValueBox>(className)) {
        return new ValueBoxAccessible(static_cast<ValueBox*>(widget));
    }
    if (is<MessageLine>(className)) {
        return new MessageLineAccessible(widget);
    }
    return nullptr;
}

}  // namespace

void registerAccessibility() {
    static const bool registered = [] {
        QAccessible::installFactory(describe);
        return true;
    }();
    (void)registered;
}

}  // namespace tarvel::ui
