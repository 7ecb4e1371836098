// log:FILE — every short message becomes one line "SECONDS HEX…": seconds since open() with six
// decimals, then the message bytes as two-digit upper-case hex, as many as the message has
// ("0.512345 90 3C 7F", "0.600000 C0 28"). Each line is flushed as it is written, so the file can
// be read while the program runs.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/midi/midi_output.h"

namespace muto::midi {

class LogOutput : public MidiOutput {
public:
    explicit LogOutput(std::string path) : path_(std::move(path)) {}
    ~LogOutput() override { close(); }

    int open() override;
    void shortMsg(uint32_t message) override;
    void close() override;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace muto::midi
