// The native Windows controls keep the same event rule as the window-less and Qt ones, and
// pass the user's own changes, typed characters and texts through as the form needs them.
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_runtime.h"
#include "support/control_contract.h"

#include <memory>
#include <string>
#include <vector>

namespace tarvel::testing {
namespace {

using platform::win32::EditAccess;
using platform::win32::ItemListAccess;
using Kind = ItemListAccess::Kind;

// A hidden top-level window with one control on it, destroyed together.
struct Native {
    Native(const wchar_t* windowClass, DWORD style) {
        static const ATOM parentClass = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TarvelContractParent";
            return RegisterClassW(&wc);
        }();
        parent = CreateWindowExW(0, MAKEINTATOM(parentClass), L"", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                                 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        control = CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 200,
                                  150, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (control == nullptr) {
            ADD_FAILURE() << "no window: under Wine, DISPLAY must name a running X server";
        }
    }
    explicit Native(Kind kind)
        : Native(kind == Kind::ListBox ? L"LISTBOX" : L"COMBOBOX",
                 static_cast<DWORD>(kind == Kind::ListBox ? LBS_NOTIFY : CBS_DROPDOWNLIST) |
                     WS_VSCROLL) {}
    ~Native() { DestroyWindow(parent); }
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;
    HWND parent;
    HWND control;
};

// Adapters that own their control, as the window owns its controls: built first, gone last.
struct OwnedList final : private Native, public ItemListAccess {
    explicit OwnedList(Kind kind) : Native(kind), ItemListAccess(control, kind) {}
};
struct OwnedEdit final : private Native, public EditAccess {
    OwnedEdit() : Native(L"EDIT", ES_AUTOHSCROLL), EditAccess(control) {}
};

// A notification as the control sends it to its parent.
void notify(HWND control, int code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

INSTANTIATE_TEST_SUITE_P(
    Win32, ListContract,
    ::testing::Values(ListKit{"ListBox", [] { return std::make_unique<OwnedList>(Kind::ListBox); }},
                      ListKit{"DropDownList",
                              [] { return std::make_unique<OwnedList>(Kind::DropDownList); }}),
    KitName{});

INSTANTIATE_TEST_SUITE_P(Win32, TextContract,
                         ::testing::Values(TextKit{"Edit",
                                                   [] { return std::make_unique<OwnedEdit>(); }}),
                         KitName{});

TEST(Win32Adapters, TheControlsOwnChangesRaiseTheHandlers) {
    OwnedList list(Kind::ListBox);
    OwnedList combo(Kind::DropDownList);
    OwnedEdit box;
    std::vector<std::string> seen;
    list.setClickHandler([&] { seen.push_back("list " + std::to_string(list.selectedIndex())); });
    combo.setClickHandler(
        [&] { seen.push_back("combo " + std::to_string(combo.selectedIndex())); });
    box.setKeyPressHandler([&](char16_t& code) { seen.push_back("key " + std::to_string(code)); });
    box.setChangeHandler([&] { seen.push_back("box " + box.text()); });
    for (const char* item : {"a", "b", "c"}) {
        list.append(item);
        combo.append(item);
    }
    // Keys on the controls: they move the choice and notify by themselves.
    SendMessageW(list.handle(), WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(combo.handle(), WM_KEYDOWN, VK_DOWN, 0);
    // An open drop-down list passes over an item, then is cancelled back to where it was.
    SendMessageW(combo.handle(), CB_SETCURSEL, 2, 0);
    notify(combo.handle(), CBN_SELCHANGE);
    SendMessageW(combo.handle(), CB_SETCURSEL, 0, 0);
    notify(combo.handle(), CBN_SELENDCANCEL);
    notify(combo.handle(), CBN_CLOSEUP);
    // A click on the list box's last item, and another on the same.
    SendMessageW(list.handle(), LB_SETCURSEL, 2, 0);
    notify(list.handle(), LBN_SELCHANGE);
    notify(list.handle(), LBN_SELCHANGE);
    // Typing, then a change made without a key (as paste or undo make one).
    SendMessageW(box.handle(), WM_CHAR, L'7', 1);
    SendMessageW(box.handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"8"));
    EXPECT_EQ(seen, (std::vector<std::string>{"list 0", "combo 0", "combo 2", "combo 0", "list 2",
                                              "key 55", "box 7", "box 78"}));
}

// Typed characters as WM_CHAR or WM_IME_CHAR units, through a handler that refuses "x" and
// U+1F321 and types "." for ",".
struct Typing {
    const char* name;
    UINT message;
    std::u16string units;
    std::string shown;
    int asked; ///< how many units the handler saw
};

class Win32Typing : public ::testing::TestWithParam<Typing> {};

TEST_P(Win32Typing, EveryCharacterPassesTheKeyHandler) {
    OwnedEdit box;
    int asked = 0;
    box.setKeyPressHandler([&](char16_t& code) {
        ++asked;
        if (code == u',') {
            code = u'.';
        } else if (code == u'x' || code == 0xD83C) {
            code = 0;
        }
    });
    for (const char16_t unit : GetParam().units) {
        SendMessageW(box.handle(), GetParam().message, unit, 1);
    }
    EXPECT_EQ(box.text(), GetParam().shown);
    EXPECT_EQ(asked, GetParam().asked);
}

INSTANTIATE_TEST_SUITE_P(
    Win32, Win32Typing,
    ::testing::Values(Typing{"Kept", WM_CHAR, u"12", "12", 2},
                      Typing{"Replaced", WM_CHAR, u"1,5", "1.5", 3},
                      Typing{"Swallowed", WM_CHAR, u"x9x", "9", 3},
                      Typing{"FromAnInputMethod", WM_IME_CHAR, u"1,x", "1.", 3},
                      Typing{"PairKeptWhole", WM_CHAR, u"\U0001F600", "\U0001F600", 1},
                      Typing{"PairRefusedWhole", WM_CHAR, u"4\U0001F3215", "45", 3}),
    KitName{});

// Once an adapter is gone, its control works on and reaches none of its handlers.
TEST(Win32Adapters, AGoneAdapterLeavesItsControlSilent) {
    int runs = 0;
    Native list(Kind::ListBox);
    Native combo(Kind::DropDownList);
    Native edit(L"EDIT", ES_AUTOHSCROLL);
    {
        ItemListAccess listAccess(list.control, Kind::ListBox);
        ItemListAccess comboAccess(combo.control, Kind::DropDownList);
        EditAccess editAccess(edit.control);
        const auto ran = [&] { ++runs; };
        listAccess.setClickHandler(ran);
        comboAccess.setClickHandler(ran);
        editAccess.setChangeHandler(ran);
        editAccess.setKeyPressHandler([&](char16_t&) { ++runs; });
        listAccess.append("a");
        comboAccess.append("a");
    }
    SendMessageW(list.control, LB_SETCURSEL, 0, 0);
    notify(list.control, LBN_SELCHANGE);
    SendMessageW(combo.control, CB_SETCURSEL, 0, 0);
    notify(combo.control, CBN_SELCHANGE);
    SendMessageW(edit.control, WM_CHAR, L'5', 1);
    EXPECT_EQ(platform::win32::StaticAccess(edit.control).caption(), "5");
    EXPECT_EQ(runs, 0);
}

// UTF-8 in, the same UTF-8 out, through every kind of control.
class Win32Texts : public ::testing::TestWithParam<std::string> {};

TEST_P(Win32Texts, RoundTripAsUtf8) {
    const std::string& text = GetParam();
    EXPECT_EQ(platform::win32::narrow(platform::win32::widen(text)), text);
    OwnedEdit box;
    box.setText(text);
    EXPECT_EQ(box.text(), text);
    OwnedList combo(Kind::DropDownList);
    combo.append(text);
    EXPECT_EQ(combo.item(0), text);
    Native label(L"STATIC", 0);
    platform::win32::StaticAccess caption(label.control);
    caption.setCaption(text);
    EXPECT_EQ(caption.caption(), text);
}

INSTANTIATE_TEST_SUITE_P(Win32, Win32Texts,
                         ::testing::Values("\u00baC", "\u00b7", "\U0001F321 25", "Presi\u00f3n",
                                           ""));

TEST(Win32Adapters, InvalidUtf8BecomesTheReplacementCharacter) {
    EXPECT_EQ(platform::win32::widen("1\xff"), L"1\xFFFD");
}

TEST(Win32Runtime, ReadsTheSeparatorsOfALocaleOrTheUsersOwn) {
    using platform::NumberLocale;
    EXPECT_EQ(platform::win32::numberLocaleOf(L"es-ES"), (NumberLocale{U',', U'.'}));
    EXPECT_EQ(platform::win32::numberLocaleOf(L"not a locale!"), NumberLocale{});
    wchar_t user[LOCALE_NAME_MAX_LENGTH] = {};
    ASSERT_GT(GetUserDefaultLocaleName(user, LOCALE_NAME_MAX_LENGTH), 0);
    EXPECT_EQ(platform::win32::Win32Runtime().numberLocale(),
              platform::win32::numberLocaleOf(user));
}

} // namespace
} // namespace tarvel::testing
