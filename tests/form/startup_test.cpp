#include "form/startup.h"
#include "form/key_display.h"
#include "form/key_input.h"
#include "form/key_map.h"
#include "form/midi.h"
#include "form/playback_panel.h"
#include "form/startup.h"
#include "form/visual_options.h"
#include "instrument/key_layout.h"
#include "performance/player.h"
#include "performance/recorder.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(FormTest, FirstStartSendsProgramsAndVolumesInOrder) {
    make();
    ASSERT_TRUE(form->load());
    EXPECT_EQ(midi.hex(), (Strings{"C0 00", "C1 00", "B0 07 78", "B1 07 78"}));
    EXPECT_EQ(midi.opens, 1);
}

TEST_F(FormTest, FirstStartDefaults) {
    Form1& f = started();
    EXPECT_EQ(f.form.caption(), "무토");
    EXPECT_EQ(f.chk_caption.value(), 1);
    EXPECT_EQ(f.chk_KeyOutline.value(), 1);
    EXPECT_EQ(f.chk_CaptionKor.value(), 0);
    EXPECT_EQ(f.chk_CircleTouch.value(), 0);
    EXPECT_EQ(f.chk_ESync.value(), 1);
    EXPECT_TRUE(f.chk_AniGif.enabled());
    EXPECT_EQ(f.cmb_RecMax.text(), "2000Key");
    EXPECT_EQ(f.recorder().capacity(), 4000);
    for (int ch = 0; ch < 2; ++ch) {
        EXPECT_EQ(f.cmb_inst(ch).listCount(), 128);
        EXPECT_EQ(f.cmb_inst(ch).text(), "0 Acoustic Grand Piano");
        EXPECT_EQ(f.cmb_volume(ch).listCount(), 23);
        EXPECT_EQ(f.cmb_volume(ch).text(), "120");
        EXPECT_EQ(f.cmb_volume(ch).item(22), "10");
        EXPECT_EQ(f.cmb_OctShift(ch).text(), "0");
    }
    EXPECT_EQ(f.cmb_inst(0).item(21), "21 Accordian");
    EXPECT_EQ(f.cmb_inst(1).item(40), "40 Violin");
    EXPECT_EQ(f.cmb_inst(0).item(127), "127 Gunshot");
    EXPECT_EQ(f.cmb_key.text(), "C-다장조");
    EXPECT_EQ(f.cmb_key.listCount(), 15);
    const char* effects[4] = {"음지속 70", "음잔향 0", "음두께 0", "x1.0"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(f.lbl_effect(i).caption(), effects[i]);
    EXPECT_FLOAT_EQ(f.player().speed(), 1.0f);
    EXPECT_EQ(f.keyboard().typedProgram()[0], -1);
    EXPECT_EQ(f.keyboard().typedProgram()[1], -1);
    EXPECT_EQ(f.visualOptions().pressColor, f.lbl_Color(2).backColor());
    EXPECT_EQ(f.form.picture(), "/opt/muto/CKeyboard.gif");
    EXPECT_EQ(f.pic_CircleTouch.picture(), "/opt/muto/PKeyboard.gif");
    EXPECT_EQ(f.img_ControlPanel.picture(), "/opt/muto/ControlPanel.gif");
    EXPECT_EQ(f.Picture1.picture(), "/opt/muto/cmr.gif");
    for (int k = 0; k < 256; ++k)
        EXPECT_EQ(f.instrument().heldAlter[k], kNotHeld);
}

TEST_F(FormTest, HighlightsAreResetAndKeyShapesTakeThePressColour) {
    Form1& f = started();
    int shapes = 0;
    f.shp_key.forEach([&](Shape& s) {
        ++shapes;
        EXPECT_FALSE(s.lit()) << s.index();
        if (keyRoleOf(s.index()) != KeyRole::Control) {
            EXPECT_EQ(s.backColor(), f.visualOptions().pressColor) << s.index();
        }
    });
    EXPECT_EQ(shapes, 91);
    EXPECT_EQ(f.shp_img(12).backColor(), f.visualOptions().pressColor);
    EXPECT_FALSE(f.shp_img(13).visible());
    EXPECT_NE(f.shp_key(16).backColor(),
              f.visualOptions().pressColor);  // role 5 keeps its design colour
}

TEST_F(FormTest, EveryMappedKeyHasACaptionAndBackspaceHasNone) {
    Form1& f = started();
    int captions = 0;
    f.lbl_KeyCaption.forEach([&](Label& l) {
        ++captions;
        EXPECT_NE(f.instrument().keyNote[l.index()], 0);
        EXPECT_TRUE(l.visible());
        EXPECT_EQ(l.geometry().left, f.shp_key(l.index()).geometry().left);
        EXPECT_EQ(l.geometry().top, f.shp_key(l.index()).geometry().top + 10);
    });
    EXPECT_EQ(captions, 73);
    EXPECT_FALSE(f.lbl_KeyCaption.exists(8));
    EXPECT_EQ(f.lbl_KeyCaption(75).caption(), "1");  // K plays middle C
}

TEST_F(FormTest, AnOutputThatCannotOpenEndsStartUpWithItsMessage) {
    midi.openResult = 3;
    make();
    EXPECT_FALSE(form->load());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "미디 출력 장치를 열 수 없습니다.(Rtcode = 3)");
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_EQ(form->cmb_inst(0).listCount(), 0);  // nothing after the failed open ran
}

