// The converter's native Windows window: standard controls placed from the window's
// description (ui/layout.h), scaled to the monitor's density, and the form that runs them.
#pragma once

#include "ui/layout.h"

#include <windows.h>

#include <array>
#include <memory>
#include <string_view>

namespace tarvel::core {
class fTarvel;
}

namespace tarvel::platform {
class Runtime;
template <class Face>
struct FacedMessageLine;
namespace win32 {
class ButtonAccess;
class EditAccess;
class ItemListAccess;
}  // namespace win32
}  // namespace tarvel::platform

namespace tarvel::ui::win32 {

class Annotations;
class MessageLineFace;

/// A system handle freed with its holder: a GDI object by DeleteObject, an icon by
/// DestroyIcon.
template <class Handle, auto Free>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    void reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            Free(handle_);
        }
        handle_ = handle;
    }
    [[nodiscard]] Handle get() const { return handle_; }

private:
    Handle handle_ = nullptr;
};


/// The number a double click took in a value box, until the button comes up.
struct NumberPick {
    DWORD start = 0;
    DWORD end = 0;
    bool pending = false;
};

/// The one window of the program. Constructing it creates the window and its controls,
/// builds the form, whose start-up sequence fills them, and leaves the window hidden; show()
/// centres it on the screen and puts the focus in the first value box. Closing the window or
/// pressing "Cerrar" ends the program through the runtime.
class NativeWindow {
public:
    explicit NativeWindow(platform::Runtime& runtime,
                          HINSTANCE instance = GetModuleHandleW(nullptr));
    ~NativeWindow();
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    void show(int showCommand = SW_SHOWNORMAL);

    /// Keyboard handling that belongs to the window rather than to the control under the
    /// focus: Tab and Shift+Tab walk the controls. Call it for every message before it is
    /// translated and dispatched; true means it was handled and must go no further.
    bool preTranslate(const MSG& message);

    [[nodiscard]] HWND handle() const { return window_; }
    /// The control of that name (the names of layout::kControls), or null.
    [[nodiscard]] HWND control(std::string_view name) const;
    /// The density the window is laid out for.
    [[nodiscard]] UINT dpi() const { return dpi_; }

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    /// Places the window and every control, and makes their fonts, for `dpi` from the 96-dpi
    /// description; `frame` is where the window goes, or null to centre it.
    void layOut(UINT dpi, const RECT* frame);
    void paint();
    HBRUSH colourOf(HDC dc, HWND control);
    void moveFocus(bool forward);

    platform::Runtime& runtime_;
    HINSTANCE instance_;
    std::unique_ptr<Annotations> annotations_;
    HWND window_ = nullptr;
    UINT dpi_ = 96;
    std::array<HWND, layout::kControls.size()> controls_{};  ///< in the order of kControls
    std::array<Owned<HFONT, DeleteObject>, layout::kControls.size()> fonts_;
    Owned<HBRUSH, DeleteObject> categoryBrush_;
    /// The title bar's and the task switcher's icons, for the density.
    Owned<HICON, DestroyIcon> bigIcon_;
    Owned<HICON, DestroyIcon> smallIcon_;
    const BITMAPINFO* banner_ = nullptr;  ///< lies in the program's resources
    const void* bannerBits_ = nullptr;
    HWND lastFocus_ = nullptr;
    std::array<NumberPick, 2> picks_{};  ///< UA's and UB's

    std::unique_ptr<platform::win32::ItemListAccess> list1_;
    std::unique_ptr<platform::win32::ItemListAccess> combo1_;
    std::unique_ptr<platform::win32::ItemListAccess> combo2_;
    std::unique_ptr<platform::win32::EditAccess> ua_;
    std::unique_ptr<platform::win32::EditAccess> ub_;
    std::unique_ptr<platform::FacedMessageLine<MessageLineFace>> label1_;
    std::unique_ptr<platform::win32::ButtonAccess> command1_;
    std::unique_ptr<core::fTarvel> form_;  ///< declared last: it goes first
};

/// Runs the window's messages until the program ends; returns the exit status.
int runMessageLoop(NativeWindow& window);

}  // namespace tarvel::ui::win32
