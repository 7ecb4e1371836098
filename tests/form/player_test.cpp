#include "performance/player.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "form/key_input.h"
#include "form/playback_panel.h"
#include "formats/performance_file.h"
#include "performance/recorder.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

using namespace std::chrono_literals;

constexpr int kShift = 16, kAlt = 18, kCtrl = 17, kSpace = 32, kUp = 38;
constexpr int kQ = 81, kW = 87, kE = 69, kA = 65, kPad1 = 97, kPad2 = 98;

// A MIDI message and the fake time (ms) at which it reached the output.
struct Sent {
    int64_t ms;
    std::string hex;
    bool operator==(const Sent&) const = default;
};

class PlayerTest : public FormTest {
protected:
    Form1& ready() {
        Form1& f = started();
        midi.onMessage = [this](uint32_t m) {
            log.push_back(Sent{time.nowUs() / 1000 - startMs_, midiHex(m)});
        };
        return f;
    }
    // Puts a performance in memory whose snapshot matches the current settings, so starting it
    // changes nothing but what a test changes on purpose.
    void perform(std::vector<PerfEvent> events, uint8_t version = 4) {
        Form1& f = *form;
        Performance p;
        p.events = std::move(events);
        p.version = version;
        p.snapshot.settings = {
            uint8_t(f.cmb_key.listIndex()),         uint8_t(f.cmb_inst(0).listIndex()),
            uint8_t(f.cmb_inst(1).listIndex()),     uint8_t(f.cmb_OctShift(0).listIndex()),
            uint8_t(f.cmb_OctShift(1).listIndex()), uint8_t(f.cmb_volume(0).listIndex()),
            uint8_t(f.cmb_volume(1).listIndex())};
        p.snapshot.damper = {uint8_t(f.chk_damper(0).value()), uint8_t(f.chk_damper(1).value())};
        f.playback().setProgressScale(p.eventCount());
        f.recorder().setPerformance(std::move(p));
    }
    // Changes the performance in memory.
    template <class Fn>
    void edit(Fn&& fn) {
        Performance p = form->recorder().performance();
        fn(p);
        form->recorder().setPerformance(std::move(p));
    }
    // Taps of Q at `gap` seconds from `t0`: down, up, down, up … (n events).
    static std::vector<PerfEvent> taps(int n, float t0, float gap) {
        std::vector<PerfEvent> e;
        for (int i = 0; i < n; ++i)
            e.push_back({int16_t(kQ), int16_t(i % 2 == 0), t0 + gap * float(i)});
        return e;
    }
    std::vector<int64_t> times() const {
        std::vector<int64_t> t;
        for (const Sent& s : log)
            t.push_back(s.ms);
        return t;
    }
    // Starts (message times then count from here) or stops.
    void play() {
        if (form->cmd_play.caption() == "▶") startMs_ = time.nowUs() / 1000;
        form->cmd_play.click();
    }
    void pause() { form->cmd_pause.click(); }

    std::vector<Sent> log;
    int64_t startMs_ = 0;
};

TEST_F(PlayerTest, FirstEventAfterASecondThenTheGapsDividedBySpeed) {
    struct Row {
        int speedBar;  // tenths
        std::string start;
        std::vector<int64_t> expected;  // ms of every message
    };
    const Row rows[] = {
        {10, "0", {1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6000, 6500}},
        {20, "0", {1000, 1250, 1500, 1750, 2000, 2250, 2500, 2750, 3000, 3250, 3500, 3750}},
        {10, "10", {1000, 1500}},
        {5, "9.5", {1000, 2000}},  // rounds to 10, halves to even
        {10, "10.5", {1000, 1500}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.start + " at x" + std::to_string(r.speedBar));
        Form1& f = ready();
        f.vbar_Effect(3).setValue(r.speedBar);
        perform(taps(12, 3600.0f, 0.5f));
        f.shp_StartPos.setTag(r.start);
        log.clear();
        play();
        time.runUntilIdle(60s);
        EXPECT_EQ(times(), r.expected);
        EXPECT_FALSE(f.player().isPlaying());
        EXPECT_EQ(f.player().playPos(), 12);
    }
}

