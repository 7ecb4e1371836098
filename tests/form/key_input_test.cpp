#include "form/key_input.h"
#include "form/key_display.h"
#include "form/key_map.h"
#include "form/startup.h"
#include "form/visual_options.h"
#include "performance/recorder.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

using Strings = std::vector<std::string>;

constexpr int kCtrl = 17, kAlt = 18, kPause = 19, kEsc = 27, kSpace = 32;
constexpr int kUp = 38, kDown = 40, kLeft = 37, kRight = 39;
constexpr int kA = 65, kD = 68, kE = 69, kF = 70, kQ = 81, kK = 75;
constexpr int kF1 = 112, kF3 = 114, kF8 = 119, kF9 = 120, kF11 = 122, kF12 = 123;
constexpr int kPad0 = 96, kPad1 = 97, kNumLock = 144, kBackspace = 8, kTab = 9;

TEST_F(FormTest, NoteKeySoundsOnceWhileHeldAndStopsOnRelease) {
    started();
    down(kQ);
    down(kQ);  // auto-repeat
    down(kQ);
    up(kQ);
    EXPECT_EQ(midi.take(), (Strings{"90 3C 7F", "80 3C 00"}));
    tap(kPad1);
    EXPECT_EQ(midi.take(), (Strings{"91 3C 7F", "81 3C 00"}));
}

TEST_F(FormTest, HeldKeyLightsItsShapePianoKeyAndMarker) {
    Form1& f = started();
    down(kK);
    EXPECT_TRUE(f.shp_key(kK).lit());
    EXPECT_TRUE(f.shp_piano(60 - 24).lit());
    EXPECT_TRUE(f.lbl_note(0).visible());
    EXPECT_EQ(f.lbl_note(0).caption(), "○");
    EXPECT_EQ(f.lbl_note(0).geometry().top, 62);
    EXPECT_EQ(f.lbl_note(0).geometry().left, 102);
    EXPECT_FALSE(f.shp_BScr.lit());
    up(kK);
    EXPECT_FALSE(f.shp_key(kK).lit());
    EXPECT_FALSE(f.shp_piano(36).lit());
    EXPECT_FALSE(f.lbl_note(0).visible());
    EXPECT_TRUE(f.shp_BScr.lit());
}

TEST_F(FormTest, SpaceRaisesCtrlLowersAndTheNewerWins) {
    Form1& f = started();
    down(kSpace);
    tap(kA);
    EXPECT_EQ(midi.take(), (Strings{"90 31 7F", "80 31 00"}));
    down(kCtrl);  // cancels the sharp
    EXPECT_FALSE(f.shp_key(kSpace).lit());
    EXPECT_TRUE(f.shp_key(kCtrl).lit());
    EXPECT_TRUE(f.shp_img(12).lit());
    tap(kA);
    EXPECT_EQ(midi.take(), (Strings{"90 2F 7F", "80 2F 00"}));
    up(kCtrl);
    up(kSpace);
    tap(kA);
    EXPECT_EQ(midi.take(), (Strings{"90 30 7F", "80 30 00"}));
    EXPECT_FALSE(f.shp_img(12).lit());
    EXPECT_FALSE(f.instrument().sharpHeld);
    EXPECT_FALSE(f.instrument().flatHeld);
}

TEST_F(FormTest, EscF3CtrlLowersTheThirdDegreeByTwo) {
    Form1& f = started();
    tap(kEsc);  // accidentals now go flat
    EXPECT_EQ(f.instrument().degreeDirection, -1);
    EXPECT_EQ(f.Label1(7).caption(), "b3");
    tap(kF3);
    EXPECT_TRUE(f.shp_key(kF3).lit());
    down(kCtrl);
    down(kD);  // D plays E, the third degree of C major
    down(kD);
    EXPECT_EQ(midi.take(), (Strings{"90 32 7F"}));
    EXPECT_EQ(f.lbl_note(0).caption(), "bb○");
    up(kCtrl);
    up(kD);
    EXPECT_EQ(midi.take(), (Strings{"80 32 00"}));
}

