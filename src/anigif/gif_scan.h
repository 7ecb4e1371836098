// Indexing of a GIF file's block structure: frame records, image spans, colour tables, canvas
// size and loop count. Nothing is decompressed here.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace muto::anigif {

// The named failures of the GIF reader.
enum class GifError {
    None,
    EndOfFile,      // reading past the end of the data (absorbed by the scan)
    BadSignature,   // not "GIF87a"/"GIF89a" in any letter case
    NoColourTable,  // an image without local table in a file without global table
    TooManyFrames,  // the 32768th image (absorbed by the scan)
    SurfaceFailed,  // an off-screen surface could not be created (too large)
    NotLoaded,      // nothing to work on
};

// Short text for messages.
std::string_view gifErrorText(GifError e);

// The reader's failure as the original control raised it: number, source, description.
struct RaisedError {
    int number = 0;
    std::string_view source;
    std::string_view description;
};
inline constexpr RaisedError kEndOfFileError{53, "ReadGifFile", "End of File"};

struct GifFrameInfo {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t delay = 0;         // milliseconds
    int32_t paletteIndex = 0;  // 0 global table, k the k-th local table
    // While scanning: 1-based index of the graphic control extension (or of the image separator
    // without one). Once decoded: the x of the frame's slot in the frame strip.
    int32_t position = 0;
    uint8_t transparentIndex = 0;
    uint8_t transparent = 0;
    uint8_t disposal = 0;
};

// Bytes of one image: from the image separator (1-based `start`) through the terminator of its
// data sub-blocks. The span of a truncated last image reaches past the end of the data.
struct FrameSpan {
    int32_t length = 0;
    int32_t start = 0;
};

// Colour tables: column 0 the global table, column k the k-th local table. Entries 0..255 are
// 0x00RRGGBB, entry 256 the number of entries (0 for a missing global table).
class PaletteTable {
public:
    using Column = std::array<uint32_t, 257>;
    int columns() const { return static_cast<int>(cols_.size()); }
    void grow(int lastColumn) {
        if (lastColumn >= columns())
            cols_.resize(static_cast<std::size_t>(lastColumn) + 1, Column{});
    }
    Column& column(int c) { return cols_[static_cast<std::size_t>(c)]; }
    const Column& column(int c) const { return cols_[static_cast<std::size_t>(c)]; }
    int count(int c) const {
        return c >= 0 && c < columns() ? static_cast<int>(column(c)[256]) : 0;
    }
    std::span<const uint32_t> entries(int c) const {
        const int n = count(c);
        if (n <= 0) return {};
        return {column(c).data(), static_cast<std::size_t>(std::min(n, 256))};
    }
    void clear() { cols_.clear(); }

private:
    std::vector<Column> cols_;
};

struct GifStructure {
    std::vector<GifFrameInfo> frames;  // frame k is frames[k - 1]
    std::vector<FrameSpan> spans;      // span of frame k is spans[k]; spans[0] stays empty
    PaletteTable palettes;
    int32_t localTables = 0;
    int32_t actualWidth = 0;
    int32_t actualHeight = 0;
    int32_t loops = 0;
    bool hasGlobalTable = false;
    // Why the scan stopped early, if it did: EndOfFile or TooManyFrames (absorbed), or the
    // rejection (BadSignature, NoColourTable) when it returned 0.
    GifError stoppedBy = GifError::None;
};

inline constexpr int kMaxGifFrames = 32767;

// Walks the blocks of `bytes` once and indexes them into `out` (which is reset). Returns the
// number of frames indexed; 0 when the file is rejected or holds no complete image.
int scanGifStructure(std::span<const uint8_t> bytes, GifStructure& out);

}  // namespace muto::anigif
