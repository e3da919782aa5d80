#include "ui/qt/controls.h"

#include "ui/layout.h"
#include "ui/qt/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace tarvel::ui {
namespace {

// Tells assistive technology that the keyboard now works on one row of a list: screen
// readers speak the row. Queued, so that it follows the event the toolkit itself sends for
// the list taking the focus, and is not overtaken by it. `rows` holds the rows of `list`: the
// list itself, or a drop-down list's own list.
void presentItemLater(QWidget* list, QAbstractItemView* rows, int row) {
    if (!QAccessible::isActive() || row < 0) {
        return;
    }
    QTimer::singleShot(0, list, [list, rows, row] {
        if (!list->hasFocus() || row >= rows->model()->rowCount(rows->rootIndex())) {
            return;
        }
        QAccessibleEvent focus(rows, QAccessible::Focus);
        focus.setChild(row);
        QAccessible::updateAccessibility(&focus);
    });
}

// Tells assistive technology that the keyboard works on this control, as when it takes the
// focus: screen readers present it again, in its present state.
void presentNow(QWidget* control) {
    if (QAccessible::isActive()) {
        QAccessibleEvent focus(control, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

}  // namespace

// ---- CategoryList --------------------------------------------------------------------------

// The list always has a selection: the converter reads its current row, and a row shown as
// unselected while it is in force would mislead. Ctrl+click and Ctrl+Space, which would
// deselect the row in a single-selection list, do nothing here.
QItemSelectionModel::SelectionFlags CategoryList::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command =
        QListWidget::selectionCommand(index, event);
    if (command.testFlag(QItemSelectionModel::Deselect) ||
        command.testFlag(QItemSelectionModel::Toggle) || !index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    return command;
}

void CategoryList::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    presentItemLater(this, this, currentRow());
}

void CategoryList::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    // The style's own focus mark is drawn in the highlight colour and all but vanishes on the
    // dark red; a white frame round the current row shows where the keyboard is.
    if (!hasFocus() || currentItem() == nullptr) {
        return;
    }
    QPainter painter(viewport());
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(visualItemRect(currentItem()).adjusted(0, 0, -1, -1));
}

// ---- UnitList ------------------------------------------------------------------------------

UnitList::UnitList(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (hasFocus() && !closing_) {
            presentItemLater(this, view(), row);
        }
    });
}

// Opened or closed, the list is said to have expanded or collapsed, and is then presented
// again as a whole, now with its new state and unit. A reader takes the state change only
// from the control that has the focus: the list itself, not the row it was on.
void UnitList::showPopup() {
    QComboBox::showPopup();
    announceExpanded(this, true);
    presentNow(this);
}

void UnitList::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    if (event->reason() == Qt::PopupFocusReason) {  // back from its open list, however closed
        announceExpanded(this, false);
        presentNow(this);
        // The unit chosen in the list comes just after; the list just presented says it.
        closing_ = true;
        QTimer::singleShot(0, this, [this] { closing_ = false; });
    } else {
        presentItemLater(this, view(), currentIndex());
    }
}

// ---- ValueBox ------------------------------------------------------------------------------

QRect ValueBox::characterRect(int offset) const {
    const QString shown = text();
    if (offset < 0 || offset >= shown.size()) {
        return {};
    }
    // The caret is the one place whose position the box tells; the text's origin, scrolled
    // or not, follows from it.
    const QFontMetrics metrics = fontMetrics();
    const QRect caret = cursorRect();
    const int origin = caret.center().x() - metrics.horizontalAdvance(shown.left(cursorPosition()));
    return {origin + metrics.horizontalAdvance(shown.left(offset)), caret.top(),
            metrics.horizontalAdvance(shown.at(offset)), caret.height()};
}

void ValueBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);  // keeps triple click and word-wise drag
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QString shown = text();
    const int at = cursorPositionAt(event->position().toPoint());
    // The character under the pointer, or the one before it at the end of the text.
    qsizetype start = at < shown.size() ? at : at - 1;
    if (start < 0 || !layout::partOfNumber(shown[start].unicode())) {
        return;
    }
    qsizetype end = start + 1;
    while (start > 0 && layout::partOfNumber(shown[start - 1].unicode())) {
        --start;
    }
    while (end < shown.size() && layout::partOfNumber(shown[end].unicode())) {
        ++end;
    }
    // Selected from its end back to its start, so that the caret, and with it the view, stands
    // at the first digit: a long number keeps its leading digits in sight.
    setSelection(static_cast<int>(end), static_cast<int>(start - end));
}

}  // namespace tarvel::ui
