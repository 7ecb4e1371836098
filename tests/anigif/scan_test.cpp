// The block-structure scan: which files load, with which frame records, loops and canvas.
#include <gtest/gtest.h>

#include <filesystem>

#include "anigif/gif_scan.h"
#include "test_util.h"

namespace muto::anigif {
namespace {

using test::readTestFile;

GifStructure scanFile(const std::string& name, int expectedFrames) {
    GifStructure s;
    EXPECT_EQ(scanGifStructure(readTestFile(name), s), expectedFrames) << name;
    return s;
}

TEST(GifScan, RefusedFilesGiveNoFramesAndSayWhy) {
    struct Case {
        const char* file;
        GifError why;
    } cases[] = {
        {"signature-gif88a.gif", GifError::BadSignature},
        {"empty.gif", GifError::BadSignature},
        {"short-signature.gif", GifError::BadSignature},
        {"no-colour-table.gif", GifError::NoColourTable},
        {"cut-in-global-table.gif", GifError::EndOfFile},
        {"header-only.gif", GifError::None},
    };
    for (const auto& c : cases) {
        GifStructure s = scanFile(c.file, 0);
        EXPECT_EQ(s.stoppedBy, c.why) << c.file;
        EXPECT_TRUE(s.frames.empty()) << c.file;
        AniGif gif;
        EXPECT_EQ(test::loadRun(gif, readTestFile(c.file)), 0) << c.file;
        EXPECT_FALSE(gif.loaded());
        EXPECT_TRUE(gif.gifBytes().empty());
    }
}

TEST(GifScan, SignatureIgnoresLetterCaseAndPlainFileHasDefaults) {
    scanFile("signature-upper.gif", 1);
    GifStructure s = scanFile("gif87a-plain.gif", 1);
    const GifFrameInfo& f = s.frames[0];
    EXPECT_EQ(f.delay, 0);
    EXPECT_EQ(f.paletteIndex, 0);
    EXPECT_EQ(f.disposal, 0);
    EXPECT_EQ(f.transparent, 0);
    EXPECT_EQ(s.loops, 0);
    EXPECT_EQ(s.palettes.count(0), 4);
    EXPECT_EQ(s.palettes.column(0)[1], 0xFF0000u);
}

TEST(GifScan, LoopCountRules) {
    EXPECT_EQ(scanFile("netscape-lowercase.gif", 1).loops, 7);
    EXPECT_EQ(scanFile("loops-65535.gif", 1).loops, 65535);
    GifStructure s = scanFile("netscape-subblock-5.gif", 2);
    EXPECT_EQ(s.loops, 0);
}

TEST(GifScan, GraphicControlFields) {
    EXPECT_EQ(scanFile("delay-65535.gif", 1).frames[0].delay, 655350);
    GifStructure d = scanFile("disposal-fold.gif", 3);
    EXPECT_EQ(d.frames[0].disposal, 0);  // 3 before any kept frame
    EXPECT_EQ(d.frames[1].disposal, 3);  // field 7
    EXPECT_EQ(d.frames[2].disposal, 2);  // field 6
    GifStructure t = scanFile("two-gce.gif", 2);
    EXPECT_EQ(t.frames[0].delay, 70);
    EXPECT_EQ(t.frames[0].disposal, 1);
    EXPECT_EQ(t.frames[0].transparent, 0);
    EXPECT_EQ(t.frames[1].delay, 0);
    EXPECT_EQ(t.frames[1].transparent, 0);
    // The first frame's record points at the second extension; the second at its separator.
    EXPECT_NE(t.frames[0].position, t.spans[1].start);
    EXPECT_EQ(t.frames[1].position, t.spans[2].start);
}

TEST(GifScan, CanvasComesFromFramesNotScreen) {
    GifStructure s = scanFile("canvas-from-frames.gif", 1);
    EXPECT_EQ(s.actualWidth, 60);
    EXPECT_EQ(s.actualHeight, 50);
}

TEST(GifScan, StructureTolerance) {
    GifStructure z = scanFile("stray-zeros-no-trailer.gif", 2);
    EXPECT_EQ(z.frames[1].delay, 30);
    scanFile("extensions-skipped.gif", 1);
    EXPECT_EQ(scanFile("unknown-block-ends-scan.gif", 1).stoppedBy, GifError::None);
    GifStructure l = scanFile("local-table-order.gif", 5);
    const int expected[] = {1, 0, 2, 0, 3};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(l.frames[static_cast<std::size_t>(k)].paletteIndex, expected[k]);
    EXPECT_EQ(l.palettes.columns(), 4);
    EXPECT_EQ(l.palettes.column(3)[0], 0x0000FFu);  // the reversed table of frame 5
}

TEST(GifScan, TruncatedLastFrameReachesPastTheEnd) {
    const auto bytes = readTestFile("truncated-frame3.gif");
    GifStructure s = scanFile("truncated-frame3.gif", 3);
    EXPECT_EQ(s.stoppedBy, GifError::EndOfFile);
    EXPECT_GT(s.spans[3].start + s.spans[3].length - 1, static_cast<int32_t>(bytes.size()));
    EXPECT_LE(s.spans[2].start + s.spans[2].length - 1, static_cast<int32_t>(bytes.size()));
}

TEST(GifScan, ImageDescriptorCutShortIsNotAFrame) {
    auto bytes = readTestFile("gif87a-plain.gif");
    // Header (13) + table (12) + separator and 5 bytes of descriptor.
    bytes.resize(13 + 12 + 6);
    GifStructure s;
    EXPECT_EQ(scanGifStructure(bytes, s), 0);
    EXPECT_EQ(s.stoppedBy, GifError::EndOfFile);
}

TEST(GifScan, FrameCountStopsAt32767) {
    // 32768 tiny images: the last one ends the scan.
    std::vector<uint8_t> bytes = {'G',  'I', 'F', '8', '9', 'a', 1,   0,   1,  0,
                                  0x80, 0,   0,   0,   0,   0,   255, 255, 255};
    const uint8_t image[] = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0};
    for (int i = 0; i < 32768; ++i)
        bytes.insert(bytes.end(), std::begin(image), std::end(image));
    bytes.push_back(0x3B);
    GifStructure s;
    EXPECT_EQ(scanGifStructure(bytes, s), kMaxGifFrames);
    EXPECT_EQ(s.stoppedBy, GifError::TooManyFrames);
}

// Every cut of every test file either loads (and then paints and exports) or is refused with
// nothing left behind, and a longer cut never holds fewer frames than a shorter one. Only a file
// refused for an image without colour table may drop to 0 once that image is reached.
TEST(GifScan, EveryTruncationLoadsOrRefusesAndFramesNeverDrop) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MUTO_GIF_TEST_DATA)) {
        if (entry.path().extension() != ".gif") continue;
        const std::string name = entry.path().filename().string();
        const auto whole = readTestFile(name);
        GifStructure full;
        const int wholeFrames = scanGifStructure(whole, full);
        const bool mayDrop = full.stoppedBy == GifError::NoColourTable;
        int previous = 0;
        for (std::size_t n = 0; n <= whole.size(); ++n) {
            std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            GifStructure s;
            const int scanned = scanGifStructure(cut, s);
            AniGif gif;
            const int32_t frames = test::loadRun(gif, cut);
            ASSERT_EQ(frames, scanned) << name << " cut at " << n;
            if (frames > 0) {
                test::composeAll(gif);
                EXPECT_FALSE(gif.encodeFrameAsGif(1).empty()) << name << " cut at " << n;
            } else {
                EXPECT_FALSE(gif.loaded()) << name << " cut at " << n;
                EXPECT_TRUE(gif.gifBytes().empty()) << name << " cut at " << n;
                EXPECT_NE(gif.lastError(), GifError::None) << name << " cut at " << n;
            }
            if (!mayDrop) {
                ASSERT_GE(frames, previous) << name << " cut at " << n;
                ASSERT_LE(frames, wholeFrames) << name << " cut at " << n;
            }
            previous = frames;
        }
        ++files;
    }
    EXPECT_GT(files, 30);
}

TEST(GifScan, CutApplicationIdentifierEndsTheScan) {
    // The identifier holds a zero and an image; read as sub-blocks it would be a second frame.
    const auto whole = readTestFile("app-identifier-hides-image.gif");
    EXPECT_EQ(scanFile("app-identifier-hides-image.gif", 1).stoppedBy, GifError::None);
    const std::size_t identifier = 13 + 12 + 15 + 3;
    for (std::size_t n = identifier; n < identifier + 255; n += 17) {
        GifStructure s;
        EXPECT_EQ(scanGifStructure(std::span(whole).first(n), s), 1) << n;
        EXPECT_EQ(s.stoppedBy, GifError::EndOfFile) << n;
    }
}

}  // namespace
}  // namespace muto::anigif