// What a timer callback changes is shown after it returns, like a repaint armed the moment the
// first note sounds: a chord recorded at one instant has sounded whole by then.
TEST_F(PlayerTest, AChordRecordedAtOneInstantPlaysWholeBeforeAnythingElseRuns) {
    ready();
    std::vector<PerfEvent> chord;
    for (bool down : {true, false})
        for (char k : {'Q', 'W', 'E', 'R'})
            chord.push_back({int16_t(k), int16_t(down), down ? 3600.0f : 3600.5f});
    perform(chord);
    auto repaint = time.createTimer(TimerKind::SingleShot);
    size_t soundedBeforeRepaint = 0;
    repaint->onTimeout = [&] { soundedBeforeRepaint = log.size(); };
    auto record = midi.onMessage;
    midi.onMessage = [&](uint32_t m) {
        record(m);
        if (log.size() == 1) repaint->start(Timer::Duration(0));
    };
    play();
    time.runUntilIdle(10s);
    EXPECT_EQ(soundedBeforeRepaint, 4u);
    EXPECT_EQ(times(), (std::vector<int64_t>{1000, 1000, 1000, 1000, 1500, 1500, 1500, 1500}));
}

TEST_F(PlayerTest, StartAtOrBeyondTheEndPlaysTheLastEvent) {
    for (std::string start : {"11", "12", "99", "11.6", "40000"}) {
        SCOPED_TRACE(start);
        Form1& f = ready();
        std::vector<PerfEvent> e = taps(11, 100.0f, 0.25f);
        e.push_back({int16_t(kW), 1, 103.0f});  // the last event: W goes down
        perform(e);
        f.shp_StartPos.setTag(start);
        log.clear();
        play();
        time.runUntilIdle(10s);
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0].hex, "90 3E 7F");  // W at the second it is due
        EXPECT_EQ(log[0].ms, 1000);
        EXPECT_EQ(log[1].hex, "80 3E 00");  // its release was lost: the end lets it go
        EXPECT_FALSE(f.player().isPlaying());
    }
    // Text that is no number starts at the beginning.
    Form1& f = ready();
    perform(taps(2, 100.0f, 0.25f));
    f.shp_StartPos.setTag("abc");
    log.clear();
    play();
    time.runUntilIdle(10s);
    EXPECT_EQ(times(), (std::vector<int64_t>{1000, 1250}));
}

TEST_F(PlayerTest, ResumeAfterAPausePlaysTheNextEventAtOnceThenTheRecordedGaps) {
    Form1& f = ready();
    perform(taps(6, 50.0f, 0.5f));
    form->recorder().setPerformancePath("/nowhere/at/all/곡.vsp");
    play();
    EXPECT_EQ(f.form.caption(), "무토 - 곡.vsp[연주중]");
    time.advanceMs(1200);  // event 0 at 1.0 s
    pause();
    EXPECT_TRUE(f.player().isPaused());
    EXPECT_FALSE(f.player().isPlaying());
    EXPECT_EQ(f.cmd_pause.caption(), "▶");
    EXPECT_EQ(f.cmd_play.caption(), "■");
    EXPECT_EQ(f.form.caption(), "무토 - 곡.vsp[연주 일시정지]");
    time.advanceMs(5000);
    EXPECT_EQ(times(), (std::vector<int64_t>{1000}));
    pause();  // resume at 6.2 s
    EXPECT_EQ(f.form.caption(), "무토 - 곡.vsp[연주중]");
    EXPECT_EQ(f.cmd_pause.caption(), "||");
    time.runUntilIdle(10s);
    EXPECT_EQ(times(), (std::vector<int64_t>{1000, 6200, 6700, 7200, 7700, 8200}));
    EXPECT_EQ(f.form.caption(), "무토");
}

TEST_F(PlayerTest, ALongStallShiftsTheRestAShortOneIsCaughtUp) {
    struct Row {
        std::chrono::microseconds stall;
        std::vector<int64_t> expected;
    };
    const Row rows[] = {
        // Held up for 2 s: the late event plays when the loop runs again, the rest keep the gaps.
        {2000ms, {1000, 3100, 3350, 3600, 3850, 4100}},
        // 0.4 s: not compensated; what fell due plays at once, one per pass, then on schedule.
        {400ms, {1000, 1500, 1500, 1750, 2000, 2250}},
    };
    for (const Row& r : rows) {
        Form1& f = ready();
        perform(taps(6, 10.0f, 0.25f));
        log.clear();
        play();
        time.advanceMs(1100);
        time.stall(r.stall);
        time.runUntilIdle(10s);
        EXPECT_EQ(times(), r.expected);
        EXPECT_FALSE(f.player().isPlaying());
    }
}

