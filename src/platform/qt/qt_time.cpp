#include "platform/qt/qt_time.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace muto::qt {

namespace {

class FdTimer;
// The armed one-shot timers; timers live on the GUI thread only.
std::vector<FdTimer*>& armedOneShots() {
    static std::vector<FdTimer*> timers;
    return timers;
}

timespec toTimespec(std::chrono::nanoseconds ns) {
    const auto s = std::chrono::duration_cast<std::chrono::seconds>(ns);
    return timespec{static_cast<time_t>(s.count()), static_cast<long>((ns - s).count())};
}

// A timer on a Linux timerfd watched by the event loop. Qt's own timers count whole
// milliseconds; a timerfd expires at the microsecond asked for, and the event loop wakes as soon
// as the descriptor becomes readable.
class FdTimer : public Timer {
public:
    explicit FdTimer(TimerKind kind)
        : periodic_(kind == TimerKind::Periodic),
          fd_(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
        if (fd_ < 0) {
            std::fprintf(stderr, "muto: no timer: %s\n", std::strerror(errno));
            return;
        }
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_, &QSocketNotifier::activated, [this] { expired(); });
    }
    ~FdTimer() override {
        // The timer may be destroyed by its own callback, inside the notifier's signal.
        if (notifier_) {
            notifier_->setEnabled(false);
            notifier_->deleteLater();
        }
        disarmed();
        if (fd_ >= 0) ::close(fd_);
    }
    FdTimer(const FdTimer&) = delete;
    FdTimer& operator=(const FdTimer&) = delete;

    void start(Duration interval) override {
        if (fd_ < 0) return;
        // A zero it_value would disarm: the shortest wait is one nanosecond, which still goes
        // through the event loop, never from here.
        const std::chrono::nanoseconds ns = interval > Duration::zero()
                                                ? std::chrono::nanoseconds(interval)
                                                : std::chrono::nanoseconds(1);
        itimerspec due{};
        due.it_value = toTimespec(ns);
        if (periodic_) due.it_interval = toTimespec(ns);
        // Setting the time also clears expirations not yet read: a re-armed timer starts over.
        active_ = ::timerfd_settime(fd_, 0, &due, nullptr) == 0;
        if (periodic_) return;
        disarmed();
        if (!active_) return;
        due_ = SteadyClock().now() + std::chrono::duration<double>(ns).count();
        armedOneShots().push_back(this);
    }

    double due() const { return due_; }

    void stop() override {
        if (fd_ < 0) return;
        const itimerspec off{};
        ::timerfd_settime(fd_, 0, &off, nullptr);
        drain();
        active_ = false;
        disarmed();
    }

    bool active() const override { return active_; }

private:
    // The number of expirations since the last arming or read (0 when none).
    uint64_t drain() {
        uint64_t count = 0;
        if (::read(fd_, &count, sizeof count) != static_cast<ssize_t>(sizeof count)) return 0;
        return count;
    }

    void disarmed() {
        auto& armed = armedOneShots();
        armed.erase(std::remove(armed.begin(), armed.end(), this), armed.end());
    }

    void expired() {
        // A readiness reported before stop() or a re-arming finds nothing to read.
        if (drain() == 0) return;
        if (!periodic_) {
            active_ = false;
            disarmed();
        }
        // Late periodic expirations are folded into one call. The callback may destroy the
        // timer (and with it onTimeout): it runs from a copy, and nothing touches the timer
        // afterwards.
        if (auto callback = onTimeout) callback();
    }

    bool periodic_;
    bool active_ = false;
    double due_ = 0;  // SteadyClock seconds, while an armed one-shot
    int fd_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace

double SteadyClock::now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double soonestOneShot() {
    double soonest = std::numeric_limits<double>::infinity();
    for (const FdTimer* t : armedOneShots())
        soonest = std::min(soonest, t->due());
    return soonest;
}

std::unique_ptr<Timer> QtTimerFactory::createTimer(TimerKind kind) {
    return std::make_unique<FdTimer>(kind);
}

}  // namespace muto::qt
