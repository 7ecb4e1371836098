// Time that tests advance by hand: a monotonic clock, a wall clock that moves with it, and
// timers that fire in due order when the test says "advance 30 ms".
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/time.h"

namespace muto::test {

class FakeTimers;

class FakeTimer : public Timer {
public:
    FakeTimer(FakeTimers& owner, TimerKind kind) : owner_(owner), kind_(kind) {}
    ~FakeTimer() override;
    void start(Duration interval) override;
    void stop() override { armed_ = false; }
    bool active() const override { return armed_; }

    TimerKind kind() const { return kind_; }
    Duration interval() const { return interval_; }
    // When it is due, in microseconds on the fake clock.
    int64_t due() const { return due_; }

private:
    friend class FakeTimers;
    FakeTimers& owner_;
    TimerKind kind_;
    bool armed_ = false;
    Duration interval_{0};
    int64_t due_ = 0;
    uint64_t order_ = 0;  // arming order breaks ties between timers due at the same time
};

// One manual time line for the monotonic clock, the wall clock and the timers.
class FakeTimers : public TimerFactory, public MonotonicClock, public Clock {
public:
    std::unique_ptr<Timer> createTimer(TimerKind kind) override;
    double now() override { return static_cast<double>(nowUs_) / 1e6; }
    // The wall clock: `wallOrigin` seconds since midnight at fake time 0, wrapping at midnight.
    double secondsSinceMidnight() override;

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
    int armedCount() const;

    double wallOrigin = 36000.0;

private:
    friend class FakeTimer;
    FakeTimer* nextDue(int64_t until);
    int64_t nowUs_ = 0;
    uint64_t arming_ = 0;
    std::vector<FakeTimer*> timers_;
};

}  // namespace muto::test
