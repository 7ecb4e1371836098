#include "form/circle_touch.h"

#include <functional>
#include <sstream>

#include "form/key_display.h"
#include "form/key_input.h"
#include "form/playback_panel.h"
#include "performance/player.h"
#include "performance/recorder.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

constexpr int kShift = 1, kCtrlMask = 2, kAlt = 4;
constexpr int kCtrl = 17, kAltKey = 18, kPause = 19, kEsc = 27, kSpace = 32;
constexpr int kUp = 38, kLeft = 37, kRight = 39;
constexpr int kA = 65, kD = 68, kE = 69, kQ = 81, kS = 83, kW = 87;
constexpr int kF1 = 112, kF3 = 114, kF5 = 116, kF8 = 119, kF9 = 120, kF11 = 122, kF12 = 123;
constexpr int kPad1 = 97, kPad2 = 98, kNumLock = 144;

// Records every ring notice.
struct RingLog : RingObserver {
    struct Notice {
        int slot;
        Ring before, after;
    };
    void ringChanged(int slot, const Ring& before, const Ring& after) override {
        notices.push_back({slot, before, after});
    }
    std::vector<Notice> notices;
};

class CircleTouchTest : public FormTest {
protected:
    Form1& circleMode() {
        Form1& f = started();
        f.circleTouch().setRingObserver(&rings);
        f.chk_CircleTouch.setValue(1);
        return f;
    }
    void step() { time.advance(30ms); }
    RingLog rings;
};

TEST_F(CircleTouchTest, ANoteStartsARingAroundItsKeyThatIsGoneAfter41Steps) {
    Form1& f = circleMode();
    down(kQ);
    const Rect& g = f.shp_key(kQ).geometry();
    Ring r = f.circleTouch().ring(0);
    EXPECT_TRUE(r.active);
    EXPECT_FLOAT_EQ(r.x, float(g.left) + float(g.width) / 2);
    EXPECT_FLOAT_EQ(r.y, float(g.top) + float(g.height) / 2);
    EXPECT_FLOAT_EQ(r.radius, 0);
    EXPECT_EQ(r.colour, f.lbl_CircleColor(9).backColor());
    EXPECT_EQ(f.circleTouch().nextCircle, 1);
    EXPECT_FALSE(f.shp_key(kQ).lit());
    EXPECT_TRUE(f.shp_piano(0x3C - 24).lit());
    EXPECT_TRUE(f.lbl_note(0).visible());
    up(kQ);  // the ring grows on after the release
    for (int i = 1; i <= 40; ++i) {
        step();
        ASSERT_TRUE(f.circleTouch().growing(0)) << "step " << i;
    }
    EXPECT_NEAR(f.circleTouch().circleRadius[0], 136.0f, 1e-3);
    step();
    EXPECT_FALSE(f.circleTouch().growing(0));
    EXPECT_EQ(time.armedCount(), 0);
    // One notice per change: the start, then each of the 41 steps, the last one taking the ring
    // off; the area to redraw is known from the ring before and after.
    ASSERT_EQ(rings.notices.size(), 42u);
    for (size_t i = 1; i < rings.notices.size(); ++i) {
        const auto& n = rings.notices[i];
        EXPECT_EQ(n.slot, 0);
        EXPECT_NEAR(n.after.radius - n.before.radius, 3.4f, 1e-4);
        EXPECT_EQ(n.after.active, i < 41);
    }
}

TEST_F(CircleTouchTest, NineQuickNotesReuseSlotZeroAndTakeItsRingOffFirst) {
    Form1& f = circleMode();
    const int keys[9] = {kQ, kW, kE, kA, kS, kD, kPad1, kPad2, kNumLock};
    for (int i = 0; i < 8; ++i) {
        tap(keys[i]);
        EXPECT_EQ(f.circleTouch().nextCircle, (i + 1) % 8);
        step();
    }
    for (int s = 0; s < 8; ++s)
        EXPECT_TRUE(f.circleTouch().growing(s)) << s;
    const Ring old = f.circleTouch().ring(0);
    EXPECT_FLOAT_EQ(old.radius, 8 * 3.4f);
    rings.notices.clear();
    tap(keys[8]);
    ASSERT_EQ(rings.notices.size(), 1u);
    const auto& n = rings.notices[0];
    EXPECT_EQ(n.slot, 0);
    EXPECT_EQ(n.before, old);  // the view removes the old ring …
    const Rect& g = f.shp_key(kNumLock).geometry();
    EXPECT_FLOAT_EQ(n.after.x, float(g.left) + float(g.width) / 2);  // … and draws the new one
    EXPECT_FLOAT_EQ(n.after.radius, 0);
    EXPECT_TRUE(n.after.active);
    EXPECT_EQ(f.circleTouch().nextCircle, 1);
    EXPECT_EQ(time.armedCount(), 1);  // one step timer for all eight

    // A key twice as tall as wide (pad +): the centre's height comes from its height.
    const Rect& plus = f.shp_key(107).geometry();
    ASSERT_NE(plus.width, plus.height);
    tap(107);
    EXPECT_FLOAT_EQ(f.circleTouch().ring(1).x, float(plus.left) + float(plus.width) / 2);
    EXPECT_FLOAT_EQ(f.circleTouch().ring(1).y, float(plus.top) + float(plus.height) / 2);
}

