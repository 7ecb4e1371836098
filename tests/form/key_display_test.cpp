#include "form/key_display.h"
#include "form/key_input.h"
#include "form/key_map.h"
#include "form/startup.h"
#include "form/visual_options.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

TEST_F(FormTest, NumberCaptionsAreMovableDoWithOctaveDots) {
    Form1& f = started();
    KeyDisplay& d = f.display();
    EXPECT_EQ(d.noteCaption(60, false), "1");
    EXPECT_EQ(d.noteCaption(62, false), "2");
    EXPECT_EQ(d.noteCaption(72, false), "1.");
    EXPECT_EQ(d.noteCaption(84, false), "1..");
    EXPECT_EQ(d.noteCaption(48, false), ".1");
    EXPECT_EQ(d.noteCaption(36, false), "..1");
    EXPECT_EQ(d.noteCaption(61, false), "b2");
    EXPECT_EQ(d.noteCaption(61, true), "#1");
    f.cmb_key.setListIndex(1);  // G major
    EXPECT_EQ(d.noteCaption(67, false), "1");
    EXPECT_EQ(d.noteCaption(66, false), ".7");
    EXPECT_EQ(d.noteCaption(0, false), "......");  // below the transposition: dots, no name
    EXPECT_EQ(d.noteCaption(7, false), ".....1");
}

TEST_F(FormTest, KoreanCaptionsAndLegends) {
    Form1& f = started();
    EXPECT_EQ(f.lbl_KeyCaption(68).caption(), ".3");  // D plays 52
    EXPECT_TRUE(f.lbl_KeyCaption(68).fontBold());
    f.chk_CaptionKor.setValue(1);
    EXPECT_EQ(f.display().noteCaption(64, false), "미");
    EXPECT_EQ(f.display().noteCaption(61, false), "b레");
    EXPECT_EQ(f.lbl_KeyCaption(68).caption(), ".미");
    EXPECT_FALSE(f.lbl_KeyCaption(68).fontBold());
    EXPECT_EQ(f.Label1(5).caption(), "#도");
    EXPECT_EQ(f.Label1(11).caption(), "#시");
    f.chk_CaptionKor.setValue(0);
    EXPECT_EQ(f.Label1(5).caption(), "#1");
    EXPECT_TRUE(f.lbl_KeyCaption(68).fontBold());
}

TEST_F(FormTest, StaffPositionsWithSharpAndFlatNotation) {
    Form1& f = started();
    KeyDisplay& d = f.display();
    constexpr int kA = 65;
    EXPECT_EQ(d.staffTopOf(60, kA), 62);
    EXPECT_EQ(d.staffTopOf(62, kA), 58);
    EXPECT_EQ(d.staffTopOf(72, kA), 34);
    EXPECT_EQ(d.staffTopOf(61, kA), 58);  // flat notation: on the D step
    EXPECT_EQ(f.display().keyNoteSign[kA], -1);
    f.lbl_KeyCaption(kA).setTag("s");
    EXPECT_EQ(d.staffTopOf(61, kA), 62);  // sharp notation: on the C step
    EXPECT_EQ(f.display().keyNoteSign[kA], 1);
    EXPECT_EQ(d.staffTopOf(64, kA), 54);
    EXPECT_EQ(f.display().keyNoteSign[kA], 0);
    f.cmb_key.setListIndex(1);
    EXPECT_EQ(d.staffTopOf(0, kA), 62 + 6 * 28 - 16);  // negative remainder: no step offset
    EXPECT_EQ(f.display().keyNoteSign[kA], 0);
}

TEST_F(FormTest, MarkerTextsShowTheSoundingAccidental) {
    Form1& f = started();
    constexpr int kA = 65, kSpace = 32, kCtrl = 17;
    f.instrument().keyNote[kA] = 49;  // a raised key written as a sharp
    f.lbl_KeyCaption(kA).setTag("s");
    f.keyMap().refreshKeyStaffTops();
    down(kSpace);
    down(kA);
    EXPECT_EQ(f.lbl_note(0).caption(), "##○");
    up(kA);
    up(kSpace);
    f.cmd_KeySetDefault.click();
    tap(27);   // Esc: flats
    tap(113);  // F2: flat on the second degree
    down(kCtrl);
    down(83);  // S plays D
    EXPECT_EQ(f.lbl_note(1).caption(), "bb○");
    up(83);
    up(kCtrl);
}

TEST_F(FormTest, CaptionAndOutlineOptions) {
    Form1& f = started();
    f.chk_caption.setValue(0);
    f.lbl_KeyCaption.forEach([](Label& l) { EXPECT_FALSE(l.visible()); });
    for (int i = 0; i < 12; ++i)
        EXPECT_FALSE(f.Label1(i).visible());
    f.instrument().keyNote[8] = 0;
    f.chk_caption.setValue(1);
    f.lbl_KeyCaption.forEach(
        [&](Label& l) { EXPECT_EQ(l.visible(), f.instrument().keyNote[l.index()] != 0); });
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(f.Label1(i).visible());
    f.chk_KeyOutline.setValue(0);
    f.shp_key.forEach([](Shape& s) { EXPECT_FALSE(s.bordered()); });
    f.shp_img.forEach([](Shape& s) { EXPECT_FALSE(s.bordered()); });
    f.lbl_chk(1).onClick();  // the caption label toggles its box
    EXPECT_EQ(f.chk_KeyOutline.value(), 1);
    EXPECT_TRUE(f.shp_key(65).bordered());
}

TEST_F(FormTest, CaptionClicksGiveTheFocusBackAndQuestionMarkAsksForHelp) {
    Form1& f = started();
    f.setFocus(f.cmb_key);
    f.lbl_KeyCaption(65).onClick();
    EXPECT_EQ(f.focused(), &f.Picture1);
    f.Label1(3).onClick();
    f.Label1(4).onClick();
}

TEST_F(FormTest, HeightToggle) {
    Form1& f = started();
    EXPECT_EQ(f.lbl_BottomUD.caption(), "▲");
    f.lbl_BottomUD.onClick();
    EXPECT_EQ(f.form.heightTwips(), 4860);
    EXPECT_EQ(f.lbl_BottomUD.caption(), "▼");
    f.lbl_BottomUD.onClick();
    EXPECT_EQ(f.form.heightTwips(), 7200);
    EXPECT_EQ(f.lbl_BottomUD.caption(), "▲");
}

}  // namespace
}  // namespace muto::test
