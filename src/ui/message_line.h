// The message line (`Label1`) as screen readers meet it.
#pragma once

#include "platform/qt/qt_controls.h"

#include <QLabel>
#include <QPointer>

#include <string_view>

namespace tarvel::ui {

/// The label that shows the form's messages. Screen readers see it as a notification, the
/// role a web page's alert has, so that a message is spoken when it appears even though the
/// keyboard focus stays in a value box; its accessible name is the message itself.
class MessageLine final : public QLabel {
    Q_OBJECT

public:
    /// Tells the accessibility layer how to present every message line. Call it before the
    /// first message line is created; calling it again does nothing.
    static void registerAccessibility();

    explicit MessageLine(QWidget* parent = nullptr);
};

/// Control access to a message line: writing a new, non-empty message reports the line as
/// shown to assistive technology, which is what makes a screen reader announce it.
class MessageLineAccess final : public platform::LabelAccess {
public:
    explicit MessageLineAccess(MessageLine& line);

    void setCaption(std::string_view caption) override;

private:
    QPointer<MessageLine> line_;
};

}  // namespace tarvel::ui