TEST_F(CircleTouchTest, RingsStartedApartStepAtOneTickFromHalfAStepAfterTheirStart) {
    Form1& f = circleMode();
    CircleTouch& c = f.circleTouch();
    tap(kQ);  // t = 0: the step timer starts, due at 30
    time.advance(10ms);
    tap(kW);  // 20 ms before the tick: steps with it
    time.advance(10ms);
    tap(kE);  // 10 ms before it: from the tick after
    rings.notices.clear();
    time.advance(10ms);
    ASSERT_EQ(rings.notices.size(), 2u);
    EXPECT_EQ(rings.notices[0].slot, 0);
    EXPECT_EQ(rings.notices[1].slot, 1);
    EXPECT_FLOAT_EQ(c.ring(2).radius, 0);
    rings.notices.clear();
    time.advance(29ms);
    EXPECT_TRUE(rings.notices.empty());
    time.advance(1ms);
    EXPECT_EQ(rings.notices.size(), 3u);
    EXPECT_FLOAT_EQ(c.ring(1).radius, 2 * 3.4f);
    EXPECT_FLOAT_EQ(c.ring(2).radius, 3.4f);
    // The last ring to start is the last to go; the timer stops with it.
    time.advance(30ms * 39);
    EXPECT_FALSE(c.growing(1));
    EXPECT_TRUE(c.growing(2));
    time.advance(30ms);
    EXPECT_FALSE(c.growing(2));
    EXPECT_EQ(time.armedCount(), 0);
}

TEST_F(CircleTouchTest, SwitchingTheModeHidesAndShowsTheShapesAndClearsTheRings) {
    Form1& f = started();
    f.circleTouch().setRingObserver(&rings);
    f.chk_BScr.setValue(1);
    EXPECT_TRUE(f.shp_BScr.visible());
    f.chk_CircleTouch.setValue(1);
    EXPECT_EQ(f.chk_BScr.value(), 0);
    EXPECT_EQ(f.chk_AniGif.value(), 0);
    EXPECT_FALSE(f.shp_BScr.visible());
    f.shp_key.forEach([](Shape& s) { EXPECT_FALSE(s.visible()) << s.index(); });
    f.shp_img.forEach([](Shape& s) { EXPECT_FALSE(s.visible()) << s.index(); });
    EXPECT_EQ(f.focused(), &f.pic_CircleTouch);

    tap(kQ);
    tap(kW);
    step();
    rings.notices.clear();
    f.chk_CircleTouch.setValue(0);
    EXPECT_EQ(time.armedCount(), 0);
    EXPECT_FALSE(f.circleTouch().growing(0));
    EXPECT_FALSE(f.circleTouch().growing(1));
    ASSERT_EQ(rings.notices.size(), 2u);  // only the two rings that showed are taken off
    for (const auto& n : rings.notices) {
        EXPECT_TRUE(n.before.active);
        EXPECT_FALSE(n.after.active);
    }
    f.shp_key.forEach([](Shape& s) { EXPECT_TRUE(s.visible()) << s.index(); });
    f.shp_img.forEach([](Shape& s) { EXPECT_EQ(s.visible(), s.index() != 13) << s.index(); });
    EXPECT_EQ(f.focused(), &f.Picture1);
    time.advance(2s);
    EXPECT_TRUE(rings.notices.size() == 2u);  // no stray step after the switch

    // The flash option switches the mode off again, the other way round.
    f.chk_CircleTouch.setValue(1);
    tap(kE);
    f.chk_BScr.setValue(1);
    EXPECT_EQ(f.chk_CircleTouch.value(), 0);
    EXPECT_EQ(time.armedCount(), 0);
    EXPECT_TRUE(f.shp_BScr.visible());
    EXPECT_EQ(f.focused(), &f.Picture1);
}

