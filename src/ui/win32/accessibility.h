// What screen readers are told about the native window beyond what the standard controls
// tell them themselves.
#pragma once

#include "platform/message_line.h"
#include "platform/win32/win32_controls.h"

#include <windows.h>

#include <string_view>

struct IAccPropServices;

namespace tarvel::ui::win32 {

/// Dynamic annotation (IAccPropServices) of the window's controls: the Spanish name and
/// description a reader says for each, and the message line as a live region. Without COM or
/// without the service every call does nothing: the window works, only unannotated.
class Annotations {
public:
    Annotations();
    ~Annotations();
    Annotations(const Annotations&) = delete;
    Annotations& operator=(const Annotations&) = delete;

    void name(HWND control, std::string_view name, std::string_view description);
    /// Marks a control whose text changes are to be spoken even while the focus is elsewhere.
    void liveRegion(HWND control);
    /// Takes the annotations off a control before it goes.
    void clear(HWND control);

private:
    IAccPropServices* service_ = nullptr;
};

/// The message line's face in Windows: the static control shows each message as it is
/// written, a message posted to the window runs once the event has been handled (the window
/// hands it back through `run`), and a live region's change makes a reader speak.
class MessageLineFace final : public platform::MessageLine::Face {
public:
    MessageLineFace(HWND label, HWND window, UINT settleMessage);

    void show(std::string_view text) override { label_.setCaption(text); }
    bool afterEvent(platform::Handler job) override;
    void announce(std::string_view text) override;
    /// Runs the job that waits for `settleMessage`.
    void run();

private:
    platform::win32::StaticAccess label_;
    HWND window_;
    UINT settleMessage_;
    platform::Handler job_;
};

/// Control access to the window's message line.
using MessageLineAccess = platform::FacedMessageLine<MessageLineFace>;

}  // namespace tarvel::ui::win32