TEST_F(FormTest, DegreeAccidentalsMatchByRemainderInActivationOrder) {
    Form1& f = started();
    tap(kF1);  // sharp on degree 1 (C)
    tap(kF3);  // sharp on degree 3 (E)
    EXPECT_EQ(f.instrument().alteredDegreeCount, 2);
    tap(kK);  // C
    tap(kE);  // E (note 64)
    tap(kF);  // F: no accidental
    EXPECT_EQ(midi.take(),
              (Strings{"90 3D 7F", "80 3D 00", "90 41 7F", "80 41 00", "90 35 7F", "80 35 00"}));
    tap(kF1);  // switches to flat
    EXPECT_EQ(f.Label1(5).caption(), "b1");
    tap(kK);
    EXPECT_EQ(midi.take(), (Strings{"90 3B 7F", "80 3B 00"}));
    f.instrument().keyNote[kE] = 63;  // between the second and third degree: no accidental applies
    tap(kE);
    EXPECT_EQ(midi.take(), (Strings{"90 3F 7F", "80 3F 00"}));
    f.cmb_key.setListIndex(1);  // G major: transposition 7, degree 1 is G
    tap(kA);                    // A plays 55 = G: remainder 0, flat from F1
    EXPECT_EQ(midi.take(), (Strings{"90 36 7F", "80 36 00"}));
    down(kSpace);  // Space clears the degree accidentals
    up(kSpace);
    EXPECT_EQ(f.instrument().alteredDegreeCount, 0);
    EXPECT_FALSE(f.shp_key(kF1).lit());
    EXPECT_FALSE(f.shp_key(kF3).lit());
    EXPECT_EQ(f.Label1(5).caption(), "#1");
}

TEST_F(FormTest, HoldingAFKeyTogglesItsDirectionOnEveryRepeat) {
    Form1& f = started();
    down(kF1);
    EXPECT_EQ(f.instrument().degreeAlter[0], 1);
    down(kF1);
    EXPECT_EQ(f.instrument().degreeAlter[0], -1);
    EXPECT_EQ(f.Label1(5).caption(), "b1");
    down(kF1);
    EXPECT_EQ(f.instrument().degreeAlter[0], 1);
    up(kF1);
    EXPECT_EQ(f.instrument().alteredDegreeCount, 1);
}

TEST_F(FormTest, ShiftAndAltShortcutsDriveTheLists) {
    Form1& f = started();
    tap('3', 1);
    EXPECT_EQ(f.cmb_key.listIndex(), 3);
    tap('3', 4);
    EXPECT_EQ(f.cmb_key.listIndex(), 10);
    tap('0', 4);
    EXPECT_EQ(f.cmb_key.listIndex(), 0);
    for (int i = 0; i < 5; ++i)
        down(kUp, 1);  // stops at the last entry
    up(kUp, 1);
    EXPECT_EQ(f.cmb_OctShift(0).text(), "+1");
    down(kDown, 4);
    EXPECT_EQ(f.cmb_OctShift(1).text(), "-1");
    down(kLeft, 1);
    EXPECT_EQ(f.cmb_volume(0).text(), "115");
    midi.sent.clear();
    down(kRight, 4);  // channel 2 is already at the loudest entry
    EXPECT_TRUE(midi.sent.empty());
    down(kRight, 1);
    EXPECT_EQ(midi.take(), (Strings{"B0 07 78"}));
}

TEST_F(FormTest, ControlKeysToggleDampersLinkAndSpeed) {
    Form1& f = started();
    tap(kF8);
    tap(kF9);
    tap(kF8);
    EXPECT_EQ(midi.take(), (Strings{"B0 40 7F", "B1 40 7F", "B0 40 00"}));
    tap(kPause);
    EXPECT_EQ(f.chk_ESync.value(), 0);
    tap(kF12);
    EXPECT_EQ(f.lbl_effect(3).caption(), "x1.1");
    f.vbar_Effect(3).setValue(1);
    f.recorder().start({}, 0);
    f.recorder().setCapacity(100);
    tap(kF11);  // refused at the top of the bar: nothing happens and nothing is recorded
    EXPECT_EQ(f.vbar_Effect(3).value(), 1);
    // Neither the refused press nor its release.
    EXPECT_EQ(f.recorder().performance().eventCount(), 0);
}

TEST_F(FormTest, NoteKeyWithShiftOrAltIsSilentButRecorded) {
    Form1& f = started();
    dialogs.answers.push_back(MsgResult::Yes);
    f.cmd_record.click();
    tap(kQ, 1);
    tap(kE, 4);
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_EQ(f.recorder().performance().eventCount(), 4);
    EXPECT_EQ(f.recorder().performance().events[0].keyCode, kQ);
    EXPECT_EQ(f.recorder().performance().events[0].isDown, 1);
    EXPECT_EQ(f.recorder().performance().events[1].isDown, 0);
    EXPECT_FLOAT_EQ(f.recorder().performance().events[0].time, 0.0f);
}

