// The raster layer: formats, colour tables, raster operations, mirroring and filtering.
#include <gtest/gtest.h>

#include "platform/raster/raster.h"

namespace muto::raster {
namespace {

TEST(Raster, BottomUpRowsAndStride) {
    auto s = Surface::create(Format::Indexed8, 5, 3);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->stride(), 8);
    EXPECT_EQ(dibStride(24, 5), 16);
    EXPECT_EQ(dibStride(1, 33), 8);
    EXPECT_EQ(s->scanLine(0), s->bitmapRow(2));
    EXPECT_FALSE(Surface::create(Format::Rgb24, 0, 3));
    EXPECT_FALSE(Surface::create(Format::Rgb24, 1 << 20, 1 << 20));
}

TEST(Raster, IndexedToColourGoesThroughTheTable) {
    const uint32_t table[] = {0x000000, 0x112233, 0xFFFFFF};
    auto src = Surface::create(Format::Indexed8, 2, 1, table);
    src->scanLine(0)[0] = 1;
    src->scanLine(0)[1] = 2;
    auto dst = Surface::create(Format::Rgb24, 3, 2);
    fillRect(*dst, {0, 0, 3, 2}, 0x0F0F0F);
    EXPECT_TRUE(bitBlt(*dst, 1, 1, 2, 1, *src, 0, 0, Rop::SrcCopy));
    EXPECT_EQ(dst->pixel(1, 1), 0x112233u);
    EXPECT_EQ(dst->pixel(2, 1), 0xFFFFFFu);
    EXPECT_EQ(dst->pixel(0, 1), 0x0F0F0Fu);
    bitBlt(*dst, 1, 1, 2, 1, *src, 0, 0, Rop::SrcAnd);
    EXPECT_EQ(dst->pixel(1, 1), 0x112233u);
    bitBlt(*dst, 0, 0, 2, 1, *src, 0, 0, Rop::SrcPaint);
    EXPECT_EQ(dst->pixel(0, 0), 0x1F2F3Fu);
    // Colours into an indexed surface are not supported.
    EXPECT_FALSE(bitBlt(*src, 0, 0, 1, 1, *dst, 0, 0, Rop::SrcCopy));
}

TEST(Raster, MaskFromIndicesAndMaskBlits) {
    uint32_t table[256] = {};
    table[4] = kWhite;
    auto strip = Surface::create(Format::Indexed8, 3, 1, table);
    strip->scanLine(0)[0] = 4;
    strip->scanLine(0)[1] = 2;
    strip->scanLine(0)[2] = 4;
    const uint32_t bw[] = {kBlack, kWhite};
    auto mask = Surface::create(Format::Mono1, 3, 1, bw);
    fillRect(*mask, {0, 0, 3, 1}, kWhite);
    EXPECT_EQ(mask->rawPixel(1, 0), 1u);
    bitBlt(*mask, 0, 0, 3, 1, *strip, 0, 0, Rop::SrcAnd);
    EXPECT_EQ(mask->rawPixel(0, 0), 1u);
    EXPECT_EQ(mask->rawPixel(1, 0), 0u);
    auto target = Surface::create(Format::Rgb24, 3, 1);
    fillRect(*target, {0, 0, 3, 1}, 0x445566);
    bitBlt(*target, 0, 0, 3, 1, *mask, 0, 0, Rop::SrcAnd);
    EXPECT_EQ(target->pixel(0, 0), 0x445566u);
    EXPECT_EQ(target->pixel(1, 0), 0u);
}

TEST(Raster, NegativeSourceExtentsMirrorInPlace) {
    auto s = Surface::create(Format::Indexed8, 4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            s->scanLine(y)[x] = static_cast<uint8_t>(10 * y + x);
    // Mirror the 3 x 2 area at (1, 1) both ways, reading from its last column and row.
    stretchBlt(*s, 1, 1, 3, 2, *s, 3, 2, -3, -2, Rop::SrcCopy);
    EXPECT_EQ(s->scanLine(1)[1], 23);
    EXPECT_EQ(s->scanLine(1)[3], 21);
    EXPECT_EQ(s->scanLine(2)[1], 13);
    EXPECT_EQ(s->scanLine(0)[0], 0);
    EXPECT_EQ(s->scanLine(1)[0], 10);
}

TEST(Raster, StretchNearestAndFiltered) {
    auto src = Surface::create(Format::Rgb24, 2, 1);
    fillRect(*src, {0, 0, 1, 1}, 0x000000);
    fillRect(*src, {1, 0, 1, 1}, 0xC8C8C8);
    auto dst = Surface::create(Format::Rgb24, 4, 2);
    stretchBlt(*dst, 0, 0, 4, 2, *src, 0, 0, 2, 1, Rop::SrcCopy);
    EXPECT_EQ(dst->pixel(1, 1), 0u);
    EXPECT_EQ(dst->pixel(2, 0), 0xC8C8C8u);
    dst->setStretchMode(StretchMode::Halftone);
    stretchBlt(*dst, 0, 0, 4, 2, *src, 0, 0, 2, 1, Rop::SrcCopy);
    EXPECT_EQ(dst->pixel(0, 0), 0u);
    EXPECT_EQ(dst->pixel(1, 0), 0x323232u);  // a quarter of the way
    EXPECT_EQ(dst->pixel(3, 1), 0xC8C8C8u);
    // Shrinking averages.
    auto one = Surface::create(Format::Rgb24, 1, 1);
    one->setStretchMode(StretchMode::Halftone);
    stretchBlt(*one, 0, 0, 1, 1, *src, 0, 0, 2, 1, Rop::SrcCopy);
    EXPECT_EQ(one->pixel(0, 0), 0x646464u);
}

TEST(Raster, ClippingLeavesOutsidePixelsAlone) {
    auto src = Surface::create(Format::Rgb24, 2, 2);
    fillRect(*src, {-5, -5, 50, 50}, 0x0000FF);
    auto dst = Surface::create(Format::Rgb24, 3, 3);
    EXPECT_TRUE(bitBlt(*dst, 2, 2, 5, 5, *src, 0, 0, Rop::SrcCopy));
    EXPECT_EQ(dst->pixel(2, 2), 0x0000FFu);
    EXPECT_EQ(dst->pixel(1, 1), 0u);
    EXPECT_TRUE(bitBlt(*dst, 0, 0, 3, 3, *src, 1, 1, Rop::SrcCopy));  // source only 1 x 1 there
    EXPECT_EQ(dst->pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(dst->pixel(1, 1), 0u);
}

}  // namespace
}  // namespace muto::raster
