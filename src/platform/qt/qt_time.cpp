#include "platform/qt/qt_time.h"

#include <QTimer>
#include <chrono>

namespace muto::qt {

namespace {

class QtTimer : public Timer {
public:
    explicit QtTimer(TimerKind kind) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(kind == TimerKind::SingleShot);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTimeout) onTimeout();
        });
    }
    void start(Duration interval) override {
        // Qt counts whole milliseconds; rounding up never fires early.
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(interval);
        timer_.start(ms < std::chrono::milliseconds{0} ? std::chrono::milliseconds{0} : ms);
    }
    void stop() override { timer_.stop(); }
    bool active() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

}  // namespace

double SteadyClock::now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::unique_ptr<Timer> QtTimerFactory::createTimer(TimerKind kind) {
    return std::make_unique<QtTimer>(kind);
}

}  // namespace muto::qt
