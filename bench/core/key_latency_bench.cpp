// How long a key event takes to become a MIDI message handed to the output, in process: from
// the key handler's call to the device's shortMsg, with the whole display model updating.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "core/form1.h"
#include "core/key_input.h"

namespace {

using Clock = std::chrono::steady_clock;

struct StampingMidi : muto::MidiDevice {
    int open() override { return 0; }
    void shortMsg(uint32_t) override { stamp = Clock::now(); }
    void close() override {}
    Clock::time_point stamp;
};
struct NoDialogs : muto::Dialogs {
    muto::MsgResult messageBox(const std::string&, const std::string&, muto::MsgButtons,
                               muto::MsgIcon) override {
        return muto::MsgResult::Ok;
    }
    std::optional<std::string> openFile(const muto::FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFile(const muto::FileDialogRequest&) override { return {}; }
    std::optional<uint32_t> chooseColour(uint32_t, int) override { return {}; }
};
struct FixedClock : muto::Clock {
    double secondsSinceMidnight() override { return 1.0; }
};
struct NoLeds : muto::KeyboardLeds {
    bool available() override { return false; }
    bool numLockOn() override { return true; }
    void setNumLock(bool) override {}
};
struct NoPump : muto::EventPump {
    void processEvents() override {}
};
struct AllPictures : muto::PictureLoader {
    muto::PictureStatus probe(const std::string&) override { return muto::PictureStatus::Ok; }
};

// Key-down and key-up of note keys across both channels, each timed from the call to the
// message; the median and the 99th percentile are reported as counters (microseconds).
void BM_KeyEventToMessage(benchmark::State& state) {
    StampingMidi midi;
    NoDialogs dialogs;
    FixedClock clock;
    NoLeds leds;
    NoPump pump;
    AllPictures pictures;
    muto::Form1 form(muto::Services{midi, dialogs, clock, leds, pump, pictures, "/tmp"});
    form.load();
    form.show();
    form.isRecording = true;  // the recording step is part of the path
    form.recMaxEvents = 20000;
    const int keys[] = {'Q', 'A', 'Z', '1', 97, 98, 37, 'K', 'L', 190};
    std::vector<double> samples;
    samples.reserve(1 << 20);
    size_t i = 0;
    for (auto _ : state) {
        int k = keys[i++ % std::size(keys)];
        auto t0 = Clock::now();
        form.keys().Picture1_KeyDown(k, 0);
        samples.push_back(std::chrono::duration<double, std::micro>(midi.stamp - t0).count());
        t0 = Clock::now();
        form.keys().Picture1_KeyUp(k, 0);
        samples.push_back(std::chrono::duration<double, std::micro>(midi.stamp - t0).count());
        if (form.eventCount > 15000) form.eventCount = 0;
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
