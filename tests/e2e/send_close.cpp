// Presses a window's close button the way a window manager does: a WM_DELETE_WINDOW message
// in WM_PROTOCOLS, which the window may answer as it likes. (Destroying the window, as
// `xdotool windowclose` does, would not ask the program at all.) The window must list
// WM_DELETE_WINDOW among its protocols, or it has no close button to press.
//
// Usage: send_close WINDOW-ID   (decimal or 0x-prefixed), on $DISPLAY
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: send_close WINDOW-ID\n");
        return 2;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "send_close: cannot open the display\n");
        return 1;
    }
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);

    Atom* listed = nullptr;
    int count = 0;
    bool supported = false;
    if (XGetWMProtocols(display, window, &listed, &count) != 0) {
        for (int i = 0; i < count; ++i) {
            supported = supported || listed[i] == deleteWindow;
        }
        XFree(listed);
    }
    if (!supported) {
        std::fprintf(stderr, "send_close: window 0x%lx does not take WM_DELETE_WINDOW\n", window);
        XCloseDisplay(display);
        return 1;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
