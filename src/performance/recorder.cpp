#include "performance/recorder.h"

#include <algorithm>

namespace muto {

void Recorder::start(PerformanceSnapshot snapshot, double now) {
    recording_ = true;
    performance_ = Performance{};
    performance_.snapshot = std::move(snapshot);
    performance_.events.reserve(static_cast<size_t>(std::max(capacity_, 0)) + 1);
    downRecorded_.fill(false);
    // Time stamps count from here on the monotonic clock: a wall-clock float loses its
    // milliseconds late in the day, and a clock change would break the gaps.
    startedAt_ = now;
}

Recorder::Take Recorder::record(int k, bool down, double now) {
    if (!recording_) return Take::Ignored;
    // A key-up whose key-down came before the recording (the Return that answered its question)
    // is not part of it: the recording begins at the first key pressed.
    const size_t key = static_cast<size_t>(k & 0xFF);
    if (!down && !downRecorded_[key]) return Take::Ignored;
    downRecorded_[key] = down;
    performance_.events.push_back(PerfEvent{static_cast<int16_t>(k),
                                            static_cast<int16_t>(down ? 1 : 0),
                                            static_cast<float>(now - startedAt_)});
    if (performance_.eventCount() <= capacity_) return Take::Recorded;
    recording_ = false;
    return Take::Full;
}

}  // namespace muto
