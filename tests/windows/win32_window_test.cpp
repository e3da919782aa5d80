// The native window as a user meets it: created, shown and driven through Windows' own input
// (SendInput, then the program's message loop with TranslateMessage), and read back from the
// live controls. Needs a display: under Wine, an X server.
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_runtime.h"
#include "support/golden.h"
#include "support/windowless_program.h"
#include "ui/win32/native_window.h"

#include <gtest/gtest.h>

#include <oleacc.h>
#include <windows.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tarvel::testing {
namespace {

namespace layout = ui::layout;
using platform::win32::narrow;
using ui::win32::NativeWindow;

class RecordingRuntime final : public platform::win32::Win32Runtime {
public:
    void beep() override { ++beeps; }
    void end() override { ++ends; }
    int beeps = 0;
    int ends = 0;
};

std::string textOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(),
                                                        static_cast<int>(text.size()))));
    return narrow(text);
}

constexpr UINT kSystemTimer = 0x118;

/// A key as the keyboard sends it: a virtual key, with Shift or Control held.
struct Key {
    WORD vk;
    bool shift = false;
    bool control = false;
};

/// The program's window, shown and in front, with a runtime that counts beeps and ends.
class Program {
public:
    Program() {
        window.show();
        SetForegroundWindow(window.handle());
        pump();
    }

    HWND operator[](std::string_view name) const { return window.control(name); }
    [[nodiscard]] std::string text(std::string_view name) const { return textOf((*this)[name]); }
    [[nodiscard]] int selected(std::string_view name) const {
        const bool list = name == "List1";
        return static_cast<int>(
            SendMessageW((*this)[name], list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0));
    }
    [[nodiscard]] std::string focusName() const {
        const HWND focus = GetFocus();
        for (const layout::Control& c : layout::kControls) {
            if (window.control(c.name) == focus || IsChild(window.control(c.name), focus)) {
                return std::string(c.name);
            }
        }
        return "(none)";
    }