TEST_F(FormTest, MidiOpenAndCloseAreIdempotent) {
    Form1& f = started();
    EXPECT_TRUE(f.midi().midiOpen());
    EXPECT_EQ(midi.opens, 1);
    f.midi().midiClose();
    f.midi().midiClose();
    EXPECT_EQ(midi.closes, 1);
    EXPECT_EQ(f.midi().midiOutHandle, 0);
}

TEST_F(FormTest, AWriteFailureOfTheOutputIsShownOnceAndPlayingGoesOn) {
    started();
    // The file fills up while the first note-on is written.
    bool full = false;
    midi.onMessage = [&](uint32_t m) {
        if (m != 0x7F3C90 || std::exchange(full, true)) return;
        midi.failure = OutputFailure{"/tmp/x/midi.log", "No space left on device"};
    };
    tap('Q');
    EXPECT_EQ(midi.take(), (std::vector<std::string>{"90 3C 7F", "80 3C 00"}));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, "저장 실패");
    EXPECT_EQ(dialogs.boxes[0].buttons, MsgButtons::Ok);
    EXPECT_NE(dialogs.boxes[0].text.find("/tmp/x/midi.log"), std::string::npos);
    EXPECT_NE(dialogs.boxes[0].text.find("No space left on device"), std::string::npos);
    tap('Q');
    EXPECT_EQ(midi.take().size(), 2u);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(FormTest, CloseIsRefusedWhilePlayingAndClosesTheOutputOtherwise) {
    Form1& f = started();
    Performance p;
    p.events = {{'Q', 1, 0}, {'Q', 0, 1}};
    f.recorder().setPerformance(std::move(p));
    f.playback().cmd_play_Click();
    ASSERT_TRUE(f.player().isPlaying());
    EXPECT_FALSE(f.queryUnload());
    EXPECT_EQ(midi.closes, 0);
    f.playback().cmd_pause_Click();
    ASSERT_TRUE(f.player().isPaused());
    EXPECT_TRUE(f.queryUnload());
    EXPECT_EQ(midi.closes, 1);
}

TEST_F(FormTest, NumLockIsTurnedOnAtStartWithoutPlayingANote) {
    leds.on = false;
    make();
    ASSERT_TRUE(form->load());
    EXPECT_TRUE(leds.on);
    EXPECT_EQ(leds.sets, 1);
    EXPECT_EQ(midi.hex(), (Strings{"C0 00", "C1 00", "B0 07 78", "B1 07 78"}));
}

TEST_F(FormTest, PicturesFallBackToTheDefaultFiles) {
    make();
    form->form.setTag("/home/u/gone/bg.jpg");
    form->img_ControlPanel.setTag("/home/u/broken.bmp");
    pictures.missing.insert("/home/u/gone/bg.jpg");
    pictures.invalid.insert("/home/u/broken.bmp");
    form->startup().loadPictures();
    EXPECT_EQ(form->form.picture(), "/opt/muto/CKeyboard.gif");
    EXPECT_EQ(form->img_ControlPanel.picture(), "/opt/muto/ControlPanel.gif");
    EXPECT_EQ(form->pic_CircleTouch.picture(), "/opt/muto/PKeyboard.gif");

    pictures.missingAll = true;
    form->pic_CircleTouch.setTag("");
    form->startup().loadPictures();
    EXPECT_EQ(form->pic_CircleTouch.picture(), "");  // empty Tag clears; no default either
}

TEST_F(FormTest, ApplyColourRecolours) {
    Form1& f = started();
    f.visualOptions().applyColour(0, rgb(1, 2, 3));
    f.shp_key.forEach([](Shape& s) { EXPECT_EQ(s.borderColor(), rgb(1, 2, 3)); });
    f.shp_img.forEach([](Shape& s) { EXPECT_EQ(s.borderColor(), rgb(1, 2, 3)); });
    f.visualOptions().applyColour(1, rgb(9, 9, 9));
    EXPECT_EQ(f.lbl_KeyCaption(65).foreColor(), rgb(9, 9, 9));
    EXPECT_EQ(f.Label1(11).foreColor(), rgb(9, 9, 9));
    f.lbl_Color(2).setBackColor(rgb(0, 0, 200));
    f.visualOptions().applyColour(2, 0);
    EXPECT_EQ(f.visualOptions().pressColor, rgb(0, 0, 200));
    EXPECT_EQ(f.shp_piano(30).backColor(), rgb(0, 0, 200));
    EXPECT_EQ(f.shp_key(65).backColor(), rgb(0, 0, 200));
    EXPECT_EQ(f.shp_img(12).backColor(), rgb(0, 0, 200));
}

TEST(MidiPacking, NotesOutsideTheMidiRangeCannotBeSent) {
    EXPECT_EQ(*noteOnMsg(0, 60), 0x7F3C90u);
    EXPECT_EQ(*noteOffMsg(1, 127), 0x7F81u);
    EXPECT_FALSE(noteOnMsg(0, 128));
    EXPECT_FALSE(noteOnMsg(0, -1));
    EXPECT_EQ(packShortMsg(0xC0, 40), 0x28C0u);
}

}  // namespace
}  // namespace muto::test
