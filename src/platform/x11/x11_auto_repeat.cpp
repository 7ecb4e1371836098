#include "platform/x11/x11_auto_repeat.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace muto::x11 {

bool enableDetectableAutoRepeat(void* display) {
    if (!display) return false;
    Display* dpy = static_cast<Display*>(display);
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(dpy, &opcode, &event, &error, &major, &minor)) return false;
    Bool supported = False;
    const Bool on = XkbSetDetectableAutoRepeat(dpy, True, &supported);
    // Take effect before the first key event is read.
    XSync(dpy, False);
    return on && supported;
}

}  // namespace muto::x11
