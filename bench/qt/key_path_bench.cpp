// Key event to MIDI message handed to the output, through the whole in-process path: a Qt key
// event with its native scan code sent to the window's canvas, the key translation, the key
// handlers and the display model. Runs on the offscreen platform; reports the median and the
// 99th percentile (microseconds) over note keys of both channels.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "common/quiet_services.h"
#include "form/form1.h"
#include "platform/qt/key_canvas.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_services.h"

namespace {

using namespace muto::bench;
using Clock = BenchClock;

void BM_QtKeyEventToMessage(benchmark::State& state) {
    QuietServices quiet;
    muto::qt::QtPictureLoader pictures;
    muto::Form1 form(quiet.with(pictures, MUTO_BENCH_PROGRAM_DIR));
    StampingMidi& midi = quiet.midi;
    form.load();
    auto window = std::make_unique<muto::qt::MainWindow>(form, pictures, quiet.fakes.leds);
    form.show();
    window->show();
    QApplication::processEvents();
    // X keycodes of Q, A, Z, 1, K, L and number-pad 1, 2, 4, 5.
    const int scans[] = {24, 38, 52, 10, 45, 46, 87, 88, 83, 84};
    std::vector<double> samples;
    size_t i = 0;
    for (auto _ : state) {
        int scan = scans[i++ % std::size(scans)];
        for (auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent e(type, Qt::Key_unknown, Qt::NoModifier, static_cast<quint32>(scan), 0, 0);
            auto t0 = Clock::now();
            QApplication::sendEvent(window->canvas(), &e);
            samples.push_back(std::chrono::duration<double, std::micro>(midi.stamp - t0).count());
        }
        if (i % 64 == 0) QApplication::processEvents();  // let the repaints happen now and then
    }
    std::sort(samples.begin(), samples.end());
    if (!samples.empty()) {
        state.counters["p50_us"] = samples[samples.size() / 2];
        state.counters["p99_us"] = samples[samples.size() * 99 / 100];
    }
}
BENCHMARK(BM_QtKeyEventToMessage)->Iterations(20000);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
