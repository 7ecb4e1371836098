// The synthesizer's output stage. FluidSynth mixes every voice, reverb and chorus in floating
// point, where a loud chord has all the headroom it needs; this stage then brings the sum under a
// ceiling below full scale with a look-ahead peak limiter, so converting to 16 bits or handing
// the buffer to the sound system never clips. Anything below the ceiling — a single note, a
// small chord — passes unchanged, only delayed by the look-ahead.
//
// The gain needed by each sample is held over the look-ahead window (a sliding minimum), let
// back up to 1 with a release time, and smoothed by a moving average over the same window; the
// signal is delayed by that window, so the gain has come down fully by the time a peak leaves.
#pragma once

#include <cstdint>
#include <vector>

namespace muto::midi {

inline constexpr float kLimiterCeiling = 0.891f;  // -1 dBFS
inline constexpr int kLimiterLookahead = 64;      // frames: 1.45 ms at 44.1 kHz
inline constexpr double kLimiterReleaseSeconds = 0.08;

class Limiter {
public:
    explicit Limiter(double sampleRate);

    // Limits a stereo block in place (the output is the input of kLimiterLookahead - 1 frames
    // earlier).
    void process(float* left, float* right, int frames);
    // The same for an interleaved stereo block.
    void processInterleaved(float* frames, int count);
    // Forgets the signal and the gain: silence in, silence out.
    void reset();

private:
    float step(float& left, float& right);

    float releaseCoeff_;
    // Delay line of the signal, and the sliding minimum of the needed gain as a monotonic queue
    // of (frame, gain) pairs.
    std::vector<float> delayL_, delayR_;
    std::vector<int64_t> minFrame_;
    std::vector<float> minGain_;
    int minHead_ = 0, minSize_ = 0;
    std::vector<float> held_;  // the last kLimiterLookahead held gains, for the moving average
    double heldSum_ = 0;
    float released_ = 1.0f;
    int64_t frame_ = 0;
};

// A float sample to 16 bits, rounded, with the (never reached) extremes clamped.
inline int16_t toS16(float x) {
    float v = x * 32767.0f;
    v = v > 32767.0f ? 32767.0f : (v < -32768.0f ? -32768.0f : v);
    return static_cast<int16_t>(v >= 0 ? v + 0.5f : v - 0.5f);
}

}  // namespace muto::midi