TEST_F(PlayerTest, GapsAcrossMidnightInTheFileStayTheSame) {
    Form1& f = ready();
    perform({{kQ, 1, 86399.5f}, {kQ, 0, 86399.75f}, {kW, 1, 0.0f}, {kW, 0, 0.25f}});
    log.clear();
    play();
    time.runUntilIdle(10s);
    EXPECT_EQ(times(), (std::vector<int64_t>{1000, 1250, 1500, 1750}));
    EXPECT_FALSE(f.player().isPlaying());
}

TEST_F(PlayerTest, AStopInTheMiddleReleasesEveryNoteTheEndOnlyThePlaybacksLostOnes) {
    Form1& f = ready();
    perform({{kQ, 1, 1.0f}, {kE, 1, 1.5f}, {kE, 0, 2.0f}, {kQ, 0, 9.0f}});
    play();
    time.advanceMs(1100);
    down(kPad1);  // a live key
    ASSERT_TRUE(f.keys().isHeld(kQ));
    midi.sent.clear();
    play();  // the stop request
    EXPECT_EQ(midi.hex(), (std::vector<std::string>{"80 3C 00", "81 3C 00"}));
    EXPECT_FALSE(f.keys().isHeld(kQ));
    EXPECT_FALSE(f.keys().isHeld(kPad1));
    EXPECT_FALSE(f.player().isPlaying());
    EXPECT_EQ(f.cmd_play.caption(), "▶");
    up(kPad1);

    // To the end: the live key sounds on; nothing is released but what the playback pressed.
    perform(taps(4, 1.0f, 0.5f));
    f.shp_StartPos.setTag("0");
    play();
    time.advanceMs(1100);
    down(kPad1);
    midi.sent.clear();
    time.runUntilIdle(10s);
    EXPECT_EQ(midi.hex(), (std::vector<std::string>{"80 3C 00", "90 3C 7F", "80 3C 00"}));
    EXPECT_TRUE(f.keys().isHeld(kPad1));

    // A stop while paused releases too.
    perform(taps(4, 1.0f, 0.5f));
    play();
    time.advanceMs(1100);
    pause();
    midi.sent.clear();
    play();
    EXPECT_EQ(midi.hex(), (std::vector<std::string>{"80 3C 00", "81 3C 00"}));
    EXPECT_FALSE(f.player().isPaused());
    EXPECT_EQ(f.cmd_pause.caption(), "||");
}

TEST_F(PlayerTest, ShiftAndAltOfTheRecordingReachTheHandlers) {
    Form1& f = ready();
    const int oct0 = f.cmb_OctShift(0).listIndex(), oct1 = f.cmb_OctShift(1).listIndex();
    // Shift+Up raises channel 1's octave, Alt+Up channel 2's, a plain Up plays its note.
    std::vector<std::pair<int, int>> keys = {{kShift, 1}, {kUp, 1}, {kUp, 0}, {kShift, 0},
                                             {kAlt, 1},   {kUp, 1}, {kUp, 0}, {kAlt, 0},
                                             {kCtrl, 1},  {kUp, 1}, {kUp, 0}, {kCtrl, 0}};
    std::vector<PerfEvent> e;
    for (size_t i = 0; i < keys.size(); ++i)
        e.push_back({int16_t(keys[i].first), int16_t(keys[i].second), 0.1f * float(i)});
    perform(e);
    play();
    time.runUntilIdle(10s);
    EXPECT_EQ(f.cmb_OctShift(0).listIndex(), oct0 + 1);
    EXPECT_EQ(f.cmb_OctShift(1).listIndex(), oct1 + 1);
    // Only the Up under Ctrl sounded (Ctrl is no shift of the playback): a flat note.
    int notesOn = 0;
    for (const Sent& s : log)
        notesOn += s.hex.rfind("91", 0) == 0;
    EXPECT_EQ(notesOn, 1);
}

