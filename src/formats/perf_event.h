// One recorded key event.
#pragma once

#include <cstdint>

namespace muto {

struct PerfEvent {
    int16_t keyCode = 0;
    int16_t isDown = 0;  // non-zero: the key went down
    float time = 0;      // seconds from the start of the recording (older files: of the day)
};

}  // namespace muto
