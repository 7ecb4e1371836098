// Physical key → Windows virtual-key code. The instrument's key codes are Windows virtual-key
// codes; on X11 a key event carries the X keycode of the physical key (evdev code + 8), which
// stays the same under Shift, Ctrl and Alt and under every keyboard layout. Translating from it
// (never from the produced character) makes a French, German or Korean layout play the same notes
// as a US one. Free of Qt so it is tested without a display.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace muto::keys {

// Windows virtual-key codes used by the translation.
inline constexpr int kVkClear = 12;
inline constexpr int kVkHangul = 0x15;
inline constexpr int kVkHanja = 0x19;

// X keysyms of the Korean layouts' right Alt and right Ctrl.
inline constexpr uint32_t kKeysymHangul = 0xff31;
inline constexpr uint32_t kKeysymHanja = 0xff34;

// X keycode of an evdev key code.
constexpr int xKeycode(int evdev) {
    return evdev + 8;
}

// Whether the X keycode is one of the number-pad keys whose code depends on Num Lock (7 8 9,
// 4 5 6, 1 2 3, 0 and the decimal key).
bool isNumLockDependent(int xKeycode);

// The virtual-key code of a physical key, or 0 for a key this keyboard does not know. `keysym` is
// the key's X keysym under the current layout; it only tells a Korean layout's Hangul and Hanja
// keys (right Alt, right Ctrl) from plain Alt and Ctrl. `numLock` decides between the number pad's
// digit codes (on) and its navigation codes (off).
int virtualKey(int xKeycode, uint32_t keysym, bool numLock);

// The shift bits passed with key events: 1 Shift, 2 Ctrl, 4 Alt.
constexpr int shiftMask(bool shift, bool ctrl, bool alt) {
    return (shift ? 1 : 0) | (ctrl ? 2 : 0) | (alt ? 4 : 0);
}

// Turns the key events of the window system into the instrument's key-downs and key-ups. The code
// chosen at a key's press is remembered and used for its release, so Num Lock changing while a
// pad key is held cannot leave a note hanging. Auto-repeat arrives as release+press pairs flagged
// as repeats: the flagged releases are dropped, so a held key gives one key-down per repeat and
// one key-up at the end.
class KeyTranslator {
public:
    KeyTranslator() { down_.fill(0); }

    // A key went down (or repeats). The code to hand to the key-down handler, or nothing.
    std::optional<int> press(int xKeycode, uint32_t keysym, bool numLock);
    // A key came up. The code to hand to the key-up handler, or nothing (a repeat's release, or a
    // key this keyboard does not know).
    std::optional<int> release(int xKeycode, uint32_t keysym, bool numLock, bool autoRepeat);
    // Forgets every key that is down (the window lost the keyboard; their releases go elsewhere).
    void reset() { down_.fill(0); }
    bool isDown(int xKeycode) const;

private:
    std::array<int16_t, 256> down_;  // virtual-key code chosen at press, 0 = not down
};

}  // namespace muto::keys
