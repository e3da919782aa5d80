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
namespace win32 {
class EditAccess;
class ItemListAccess;
}  // namespace win32
}  // namespace tarvel::platform

namespace tarvel::ui::win32 {

class Annotations;
class MessageLineAccess;

/// A GDI object deleted with its holder.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    void reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            DeleteObject(handle_);
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

/// An icon destroyed with its holder.
class IconHandle {
public:
    IconHandle() = default;
    ~IconHandle() { reset(); }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    void reset(HICON icon = nullptr) {
        if (icon_ != nullptr) {
            DestroyIcon(icon_);
        }
        icon_ = icon;
    }
    [[nodiscard]] HICON get() const { return icon_; }

private:
    HICON icon_ = nullptr;
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
    std::array<GdiObject<HFONT>, layout::kControls.size()> fonts_;
    GdiObject<HBRUSH> categoryBrush_;
    IconHandle bigIcon_;    ///< the title bar's and the task switcher's, for the density
    IconHandle smallIcon_;
    const BITMAPINFO* banner_ = nullptr;  ///< lies in the program's resources
    const void* bannerBits_ = nullptr;
    HWND lastFocus_ = nullptr;
    std::array<NumberPick, 2> picks_{};  ///< UA's and UB's

    std::unique_ptr<platform::win32::ItemListAccess> list1_;
    std::unique_ptr<platform::win32::ItemListAccess> combo1_;
    std::unique_ptr<platform::win32::ItemListAccess> combo2_;
    std::unique_ptr<platform::win32::EditAccess> ua_;
    std::unique_ptr<platform::win32::EditAccess> ub_;
    std::unique_ptr<MessageLineAccess> label1_;
    std::unique_ptr<core::fTarvel> form_;  ///< declared last: it goes first
};

/// Runs the window's messages until the program ends; returns the exit status.
int runMessageLoop(NativeWindow& window);

}  // namespace tarvel::ui::win32