TEST_F(FormTest, AltNumberPadTypesAnInstrument) {
    Form1& f = started();
    f.chk_ESync.setValue(0);
    down(kCtrl);
    down(kAlt, 6);
    tap(kPad1, 6);
    tap(kPad0 + 2, 6);
    up(kAlt);
    up(kCtrl);
    EXPECT_EQ(f.cmb_inst(0).listIndex(), 12);
    EXPECT_EQ(midi.take(), (Strings{"C0 0C"}));
    down(kAlt, 4);
    for (int d : {1, 2, 3, 4})
        tap(kPad0 + d, 4);
    EXPECT_EQ(f.keyboard().typedProgram()[1], 123);
    up(kAlt);
    EXPECT_EQ(f.cmb_inst(1).listIndex(), 123);
    down(kAlt, 4);
    for (int d : {1, 2, 8})
        tap(kPad0 + d, 4);
    up(kAlt);  // 128 is not below the list's length: dropped
    EXPECT_EQ(f.cmb_inst(1).listIndex(), 123);
    EXPECT_EQ(f.keyboard().typedProgram()[0], -1);
    EXPECT_EQ(f.keyboard().typedProgram()[1], -1);
}

TEST_F(FormTest, KeySetEditingRaisesAndLowersWithinLimits) {
    Form1& f = started();
    f.chk_KeysetMode.setValue(1);
    down(kSpace);
    tap(kA);
    up(kSpace);
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_EQ(f.instrument().keyNote[kA], 49);
    EXPECT_EQ(f.instrument().keyAlter[kA], 1);
    EXPECT_EQ(f.lbl_KeyCaption(kA).caption(), ".#1");
    EXPECT_EQ(f.lbl_KeyCaption(kA).tag(), "s");
    EXPECT_EQ(f.display().keyStaffTop[kA], 62 + 28);  // drawn on the C step with a sharp
    EXPECT_EQ(f.display().keyNoteSign[kA], 1);
    down(kCtrl);
    tap(kA);
    tap(kA);
    up(kCtrl);
    EXPECT_EQ(f.instrument().keyNote[kA], 47);
    EXPECT_EQ(f.lbl_KeyCaption(kA).tag(), "f");
    // Limits: 107 cannot go up, 0 cannot go down; nothing sounds either way.
    f.instrument().keyNote[kQ] = 107;
    down(kSpace);
    tap(kQ);
    up(kSpace);
    EXPECT_EQ(f.instrument().keyNote[kQ], 107);
    down(kCtrl);
    tap(kBackspace);
    up(kCtrl);
    EXPECT_EQ(f.instrument().keyNote[kBackspace], 0);
    // Backspace raised from nothing gets a note and a caption.
    down(kSpace);
    tap(kBackspace);
    up(kSpace);
    EXPECT_EQ(f.instrument().keyNote[kBackspace], 1);
    EXPECT_TRUE(f.lbl_KeyCaption.exists(kBackspace));
    EXPECT_TRUE(midi.sent.empty());
    // Without a modifier a key in key-set mode does nothing.
    tap(kE);
    EXPECT_TRUE(midi.sent.empty());
    f.chk_KeysetMode.setValue(0);
    tap(kA);
    EXPECT_EQ(midi.take(), (Strings{"90 2F 7F", "80 2F 00"}));
}

TEST_F(FormTest, NotesOutsideTheMidiRangeDoNothingAndDoNotStick) {
    Form1& f = started();
    f.recorder().start({}, 0);
    f.recorder().setCapacity(100);
    f.instrument().keyNote[kQ] = 127;
    down(kSpace);
    down(kQ);
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_FALSE(f.shp_key(kQ).lit());
    EXPECT_FALSE(f.keys().isHeld(kQ));
    up(kSpace);
    up(kQ);
    EXPECT_TRUE(midi.sent.empty());
    tap(kQ);
    EXPECT_EQ(midi.take(), (Strings{"90 7F 7F", "80 7F 00"}));
    // Space down/up and the tap; the refused press is not stored, nor its release.
    EXPECT_EQ(f.recorder().performance().eventCount(), 2 + 2);
}

TEST_F(FormTest, NoteOffNamesTheSoundingNoteAfterTheMapChanged) {
    Form1& f = started();
    down(kA);
    tap('2', 1);  // key signature D major while A is held
    f.cmb_OctShift(0).setListIndex(3);
    up(kA);
    EXPECT_EQ(midi.take(), (Strings{"90 30 7F", "80 30 00"}));
    EXPECT_FALSE(f.shp_piano(48 - 24).lit());
}

