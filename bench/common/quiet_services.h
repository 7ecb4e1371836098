// Platform services for the key-path benchmarks: a MIDI device that notes when it was handed a
// message, and services that stay out of the way.
#pragma once

#include <chrono>
#include <string>

#include "core/form1.h"
#include "core/services.h"

namespace muto::bench {

using BenchClock = std::chrono::steady_clock;

struct StampingMidi : MidiDevice {
    int open() override { return 0; }
    void shortMsg(uint32_t) override { stamp = BenchClock::now(); }
    void close() override {}
    BenchClock::time_point stamp;
};

struct NoDialogs : Dialogs {
    MsgResult messageBox(const std::string&, const std::string&, MsgButtons, MsgIcon) override {
        return MsgResult::Ok;
    }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return {}; }
    std::optional<uint32_t> chooseColour(uint32_t, int) override { return {}; }
};

struct FixedClock : Clock {
    double secondsSinceMidnight() override { return 1.0; }
};

struct NumLockOn : KeyboardLeds {
    bool available() override { return true; }
    bool numLockOn() override { return true; }
    void setNumLock(bool) override {}
};

struct NoPump : EventPump {
    void processEvents() override {}
};

struct AllPictures : PictureLoader {
    PictureStatus probe(const std::string&) override { return PictureStatus::Ok; }
};

// Everything but the picture loader, which each benchmark chooses.
struct QuietServices {
    Services with(PictureLoader& pictures, std::string programDir) {
        return Services{midi, dialogs, clock, leds, pump, pictures, std::move(programDir)};
    }
    StampingMidi midi;
    NoDialogs dialogs;
    FixedClock clock;
    NumLockOn leds;
    NoPump pump;
};

}  // namespace muto::bench
