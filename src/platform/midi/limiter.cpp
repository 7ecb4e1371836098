#include "platform/midi/limiter.h"

#include <algorithm>
#include <cmath>

namespace muto::midi {

namespace {
constexpr int kWindow = kLimiterLookahead;
}  // namespace

Limiter::Limiter(double sampleRate)
    : releaseCoeff_(static_cast<float>(std::exp(-1.0 / (kLimiterReleaseSeconds * sampleRate)))),
      delayL_(kWindow, 0.0f),
      delayR_(kWindow, 0.0f),
      minFrame_(kWindow, 0),
      minGain_(kWindow, 1.0f),
      held_(kWindow, 1.0f) {
    reset();
}

void Limiter::reset() {
    std::fill(delayL_.begin(), delayL_.end(), 0.0f);
    std::fill(delayR_.begin(), delayR_.end(), 0.0f);
    std::fill(held_.begin(), held_.end(), 1.0f);
    heldSum_ = kWindow;
    minHead_ = 0;
    minSize_ = 0;
    released_ = 1.0f;
    frame_ = 0;
}

float Limiter::step(float& left, float& right) {
    const float peak = std::max(std::fabs(left), std::fabs(right));
    // Not finite: nothing sensible can be played; silence rather than a burst.
    const float need = !std::isfinite(peak)     ? 0.0f
                       : peak > kLimiterCeiling ? kLimiterCeiling / peak
                                                : 1.0f;

    // Sliding minimum of `need` over the last kWindow frames.
    auto at = [this](int i) { return (minHead_ + i) % kWindow; };
    if (minSize_ > 0 && minFrame_[static_cast<size_t>(minHead_)] <= frame_ - kWindow) {
        minHead_ = (minHead_ + 1) % kWindow;
        --minSize_;
    }
    while (minSize_ > 0 && minGain_[static_cast<size_t>(at(minSize_ - 1))] >= need)
        --minSize_;
    minGain_[static_cast<size_t>(at(minSize_))] = need;
    minFrame_[static_cast<size_t>(at(minSize_))] = frame_;
    ++minSize_;
    const float windowMin = minGain_[static_cast<size_t>(minHead_)];

    // Down at once, back up with the release time; never above what the window needs.
    released_ = std::min(windowMin, 1.0f - releaseCoeff_ * (1.0f - released_));

    const size_t slot = static_cast<size_t>(frame_ % kWindow);
    heldSum_ += released_ - held_[slot];
    held_[slot] = released_;
    const float gain = static_cast<float>(heldSum_ / kWindow);

    // The delay line: the frame that entered kWindow - 1 frames ago leaves now.
    const size_t out = static_cast<size_t>((frame_ + 1) % kWindow);
    delayL_[slot] = left;
    delayR_[slot] = right;
    left = std::isfinite(delayL_[out]) ? delayL_[out] * gain : 0.0f;
    right = std::isfinite(delayR_[out]) ? delayR_[out] * gain : 0.0f;
    ++frame_;
    return gain;
}

void Limiter::process(float* left, float* right, int frames) {
    for (int i = 0; i < frames; ++i)
        step(left[i], right[i]);
}

void Limiter::processInterleaved(float* frames, int count) {
    for (int i = 0; i < count; ++i)
        step(frames[2 * i], frames[2 * i + 1]);
}

}  // namespace muto::midi
