// The main window's animation check box and GIF button.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "anigif/anigif_control.h"
#include "anigif/gif_encoder.h"
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

// A one-colour GIF of w x h written to `path`, which is returned.
std::string writeGif(const std::string& path, int w, int h) {
    const std::vector<uint8_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    const uint32_t palette[2] = {0xFF0000, 0x0000FF};
    const auto bytes = anigif::encodeIndexedGif(w, h, pixels.data(), w, palette);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST_F(GifControlTest, EveryLoadFitsTheDesignedBoxAndAFileThatCannotBeShownSaysWhy) {
    Form1& f = started();
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "gif_hostile";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto at = [&](const char* name) { return (dir / name).string(); };

    // A wide GIF, then a 4:3 one: each fits the 64 x 64 box, not what the last fit left of it.
    dialogs.files = {writeGif(at("wide.gif"), 200, 10)};
    f.chk_AniGif.setValue(1);
    EXPECT_EQ(f.ucAniGIF1.geometry().width, 64);
    EXPECT_EQ(f.ucAniGIF1.geometry().height, 3);
    const std::string kept = writeGif(at("four3.gif"), 120, 90);
    dialogs.files = {kept};
    f.cmd_AniGif.click();
    EXPECT_EQ(f.ucAniGIF1.geometry().width, 64);
    EXPECT_EQ(f.ucAniGIF1.geometry().height, 48);

    const auto sparse = [&](const char* name, off_t size) {
        const std::string p = at(name);
        std::ofstream(p).close();
        EXPECT_EQ(::truncate(p.c_str(), size), 0);
        return p;
    };
    ::mkfifo(at("pipe.gif").c_str(), 0600);
    std::filesystem::create_directory(at("folder.gif"));
    std::filesystem::create_symlink(at("none.gif"), at("dangling.gif"));
    std::ofstream(at("text.gif")) << "no picture";
    const std::string unreadable = "파일을 읽을 수 없습니다";
    const std::string tooLarge = "파일이 너무 큽니다 (64 MiB";
    const struct {
        std::string path, reason;
    } cases[] = {
        {sparse("huge.gif", off_t{1} << 40), tooLarge},
        {sparse("over-cap.gif", (off_t{64} << 20) + 1), tooLarge},
        {at("pipe.gif"), unreadable},
        {"/dev/zero", unreadable},
        {at("folder.gif"), unreadable},
        {at("dangling.gif"), unreadable},
        {at("text.gif"), "애니메이션 GIF 파일이 아니거나"},
    };
    for (const auto& c : cases) {
        dialogs.boxes.clear();
        dialogs.files = {c.path};
        f.cmd_AniGif.click();
        ASSERT_EQ(dialogs.boxes.size(), 1u) << c.path;
        EXPECT_EQ(dialogs.boxes[0].title, "열기 실패");
        EXPECT_EQ(dialogs.boxes[0].text.rfind(c.path + "\n\n" + c.reason, 0), 0u)
            << dialogs.boxes[0].text;
        // The previous animation stays, in its box.
        EXPECT_EQ(f.cmd_AniGif.tag(), kept);
        EXPECT_EQ(gif().actualWidth(), 120);
        EXPECT_TRUE(f.ucAniGIF1.visible());
        EXPECT_EQ(f.ucAniGIF1.geometry().height, 48);
    }
}

TEST_F(GifControlTest, AGifThatCannotBeShownAtStartIsSkippedWithoutAWord) {
    // As config.ini applies it: the path first, then the check box.
    Form1& f = started();
    const std::string fifo = ::testing::TempDir() + "/gif_control_start.gif";
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    f.cmd_AniGif.setTag(fifo);
    f.chk_AniGif.setValue(1);
    EXPECT_EQ(f.chk_AniGif.value(), 0);
    EXPECT_FALSE(f.ucAniGIF1.visible());
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(dialogs.requests.empty());
}

}  // namespace
}  // namespace muto::test
