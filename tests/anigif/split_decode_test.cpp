// A large image decoded on two threads gives exactly what one thread gives, whatever the data:
// whole, cut short, damaged, or with bits that only look like a clear code.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "anigif/gif_decode.h"
#include "test_util.h"

#ifdef MUTO_HAVE_GIFLIB
#include "giflib_support.h"
#endif

namespace muto::anigif {
namespace {

// Noise or runs of `colours` colours.
std::vector<uint8_t> picture(std::mt19937& rng, std::size_t pixels, int colours, bool runs) {
    std::vector<uint8_t> px(pixels);
    for (std::size_t i = 0; i < px.size(); ++i)
        px[i] = static_cast<uint8_t>(
            runs && i % 5 && i > 0 ? px[i - 1] : rng() % static_cast<unsigned>(colours));
    return px;
}

struct Outcome {
    std::size_t produced;
    std::vector<uint8_t> indices;
    bool joined;
};

// Decodes LZW data in sub-blocks both ways.
std::pair<Outcome, Outcome> bothWays(const uint8_t* blocks, const uint8_t* end, int minCodeSize,
                                     std::size_t pixels, std::size_t slack, int checkedCodes) {
    std::vector<uint8_t> one(pixels + slack, 0xEE);
    std::vector<uint8_t> two(pixels + slack, 0xEE);
    Outcome a{decodeLzwBlocks(blocks, end, minCodeSize, one.data(), pixels, slack), {}, false};
    Outcome b{};
    b.produced = decodeLzwBlocksSplit(blocks, end, minCodeSize, two.data(), pixels, slack,
                                      {.minPixels = 0, .checkedCodes = checkedCodes}, &b.joined);
    a.indices.assign(one.begin(), one.begin() + static_cast<std::ptrdiff_t>(a.produced));
    b.indices.assign(two.begin(), two.begin() + static_cast<std::ptrdiff_t>(b.produced));
    return {a, b};
}

// The same for the image at `image` in a GIF (its descriptor, no local table).
std::pair<Outcome, Outcome> bothWays(const std::vector<uint8_t>& gif, std::size_t image,
                                     std::size_t pixels, std::size_t slack, int checkedCodes) {
    return bothWays(gif.data() + image + 11, gif.data() + gif.size(), gif[image + 10], pixels,
                    slack, checkedCodes);
}

// Codes packed least significant bit first, handed out as data sub-blocks of 255 bytes.
struct CodeSink {
    std::vector<uint8_t> bytes;
    uint64_t acc = 0;
    int bits = 0;
    void put(int code, int width) {
        acc |= static_cast<uint64_t>(code) << bits;
        for (bits += width; bits >= 8; bits -= 8, acc >>= 8)
            bytes.push_back(static_cast<uint8_t>(acc));
    }
    std::vector<uint8_t> blocks() {
        if (bits > 0) bytes.push_back(static_cast<uint8_t>(acc));
        std::vector<uint8_t> out;
        for (std::size_t i = 0; i < bytes.size(); i += 255) {
            const std::size_t n = std::min<std::size_t>(255, bytes.size() - i);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i),
                       bytes.begin() + static_cast<std::ptrdiff_t>(i + n));
        }
        out.push_back(0);
        return out;
    }
};

// LZW data of minimum code size 8 that holds only literals, with a clear code after every
// `run[i]` of them: the widths at the clear codes are then whatever the runs make them.
std::vector<uint8_t> literalsWithClears(const std::vector<uint8_t>& values,
                                        const std::vector<int>& runs) {
    CodeSink sink;
    int width = 9;
    int next = 257;  // one short after a clear: the first code makes no entry
    const auto put = [&](int code) { sink.put(code, width); };
    put(256);
    std::size_t r = 0;
    int left = runs.empty() ? -1 : runs[0];
    for (const uint8_t v : values) {
        if (left == 0) {
            put(256);
            width = 9;
            next = 257;
            left = ++r < runs.size() ? runs[r] : -1;
        }
        put(v);
        if (++next >= (1 << width) && width < 12) ++width;
        next = std::min(next, 4096);
        --left;
    }
    put(257);
    return sink.blocks();
}

