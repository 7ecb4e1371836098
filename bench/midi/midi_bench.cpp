// Cost of handing a message to each output (on the key path), and the built-in synthesizer's
// opening time and resident memory.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/midi/fluid_engine.h"
#include "platform/midi/log_output.h"
#include "platform/midi/synth_output.h"
#include "platform/midi/wav_output.h"

namespace muto::midi {
namespace {

using Clock = std::chrono::steady_clock;

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

std::string tempPath(const char* name) {
    return "/tmp/muto-midi-bench-" + std::to_string(::getpid()) + "-" + name;
}

// Note on/off pairs over two channels and a spread of notes, each call timed on its own:
// reports the median and 99th percentile of one shortMsg besides the mean.
void notePairs(benchmark::State& state, MidiDevice& device) {
    std::vector<double> micros;
    micros.reserve(1 << 20);
    uint32_t note = 48;
    for (auto _ : state) {
        const uint32_t channel = note & 1;
        const auto t0 = Clock::now();
        device.shortMsg(0x90 | channel | note << 8 | 0x7Fu << 16);
        const auto t1 = Clock::now();
        device.shortMsg(0x80 | channel | note << 8);
        const auto t2 = Clock::now();
        if (micros.size() + 2 <= micros.capacity()) {
            micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            micros.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
        }
        note = note == 84 ? 48 : note + 1;
    }
    state.SetItemsProcessed(state.iterations() * 2);
    if (micros.empty()) return;
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}

// The synth backend's shortMsg is FluidEngine::send while an audio thread renders; where no
// audio system runs, a thread rendering 128-frame periods in real time stands in for it.
class EngineDevice : public MidiDevice {
public:
    int open() override {
        std::string reason;
        if (int code = engine_.create(kDefaultSoundFont, 44100, &reason)) return code;
        running_ = true;
        thread_ = std::thread([this] {
            std::vector<int16_t> buffer(kAudioPeriodSize * 2);
            auto next = Clock::now();
            while (running_) {
                fluid_synth_write_s16(engine_.synth(), kAudioPeriodSize, buffer.data(), 0, 2,
                                      buffer.data(), 1, 2);
                next += std::chrono::microseconds(kAudioPeriodSize * 1000000 / 44100);
                std::this_thread::sleep_until(next);
            }
        });
        return 0;
    }
    void shortMsg(uint32_t message) override { engine_.send(message); }
    void close() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        engine_.destroy();
    }

private:
    FluidEngine engine_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

// Opening: time, and the process's resident memory before and while open.
template <class Open>
void measureOpen(benchmark::State& state, Open open) {
    // Resident memory of the first open, before anything else was loaded.
    double before = 0, after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (before == 0) before = residentMegabytes();
        state.ResumeTiming();
        auto device = open();
        if (!device) return state.SkipWithError("could not open");
        state.PauseTiming();
        if (after == 0) after = residentMegabytes();
        device->close();
        state.ResumeTiming();
    }
    state.counters["rss_before_MB"] = before;
    state.counters["rss_open_MB"] = after;
}

void BM_SynthOpen(benchmark::State& state) {
    measureOpen(state, []() -> std::unique_ptr<MidiDevice> {
        auto synth = std::make_unique<SynthOutput>(kDefaultSoundFont);
        return synth->open() == 0 ? std::move(synth) : nullptr;
    });
}
BENCHMARK(BM_SynthOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

// What synth and wav share: settings, synthesizer, soundfont (no audio driver).
void BM_SynthEngineOpen(benchmark::State& state) {
    measureOpen(state, []() -> std::unique_ptr<MidiDevice> {
        auto device = std::make_unique<EngineDevice>();
        return device->open() == 0 ? std::move(device) : nullptr;
    });
}
BENCHMARK(BM_SynthEngineOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LogShortMsg(benchmark::State& state) {
    const std::string path = tempPath("log.txt");
    LogOutput log(path);
    if (log.open() != 0) return state.SkipWithError(log.lastError().c_str());
    notePairs(state, log);
    log.close();
    std::remove(path.c_str());
}
BENCHMARK(BM_LogShortMsg);

void BM_WavShortMsg(benchmark::State& state) {
    const std::string path = tempPath("out.wav");
    WavOutput wav(path, kDefaultSoundFont);
    if (wav.open() != 0) return state.SkipWithError(wav.lastError().c_str());
    wav.shortMsg(0x00C0);
    wav.shortMsg(0x00C1);
    notePairs(state, wav);
    wav.close();
    std::remove(path.c_str());
}
BENCHMARK(BM_WavShortMsg)->MinTime(2.0);

void BM_SynthShortMsg(benchmark::State& state) {
    SynthOutput synth(kDefaultSoundFont);
    if (synth.open() != 0) return state.SkipWithError("no audio output on this machine");
    synth.shortMsg(0x00C0);
    synth.shortMsg(0x00C1);
    notePairs(state, synth);
    synth.close();
}
BENCHMARK(BM_SynthShortMsg)->MinTime(2.0);

void BM_SynthEngineShortMsg(benchmark::State& state) {
    EngineDevice device;
    if (device.open() != 0) return state.SkipWithError("no soundfont");
    device.shortMsg(0x00C0);
    device.shortMsg(0x00C1);
    notePairs(state, device);
    device.close();
}
BENCHMARK(BM_SynthEngineShortMsg)->MinTime(2.0);

}  // namespace
}  // namespace muto::midi

BENCHMARK_MAIN();
