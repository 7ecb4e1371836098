// Recording: the key events of a recording with their times, counted from its start on the
// monotonic clock, and the snapshot of the settings taken when it began.
#pragma once

#include <array>
#include <string>
#include <utility>

#include "performance/performance.h"

namespace muto {

class Recorder {
public:
    // Starts a recording with the settings and altered keys as they stand; `now` is monotonic
    // seconds. The performance in memory is replaced.
    void start(PerformanceSnapshot snapshot, double now);
    void stop() { recording_ = false; }
    bool isRecording() const { return recording_; }

    enum class Take { Ignored, Recorded, Full };
    // Stores a key event at monotonic time `now`. A key-up whose key-down came before the
    // recording is ignored. Full: the event went past the capacity and the recording stopped.
    Take record(int keyCode, bool down, double now);

    // The performance in memory: the one recorded last, or opened.
    const Performance& performance() const { return performance_; }
    void setPerformance(Performance performance) { performance_ = std::move(performance); }
    // The file the performance in memory belongs to, once saved.
    void setPerformancePath(std::string path) { performance_.path = std::move(path); }
    // The most events a recording takes before it stops itself.
    int capacity() const { return capacity_; }
    void setCapacity(int events) { capacity_ = events; }

private:
    Performance performance_;
    bool recording_ = false;
    int capacity_ = 0;
    double startedAt_ = 0;
    // Keys whose key-down the recording holds: only their key-ups are recorded.
    std::array<bool, 256> downRecorded_{};
};

}  // namespace muto
