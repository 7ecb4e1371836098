// The main window's animation check box and GIF button.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "anigif/anigif_control.h"
#include "form/gif_control.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

// An animated GIF of the test data: three frames.
const std::string kGif = std::string(MUTO_GIF_TEST_DATA) + "/disposal3-middle.gif";

class GifControlTest : public FormTest {
protected:
    anigif::AniGifControl& gif() { return form->gifControl().ucAniGIF1(); }
};

TEST_F(GifControlTest, CheckingWithoutAGifAndCancellingTheDialogEndsUnchecked) {
    Form1& f = started();
    f.chk_CircleTouch.setValue(1);
    dialogs.files = {std::nullopt};
    f.chk_AniGif.setValue(1);
    EXPECT_EQ(f.chk_AniGif.value(), 0);
    EXPECT_FALSE(f.ucAniGIF1.visible());
    EXPECT_EQ(f.chk_CircleTouch.value(), 0);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filter, "Animation Gif|*.gif");
    EXPECT_EQ(dialogs.requests[0].initDir, "/opt/muto/AnimationGif");
    EXPECT_EQ(dialogs.requests[0].fileName, "");
    EXPECT_EQ(f.focused(), &f.Picture1);
}

TEST_F(GifControlTest, CheckingAndChoosingAGifShowsItAnimated) {
    Form1& f = started();
    dialogs.files = {kGif};
    f.chk_AniGif.setValue(1);
    EXPECT_EQ(f.chk_AniGif.value(), 1);
    EXPECT_EQ(f.cmd_AniGif.tag(), kGif);
    EXPECT_TRUE(f.ucAniGIF1.visible());
    EXPECT_EQ(gif().frameCount(), 3);
    time.advanceMs(20);  // the deferred decoding, then the animation by itself
    EXPECT_EQ(gif().action(), 1);
    // Its box took the picture's proportions within the place it had.
    EXPECT_LE(f.ucAniGIF1.geometry().width, 64);

    f.chk_AniGif.setValue(0);
    EXPECT_EQ(gif().action(), 0);
    EXPECT_FALSE(f.ucAniGIF1.visible());
    f.chk_AniGif.setValue(1);  // the tag holds the path and the GIF is still loaded
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(gif().action(), 1);
    EXPECT_TRUE(f.ucAniGIF1.visible());
}

TEST_F(GifControlTest, ChoosingAGifWhileUncheckedLoadsItWithoutStarting) {
    Form1& f = started();
    dialogs.files = {kGif};
    f.cmd_AniGif.click();
    EXPECT_EQ(f.cmd_AniGif.tag(), kGif);
    EXPECT_EQ(gif().delayAnimation(), 2);
    EXPECT_FALSE(f.ucAniGIF1.visible());
    time.advanceMs(500);
    EXPECT_EQ(gif().action(), 0);
    EXPECT_EQ(gif().currentFrame(), 1);
    f.chk_AniGif.setValue(1);  // loaded already: no second load, no dialog
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(gif().action(), 1);

    dialogs.files = {std::nullopt};  // cancelling the button's dialog changes nothing
    f.cmd_AniGif.click();
    EXPECT_EQ(f.cmd_AniGif.tag(), kGif);
    EXPECT_EQ(gif().action(), 1);
}

}  // namespace
}  // namespace muto::test