// LZW data of minimum code size 8 from an encoder that never sends a clear code after the first:
// once the table is full it keeps using the entries it has.
std::vector<uint8_t> withoutClears(const std::vector<uint8_t>& values) {
    std::map<std::pair<int, uint8_t>, int> table;
    CodeSink sink;
    int width = 9;
    int next = 258;
    const auto put = [&](int code) { sink.put(code, width); };
    put(256);
    int prefix = values[0];
    for (std::size_t i = 1; i < values.size(); ++i) {
        const auto found = table.find({prefix, values[i]});
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        put(prefix);
        if (next < 4096) {
            table[{prefix, values[i]}] = next++;
            if (next > (1 << width) && width < 12) ++width;
        }
        prefix = values[i];
    }
    put(prefix);
    put(257);
    return sink.blocks();
}

TEST(SplitDecode, AFullTableKeepsItsEntriesUntilAClearCode) {
    // Four colours fill the table quickly; afterwards the encoder still sends its last entries,
    // 4095 among them, which a decoder that goes on making entries would have overwritten.
    std::mt19937 rng(9);
    std::vector<uint8_t> values(200000);
    for (auto& v : values)
        v = static_cast<uint8_t>(rng() % 4);
    const auto blocks = withoutClears(values);
    const auto [one, two] =
        bothWays(blocks.data(), blocks.data() + blocks.size(), 8, values.size(), kLzwSlack, 1024);
    EXPECT_EQ(one.indices, values);
    EXPECT_EQ(two.indices, values);
    EXPECT_FALSE(two.joined);  // nothing to cut at
}

TEST(SplitDecode, GivesWhatOneThreadGivesWhateverTheData) {
    std::mt19937 rng(2026);
    int joinedWhole = 0;
    int whole = 0;
    int joinedFalseCut = 0;
    for (int round = 0; round < 60; ++round) {
        const int w = 120 + static_cast<int>(rng() % 300);
        const int h = 100 + static_cast<int>(rng() % 200);
        const auto pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
        const int colours = round % 3 == 0 ? 256 : 2 + static_cast<int>(rng() % 254);
        const auto px = picture(rng, pixels, colours, round % 4 == 1);
        std::vector<uint32_t> palette(256, 0x102030);
        auto gif = encodeIndexedGif(w, h, px.data(), w, palette);
        ASSERT_FALSE(gif.empty());
        const std::size_t data = kGifImageOffset + 11;
        const int damage = round % 4;
        if (damage == 1) {
            gif.resize(data + rng() % (gif.size() - data));  // cut anywhere in the data
        } else if (damage == 2) {
            gif[data + rng() % (gif.size() - data)] ^= static_cast<uint8_t>(1 + rng() % 255);
        } else if (damage == 3) {
            // Near the middle, where the cut is looked for.
            const std::size_t mid = data + (gif.size() - data) / 2;
            gif[mid + rng() % 3000] ^= 0x10;
        }
        for (const int checked : {0, 3, 1024}) {
            for (const std::size_t slack : {std::size_t{0}, kLzwSlack}) {
                const auto [one, two] = bothWays(gif, kGifImageOffset, pixels, slack, checked);
                ASSERT_EQ(one.produced, two.produced)
                    << "round " << round << " checked " << checked << " slack " << slack;
                ASSERT_EQ(one.indices, two.indices)
                    << "round " << round << " checked " << checked << " slack " << slack;
                if (damage == 0) {
                    EXPECT_EQ(two.produced, pixels);
                    if (checked == 1024) {
                        ++whole;
                        joinedWhole += two.joined;
                    }
                }
                if (checked == 0) joinedFalseCut += two.joined;
            }
        }
    }
    // Whole noise pictures always have clear codes to cut at; checking no codes after a candidate
    // takes bits that only look like one, and those must not be joined every time.
    EXPECT_EQ(joinedWhole, whole);
    EXPECT_LT(joinedFalseCut, 60 * 2);
}

