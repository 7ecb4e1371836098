// Composition, stretching, mirroring and palettes of the control.
#include <gtest/gtest.h>

#include "test_util.h"

namespace muto::anigif {
namespace {

using test::blackTarget;
using test::loadRun;
using test::readTestFile;

constexpr uint32_t R = 0xFF0000;
constexpr uint32_t G = 0x00FF00;
constexpr uint32_t B = 0x0000FF;
constexpr uint32_t K = 0x000000;
constexpr uint32_t W = 0xFFFFFF;

std::vector<uint32_t> paint(AniGif& gif, int k, uint32_t background = K) {
    auto t = blackTarget(gif.clientWidth(), gif.clientHeight());
    raster::fillRect(*t, {0, 0, t->width(), t->height()}, background);
    gif.paintFrame(k, *t);
    std::vector<uint32_t> px;
    for (int y = 0; y < t->height(); ++y)
        for (int x = 0; x < t->width(); ++x)
            px.push_back(t->pixel(x, y));
    return px;
}

TEST(GifRender, AllDisposal2DrawsEachFrameAloneOverTheBackground) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("disposal2-both.gif")), 2);
    EXPECT_EQ(gif.composite(), nullptr);
    paint(gif, 1);
    EXPECT_EQ(paint(gif, 2, W),
              (std::vector<uint32_t>{W, W, W, W, W, G, G, W, W, G, G, W, W, W, W, W}));
}

TEST(GifRender, OpaqueCoveringFrameOneNeedsNoMask) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("disposal1-cover.gif")), 2);
    ASSERT_NE(gif.composite(), nullptr);
    EXPECT_EQ(gif.compositeMask(), nullptr);
    paint(gif, 1);
    EXPECT_EQ(paint(gif, 2, W),
              (std::vector<uint32_t>{R, R, R, R, R, G, G, R, R, G, G, R, R, R, R, R}));
}

TEST(GifRender, TransparentFrameOneShowsTheBackground) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("transparent-first.gif")), 2);
    ASSERT_NE(gif.compositeMask(), nullptr);
    EXPECT_EQ(paint(gif, 1, W),
              (std::vector<uint32_t>{W, R, W, R, W, R, W, R, W, R, W, R, W, R, W, R}));
    EXPECT_EQ(paint(gif, 2, W),
              (std::vector<uint32_t>{B, B, W, R, B, B, W, R, W, R, W, R, W, R, W, R}));
    // The next pass starts from an empty canvas.
    EXPECT_EQ(paint(gif, 1, W)[0], W);
}

TEST(GifRender, UncoveredCanvasStaysBlackWithoutMask) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("small-first.gif")), 2);
    EXPECT_EQ(gif.compositeMask(), nullptr);
    paint(gif, 1, W);
    EXPECT_EQ(paint(gif, 2, W),
              (std::vector<uint32_t>{R, R, K, K, R, R, K, K, K, K, G, G, K, K, G, G}));
}

TEST(GifRender, Disposal3RestoresWhatWasThere) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("disposal3-middle.gif")), 3);
    paint(gif, 1);
    EXPECT_EQ(paint(gif, 2),
              (std::vector<uint32_t>{G, G, R, R, G, G, R, R, G, G, R, R, G, G, R, R}));
    EXPECT_EQ(paint(gif, 3),
              (std::vector<uint32_t>{R, R, B, B, R, R, B, B, R, R, B, B, R, R, B, B}));
}

TEST(GifRender, OpaqueFrameAfterTransparentOneOnTheSamePaletteKeepsItsColours) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("transparent-then-opaque.gif")), 2);
    paint(gif, 1);
    EXPECT_EQ(paint(gif, 2), std::vector<uint32_t>(16, R));
}

