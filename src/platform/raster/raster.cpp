#include "platform/raster/raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

namespace muto::raster {

namespace {

std::size_t g_byteLimit = std::size_t{512} << 20;

// Marks a destination pixel whose source lies outside the source surface.
constexpr uint32_t kSkip = 0xFFFFFFFFu;

int channelDistance(uint32_t a, uint32_t b) {
    const int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
    const int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
    const int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

uint32_t nearestEntry(std::span<const uint32_t> table, uint32_t colour) {
    uint32_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const int d = channelDistance(table[i], colour);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<uint32_t>(i);
        }
    }
    return best;
}

// Turns raw source values into raw destination values.
class Converter {
public:
    Converter(const Surface& src, const Surface& dst) : dst_(dst) {
        const Format s = src.format();
        const Format d = dst.format();
        if (s == d) {
            mode_ = Mode::Same;
        } else if (d == Format::Rgb24) {
            mode_ = Mode::Table;
            std::copy(src.colorTable().begin(), src.colorTable().end(), lut_.begin());
        } else if (d == Format::Mono1 && s == Format::Indexed8) {
            mode_ = Mode::Table;
            for (std::size_t i = 0; i < 256; ++i)
                lut_[i] = nearestEntry(dst.colorTable(), src.colorTable()[i]);
        } else if (d == Format::Mono1 && s == Format::Rgb24) {
            mode_ = Mode::Nearest;
        } else {
            mode_ = Mode::Unsupported;
        }
    }

    bool supported() const { return mode_ != Mode::Unsupported; }

    uint32_t operator()(uint32_t raw) const {
        switch (mode_) {
            case Mode::Same:
                return raw;
            case Mode::Table:
                return lut_[raw & 0xFF];
            case Mode::Nearest:
                return nearestEntry(dst_.colorTable(), raw);
            case Mode::Unsupported:
                break;
        }
        return 0;
    }

private:
    enum class Mode { Same, Table, Nearest, Unsupported };
    const Surface& dst_;
    Mode mode_ = Mode::Unsupported;
    std::array<uint32_t, 256> lut_{};
};

inline uint32_t readRaw(const uint8_t* row, Format f, int x) {
    switch (f) {
        case Format::Indexed8:
            return row[x];
        case Format::Rgb24: {
            const uint8_t* p = row + 3 * x;
            return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                   static_cast<uint32_t>(p[2]) << 16;
        }
        case Format::Mono1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    }
    return 0;
}

inline uint8_t combine(uint8_t d, uint8_t s, Rop rop) {
    switch (rop) {
        case Rop::SrcCopy:
            return s;
        case Rop::SrcAnd:
            return d & s;
        case Rop::SrcPaint:
            return d | s;
    }
    return s;
}

inline void writeRaw(uint8_t* row, Format f, int x, uint32_t v, Rop rop) {
    switch (f) {
        case Format::Indexed8:
            row[x] = combine(row[x], static_cast<uint8_t>(v), rop);
            break;
        case Format::Rgb24: {
            uint8_t* p = row + 3 * x;
            p[0] = combine(p[0], static_cast<uint8_t>(v), rop);
            p[1] = combine(p[1], static_cast<uint8_t>(v >> 8), rop);
            p[2] = combine(p[2], static_cast<uint8_t>(v >> 16), rop);
            break;
        }
        case Format::Mono1: {
            const uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
            uint8_t& b = row[x >> 3];
            const bool d = (b & bit) != 0;
            const bool s = (v & 1u) != 0;
            const bool r = rop == Rop::SrcCopy ? s : rop == Rop::SrcAnd ? (d && s) : (d || s);
            b = r ? static_cast<uint8_t>(b | bit) : static_cast<uint8_t>(b & ~bit);
            break;
        }
    }
}

// Source coordinate for each destination offset (nearest pixel), or -1 outside the source.
std::vector<int> nearestMap(int dstExtent, int srcStart, int srcExtent, int srcLimit) {
    std::vector<int> map(static_cast<std::size_t>(dstExtent));
    const int64_t n = srcExtent < 0 ? -static_cast<int64_t>(srcExtent) : srcExtent;
    for (int i = 0; i < dstExtent; ++i) {
        const int64_t off = ((2 * static_cast<int64_t>(i) + 1) * n) / (2 * int64_t{dstExtent});
        const int64_t s = srcExtent < 0 ? srcStart - off : srcStart + off;
        map[static_cast<std::size_t>(i)] = (s >= 0 && s < srcLimit) ? static_cast<int>(s) : -1;
    }
    return map;
}

struct Tap {
    int index;
    float weight;
};

// Filter taps per destination offset over a source run of n samples (already oriented):
// area average when shrinking, bilinear when enlarging.
std::vector<std::vector<Tap>> filterTaps(int dstExtent, int n) {
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(dstExtent));
    const double scale = static_cast<double>(n) / dstExtent;
    for (int i = 0; i < dstExtent; ++i) {
        auto& t = taps[static_cast<std::size_t>(i)];
        if (scale > 1.0) {
            const double a = i * scale;
            const double b = std::min<double>((i + 1) * scale, n);
            for (int k = static_cast<int>(a); k < n && k < b; ++k) {
                const double w = std::min<double>(k + 1, b) - std::max<double>(k, a);
                if (w > 0) t.push_back({k, static_cast<float>(w / scale)});
            }
        } else {
            const double c = (i + 0.5) * scale - 0.5;
            const int k0 = static_cast<int>(std::floor(c));
            const double f = c - k0;
            const int a = std::clamp(k0, 0, n - 1);
            const int b = std::clamp(k0 + 1, 0, n - 1);
            t.push_back({a, static_cast<float>(1.0 - f)});
            if (f > 0) t.push_back({b, static_cast<float>(f)});
        }
    }
    return taps;
}

