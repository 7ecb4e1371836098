// The lean load: a frame that has the strip to itself, decoded straight into it, agrees with the
// general path on every size, cut and corruption.
#include <gtest/gtest.h>

#include <random>

#include "anigif/gif_decode.h"
#include "test_util.h"

namespace muto::anigif {
namespace {

// What the general path (a whole-image buffer copied row by row) makes of a one-frame GIF.
std::vector<uint8_t> reference(std::span<const uint8_t> gif, int w, int h) {
    std::vector<uint8_t> out(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    DecodeScratch scratch;
    decodeGifStream(gif, out.data(), w, w, h, scratch);
    return out;
}

TEST(LeanLoad, StraightIntoTheStripMatchesTheGeneralPath) {
    std::mt19937 rng(7);
    int compared = 0;
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + static_cast<int>(rng() % 37);  // most widths are not a multiple of 4
        const int h = 1 + static_cast<int>(rng() % 19);
        const int colours = 2 + static_cast<int>(rng() % 255);
        std::vector<uint32_t> palette(static_cast<std::size_t>(colours));
        for (auto& c : palette)
            c = rng() & 0xFFFFFF;
        std::vector<uint8_t> pixels(static_cast<std::size_t>(w * h));
        // Runs of one colour make long strings, noise makes short ones.
        const bool runs = round % 2 == 0;
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>(
                runs && i % 7 ? pixels[i - (i > 0)] : rng() % static_cast<unsigned>(colours));
        auto gif = encodeIndexedGif(w, h, pixels.data(), w, palette);
        ASSERT_FALSE(gif.empty());
        if (round % 3 == 1) {
            // Cut inside the image data, or flip a byte of it.
            gif.resize(kGifImageOffset + 12 + rng() % (gif.size() - kGifImageOffset - 12));
        } else if (round % 3 == 2 && gif.size() > kGifImageOffset + 14) {
            gif[kGifImageOffset + 12 + rng() % (gif.size() - kGifImageOffset - 14)] ^= 0x5A;
        }
        AniGif lean;
        if (test::loadRun(lean, gif) != 1) continue;
        ++compared;
        EXPECT_EQ(lean.frameIndices(1), reference(gif, w, h))
            << w << "x" << h << " round " << round;
        if (round % 3 == 0) {
            EXPECT_EQ(lean.frameIndices(1), pixels) << round;
        }
    }
    EXPECT_GT(compared, 250);
}

}  // namespace
}  // namespace muto::anigif
