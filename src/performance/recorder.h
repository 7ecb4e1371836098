// Recording: the record button, the capacity list, and the step that stores each key event
// while a recording runs.
#pragma once

#include <array>
#include <string>
#include <utility>

#include "performance/performance.h"

namespace muto {

class Form1;

class Recorder {
public:
    explicit Recorder(Form1& form) : f_(form) {}

    void cmd_record_Click();
    void cmb_RecMax_Click();
    // Stores a key event of the input surface while recording; stops the recording when the
    // chosen capacity is exceeded.
    void recordKeyEvent(int keyCode, bool down);

    void startRecording();
    void stopRecording();

    // The performance in memory: the one recorded last, or opened.
    const Performance& performance() const { return performance_; }
    void setPerformance(Performance performance) { performance_ = std::move(performance); }
    // The file the performance in memory belongs to, once saved.
    void setPerformancePath(std::string path) { performance_.path = std::move(path); }
    // The most events a recording takes before it stops itself.
    int capacity() const { return capacity_; }
    void setCapacity(int events) { capacity_ = events; }

    // A recording runs.
    bool isRecording = false;

private:
    void setRecordingControlsEnabled(bool enabled);
    // The settings and altered keys as they stand.
    PerformanceSnapshot takeSnapshot() const;
    Form1& f_;
    Performance performance_;
    int capacity_ = 0;
    double startedAt_ = 0;  // monotonic seconds when the recording began
    // Keys whose key-down the recording holds: only their key-ups are recorded.
    std::array<bool, 256> downRecorded_{};
};

}  // namespace muto