TEST(GifRender, RenderSizeForEveryStretchMode) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, encodeIndexedGif(200, 100, test::solid(200, 100, 1).data(), 200,
                                            std::vector<uint32_t>{K, R})),
              1);
    struct Case {
        Stretch s;
        int w, h, ew, eh;
        float fx, fy;
    } cases[] = {
        {Stretch::Fit, 100, 100, 100, 50, 0.5f, 0.5f},
        {Stretch::ShrinkFit, 400, 400, 200, 100, 1, 1},
        {Stretch::ShrinkFit, 100, 400, 100, 50, 0.5f, 0.5f},
        {Stretch::Fill, 400, 400, 400, 400, 2, 4},
        {Stretch::Clip, 150, 150, 150, 100, 1, 1},
        {Stretch::Resize, 7, 7, 200, 100, 1, 1},
        {Stretch::Fit, 400, 400, 400, 200, 2, 2},
    };
    for (const auto& c : cases) {
        gif.setStretch(c.s);
        int w = c.w;
        int h = c.h;
        float fx = 0;
        float fy = 0;
        gif.computeRenderSize(w, h, fx, fy);
        EXPECT_EQ(w, c.ew) << static_cast<int>(c.s);
        EXPECT_EQ(h, c.eh) << static_cast<int>(c.s);
        EXPECT_FLOAT_EQ(fx, c.fx);
        EXPECT_FLOAT_EQ(fy, c.fy);
    }
}

TEST(GifRender, RenderSizeRoundsHalvesToEven) {
    for (int height : {5, 7}) {
        AniGif gif;
        ASSERT_EQ(loadRun(gif, encodeIndexedGif(2, height, test::solid(2, height, 0).data(), 2,
                                                std::vector<uint32_t>{K})),
                  1);
        gif.setStretch(Stretch::Fit);
        int w = 1;
        int h = 100;
        float fx = 0;
        float fy = 0;
        gif.computeRenderSize(w, h, fx, fy);
        EXPECT_EQ(w, 1);
        EXPECT_EQ(h, height == 5 ? 2 : 4);  // 2.5 -> 2, 3.5 -> 4
    }
}

TEST(GifRender, StretchedPaintScalesFrameAndOffsets) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("canvas-from-frames.gif")), 1);  // 50 x 30 at (10, 20)
    gif.setStretch(Stretch::Fill);
    int w = 120;
    int h = 100;
    gif.resize(w, h);  // factors 2, 2
    gif.setOffset(1, 1);
    const auto px = paint(gif, 1, W);
    auto at = [&](int x, int y) {
        return px[static_cast<std::size_t>(y) * 120 + static_cast<std::size_t>(x)];
    };
    EXPECT_EQ(at(21, 41), W);  // (1 + 10) * 2 = 22 is the first drawn column
    EXPECT_NE(at(22, 42), W);
    EXPECT_NE(at(119, 99), W);
}

TEST(GifRender, MirroringMovesAndFlipsFrames) {
    std::vector<uint8_t> ramp;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 20; ++x)
            ramp.push_back(static_cast<uint8_t>(x + 20 * (y % 2)));
    std::vector<uint32_t> pal(64);
    for (uint32_t i = 0; i < 64; ++i)
        pal[i] = i * 0x030303u;
    const auto bytes = test::makeGif(
        100, 10, pal,
        {{0, 0, 100, 10, test::solid(100, 10, 50), 1, -1}, {10, 0, 20, 5, ramp, 1, -1}});
    AniGif gif;
    ASSERT_EQ(loadRun(gif, bytes), 2);
    gif.setMirrored(1);
    EXPECT_EQ(gif.frame(2).left, 70);
    auto px = gif.frameIndices(2);
    EXPECT_EQ(px[0], 19);
    EXPECT_EQ(px[19], 0);
    EXPECT_EQ(px[20], 39);
    gif.setMirrored(3);  // 1 xor 3: only vertically now
    EXPECT_EQ(gif.frame(2).left, 70);
    EXPECT_EQ(gif.frame(2).top, 5);
    px = gif.frameIndices(2);
    EXPECT_EQ(px[0], 19);   // bottom row (y = 4, even) moved to the top
    EXPECT_EQ(px[20], 39);  // row 3 (odd) now second
    // The painted frame and the export follow the strip.
    const auto exported = gif.encodeFrameAsGif(2);
    AniGif back;
    ASSERT_EQ(loadRun(back, exported), 1);
    EXPECT_EQ(back.frameIndices(1), px);
}

