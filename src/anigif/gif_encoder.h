// GIF encoding: one indexed image as a complete one-frame GIF89a file in memory.
//
// The file layout is fixed: a 256-entry global colour table at offset 13, an optional graphic
// control extension (transparency only) at offset 781, then the image descriptor and the
// LZW-compressed pixels in sub-blocks of at most 254 bytes. The compressor is the classic
// hash-table LZW encoder (5003 entries, clear code once code 4096 would be needed), so the output
// is byte-for-byte reproducible.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace muto::anigif {

// Encodes one indexed image as a one-frame GIF89a with the layout and LZW encoder of the frame
// export. pixels: top-down rows, `stride` bytes apart, one colour index per byte.
// palette: 1..256 colours 0x00RRGGBB (missing entries are black). transparentIndex: -1 for none.
// Returns an empty vector when the size is not 1..65535 in both directions or pixels is null.
std::vector<uint8_t> encodeIndexedGif(int width, int height, const uint8_t* pixels, int stride,
                                      std::span<const uint32_t> palette, int transparentIndex = -1);

// The same, with rows `rowStep` bytes apart starting at the top row `topRow`; a negative step
// reads a bottom-up bitmap in place.
std::vector<uint8_t> encodeGifFrame(int width, int height, const uint8_t* topRow,
                                    std::ptrdiff_t rowStep, std::span<const uint32_t> palette,
                                    int transparentIndex);

// Offset of the image separator in an encoded file without transparency (13 + 768).
inline constexpr std::size_t kGifImageOffset = 781;

}  // namespace muto::anigif