bool filteredStretch(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx,
                     int sy, int sw, int sh, Rop rop) {
    const int nw = sw < 0 ? -sw : sw;
    const int nh = sh < 0 ? -sh : sh;
    // The source area as colours, oriented (mirrored when an extent is negative), edges clamped.
    std::vector<float> area(static_cast<std::size_t>(nw) * nh * 3);
    for (int j = 0; j < nh; ++j) {
        const int y = std::clamp(sh < 0 ? sy - j : sy + j, 0, src.height() - 1);
        for (int i = 0; i < nw; ++i) {
            const int x = std::clamp(sw < 0 ? sx - i : sx + i, 0, src.width() - 1);
            const uint32_t c = src.pixel(x, y);
            float* p = &area[(static_cast<std::size_t>(j) * nw + i) * 3];
            p[0] = static_cast<float>(c & 0xFF);
            p[1] = static_cast<float>((c >> 8) & 0xFF);
            p[2] = static_cast<float>((c >> 16) & 0xFF);
        }
    }
    const auto hTaps = filterTaps(dw, nw);
    const auto vTaps = filterTaps(dh, nh);
    std::vector<float> rows(static_cast<std::size_t>(nh) * dw * 3);
    for (int j = 0; j < nh; ++j) {
        for (int i = 0; i < dw; ++i) {
            float acc[3] = {0, 0, 0};
            for (const Tap& t : hTaps[static_cast<std::size_t>(i)]) {
                const float* p = &area[(static_cast<std::size_t>(j) * nw + t.index) * 3];
                for (int c = 0; c < 3; ++c)
                    acc[c] += p[c] * t.weight;
            }
            float* q = &rows[(static_cast<std::size_t>(j) * dw + i) * 3];
            for (int c = 0; c < 3; ++c)
                q[c] = acc[c];
        }
    }
    for (int j = 0; j < dh; ++j) {
        const int y = dy + j;
        if (y < 0 || y >= dst.height()) continue;
        uint8_t* out = dst.scanLine(y);
        for (int i = 0; i < dw; ++i) {
            const int x = dx + i;
            if (x < 0 || x >= dst.width()) continue;
            float acc[3] = {0, 0, 0};
            for (const Tap& t : vTaps[static_cast<std::size_t>(j)]) {
                const float* p = &rows[(static_cast<std::size_t>(t.index) * dw + i) * 3];
                for (int c = 0; c < 3; ++c)
                    acc[c] += p[c] * t.weight;
            }
            uint32_t v = 0;
            for (int c = 0; c < 3; ++c) {
                const long q = std::lround(std::clamp(acc[c], 0.0f, 255.0f));
                v |= static_cast<uint32_t>(q) << (8 * c);
            }
            writeRaw(out, Format::Rgb24, x, v, rop);
        }
    }
    return true;
}

}  // namespace

Surface::Surface(Format format, int width, int height, int stride)
    : format_(format), width_(width), height_(height), stride_(stride) {}

std::unique_ptr<Surface> Surface::create(Format format, int width, int height,
                                         std::span<const uint32_t> colours) {
    if (width <= 0 || height <= 0 || width > (1 << 26) || height > (1 << 26)) return nullptr;
    const int bpp = format == Format::Indexed8 ? 8 : format == Format::Rgb24 ? 24 : 1;
    const int stride = dibStride(bpp, width);
    const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    if (bytes / static_cast<std::size_t>(height) != static_cast<std::size_t>(stride) ||
        bytes > g_byteLimit)
        return nullptr;
    std::unique_ptr<Surface> s(new (std::nothrow) Surface(format, width, height, stride));
    if (!s) return nullptr;
    s->bits_.reset(static_cast<uint8_t*>(std::calloc(bytes, 1)));
    if (!s->bits_) return nullptr;
    s->size_ = bytes;
    try {
        if (format == Format::Indexed8) s->table_.assign(256, 0);
        if (format == Format::Mono1) s->table_.assign(2, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    s->setColorTable(0, colours);
    return s;
}

void Surface::Free::operator()(uint8_t* p) const {
    std::free(p);
}

void Surface::setByteLimit(std::size_t bytes) {
    g_byteLimit = bytes;
}
std::size_t Surface::byteLimit() {
    return g_byteLimit;
}

int Surface::bitsPerPixel() const {
    return format_ == Format::Indexed8 ? 8 : format_ == Format::Rgb24 ? 24 : 1;
}

int Surface::setColorTable(int first, std::span<const uint32_t> colours) {
    if (first < 0) return 0;
    int n = 0;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::size_t k = static_cast<std::size_t>(first) + i;
        if (k >= table_.size()) break;
        table_[k] = colours[i] & 0xFFFFFF;
        ++n;
    }
    return n;
}

StretchMode Surface::setStretchMode(StretchMode mode) {
    const StretchMode old = stretchMode_;
    stretchMode_ = mode;
    return old;
}

uint32_t Surface::rawPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return readRaw(scanLine(y), format_, x);
}

