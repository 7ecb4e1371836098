#include "form/key_map.h"
#include "form/key_display.h"
#include "form/key_input.h"
#include "form/key_map.h"
#include "form/startup.h"
#include "form/visual_options.h"
#include "instrument/key_layout.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

constexpr int kA = 65, kK = 75, kQ = 81, kZ = 90, k1 = 49, kBackslash = 220, kBackspace = 8;
constexpr int kLeft = 37, kPad1 = 97, kPageUp = 33, kEnter = 13;

TEST_F(FormTest, DefaultKeyMap) {
    Form1& f = started();
    EXPECT_EQ(f.instrument().keyNote[kA], 48);
    EXPECT_EQ(f.instrument().keyNote[kK], 60);
    EXPECT_EQ(f.instrument().keyNote[kQ], 60);
    EXPECT_EQ(f.instrument().keyNote[k1], 72);
    EXPECT_EQ(f.instrument().keyNote[kBackslash], 93);
    EXPECT_EQ(f.instrument().keyNote[kZ], 36);
    EXPECT_EQ(f.instrument().keyNote[kLeft], 48);
    EXPECT_EQ(f.instrument().keyNote[kPad1], 60);
    EXPECT_EQ(f.instrument().keyNote[kPageUp], 93);
    EXPECT_EQ(f.instrument().keyNote[kEnter], 59);
    EXPECT_EQ(f.instrument().keyNote[kBackspace], 0);
    int mapped = 0;
    for (int k = 0; k < 256; ++k)
        mapped += f.instrument().keyNote[k] != 0;
    EXPECT_EQ(mapped, 73);
    // Only keys with a note-key shape are ever mapped.
    for (int k = 0; k < 256; ++k)
        if (f.instrument().keyNote[k] != 0) {
            EXPECT_TRUE(f.shp_key.exists(k) && isNoteRole(*keyRoleOf(k))) << k;
        }
}

TEST_F(FormTest, EveryKeySignatureTransposesBothGroupsAndShowsItsPicture) {
    Form1& f = started();
    const char* pictures[15] = {"cmr", "s1r", "s2r", "s3r", "s4r", "s5r", "s6r", "s7r",
                                "b1r", "b2r", "b3r", "b4r", "b5r", "b6r", "b7r"};
    for (int i = 0; i < 15; ++i) {
        ASSERT_TRUE(f.cmb_key.setListIndex(i));
        int t = keySignatures()[i].transpose;
        EXPECT_GE(t, -4);
        EXPECT_LE(t, 7);
        for (int g = 0; g < 2; ++g)
            for (const NaturalKey& k : keyGroupLayout(g))
                EXPECT_EQ(f.instrument().keyNote[k.vk], k.note + t) << i;
        EXPECT_EQ(f.Picture1.picture(), std::string("/opt/muto/") + pictures[i] + ".gif");
    }
    f.cmb_key.setListIndex(1);  // G major: the home row plays G A B C D E F#
    EXPECT_EQ(f.instrument().keyNote[kA], 55);
    f.cmb_key.setListIndex(3);  // A major is three semitones down
    EXPECT_EQ(f.instrument().keyNote[kA], 45);
    EXPECT_TRUE(midi.sent.empty());
}

TEST_F(FormTest, OctaveShiftIsPerGroup) {
    Form1& f = started();
    f.cmb_OctShift(1).setListIndex(3);  // "+1"
    EXPECT_EQ(f.instrument().keyNote[kPad1], 72);
    EXPECT_EQ(f.instrument().keyNote[kA], 48);
    f.cmb_OctShift(0).setListIndex(0);  // "-2"
    EXPECT_EQ(f.instrument().keyNote[kA], 24);
    EXPECT_EQ(f.instrument().keyNote[kZ], 12);
    f.cmb_key.setListIndex(11);  // -4: the lowest reachable note is 36 - 24 - 4
    EXPECT_EQ(f.instrument().keyNote[kZ], 8);
}

TEST_F(FormTest, KeySetAlterationSurvivesRebuildsUntilReset) {
    Form1& f = started();
    f.instrument().keyAlter[kA] = 1;
    f.instrument().keyNote[kA] += 1;
    f.lbl_KeyCaption(kA).setTag("s");
    f.cmb_OctShift(0).setListIndex(3);
    EXPECT_EQ(f.instrument().keyNote[kA], 61);
    EXPECT_EQ(f.lbl_KeyCaption(kA).caption(), "#1");  // the sharp spelling is kept
    f.cmb_key.setListIndex(2);
    EXPECT_EQ(f.instrument().keyNote[kA], 63);
    f.cmd_KeySetDefault.click();
    EXPECT_EQ(f.instrument().keyNote[kA], 62);
    EXPECT_EQ(f.instrument().keyAlter[kA], 0);
    EXPECT_EQ(f.lbl_KeyCaption(kA).tag(), "");
    EXPECT_EQ(f.focused(), &f.Picture1);
}

TEST_F(FormTest, AGroupNoteOutsideAByteLeavesOnlyThatKeyUnmapped) {
    Form1& f = started();
    f.instrument().keyAlter[kA] = 250;
    f.instrument().keyAlter[kZ] = -40;
    f.keyMap().rebuildBothGroups();
    EXPECT_EQ(f.instrument().keyNote[kA], 0);
    EXPECT_EQ(f.instrument().keyNote[kZ], 0);
    EXPECT_EQ(f.instrument().keyNote[83], 50);  // S, next to A, is unaffected
    EXPECT_EQ(f.instrument().keyNote[kPad1], 60);
}

TEST_F(FormTest, AMissingKeySignaturePictureLeavesAnEmptyStaff) {
    Form1& f = started();
    pictures.missing.insert("/opt/muto/s2r.gif");
    f.cmb_key.setListIndex(2);
    EXPECT_EQ(f.Picture1.picture(), "");
    EXPECT_EQ(f.instrument().keyNote[kA], 50);
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(FormTest, StaffTopsFollowTheKeyMap) {
    Form1& f = started();
    EXPECT_EQ(f.display().keyStaffTop[kK], 62);  // middle C
    EXPECT_EQ(f.display().keyStaffTop[76], 58);  // L plays D
    EXPECT_EQ(f.display().keyStaffTop[kQ], 62);
    EXPECT_EQ(f.display().keyStaffTop[73], 34);  // I plays C one octave up
    f.cmb_key.setListIndex(1);                   // G major: K plays G, drawn on the G line
    EXPECT_EQ(f.display().keyStaffTop[kK], 62 - 16);
}

}  // namespace
}  // namespace muto::test
