#include "ui/win32/native_window.h"

#include "core/ftarvel.h"
#include "platform/runtime.h"
#include "platform/win32/win32_controls.h"
#include "ui/win32/accessibility.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

namespace tarvel::ui::win32 {
namespace {

using layout::Kind;
using platform::win32::ButtonAccess;
using platform::win32::EditAccess;
using platform::win32::ItemListAccess;

constexpr wchar_t kClassName[] = L"ConversorDeUnidades";
// Fixed frame with a title bar and a close button: no resizing, no minimise or maximise.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
// Control identifiers; none is IDOK or IDCANCEL, so no key of the dialog manager's presses one.
constexpr int kFirstId = 1001;
// How far a unit list drops down below its closed box, at 96 dpi.
constexpr int kDropDownHeight = 200;
// Posted by the message line's access to have its message checked once the action is handled.
constexpr UINT kSettleMessage = WM_APP + 1;

COLORREF colourRef(layout::Colour c) { return RGB(c.red, c.green, c.blue); }

constexpr std::size_t indexOf(std::string_view name) {
    for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
        if (layout::kControls[i].name == name) {
            return i;
        }
    }
    return layout::kControls.size();
}

int CALLBACK countFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

// The first of a face's families that the system has, looked up once per face; the last one
// when none is there (the font mapper then picks a face of the same family).
std::wstring firstInstalled(layout::Face face) {
    HDC screen = GetDC(nullptr);
    std::wstring chosen;
    for (const std::string_view family : layout::families(face)) {
        chosen = platform::win32::widen(family);
        LOGFONTW query{};
        query.lfCharSet = DEFAULT_CHARSET;
        wcsncpy_s(query.lfFaceName, LF_FACESIZE, chosen.c_str(), _TRUNCATE);
        bool found = false;
        EnumFontFamiliesExW(screen, &query, countFace, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            break;
        }
    }
    ReleaseDC(nullptr, screen);
    return chosen;
}

const wchar_t* faceName(layout::Face face) {
    static const std::wstring arial = firstInstalled(layout::Face::Arial);
    static const std::wstring sansSerif = firstInstalled(layout::Face::MsSansSerif);
    return (face == layout::Face::Arial ? arial : sansSerif).c_str();
}

HFONT makeFont(const layout::Font& font, UINT dpi) {
    LOGFONTW wanted{};
    wanted.lfHeight = -layout::pixelSize(font.points, dpi);
    wanted.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    wanted.lfItalic = static_cast<BYTE>(font.italic);
    wanted.lfCharSet = ANSI_CHARSET;
    wanted.lfOutPrecision = OUT_TT_PRECIS;
    wanted.lfQuality = CLEARTYPE_QUALITY;
    wanted.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    wcsncpy_s(wanted.lfFaceName, LF_FACESIZE, faceName(font.face), _TRUNCATE);
    return CreateFontIndirectW(&wanted);
}

struct ClassAndStyle {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

ClassAndStyle classOf(Kind kind) {
    switch (kind) {
    case Kind::Button:  // neither the default nor the cancel button
        return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
    case Kind::ListBox:
        return {WC_LISTBOXW, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case Kind::DropDownList:  // the closed box shows the chosen item and takes no typing
        return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case Kind::Edit:
        return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case Kind::Label:
        return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
    }
    return {WC_STATICW, 0, 0};
}

int characterClass(wchar_t c) {
    if (layout::partOfNumber(c)) {
        return 1;
    }
    return c == L' ' || c == L'\t' ? 0 : 2;
}

// Word breaks of a value box: runs of number characters, of blanks and of anything else.
int CALLBACK numberWordBreak(LPWSTR text, int current, int length, int code) {
    if (length <= 0) {
        return 0;
    }
    if (code == WB_ISDELIMITER) {
        return current >= 0 && current < length && characterClass(text[current]) == 0;
    }
    // The character the position follows, as the edit's own word breaking takes it.
    const int at = current > 0 ? (current > length ? length : current) - 1 : 0;
    const int kind = characterClass(text[at]);
    int i = at;
    if (code == WB_LEFT) {
        while (i > 0 && characterClass(text[i - 1]) == kind) {
            --i;
        }
        return i;
    }
    while (i < length && characterClass(text[i]) == kind) {
        ++i;
    }
    return i;
}

// A value box's own habit: a double click takes the whole number and leaves the caret at its
// start, so a long number keeps its leading digits in sight. The number is taken again when the
// button comes up, unless a drag went past it: the edit follows the pointer while the button
// is down, and the least move within the number would shorten the selection to the pointer.
LRESULT CALLBACK valueBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data) {
    auto& pick = *reinterpret_cast<NumberPick*>(data);
    const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
    if (message == WM_LBUTTONDBLCLK || (message == WM_LBUTTONUP && pick.pending)) {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        if (message == WM_LBUTTONDBLCLK) {
            pick = {start, end, true};
        } else {
            pick.pending = false;
            if (start < pick.start || end > pick.end) {
                return result;  // dragged beyond the number: the user's own selection
            }
        }
        SendMessageW(box, EM_SETSEL, pick.end, static_cast<LPARAM>(pick.start));
    }
    return result;
}

// A closed drop-down list is as tall as its font makes it: its selection field is set so that
// the box is as tall as the value box beside it. The field and the box around it are not in a
// fixed ratio on every system, so the box is measured again until it fits.
void fitClosedHeight(HWND list, int height) {
    auto setting = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, WPARAM(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed{};
        GetWindowRect(list, &closed);
        const int off = height - (closed.bottom - closed.top);
        if (off == 0) {
            return;
        }
        setting += off;
        SendMessageW(list, CB_SETITEMHEIGHT, WPARAM(-1), setting);
    }
}

// The banner as the program carries it: a bitmap file among its resources.
bool findBanner(HINSTANCE instance, const BITMAPINFO*& info, const void*& bits) {
    HRSRC found = FindResourceW(instance, L"BANNER", MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (found == nullptr) {
        return false;
    }
    const DWORD size = SizeofResource(instance, found);
    const auto* file =
        static_cast<const unsigned char*>(LockResource(LoadResource(instance, found)));
    if (file == nullptr || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) {
        return false;
    }
    BITMAPFILEHEADER header;
    std::memcpy(&header, file, sizeof header);
    const auto* candidate = reinterpret_cast<const BITMAPINFO*>(file + sizeof header);
    const BITMAPINFOHEADER& head = candidate->bmiHeader;
    const long long stride = (static_cast<long long>(head.biWidth) * head.biBitCount + 31) / 32 * 4;
    if (header.bfType != 0x4D42 || head.biBitCount != 24 || head.biCompression != BI_RGB ||
        head.biWidth <= 0 || head.biHeight <= 0 ||
        header.bfOffBits + stride * head.biHeight > size) {
        return false;
    }
    info = candidate;
    bits = file + header.bfOffBits;
    return true;
}

}  // namespace

NativeWindow::NativeWindow(platform::Runtime& runtime, HINSTANCE instance)
    : runtime_(runtime), instance_(instance), annotations_(std::make_unique<Annotations>()) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);
    findBanner(instance_, banner_, bannerBits_);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, L"IDI_ICON1");
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance_, L"IDI_ICON1", IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly when a second window registers it again

    const std::wstring caption = platform::win32::widen(layout::kCaption);
    window_ = CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, layout::kClientWidth, layout::kClientHeight, nullptr,
                              nullptr, instance_, this);
    if (window_ == nullptr) {
        return;
    }
    categoryBrush_.reset(CreateSolidBrush(colourRef(layout::kCategoryBackground)));
    createControls();
    layOut(GetDpiForWindow(window_), nullptr);

    const auto at = [this](std::string_view name) { return control(name); };
    list1_ = std::make_unique<ItemListAccess>(at("List1"), ItemListAccess::Kind::ListBox);
    combo1_ = std::make_unique<ItemListAccess>(at("Combo1"), ItemListAccess::Kind::DropDownList);
    combo2_ = std::make_unique<ItemListAccess>(at("Combo2"), ItemListAccess::Kind::DropDownList);
    ua_ = std::make_unique<EditAccess>(at("UA"));
    ub_ = std::make_unique<EditAccess>(at("UB"));
    label1_ = std::make_unique<MessageLineAccess>(at("Label1"), window_, kSettleMessage);
    command1_ = std::make_unique<ButtonAccess>(at("Command1"));
    // The form runs its start-up sequence here, so "Text1" and "Text2" are replaced before
    // the window is ever shown.
    form_ = std::make_unique<core::fTarvel>(
        core::Controles{*list1_, *combo1_, *combo2_, *ua_, *ub_, label1_->access, *command1_},
        runtime_);
}

