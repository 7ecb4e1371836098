// Timers of the Qt event loop and the monotonic clock.
#pragma once

#include <QObject>
#include <memory>

#include "common/time.h"

namespace muto::qt {

class SteadyClock : public MonotonicClock {
public:
    double now() override;
};

class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> createTimer(TimerKind kind) override;
};

// The moment, on SteadyClock, the soonest armed one-shot timer of this thread is due; infinity
// when none is armed. A repaint about to start checks it, so that it does not run across the
// moment a playback's next event is due.
double soonestOneShot();

}  // namespace muto::qt
