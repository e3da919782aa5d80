#include "ui/message_line.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>

namespace tarvel::ui {
namespace {

// A notification whose name is the text on show. Left a plain label, the line would change
// its name unheard: screen readers such as Orca speak a name change only for the control
// that has the focus, while a notification is spoken whenever it is shown.
class MessageLineAccessible final : public QAccessibleWidget {
public:
    explicit MessageLineAccessible(MessageLine* line)
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

QAccessibleInterface* messageLineInterface(const QString& className, QObject* object) {
    if (className == QLatin1String(MessageLine::staticMetaObject.className()) &&
        object != nullptr && object->isWidgetType()) {
        return new MessageLineAccessible(static_cast<MessageLine*>(object));
    }
    return nullptr;
}

}  // namespace

void MessageLine::registerAccessibility() {
    static const bool registered = [] {
        QAccessible::installFactory(messageLineInterface);
        return true;
    }();
    (void)registered;
}

MessageLine::MessageLine(QWidget* parent) : QLabel(parent) { registerAccessibility(); }

MessageLineAccess::MessageLineAccess(MessageLine& line) : LabelAccess(line), line_(&line) {}

void MessageLineAccess::setCaption(std::string_view caption) {
    const bool fresh = !caption.empty() && caption != this->caption();
    LabelAccess::setCaption(caption);
    if (fresh && line_) {
        QAccessibleEvent shown(line_.data(), QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
}

}  // namespace tarvel::ui
