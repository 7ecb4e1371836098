// Our decoder and compositor against giflib: files written by giflib's encoder and by
// ImageMagick, read by both; the composed frames against an independent composition.
#include <gtest/gtest.h>

#include <cmath>

#include "giflib_support.h"
#include "test_util.h"

namespace muto::anigif {
namespace {

using test::GiflibFileSpec;
using test::GiflibFrame;
using test::GiflibFrameSpec;

uint32_t rnd(uint32_t& s) {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
}

std::vector<uint32_t> randomPalette(int n, uint32_t seed) {
    std::vector<uint32_t> p(static_cast<std::size_t>(n));
    for (auto& c : p)
        c = rnd(seed) & 0xFFFFFF;
    return p;
}

GiflibFrameSpec frameOf(int left, int top, int w, int h, int colours, uint32_t seed, bool smooth) {
    GiflibFrameSpec f;
    f.left = left;
    f.top = top;
    f.width = w;
    f.height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int v;
            if (smooth) {
                const double t =
                    std::sin(x * 0.07 + seed) * std::cos(y * 0.05) + 0.3 * std::sin((x + y) * 0.21);
                v = static_cast<int>((t + 1.3) / 2.6 * (colours - 1));
            } else {
                v = static_cast<int>(rnd(seed) % static_cast<uint32_t>(colours));
            }
            f.pixels.push_back(static_cast<uint8_t>(std::clamp(v, 0, colours - 1)));
        }
    return f;
}

std::vector<GiflibFileSpec> generatedFiles() {
    std::vector<GiflibFileSpec> files;
    {  // noise, one frame, 256 colours
        GiflibFileSpec s{128, 96, randomPalette(256, 1), -1, {}};
        s.frames.push_back(frameOf(0, 0, 128, 96, 256, 7, false));
        files.push_back(s);
    }
    {  // photo-like, interlaced
        GiflibFileSpec s{160, 117, randomPalette(256, 2), 0, {}};
        auto f = frameOf(0, 0, 160, 117, 200, 3, true);
        f.interlaced = true;
        s.frames.push_back(f);
        files.push_back(s);
    }
    {  // local tables of several sizes, offsets
        GiflibFileSpec s{90, 70, randomPalette(16, 3), 3, {}};
        s.frames.push_back(frameOf(0, 0, 90, 70, 16, 1, true));
        for (int i = 0; i < 4; ++i) {
            auto f = frameOf(5 * i, 3 * i, 40 + 7 * i, 30 + 5 * i, 2 << (2 * i),
                             10u + static_cast<uint32_t>(i), i % 2 == 0);
            f.colours = randomPalette(2 << (2 * i), 20u + static_cast<uint32_t>(i));
            f.disposal = 1;
            f.interlaced = i == 2;
            s.frames.push_back(f);
        }
        files.push_back(s);
    }
    {  // transparency with every disposal, frame 1 smaller than the canvas
        GiflibFileSpec s{64, 48, randomPalette(32, 4), 0, {}};
        for (int i = 0; i < 10; ++i) {
            auto f = frameOf((i * 7) % 30, (i * 5) % 20, 34, 28, 32, 30u + static_cast<uint32_t>(i),
                             i % 3 == 0);
            f.disposal = i % 4;
            f.transparentIndex = (i % 3 == 2) ? -1 : static_cast<int>(i % 5);
            f.delay = 5;
            s.frames.push_back(f);
        }
        files.push_back(s);
    }
    {  // every frame disposal 2, transparent (no composite)
        GiflibFileSpec s{40, 40, randomPalette(8, 5), 0, {}};
        for (int i = 0; i < 5; ++i) {
            auto f = frameOf(i * 3, i * 2, 25, 25, 8, 40u + static_cast<uint32_t>(i), false);
            f.disposal = 2;
            f.transparentIndex = i % 2 ? 3 : -1;
            s.frames.push_back(f);
        }
        files.push_back(s);
    }
    {  // many frames, opaque, disposal 1 over a covering frame 1
        GiflibFileSpec s{50, 30, randomPalette(64, 6), 0, {}};
        s.frames.push_back(frameOf(0, 0, 50, 30, 64, 50, true));
        s.frames.back().disposal = 1;
        for (int i = 1; i < 120; ++i) {
            auto f = frameOf(i % 40, i % 22, 10, 8, 64, 60u + static_cast<uint32_t>(i), i % 2 == 0);
            f.disposal = 1;
            f.transparentIndex = i % 7 == 0 ? 1 : -1;
            s.frames.push_back(f);
        }
        files.push_back(s);
    }
    return files;
}

// Standard composition over a black canvas, with the control's disposal folding.
std::vector<std::vector<uint32_t>> referenceCompose(const std::vector<GiflibFrame>& frames, int W,
                                                    int H) {
    std::vector<uint32_t> canvas(static_cast<std::size_t>(W) * H, 0);
    std::vector<std::vector<uint32_t>> out;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const GiflibFrame& f = frames[k];
        int disposal = f.disposal & 3;
        if (k == 0 && disposal == 3) disposal = 0;
        if (k == 0) std::fill(canvas.begin(), canvas.end(), 0);
        const auto saved = canvas;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                const int idx = f.indices[static_cast<std::size_t>(y) * f.width + x];
                if (idx == f.transparentIndex) continue;
                canvas[static_cast<std::size_t>(f.top + y) * W + f.left + x] =
                    f.colours[static_cast<std::size_t>(idx)];
            }
        out.push_back(canvas);
        if (disposal == 2) {
            for (int y = 0; y < f.height; ++y)
                for (int x = 0; x < f.width; ++x)
                    canvas[static_cast<std::size_t>(f.top + y) * W + f.left + x] = 0;
        } else if (disposal == 3) {
            canvas = saved;
        }
    }
    return out;
}

