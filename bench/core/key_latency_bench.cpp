// How long a key event takes to become a MIDI message handed to the output, in process: from
// the key handler's call to the device's shortMsg, with the whole display model updating.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "common/quiet_services.h"
#include "form/form1.h"
#include "form/key_input.h"
#include "performance/recorder.h"

namespace {

using namespace muto::bench;
using Clock = BenchClock;

void BM_KeyEventToMessage(benchmark::State& state) {
    QuietServices quiet;
    muto::test::FakePictures pictures;
    muto::Form1 form(quiet.with(pictures, "/tmp"));
    StampingMidi& midi = quiet.midi;
    form.load();
    form.show();
    form.recorder().start({}, 0);  // the recording step is part of the path
    form.recorder().setCapacity(20000);
    const int keys[] = {'Q', 'A', 'Z', '1', 97, 98, 37, 'K', 'L', 190};
    std::vector<double> samples;
    samples.reserve(1 << 20);
    size_t i = 0;
    for (auto _ : state) {
        int k = keys[i++ % std::size(keys)];
        auto t0 = Clock::now();
        form.keyDown(k, 0);
        samples.push_back(std::chrono::duration<double, std::micro>(midi.stamp - t0).count());
        t0 = Clock::now();
        form.keyUp(k, 0);
        samples.push_back(std::chrono::duration<double, std::micro>(midi.stamp - t0).count());
        if (form.recorder().performance().eventCount() > 15000) form.recorder().setPerformance({});
    }
    std::sort(samples.begin(), samples.end());
    if (!samples.empty()) {
        state.counters["p50_us"] = samples[samples.size() / 2];
        state.counters["p99_us"] = samples[samples.size() * 99 / 100];
    }
}
BENCHMARK(BM_KeyEventToMessage);

}  // namespace

BENCHMARK_MAIN();
