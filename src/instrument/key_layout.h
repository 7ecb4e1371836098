// The natural layouts of the two key groups and the key signatures of the key list: which note
// a key plays before its group's octave, the key signature and the key set move it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "instrument/vk.h"

namespace muto {

struct NaturalKey {
    uint8_t vk;
    uint8_t note;  // before the group's base is added
};

// The natural layouts of group 0 (main block, channel 1) and group 1 (number pad and editing
// keys, channel 2), in the order the keys are written.
std::span<const NaturalKey> keyGroupLayout(int group);

struct KeySignature {
    std::string_view text;
    int32_t transpose;  // ItemData
    std::string_view picture;
};
std::span<const KeySignature> keySignatures();  // 15, in list order

// What a key does on the instrument; nothing for a key the instrument does not have (it is
// ignored completely).
std::optional<KeyRole> keyRoleOf(int vk);

}  // namespace muto
