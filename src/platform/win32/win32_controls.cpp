#include "platform/win32/win32_controls.h"

#include <commctrl.h>

#include <climits>
#include <utility>

namespace tarvel::platform::win32 {
namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The subclass id of an adapter: its address, unique while it lives.
UINT_PTR idOf(const void* adapter) { return reinterpret_cast<UINT_PTR>(adapter); }

// A handler may replace itself, or its adapter's other handlers, while it runs.
void raise(const Handler& handler) {
    if (handler) {
        const Handler running = handler;
        running();
    }
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

// The messages by which a list box and a drop-down list do the same thing.
struct ListMessages {
    UINT count, getCurrent, setCurrent, insert, reset, textLength, text;
};
constexpr ListMessages kListBox{LB_GETCOUNT,  LB_GETCURSEL,   LB_SETCURSEL, LB_INSERTSTRING,
                                LB_RESETCONTENT, LB_GETTEXTLEN, LB_GETTEXT};
constexpr ListMessages kDropDown{CB_GETCOUNT,  CB_GETCURSEL,      CB_SETCURSEL, CB_INSERTSTRING,
                                 CB_RESETCONTENT, CB_GETLBTEXTLEN, CB_GETLBTEXT};

const ListMessages& messagesOf(ItemListAccess::Kind kind) {
    return kind == ItemListAccess::Kind::ListBox ? kListBox : kDropDown;
}

}  // namespace

std::wstring widen(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    }
    return wide;
}

std::string narrow(std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    }
    return utf8;
}

// ---- ItemListAccess --------------------------------------------------------------------

ItemListAccess::ItemListAccess(HWND control, Kind kind)
    : control_(control), parent_(GetParent(control)), kind_(kind), reported_(selectedIndex()) {
    SetWindowSubclass(parent_, parentProc, idOf(this), reinterpret_cast<DWORD_PTR>(this));
}

ItemListAccess::~ItemListAccess() { RemoveWindowSubclass(parent_, parentProc, idOf(this)); }

void ItemListAccess::clear() {
    SendMessageW(control_, messagesOf(kind_).reset, 0, 0);
    reported_ = -1;
}

