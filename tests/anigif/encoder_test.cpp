// The one-frame GIF export: exact layout, the LZW code stream, round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "anigif/gif_encoder.h"
#include "test_util.h"

namespace muto::anigif {
namespace {

// Reads the LZW codes of an encoded file back with the decoder's code-width rule.
std::vector<int> codeStream(const std::vector<uint8_t>& gif, std::size_t dataStart) {
    std::vector<uint8_t> data;
    std::size_t p = dataStart;
    while (p < gif.size() && gif[p] != 0) {
        data.insert(data.end(), gif.begin() + static_cast<std::ptrdiff_t>(p) + 1,
                    gif.begin() + static_cast<std::ptrdiff_t>(p) + 1 + gif[p]);
        p += gif[p] + 1u;
    }
    std::vector<int> codes;
    int width = 9;
    int next = 258;
    bool first = true;
    std::size_t bit = 0;
    while (bit + static_cast<std::size_t>(width) <= data.size() * 8) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
        codes.push_back(code);
        if (code == 257) break;
        if (code == 256) {
            width = 9;
            next = 258;
            first = true;
            continue;
        }
        if (!first && next < 4096 && ++next == (1 << width) && width < 12) ++width;
        first = false;
    }
    return codes;
}

TEST(GifEncoder, OnePixelFrameIsExact) {
    const uint8_t px = 0;
    const std::vector<uint32_t> pal = {0x123456, 0xABCDEF};
    const auto gif = encodeIndexedGif(1, 1, &px, 1, pal);
    std::vector<uint8_t> expected = {'G',  'I', 'F', '8',  '9',  'a',  1,    0,    1,   0,
                                     0x87, 0,   0,   0x12, 0x34, 0x56, 0xAB, 0xCD, 0xEF};
    expected.resize(781, 0);
    const uint8_t tail[] = {
        0x2C, 0,   0, 0, 0,    1,    0,    1,
        0,    0,   8, 4, 0x00, 0x01, 0x04, 0x04,  // clear 256, pixel 0, end 257 at 9 bits
        0,    0x3B};
    expected.insert(expected.end(), std::begin(tail), std::end(tail));
    EXPECT_EQ(gif, expected);
    EXPECT_EQ(codeStream(gif, 792), (std::vector<int>{256, 0, 257}));
}

TEST(GifEncoder, TransparencyAddsTheControlExtension) {
    const uint8_t px[4] = {5, 5, 1, 5};
    const auto gif = encodeIndexedGif(2, 2, px, 2, std::vector<uint32_t>(16, 0x808080), 5);
    EXPECT_EQ(std::vector<uint8_t>(gif.begin() + 781, gif.begin() + 789),
              (std::vector<uint8_t>{0x21, 0xF9, 0x04, 0x01, 0, 0, 5, 0}));
    EXPECT_EQ(gif[789], 0x2C);
    const auto opaque = encodeIndexedGif(2, 2, px, 2, std::vector<uint32_t>(16, 0x808080));
    EXPECT_EQ(opaque[kGifImageOffset], 0x2C);
    EXPECT_EQ(opaque.size() + 8, gif.size());
}

TEST(GifEncoder, EqualPixelsNeverFillTheTable) {
    const auto px = test::solid(64, 64, 7);
    const auto gif = encodeIndexedGif(64, 64, px.data(), 64, std::vector<uint32_t>(8, 0));
    const auto codes = codeStream(gif, 792);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 256), 1);
    EXPECT_EQ(codes.back(), 257);
}

