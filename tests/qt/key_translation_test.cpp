// The physical-key translation: every key of the instrument from its X keycode, the number pad
// under Num Lock on and off, press-time codes at release, and auto-repeat.
#include "platform/qt/key_translation.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "form/layout.h"

namespace muto::keys {
namespace {

// X keycodes of a PC keyboard under the X server's evdev rules (as xmodmap -pke lists them),
// with the virtual-key code expected with Num Lock on and off.
struct Row {
    int x;
    int on;
    int off;
};
// clang-format off
const Row kKeyboard[] = {
    {9, 27, 27}, {67, 112, 112}, {68, 113, 113}, {69, 114, 114}, {70, 115, 115}, {71, 116, 116},
    {72, 117, 117}, {73, 118, 118}, {74, 119, 119}, {75, 120, 120}, {76, 121, 121},
    {95, 122, 122}, {96, 123, 123}, {107, 44, 44}, {78, 145, 145}, {127, 19, 19},
    {49, 192, 192}, {10, '1', '1'}, {11, '2', '2'}, {12, '3', '3'}, {13, '4', '4'},
    {14, '5', '5'}, {15, '6', '6'}, {16, '7', '7'}, {17, '8', '8'}, {18, '9', '9'},
    {19, '0', '0'}, {20, 189, 189}, {21, 187, 187}, {22, 8, 8},
    {23, 9, 9}, {24, 'Q', 'Q'}, {25, 'W', 'W'}, {26, 'E', 'E'}, {27, 'R', 'R'}, {28, 'T', 'T'},
    {29, 'Y', 'Y'}, {30, 'U', 'U'}, {31, 'I', 'I'}, {32, 'O', 'O'}, {33, 'P', 'P'},
    {34, 219, 219}, {35, 221, 221}, {51, 220, 220}, {36, 13, 13},
    {66, 20, 20}, {38, 'A', 'A'}, {39, 'S', 'S'}, {40, 'D', 'D'}, {41, 'F', 'F'}, {42, 'G', 'G'},
    {43, 'H', 'H'}, {44, 'J', 'J'}, {45, 'K', 'K'}, {46, 'L', 'L'}, {47, 186, 186}, {48, 222, 222},
    {50, 16, 16}, {52, 'Z', 'Z'}, {53, 'X', 'X'}, {54, 'C', 'C'}, {55, 'V', 'V'}, {56, 'B', 'B'},
    {57, 'N', 'N'}, {58, 'M', 'M'}, {59, 188, 188}, {60, 190, 190}, {61, 191, 191}, {62, 16, 16},
    {37, 17, 17}, {133, 91, 91}, {64, 18, 18}, {65, 32, 32}, {108, 18, 18}, {134, 92, 92},
    {135, 93, 93}, {105, 17, 17},
    // Editing block and arrows: the same codes whatever Num Lock says.
    {118, 45, 45}, {110, 36, 36}, {112, 33, 33}, {119, 46, 46}, {115, 35, 35}, {117, 34, 34},
    {111, 38, 38}, {113, 37, 37}, {116, 40, 40}, {114, 39, 39},
    // Number pad.
    {77, 144, 144}, {106, 111, 111}, {63, 106, 106}, {82, 109, 109}, {86, 107, 107},
    {104, 13, 13},
    {79, 103, 36}, {80, 104, 38}, {81, 105, 33},
    {83, 100, 37}, {84, 101, 12}, {85, 102, 39},
    {87, 97, 35}, {88, 98, 40}, {89, 99, 34},
    {90, 96, 45}, {91, 110, 46},
};
// clang-format on

TEST(KeyTranslation, EveryKeyOfThePcKeyboard) {
    for (const Row& r : kKeyboard) {
        EXPECT_EQ(virtualKey(r.x, 0, true), r.on) << "X keycode " << r.x << ", Num Lock on";
        EXPECT_EQ(virtualKey(r.x, 0, false), r.off) << "X keycode " << r.x << ", Num Lock off";
    }
}

TEST(KeyTranslation, EveryInstrumentKeyIsReachable) {
    std::set<int> on, off;
    for (const Row& r : kKeyboard) {
        on.insert(virtualKey(r.x, 0, true));
        off.insert(virtualKey(r.x, 0, false));
    }
    int shapes = 0;
    for (const layout::KeyShape& k : layout::keyShapes()) {
        ++shapes;
        EXPECT_TRUE(on.count(k.vk)) << "VK " << k.vk << " with Num Lock on";
        const bool padDigit = (k.vk >= 96 && k.vk <= 105) || k.vk == 110;
        // With Num Lock off the pad's digit keys turn into navigation keys.
        EXPECT_EQ(off.count(k.vk) == 1, !padDigit) << "VK " << k.vk << " with Num Lock off";
    }
    EXPECT_EQ(shapes, 91);
}

TEST(KeyTranslation, KoreanLayoutTurnsRightAltAndCtrlIntoHangulAndHanja) {
    EXPECT_EQ(virtualKey(108, kKeysymHangul, true), kVkHangul);
    EXPECT_EQ(virtualKey(105, kKeysymHanja, true), kVkHanja);
    // The same keys under a layout without those keysyms are plain Alt and Ctrl.
    EXPECT_EQ(virtualKey(108, 0xffea /* Alt_R */, true), 18);
    EXPECT_EQ(virtualKey(105, 0xffe4 /* Control_R */, true), 17);
    // The dedicated Korean keys.
    EXPECT_EQ(virtualKey(xKeycode(122), 0, true), kVkHangul);
    EXPECT_EQ(virtualKey(xKeycode(123), 0, true), kVkHanja);
    // A keysym only matters on those two keys.
    EXPECT_EQ(virtualKey(64, kKeysymHangul, true), 18);
}

TEST(KeyTranslation, UnknownAndOutOfRangeKeycodesGiveNothing) {
    for (int x : {-5, 0, 7, 8, 92, 256, 1000})
        EXPECT_EQ(virtualKey(x, 0, true), 0) << x;
    KeyTranslator t;
    EXPECT_FALSE(t.press(0, 0, true));
    EXPECT_FALSE(t.press(300, 0, true));
    EXPECT_FALSE(t.release(300, 0, true, false));
}

TEST(KeyTranslator, ReleaseUsesTheCodeChosenAtPress) {
    KeyTranslator t;
    EXPECT_EQ(t.press(80, 0, true), 104);  // pad 8 with Num Lock on
    // Num Lock went off while the key was held: the release still ends pad 8.
    EXPECT_EQ(t.release(80, 0, false, false), 104);
    EXPECT_FALSE(t.isDown(80));
    EXPECT_EQ(t.press(80, 0, false), 38);
    EXPECT_EQ(t.release(80, 0, true, false), 38);
}

TEST(KeyTranslator, AutoRepeatGivesKeyDownsAndOneKeyUp) {
    KeyTranslator t;
    std::vector<int> downs, ups;
    auto press = [&](bool) {
        if (auto vk = t.press(24, 0, true)) downs.push_back(*vk);
    };
    auto release = [&](bool repeat) {
        if (auto vk = t.release(24, 0, true, repeat)) ups.push_back(*vk);
    };
    press(false);
    for (int i = 0; i < 5; ++i) {
        release(true);
        press(true);
    }
    release(false);
    EXPECT_EQ(downs, std::vector<int>(6, 'Q'));
    EXPECT_EQ(ups, std::vector<int>{'Q'});
}

TEST(KeyTranslator, ResetForgetsHeldKeys) {
    KeyTranslator t;
    ASSERT_EQ(t.press(80, 0, true), 104);
    t.reset();
    EXPECT_FALSE(t.isDown(80));
    // A release arriving after the reset is translated afresh.
    EXPECT_EQ(t.release(80, 0, false, false), 38);
}

TEST(KeyTranslation, ShiftMaskBits) {
    EXPECT_EQ(shiftMask(false, false, false), 0);
    EXPECT_EQ(shiftMask(true, false, false), 1);
    EXPECT_EQ(shiftMask(false, true, false), 2);
    EXPECT_EQ(shiftMask(false, false, true), 4);
    EXPECT_EQ(shiftMask(true, true, true), 7);
}

}  // namespace
}  // namespace muto::keys