TEST_F(PlayerTest, OlderPerformancesGetTheirOctaveAndKeySignatureRestoredAsTheyKeptThem) {
    struct Row {
        uint8_t version;
        int octave0, octave1;
    };
    for (const Row& r : {Row{3, 3, 2}, Row{4, 2, 2}, Row{2, 3, 2}}) {
        SCOPED_TRACE(int(r.version));
        Form1& f = ready();
        f.cmb_OctShift(0).setListIndex(0);
        f.cmb_OctShift(1).setListIndex(0);
        perform(taps(2, 1.0f, 0.5f), r.version);
        edit([](Performance& p) {
            p.snapshot.settings[3] = 2;
            p.snapshot.settings[4] = 2;
            p.snapshot.keySig = {2, 1, 0, 0, 0, 0, 0, 2};
        });
        play();
        EXPECT_EQ(f.cmb_OctShift(0).listIndex(), r.octave0);
        EXPECT_EQ(f.cmb_OctShift(1).listIndex(), r.octave1);
        EXPECT_EQ(f.instrument().degreeDirection, -1);
        EXPECT_EQ(f.instrument().degreeAlter, (std::array<int16_t, 7>{1, 0, 0, 0, 0, 0, -1}));
        EXPECT_EQ(f.instrument().alteredDegreeCount, 2);
        EXPECT_EQ(f.instrument().alteredDegrees[0], 0);
        EXPECT_EQ(f.instrument().alteredDegrees[1], 6);
        EXPECT_TRUE(f.shp_key(112).lit());
        EXPECT_FALSE(f.shp_key(113).lit());
        EXPECT_TRUE(f.shp_key(118).lit());
        time.runUntilIdle(10s);
    }
}

TEST_F(PlayerTest, AlteredKeysComeFromThePerformanceAtEveryStart) {
    Form1& f = ready();
    perform(taps(2, 1.0f, 0.5f));
    // Key 7 has no caption: skipped.
    edit([](Performance& p) { p.snapshot.entries = {{kQ, 61, 's'}, {kW, 61, 'f'}, {7, 50, 's'}}; });
    f.instrument().keyAlter[kE] = 1;  // an alteration made since: cleared by the start
    f.instrument().keyNote[kE] = 65;
    log.clear();
    play();
    EXPECT_EQ(f.instrument().keyNote[kQ], 61);
    EXPECT_EQ(f.instrument().keyAlter[kQ], 1);
    EXPECT_EQ(f.lbl_KeyCaption(kQ).tag(), "s");
    EXPECT_EQ(f.instrument().keyAlter[kW], 61 - 62);
    EXPECT_EQ(f.lbl_KeyCaption(kW).tag(), "f");
    EXPECT_EQ(f.instrument().keyAlter[kE], 0);
    EXPECT_EQ(f.instrument().keyNote[kE], 64);
    EXPECT_EQ(f.instrument().keyAlter[7], 0);
    time.runUntilIdle(10s);
    EXPECT_EQ(log.front().hex, "90 3D 7F");  // Q plays its altered note
}

TEST_F(PlayerTest, TheTransportShowsPlayingPausedAndIdle) {
    Form1& f = ready();
    // Nothing to play: the captions and controls come back at once.
    perform({});
    play();
    EXPECT_FALSE(f.player().isPlaying());
    EXPECT_EQ(f.form.caption(), "무토");
    EXPECT_EQ(f.cmd_play.caption(), "▶");
    EXPECT_TRUE(f.cmd_open.enabled());

    perform(taps(4, 1.0f, 0.5f));
    f.chk_CircleTouch.setValue(1);
    play();
    EXPECT_EQ(f.form.caption(), "무토 - [연주중]");
    EXPECT_EQ(f.cmd_play.caption(), "■");
    EXPECT_EQ(f.cmd_pause.caption(), "||");
    for (Control* c :
         {(Control*)&f.cmd_open, (Control*)&f.cmd_record, (Control*)&f.cmb_key,
          (Control*)&f.cmb_OctShift(1), (Control*)&f.cmb_RecMax, (Control*)&f.chk_CircleTouch,
          (Control*)&f.lbl_chk(5), (Control*)&f.chk_BScr, (Control*)&f.lbl_chk(9)})
        EXPECT_FALSE(c->enabled()) << c->name();
    for (Control* c : {(Control*)&f.cmb_inst(0), (Control*)&f.chk_damper(1),
                       (Control*)&f.vbar_Effect(3), (Control*)&f.cmd_play})
        EXPECT_TRUE(c->enabled()) << c->name();
    EXPECT_EQ(f.focused(), &f.pic_CircleTouch);
    EXPECT_EQ(f.playback().progressUnits(), 1);
    time.advanceMs(1600);  // two events played
    EXPECT_EQ(f.playback().progressUnits(), 2);
    EXPECT_EQ(f.shp_progress.geometry().width, std::lround(f.pic_ProgBack.geometry().width / 2.0));
    EXPECT_FALSE(f.queryUnload());  // no closing while a performance plays
    time.runUntilIdle(10s);
    EXPECT_EQ(f.form.caption(), "무토");
    EXPECT_EQ(f.cmd_play.caption(), "▶");
    for (Control* c : {(Control*)&f.cmd_open, (Control*)&f.chk_CircleTouch, (Control*)&f.chk_BScr})
        EXPECT_TRUE(c->enabled()) << c->name();
    EXPECT_EQ(f.playback().progressUnits(), 1);
    EXPECT_EQ(f.focused(), &f.pic_CircleTouch);  // the keyboard focus, in circle-touch mode
    EXPECT_TRUE(f.queryUnload());
}

