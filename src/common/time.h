// Time as a service: a monotonic clock, and one-shot or periodic timers. The model and the GIF
// control reach time only through these, so tests advance it by hand and nothing ever waits in a
// loop.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace muto {

// A clock that never goes back and does not follow changes of the wall clock.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    // Seconds since an arbitrary, fixed origin.
    virtual double now() = 0;
};

// A timer of the event loop. Its callback runs on the thread that owns the timer, from the event
// loop, never from inside start() or stop().
class Timer {
public:
    using Duration = std::chrono::microseconds;

    virtual ~Timer() = default;
    // Arms the timer: `onTimeout` runs once `interval` has passed, and again every `interval`
    // while the timer is periodic. Arming an armed timer starts it over.
    virtual void start(Duration interval) = 0;
    // Disarms the timer; a callback that was due does not run.
    virtual void stop() = 0;
    virtual bool active() const = 0;

    std::function<void()> onTimeout;
};

enum class TimerKind { SingleShot, Periodic };

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> createTimer(TimerKind kind) = 0;
};

}  // namespace muto
