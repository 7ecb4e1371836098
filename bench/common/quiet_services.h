// Platform services for the key-path benchmarks: a MIDI device that notes when it was handed a
// message, and the tests' fakes for everything else.
#pragma once

#include <chrono>
#include <string>

#include "form/form1.h"
#include "support/fake_services.h"

namespace muto::bench {

using BenchClock = std::chrono::steady_clock;

struct StampingMidi : MidiDevice {
    int open() override { return 0; }
    void shortMsg(uint32_t) override { stamp = BenchClock::now(); }
    void close() override {}
    BenchClock::time_point stamp;
};

// Everything but the picture loader, which each benchmark chooses.
struct QuietServices {
    Services with(PictureLoader& pictures, std::string programDir) {
        return Services{midi,       fakes.dialogs,        fakes.time,
                        fakes.time, fakes.downloader,     fakes.leds,
                        pictures,   std::move(programDir)};
    }
    StampingMidi midi;
    test::FakeServices fakes;
};

}  // namespace muto::bench
