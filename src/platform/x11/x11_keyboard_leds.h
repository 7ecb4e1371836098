// Num Lock through the X keyboard extension. The X11 headers stay inside the .cpp files: they
// define Bool, KeyPress and friends, which break Qt's headers in either include order.
#pragma once

#include "form/services.h"

namespace muto::x11 {

class X11KeyboardLeds : public KeyboardLeds {
public:
    // `display` is an X Display*; null (offscreen or Wayland) makes every call do nothing.
    explicit X11KeyboardLeds(void* display);
    // Uses the display of the running Qt application when it runs on X11.
    static X11KeyboardLeds fromQtApplication();

    bool available() override { return display_ != nullptr && numLockMask_ != 0; }
    bool numLockOn() override;
    void setNumLock(bool on) override;

private:
    void* display_;
    unsigned numLockMask_ = 0;
};

}  // namespace muto::x11
