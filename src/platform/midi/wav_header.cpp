#include "platform/midi/wav_header.h"

#include <cstring>

namespace muto::midi {

namespace {

void put16(uint8_t* p, uint32_t v) {
    p[0] = v & 0xFF;
    p[1] = (v >> 8) & 0xFF;
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

}  // namespace

void makeWavHeader(uint8_t* h, int64_t frames, int sampleRate) {
    const auto dataBytes = static_cast<uint32_t>(frames * kWavBytesPerFrame);
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);  // fmt chunk size
    put16(h + 20, 1);   // PCM
    put16(h + 22, kWavChannels);
    put32(h + 24, static_cast<uint32_t>(sampleRate));
    put32(h + 28, static_cast<uint32_t>(sampleRate * kWavBytesPerFrame));
    put16(h + 32, kWavBytesPerFrame);
    put16(h + 34, 16);  // bits per sample
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, dataBytes);
}

}  // namespace muto::midi
