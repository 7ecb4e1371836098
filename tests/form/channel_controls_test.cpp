#include "form/channel_controls.h"
#include "form/key_display.h"
#include "form/key_input.h"
#include "form/key_map.h"
#include "form/startup.h"
#include "form/visual_options.h"
#include "performance/player.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(FormTest, LinkedInstrumentGoesToBothChannels) {
    Form1& f = started();
    f.cmb_inst(0).setListIndex(40);
    EXPECT_EQ(midi.take(), (Strings{"C0 28", "C1 28"}));
    EXPECT_EQ(f.cmb_inst(0).text(), "40 Violin");
    EXPECT_EQ(f.cmb_inst(1).text(), "40 Violin");
    f.cmb_inst(1).setListIndex(0);
    EXPECT_EQ(midi.take(), (Strings{"C1 00", "C0 00"}));
}

TEST_F(FormTest, UnlinkedInstrumentStaysOnItsChannel) {
    Form1& f = started();
    f.chk_ESync.setValue(0);
    EXPECT_TRUE(midi.sent.empty());
    f.cmb_inst(1).setListIndex(73);
    EXPECT_EQ(midi.take(), (Strings{"C1 49"}));
    EXPECT_EQ(f.cmb_inst(0).listIndex(), 0);
    f.chk_ESync.setValue(1);  // linking does not make them equal
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_EQ(f.cmb_inst(0).listIndex(), 0);
}

TEST_F(FormTest, VolumeAndDamper) {
    Form1& f = started();
    f.cmb_volume(1).setListIndex(4);
    EXPECT_EQ(midi.take(), (Strings{"B1 07 64"}));
    f.chk_damper(1).setValue(1);
    f.chk_damper(1).setValue(0);
    EXPECT_EQ(midi.take(), (Strings{"B1 40 7F", "B1 40 00"}));
    f.chk_damper(0).setValue(2);  // a grey box sends nothing
    EXPECT_TRUE(midi.sent.empty());
}

TEST_F(FormTest, EffectBarsSendToBothChannelsOnlyWhenReleased) {
    Form1& f = started();
    ScrollBar& reverb = f.vbar_Effect(1);
    reverb.dragTo(50);
    reverb.dragTo(64);
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_EQ(f.lbl_effect(1).caption(), "음잔향 64");
    reverb.endDrag();
    EXPECT_EQ(midi.take(), (Strings{"B0 5B 40", "B1 5B 40"}));
    f.vbar_Effect(0).setValue(100);
    EXPECT_EQ(midi.take(), (Strings{"B0 48 64", "B1 48 64"}));
    EXPECT_EQ(f.lbl_effect(0).caption(), "음지속 100");
    EXPECT_FALSE(f.vbar_Effect(0).setValue(101));  // outside 70..100
    EXPECT_FALSE(f.vbar_Effect(0).setValue(69));
    f.vbar_Effect(2).setValue(127);
    EXPECT_EQ(midi.take(), (Strings{"B0 5D 7F", "B1 5D 7F"}));
    EXPECT_EQ(f.lbl_effect(2).caption(), "음두께 127");
}

TEST_F(FormTest, SpeedBarSetsThePlaybackSpeed) {
    Form1& f = started();
    ScrollBar& speed = f.vbar_Effect(3);
    speed.setValue(25);
    EXPECT_EQ(f.lbl_effect(3).caption(), "x2.5");
    EXPECT_FLOAT_EQ(f.player().speed(), 2.5f);
    speed.setValue(30);
    EXPECT_EQ(f.lbl_effect(3).caption(), "x3.0");
    speed.setValue(1);
    EXPECT_EQ(f.lbl_effect(3).caption(), "x0.1");
    EXPECT_FLOAT_EQ(f.player().speed(), 0.1f);
    EXPECT_FALSE(speed.setValue(0));
    EXPECT_FALSE(speed.setValue(31));
    EXPECT_TRUE(midi.sent.empty());
    // The larger value of the sound bars is at the top, of the speed bar at the bottom.
    EXPECT_GT(f.vbar_Effect(1).min(), f.vbar_Effect(1).max());
    EXPECT_LT(speed.min(), speed.max());
}

TEST_F(FormTest, EffectCaptionClickHidesAndShowsItsBar) {
    Form1& f = started();
    f.vbar_Effect(2).setValue(30);
    f.lbl_effect(2).onClick();
    EXPECT_FALSE(f.vbar_Effect(2).visible());
    EXPECT_TRUE(f.lbl_effect(2).visible());
    f.lbl_effect(2).onClick();
    EXPECT_TRUE(f.vbar_Effect(2).visible());
    EXPECT_EQ(f.vbar_Effect(2).value(), 30);
}

TEST_F(FormTest, PanelControlsGiveTheFocusBack) {
    Form1& f = started();
    f.setFocus(f.cmb_volume(0));
    f.cmb_volume(0).setListIndex(3);
    EXPECT_EQ(f.focused(), &f.Picture1);
    f.chk_CircleTouch.setValue(1);
    f.setFocus(f.cmb_inst(0));
    f.cmb_inst(0).setListIndex(3);
    EXPECT_EQ(f.focused(), &f.pic_CircleTouch);
}

}  // namespace
}  // namespace muto::test
