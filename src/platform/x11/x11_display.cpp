// The X display of the running Qt application (kept apart from the X11 headers).
#include <QGuiApplication>

#include "platform/x11/x11_keyboard_leds.h"

namespace muto::x11 {

X11KeyboardLeds X11KeyboardLeds::fromQtApplication() {
    void* display = nullptr;
    if (auto* app = qGuiApp) {
        if (auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>())
            display = x11->display();
    }
    return X11KeyboardLeds(display);
}

}  // namespace muto::x11
