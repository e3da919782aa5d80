#include "ui/qt/message_line.h"

#include <QAccessible>
#include <QAccessibleEvent>
#include <QMetaObject>

#include <utility>

namespace tarvel::ui {

bool MessageLineFace::afterEvent(platform::Handler job) {
    return QMetaObject::invokeMethod(&queue_, std::move(job), Qt::QueuedConnection);
}

void MessageLineFace::announce(std::string_view text) {
    if (!text.empty() && line_) {
        // A notification reported as shown is what makes a reader speak it.
        QAccessibleEvent shown(line_.data(), QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
}

}  // namespace tarvel::ui
