// Lateness of the event loop's one-shot timers against a schedule: 2000 events 5 ms apart, each
// timer armed for the next deadline from inside the previous callback, as playback does. Compares
// our timerfd timer with a QTimer of type PreciseTimer (whole milliseconds, rounded up so it is
// never early) and prints p50, p99 and max lateness and the process's CPU share over each run.
//   muto_timer_bench [EVENTS [GAP_US]]
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "platform/qt/qt_time.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

double cpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// Arms a one-shot for `wait`; the callback is set once.
struct OneShot {
    std::function<void(microseconds)> start;
    std::function<void(std::function<void()>)> setCallback;
};

void run(const char* name, OneShot timer, int events, microseconds gap) {
    std::vector<double> lateness;
    lateness.reserve(events);
    Clock::time_point deadline;
    auto armNext = [&] {
        deadline += gap;
        timer.start(std::chrono::duration_cast<microseconds>(deadline - Clock::now()));
    };
    timer.setCallback([&] {
        lateness.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - deadline).count());
        if (static_cast<int>(lateness.size()) == events)
            QCoreApplication::quit();
        else
            armNext();
    });
    const double cpu0 = cpuSeconds();
    const auto wall0 = Clock::now();
    deadline = wall0;
    armNext();
    QCoreApplication::exec();
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    const double cpu = cpuSeconds() - cpu0;

    std::sort(lateness.begin(), lateness.end());
    auto pct = [&](double p) {
        return lateness[std::min(lateness.size() - 1, static_cast<size_t>(p * lateness.size()))];
    };
    std::printf(
        "%-22s events %d gap %lld us: lateness p50 %8.1f us  p99 %8.1f us  max %8.1f us"
        "  min %7.1f us  CPU %.2f %% of one core\n",
        name, events, static_cast<long long>(gap.count()), pct(0.50), pct(0.99), lateness.back(),
        lateness.front(), 100.0 * cpu / wall);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int events = argc > 1 ? std::atoi(argv[1]) : 2000;
    const microseconds gap(argc > 2 ? std::atoi(argv[2]) : 5000);
    if (events <= 0 || gap <= microseconds::zero()) {
        std::fprintf(stderr, "usage: muto_timer_bench [EVENTS [GAP_US]]\n");
        return 2;
    }

    muto::qt::QtTimerFactory factory;
    std::unique_ptr<muto::Timer> fd = factory.createTimer(muto::TimerKind::SingleShot);
    run("timerfd",
        {[&](microseconds w) { fd->start(w); },
         [&](std::function<void()> cb) { fd->onTimeout = std::move(cb); }},
        events, gap);

    QTimer precise;
    precise.setTimerType(Qt::PreciseTimer);
    precise.setSingleShot(true);
    run("QTimer PreciseTimer",
        {[&](microseconds w) {
             const auto ms = std::chrono::ceil<std::chrono::milliseconds>(w);
             precise.start(std::max(ms, std::chrono::milliseconds(0)));
         },
         [&](std::function<void()> cb) {
             QObject::connect(&precise, &QTimer::timeout, std::move(cb));
         }},
        events, gap);
    return 0;
}
