// Time advanced by hand: a monotonic clock and timers that fire in due order when the owner says
// "advance 30 ms". The tests drive the model with it, and the exports play a performance on it
// faster than real time.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "common/time.h"

namespace muto {

class ManualTimers;

class ManualTimer : public Timer {
public:
    ManualTimer(ManualTimers& owner, TimerKind kind) : owner_(owner), kind_(kind) {}
    ~ManualTimer() override;
    void start(Duration interval) override;
    void stop() override { armed_ = false; }
    bool active() const override { return armed_; }

    TimerKind kind() const { return kind_; }
    Duration interval() const { return interval_; }
    // When it is due, in microseconds on the manual clock.
    int64_t due() const { return due_; }

private:
    friend class ManualTimers;
    ManualTimers& owner_;
    TimerKind kind_;
    bool armed_ = false;
    Duration interval_{0};
    int64_t due_ = 0;
    uint64_t order_ = 0;  // arming order breaks ties between timers due at the same time
};

// One manual time line for the monotonic clock and the timers.
class ManualTimers : public TimerFactory, public MonotonicClock {
public:
    // The clock starts at `startUs` microseconds.
    explicit ManualTimers(int64_t startUs = 0) : nowUs_(startUs) {}
    std::unique_ptr<Timer> createTimer(TimerKind kind) override;
    double now() override { return static_cast<double>(nowUs_) / 1e6; }

    // Moves time forward, firing every timer that falls due on the way in due order; a
    // callback sees the clock at its own due time and may arm or stop timers.
    void advance(std::chrono::microseconds by);
    void advanceMs(double ms) {
        advance(std::chrono::microseconds(static_cast<int64_t>(ms * 1000.0 + 0.5)));
    }
    // Moves the clock without firing anything (a stalled event loop); the next advance() fires
    // what fell due, late.
    void stall(std::chrono::microseconds by) { nowUs_ += by.count(); }
    // Runs timers until none is armed or `limit` has passed; returns the time advanced.
    std::chrono::microseconds runUntilIdle(std::chrono::microseconds limit);

    int64_t nowUs() const { return nowUs_; }
    // When the next armed timer is due, in microseconds; nothing when none is armed.
    std::optional<int64_t> nextDueUs() const;
    int armedCount() const;

private:
    friend class ManualTimer;
    ManualTimer* nextDue(int64_t until);
    int64_t nowUs_ = 0;
    uint64_t arming_ = 0;
    std::vector<ManualTimer*> timers_;
};

}  // namespace muto