TEST_F(CircleTouchTest, FocusFollowsTheModeWhicheverSurfaceIsAskedFor) {
    Form1& f = make();
    ASSERT_TRUE(f.load());
    f.chk_CircleTouch.setValue(1);  // as the configuration does before the window shows
    EXPECT_EQ(f.focused(), nullptr);
    f.show();
    EXPECT_EQ(f.focused(), &f.pic_CircleTouch);
    f.setFocus(f.Picture1);
    EXPECT_EQ(f.focused(), &f.pic_CircleTouch);
    f.chk_CircleTouch.setValue(0);
    f.setFocus(f.pic_CircleTouch);
    EXPECT_EQ(f.focused(), &f.Picture1);
    // The keys reach the surface that has the focus.
    midi.sent.clear();
    tap(kQ);
    EXPECT_EQ(midi.take(), (Strings{"90 3C 7F", "80 3C 00"}));
    EXPECT_FALSE(f.circleTouch().growing(0));
    f.chk_CircleTouch.setValue(1);
    tap(kQ);
    EXPECT_TRUE(f.circleTouch().growing(0));
}

TEST_F(CircleTouchTest, ThePaletteChoosesOneColourOrTheRainbow) {
    Form1& f = started();
    Label& indicator = f.lbl_CircleColor(9);
    indicator.onClick();
    EXPECT_TRUE(f.pic_Palette.visible());
    indicator.onClick();
    EXPECT_FALSE(f.pic_Palette.visible());
    startPlaying();
    indicator.onClick();
    EXPECT_FALSE(f.pic_Palette.visible());  // not while a playback runs
    f.playback().cmd_play_Click();

    for (int i = 0; i < 8; ++i) {
        indicator.onClick();
        f.lbl_CircleColor(i).onClick();
        const Colour c = f.lbl_CircleColor(i).backColor();
        EXPECT_FALSE(f.pic_Palette.visible());
        EXPECT_EQ(indicator.backColor(), c);
        EXPECT_EQ(indicator.caption(), "");
        EXPECT_EQ(indicator.tag(), std::to_string(i));
        for (Colour slot : f.circleTouch().circleColors)
            EXPECT_EQ(slot, c);
    }
    // Not black first, the rainbow's last colour: every slot must change.
    indicator.onClick();
    f.lbl_CircleColor(0).onClick();
    f.lbl_CircleColor(8).onClick();
    EXPECT_EQ(indicator.backColor(), rgb(255, 255, 255));
    EXPECT_EQ(indicator.caption(), "R");
    EXPECT_EQ(indicator.tag(), "8");
    const Colour rainbow[8] = {rgb(255, 0, 0),   rgb(255, 128, 0), rgb(255, 255, 0), rgb(0, 255, 0),
                               rgb(0, 255, 255), rgb(0, 0, 255),   rgb(192, 0, 192), rgb(0, 0, 0)};
    for (int s = 0; s < 8; ++s)
        EXPECT_EQ(f.circleTouch().circleColors[size_t(s)], rainbow[s]) << s;

    // A ring takes its slot's colour.
    f.chk_CircleTouch.setValue(1);
    tap(kQ);
    tap(kW);
    EXPECT_EQ(f.circleTouch().ring(1).colour, rgb(255, 128, 0));
}

TEST_F(CircleTouchTest, PlaybackInCircleModeGoesToTheRings) {
    Form1& f = circleMode();
    Performance p;
    p.events = {{int16_t(kQ), 1, 100.0f}, {int16_t(kQ), 0, 100.1f}};
    p.snapshot.settings = {0, 0, 0, 2, 2, 0, 0};
    f.recorder().setPerformance(std::move(p));
    f.playback().setProgressScale(2);
    f.cmd_play.click();
    ASSERT_TRUE(f.player().isPlaying());
    EXPECT_EQ(f.focused(), &f.pic_CircleTouch);
    time.advanceMs(1010);
    EXPECT_EQ(midi.take(), (Strings{"90 3C 7F"}));
    EXPECT_TRUE(f.circleTouch().growing(0));
    EXPECT_FALSE(f.shp_key(kQ).lit());
    time.advance(2s);
    EXPECT_FALSE(f.player().isPlaying());
}

// --- Both surfaces play alike ------------------------------------------------------------

// One step of a key sequence: a key going down or up with its shift bits, or key-set editing
// switched on or off (key 0).
struct Step {
    int key;
    int shift;
    bool down;
};
Step D(int k, int shift = 0) {
    return {k, shift, true};
}
Step U(int k, int shift = 0) {
    return {k, shift, false};
}
const Step kKeySetMode{0, 0, true};

