// Playback timing: 2000 key events 5 ms apart played through a loaded main window, driven by the
// Qt event loop and its timers on the offscreen platform. Reports how late each event's MIDI
// message reached the output against the schedule (p50, p99, max, in milliseconds) and the
// process's CPU share over the playback (user + system time over wall time).
//
//   muto_playback_bench [runs]
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "form/form1.h"
#include "form/playback_panel.h"
#include "performance/player.h"
#include "performance/recorder.h"
#include "platform/qt/qt_time.h"
#include "support/fake_services.h"

namespace {

constexpr int kEvents = 2000;
constexpr double kGap = 0.005;

// Notes when each note message reached the output.
struct StampingMidi : muto::MidiDevice {
    explicit StampingMidi(muto::MonotonicClock& clock) : clock_(clock) {}
    int open() override { return 0; }
    void shortMsg(uint32_t m) override {
        const uint32_t status = m & 0xF0;
        if (status != 0x80 && status != 0x90) return;
        stamps.push_back(clock_.now());
        if (stamps.size() == kEvents) QCoreApplication::quit();
    }
    void close() override {}
    std::vector<double> stamps;

private:
    muto::MonotonicClock& clock_;
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

bool runOnce(int run) {
    muto::qt::SteadyClock clock;
    muto::qt::QtTimerFactory timers;
    muto::test::FakeServices fakes;
    StampingMidi midi(clock);
    muto::Form1 form(muto::Services{midi, fakes.dialogs, clock, timers, fakes.downloader,
                                    fakes.leds, fakes.pictures, "/nonexistent/muto-bench"});
    if (!form.load()) return false;
    form.show();

    // Q, W, E, R struck in turn: down, up, down, up … with recorded times from 0 s, so the
    // 32-bit times keep their 5 ms steps.
    const int keys[] = {81, 87, 69, 82};
    muto::Performance perf;
    for (int i = 0; i < kEvents; ++i)
        perf.events.push_back({static_cast<int16_t>(keys[(i / 2) % 4]),
                               static_cast<int16_t>(i % 2 == 0), static_cast<float>(i * kGap)});
    perf.snapshot.settings = {0, 0, 0, 2, 2, 0, 0};
    form.recorder().setPerformance(perf);
    form.playback().setProgressScale(kEvents);
    form.cmb_key.setListIndex(0);
    midi.stamps.clear();

    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(60000);

    const double cpu0 = cpuSeconds();
    const double t0 = clock.now();
    form.cmd_play.click();
    const double clickTook = clock.now() - t0;
    const int rc = QCoreApplication::exec();
    const double wall = clock.now() - t0;
    const double cpu = cpuSeconds() - cpu0;
    if (rc != 0 || midi.stamps.size() != kEvents) {
        std::fprintf(stderr, "run %d: %zu of %d messages\n", run, midi.stamps.size(), kEvents);
        return false;
    }

    // The schedule as the engine computes it: one second, then the recorded gaps in double.
    std::vector<double> late;
    double due = t0 + 1.0;
    for (int i = 0; i < kEvents; ++i) {
        if (i > 0)
            due += static_cast<double>(perf.events[static_cast<size_t>(i)].time) -
                   static_cast<double>(perf.events[static_cast<size_t>(i) - 1].time);
        late.push_back((midi.stamps[static_cast<size_t>(i)] - due) * 1e3);
    }
    std::printf(
        "run %d: %d events, lateness ms p50 %.3f p99 %.3f max %.3f min %.3f; "
        "cpu %.3f s over %.2f s wall = %.2f %% of one core (start click %.3f ms)\n",
        run, kEvents, percentile(late, 0.5), percentile(late, 0.99),
        *std::max_element(late.begin(), late.end()), *std::min_element(late.begin(), late.end()),
        cpu, wall, 100.0 * cpu / wall, clickTook * 1e3);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    for (int r = 1; r <= runs; ++r)
        if (!runOnce(r)) return 1;
    return 0;
}
