#include "ui/qt/accessibility.h"

#include "ui/qt/controls.h"
#include "ui/qt/ftarvel_window.h"
#include "ui/qt/message_line.h"

#include <QAccessible>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWindow>

#include <algorithm>
#include <memory>

#ifdef TARVEL_ATSPI
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#endif
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

// Where a unit list's rows are drawn: its drop-down list, open or closed.
QAbstractItemView* rowsOf(const QComboBox* list) { return list->view(); }

// One unit of a unit list, as a row of its drop-down list. The toolkit's own rows in Qt 6.4
// give extents wider than the list, claim to be showing while the list is closed, and offer
// a toggle that marks a row in the list without choosing it. These are drawn where the row
// is seen, shown only while the list is open, and chosen by their action; while the list is
// closed, the chosen row is what the list moves the reader's focus to as the choice changes.
class UnitRowAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    UnitRowAccessible(QComboBox* list, int row) : list_(list), row_(row) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    bool isValid() const override { return list_ && row_ < list_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return list_ ? rowsOf(list_)->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return list_ ? QAccessible::queryAccessibleInterface(rowsOf(list_)) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? list_->itemText(row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    // The part of the row the open list shows, on the screen.
    QRect rect() const override {
        if (!isValid() || !rowsOf(list_)->isVisible()) {
            return {};
        }
        const QAbstractItemView* view = rowsOf(list_);
        const QRect seen =
            view->visualRect(view->model()->index(row_, list_->modelColumn(), view->rootIndex())) &
            view->viewport()->rect();
        return seen.isEmpty() ? QRect() : seen.translated(view->viewport()->mapToGlobal(QPoint()));
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            return state;
        }
        const QAbstractItemView* view = rowsOf(list_);
        state.selectable = true;
        state.focusable = true;
        state.invisible = rect().isEmpty();
        // Open, the highlighted row; closed, the chosen one.
        const bool current = view->isVisible() ? view->currentIndex().row() == row_
                                               : list_->currentIndex() == row_;
        state.selected = current;
        state.focused = current && (view->isVisible() ? view->hasFocus() : list_->hasFocus());
        return state;
    }

    // Pressed or toggled, the row's unit is chosen and the list closes, as a click does.
    QStringList actionNames() const override { return {pressAction(), toggleAction()}; }
    void doAction(const QString& action) override {
        if (isValid() && actionNames().contains(action)) {
            list_->hidePopup();
            list_->setCurrentIndex(row_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QComboBox> list_;
    int row_;
};

// A unit list's drop-down list: its rows are the units. It is the unit list's one child and
// has the open list's extents, as the toolkit's own has.
class UnitRowsAccessible final : public QAccessibleWidget {
public:
    UnitRowsAccessible(QAbstractItemView* view, QComboBox* list)
        : QAccessibleWidget(view, QAccessible::List), list_(list) {}
    ~UnitRowsAccessible() override {
        for (const auto& row : rows_) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(row));
        }
    }
    UnitRowsAccessible(const UnitRowsAccessible&) = delete;
    UnitRowsAccessible& operator=(const UnitRowsAccessible&) = delete;

    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list_.data());
    }
    int childCount() const override { return list_ ? list_->count() : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        while (static_cast<int>(rows_.size()) <= index) {
            auto* row = new UnitRowAccessible(list_, static_cast<int>(rows_.size()));
            QAccessible::registerAccessibleInterface(row);
            rows_.push_back(row);
        }
        return rows_[static_cast<std::size_t>(index)];
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto found = std::find(rows_.begin(), rows_.end(), child);
        return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i) {
            if (child(i)->rect().contains(x, y)) {
                return child(i);
            }
        }
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const int row = static_cast<QAbstractItemView*>(widget())->currentIndex().row();
        return row < 0 ? nullptr : child(row);
    }

private:
    QPointer<QComboBox> list_;
    mutable std::vector<UnitRowAccessible*> rows_;  // owned by the accessibility cache
};

// A unit list: a drop-down list whose one child is its list of units, and whose text is the
// chosen unit, which is what a reader says for a drop-down list when it takes the focus.
class UnitListAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit UnitListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                               : QAccessibleWidget::interface_cast(t);
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(rowsOf(list())) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == rowsOf(list()) ? 0 : -1;
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
        state.expanded = rowsOf(list())->isVisible();
        // Open, the list still has the keyboard, through its rows.
        state.focused = state.focused || (state.expanded && rowsOf(list())->hasFocus());
        return state;
    }
    QStringList actionNames() const override {
        return {showMenuAction(), pressAction(), setFocusAction()};
    }
    // Opens the list, or closes it when open, as a click on the box does.
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction()) {
            QAccessibleWidget::doAction(action);
        } else if (rowsOf(list())->isVisible()) {
            list()->hidePopup();
        } else {
            list()->showPopup();
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
    // A unit list's drop-down list, of whatever class the toolkit makes it.
    if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->parent()) {
        auto* list = qobject_cast<UnitList*>(view->parent()->parent());
        if (list != nullptr && rowsOf(list) == view) {
            return new UnitRowsAccessible(view, list);
        }
    }
    if (is<ValueBox>(className)) {
        return new ValueBoxAccessible(static_cast<ValueBox*>(widget));
    }
    if (is<MessageLine>(className)) {
        return new MessageLineAccessible(widget);
    }
    return nullptr;
}

#ifdef TARVEL_ATSPI
// Qt 6.4's bridge to AT-SPI forwards a change of the checked, active and enabled states only,
// so a screen reader never learns that a drop-down list opened or closed. The event is sent
// here as the bridge sends the others: on its own connection to the accessibility bus, from
// the object's path, with the application's reference. Without that connection (no bus, or
// a Qt that names it otherwise) nothing is sent.
struct AtSpiReference {
    QString service;
    QDBusObjectPath path;
};

QDBusArgument& operator<<(QDBusArgument& out, const AtSpiReference& reference) {
    out.beginStructure();
    out << reference.service << reference.path;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, AtSpiReference& reference) {
    in.beginStructure();
    in >> reference.service >> reference.path;
    in.endStructure();
    return in;
}
#endif

}  // namespace

void announceExpanded(QWidget* list, bool expanded) {
#ifdef TARVEL_ATSPI
    QAccessibleInterface* iface =
        QAccessible::isActive() ? QAccessible::queryAccessibleInterface(list) : nullptr;
    const QDBusConnection bus(QStringLiteral("a11y"));
    if (iface == nullptr || !bus.isConnected()) {
        return;
    }
    static const QMetaType registered = qDBusRegisterMetaType<AtSpiReference>();
    (void)registered;
    const QString objects = QStringLiteral("/org/a11y/atspi/accessible/");
    QDBusMessage event = QDBusMessage::createSignal(
        objects + QString::number(QAccessible::uniqueId(iface)),
        QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("StateChanged"));
    event << QStringLiteral("expanded") << (expanded ? 1 : 0) << 0
          << QVariant::fromValue(QDBusVariant(0))
          << QVariant::fromValue(AtSpiReference{bus.baseService(),
                                                QDBusObjectPath(objects + QStringLiteral("root"))});
    bus.send(event);
#else
    (void)list;
    (void)expanded;
#endif
}

void registerAccessibility() {
    static const bool registered = [] {
        QAccessible::installFactory(describe);
        return true;
    }();
    (void)registered;
}

}  // namespace tarvel::ui
