// Performance files (.vsp): magic "Vesk", a version byte, the settings snapshot, the altered
// keys, the key-signature snapshot and the timed key events, little-endian and unpadded.
// This system writes version 4 and reads 0 to 4 (0 with the layout of 1, 5 and above with the
// layout of 4).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/result.h"
#include "formats/key_entry.h"
#include "formats/perf_event.h"

namespace muto {

constexpr uint8_t kPerformanceVersion = 4;
// The most events a performance in memory can hold (its count is a signed 16-bit number).
constexpr std::size_t kMaxPerfEvents = 32767;
constexpr std::size_t kPerfEventSize = 6;

struct PerformanceFile {
    uint8_t version = kPerformanceVersion;  // as read; the writer always writes 4
    // ListIndex of cmb_key, cmb_inst(0), cmb_inst(1), cmb_OctShift(0), cmb_OctShift(1),
    // cmb_volume(0), cmb_volume(1).
    std::array<uint8_t, 7> settings{};
    std::array<uint8_t, 2> damper{};  // 0 when the file has no damper bytes (version < 2)
    std::vector<KeyEntry> entries;
    // Direction code, then the accidental code of scale degrees 0..6. Empty when the file has
    // no such block (version < 3): the snapshot in memory then keeps its previous content.
    std::optional<std::array<uint8_t, 8>> keySig;
    std::vector<PerfEvent> events;
};

// Always version 4. An empty keySig is written as eight zero bytes: the caller fills in the
// snapshot it holds. Key codes and down flags are written as their low byte.
std::vector<uint8_t> writePerformance(const PerformanceFile& perf);

// BadMagic unless the file starts with "Vesk" (case-sensitive); Truncated when it ends inside
// its header or its per-key block; TooLarge past kMaxPerfEvents events. A partial event record
// at the end is dropped.
ReadResult<PerformanceFile> readPerformance(std::span<const uint8_t> bytes);

// Only the per-key entries, as playback re-reads them at every start; same checks, same verdict
// as readPerformance.
ReadResult<std::vector<KeyEntry>> readPerformanceKeyEntries(std::span<const uint8_t> bytes);

}  // namespace muto
