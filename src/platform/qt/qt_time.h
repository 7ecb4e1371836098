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

}  // namespace muto::qt