TEST_F(FormTest, RecordingLimitStopsTheRecordingAndReleasesEveryKey) {
    Form1& f = started();
    f.recorder().start({}, 0);
    f.cmd_record.setCaption("■");
    f.recorder().setCapacity(2);
    down(kA);
    down(kQ);
    EXPECT_EQ(f.recorder().performance().eventCount(), 2);
    down(kE);  // the third event exceeds the limit and is still stored
    EXPECT_EQ(f.recorder().performance().eventCount(), 3);
    EXPECT_FALSE(f.recorder().isRecording());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "녹음 최대 길이를 초과하여 녹음을 중지합니다.");
    EXPECT_EQ(dialogs.boxes[0].title, "안내");
    for (int k : {kA, kQ, kE})
        EXPECT_FALSE(f.keys().isHeld(k));
    Strings sent = midi.hex();
    ASSERT_GE(sent.size(), 3u);
    // Released in ascending key-code order: A, E, Q.
    EXPECT_EQ(Strings(sent.end() - 3, sent.end()), (Strings{"80 30 00", "80 40 00", "80 3C 00"}));
}

TEST_F(FormTest, KeysWithoutAShapeAreIgnoredCompletely) {
    Form1& f = started();
    f.recorder().start({}, 0);
    f.recorder().setCapacity(10);
    tap(kTab);
    tap(121);  // F10
    tap(300);
    EXPECT_EQ(f.recorder().performance().eventCount(), 0);
    EXPECT_TRUE(midi.sent.empty());
}

TEST_F(FormTest, NumLockKeyPlaysItsNoteAndStaysOn) {
    started();
    leds.on = false;  // the key press toggled the lock off
    down(kNumLock);
    EXPECT_TRUE(leds.on);
    up(kNumLock);
    EXPECT_EQ(midi.take(), (Strings{"91 4D 7F", "81 4D 00"}));
}

TEST_F(FormTest, LosingTheFocusReleasesHeldKeys) {
    Form1& f = started();
    down(kQ);
    down(kPad1);
    down(kSpace);
    f.focusLost();
    EXPECT_EQ(midi.take(), (Strings{"90 3C 7F", "91 3C 7F", "80 3C 00", "81 3C 00"}));
    EXPECT_FALSE(f.instrument().sharpHeld);
    EXPECT_FALSE(f.keys().isHeld(kSpace));
}

TEST_F(FormTest, ElevenKeysShareTenMarkers) {
    Form1& f = started();
    const int keys[11] = {90, 88, 67, 86, 66, 78, 77, 188, 190, 191, 65};
    for (int k : keys)
        down(k);
    EXPECT_EQ(f.display().keyMarker[65], 0);
    EXPECT_EQ(f.display().nextMarker, 1);
    up(90);  // hides the marker that now belongs to A
    EXPECT_FALSE(f.lbl_note(0).visible());
}

// Random key sequences leave every note-on matched by a note-off once all keys are up.
TEST_F(FormTest, RandomPlayingNeverSticksANote) {
    Form1& f = started();
    std::vector<int> pool;
    f.shp_key.forEach([&](Shape& s) {
        if (s.index() != kAlt && s.index() != 19) pool.push_back(s.index());
    });
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    for (int round = 0; round < 40; ++round) {
        std::set<int> down_;
        for (int step = 0; step < 200; ++step) {
            int k = pool[next(static_cast<uint32_t>(pool.size()))];
            int shift = next(6) == 0 ? 1 : 0;
            if (next(7) == 0) f.chk_KeysetMode.setValue(f.chk_KeysetMode.value() == 1 ? 0 : 1);
            if (down_.count(k) && next(3) != 0) {
                up(k, shift);
                down_.erase(k);
            } else {
                down(k, shift);  // includes auto-repeats of held keys
                down_.insert(k);
            }
        }
        for (int k : down_)
            up(k);
    }
    std::map<int, int> sounding;
    for (uint32_t m : midi.sent) {
        int status = m & 0xF0, key = ((m & 0x0F) << 8) | ((m >> 8) & 0xFF);
        if (status == 0x90) ++sounding[key];
        if (status == 0x80) --sounding[key];
    }
    for (auto& [key, count] : sounding)
        EXPECT_EQ(count, 0) << "channel/note " << key;
    for (int k = 0; k < 256; ++k)
        EXPECT_FALSE(f.keys().isHeld(k)) << k;
}

}  // namespace
}  // namespace muto::test