// Everything the key handlers change except what the surfaces show differently.
std::string snapshot(Form1& f, const std::vector<uint32_t>& midi) {
    std::ostringstream o;
    for (uint32_t m : midi)
        o << std::hex << m << ' ';
    o << std::dec << "\nkeys:";
    for (int k = 0; k < 256; ++k)
        o << int(f.instrument().keyNote[size_t(k)]) << ',' << f.instrument().keyAlter[size_t(k)]
          << ',' << f.instrument().heldAlter[size_t(k)] << ',' << f.display().keyStaffTop[size_t(k)]
          << ' ';
    o << "\nmods:" << f.instrument().sharpHeld << f.instrument().flatHeld << f.keyboard().editing()
      << ' ' << f.instrument().degreeDirection << ' ' << f.instrument().alteredDegreeCount << ' '
      << f.keyboard().typedProgram()[0] << ' ' << f.keyboard().typedProgram()[1];
    for (int d = 0; d < 7; ++d)
        o << ' ' << f.instrument().degreeAlter[size_t(d)] << '/'
          << f.instrument().alteredDegrees[size_t(d)];
    o << "\nlists:" << f.cmb_key.listIndex();
    for (int ch = 0; ch < 2; ++ch)
        o << ' ' << f.cmb_inst(ch).listIndex() << ' ' << f.cmb_OctShift(ch).listIndex() << ' '
          << f.cmb_volume(ch).listIndex() << ' ' << f.chk_damper(ch).value();
    o << ' ' << f.chk_ESync.value() << ' ' << f.vbar_Effect(3).value();
    const Performance& p = f.recorder().performance();
    o << "\nrec:" << f.recorder().isRecording() << ' ' << p.eventCount();
    for (const PerfEvent& e : p.events)
        o << ' ' << e.keyCode << ':' << e.isDown;
    o << "\nshown:";
    f.shp_piano.forEach([&](Shape& s) { o << s.lit(); });
    f.lbl_note.forEach([&](Label& l) {
        o << ' ' << l.visible() << l.caption() << '@' << l.geometry().left << ','
          << l.geometry().top;
    });
    f.lbl_KeyCaption.forEach([&](Label& l) { o << ' ' << l.caption() << l.tag(); });
    f.Label1.forEach([&](Label& l) { o << ' ' << l.caption(); });
    for (int k = kF1; k < kF1 + 7; ++k)
        o << ' ' << f.shp_key(k).lit() << f.shp_key(k).backColor();
    return o.str();
}

class SurfaceTest : public ::testing::Test {
protected:
    struct Run {
        std::string state;
        std::vector<bool> keyLit;  // every key shape but the F keys, then shp_img(12), shp_BScr
        int notesOn = 0;
        int ringsStarted = 0;
    };
    // `preLit`: the shapes the keyboard picture lights start lit, so that unlighting one shows.
    static Run play(bool circle, const std::vector<Step>& steps, int recMax, bool preLit = false) {
        FakeServices fakes;
        Form1 f(fakes.services());
        EXPECT_TRUE(f.load());
        f.show();
        if (circle) f.chk_CircleTouch.setValue(1);
        fakes.midi.sent.clear();
        RingLog rings;
        f.circleTouch().setRingObserver(&rings);
        Run run;
        auto lit = [&] {
            std::vector<bool> v;
            f.shp_key.forEach([&](Shape& s) {
                if (s.index() < kF1 || s.index() >= kF1 + 7) v.push_back(s.lit());
            });
            v.push_back(f.shp_img(12).lit());
            v.push_back(f.shp_BScr.lit());
            return v;
        };
        if (preLit) {
            f.shp_key.forEach([&](Shape& s) {
                if (s.index() < kF1 || s.index() >= kF1 + 7) s.setLit(true);
            });
            f.shp_img(12).setLit(true);
            f.shp_BScr.setLit(true);
        }
        const std::vector<bool> before = lit();
        if (recMax > 0) {
            f.recorder().start({}, 0);
            f.cmd_record.setCaption("■");
            f.recorder().setCapacity(recMax);
        }
        for (const Step& s : steps) {
            if (s.key == 0)
                f.chk_KeysetMode.setValue(f.chk_KeysetMode.value() == 1 ? 0 : 1);
            else if (s.down)
                f.keyDown(s.key, s.shift);
            else
                f.keyUp(s.key, s.shift);
        }
        run.state = snapshot(f, fakes.midi.sent);
        run.keyLit = lit();
        if (circle) {
            EXPECT_EQ(run.keyLit, before) << "the circle surface lit a key shape";
        }
        for (uint32_t m : fakes.midi.sent)
            run.notesOn += (m & 0xF0) == 0x90;
        for (const auto& n : rings.notices)
            run.ringsStarted += n.after.active && n.after.radius == 0;
        return run;
    }
    static void compare(const std::vector<Step>& steps, int recMax = 0) {
        Run keyboard = play(false, steps, recMax);
        Run circle = play(true, steps, recMax);
        EXPECT_EQ(keyboard.state, circle.state);
        EXPECT_EQ(play(true, steps, recMax, true).state, circle.state);
        EXPECT_EQ(circle.ringsStarted, circle.notesOn);
        EXPECT_EQ(keyboard.ringsStarted, 0);
    }
};

