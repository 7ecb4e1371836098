#include "anigif/gif_scan.h"

#include <algorithm>
#include <cctype>

namespace muto::anigif {

std::string_view gifErrorText(GifError e) {
    switch (e) {
        case GifError::None:
            return "no error";
        case GifError::EndOfFile:
            return "unexpected end of file";
        case GifError::BadSignature:
            return "not a GIF file";
        case GifError::NoColourTable:
            return "an image has no colour table";
        case GifError::TooManyFrames:
            return "too many frames";
        case GifError::SurfaceFailed:
            return "the frames are too large";
        case GifError::NotLoaded:
            return "no frames";
    }
    return "unknown error";
}

namespace {

// Reads the data with a 1-based position, as the structure rules are written. A read past the
// end leaves the position alone and records error 53 ("ReadGifFile", "End of File").
class GifReader {
public:
    explicit GifReader(std::span<const uint8_t> data) : data_(data) {}

    static constexpr int64_t kPrefetchAhead = 2048;
    int64_t pos = 1;
    bool failed = false;
    RaisedError error{};

    int64_t size() const { return static_cast<int64_t>(data_.size()); }
    uint8_t at(int64_t p) const { return data_[static_cast<std::size_t>(p - 1)]; }

    bool readByte(uint8_t& b) {
        if (pos < 1 || pos > size()) return raise();
        b = at(pos);
        ++pos;
        return true;
    }
    bool readWord(uint32_t& w) {
        if (pos < 1 || pos + 1 > size()) return raise();
        w = static_cast<uint32_t>(at(pos)) | static_cast<uint32_t>(at(pos + 1)) << 8;
        pos += 2;
        return true;
    }
    // n bytes into the scratch buffer. When they are not all there the buffer holds zeros, the
    // position stays and the end of the data is raised like any other short read.
    bool readBytes(int n, std::vector<uint8_t>& scratch) {
        scratch.assign(static_cast<std::size_t>(n), 0);
        if (pos < 1 || pos + n - 1 > size()) return raise();
        for (int i = 0; i < n; ++i)
            scratch[static_cast<std::size_t>(i)] = at(pos + i);
        pos += n;
        return true;
    }
    void skipSubBlocks() {
        int usual = -1;  // the length of the block before
        while (pos >= 1 && pos <= size()) {
            // Each length byte says where the next one is: fetching the data a little ahead
            // keeps this walk over a large image from waiting on memory at every block.
            if (pos + kPrefetchAhead + 256 <= size())
                for (int64_t line = 0; line < 256; line += 64)
                    __builtin_prefetch(data_.data() + pos + kPrefetchAhead + line);
            const uint8_t n = at(pos);
            // A block of the usual length is stepped over by that length, not by the byte just
            // read, so that the walk need not wait for it before going on.
            if (n == usual) [[likely]] {
                pos += usual + 1;
                continue;
            }
            if (n == 0) break;
            usual = n;
            pos += n + 1;
        }
        pos += 1;
    }
    bool readColorTable(PaletteTable& table, int column, int bits) {
        table.grow(column);
        const int count = 1 << bits;
        if (pos < 1 || pos + 3 * count - 1 > size()) return raise();
        auto& col = table.column(column);
        for (int i = 0; i < count; ++i) {
            col[static_cast<std::size_t>(i)] = static_cast<uint32_t>(at(pos)) << 16 |
                                               static_cast<uint32_t>(at(pos + 1)) << 8 |
                                               at(pos + 2);
            pos += 3;
        }
        col[256] = static_cast<uint32_t>(count);
        return true;
    }

private:
    bool raise() {
        failed = true;
        error = kEndOfFileError;
        return false;
    }
    std::span<const uint8_t> data_;
};

bool textEqualsIgnoringCase(const std::vector<uint8_t>& bytes, std::string_view text) {
    if (bytes.size() != text.size()) return false;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (std::tolower(bytes[i]) != std::tolower(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// The scan proper. Returns false for the two rejections; otherwise ends (normally or at the first
// reader error) with the complete frames in `out`.
bool scan(GifReader& r, GifStructure& out) {
    std::vector<uint8_t> scratch;
    r.readBytes(6, scratch);
    if (!textEqualsIgnoringCase(scratch, "gif89a") && !textEqualsIgnoringCase(scratch, "gif87a")) {
        out.stoppedBy = GifError::BadSignature;
        return false;
    }
    r.pos = 11;
    uint8_t packed = 0;
    if (!r.readByte(packed)) return true;
    r.pos = 14;
    if (packed & 0x80) {
        if (!r.readColorTable(out.palettes, 0, (packed & 7) + 1)) return true;
        out.hasGlobalTable = true;
    }

    int k = 0;
    GifFrameInfo pending;
    for (;;) {
        uint8_t b = 0;
        if (!r.readByte(b)) return true;
        if (b == 0x00) continue;
        if (b == 0x21) {
            uint8_t label = 0;
            if (!r.readByte(label)) return true;
            if (label == 0xFF) {
                uint8_t n = 0;
                if (!r.readByte(n)) return true;
                // A cut identifier ends the scan: skipping sub-blocks from inside it would read
                // its bytes as block lengths and could index frames that the file does not hold.
                if (!r.readBytes(n, scratch)) return true;
                if (textEqualsIgnoringCase(scratch, "NETSCAPE2.0")) {
                    uint8_t s = 0;
                    if (!r.readByte(s)) return true;
                    if (s == 3) {
                        r.pos += 1;
                        uint32_t loops = 0;
                        if (!r.readWord(loops)) return true;
                        out.loops = static_cast<int32_t>(loops);
                    } else {
                        r.pos -= 1;
                    }
                }
                r.skipSubBlocks();
            } else if (label == 0xF9) {
                pending = GifFrameInfo{};
                pending.position = static_cast<int32_t>(r.pos - 2);
                uint8_t blockSize = 0;
                uint8_t gcePacked = 0;
                if (!r.readByte(blockSize) || !r.readByte(gcePacked)) return true;
                pending.disposal = static_cast<uint8_t>((gcePacked >> 2) & 3);
                if (pending.disposal == 3 && k == 0) pending.disposal = 0;
                uint32_t delay = 0;
                if (!r.readWord(delay)) return true;
                pending.delay = static_cast<int32_t>(delay) * 10;
                pending.transparent = gcePacked & 1;
                if (pending.transparent) {
                    if (!r.readByte(pending.transparentIndex)) return true;
                } else {
                    r.pos = pending.position + 7;
                }
                r.skipSubBlocks();
            } else {
                r.skipSubBlocks();
            }
        } else if (b == 0x2C) {
            if (k >= kMaxGifFrames) {
                out.stoppedBy = GifError::TooManyFrames;
                return true;
            }
            FrameSpan span;
            span.start = static_cast<int32_t>(r.pos - 1);
            if (pending.position == 0) pending.position = span.start;
            uint32_t left = 0, top = 0, width = 0, height = 0;
            if (!r.readWord(left) || !r.readWord(top) || !r.readWord(width) || !r.readWord(height))
                return true;
            pending.left = static_cast<int32_t>(left);
            pending.top = static_cast<int32_t>(top);
            pending.width = static_cast<int32_t>(width);
            pending.height = static_cast<int32_t>(height);
            uint8_t imagePacked = 0;
            if (!r.readByte(imagePacked)) return true;
            if (imagePacked & 0x80) {
                out.localTables += 1;
                pending.paletteIndex = out.localTables;
                if (!r.readColorTable(out.palettes, out.localTables, (imagePacked & 7) + 1))
                    return true;
            } else if (!out.hasGlobalTable) {
                out.stoppedBy = GifError::NoColourTable;
                return false;
            }
            uint8_t minCodeSize = 0;
            if (!r.readByte(minCodeSize)) return true;
            r.skipSubBlocks();
            const int64_t length = r.pos - span.start;
            span.length = static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
            if (length >= 3) {
                ++k;
                out.frames.push_back(pending);
                if (static_cast<int>(out.spans.size()) <= k) out.spans.resize(k + 5);
                out.spans[static_cast<std::size_t>(k)] = span;
                out.actualWidth = std::max(out.actualWidth, pending.left + pending.width);
                out.actualHeight = std::max(out.actualHeight, pending.top + pending.height);
            }
            pending = GifFrameInfo{};
        } else {
            return true;
        }
    }
}

}  // namespace

int scanGifStructure(std::span<const uint8_t> bytes, GifStructure& out) {
    out = GifStructure{};
    out.spans.resize(11);
    GifReader reader(bytes);
    const bool kept = scan(reader, out);
    if (!kept) {
        out.frames.clear();
        out.spans.clear();
        out.palettes.clear();
        out.actualWidth = out.actualHeight = 0;
        return 0;
    }
    if (reader.failed && out.stoppedBy == GifError::None) out.stoppedBy = GifError::EndOfFile;
    return static_cast<int>(out.frames.size());
}

}  // namespace muto::anigif