TEST(SplitDecode, LargeFrameLoadsIntoTheControlOnTwoThreads) {
    std::mt19937 rng(11);
    const int w = 1100;
    const int h = 1000;  // over a million pixels: the control's frame takes the two-thread path
    const auto px = picture(rng, static_cast<std::size_t>(w) * h, 256, false);
    std::vector<uint32_t> palette(256);
    for (uint32_t i = 0; i < 256; ++i)
        palette[i] = i * 0x010203u;
    const auto gif = encodeIndexedGif(w, h, px.data(), w, palette);
    bool joined = false;
    std::vector<uint8_t> out(px.size());
    EXPECT_EQ(decodeLzwBlocksSplit(gif.data() + kGifImageOffset + 11, gif.data() + gif.size(), 8,
                                   out.data(), out.size(), 0, {}, &joined),
              px.size());
    EXPECT_TRUE(joined);
    EXPECT_EQ(out, px);
    AniGif control;
    ASSERT_EQ(test::loadRun(control, gif), 1);
    EXPECT_EQ(control.frameIndices(1), px);
}

TEST(SplitDecode, ClearCodesOfNarrowerWidthsAreNotTakenForWideOnes) {
    // A clear code of 10 or 11 bits followed by 0 bits reads as a 12-bit clear code at the same
    // place, and cutting there would lose a bit or two. These literals never hold eight 0 bits in
    // a row, so the clear codes are the only places that look like one, and they are narrow.
    std::mt19937 rng(3);
    const uint8_t kinds[] = {0xFE, 0xFC, 0xFA};
    std::vector<uint8_t> values(60000);
    for (auto& v : values)
        v = kinds[rng() % 3];
    std::vector<int> runs;
    for (int i = 0; i < 100; ++i)
        runs.push_back(400 + static_cast<int>(rng() % 1300));  // widths 10 and 11 at the clears
    const auto blocks = literalsWithClears(values, runs);
    for (const int checked : {0, 3, 1024}) {
        const auto [one, two] = bothWays(blocks.data(), blocks.data() + blocks.size(), 8,
                                         values.size(), kLzwSlack, checked);
        EXPECT_EQ(one.indices, values) << checked;
        EXPECT_EQ(two.indices, values) << checked;
        EXPECT_FALSE(two.joined) << checked;
    }
}

#ifdef MUTO_HAVE_GIFLIB
TEST(SplitDecode, SmallCodeSizesFromAnotherEncoder) {
    // giflib starts its codes at the table's size: 2, 4 and 16 colours give minimum code sizes
    // 2, 4 and 4, whose clear codes are 4 and 16.
    std::mt19937 rng(5);
    for (const int colours : {2, 4, 16}) {
        test::GiflibFileSpec recipe;
        recipe.width = 400;
        recipe.height = 300;
        recipe.colours.assign(static_cast<std::size_t>(std::max(colours, 4)), 0x405060);
        test::GiflibFrameSpec frame;
        frame.width = recipe.width;
        frame.height = recipe.height;
        frame.pixels = picture(rng, 400 * 300, colours, false);
        recipe.frames.push_back(frame);
        const auto gif = test::giflibWrite(recipe);
        const std::size_t image = 13 + 3 * recipe.colours.size();
        ASSERT_EQ(gif[image], 0x2C) << colours;
        const auto [one, two] = bothWays(gif, image, 400 * 300, kLzwSlack, 1024);
        EXPECT_EQ(one.indices, frame.pixels) << colours;
        EXPECT_EQ(two.indices, frame.pixels) << colours;
        EXPECT_TRUE(two.joined) << colours;
    }
}
#endif

}  // namespace
}  // namespace muto::anigif