TEST(GifEncoder, NoiseFillsTheTableAndClearsInTheMiddle) {
    std::vector<uint8_t> px(256 * 256);
    uint32_t s = 99;
    for (auto& p : px) {
        s = s * 1103515245u + 12345u;
        p = static_cast<uint8_t>(s >> 23);
    }
    std::vector<uint32_t> pal(256);
    for (uint32_t i = 0; i < 256; ++i)
        pal[i] = i * 0x010203u & 0xFFFFFF;
    const auto gif = encodeIndexedGif(256, 256, px.data(), 256, pal);
    const auto codes = codeStream(gif, 792);
    ASSERT_GT(codes.size(), 4000u);
    // The first reset comes after 4096 - 258 new strings.
    const auto clear = std::find(codes.begin() + 1, codes.end(), 256);
    ASSERT_NE(clear, codes.end());
    EXPECT_EQ(clear - codes.begin(), 1 + (4096 - 258) + 1);
    EXPECT_LT(*(clear + 1), 256);  // read at 9 bits again: a single pixel
    EXPECT_EQ(codes.back(), 257);
    // Sub-blocks hold at most 254 bytes.
    EXPECT_EQ(gif[792], 254);
    AniGif gifModel;
    ASSERT_EQ(test::loadRun(gifModel, gif), 1);
    EXPECT_EQ(gifModel.frameIndices(1), px);
}

TEST(GifEncoder, ExportKeepsTheFramesTableAndStripOrder) {
    AniGif gif;
    ASSERT_EQ(test::loadRun(gif, test::readTestFile("local-16-export.gif")), 1);
    const auto out = gif.encodeFrameAsGif(1);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[10], 0x87);
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = static_cast<uint32_t>(i) * 0x111111u;
        EXPECT_EQ(out[13 + 3 * static_cast<std::size_t>(i)], static_cast<uint8_t>(c >> 16));
    }
    for (std::size_t i = 13 + 48; i < 781; ++i)
        EXPECT_EQ(out[i], 0) << i;
    AniGif back;
    ASSERT_EQ(test::loadRun(back, out), 1);
    EXPECT_EQ(back.frameIndices(1), gif.frameIndices(1));
}

TEST(GifEncoder, GoldenNoiseExport) {
    // Guards the exact code stream (hash probing order, clear point, sub-block split) against a
    // checked-in file. MUTO_UPDATE_GOLDEN=1 rewrites that file instead.
    std::vector<uint8_t> px(97 * 61);
    uint32_t s = 4242;
    for (auto& p : px) {
        s = s * 1664525u + 1013904223u;
        p = static_cast<uint8_t>((s >> 24) % 37);
    }
    const std::vector<uint32_t> pal(37, 0x102030);
    const auto gif = encodeIndexedGif(97, 61, px.data(), 97, pal, 3);
    const std::string golden = std::string(MUTO_GIF_TEST_DATA) + "/export-noise-golden.gif";
    if (std::getenv("MUTO_UPDATE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary)
            .write(reinterpret_cast<const char*>(gif.data()),
                   static_cast<std::streamsize>(gif.size()));
    }
    const std::string written = ::testing::TempDir() + "export-noise.gif";
    std::ofstream(written, std::ios::binary)
        .write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));
    std::ifstream in(written, std::ios::binary);
    const std::vector<uint8_t> onDisk{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
    std::remove(written.c_str());
    const auto expected = test::readTestFile("export-noise-golden.gif");
    ASSERT_EQ(onDisk.size(), expected.size());
    EXPECT_TRUE(onDisk == expected)
        << "first difference at byte "
        << std::mismatch(onDisk.begin(), onDisk.end(), expected.begin()).first - onDisk.begin();
    // The golden file itself reads back as the frame it was made from.
    AniGif back;
    ASSERT_EQ(test::loadRun(back, expected), 1);
    EXPECT_EQ(back.frameIndices(1), px);
    EXPECT_EQ(back.frame(1).transparent, 1);
    EXPECT_EQ(back.frame(1).transparentIndex, 3);
    std::vector<uint32_t> table;
    ASSERT_TRUE(back.getPalette(0, table));
    ASSERT_EQ(table.size(), 256u);
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i], i < pal.size() ? pal[i] : 0u) << i;
}

TEST(GifEncoder, RefusesEmptyAndOversizedFrames) {
    const uint8_t px = 0;
    EXPECT_TRUE(encodeIndexedGif(0, 1, &px, 1, {}).empty());
    EXPECT_TRUE(encodeIndexedGif(1, 70000, &px, 1, {}).empty());
    EXPECT_TRUE(encodeIndexedGif(1, 1, nullptr, 1, {}).empty());
}

}  // namespace
}  // namespace muto::anigif
