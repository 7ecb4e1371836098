// Off-screen surfaces and block transfers, the small drawing layer of the animated-GIF control.
//
// Surfaces are device-independent bitmaps stored bottom-up: bitmap row 0 is the bottom image row,
// and every row is padded to a multiple of four bytes (dibStride). Coordinates given to the
// operations below are image coordinates (y = 0 is the top row), as on a device context.
// Colours are 0x00RRGGBB; in memory that is a colour-table entry blue, green, red, 0 and a 24-bit
// pixel blue, green, red.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace muto::raster {

enum class Format {
    Indexed8,  // one colour index per byte, 256-entry colour table
    Rgb24,     // blue, green, red bytes
    Mono1,     // one bit per pixel, most significant bit first, two-entry colour table
};

// Raster operations of the block transfers, with their platform codes.
enum class Rop : uint32_t {
    SrcCopy = 0xCC0020,   // dest = source
    SrcAnd = 0x8800C6,    // dest = dest AND source
    SrcPaint = 0xEE0086,  // dest = dest OR source
};

enum class StretchMode {
    ColorOnColor = 3,  // nearest pixel
    Halftone = 4,      // filtered (area average when shrinking, bilinear when enlarging)
};

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kWhite = 0xFFFFFF;

// Bytes per row of a bitmap: rows are padded to 32 bits.
constexpr int dibStride(int bitsPerPixel, int width) {
    return static_cast<int>(((static_cast<int64_t>(width) * bitsPerPixel + 31) & ~int64_t{31}) / 8);
}

class Surface {
public:
    // A zero-filled surface, or null when the size is not positive or exceeds the byte limit.
    // colours: the initial colour table (Indexed8: up to 256 entries, Mono1: 2; the rest black).
    static std::unique_ptr<Surface> create(Format format, int width, int height,
                                           std::span<const uint32_t> colours = {});

    // Largest number of pixel bytes one surface may take (a guard against absurd sizes).
    static void setByteLimit(std::size_t bytes);
    static std::size_t byteLimit();

    Format format() const { return format_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bitsPerPixel() const;
    int stride() const { return stride_; }

    // Bitmap row r (bottom-up storage, r = 0 is the bottom row).
    uint8_t* bitmapRow(int r) { return bits_.get() + static_cast<std::size_t>(r) * stride_; }
    const uint8_t* bitmapRow(int r) const {
        return bits_.get() + static_cast<std::size_t>(r) * stride_;
    }
    // Image row y (y = 0 is the top row).
    uint8_t* scanLine(int y) { return bitmapRow(height_ - 1 - y); }
    const uint8_t* scanLine(int y) const { return bitmapRow(height_ - 1 - y); }
    std::span<uint8_t> bits() { return {bits_.get(), size_}; }
    std::span<const uint8_t> bits() const { return {bits_.get(), size_}; }

    // 256 entries for Indexed8, 2 for Mono1, none for Rgb24.
    std::span<const uint32_t> colorTable() const { return table_; }
    // Replaces entries first .. first + n - 1 (clipped to the table); returns how many changed.
    int setColorTable(int first, std::span<const uint32_t> colours);

    StretchMode stretchMode() const { return stretchMode_; }
    // Returns the previous mode.
    StretchMode setStretchMode(StretchMode mode);

    // The raw value at (x, y): index, bit or 0x00RRGGBB. 0 outside the surface.
    uint32_t rawPixel(int x, int y) const;
    // The colour at (x, y) through the colour table. 0 outside the surface.
    uint32_t pixel(int x, int y) const;

private:
    Surface(Format format, int width, int height, int stride);

    Format format_;
    int width_;
    int height_;
    int stride_;
    StretchMode stretchMode_ = StretchMode::ColorOnColor;
    // Zeroed memory from calloc: a large surface comes as fresh pages, not written twice.
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t[], Free> bits_;
    std::size_t size_ = 0;
    std::vector<uint32_t> table_;
};

// Copies a w x h block from (sx, sy) of src to (dx, dy) of dst with a raster operation.
// Between indexed surfaces the indices are copied; into a 24-bit surface colours go through the
// source's colour table; into a 1-bit surface each colour becomes the nearer of its two table
// colours. Parts outside either surface are left out. src may be dst (overlap is handled).
// Returns false for unsupported format pairs (colours into an 8-bit surface).
bool bitBlt(Surface& dst, int dx, int dy, int w, int h, const Surface& src, int sx, int sy,
            Rop rop);

// Copies the source area onto the destination rectangle, scaling it. A negative source width
// reads columns from sx leftwards (sx is the area's last column), a negative height reads rows
// from sy upwards: this mirrors. In Halftone mode (of dst) a 24-bit destination gets a filtered
// result; otherwise the nearest source pixel is taken. Source pixels outside src leave the
// destination pixel as it is. The destination extents must be positive.
bool stretchBlt(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                int sw, int sh, Rop rop);

// Fills a rectangle (clipped) with a colour; on 1-bit and 8-bit surfaces with the nearest entry
// of the colour table.
void fillRect(Surface& dst, Rect r, uint32_t colour);

}  // namespace muto::raster
