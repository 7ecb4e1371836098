// The FluidSynth synthesizer shared by the synth and wav outputs: settings, the synthesizer with
// its General MIDI soundfont, the CC72 release-time modulator, and the decoding of packed short
// messages into FluidSynth calls.
#pragma once

#include <cstdint>
#include <string>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace muto::midi {

// Synthesizer gain (FluidSynth's default 0.2 is too quiet for a played instrument).
inline constexpr double kSynthGain = 1.0;
// Release-time change at CC72 = 127 (bipolar: none at 64), in timecents.
inline constexpr double kReleaseModAmount = 4800.0;

class FluidEngine {
public:
    FluidEngine() = default;
    FluidEngine(const FluidEngine&) = delete;
    FluidEngine& operator=(const FluidEngine&) = delete;
    ~FluidEngine() { destroy(); }

    // Creates the settings and the synthesizer and loads the soundfont. Returns 0 or an
    // OpenCode, with the reason in *reason.
    int create(const std::string& soundfont, double sampleRate, std::string* reason);
    void destroy();
    bool created() const { return synth_ != nullptr; }

    _fluid_hashtable_t* settings() { return settings_; }
    _fluid_synth_t* synth() { return synth_; }

    // Hands one packed short message to the synthesizer.
    void send(uint32_t message);

private:
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
};

class Limiter;

// The most frames renderLimitedS16() renders in one call.
inline constexpr int kMaxRenderBlock = 1024;

// Renders `frames` (at most kMaxRenderBlock) frames of the synthesizer in floating point, limits
// them and writes them to `out` as interleaved 16-bit stereo.
void renderLimitedS16(FluidEngine& engine, Limiter& limiter, int16_t* out, int frames);

// FluidSynth reports through a process-wide log. While an ErrorCapture lives on a thread, error
// messages that FluidSynth logs on that thread are collected into it instead of going to stderr.
class ErrorCapture {
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    // The collected messages joined with "; " (and then forgotten).
    std::string take();

private:
    std::string text_;
    ErrorCapture* previous_;
};

}  // namespace muto::midi
