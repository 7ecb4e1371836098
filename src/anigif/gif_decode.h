// Decoding of GIF image data into colour indices: the LZW decompressor, a reader for one-image
// GIF streams, and the builder of the one-frame streams that each frame is re-wrapped into.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "anigif/gif_scan.h"

namespace muto::anigif {

// Reusable buffers of the decoder, so that decoding many frames allocates once.
struct DecodeScratch {
    std::vector<uint8_t> pixels;  // decoded indices in stream order, plus slack
};

// Decompresses GIF LZW data (`codes`, without sub-block lengths) with the given minimum code
// size into `out`. Stops at the end code, at the end of the data, at a corrupt code, or once
// `pixels` indices are written. `out` must hold pixels + kLzwSlack bytes and `codes` must be
// followed by kLzwPadding readable bytes. Returns the number of indices written (at most
// `pixels`), or 0 for an invalid minimum code size.
inline constexpr std::size_t kLzwSlack = 4096 + 16;
inline constexpr std::size_t kLzwPadding = 16;
std::size_t decodeLzw(const uint8_t* codes, std::size_t size, int minCodeSize, uint8_t* out,
                      std::size_t pixels);

// The same for codes still in their data sub-blocks: `blocks` is the first block's length byte,
// the chain is cut at `end`. `slack` writable bytes follow the pixels of `out` (0 is allowed: the
// decoder then never writes past them).
std::size_t decodeLzwBlocks(const uint8_t* blocks, const uint8_t* end, int minCodeSize,
                            uint8_t* out, std::size_t pixels, std::size_t slack);

// The image descriptor at the start of `image` (its image separator).
struct ImageHeader {
    bool valid = false;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    int minCodeSize = 0;
    std::size_t dataOffset = 0;  // of the first sub-block's length byte
};
ImageHeader readImageHeader(std::span<const uint8_t> image);

// Decodes one image (from its image separator through its data sub-blocks, as found in the file)
// like decodeGifStream below.
bool decodeImage(std::span<const uint8_t> image, uint8_t* topRow, std::ptrdiff_t rowStep, int width,
                 int height, DecodeScratch& scratch);

// Decodes the first image of a GIF stream into a width x height destination whose top row is
// `topRow`, rows `rowStep` bytes apart (negative for a bottom-up bitmap). Interlaced rows land in
// display order. Rows that the data does not reach are left as they are. Returns false when the
// stream holds no decodable image or its image is wider or taller than the destination (the
// destination is then untouched).
bool decodeGifStream(std::span<const uint8_t> stream, uint8_t* topRow, std::ptrdiff_t rowStep,
                     int width, int height, DecodeScratch& scratch);

// The colour table whose entry i is red 0, green 0, blue i, as 256 RGB triples.
const std::array<uint8_t, 768>& indexRampTriples();

// Re-wraps frame k of a scanned file as a stand-alone one-frame GIF stream whose colour tables
// are all the index ramp, so that decoding it yields the file's colour indices.
class FrameStreamBuilder {
public:
    // Offset (0-based) where the optional graphic control extension starts.
    static constexpr std::size_t kHeadSize = 781;

    explicit FrameStreamBuilder(std::span<const uint8_t> gifBytes);
    // Builds the stream of one frame; the span is cut at the end of the data.
    std::span<const uint8_t> build(const GifFrameInfo& frame, const FrameSpan& span);

private:
    std::span<const uint8_t> file_;
    std::vector<uint8_t> buffer_;
};

}  // namespace muto::anigif