TEST_F(SurfaceTest, EveryKindOfKeyActsTheSameOnBothSurfaces) {
    const std::vector<std::vector<Step>> table = {
        // notes, auto-repeat, both channels, Num Lock
        {D(kQ), D(kQ), D(kQ), U(kQ), D(kPad1), D(kE), U(kPad1), U(kE), D(kNumLock), U(kNumLock)},
        // Space and Ctrl, the newer winning, held across notes
        {D(kSpace), D(kA), U(kA), D(kCtrl), D(kA), U(kSpace), U(kA), U(kCtrl), D(kA), U(kA)},
        // degree accidentals: direction, toggling, matching, Space clearing them
        {D(kEsc), U(kEsc), D(kF3), U(kF3), D(kCtrl), D(kD), D(kD), U(kCtrl), U(kD), D(kF1), D(kF1),
         U(kF1), D(kF5), D(kQ), U(kQ), D(kSpace), D(kA), U(kA), U(kSpace)},
        // Shift and Alt shortcuts, control keys
        {D(kUp, kShift), D(kUp, kShift), D('1', kShift), D(kAltKey, kAlt), D('3', kAlt),
         D(kLeft, kAlt), U(kAltKey), D(kRight, kShift), D(kPause), D(kF8), D(kF9), D(kF9), D(kF11),
         D(kF12), D(kF12), D(kQ), U(kQ), D(kQ, kShift), U(kQ, kShift)},
        // instruments typed on the number pad
        {D(kCtrl), D(kAltKey, kAlt | kCtrlMask), D(kPad1, kAlt | kCtrlMask),
         D(kPad2, kAlt | kCtrlMask), U(kAltKey), U(kCtrl), D(kAltKey, kAlt), D(kPad1, kAlt),
         D(kPad2, kAlt), D(kPad1, kAlt), D(kPad2, kAlt), U(kAltKey)},
        // key-set editing: up, down, plain presses, then playing the edited keys
        {kKeySetMode, D(kSpace), D(kA), U(kA), D(kA), U(kA), U(kSpace), D(kCtrl), D(kS), U(kS),
         U(kCtrl), D(kE), U(kE), kKeySetMode, D(kA), U(kA), D(kS), U(kS)},
    };
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        compare(table[i]);
        compare(table[i], 1000);  // recording
    }
    // The recording limit stops the recording and releases the held keys on both.
    compare({D(kA), D(kSpace), D(kQ), D(kE), D(kW)}, 3);
}

// Random playing, shortcuts included, leaves both surfaces in the same state.
TEST_F(SurfaceTest, RandomPlayingActsTheSameOnBothSurfaces) {
    std::vector<int> pool = {kQ,     kW,    kE,    kA,     kS,  kD,  kPad1,  kPad2,  kNumLock,
                             kSpace, kCtrl, kEsc,  kF1,    kF3, kF5, kF8,    kPause, kF11,
                             kF12,   kUp,   kLeft, kRight, '1', '3', kAltKey};
    uint32_t seed = 777;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    for (int round = 0; round < 10; ++round) {
        std::vector<Step> steps;
        for (int i = 0; i < 150; ++i) {
            if (next(25) == 0) {
                steps.push_back(kKeySetMode);
                continue;
            }
            int k = pool[next(uint32_t(pool.size()))];
            int shift = next(5) == 0 ? kShift : (next(8) == 0 ? kAlt : 0);
            steps.push_back(next(2) ? D(k, shift) : U(k, shift));
        }
        SCOPED_TRACE("round " + std::to_string(round));
        compare(steps, round % 2 ? 60 : 0);
    }
}

}  // namespace
}  // namespace muto::test
