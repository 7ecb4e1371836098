// The key codes of the instrument: Windows virtual-key codes, 0 to 255, and the roles the key
// shapes give them.
#pragma once

namespace muto {

// Shift bits passed with key events.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

}  // namespace muto

namespace muto::vk {

inline constexpr int kBackspace = 8;
inline constexpr int kEnter = 13;
inline constexpr int kShift = 16;
inline constexpr int kCtrl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kPause = 19;
inline constexpr int kEsc = 27;
inline constexpr int kSpace = 32;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kDigit0 = '0';  // the main block's digits are their ASCII codes
inline constexpr int kNumPad0 = 96;  // number pad 0..9: 96..105
inline constexpr int kNumPad9 = 105;
inline constexpr int kF1 = 112;  // F1..F7 put accidentals on scale degrees 0..6
inline constexpr int kF7 = 118;
inline constexpr int kF8 = 119;
inline constexpr int kF9 = 120;
inline constexpr int kF11 = 122;
inline constexpr int kF12 = 123;
inline constexpr int kNumLock = 144;

constexpr bool isNumPadDigit(int k) {
    return k >= kNumPad0 && k <= kNumPad9;
}
constexpr bool isDegreeKey(int k) {
    return k >= kF1 && k <= kF7;
}
// The scale degree 0..6 of F1..F7.
constexpr int degreeOf(int k) {
    return k - kF1;
}

}  // namespace muto::vk

namespace muto {

// The role of a key, kept as a number in the Tag of its shape.
enum class KeyRole {
    NoteChannel1 = 0,
    NoteChannel2 = 1,
    SemitoneModifier = 3,  // Ctrl, Esc and Space
    DegreeKey = 4,         // F1..F7
    Control = 5,           // Shift, Alt, Pause, F8, F9, F11, F12
};

constexpr bool isNoteRole(KeyRole r) {
    return r == KeyRole::NoteChannel1 || r == KeyRole::NoteChannel2;
}
// The MIDI channel (0 or 1) of a note key's role.
constexpr int channelOf(KeyRole r) {
    return r == KeyRole::NoteChannel2 ? 1 : 0;
}

}  // namespace muto
