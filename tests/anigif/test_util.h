// Helpers shared by the GIF tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "anigif/anigif.h"
#include "anigif/gif_encoder.h"
#include "platform/raster/raster.h"

namespace muto::anigif::test {

inline std::vector<uint8_t> readTestFile(const std::string& name) {
    std::ifstream in(std::string(MUTO_GIF_TEST_DATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct FrameSpec {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    int disposal = 1;
    int transparentIndex = -1;
};

// A GIF with a global table and the given frames, each compressed by our encoder.
inline std::vector<uint8_t> makeGif(int w, int h, const std::vector<uint32_t>& palette,
                                    const std::vector<FrameSpec>& frames) {
    int bits = 1;
    while ((1u << bits) < palette.size())
        ++bits;
    std::vector<uint8_t> out = {'G',
                                'I',
                                'F',
                                '8',
                                '9',
                                'a',
                                static_cast<uint8_t>(w),
                                static_cast<uint8_t>(w >> 8),
                                static_cast<uint8_t>(h),
                                static_cast<uint8_t>(h >> 8),
                                static_cast<uint8_t>(0x80 | (bits - 1)),
                                0,
                                0};
    for (std::size_t i = 0; i < (std::size_t{1} << bits); ++i) {
        const uint32_t c = i < palette.size() ? palette[i] : 0;
        out.insert(out.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                               static_cast<uint8_t>(c)});
    }
    for (const auto& f : frames) {
        const uint8_t packed =
            static_cast<uint8_t>((f.disposal & 7) << 2 | (f.transparentIndex >= 0));
        out.insert(out.end(),
                   {0x21, 0xF9, 4, packed, 10, 0,
                    static_cast<uint8_t>(f.transparentIndex >= 0 ? f.transparentIndex : 0), 0});
        const auto one = encodeIndexedGif(f.width, f.height, f.pixels.data(), f.width, palette);
        out.insert(out.end(),
                   {0x2C, static_cast<uint8_t>(f.left), static_cast<uint8_t>(f.left >> 8),
                    static_cast<uint8_t>(f.top), static_cast<uint8_t>(f.top >> 8)});
        // Width, height, packed, code size and data as our encoder wrote them.
        out.insert(out.end(), one.begin() + 786, one.end() - 1);
    }
    out.push_back(0x3B);
    return out;
}

inline std::vector<uint8_t> solid(int w, int h, uint8_t v) {
    return std::vector<uint8_t>(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), v);
}

// Loads bytes as the control does at run time with every frame decoded at once, 1:1.
inline int32_t loadRun(AniGif& gif, std::vector<uint8_t> bytes, bool run = true) {
    gif.setRunMode(run);
    gif.setDelayAnimation(0);
    gif.setStretch(Stretch::Resize);
    gif.setGifBytes(std::move(bytes));
    const int32_t n = gif.loadGifData();
    int w = gif.actualWidth();
    int h = gif.actualHeight();
    gif.resize(w, h);
    return n;
}

inline std::unique_ptr<raster::Surface> blackTarget(int w, int h) {
    return raster::Surface::create(raster::Format::Rgb24, w, h);
}

// Every frame painted in order over black, as the control shows them.
inline std::vector<std::vector<uint32_t>> composeAll(AniGif& gif) {
    std::vector<std::vector<uint32_t>> out;
    for (int k = 1; k <= gif.frameCount(); ++k) {
        auto t = blackTarget(gif.actualWidth(), gif.actualHeight());
        gif.paintFrame(k, *t);
        std::vector<uint32_t> px;
        for (int y = 0; y < t->height(); ++y)
            for (int x = 0; x < t->width(); ++x)
                px.push_back(t->pixel(x, y));
        out.push_back(std::move(px));
    }
    return out;
}

}  // namespace muto::anigif::test
