// A performance as a value: its timed key events, the snapshot of the settings it was recorded
// with, the file version it was read from and the file it belongs to. The recorder builds it,
// the performance files read and write it, the player plays it and the exports render it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/key_entry.h"
#include "formats/perf_event.h"
#include "formats/performance_file.h"

namespace muto {

// The entries of the octave lists; a snapshot index is kept within them.
constexpr uint8_t kOctaveListCount = 4;

// The key-signature block of a performance that has none (older files): ascending accidentals,
// no degree altered.
constexpr std::array<uint8_t, 8> kNeutralKeySig{1, 0, 0, 0, 0, 0, 0, 0};

struct PerformanceSnapshot {
    // List indices of the key signature, the two instruments, the two octave shifts and the two
    // volumes, in that order.
    std::array<uint8_t, 7> settings{};
    std::array<uint8_t, 2> damper{};
    // Direction code, then the accidental code of scale degrees 0..6 (0 none, 1 sharp, 2 flat).
    std::array<uint8_t, 8> keySig = kNeutralKeySig;
    // The altered keys, each with the note it plays under this snapshot's key signature and
    // octaves.
    std::vector<KeyEntry> entries;
};

struct Performance {
    std::vector<PerfEvent> events;
    PerformanceSnapshot snapshot;
    uint8_t version = kPerformanceVersion;  // of the file it was read from
    std::string path;                       // the file it belongs to; "" when none

    // The octave list index channel `ch` plays with: files before version 4 kept channel 1's
    // one entry lower.
    int octaveIndex(int ch) const;
    int eventCount() const { return static_cast<int>(events.size()); }
};

// A performance read from `path`. One without a key-signature block gets the neutral one.
Performance performanceOf(PerformanceFile file, std::string path);
// The file that plays the same: always version 4, channel 1's octave written as it plays.
PerformanceFile performanceFileOf(const Performance& performance);

// The file name without its folder, whichever separator the path uses.
std::string baseName(const std::string& path);

// Key-signature code of a direction or an accidental: 2 for a negative value.
uint8_t keySigCode(int value);

}  // namespace muto
