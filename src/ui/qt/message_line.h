// The message line (`Label1`) and how its messages reach screen readers.
#pragma once

#include "platform/qt/qt_controls.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>

#include <string_view>

namespace tarvel::ui {

/// The label that shows the form's messages. Screen readers see it as a notification (see
/// accessibility.h), so that a message is spoken when it appears even though the keyboard
/// focus stays in a value box.
class MessageLine final : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;
};

/// Control access to a message line. One user action may write several messages in turn (a
/// category change writes one and clears it again); a message is announced only if it still
/// stands once the action has been handled, and only when it differs from the last one that
/// stood, so a reader never hears an empty or repeated message.
class MessageLineAccess final : public platform::LabelAccess {
public:
    explicit MessageLineAccess(MessageLine& line);

    void setCaption(std::string_view caption) override;

private:
    void settle();

    QPointer<MessageLine> line_;
    QString settled_;      ///< the message that stood when the last action ended
    bool pending_ = false;
    QObject queue_;        ///< context of the pending check; it dies with this object
};

}  // namespace tarvel::ui
