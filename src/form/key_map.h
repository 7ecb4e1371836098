// Which note every PC key plays: the two key groups, the key signature and the octave shifts.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace muto {

class Form1;

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

class KeyMap {
public:
    explicit KeyMap(Form1& form) : f_(form) {}

    // keyNote of every key of the group := natural + base + keyAlter. A key whose sum would not
    // fit 0..255 is left unmapped (0); the other keys are unaffected.
    void buildKeyGroup(int group, int base);
    // octave(g) × 12 + the key signature's transposition.
    int baseOf(int group) const;
    void rebuildBothGroups();
    void refreshKeyStaffTops();
    void resetKeyCaptions();
    void refreshKeyCaptions();

    void cmb_key_Click();
    void cmb_OctShift_Click(int group);
    void cmd_KeySetDefault_Click();

private:
    void loadKeySignaturePicture();
    Form1& f_;
};

}  // namespace muto
