// The message line (`Label1`) and how its messages reach screen readers.
#pragma once

#include "platform/message_line.h"
#include "platform/qt/qt_controls.h"

#include <QLabel>
#include <QObject>
#include <QPointer>

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

/// The message line's face in Qt: the label shows each message as it is written, a queued
/// call runs once the event has been handled, and a notification shown makes a reader speak.
class MessageLineFace final : public platform::MessageLine::Face {
public:
    explicit MessageLineFace(MessageLine& line) : line_(&line), label_(line) {}

    void show(std::string_view text) override { label_.setCaption(text); }
    bool afterEvent(platform::Handler job) override;
    void announce(std::string_view text) override;

private:
    QPointer<MessageLine> line_;
    platform::LabelAccess label_;
    QObject queue_;  ///< context of the pending call; it dies with this face
};

/// Control access to the window's message line.
using MessageLineAccess = platform::FacedMessageLine<MessageLineFace>;

}  // namespace tarvel::ui
