#include "platform/x11/x11_keyboard_leds.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace muto::x11 {

namespace {

Display* dpy(void* d) {
    return static_cast<Display*>(d);
}

}  // namespace

X11KeyboardLeds::X11KeyboardLeds(void* display) : display_(display) {
    if (!display_) return;
    // The extension must be queried once before XkbKeysymToModifiers gives a mask.
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(dpy(display_), &opcode, &event, &error, &major, &minor)) {
        display_ = nullptr;
        return;
    }
    numLockMask_ = XkbKeysymToModifiers(dpy(display_), XK_Num_Lock);
}

bool X11KeyboardLeds::numLockOn() {
    if (!available()) return false;
    XkbStateRec state{};
    if (XkbGetState(dpy(display_), XkbUseCoreKbd, &state) != Success) return false;
    return (state.locked_mods & numLockMask_) != 0;
}

void X11KeyboardLeds::setNumLock(bool on) {
    if (!available()) return;
    XkbLockModifiers(dpy(display_), XkbUseCoreKbd, numLockMask_, on ? numLockMask_ : 0);
    XSync(dpy(display_), False);
}

}  // namespace muto::x11
