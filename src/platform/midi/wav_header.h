// The 44-byte header of a 16-bit stereo PCM WAV file at the synthesizer's rate, shared by the
// real-time WAV output and the offline renderer.
#pragma once

#include <cstdint>

namespace muto::midi {

inline constexpr int kWavChannels = 2;
inline constexpr int kWavBytesPerFrame = kWavChannels * 2;
inline constexpr int kWavHeaderSize = 44;
// The data chunk's size is a 32-bit field: nothing may be written past this many frames.
inline constexpr int64_t kWavMaxFrames = (0xFFFFFFFFll - kWavHeaderSize) / kWavBytesPerFrame;

// Writes the header of a file holding `frames` frames at `sampleRate` into h[0..43].
void makeWavHeader(uint8_t* h, int64_t frames, int sampleRate);

}  // namespace muto::midi
