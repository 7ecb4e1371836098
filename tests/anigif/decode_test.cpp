// Frame decoding: the re-wrapped one-frame streams, the LZW decoder and the strip slots.
#include <gtest/gtest.h>

#include "anigif/gif_decode.h"
#include "anigif/gif_encoder.h"
#include "test_util.h"

namespace muto::anigif {
namespace {

using test::loadRun;
using test::readTestFile;

std::vector<uint8_t> pattern(int w, int h, int n) {
    std::vector<uint8_t> v;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            v.push_back(static_cast<uint8_t>((x + 2 * y) % n));
    return v;
}

TEST(GifDecode, HandMadeFramesGiveTheirIndices) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("gif87a-plain.gif")), 1);
    EXPECT_EQ(gif.frameIndices(1), pattern(3, 2, 4));

    ASSERT_EQ(loadRun(gif, readTestFile("interlaced.gif")), 1);
    std::vector<uint8_t> expected;
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 3; ++x)
            expected.push_back(static_cast<uint8_t>((y * 3 + x) % 16));
    EXPECT_EQ(gif.frameIndices(1), expected);
}

TEST(GifDecode, SlotsSitSideBySideInTheStrip) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("im-local-tables.gif")), 3);
    EXPECT_EQ(gif.frame(1).position, 0);
    EXPECT_EQ(gif.frame(2).position, 40);
    EXPECT_EQ(gif.frame(3).position, 65);
    EXPECT_EQ(gif.strip()->width(), 115);
    EXPECT_EQ(gif.strip()->height(), 35);
}

TEST(GifDecode, DamagedFramesDoNotFailTheLoad) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("bad-code-size.gif")), 2);
    EXPECT_EQ(gif.frameIndices(1), pattern(4, 4, 4));
    EXPECT_EQ(gif.frameIndices(2), std::vector<uint8_t>(16, 0));

    // The corrupt code comes after 6 pixels of index 3: those stay, the rest is index 0.
    ASSERT_EQ(loadRun(gif, readTestFile("corrupt-lzw.gif")), 2);
    std::vector<uint8_t> partial(16, 0);
    std::fill(partial.begin(), partial.begin() + 6, 3);
    EXPECT_EQ(gif.frameIndices(2), partial);
}

TEST(GifDecode, TruncatedFileKeepsItsCompleteFrames) {
    AniGif gif;
    ASSERT_EQ(loadRun(gif, readTestFile("truncated-frame3.gif")), 3);
    EXPECT_EQ(gif.frameIndices(1), pattern(8, 8, 4));
    EXPECT_EQ(gif.frameIndices(2), std::vector<uint8_t>(64, 2));
    // Frame 3 shows what its remaining data holds, then index 0.
    const auto f3 = gif.frameIndices(3);
    const auto full = pattern(8, 8, 3);
    std::size_t same = 0;
    while (same < f3.size() && f3[same] == full[same])
        ++same;
    EXPECT_GT(same, 0u);
    EXPECT_LT(same, f3.size());
    for (std::size_t i = same; i < f3.size(); ++i)
        EXPECT_EQ(f3[i], 0) << i;
}

TEST(GifDecode, FrameStreamIsAStandaloneGifWithTheIndexRamp) {
    const auto bytes = readTestFile("two-gce.gif");
    GifStructure s;
    ASSERT_EQ(scanGifStructure(bytes, s), 2);
    FrameStreamBuilder builder(bytes);
    const auto stream = builder.build(s.frames[0], s.spans[1]);
    std::vector<uint8_t> st(stream.begin(), stream.end());
    EXPECT_EQ(std::string(st.begin(), st.begin() + 6), "GIF89a");
    EXPECT_EQ(st[10] & 0x87, 0x87);
    EXPECT_EQ(st[13 + 3 * 200 + 2], 200);  // ramp entry 200 is blue 200
    EXPECT_EQ(st[13 + 3 * 200], 0);
    // The second (winning) extension, its transparency bit cleared.
    EXPECT_EQ(st[781], 0x21);
    EXPECT_EQ(st[782], 0xF9);
    EXPECT_EQ(st[784] & 1, 0);
    EXPECT_EQ(st[785], 7);
    EXPECT_EQ(st[789], 0x2C);
    EXPECT_EQ(st.back(), 0x3B);
    // Without an extension the image follows the head directly, at left/top 0.
    const auto bytes2 = readTestFile("canvas-from-frames.gif");
    ASSERT_EQ(scanGifStructure(bytes2, s), 1);
    FrameStreamBuilder b2(bytes2);
    const auto s2 = b2.build(s.frames[0], s.spans[1]);
    EXPECT_EQ(s2[781], 0x2C);
    EXPECT_EQ(s2[782] | s2[783] | s2[784] | s2[785], 0);
    EXPECT_EQ(s2[786], 50);
    EXPECT_EQ(s2[6], 50);  // the screen is the frame's size
    EXPECT_EQ(s2[8], 30);
}

