// The circle-touch rings in the real window (offscreen platform): the process's CPU share while
// eight rings grow at once on the event loop's 30 ms timers, and the time to paint one ring step
// (the repaint of the area the old and the new ring cover) against a repaint of the whole
// keyboard canvas, and what one key change costs: the key going down or up and the repaint of
// what it changed (its key shape and caption, its piano key, its staff marker). Under Xvfb with
// QT_QPA_PLATFORM=xcb the figures are those of the real window.
//   muto_ring_bench [SECONDS]
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "common/quiet_services.h"
#include "form/circle_touch.h"
#include "form/form1.h"
#include "platform/qt/key_canvas.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_time.h"
#include "platform/qt/ring_overlay.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1))];
}

// Eight note keys along the letter rows.
constexpr int kKeys[8] = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I'};

void playEight(muto::Form1& form) {
    for (int k : kKeys) {
        form.keyDown(k, 0);
        form.keyUp(k, 0);
    }
}

// Runs the event loop for `seconds` while eight rings grow, started again as soon as they end.
void cpuShare(muto::Form1& form, double seconds) {
    QTimer again;
    again.setInterval(1300);  // a ring lives 41 steps of 30 ms
    QObject::connect(&again, &QTimer::timeout, [&form] { playEight(form); });
    playEight(form);
    again.start();
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    QTimer::singleShot(static_cast<int>(seconds * 1000), [] { QApplication::quit(); });
    QApplication::exec();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = cpuSeconds() - cpu0;
    std::printf("eight growing rings: %.2f s of CPU in %.2f s, %.1f %% of one core\n", cpu, wall,
                100.0 * cpu / wall);
}

// Paint time of a region of the canvas, painted at once.
std::vector<double> paintTimes(QWidget& canvas, const QRect& area, int rounds) {
    std::vector<double> us;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        canvas.repaint(area);
        us.push_back(static_cast<double>(t.nsecsElapsed()) / 1000.0);
    }
    return us;
}

// A key going down and up, each followed by the repaint of what it changed (shown with the next
// frame: the rounds are a frame apart, so it is shown at once).
void keyChangeCost(muto::Form1& form) {
    std::vector<double> down;
    std::vector<double> up;
    for (int i = 0; i < 100; ++i) {
        for (auto* times : {&down, &up}) {
            QThread::msleep(20);
            QApplication::processEvents();
            QElapsedTimer t;
            t.start();
            if (times == &down)
                form.keyDown('Q', 0);
            else
                form.keyUp('Q', 0);
            for (int pass = 0; pass < 3; ++pass)
                QApplication::processEvents();
            times->push_back(static_cast<double>(t.nsecsElapsed()) / 1000.0);
        }
    }
    std::printf(
        "key change and its repaint: down p50 %.0f us, p99 %.0f us; up p50 %.0f us, p99 %.0f us\n",
        percentile(down, 0.5), percentile(down, 0.99), percentile(up, 0.5), percentile(up, 0.99));
}

// The canvas alone painted whole, into an image: no panel widget, no flush to the screen.
void canvasCost(QWidget& canvas) {
    QImage image(canvas.size(), QImage::Format_RGB32);
    std::vector<double> us;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        canvas.render(&image);
        us.push_back(static_cast<double>(t.nsecsElapsed()) / 1000.0);
    }
    std::printf("the whole canvas alone, into an image: p50 %.0f us, p99 %.0f us\n",
                percentile(us, 0.5), percentile(us, 0.99));
}

void paintCost(muto::Form1& form, QWidget& canvas) {
    muto::CircleTouch& rings = form.circleTouch();
    playEight(form);
    for (float radius : {10.0f, 70.0f, 136.0f}) {
        muto::Ring before = rings.ring(0);
        before.radius = radius - muto::CircleTouch::kGrowth;
        muto::Ring after = before;
        after.radius = radius;
        const QRect area =
            muto::qt::RingOverlay::bounds(before).united(muto::qt::RingOverlay::bounds(after));
        const auto us = paintTimes(canvas, area, 400);
        std::printf("ring step at radius %5.1f (%dx%d px): p50 %.0f us, p99 %.0f us\n", radius,
                    area.width(), area.height(), percentile(us, 0.5), percentile(us, 0.99));
    }
    const auto whole = paintTimes(canvas, canvas.rect(), 200);
    std::printf("whole keyboard canvas (%dx%d px):     p50 %.0f us, p99 %.0f us\n", canvas.width(),
                canvas.height(), percentile(whole, 0.5), percentile(whole, 0.99));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 6.0;

    muto::bench::QuietServices quiet;
    muto::qt::QtPictureLoader pictures;
    muto::qt::QtTimerFactory timers;
    muto::qt::SteadyClock steady;
    muto::Services services = quiet.with(pictures, MUTO_BENCH_PROGRAM_DIR);
    muto::Services real{
        services.midi,     services.dialogs,   steady, timers, services.downloader, services.leds,
        services.pictures, services.programDir};
    muto::Form1 form(real);
    if (!form.load()) return 1;
    auto window = std::make_unique<muto::qt::MainWindow>(form, pictures, quiet.fakes.leds);
    form.show();
    window->show();
    canvasCost(*window->canvas());
    keyChangeCost(form);
    form.chk_CircleTouch.setValue(1);
    QApplication::processEvents();

    paintCost(form, *window->canvas());
    cpuShare(form, seconds);
    return 0;
}
