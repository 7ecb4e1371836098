// Fuzz target: structure scan, frame decoding, composition and export of arbitrary bytes.
//
// Besides surviving the input, it checks two properties and traps when one fails:
// - every exported frame reads back through our own decoder with the same size, colour indices,
//   colour table and transparency as the frame it came from;
// - cutting the file short never indexes more frames than the whole file does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "anigif/anigif.h"
#include "anigif/gif_decode.h"
#include "anigif/gif_scan.h"
#include "platform/raster/raster.h"

namespace {

using namespace muto;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// Bytes one surface may take for an input of `size` bytes. The faults we look for do not need
// big pictures, but the time of one run grows with the pixels: zero-filling the strip, mirroring
// it and re-encoding a frame touch every byte. A few dozen header bytes can declare a 65535 x
// 65535 frame, so without a bound most of the time goes into clearing empty slots. 64 KiB lets
// any input reach 256 x 256 frames (LZW table resets, every interlace pass, many sub-blocks);
// beyond that a surface may take 64 bytes per input byte, up to 1 MiB.
std::size_t surfaceLimit(std::size_t size) {
    return std::min<std::size_t>(std::size_t{1} << 20, (std::size_t{64} << 10) + 64 * size);
}

// The exported frame k of `gif` loads as one frame equal to the one it was made from.
void checkExport(const anigif::AniGif& gif, int k) {
    const auto out = gif.encodeFrameAsGif(k);
    if (out.empty()) return;
    const anigif::GifFrameInfo& f = gif.frame(k);
    anigif::AniGif back;
    back.setRunMode(true);
    back.setDelayAnimation(0);
    back.setStretch(anigif::Stretch::Resize);
    back.setGifBytes(out);
    check(back.loadGifData() == 1);
    const anigif::GifFrameInfo& g = back.frame(1);
    check(g.left == 0 && g.top == 0 && g.width == f.width && g.height == f.height);
    check(g.transparent == f.transparent);
    if (f.transparent) check(g.transparentIndex == f.transparentIndex);
    check(back.frameIndices(1) == gif.frameIndices(k));
    // The export carries the frame's table in a 256-entry global table, black beyond it.
    std::vector<uint32_t> table;
    check(back.getPalette(0, table) && table.size() == 256);
    std::vector<uint32_t> source;
    if (!gif.getPalette(f.paletteIndex == 0 ? 0 : k, source)) source.clear();
    for (std::size_t i = 0; i < table.size(); ++i)
        check(table[i] == (i < source.size() ? source[i] : 0));
}

int scannedFrames(std::span<const uint8_t> bytes, anigif::GifError* stoppedBy = nullptr) {
    anigif::GifStructure s;
    const int n = anigif::scanGifStructure(bytes, s);
    if (stoppedBy) *stoppedBy = s.stoppedBy;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);

    // A file cut short never holds more frames than the whole file. The one exception is a whole
    // file that is refused because a later image has no colour table at all.
    anigif::GifError wholeStop = anigif::GifError::None;
    const int whole = scannedFrames(input, &wholeStop);
    if (wholeStop != anigif::GifError::NoColourTable) {
        const std::size_t cuts[] = {size / 4, size / 2, size - size / 4, size ? size - 1 : 0,
                                    size ? data[0] % size : 0};
        for (std::size_t n : cuts)
            check(scannedFrames(input.first(n)) <= whole);
    }

    raster::Surface::setByteLimit(surfaceLimit(size));
    anigif::AniGif gif;
    gif.setRunMode(true);
    gif.setDelayAnimation(size % 2 ? 0 : 1);
    gif.setStretch(anigif::Stretch::Fit);
    gif.setClientSize(37, 23);
    gif.setGifBytes(std::vector<uint8_t>(data, data + size));
    const int32_t loaded = gif.loadGifData();
    if (loaded == 0) return 0;
    check(loaded == whole);
    if (gif.framesPending()) gif.decodeRemaining();
    int w = 37;
    int h = 23;
    gif.resize(w, h);
    auto target = raster::Surface::create(raster::Format::Rgb24, 37, 23);
    if (!target) return 0;
    const int frames = std::min(gif.frameCount(), 64);
    for (int k = 1; k <= frames; ++k)
        gif.paintFrame(k, *target);
    checkExport(gif, 1);
    gif.setMirrored(3);
    gif.paintFrame(1, *target);
    checkExport(gif, frames);
    return 0;
}
