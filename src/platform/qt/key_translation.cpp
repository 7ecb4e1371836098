#include "platform/qt/key_translation.h"

namespace muto::keys {

namespace {

// Linux input event codes of the keys that need special handling.
constexpr int kEvRightCtrl = 97;
constexpr int kEvRightAlt = 100;
constexpr int kEvPadFirst = 71;  // KP7
constexpr int kEvPadLast = 83;   // KPDOT
constexpr int kEvPadMinus = 74;
constexpr int kEvPadPlus = 78;

struct Entry {
    int evdev;
    int vk;
};

// One row per key of a PC keyboard (105 keys and the Korean extras). The number-pad keys 71..83
// list their Num Lock on code; kPadNavigation below holds the Num Lock off codes.
// clang-format off
constexpr Entry kTable[] = {
    {1, 27},                                                    // Esc
    {2, '1'}, {3, '2'}, {4, '3'}, {5, '4'}, {6, '5'},
    {7, '6'}, {8, '7'}, {9, '8'}, {10, '9'}, {11, '0'},
    {12, 189}, {13, 187}, {14, 8}, {15, 9},                     // - = Backspace Tab
    {16, 'Q'}, {17, 'W'}, {18, 'E'}, {19, 'R'}, {20, 'T'},
    {21, 'Y'}, {22, 'U'}, {23, 'I'}, {24, 'O'}, {25, 'P'},
    {26, 219}, {27, 221}, {28, 13}, {29, 17},                   // [ ] Enter LeftCtrl
    {30, 'A'}, {31, 'S'}, {32, 'D'}, {33, 'F'}, {34, 'G'},
    {35, 'H'}, {36, 'J'}, {37, 'K'}, {38, 'L'},
    {39, 186}, {40, 222}, {41, 192}, {42, 16}, {43, 220},       // ; ' ` LeftShift backslash
    {44, 'Z'}, {45, 'X'}, {46, 'C'}, {47, 'V'}, {48, 'B'},
    {49, 'N'}, {50, 'M'},
    {51, 188}, {52, 190}, {53, 191}, {54, 16},                  // , . / RightShift
    {55, 106}, {56, 18}, {57, 32}, {58, 20},                    // pad * LeftAlt Space CapsLock
    {59, 112}, {60, 113}, {61, 114}, {62, 115}, {63, 116},      // F1..F5
    {64, 117}, {65, 118}, {66, 119}, {67, 120}, {68, 121},      // F6..F10
    {69, 144}, {70, 145},                                       // Num Lock, Scroll Lock
    {71, 103}, {72, 104}, {73, 105}, {74, 109},                 // pad 7 8 9 -
    {75, 100}, {76, 101}, {77, 102}, {78, 107},                 // pad 4 5 6 +
    {79, 97}, {80, 98}, {81, 99}, {82, 96}, {83, 110},          // pad 1 2 3 0 .
    {86, 226},                                                  // the extra key of ISO boards
    {87, 122}, {88, 123},                                       // F11 F12
    {96, 13}, {97, 17}, {98, 111}, {99, 44}, {100, 18},         // pad Enter, RCtrl, pad /, PrtSc, RAlt
    {102, 36}, {103, 38}, {104, 33}, {105, 37}, {106, 39},      // Home Up PgUp Left Right
    {107, 35}, {108, 40}, {109, 34}, {110, 45}, {111, 46},      // End Down PgDn Insert Delete
    {119, 19}, {121, 108},                                      // Pause, pad separator
    {122, kVkHangul}, {123, kVkHanja},                          // the dedicated Korean keys
    {125, 91}, {126, 92}, {127, 93},                            // Windows keys, menu
};

// Num Lock off: 7 Home, 8 Up, 9 PgUp, (-), 4 Left, 5 Clear, 6 Right, (+), 1 End, 2 Down,
// 3 PgDn, 0 Insert, . Delete.
constexpr int kPadNavigation[kEvPadLast - kEvPadFirst + 1] = {
    36, 38, 33, 109, 37, kVkClear, 39, 107, 35, 40, 34, 45, 46,
};
// clang-format on

struct Table {
    std::array<int16_t, 256> vk{};
    constexpr Table() {
        for (const Entry& e : kTable)
            vk[static_cast<size_t>(e.evdev)] = static_cast<int16_t>(e.vk);
    }
};
constexpr Table kVk;

int evdevOf(int xKeycode) {
    return xKeycode - 8;
}

}  // namespace

bool isNumLockDependent(int xKeycode) {
    int ev = evdevOf(xKeycode);
    return ev >= kEvPadFirst && ev <= kEvPadLast && ev != kEvPadMinus && ev != kEvPadPlus;
}

int virtualKey(int xKeycode, uint32_t keysym, bool numLock) {
    int ev = evdevOf(xKeycode);
    if (ev <= 0 || ev > 247) return 0;
    // Korean layouts turn right Alt and right Ctrl into the Hangul and Hanja keys.
    if (ev == kEvRightAlt && keysym == kKeysymHangul) return kVkHangul;
    if (ev == kEvRightCtrl && keysym == kKeysymHanja) return kVkHanja;
    if (!numLock && isNumLockDependent(xKeycode)) return kPadNavigation[ev - kEvPadFirst];
    return kVk.vk[static_cast<size_t>(ev)];
}

bool KeyTranslator::isDown(int xKeycode) const {
    return xKeycode >= 0 && xKeycode < 256 && down_[static_cast<size_t>(xKeycode)] != 0;
}

std::optional<int> KeyTranslator::press(int xKeycode, uint32_t keysym, bool numLock) {
    if (xKeycode < 0 || xKeycode > 255) return std::nullopt;
    int16_t& slot = down_[static_cast<size_t>(xKeycode)];
    // A repeat keeps the code of the first press.
    if (slot != 0) return slot;
    int vk = virtualKey(xKeycode, keysym, numLock);
    if (vk == 0) return std::nullopt;
    slot = static_cast<int16_t>(vk);
    return vk;
}

std::optional<int> KeyTranslator::release(int xKeycode, uint32_t keysym, bool numLock,
                                          bool autoRepeat) {
    if (autoRepeat || xKeycode < 0 || xKeycode > 255) return std::nullopt;
    int16_t& slot = down_[static_cast<size_t>(xKeycode)];
    int vk = slot;
    slot = 0;
    // A key that went down before the window had the keyboard is released with today's code.
    if (vk == 0) vk = virtualKey(xKeycode, keysym, numLock);
    if (vk == 0) return std::nullopt;
    return vk;
}

}  // namespace muto::keys