    /// Runs the window's messages as its program does: until every key and button sent has come
    /// up through the queue, then until none but timers and painting (the controls' animations;
    /// a themed button's comes every 10 ms as the system's own timer, 0x118) has come for a
    /// while; for 2 s at most. A quiet spell alone could end before a late key or button, and
    /// the test would read a click or a key half done.
    void pump(DWORD quiet = 25) {
        const DWORD begin = GetTickCount();
        DWORD last = begin;
        while ((releases_ < awaited_ || GetTickCount() - last < quiet) &&
               GetTickCount() - begin < 2000) {
            MSG message;
            for (int i = 0; i < 100 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
                if (message.message != WM_TIMER && message.message != kSystemTimer &&
                    message.message != WM_PAINT) {
                    last = GetTickCount();
                }
                if (message.message == WM_KEYUP || message.message == WM_SYSKEYUP ||
                    message.message == WM_LBUTTONUP) {
                    ++releases_;
                }
                if (!window.preTranslate(message)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
            Sleep(2);
        }
        releases_ = awaited_;
    }
    /// Sends input and runs it through the window.
    void send(std::vector<INPUT> input) {
        for (const INPUT& i : input) {
            if ((i.type == INPUT_KEYBOARD && (i.ki.dwFlags & KEYEVENTF_KEYUP) != 0) ||
                (i.type == INPUT_MOUSE && (i.mi.dwFlags & MOUSEEVENTF_LEFTUP) != 0)) {
                ++awaited_;
            }
        }
        SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
        pump();
    }

    void press(const std::vector<Key>& keys) {
        for (const Key& key : keys) {
            std::vector<INPUT> input;
            const auto add = [&input](WORD vk, bool up) {
                INPUT i{};
                i.type = INPUT_KEYBOARD;
                i.ki.wVk = vk;
                i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
                input.push_back(i);
            };
            if (key.shift) add(VK_SHIFT, false);
            if (key.control) add(VK_CONTROL, false);
            add(key.vk, false);
            add(key.vk, true);
            if (key.control) add(VK_CONTROL, true);
            if (key.shift) add(VK_SHIFT, true);
            send(std::move(input));
        }
    }
    void type(std::string_view keys) {
        std::vector<Key> sequence;
        for (const char c : keys) {
            sequence.push_back({c == '.'   ? WORD{VK_OEM_PERIOD}
                                : c == ',' ? WORD{VK_OEM_COMMA}
                                : c == '-' ? WORD{VK_OEM_MINUS}
                                : c == '\b' ? WORD{VK_BACK}
                                           : static_cast<WORD>(std::toupper(c))});
        }
        press(sequence);
    }
    /// A click, or a double click, at a point of a control. Each button reports the pointer's
    /// place, so that it goes down where it was sent whatever else moved the pointer meanwhile
    /// (under Wine, the X server's pointer reporting an older place late). The last button of a
    /// double click comes up a pixel to the right, as a hand that never holds quite still.
    void click(HWND control, POINT at, int times = 1) {
        ClientToScreen(control, &at);
        const int w = GetSystemMetrics(SM_CXSCREEN) - 1;
        const int h = GetSystemMetrics(SM_CYSCREEN) - 1;
        const auto pointer = [&](DWORD button, LONG drift) {
            INPUT i{};
            i.type = INPUT_MOUSE;
            i.mi.dx = ((at.x + drift) * 65535 + w / 2) / w;
            i.mi.dy = (at.y * 65535 + h / 2) / h;
            i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
            return i;
        };
        std::vector<INPUT> input{pointer(0, 0)};
        for (int i = 0; i < 2 * times; ++i) {
            const bool lastOfMany = times > 1 && i == 2 * times - 1;
            input.push_back(pointer(i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP,
                                    lastOfMany ? 1 : 0));
        }
        send(std::move(input));
    }
    void clickMiddle(std::string_view name) {
        RECT r;
        GetClientRect((*this)[name], &r);
        click((*this)[name], {r.right / 2, r.bottom / 2});
    }
    /// Chooses a row of a list the keyboard way: the list takes the focus, Home, then Down.
    void choose(std::string_view list, int row) {
        SetFocus((*this)[list]);
        std::vector<Key> keys{{VK_HOME}};
        keys.insert(keys.end(), static_cast<std::size_t>(row), Key{VK_DOWN});
        press(keys);
    }
    /// Empties a value box and types into it.
    void enter(std::string_view box, std::string_view keys) {
        SetFocus((*this)[box]);
        SendMessageW((*this)[box], EM_SETSEL, 0, -1);
        press({{VK_DELETE}});
        type(keys);
    }

    RecordingRuntime runtime;
    NativeWindow window{runtime};

private:
    int awaited_ = 0;   ///< keys and buttons sent to come up
    int releases_ = 0;  ///< of them, come up through the queue
};

std::string decimal() {
    const platform::NumberLocale l = platform::win32::numberLocaleOf(nullptr);
    return l.decimal == U',' ? "," : ".";
}

/// A text written with "." for the decimal separator, in this desktop's.
std::string local(std::string text) {
    for (char& c : text) {
        if (c == '.') {
            c = decimal()[0];
        }
    }
    return text;
}

RECT placeIn(HWND window, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// ---- Layout, fonts, colours, at 96 dpi and scaled -----------------------------------------

struct Place {
    const char* name;
    RECT at96;  // left, top, right, bottom
    const wchar_t* faces[4];
    int pixels;  // font height at 96 dpi
    bool bold;
    bool italic;
};

// Written out here, never taken from the program's description.
const std::array<Place, 8> kPlaces{{
    {"UA", {28, 216, 109, 240}, {L"Arial", L"Liberation Sans"}, 13, true, false},
    {"UB", {244, 216, 325, 240}, {L"Arial", L"Liberation Sans"}, 13, true, false},
    {"Combo1", {108, 216, 205, 240}, {L"Arial", L"Liberation Sans"}, 13, true, false},
    {"Combo2", {324, 216, 421, 240}, {L"Arial", L"Liberation Sans"}, 13, true, false},
    {"List1", {276, 0, 453, 200}, {L"Arial", L"Liberation Sans"}, 11, false, false},
    {"Command1", {4, 248, 449, 273}, {L"Arial", L"Liberation Sans"}, 16, true, true},
    {"Label2", {216, 216, 237, 239},
     {L"Microsoft Sans Serif", L"MS Sans Serif", L"Arial", L"Liberation Sans"}, 18, true, false},
    {"Label1", {192, 300, 325, 317},
     {L"Microsoft Sans Serif", L"MS Sans Serif", L"Arial", L"Liberation Sans"}, 11, false, false},
}};

class Scaled : public ::testing::TestWithParam<UINT> {};

// The window at 96 dpi, and told by Windows that it moved to a monitor of 144 or 192 dpi: the
// same window scaled, its fonts made for the new density, nothing cut off.
TEST_P(Scaled, PlacesFontsAndClientAreaFollowTheDensity) {
    Program p;
    const UINT dpi = GetParam();
    if (dpi != 96) {
        RECT suggested;
        GetWindowRect(p.window.handle(), &suggested);
        SendMessageW(p.window.handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        p.pump();
    }
    const auto s = [dpi](LONG v) { return static_cast<LONG>(std::lround(v * dpi / 96.0)); };
    RECT client;
    GetClientRect(p.window.handle(), &client);
    // The title bar's and task switcher's icon made for this density's size.
    ICONINFO icon{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(
                                SendMessageW(p.window.handle(), WM_GETICON, ICON_BIG, 0)),
                            &icon));
    BITMAP colour{};
    GetObjectW(icon.hbmColor, sizeof colour, &colour);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    EXPECT_EQ(colour.bmWidth, s(32));
    EXPECT_EQ(client.right, s(455));
    EXPECT_EQ(client.bottom, s(324));
    for (const Place& place : kPlaces) {
        SCOPED_TRACE(place.name);
        const HWND c = p[place.name];
        const RECT r = placeIn(p.window.handle(), c);
        EXPECT_EQ(r.left, s(place.at96.left));
        EXPECT_EQ(r.top, s(place.at96.top));
        const LONG rounding = dpi == 96 ? 0 : 1;  // scaled, widths round on their own
        EXPECT_NEAR(r.right, s(place.at96.right), rounding);
        EXPECT_NEAR(r.bottom, s(place.at96.bottom), rounding);

        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfHeight, -std::lround(place.pixels * dpi / 96.0));
        EXPECT_EQ(font.lfWeight >= FW_BOLD, place.bold);
        EXPECT_EQ(font.lfItalic != 0, place.italic);
        bool known = false;
        for (const wchar_t* face : place.faces) {
            known = known || (face != nullptr && std::wstring(face) == font.lfFaceName);
        }
        EXPECT_TRUE(known) << narrow(font.lfFaceName);

        // Nothing cut off: the control's text, in its font, fits inside it.
        HDC dc = GetDC(c);
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)));
        std::wstring shown(64, L'\0');
        shown.resize(static_cast<std::size_t>(GetWindowTextW(c, shown.data(), 64)));
        if (place.name == std::string_view("Label1")) {
            shown = L"Error: División por cero";  // its longest message
        }
        SIZE extent{};
        GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        RECT inside;
        GetClientRect(c, &inside);
        EXPECT_LE(extent.cx, inside.right) << narrow(shown);
        EXPECT_LE(extent.cy, inside.bottom) << narrow(shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, Scaled, ::testing::Values(96u, 144u, 192u),
                         [](const auto& info) { return std::to_string(info.param); });

TEST(Window, FixedFrameWithOnlyACloseButtonCentredOnTheScreen) {
    Program p;
    const LONG_PTR style = GetWindowLongPtrW(p.window.handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(textOf(p.window.handle()), "Conversor de unidades");
    RECT frame;
    GetWindowRect(p.window.handle(), &frame);
    MONITORINFO m{};
    m.cbSize = sizeof m;
    GetMonitorInfoW(MonitorFromWindow(p.window.handle(), MONITOR_DEFAULTTOPRIMARY), &m);
    EXPECT_NEAR(frame.left + frame.right, m.rcWork.left + m.rcWork.right, 1);
    EXPECT_NEAR(frame.top + frame.bottom, m.rcWork.top + m.rcWork.bottom, 1);
    EXPECT_TRUE(SendMessageW(p.window.handle(), WM_GETICON, ICON_BIG, 0) != 0 ||
                GetClassLongPtrW(p.window.handle(), GCLP_HICON) != 0);
}

// The colours each control is drawn in, asked of the window as the controls ask it, and the
// banner read back from the screen.
TEST(Window, ColoursAndBanner) {
    Program p;
    struct Row {
        const char* name;
        UINT message;
        COLORREF text;
        COLORREF back;
    };
    for (const Row& row : {Row{"List1", WM_CTLCOLORLISTBOX, RGB(255, 255, 255), RGB(128, 0, 0)},
                           Row{"Label1", WM_CTLCOLORSTATIC, RGB(255, 0, 0), RGB(255, 255, 255)},
                           Row{"Label2", WM_CTLCOLORSTATIC, RGB(0, 0, 0), RGB(255, 255, 255)}}) {
        SCOPED_TRACE(row.name);
        HDC dc = CreateCompatibleDC(nullptr);
        const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
            p.window.handle(), row.message, reinterpret_cast<WPARAM>(dc),
            reinterpret_cast<LPARAM>(p[row.name])));
        LOGBRUSH fill{};
        ASSERT_NE(GetObjectW(brush, sizeof fill, &fill), 0);
        EXPECT_EQ(fill.lbColor, row.back);
        EXPECT_EQ(GetTextColor(dc), row.text);
        DeleteDC(dc);
    }
    // The banner from the corner at its own size: its top-left pixel, and the dark red of its
    // bottom row just above the white below it.
    RedrawWindow(p.window.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(p.window.handle());
    EXPECT_EQ(GetPixel(dc, 100, 205), RGB(128, 0, 0));
    EXPECT_EQ(GetPixel(dc, 100, 207), RGB(255, 255, 255));
    EXPECT_NE(GetPixel(dc, 5, 5), RGB(255, 255, 255));
    ReleaseDC(p.window.handle(), dc);
}

// ---- Start-up, keys, focus ------------------------------------------------------------------

TEST(Window, StartsFilledWithTheFocusInValueA) {
    Program p;
    EXPECT_EQ(p.focusName(), "UA");
    EXPECT_EQ(SendMessageW(p["List1"], LB_GETCOUNT, 0, 0), 14);
    EXPECT_EQ(p.selected("List1"), 0);
    EXPECT_EQ(SendMessageW(p["Combo1"], CB_GETCOUNT, 0, 0), 8);
    EXPECT_EQ(p.text("Combo2"), "m");
    EXPECT_EQ(p.text("UA"), local("1.0"));
    EXPECT_EQ(p.text("UB"), local("1.0"));
    EXPECT_EQ(p.text("Label1"), "");
    EXPECT_EQ(p.text("Command1"), "Cerrar");
}

struct KeyRow {
    const char* name;
    const char* keys;     // typed into an emptied UA
    const char* shownA;   // "." stands for this desktop's decimal separator
    int beeps;
};

class Keys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(Keys, ReachValueAThroughTheFilter) {
    Program p;
    const KeyRow& row = GetParam();
    p.enter("UA", row.keys);
    EXPECT_EQ(p.text("UA"), local(row.shownA));
    EXPECT_EQ(p.runtime.beeps, row.beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Window, Keys,
    ::testing::Values(KeyRow{"Digits", "2500", "2500", 0},
                      KeyRow{"FullStopKey", "1.5", "1.5", 0},
                      KeyRow{"CommaKey", "1,5", "1.5", 0},
                      KeyRow{"SecondSeparatorPasses", "1.5,2", "1.5.2", 0},
                      KeyRow{"LettersAndMinusBeep", "a-12b", "12", 3},
                      KeyRow{"BackspaceDeletes", "123\b", "12", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Ctrl+V is refused like any other control key; the box's own Paste (its context menu's) is
// not filtered, and what it pastes is computed like anything typed.
TEST(Window, ShortcutsAndEnterAreRefusedWithABeepWhilePasteComputes) {
    Program p;
    p.enter("UA", "7");
    if (OpenClipboard(p.window.handle())) {
        EmptyClipboard();
        HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 3 * sizeof(wchar_t));
        std::wmemcpy(static_cast<wchar_t*>(GlobalLock(text)), L"5x", 3);
        GlobalUnlock(text);
        SetClipboardData(CF_UNICODETEXT, text);
        CloseClipboard();
    }
    p.press({{'V', false, true}, {'C', false, true}, {VK_RETURN}, {VK_ESCAPE}});
    EXPECT_EQ(p.text("UA"), "7");
    EXPECT_EQ(p.runtime.beeps, 4);
    SendMessageW(p["UA"], EM_SETSEL, 1, 1);
    SendMessageW(p["UA"], WM_PASTE, 0, 0);
    EXPECT_EQ(p.text("UA"), "75x");
    EXPECT_EQ(p.text("Label1"), "Valores no numéricos");
    SendMessageW(p["UA"], EM_SETSEL, 2, 3);
    SendMessageW(p["UA"], WM_CLEAR, 0, 0);
    EXPECT_EQ(p.text("UB"), local("75.0"));
    EXPECT_EQ(p.text("Label1"), "");
}

TEST(Window, TabWalksTheControlsBothWays) {
    Program p;
    const std::vector<std::string> forward{"UB", "Combo1", "Combo2", "List1", "Command1", "UA"};
    for (const std::string& expected : forward) {
        p.press({{VK_TAB}});
        EXPECT_EQ(p.focusName(), expected);
    }
    for (auto it = forward.rbegin() + 1; it != forward.rend(); ++it) {
        p.press({{VK_TAB, true}});
        EXPECT_EQ(p.focusName(), *it);
    }
    EXPECT_EQ(p.runtime.beeps, 0);
}

// Neither Enter nor Escape presses "Cerrar", wherever the focus is; its click, the space bar on
// it and the close button each end the program.
TEST(Window, OnlyCerrarAndTheCloseButtonEnd) {
    Program p;
    for (const layout::Control& c : layout::kControls) {
        if (c.kind != layout::Kind::Label) {
            SetFocus(p[c.name]);
            p.press({{VK_RETURN}, {VK_ESCAPE}});
        }
    }
    EXPECT_EQ(p.runtime.ends, 0);
    p.clickMiddle("Command1");
    EXPECT_EQ(p.runtime.ends, 1);
    SetFocus(p["Command1"]);
    p.press({{VK_SPACE}});
    EXPECT_EQ(p.runtime.ends, 2);
    SendMessageW(p.window.handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(p.runtime.ends, 3);
}

TEST(Window, AClosedUnitListTakesNoTextOnlyMovesItsChoice) {
    Program p;
    SetFocus(p["Combo2"]);
    p.type("p");  // "pie", the first unit starting so
    EXPECT_EQ(p.text("Combo2"), "pie");
    EXPECT_EQ(p.text("UB"), local("3.2808"));
}

// ---- What the Qt window added for people ---------------------------------------------------

TEST(Window, NumbersShowFromTheirStartAndDoubleClickTakesThemWhole) {
    Program p;
    p.choose("List1", 1);   // Area
    p.choose("Combo1", 7);  // milla²
    p.enter("UA", "1");
    const std::string shown = local("2589988.1103");
    ASSERT_EQ(p.text("UB"), shown);
    EXPECT_EQ(SendMessageW(p["UB"], EM_GETFIRSTVISIBLELINE, 0, 0), 0);  // the first character shown
    // Double click on the separator: the whole number, the caret at its start.
    HDC dc = GetDC(p["UB"]);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(p["UB"], WM_GETFONT, 0, 0)));
    SIZE before{};
    GetTextExtentPoint32A(dc, "2589988", 7, &before);
    SelectObject(dc, old);
    ReleaseDC(p["UB"], dc);
    RECT r;
    GetClientRect(p["UB"], &r);
    p.click(p["UB"], {before.cx + 3, r.bottom / 2}, 2);
    DWORD start = 1;
    DWORD end = 0;
    SendMessageW(p["UB"], EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(std::size_t{end}, shown.size());
    POINT caret{};
    GetCaretPos(&caret);
    EXPECT_LT(caret.x, before.cx / 7);  // before the first digit's end
    EXPECT_EQ(SendMessageW(p["UB"], EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

// ---- The message line and screen readers ---------------------------------------------------

std::vector<HWND> liveChanges;
void CALLBACK recordLive(HWINEVENTHOOK, DWORD, HWND hwnd, LONG, LONG, DWORD, DWORD) {
    liveChanges.push_back(hwnd);
}

TEST(Window, AMessageShowsOnceAndIsAnnouncedOnce) {
    Program p;
    liveChanges.clear();
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                        recordLive, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    p.enter("UA", "");
    p.press({{VK_BACK}});  // still empty: the same message stands
    p.pump(100);
    EXPECT_EQ(p.text("Label1"), "Valores no numéricos");
    EXPECT_EQ(p.text("UB"), local("1.0"));
    p.choose("List1", 4);  // a category change writes a message and clears it again
    p.pump(100);
    EXPECT_EQ(p.text("Label1"), "");
    UnhookWinEvent(hook);
    EXPECT_EQ(liveChanges, std::vector<HWND>{p["Label1"]});
}

// What a screen reader finds for each control's name: the label just before it, which is
// how Windows names a text box, a list or a drop-down list without a name of its own, and the
// name oleacc gives, for the controls whose name Wine's oleacc works out too (it leaves out the
// dynamic annotation that names the lists on Windows).
TEST(Window, EveryFocusableControlHasItsSpanishName) {
    Program p;
    struct Row {
        const char* control;
        const char* name;
        bool labelled;
        bool askOleacc;
    };
    for (const Row& row : {Row{"UA", "Valor A", true, true}, Row{"UB", "Valor B", true, true},
                           Row{"Combo1", "Unidad del valor A", true, false},
                           Row{"Combo2", "Unidad del valor B", true, false},
                           Row{"List1", "Magnitud", true, false},
                           Row{"Command1", "Cerrar", false, true}}) {
        SCOPED_TRACE(row.control);
        if (row.labelled) {
            const HWND label = GetWindow(p[row.control], GW_HWNDPREV);
            wchar_t kind[16] = {};
            GetClassNameW(label, kind, 16);
            EXPECT_EQ(std::wstring(kind), L"Static");
            EXPECT_EQ(textOf(label), row.name);
        }
        if (!row.askOleacc) {
            continue;
        }
        IAccessible* accessible = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(p[row.control], static_cast<DWORD>(OBJID_CLIENT),
                                             IID_IAccessible,
                                             reinterpret_cast<void**>(&accessible)),
                  S_OK);
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR said = nullptr;
        EXPECT_EQ(accessible->get_accName(self, &said), S_OK);
        EXPECT_EQ(said != nullptr ? narrow(said) : std::string("(none)"), row.name);
        SysFreeString(said);
        accessible->Release();
    }
}

// ---- Every action through the real controls, against the window-less program -----------------

// Random categories, units, keys and emptied boxes, made with the keyboard on the window and
// the same way on the window-less program: after each, both show the same.
TEST(Window, ASessionShowsWhatTheWindowlessProgramShows) {
    Program p;
    WindowlessProgram model(platform::win32::numberLocaleOf(nullptr));
    std::mt19937 random(20261209);
    const char keys[] = "0123456789.,a";
    for (int step = 0; step < 80; ++step) {
        const int what = static_cast<int>(random() % 10);
        std::string done;
        // A choice goes through every row on the way, as Home and Down take it.
        const auto walk = [](platform::WindowlessList& list, int row) {
            for (int i = 0; i <= row; ++i) {
                list.setSelectedIndex(i);
            }
        };
        if (what == 0) {
            const int row = static_cast<int>(random() % 14);
            p.choose("List1", row);
            walk(model.List1, row);
            done = "category " + std::to_string(row);
        } else if (what <= 2) {
            const bool a = what == 1;
            const int row = static_cast<int>(random() % model.Combo1.items().size());
            p.choose(a ? "Combo1" : "Combo2", row);
            walk(a ? model.Combo1 : model.Combo2, row);
            done = std::string(a ? "Combo1 " : "Combo2 ") + std::to_string(row);
        } else {
            const bool a = what <= 6;
            const char key = what == 9 ? '\b' : keys[random() % (sizeof keys - 1)];
            SetFocus(p[a ? "UA" : "UB"]);
            SendMessageW(p[a ? "UA" : "UB"], EM_SETSEL, 0x7FFF, 0x7FFF);  // typing at the end
            p.type(std::string(1, key));
            (a ? model.UA : model.UB).type(static_cast<char16_t>(key == '\b' ? 8 : key));
            done =
                std::string(a ? "UA key " : "UB key ") + (key == '\b' ? "BS" : std::string(1, key));
        }
        SCOPED_TRACE("step " + std::to_string(step) + ": " + done);
        ASSERT_EQ(p.text("UA"), model.UA.text());
        ASSERT_EQ(p.text("UB"), model.UB.text());
        ASSERT_EQ(p.text("Label1"), model.Label1.caption());
        ASSERT_EQ(p.selected("List1"), model.List1.selectedIndex());
        ASSERT_EQ(p.selected("Combo1"), model.Combo1.selectedIndex());
        ASSERT_EQ(p.selected("Combo2"), model.Combo2.selectedIndex());
        ASSERT_EQ(p.runtime.beeps, model.runtime.beeps());
    }
}

// A sample of the golden table in this desktop's number format, played with the keyboard:
// the lists chosen with Home and Down, the box emptied with Backspace and the text pasted with
// Shift+Insert; the controls must show the table's texts.
TEST(Window, GoldenRowsThroughTheControls) {
    const bool comma = platform::win32::numberLocaleOf(nullptr).decimal == U',';
    const auto rows = goldenSample(readGolden(GOLDEN_FILE), comma ? "comma" : "stop", 6);
    ASSERT_GT(rows.size(), 6u);
    for (const GoldenRow& row : rows) {
        SCOPED_TRACE("golden line " + std::to_string(row.line));
        Program p;
        p.choose("List1", row.category);
        for (const auto& [list, unit] : {std::pair{"Combo1", row.unitA}, {"Combo2", row.unitB}}) {
            const std::wstring name = platform::win32::widen(unit);
            const auto at = SendMessageW(p[list], CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(name.c_str()));
            ASSERT_GE(at, 0) << unit;
            p.choose(list, static_cast<int>(at));
        }
        const char* box = row.onA ? "UA" : "UB";
        SetFocus(p[box]);
        SendMessageW(p[box], EM_SETSEL, 0x7FFF, 0x7FFF);
        p.press(std::vector<Key>(static_cast<std::size_t>(GetWindowTextLengthW(p[box])),
                                 Key{VK_BACK}));
        ASSERT_EQ(p.text(box), "");
        ASSERT_TRUE(OpenClipboard(p.window.handle()));
        EmptyClipboard();
        const std::wstring text = platform::win32::widen(row.text);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        p.press({{VK_INSERT, true}});
        EXPECT_EQ(p.text("UA"), row.UA);
        EXPECT_EQ(p.text("UB"), row.UB);
        EXPECT_EQ(p.text("Label1"), row.message);
    }
}

}  // namespace
}  // namespace tarvel::testing

int main(int argc, char* argv[]) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
