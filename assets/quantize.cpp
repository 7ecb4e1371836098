// Colour reduction for the GIF files: the pictures are drawn with anti-aliasing, so they usually
// hold more than 256 colours. A median cut over the colour histogram picks the palette; every
// pixel then takes its nearest palette entry (no dithering, which would speckle flat areas).
#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "anigif/gif_encoder.h"
#include "assets/pictures.h"

namespace muto::assets {

namespace {

struct Bin {
    uint32_t rgb;
    uint32_t count;
};

int channel(uint32_t rgb, int c) {
    return static_cast<int>((rgb >> (16 - 8 * c)) & 0xFF);
}

struct Box {
    size_t begin, end;  // range in the bin vector
    uint64_t pixels;
    int longest;  // channel with the widest spread
    int spread;
};

Box makeBox(const std::vector<Bin>& bins, size_t begin, size_t end) {
    Box box{begin, end, 0, 0, -1};
    std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
    for (size_t i = begin; i < end; ++i) {
        box.pixels += bins[i].count;
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], channel(bins[i].rgb, c));
            hi[c] = std::max(hi[c], channel(bins[i].rgb, c));
        }
    }
    for (int c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > box.spread) {
            box.spread = hi[c] - lo[c];
            box.longest = c;
        }
    }
    return box;
}

std::vector<uint32_t> medianCut(std::vector<Bin> bins, size_t colours) {
    std::vector<Box> boxes{makeBox(bins, 0, bins.size())};
    while (boxes.size() < colours) {
        // Split the box whose colours are spread widest, weighted by how many pixels it covers,
        // so that large flat areas keep their exact shades.
        auto worst = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            const double wa = a.end - a.begin > 1 ? a.spread * std::sqrt(double(a.pixels)) : -1;
            const double wb = b.end - b.begin > 1 ? b.spread * std::sqrt(double(b.pixels)) : -1;
            return wa < wb;
        });
        if (worst->end - worst->begin < 2) break;
        const Box box = *worst;
        const int c = box.longest;
        std::sort(
            bins.begin() + long(box.begin), bins.begin() + long(box.end),
            [c](const Bin& a, const Bin& b) { return channel(a.rgb, c) < channel(b.rgb, c); });
        uint64_t half = 0;
        size_t split = box.begin + 1;
        for (size_t i = box.begin; i < box.end - 1; ++i) {
            half += bins[i].count;
            split = i + 1;
            if (half * 2 >= box.pixels) break;
        }
        *worst = makeBox(bins, box.begin, split);
        boxes.push_back(makeBox(bins, split, box.end));
    }
    std::vector<uint32_t> palette;
    for (const Box& box : boxes) {
        std::array<uint64_t, 3> sum{};
        for (size_t i = box.begin; i < box.end; ++i)
            for (int c = 0; c < 3; ++c)
                sum[c] += uint64_t(channel(bins[i].rgb, c)) * bins[i].count;
        uint32_t rgb = 0;
        for (int c = 0; c < 3; ++c)
            rgb = (rgb << 8) |
                  uint32_t((sum[c] + box.pixels / 2) / std::max<uint64_t>(box.pixels, 1));
        palette.push_back(rgb);
    }
    return palette;
}

uint8_t nearest(const std::vector<uint32_t>& palette, uint32_t rgb) {
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        long d = 0;
        for (int c = 0; c < 3; ++c) {
            const long diff = channel(rgb, c) - channel(palette[i], c);
            d += diff * diff;
        }
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return static_cast<uint8_t>(best);
}

}  // namespace

std::vector<uint8_t> encodeGif(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width(), h = rgb.height();
    std::unordered_map<uint32_t, uint32_t> histogram;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x)
            ++histogram[line[x] & 0xFFFFFF];
    }
    std::vector<Bin> bins;
    bins.reserve(histogram.size());
    for (const auto& [colour, count] : histogram)
        bins.push_back({colour, count});
    std::sort(bins.begin(), bins.end(), [](const Bin& a, const Bin& b) { return a.rgb < b.rgb; });

    std::vector<uint32_t> palette;
    if (bins.size() <= 256) {
        for (const Bin& b : bins)
            palette.push_back(b.rgb);
    } else {
        palette = medianCut(bins, 256);
    }
    std::unordered_map<uint32_t, uint8_t> indexOf;
    indexOf.reserve(bins.size());
    for (const Bin& b : bins)
        indexOf[b.rgb] = nearest(palette, b.rgb);

    std::vector<uint8_t> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x)
            pixels[size_t(y) * size_t(w) + size_t(x)] = indexOf[line[x] & 0xFFFFFF];
    }
    return anigif::encodeIndexedGif(w, h, pixels.data(), w, palette);
}

}  // namespace muto::assets