uint32_t Surface::pixel(int x, int y) const {
    const uint32_t raw = rawPixel(x, y);
    return format_ == Format::Rgb24 ? raw : table_[raw];
}

bool stretchBlt(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                int sw, int sh, Rop rop) {
    const Converter convert(src, dst);
    if (!convert.supported()) return false;
    if (dw <= 0 || dh <= 0 || sw == 0 || sh == 0) return true;
    // Clip the destination first so huge rectangles cost nothing outside the surface.
    if (dx >= dst.width() || dy >= dst.height() || static_cast<int64_t>(dx) + dw <= 0 ||
        static_cast<int64_t>(dy) + dh <= 0)
        return true;
    const int nw = sw < 0 ? -sw : sw;
    const int nh = sh < 0 ? -sh : sh;
    if (dst.stretchMode() == StretchMode::Halftone && dst.format() == Format::Rgb24 &&
        (nw != dw || nh != dh))
        return filteredStretch(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, rop);

    const int x0 = std::max(0, dx);
    const int x1 = static_cast<int>(std::min<int64_t>(dst.width(), static_cast<int64_t>(dx) + dw));
    const int y0 = std::max(0, dy);
    const int y1 = static_cast<int>(std::min<int64_t>(dst.height(), static_cast<int64_t>(dy) + dh));
    const std::vector<int> cols = nearestMap(dw, sx, sw, src.width());
    const std::vector<int> rowsMap = nearestMap(dh, sy, sh, src.height());
    const int cw = x1 - x0;
    const Format sf = src.format();
    auto gather = [&](int y, uint32_t* out) {
        const int sr = rowsMap[static_cast<std::size_t>(y - dy)];
        if (sr < 0) {
            std::fill(out, out + cw, kSkip);
            return;
        }
        const uint8_t* row = src.scanLine(sr);
        for (int x = x0; x < x1; ++x) {
            const int sc = cols[static_cast<std::size_t>(x - dx)];
            out[x - x0] = sc < 0 ? kSkip : convert(readRaw(row, sf, sc));
        }
    };
    auto scatter = [&](int y, const uint32_t* in) {
        uint8_t* row = dst.scanLine(y);
        for (int x = x0; x < x1; ++x)
            if (in[x - x0] != kSkip) writeRaw(row, dst.format(), x, in[x - x0], rop);
    };
    if (&src == &dst) {
        // Read everything before writing anything: the areas may overlap (in-place mirroring).
        std::vector<uint32_t> all(static_cast<std::size_t>(cw) * (y1 - y0));
        for (int y = y0; y < y1; ++y)
            gather(y, &all[static_cast<std::size_t>(y - y0) * cw]);
        for (int y = y0; y < y1; ++y)
            scatter(y, &all[static_cast<std::size_t>(y - y0) * cw]);
    } else {
        std::vector<uint32_t> line(static_cast<std::size_t>(cw));
        for (int y = y0; y < y1; ++y) {
            gather(y, line.data());
            scatter(y, line.data());
        }
    }
    return true;
}

bool bitBlt(Surface& dst, int dx, int dy, int w, int h, const Surface& src, int sx, int sy,
            Rop rop) {
    // Equal extents map every destination pixel onto exactly one source pixel.
    const StretchMode mode = dst.setStretchMode(StretchMode::ColorOnColor);
    const bool ok = stretchBlt(dst, dx, dy, w, h, src, sx, sy, w, h, rop);
    dst.setStretchMode(mode);
    return ok;
}

void fillRect(Surface& dst, Rect r, uint32_t colour) {
    const int x0 = std::max(0, r.x);
    const int y0 = std::max(0, r.y);
    const int x1 =
        static_cast<int>(std::min<int64_t>(dst.width(), static_cast<int64_t>(r.x) + r.w));
    const int y1 =
        static_cast<int>(std::min<int64_t>(dst.height(), static_cast<int64_t>(r.y) + r.h));
    if (x0 >= x1 || y0 >= y1) return;
    const uint32_t v = dst.format() == Format::Rgb24 ? (colour & 0xFFFFFF)
                                                     : nearestEntry(dst.colorTable(), colour);
    for (int y = y0; y < y1; ++y) {
        uint8_t* row = dst.scanLine(y);
        if (dst.format() == Format::Indexed8) {
            std::fill(row + x0, row + x1, static_cast<uint8_t>(v));
        } else {
            for (int x = x0; x < x1; ++x)
                writeRaw(row, dst.format(), x, v, Rop::SrcCopy);
        }
    }
}

}  // namespace muto::raster
