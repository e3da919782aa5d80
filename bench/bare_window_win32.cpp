// The floor for start-up on Windows: a plain Win32 window of the converter's size holding the
// same kinds of standard controls (a list box, two drop-down lists, two edits, two statics, a
// push button) and nothing else: no picture, no fonts, no items, no logic. What the converter
// costs above this is its own.
#include <windows.h>

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"BareWindow";
    RegisterClassExW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, 455, 324};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window = CreateWindowExW(0, L"BareWindow", L"Bare", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, instance, nullptr);

    // The converter's geometry, so that both windows paint the same area.
    struct Child {
        const wchar_t* windowClass;
        DWORD style;
        DWORD exStyle;
        int x, y, width, height;
    };
    const Child children[] = {
        {L"BUTTON", BS_PUSHBUTTON, 0, 4, 248, 445, 25},
        {L"LISTBOX", LBS_NOTIFY | WS_VSCROLL, WS_EX_CLIENTEDGE, 276, 0, 177, 200},
        {L"COMBOBOX", CBS_DROPDOWNLIST, 0, 324, 216, 97, 224},
        {L"COMBOBOX", CBS_DROPDOWNLIST, 0, 108, 216, 97, 224},
        {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 244, 216, 81, 24},
        {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 28, 216, 81, 24},
        {L"STATIC", SS_LEFT, 0, 216, 216, 21, 23},
        {L"STATIC", SS_LEFT, 0, 192, 300, 133, 17},
    };
    for (const Child& c : children) {
        CreateWindowExW(c.exStyle, c.windowClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | c.style,
                        c.x, c.y, c.width, c.height, window, nullptr, instance, nullptr);
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
