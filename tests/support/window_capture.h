// What the window's own playback sends: a window just opened, with no screen and on a manual
// clock, plays the performance from its first event. The export must sound the same.
#pragma once

#include "performance/performance_export.h"

namespace muto::test {

PlaybackCapture captureWindowPlayback(const PerformanceSource& source);

}  // namespace muto::test