TEST_F(PlayerTest, StartPositionsFromTheBarTheStripHomeAndTheThreeButtons) {
    Form1& f = ready();
    perform(taps(20, 1.0f, 0.5f));
    const Rect bar = f.pic_ProgBack.geometry();
    const int marker0 = bar.left - 4;
    f.pic_ProgBack.onMouseDown(1, 0, 7, 2);
    EXPECT_EQ(f.shp_StartPos.tag(), formatPlayPosition(7 * 20.0 / bar.width));
    const int at = parsePlayPosition(f.shp_StartPos.tag());
    EXPECT_EQ(f.shp_StartPos.geometry().left, marker0 + std::lround(at * bar.width / 20.0));
    f.pic_ProgBack.onMouseDown(1, 0, bar.width, 2);  // the right end: event 20, past the last
    EXPECT_EQ(f.shp_StartPos.tag(), "20");

    const int b = bar.top - f.img_ControlPanel.geometry().top + bar.height;
    f.img_ControlPanel.onMouseDown(1, 0, bar.left + bar.width / 2, b + 3);
    EXPECT_EQ(f.shp_StartPos.tag(), "10");
    EXPECT_EQ(f.shp_StartPos.geometry().left, bar.left + bar.width / 2 - 4);
    f.img_ControlPanel.onMouseDown(1, 0, bar.left + 1, b + 7);  // just below the strip
    EXPECT_EQ(f.shp_StartPos.tag(), "10");
    f.lbl_Home.onClick();
    EXPECT_EQ(f.shp_StartPos.tag(), "0");
    EXPECT_EQ(f.shp_StartPos.geometry().left, marker0);

    // While playing, a button remembers the position; idle, it recalls it.
    f.cmd_SavePlayPos(1).setTag("0");
    play();
    time.advanceMs(1600);  // events 0 and 1 played
    f.cmd_SavePlayPos(1).click();
    EXPECT_EQ(f.cmd_SavePlayPos(1).tag(), "2");
    EXPECT_EQ(f.shp_StartPos.tag(), "2");
    play();
    f.lbl_Home.onClick();
    f.cmd_SavePlayPos(1).click();
    EXPECT_EQ(f.shp_StartPos.tag(), "2");
    log.clear();
    play();
    time.advanceMs(1000);
    EXPECT_EQ(log, (std::vector<Sent>{{1000, "90 3C 7F"}}));  // event 2
}

