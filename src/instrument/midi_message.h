// Packed MIDI short messages: status in bits 0-7, first data byte in bits 8-15, second data byte
// in bits 16-23.
#pragma once

#include <cstdint>
#include <optional>

namespace muto {

// Packs a short message: data-2 × 65536 + data-1 × 256 + status.
constexpr uint32_t packShortMsg(int status, int data1, int data2 = 0) {
    return static_cast<uint32_t>(data2) * 65536u + static_cast<uint32_t>(data1) * 256u +
           static_cast<uint32_t>(status);
}

// A note message for channel 0..15, or nothing when the note cannot be sent (outside 0..127).
std::optional<uint32_t> noteOnMsg(int channel, int note);
std::optional<uint32_t> noteOffMsg(int channel, int note);

}  // namespace muto
