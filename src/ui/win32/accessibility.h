// What screen readers are told about the native window beyond what the standard controls
// tell them themselves.
#pragma once

#include "platform/win32/win32_controls.h"

#include <windows.h>

#include <string>
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

/// Control access to the message line. One user action may write several messages in turn (a
/// category change writes one and clears it again); a message is announced only if it still
/// stands once the action has been handled, and only when it differs from the last one that
/// stood, so a reader never hears an empty or repeated message. The check runs when the
/// window receives `settleMessage`, which this access posts to it.
class MessageLineAccess final : public platform::win32::StaticAccess {
public:
    MessageLineAccess(HWND label, HWND window, UINT settleMessage);

    void setCaption(std::string_view caption) override;
    /// Announces the message that stands now, if it is new and not empty.
    void settle();

private:
    HWND window_;
    UINT settleMessage_;
    std::string settled_;
    bool pending_ = false;
};

}  // namespace tarvel::ui::win32