// Whatever the user does while a performance plays, once the user's keys are up and the
// playback has ended every note that started has stopped.
// Practice: Q, then W played with Space; channel 2 plays its note between them by itself.
TEST_F(PlayerTest, PracticeWaitsForTheKeyLightsItCountsWrongKeysAndLateness) {
    Form1& f = ready();
    f.chk_Practice.setValue(1);
    const Colour pressColour = f.shp_key(kQ).backColor();
    perform({{int16_t(kQ), 1, 10.0f},
             {int16_t(kPad1), 1, 10.25f},
             {int16_t(kPad1), 0, 10.375f},
             {int16_t(kQ), 0, 10.5f},
             {int16_t(kSpace), 1, 10.5f},
             {int16_t(kW), 1, 10.5f},
             {int16_t(kSpace), 0, 10.5f},
             {int16_t(kW), 0, 11.0f}});
    log.clear();
    play();
    time.advanceMs(599);
    EXPECT_FALSE(f.shp_key(kQ).lit());
    time.advanceMs(1);  // a moment before it is due, Q lights in its own colour
    EXPECT_TRUE(f.shp_key(kQ).lit());
    EXPECT_NE(f.shp_key(kQ).backColor(), pressColour);
    time.advanceMs(500);  // due at 1000 ms: nothing plays, channel 2 waits too
    EXPECT_TRUE(log.empty());
    tap(kE);  // a wrong key sounds and does not advance
    time.advanceMs(100);
    down(kQ);  // 200 ms late
    EXPECT_EQ(f.shp_key(kQ).backColor(), pressColour);
    // The rest follows the press: channel 2 at 1450, W due at 1700 and lit from 1300.
    time.advanceMs(99);
    EXPECT_EQ(f.player().awaitedKey(), -1);
    time.advanceMs(1);
    EXPECT_EQ(f.player().awaitedKey(), kW);
    time.advanceMs(350);
    up(kQ);
    down(kW);             // early, with the Space the performance presses with it
    time.advanceMs(650);  // held past its recorded release at 2200: the user's release ends it
    up(kW);
    time.advanceMs(2000);
    const std::vector<Sent> expected{{1100, "90 40 7F"}, {1100, "80 40 00"}, {1200, "90 3C 7F"},
                                     {1450, "91 3C 7F"}, {1575, "81 3C 00"}, {1650, "80 3C 00"},
                                     {1650, "90 3F 7F"}, {2300, "80 3F 00"}};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(f.player().isPlaying());
    ASSERT_FALSE(dialogs.boxes.empty());
    EXPECT_EQ(dialogs.boxes.back().title, "연습");
    EXPECT_EQ(dialogs.boxes.back().text, "맞힌 음 2개, 틀린 건반 1개, 평균 늦음 100 ms");

    // Stopped while it waits: the box comes all the same; without practice no box.
    dialogs.boxes.clear();
    play();
    time.advanceMs(1200);
    play();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "맞힌 음 0개, 틀린 건반 0개, 평균 늦음 0 ms");
    EXPECT_FALSE(f.shp_key(kQ).lit());
    f.chk_Practice.setValue(0);
    play();
    time.advanceMs(3000);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(PlayerTest, EveryNoteOnGetsItsNoteOffWhateverHappensMeanwhile) {
    const int keys[] = {kQ, kW, kE, kA, kPad1, kPad2, kSpace, kCtrl};
    for (unsigned seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        Form1& f = ready();
        std::vector<PerfEvent> e;
        float t = 80000.0f + float(pick(6000));
        for (int i = 0, n = 5 + pick(40); i < n; ++i) {
            t = std::fmod(t + 0.01f * float(pick(40)), 86400.0f);
            e.push_back({int16_t(keys[pick(8)]), int16_t(pick(2)), t});
        }
        perform(e);
        f.vbar_Effect(3).setValue(1 + pick(30));
        std::set<int> live;
        for (int step = 0; step < 60; ++step) {
            switch (pick(10)) {
                case 0:
                    play();
                    break;
                case 1:
                    pause();
                    break;
                case 2: {
                    int k = keys[pick(6)];
                    down(k);
                    live.insert(k);
                    break;
                }
                case 3:
                    if (!live.empty()) {
                        auto it = std::next(live.begin(), pick(int(live.size())));
                        up(*it);
                        live.erase(it);
                    }
                    break;
                case 4:
                    f.pic_ProgBack.onMouseDown(1, 0, pick(f.pic_ProgBack.geometry().width + 1), 1);
                    break;
                case 5:
                    f.cmd_SavePlayPos(pick(3)).click();
                    break;
                case 6:
                    time.stall(std::chrono::milliseconds(pick(1500)));
                    break;
                default:
                    time.advanceMs(pick(400));
                    break;
            }
        }
        time.runUntilIdle(std::chrono::seconds(pick(2) * 100));
        for (int k : live)
            up(k);
        if (f.player().isPlaying() || f.player().isPaused()) play();
        EXPECT_FALSE(f.player().isPlaying() || f.player().isPaused());
        std::map<int, int> sounding;  // channel × 128 + note → on minus off
        for (uint32_t m : midi.sent) {
            int status = int(m & 0xF0), key = int(m & 0x0F) * 128 + int((m >> 8) & 0x7F);
            if (status == 0x90 && ((m >> 16) & 0x7F) != 0) ++sounding[key];
            if (status == 0x80 || (status == 0x90 && ((m >> 16) & 0x7F) == 0)) --sounding[key];
        }
        for (auto [key, n] : sounding)
            EXPECT_EQ(n, 0) << "channel " << key / 128 << " note " << key % 128;
        if (HasFailure()) break;
    }
}

}  // namespace
}  // namespace muto::test
