#include "core/circle_touch.h"

#include "core/form1.h"
#include "core/key_input.h"

namespace muto {

// Until the rings are drawn, the surface plays exactly as the keyboard picture does.
void CircleTouch::pic_CircleTouch_KeyDown(int keyCode, int shift) {
    f_.keys().Picture1_KeyDown(keyCode, shift);
}

void CircleTouch::pic_CircleTouch_KeyUp(int keyCode, int shift) {
    f_.keys().Picture1_KeyUp(keyCode, shift);
}

void CircleTouch::chk_CircleTouch_Click() {}

}  // namespace muto
