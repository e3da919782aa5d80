#include "ui/qt/message_line.h"

#include <QAccessible>
#include <QAccessibleEvent>
#include <QMetaObject>

namespace tarvel::ui {

MessageLineAccess::MessageLineAccess(MessageLine& line) : LabelAccess(line), line_(&line) {}

void MessageLineAccess::setCaption(std::string_view caption) {
    LabelAccess::setCaption(caption);
    // Nothing to look at later while the line shows what stood last; most computations write
    // the empty line over the empty line.
    if (pending_ || !line_ || line_->text() == settled_) {
        return;
    }
    // Runs once the event that wrote the message has been handled.
    pending_ = true;
    QMetaObject::invokeMethod(&queue_, [this] { settle(); }, Qt::QueuedConnection);
}

void MessageLineAccess::settle() {
    pending_ = false;
    if (!line_ || line_->text() == settled_) {
        return;
    }
    settled_ = line_->text();
    if (!settled_.isEmpty()) {
        // A notification reported as shown is what makes a reader speak it.
        QAccessibleEvent shown(line_.data(), QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
}

}  // namespace tarvel::ui