TEST(GifDecode, DamagedExtensionOrOversizedImageIsNotDecoded) {
    // Extensions whose terminator is not zero are re-wrapped well formed.
    const auto bytes = readTestFile("fuzz-gce-unterminated.gif");
    GifStructure s;
    const int n = scanGifStructure(bytes, s);
    ASSERT_GE(n, 1);
    FrameStreamBuilder builder(bytes);
    int withExtension = 0;
    for (int k = 1; k <= n; ++k) {
        const auto& f = s.frames[static_cast<std::size_t>(k - 1)];
        const auto st = builder.build(f, s.spans[static_cast<std::size_t>(k)]);
        if (f.position == s.spans[static_cast<std::size_t>(k)].start) continue;
        ++withExtension;
        EXPECT_EQ(st[FrameStreamBuilder::kHeadSize + 2], 4) << k;
        EXPECT_EQ(st[FrameStreamBuilder::kHeadSize + 7], 0) << k;
        EXPECT_EQ(st[FrameStreamBuilder::kHeadSize + 8], 0x2C) << k;
    }
    EXPECT_GT(withExtension, 0);
    AniGif gif;
    EXPECT_EQ(loadRun(gif, bytes), n);
    // A stream image wider or taller than the destination is refused, the destination untouched.
    const auto px = pattern(4, 4, 3);
    const auto stream = encodeIndexedGif(4, 4, px.data(), 4, std::vector<uint32_t>(4, 0));
    DecodeScratch scratch;
    const struct {
        int w, h;
        bool ok;
    } cases[] = {{4, 4, true}, {5, 6, true}, {3, 4, false}, {4, 3, false}};
    for (const auto& c : cases) {
        std::vector<uint8_t> out(static_cast<std::size_t>(c.w * c.h), 9);
        EXPECT_EQ(decodeGifStream(stream, out.data(), c.w, c.w, c.h, scratch), c.ok) << c.w;
        EXPECT_EQ(out[0], c.ok ? px[0] : 9) << c.w;
    }
}

TEST(GifDecode, LocalTableIsReplacedByTheRamp) {
    const auto bytes = readTestFile("local-16-export.gif");
    GifStructure s;
    ASSERT_EQ(scanGifStructure(bytes, s), 1);
    FrameStreamBuilder builder(bytes);
    const auto st = builder.build(s.frames[0], s.spans[1]);
    const std::size_t table = 781 + 10;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(st[table + 3 * static_cast<std::size_t>(i)], 0);
        EXPECT_EQ(st[table + 3 * static_cast<std::size_t>(i) + 2], i);
    }
}

TEST(GifDecode, LzwEdgeCases) {
    std::vector<uint8_t> out(16 + kLzwSlack);
    const uint8_t codes[kLzwPadding + 2] = {0x4C, 0x01};  // clear, 1, end at 3 bits
    EXPECT_EQ(decodeLzw(codes, 2, 2, out.data(), 16), 1u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(decodeLzw(codes, 2, 0, out.data(), 16), 0u);
    EXPECT_EQ(decodeLzw(codes, 2, 9, out.data(), 16), 0u);
    EXPECT_EQ(decodeLzw(codes, 0, 2, out.data(), 16), 0u);
}

TEST(GifDecode, LongRunsAndTableResetsRoundTrip) {
    // 4096 equal pixels never fill the table; 300 x 300 noise fills it and resets several times.
    for (int kind = 0; kind < 3; ++kind) {
        const int w = kind == 0 ? 64 : 300;
        const int h = kind == 0 ? 64 : 300;
        std::vector<uint8_t> px(static_cast<std::size_t>(w) * h);
        uint32_t seed = 12345;
        for (auto& p : px) {
            seed = seed * 1103515245u + 12345u;
            p = kind == 0   ? 9
                : kind == 1 ? static_cast<uint8_t>(seed >> 24)
                            : static_cast<uint8_t>((seed >> 24) & 3);
        }
        std::vector<uint32_t> pal(256);
        for (uint32_t i = 0; i < 256; ++i)
            pal[i] = i * 0x010101u;
        AniGif gif;
        ASSERT_EQ(loadRun(gif, encodeIndexedGif(w, h, px.data(), w, pal)), 1);
        EXPECT_EQ(gif.frameIndices(1), px) << kind;
    }
}

TEST(GifDecode, DeferredLoadDecodesTheRestLater) {
    AniGif gif;
    gif.setRunMode(true);
    gif.setDelayAnimation(1);
    gif.setGifBytes(readTestFile("im-local-tables.gif"));
    ASSERT_EQ(gif.loadGifData(), 3);
    EXPECT_TRUE(gif.framesPending());
    EXPECT_EQ(gif.currentFrame(), 1);
    EXPECT_FALSE(gif.gifBytes().empty());
    EXPECT_EQ(gif.frameIndices(2), std::vector<uint8_t>(25 * 35, 0));
    ASSERT_TRUE(gif.decodeRemaining());
    EXPECT_FALSE(gif.framesPending());
    EXPECT_TRUE(gif.gifBytes().empty());
    EXPECT_TRUE(gif.startRequested());

    AniGif full;
    ASSERT_EQ(loadRun(full, readTestFile("im-local-tables.gif")), 3);
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(gif.frameIndices(k), full.frameIndices(k));

    // Mode 2: decoded later but no automatic start.
    gif.setDelayAnimation(2);
    gif.setGifBytes(readTestFile("im-local-tables.gif"));
    ASSERT_EQ(gif.loadGifData(), 3);
    ASSERT_TRUE(gif.decodeRemaining());
    EXPECT_FALSE(gif.startRequested());
}

TEST(GifDecode, DesignModeKeepsBytesAndDecodesFrameOneOnly) {
    AniGif gif;
    const auto bytes = readTestFile("im-local-tables.gif");
    ASSERT_EQ(loadRun(gif, bytes, /*run=*/false), 3);
    EXPECT_EQ(std::vector<uint8_t>(gif.gifBytes().begin(), gif.gifBytes().end()), bytes);
    EXPECT_FALSE(gif.framesPending());
    EXPECT_EQ(gif.strip()->width(), 40);
    EXPECT_EQ(gif.composite(), nullptr);
}

}  // namespace
}  // namespace muto::anigif