NativeWindow::~NativeWindow() {
    form_.reset();  // unwires every handler before the adapters and the controls go
    command1_.reset();
    label1_.reset();
    ub_.reset();
    ua_.reset();
    combo2_.reset();
    combo1_.reset();
    list1_.reset();
    if (window_ != nullptr) {
        for (HWND c : controls_) {
            annotations_->clear(c);
        }
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

HWND NativeWindow::control(std::string_view name) const {
    const std::size_t i = indexOf(name);
    return i < controls_.size() ? controls_[i] : nullptr;
}

void NativeWindow::createControls() {
    for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
        const layout::Control& described = layout::kControls[i];
        const ClassAndStyle kind = classOf(described.kind);
        const std::wstring text = platform::win32::widen(described.text);
        controls_[i] = CreateWindowExW(
            kind.exStyle, kind.windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | kind.style, 0,
            0, 0, 0, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + static_cast<int>(i))),
            instance_, nullptr);
        annotations_->name(controls_[i], described.accessibleName, described.accessibleDescription);
    }
    // Stacked and walked in the tab order: where neighbours overlap, the first one lies on top.
    // A reader that names a text box or a list by the label just before it (the classic rule,
    // and Wine's) finds an unseen label there with the control's name.
    HWND above = HWND_TOP;
    for (const std::string_view name : layout::kTabOrder) {
        const layout::Control& described = layout::control(name);
        if (described.kind != Kind::Button) {
            const std::wstring text = platform::win32::widen(described.accessibleName);
            HWND label = CreateWindowExW(0, WC_STATICW, text.c_str(), WS_CHILD | SS_NOPREFIX, 0,
                                         0, 0, 0, window_, nullptr, instance_, nullptr);
            SetWindowPos(label, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            above = label;
        }
        SetWindowPos(control(name), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = control(name);
    }
    for (std::size_t i = 0; i < picks_.size(); ++i) {
        const HWND box = control(i == 0 ? "UA" : "UB");
        SendMessageW(box, EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(numberWordBreak));
        SetWindowSubclass(box, valueBoxProc, 0, reinterpret_cast<DWORD_PTR>(&picks_[i]));
    }
    annotations_->liveRegion(control("Label1"));
}

void NativeWindow::layOut(UINT dpi, const RECT* frame) {
    dpi_ = dpi;
    RECT outer{0, 0, layout::scaled(layout::kClientWidth, dpi),
               layout::scaled(layout::kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&outer, kStyle, FALSE, kExStyle, dpi);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    int x = 0;
    int y = 0;
    if (frame != nullptr) {
        x = frame->left;
        y = frame->top;
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& work = monitor.rcWork;
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }
    SetWindowPos(window_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The icon at the sizes this density asks for, each taken from the nearest image the
    // program carries; the old ones go once the window holds the new.
    for (const auto& [which, metric] :
         {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
        const int side = GetSystemMetricsForDpi(metric, dpi);
        auto* icon =
            static_cast<HICON>(LoadImageW(instance_, L"IDI_ICON1", IMAGE_ICON, side, side, 0));
        if (icon != nullptr) {
            SendMessageW(window_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
            (which == ICON_BIG ? bigIcon_ : smallIcon_).reset(icon);
        }
    }

    for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
        const layout::Control& described = layout::kControls[i];
        HWND c = controls_[i];
        // The control takes its new font before the old one goes.
        HFONT font = makeFont(described.font, dpi);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        fonts_[i].reset(font);
        const int boxHeight = layout::scaled(described.place.height, dpi);
        const bool dropDown = described.kind == Kind::DropDownList;
        SetWindowPos(c, nullptr, layout::scaled(described.place.x, dpi),
                     layout::scaled(described.place.y, dpi),
                     layout::scaled(described.place.width, dpi),
                     boxHeight + (dropDown ? layout::scaled(kDropDownHeight, dpi) : 0),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (dropDown) {
            fitClosedHeight(c, boxHeight);
        }
    }
    // The frame's own metrics can differ from what was asked for them (a theme, a system that
    // scales the frame for another density than the client's): the client area is what counts.
    RECT client{};
    GetClientRect(window_, &client);
    const int wantWidth = layout::scaled(layout::kClientWidth, dpi);
    const int wantHeight = layout::scaled(layout::kClientHeight, dpi);
    if (client.right != wantWidth || client.bottom != wantHeight) {
        SetWindowPos(window_, nullptr, 0, 0, width + wantWidth - client.right,
                     height + wantHeight - client.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void NativeWindow::show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    SetFocus(control("UA"));
}

bool NativeWindow::preTranslate(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB ||
        (message.hwnd != window_ && !IsChild(window_, message.hwnd)) ||
        GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) {
        return false;
    }
    moveFocus(GetKeyState(VK_SHIFT) >= 0);
    return true;
}

void NativeWindow::moveFocus(bool forward) {
    const HWND focus = GetFocus();
    const std::size_t count = layout::kTabOrder.size();
    std::size_t at = count;
    for (std::size_t i = 0; i < count; ++i) {
        const HWND c = control(layout::kTabOrder[i]);
        if (c == focus || IsChild(c, focus)) {
            at = i;
        }
    }
    if (at < count && layout::control(layout::kTabOrder[at]).kind == Kind::DropDownList) {
        SendMessageW(control(layout::kTabOrder[at]), CB_SHOWDROPDOWN, FALSE, 0);
    }
    const std::size_t next = at == count ? 0 : (at + (forward ? 1 : count - 1)) % count;
    const HWND target = control(layout::kTabOrder[next]);
    SetFocus(target);
    // As in a dialog, a text box reached with the keyboard has its whole text selected.
    if (layout::control(layout::kTabOrder[next]).kind == Kind::Edit) {
        SendMessageW(target, EM_SETSEL, 0, -1);
    }
}

void NativeWindow::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    if (banner_ != nullptr) {
        // At its own size from the corner, scaled only as the whole window is; the client
        // area's edge clips what does not fit. Whole pixels are repeated, never blended.
        const LONG width = banner_->bmiHeader.biWidth;
        const LONG height = banner_->bmiHeader.biHeight;
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, 0, 0, layout::scaled(width, dpi_), layout::scaled(height, dpi_), 0, 0,
                      width, height, bannerBits_, banner_, DIB_RGB_COLORS, SRCCOPY);
    }
    EndPaint(window_, &ps);
}

HBRUSH NativeWindow::colourOf(HDC dc, HWND c) {
    if (c == control("List1")) {
        SetTextColor(dc, colourRef(layout::kCategoryText));
        SetBkColor(dc, colourRef(layout::kCategoryBackground));
        return categoryBrush_.get();
    }
    // Both labels are drawn on the window's white whatever the desktop's colours: under a dark
    // scheme its text colour is light, and the "=" would vanish.
    if (c == control("Label1") || c == control("Label2")) {
        SetTextColor(dc, colourRef(c == control("Label1") ? layout::kMessageText
                                                         : layout::kEqualsText));
        SetBkColor(dc, colourRef(layout::kWindowBackground));
        return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    }
    return nullptr;
}

LRESULT CALLBACK NativeWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<NativeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<NativeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self != nullptr ? self->handle(message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT NativeWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
        if (HBRUSH brush =
                colourOf(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
            return reinterpret_cast<LRESULT>(brush);
        }
        break;
    case kSettleMessage:
        if (label1_) {
            label1_->face.run();
        }
        return 0;
    case WM_ACTIVATE:
        // The keyboard comes back to the control that had it when the window was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus != nullptr && IsChild(window_, focus)) {
                lastFocus_ = focus;
            }
        } else {
            SetFocus(lastFocus_ != nullptr ? lastFocus_ : control("UA"));
        }
        return 0;
    case WM_DPICHANGED:
        layOut(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        runtime_.end();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

int runMessageLoop(NativeWindow& window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.preTranslate(message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace tarvel::ui::win32