void checkAgainstGiflib(const std::vector<uint8_t>& bytes, const std::string& what) {
    const auto ref = test::giflibRead(bytes);
    ASSERT_FALSE(ref.empty()) << what;
    AniGif gif;
    ASSERT_EQ(test::loadRun(gif, bytes), static_cast<int32_t>(ref.size())) << what;
    int W = 0;
    int H = 0;
    for (std::size_t k = 0; k < ref.size(); ++k) {
        EXPECT_EQ(gif.frameIndices(static_cast<int>(k) + 1), ref[k].indices)
            << what << " frame " << k + 1;
        W = std::max(W, ref[k].left + ref[k].width);
        H = std::max(H, ref[k].top + ref[k].height);
    }
    ASSERT_EQ(gif.actualWidth(), W);
    ASSERT_EQ(gif.actualHeight(), H);
    const auto ours = test::composeAll(gif);
    const auto theirs = referenceCompose(ref, W, H);
    for (std::size_t k = 0; k < ref.size(); ++k) {
        std::size_t bad = 0;
        for (std::size_t i = 0; i < theirs[k].size(); ++i)
            bad += ours[k][i] != theirs[k][i];
        EXPECT_EQ(bad, 0u) << what << " composed frame " << k + 1;
    }
}

TEST(GifDifferential, GiflibWrittenFiles) {
    int n = 0;
    for (const auto& recipe : generatedFiles()) {
        const auto bytes = test::giflibWrite(recipe);
        ASSERT_GT(bytes.size(), 13u);
        checkAgainstGiflib(bytes, "generated file " + std::to_string(++n));
    }
}

TEST(GifDifferential, ImageMagickWrittenFiles) {
    for (const char* name :
         {"im-plasma-interlaced.gif", "im-local-tables.gif", "im-dispose-transparent.gif"})
        checkAgainstGiflib(test::readTestFile(name), name);
}

TEST(GifDifferential, OurExportReadsBackThroughGiflib) {
    const auto bytes = test::giflibWrite(generatedFiles()[3]);
    AniGif gif;
    ASSERT_GT(test::loadRun(gif, bytes), 0);
    for (int k = 1; k <= gif.frameCount(); ++k) {
        const auto exported = test::giflibRead(gif.encodeFrameAsGif(k));
        ASSERT_EQ(exported.size(), 1u);
        EXPECT_EQ(exported[0].indices, gif.frameIndices(k));
        EXPECT_EQ(exported[0].transparentIndex,
                  gif.frame(k).transparent ? gif.frame(k).transparentIndex : -1);
        const auto pal = gif.palettes().entries(gif.frame(k).paletteIndex);
        ASSERT_EQ(exported[0].colours.size(), 256u);
        EXPECT_TRUE(std::equal(pal.begin(), pal.end(), exported[0].colours.begin()));
    }
}

}  // namespace
}  // namespace muto::anigif
