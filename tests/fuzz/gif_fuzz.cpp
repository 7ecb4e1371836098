// Fuzz target: structure scan, frame decoding and composition of arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "anigif/anigif.h"
#include "platform/raster/raster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace muto;
    // Keeps absurd declared sizes from taking the machine's memory.
    raster::Surface::setByteLimit(std::size_t{16} << 20);
    anigif::AniGif gif;
    gif.setRunMode(true);
    gif.setDelayAnimation(size % 2 ? 0 : 1);
    gif.setStretch(anigif::Stretch::Fit);
    gif.setClientSize(37, 23);
    gif.setGifBytes(std::vector<uint8_t>(data, data + size));
    if (gif.loadGifData() == 0) return 0;
    if (gif.framesPending()) gif.decodeRemaining();
    int w = 37;
    int h = 23;
    gif.resize(w, h);
    auto target = raster::Surface::create(raster::Format::Rgb24, 37, 23);
    if (!target) return 0;
    const int frames = gif.frameCount() < 64 ? gif.frameCount() : 64;
    for (int k = 1; k <= frames; ++k)
        gif.paintFrame(k, *target);
    gif.setMirrored(3);
    gif.paintFrame(1, *target);
    gif.encodeFrameAsGif(frames);
    return 0;
}
