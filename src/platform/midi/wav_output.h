// wav:FILE — the built-in synthesizer rendering in real time into a 16-bit stereo 44.1 kHz WAV
// file, for machines without a sound system. A render thread follows the wall clock; each message
// is stamped with the time it arrives and applied at that point of the rendered stream, so a note
// played 1.0 s after open() starts 1.0 s into the file however the thread is scheduled. The
// header's sizes are brought up to date about twice a second and on close(), so a file left by a
// killed program is still readable up to its last update. The sound goes through the limiter,
// so a loud chord never clips.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/midi/fluid_engine.h"
#include "platform/midi/limiter.h"
#include "platform/midi/midi_output.h"

namespace muto::midi {

inline constexpr int kWavSampleRate = 44100;

class WavOutput : public MidiOutput {
public:
    WavOutput(std::string path, std::string soundfont)
        : path_(std::move(path)), soundfont_(std::move(soundfont)) {}
    ~WavOutput() override { close(); }

    int open() override;
    void shortMsg(uint32_t message) override;
    void close() override;

    const std::string& path() const { return path_; }

private:
    struct Pending {
        int64_t frame;  // position in the stream where the message takes effect
        uint32_t message;
    };

    int64_t framesSinceOpen(std::chrono::steady_clock::time_point now) const;
    void renderLoop();
    // Renders the messages received so far and the stream up to the present moment.
    void catchUp();
    void renderTo(int64_t frame);
    void patchHeader();
    // Gives up writing after a failed write with system error `err`: reports it once and leaves
    // a header that covers what reached the file.
    void stopWriting(int err);

    std::string path_;
    std::string soundfont_;
    FluidEngine engine_;
    std::FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point start_;

    std::mutex mutex_;  // guards queue_ and stop_
    std::condition_variable wake_;
    std::vector<Pending> queue_;
    bool stop_ = true;  // true while closed: messages are dropped
    std::thread thread_;

    // Owned by the render thread (and by close() once it has stopped).
    std::vector<Pending> batch_;
    std::vector<int16_t> buffer_;
    Limiter limiter_{kWavSampleRate};
    int64_t rendered_ = 0;   // frames written
    int64_t patchedAt_ = 0;  // frames covered by the header's sizes
    bool writeFailed_ = false;
};

}  // namespace muto::midi
