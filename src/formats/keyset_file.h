// Key-set files (.vns): the key signature, the two octave shifts and the altered keys.
// Three list indices, then 3-byte entries up to the end of the file; no magic, no count.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/result.h"
#include "formats/key_entry.h"

namespace muto {

struct KeySetFile {
    uint8_t key = 0;      // ListIndex of cmb_key
    uint8_t octave1 = 0;  // ListIndex of cmb_OctShift(0)
    uint8_t octave2 = 0;  // ListIndex of cmb_OctShift(1)
    std::vector<KeyEntry> entries;

    friend bool operator==(const KeySetFile&, const KeySetFile&) = default;
};

std::vector<uint8_t> writeKeySet(const KeySetFile& keySet);

// Truncated when the three list indices are not all there. One or two bytes after the last
// whole entry are ignored. Values are not checked: the caller skips what its lists and labels
// cannot take.
ReadResult<KeySetFile> readKeySet(std::span<const uint8_t> bytes);

}  // namespace muto