TEST(GifRender, MirrorStyleIsAppliedToDeferredFrames) {
    std::vector<uint32_t> pal = {K, R, G, B};
    const std::vector<uint8_t> lr = {1, 2, 1, 2};  // 2 x 2, left column 1, right column 2
    const auto bytes = test::makeGif(2, 2, pal, {{0, 0, 2, 2, lr, 1, -1}, {0, 0, 2, 2, lr, 1, -1}});
    AniGif gif;
    gif.setRunMode(true);
    gif.setDelayAnimation(1);
    gif.setMirrored(1);
    gif.setGifBytes(bytes);
    ASSERT_EQ(gif.loadGifData(), 2);
    EXPECT_EQ(gif.frameIndices(1), (std::vector<uint8_t>{2, 1, 2, 1}));
    gif.setMirrored(0);  // while frames 2..N wait
    ASSERT_TRUE(gif.decodeRemaining());
    EXPECT_EQ(gif.frameIndices(1), lr);
    EXPECT_EQ(gif.frameIndices(2), lr);
    gif.setMirrored(1);
    EXPECT_EQ(gif.frameIndices(1), (std::vector<uint8_t>{2, 1, 2, 1}));
    EXPECT_EQ(gif.frameIndices(2), (std::vector<uint8_t>{2, 1, 2, 1}));
}

TEST(GifRender, GetAndSetPalette) {
    std::vector<uint32_t> pal(16);
    for (uint32_t i = 0; i < 16; ++i)
        pal[i] = i * 0x101010u;
    const auto bytes = test::makeGif(
        2, 2, pal,
        {{0, 0, 2, 2, test::solid(2, 2, 3), 1, -1}, {0, 0, 2, 2, test::solid(2, 2, 4), 1, -1}});
    AniGif gif;
    std::vector<uint32_t> got;
    EXPECT_FALSE(gif.getPalette(0, got));  // nothing loaded
    ASSERT_EQ(loadRun(gif, bytes), 2);
    ASSERT_TRUE(gif.getPalette(0, got));
    EXPECT_EQ(got, pal);
    EXPECT_FALSE(gif.getPalette(2, got));  // frame 2 uses the global table
    EXPECT_FALSE(gif.getPalette(3, got));
    EXPECT_FALSE(gif.getPalette(-1, got));

    EXPECT_FALSE(gif.setPalette(0, std::vector<uint32_t>(8, R)));
    ASSERT_TRUE(gif.getPalette(0, got));
    EXPECT_EQ(got, pal);

    // A new colour for the palette already loaded shows at the next paint.
    EXPECT_EQ(paint(gif, 1)[0], 0x303030u);
    auto changed = pal;
    changed[3] = G;
    ASSERT_TRUE(gif.setPalette(0, changed));
    EXPECT_EQ(paint(gif, 1)[0], G);
    EXPECT_FALSE(gif.setPalette(1, changed));  // no local table

    AniGif local;
    ASSERT_EQ(loadRun(local, readTestFile("local-16-export.gif")), 1);
    ASSERT_TRUE(local.getPalette(1, got));
    EXPECT_EQ(got.size(), 16u);
    EXPECT_TRUE(local.getPalette(0, got));
    EXPECT_EQ(got.size(), 4u);
}

TEST(GifRender, NothingLoadedDrawsNothing) {
    AniGif gif;
    auto t = blackTarget(4, 4);
    EXPECT_FALSE(gif.paintFrame(0, *t));
    EXPECT_FALSE(gif.paintFrame(1, *t));
    EXPECT_TRUE(gif.encodeFrameAsGif(1).empty());
}

}  // namespace
}  // namespace muto::anigif
