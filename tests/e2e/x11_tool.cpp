// A small helper for the window tests: asks a window to close the way a window manager would,
// and reads or sets Num Lock.
//   x11_tool close WINDOW_ID     send WM_DELETE_WINDOW
//   x11_tool numlock             print "on" or "off"
//   x11_tool numlock on|off      set the lock
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int closeWindow(Display* dpy, Window w) {
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &ev);
    XSync(dpy, False);
    return 0;
}

unsigned numLockMask(Display* dpy) {
    int op, ev, err, major = XkbMajorVersion, minor = XkbMinorVersion;
    XkbQueryExtension(dpy, &op, &ev, &err, &major, &minor);
    return XkbKeysymToModifiers(dpy, XK_Num_Lock);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: x11_tool close WINDOW_ID | numlock [on|off]\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "x11_tool: cannot open the display\n");
        return 1;
    }
    int rc = 2;
    if (std::strcmp(argv[1], "close") == 0 && argc == 3) {
        rc = closeWindow(dpy, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
    } else if (std::strcmp(argv[1], "numlock") == 0) {
        unsigned mask = numLockMask(dpy);
        if (argc == 3) {
            bool on = std::strcmp(argv[2], "on") == 0;
            XkbLockModifiers(dpy, XkbUseCoreKbd, mask, on ? mask : 0);
            XSync(dpy, False);
            rc = 0;
        } else {
            XkbStateRec state;
            XkbGetState(dpy, XkbUseCoreKbd, &state);
            std::puts((state.locked_mods & mask) ? "on" : "off");
            rc = 0;
        }
    }
    XCloseDisplay(dpy);
    return rc;
}
