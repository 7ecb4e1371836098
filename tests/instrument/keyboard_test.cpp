// What each key asks of the keyboard's host, with no window: a host that writes down every call.
#include "instrument/keyboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace muto {
namespace {

using namespace vk;

class Host : public KeyboardHost {
public:
    bool setKeySignature(int i) override { return say("key " + std::to_string(i)); }
    bool stepOctave(int ch, int d) override { return say(step("octave", ch, d)); }
    bool stepVolume(int ch, int d) override { return say(step("volume", ch, d)); }
    bool toggleDamper(int ch) override { return say("damper " + std::to_string(ch)); }
    bool toggleLink() override { return say("link"); }
    bool stepSpeed(int d) override { return say(step("speed", 0, d)); }
    void chooseProgram(int ch, int p) override {
        say("program " + std::to_string(ch) + " " + std::to_string(p));
    }
    void transport(char letter) override { say(std::string("transport ") + letter); }
    void noteStruck(int k, int note, int alter) override {
        say("on " + std::to_string(k) + " " + std::to_string(note) + " " + std::to_string(alter));
    }
    void noteReleased(int k, int note) override {
        say("off " + std::to_string(k) + " " + std::to_string(note));
    }

    bool say(const std::string& what) {
        calls.push_back(what);
        return answer;
    }
    static std::string step(const char* what, int ch, int d) {
        return std::string(what) + " " + std::to_string(ch) + (d > 0 ? " +" : " -");
    }
    std::vector<std::string> calls;
    bool answer = true;
};

struct Keys {
    Host host;
    Instrument instrument{[](uint32_t) {}};
    Keyboard keyboard{instrument, host};
    Keys() {
        instrument.setKeySignature(0);
        instrument.setOctave(0, 0);
        instrument.setOctave(1, 0);
    }
};

TEST(Keyboard, ShortcutKeysAskTheHostAndOnlyWithTheirShift) {
    struct Row {
        int key, shift;
        std::string call;  // empty: the key asks nothing
    };
    for (const Row& r : {
             Row{'3', kShiftMask, "key 3"},
             Row{'0', kAltMask, "key 0"},
             Row{'2', kAltMask, "key 9"},
             Row{'8', kShiftMask, ""},
             Row{kUp, kShiftMask, "octave 0 +"},
             Row{kDown, kAltMask, "octave 1 -"},
             Row{kLeft, kShiftMask, "volume 0 +"},
             Row{kRight, kAltMask, "volume 1 -"},
             Row{kF8, 0, "damper 0"},
             Row{kF9, kShiftMask, "damper 1"},
             Row{kPause, 0, "link"},
             Row{kPause, kShiftMask, ""},
             Row{kF11, 0, "speed 0 -"},
             Row{kF12, 0, "speed 0 +"},
             Row{'S', kAltMask, "transport S"},
             Row{'W', kAltMask, "transport W"},
             Row{'X', kAltMask, ""},
             Row{'A', kShiftMask, ""},
             Row{9, kAltMask, ""},
             Row{kUp, 0, "on 38 53 0"},
             Row{kUp, kShiftMask | kAltMask, "octave 1 +"},
         }) {
        SCOPED_TRACE(std::to_string(r.key) + " shift " + std::to_string(r.shift));
        Keys k;
        const auto press = k.keyboard.keyDown(r.key, r.shift);
        EXPECT_EQ(k.host.calls,
                  r.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{r.call});
        EXPECT_EQ(press, r.key == 9 ? Keyboard::Press::Ignored : Keyboard::Press::Played);
    }
}

TEST(Keyboard, ARefusedSettingRefusesThePressAndTypedProgramsGoOutWithAlt) {
    Keys k;
    k.host.answer = false;
    EXPECT_EQ(k.keyboard.keyDown(kF8, 0), Keyboard::Press::Refused);
    // Alt with number-pad digits: channel 2, or channel 1 with Ctrl held; Alt's release sends it.
    k.host.calls.clear();
    k.keyboard.keyDown(kNumPad0 + 4, kAltMask);
    k.keyboard.keyDown(kNumPad0 + 2, kAltMask);
    EXPECT_TRUE(k.host.calls.empty());
    k.keyboard.keyUp(kAlt);
    k.keyboard.keyDown(kCtrl, 0);
    k.keyboard.keyDown(kNumPad0 + 7, kAltMask);
    k.keyboard.keyUp(kAlt);
    k.keyboard.keyUp(kAlt);
    EXPECT_EQ(k.host.calls, (std::vector<std::string>{"program 1 42", "program 0 7"}));
}

TEST(Keyboard, ReleaseAllEndsEveryHeldNoteInKeyOrder) {
    Keys k;
    for (int key : {int('Q'), kNumPad0, int('A'), kSpace})
        k.keyboard.keyDown(key, 0);
    k.host.calls.clear();
    k.keyboard.releaseAll();
    EXPECT_EQ(k.host.calls, (std::vector<std::string>{"off 65 48", "off 81 60", "off 96 55"}));
    for (int key = 0; key < 256; ++key)
        EXPECT_FALSE(k.instrument.isHeld(key)) << key;
}

}  // namespace
}  // namespace muto