void ItemListAccess::append(std::string_view item) {
    // At the end whatever the style: an item's index is its place in the order appended.
    const std::wstring text = widen(item);
    SendMessageW(control_, messagesOf(kind_).insert, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

int ItemListAccess::count() const {
    const auto n = SendMessageW(control_, messagesOf(kind_).count, 0, 0);
    return n > 0 ? static_cast<int>(n) : 0;
}

int ItemListAccess::selectedIndex() const {
    const auto index = SendMessageW(control_, messagesOf(kind_).getCurrent, 0, 0);
    return index >= 0 ? static_cast<int>(index) : -1;  // LB_ERR and CB_ERR are -1
}

std::string ItemListAccess::item(int index) const {
    const ListMessages& m = messagesOf(kind_);
    const auto length = SendMessageW(control_, m.textLength, static_cast<WPARAM>(index), 0);
    if (length < 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(control_, m.text, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return narrow(text);
}

void ItemListAccess::setSelectedIndex(int index) {
    if (index < 0 || index >= count()) {
        index = -1;
    }
    if (index == selectedIndex()) {
        return;
    }
    // -1 clears the selection; LB_SETCURSEL then answers LB_ERR although it did so.
    SendMessageW(control_, messagesOf(kind_).setCurrent, static_cast<WPARAM>(index), 0);
    reported_ = index;
    raise(click_);
}

void ItemListAccess::selectionMayHaveChanged() {
    const int now = selectedIndex();
    if (now != reported_) {
        reported_ = now;
        raise(click_);
    }
}

LRESULT CALLBACK ItemListAccess::parentProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<ItemListAccess*>(data);
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == self->control_) {
        const int code = HIWORD(wParam);
        // A drop-down list reports each item the user passes over while it is open, and
        // takes the choice back when it is cancelled: closing checks where it ended.
        const bool mayHaveChanged =
            self->kind_ == Kind::ListBox
                ? code == LBN_SELCHANGE
                : code == CBN_SELCHANGE || code == CBN_SELENDCANCEL || code == CBN_CLOSEUP;
        if (mayHaveChanged) {
            self->selectionMayHaveChanged();
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, parentProc, id);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// ---- EditAccess ------------------------------------------------------------------------

EditAccess::EditAccess(HWND edit) : edit_(edit), parent_(GetParent(edit)) {
    SetWindowSubclass(edit_, editProc, idOf(this), reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(parent_, parentProc, idOf(this), reinterpret_cast<DWORD_PTR>(this));
}

EditAccess::~EditAccess() {
    RemoveWindowSubclass(parent_, parentProc, idOf(this));
    RemoveWindowSubclass(edit_, editProc, idOf(this));
}

std::string EditAccess::text() const { return narrow(windowText(edit_)); }

void EditAccess::setText(std::string_view text) {
    const std::wstring wanted = widen(text);
    if (wanted == windowText(edit_)) {
        return;
    }
    writing_ = true;
    SetWindowTextW(edit_, wanted.c_str());
    writing_ = false;
    // Shown from its first character: a number wider than the box keeps its leading digits
    // in view.
    SendMessageW(edit_, EM_SETSEL, 0, 0);
    SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
    raise(change_);
}

LRESULT CALLBACK EditAccess::editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<EditAccess*>(data);
    if ((message == WM_CHAR || message == WM_IME_CHAR) && self->keyPress_) {
        const auto typed = static_cast<char16_t>(wParam);
        // A character beyond the BMP comes as two messages. The handler decides on the
        // first half, and the second follows it unasked: passed when the first was, dropped
        // otherwise, so that no half is left alone in the box and one refusal beeps once.
        const Surrogate pending = std::exchange(self->lowSurrogate_, Surrogate::None);
        if (pending != Surrogate::None && isLowSurrogate(typed)) {
            return pending == Surrogate::Drop
                       ? 0
                       : DefSubclassProc(window, WM_CHAR, wParam, lParam);
        }
        char16_t code = typed;
        const KeyHandler running = self->keyPress_;
        running(code);
        if (isHighSurrogate(typed)) {
            self->lowSurrogate_ = code == typed ? Surrogate::Pass : Surrogate::Drop;
        }
        if (code == 0) {
            return 0;
        }
        // As WM_CHAR: the edit's own handling of WM_IME_CHAR would come back here as one.
        return DefSubclassProc(window, WM_CHAR, static_cast<WPARAM>(code), lParam);
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, editProc, id);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK EditAccess::parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<EditAccess*>(data);
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == self->edit_ &&
        HIWORD(wParam) == EN_CHANGE && !self->writing_) {
        raise(self->change_);
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, parentProc, id);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// ---- ButtonAccess ----------------------------------------------------------------------

ButtonAccess::ButtonAccess(HWND button) : button_(button), parent_(GetParent(button)) {
    SetWindowSubclass(parent_, parentProc, idOf(this), reinterpret_cast<DWORD_PTR>(this));
}

ButtonAccess::~ButtonAccess() { RemoveWindowSubclass(parent_, parentProc, idOf(this)); }

LRESULT CALLBACK ButtonAccess::parentProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<ButtonAccess*>(data);
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == self->button_ &&
        HIWORD(wParam) == BN_CLICKED) {
        self->pressed();
        return 0;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, parentProc, id);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// ---- StaticAccess ----------------------------------------------------------------------

std::string StaticAccess::caption() const { return narrow(windowText(control_)); }

void StaticAccess::setCaption(std::string_view caption) {
    SetWindowTextW(control_, widen(caption).c_str());
}

}  // namespace tarvel::platform::win32
