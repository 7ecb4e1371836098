// The X display of the running Qt application (kept apart from the X11 headers).
#include <QGuiApplication>

#include "platform/x11/x11_auto_repeat.h"
#include "platform/x11/x11_keyboard_leds.h"

namespace muto::x11 {

namespace {

void* qtDisplay() {
    if (auto* app = qGuiApp) {
        if (auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>())
            return x11->display();
    }
    return nullptr;
}

}  // namespace

X11KeyboardLeds X11KeyboardLeds::fromQtApplication() {
    return X11KeyboardLeds(qtDisplay());
}

bool enableDetectableAutoRepeatForQtApplication() {
    return enableDetectableAutoRepeat(qtDisplay());
}

}  // namespace muto::x11
