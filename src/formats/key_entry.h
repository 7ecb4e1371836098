// The 3-byte per-key entry kept by key-set files and performance files: a key whose note was
// raised or lowered in the key-set editing mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/result.h"

namespace muto {

struct KeyEntry {
    uint8_t keyCode = 0;  // also the index of the key's caption label
    uint8_t note = 0;     // the MIDI note the key plays
    char flag = 's';      // 's' raised (spelled with sharps), 'f' lowered (flats); not checked

    friend bool operator==(const KeyEntry&, const KeyEntry&) = default;
};

constexpr std::size_t kKeyEntrySize = 3;

void appendKeyEntry(std::vector<uint8_t>& out, const KeyEntry& entry);

// Reads `count` entries from the start of `bytes`; Truncated when fewer than 3 × count bytes are
// there. Bytes past the entries are left alone.
ReadResult<std::vector<KeyEntry>> readKeyEntries(std::span<const uint8_t> bytes, std::size_t count);

}  // namespace muto
