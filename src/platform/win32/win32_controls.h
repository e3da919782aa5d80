// Control access over native Windows controls, keeping the event rule of platform/controls.h.
//
// An adapter does not own its control: the window does. Each adapter listens to its control's
// notifications by subclassing the control's parent (SetWindowSubclass, one subclass per
// adapter), so it needs no help from the window procedure; destroying the adapter removes its
// subclasses, and nothing it wired runs afterwards.
//
// The notifications a change made by the program would send (EN_CHANGE for WM_SETTEXT) are
// ignored while the adapter makes that change and the handler is raised once, synchronously,
// by the adapter itself; CB_SETCURSEL and LB_SETCURSEL notify nothing, so for selections the
// adapter always raises the handler itself. Texts are converted between UTF-8 and UTF-16 here
// and nowhere else.
#pragma once

#include "platform/controls.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace tarvel::platform::win32 {

/// UTF-8 to UTF-16 and back; invalid UTF-8 becomes U+FFFD.
[[nodiscard]] std::wstring widen(std::string_view text);
[[nodiscard]] std::string narrow(std::wstring_view text);

/// A list box (LBS_NOTIFY, unsorted) or a drop-down list combo box (CBS_DROPDOWNLIST,
/// unsorted). The click handler runs on LBN_SELCHANGE / CBN_SELCHANGE when the user changes
/// the selection (only when the index differs from the one last reported: a drop-down list
/// whose choice is cancelled reports the index it returns to), and synchronously from
/// setSelectedIndex when the index differs.
class ItemListAccess : public ListAccess {
public:
    enum class Kind { ListBox, DropDownList };
    ItemListAccess(HWND control, Kind kind);
    ~ItemListAccess() override;
    ItemListAccess(const ItemListAccess&) = delete;
    ItemListAccess& operator=(const ItemListAccess&) = delete;

    void clear() override;
    void append(std::string_view item) override;
    [[nodiscard]] int selectedIndex() const override;
    void setSelectedIndex(int index) override;
    void setClickHandler(Handler handler) override { click_ = std::move(handler); }

    [[nodiscard]] HWND handle() const { return control_; }
    [[nodiscard]] int count() const;
    [[nodiscard]] std::string item(int index) const;

private:
    static LRESULT CALLBACK parentProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void selectionMayHaveChanged();

    HWND control_;
    HWND parent_;
    Kind kind_;
    int reported_ = -1;  ///< the index the click handler last saw (or the list last held)
    Handler click_;
};

/// A single-line edit. Every character the user types (WM_CHAR, and WM_IME_CHAR from an input
/// method) passes through the key-press handler before the edit sees it: 0 swallows it, another
/// code replaces it. A character typed as a surrogate pair is decided by its first half: the
/// handler sees that half alone, and the second half is kept or dropped with it. The change
/// handler runs on EN_CHANGE for the user's edits (typing, paste, cut, undo) and synchronously
/// from setText when the text differs. A text the program writes is shown from its first
/// character (the caret at 0).
class EditAccess : public TextAccess {
public:
    explicit EditAccess(HWND edit);
    ~EditAccess() override;
    EditAccess(const EditAccess&) = delete;
    EditAccess& operator=(const EditAccess&) = delete;

    [[nodiscard]] std::string text() const override;
    void setText(std::string_view text) override;
    void setChangeHandler(Handler handler) override { change_ = std::move(handler); }
    void setKeyPressHandler(KeyHandler handler) override { keyPress_ = std::move(handler); }

    [[nodiscard]] HWND handle() const { return edit_; }

private:
    static LRESULT CALLBACK editProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK parentProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    /// What becomes of the second half of a character typed as a surrogate pair.
    enum class Surrogate { None, Pass, Drop };

    HWND edit_;
    HWND parent_;
    bool writing_ = false;  ///< EN_CHANGE from our own WM_SETTEXT is not the user's
    Surrogate lowSurrogate_ = Surrogate::None;
    Handler change_;
    KeyHandler keyPress_;
};

/// A push button; the click handler runs on BN_CLICKED.
class ButtonAccess : public PressedButton {
public:
    explicit ButtonAccess(HWND button);
    ~ButtonAccess() override;
    ButtonAccess(const ButtonAccess&) = delete;
    ButtonAccess& operator=(const ButtonAccess&) = delete;

private:
    static LRESULT CALLBACK parentProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND button_;
    HWND parent_;
};

/// A static text control.
class StaticAccess : public CaptionAccess {
public:
    explicit StaticAccess(HWND control) : control_(control) {}

    [[nodiscard]] std::string caption() const override;
    void setCaption(std::string_view caption) override;

    [[nodiscard]] HWND handle() const { return control_; }

private:
    HWND control_;
};

}  // namespace tarvel::platform::win32
