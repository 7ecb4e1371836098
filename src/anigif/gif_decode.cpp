#include "anigif/gif_decode.h"

#include <algorithm>
#include <cstring>

namespace muto::anigif {

namespace {

inline uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;  // little-endian hosts only (x86-64, aarch64)
}

inline int lower(uint8_t c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

bool isGifSignature(std::span<const uint8_t> s) {
    if (s.size() < 6) return false;
    const char* a = "gif89a";
    const char* b = "gif87a";
    bool ma = true;
    bool mb = true;
    for (int i = 0; i < 6; ++i) {
        ma = ma && lower(s[static_cast<std::size_t>(i)]) == a[i];
        mb = mb && lower(s[static_cast<std::size_t>(i)]) == b[i];
    }
    return ma || mb;
}

// Display row of the i-th row of an interlaced image of the given height.
int interlacedRow(int i, int height) {
    const int pass1 = (height + 7) / 8;
    if (i < pass1) return i * 8;
    i -= pass1;
    const int pass2 = (height + 3) / 8;
    if (i < pass2) return 4 + i * 8;
    i -= pass2;
    const int pass3 = (height + 1) / 4;
    if (i < pass3) return 2 + i * 4;
    i -= pass3;
    return 1 + i * 2;
}

}  // namespace

std::size_t decodeLzw(const uint8_t* codes, std::size_t size, int minCodeSize, uint8_t* out,
                      std::size_t pixels) {
    if (minCodeSize < 1 || minCodeSize > 8 || pixels == 0) return 0;
    // Every table entry is a string that already stands in the output: it is found by its
    // position and length and copied straight into place, with no prefix chain to walk.
    uint32_t entryPos[4096];
    uint16_t entryLen[4096];
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int width = minCodeSize + 1;
    uint32_t mask = (1u << width) - 1;
    int next = end + 1;
    bool havePrev = false;
    std::size_t prevPos = 0;
    std::size_t prevLen = 0;

    const uint64_t totalBits = static_cast<uint64_t>(size) * 8;
    uint64_t consumed = 0;
    uint64_t acc = 0;
    int nbits = 0;
    std::size_t ip = 0;
    std::size_t op = 0;

    while (op < pixels) {
        if (consumed + static_cast<uint64_t>(width) > totalBits) break;
        if (nbits < width) {
            acc |= load64(codes + ip) << nbits;
            ip += static_cast<std::size_t>((63 - nbits) >> 3);
            nbits |= 56;
        }
        const int code = static_cast<int>(acc & mask);
        acc >>= width;
        nbits -= width;
        consumed += static_cast<uint64_t>(width);

        if (code == clear) {
            width = minCodeSize + 1;
            mask = (1u << width) - 1;
            next = end + 1;
            havePrev = false;
            continue;
        }
        if (code == end) break;

        std::size_t len;
        if (code < clear) {
            out[op] = static_cast<uint8_t>(code);
            len = 1;
        } else if (!havePrev) {
            break;  // a string code before any string: corrupt
        } else if (code < next) {
            len = entryLen[code];
            const uint8_t* src = out + entryPos[code];
            if (len <= 16) {
                // Over-copying is safe: the slack after the output absorbs it, and the bytes
                // past `len` are overwritten by the next string.
                uint64_t a = load64(src);
                uint64_t b = load64(src + 8);
                std::memcpy(out + op, &a, 8);
                std::memcpy(out + op + 8, &b, 8);
            } else {
                std::memcpy(out + op, src, len);
            }
        } else if (code == next) {
            // The string of the previous code followed by its own first byte.
            std::memcpy(out + op, out + prevPos, prevLen);
            out[op + prevLen] = out[prevPos];
            len = prevLen + 1;
        } else {
            break;  // a code beyond the table: corrupt
        }

        if (havePrev && next < 4096) {
            // The new entry is the previous string plus the first byte of this one, which
            // stand side by side in the output.
            entryPos[next] = static_cast<uint32_t>(prevPos);
            entryLen[next] = static_cast<uint16_t>(prevLen + 1);
            ++next;
            if (next >= (1 << width) && width < 12) {
                ++width;
                mask = (1u << width) - 1;
            }
        }
        havePrev = true;
        prevPos = op;
        prevLen = len;
        op += len;
    }
    return std::min(op, pixels);
}

bool decodeGifStream(std::span<const uint8_t> s, uint8_t* topRow, std::ptrdiff_t rowStep, int width,
                     int height, DecodeScratch& scratch) {
    if (s.size() < 13 || !isGifSignature(s)) return false;
    const std::size_t n = s.size();
    std::size_t p = 13;
    if (s[10] & 0x80) p += std::size_t{3} << ((s[10] & 7) + 1);
    for (;;) {
        if (p >= n) return false;
        const uint8_t b = s[p++];
        if (b == 0x00) continue;
        if (b == 0x21) {
            ++p;  // label
            for (;;) {
                if (p >= n) return false;
                const uint8_t len = s[p++];
                if (len == 0) break;
                p += len;
            }
            continue;
        }
        if (b != 0x2C) return false;
        if (p + 9 > n) return false;
        const int w = s[p + 4] | s[p + 5] << 8;
        const int h = s[p + 6] | s[p + 7] << 8;
        const uint8_t packed = s[p + 8];
        p += 9;
        if (packed & 0x80) p += std::size_t{3} << ((packed & 7) + 1);
        if (p >= n) return false;
        const int minCodeSize = s[p++];

        // Join the data sub-blocks; a chain cut short by the end of the stream keeps what is there.
        auto& codes = scratch.codes;
        codes.clear();
        while (p < n) {
            const std::size_t len = s[p++];
            if (len == 0) break;
            const std::size_t take = std::min(len, n - p);
            codes.insert(codes.end(), s.begin() + static_cast<std::ptrdiff_t>(p),
                         s.begin() + static_cast<std::ptrdiff_t>(p + take));
            p += take;
        }
        const std::size_t dataSize = codes.size();
        codes.resize(dataSize + kLzwPadding, 0);

        // An image larger than the destination is not the frame's (the decoded pixels are
        // buffered whole, so its declared size alone could ask for gigabytes).
        if (w <= 0 || h <= 0 || w > width || h > height) return false;
        const std::size_t pixelCount = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
        if (scratch.pixels.size() < pixelCount + kLzwSlack)
            scratch.pixels.resize(pixelCount + kLzwSlack);
        const std::size_t produced =
            decodeLzw(codes.data(), dataSize, minCodeSize, scratch.pixels.data(), pixelCount);
        if (produced == 0) return false;

        const bool interlaced = (packed & 0x40) != 0;
        const int copyWidth = std::min(w, width);
        for (std::size_t row = 0; row * static_cast<std::size_t>(w) < produced; ++row) {
            const int y =
                interlaced ? interlacedRow(static_cast<int>(row), h) : static_cast<int>(row);
            if (y >= height) continue;
            const std::size_t startIdx = row * static_cast<std::size_t>(w);
            const std::size_t avail = std::min<std::size_t>(copyWidth, produced - startIdx);
            std::memcpy(topRow + y * rowStep, scratch.pixels.data() + startIdx, avail);
        }
        return true;
    }
}

const std::array<uint8_t, 768>& indexRampTriples() {
    static const std::array<uint8_t, 768> ramp = [] {
        std::array<uint8_t, 768> r{};
        for (int i = 0; i < 256; ++i)
            r[static_cast<std::size_t>(3 * i + 2)] = static_cast<uint8_t>(i);
        return r;
    }();
    return ramp;
}

FrameStreamBuilder::FrameStreamBuilder(std::span<const uint8_t> gifBytes) : file_(gifBytes) {
    buffer_.assign(kHeadSize, 0);
    std::copy_n(file_.begin(), std::min<std::size_t>(13, file_.size()), buffer_.begin());
    buffer_[10] |= 0x87;
    const auto& ramp = indexRampTriples();
    std::copy(ramp.begin(), ramp.end(), buffer_.begin() + 13);
}

std::span<const uint8_t> FrameStreamBuilder::build(const GifFrameInfo& frame,
                                                   const FrameSpan& span) {
    const std::size_t n = file_.size();
    buffer_.resize(kHeadSize);
    // The logical screen becomes the frame's own size.
    buffer_[6] = static_cast<uint8_t>(frame.width);
    buffer_[7] = static_cast<uint8_t>(frame.width >> 8);
    buffer_[8] = static_cast<uint8_t>(frame.height);
    buffer_[9] = static_cast<uint8_t>(frame.height >> 8);
    // The graphic control extension, without its transparency flag.
    if (frame.position != span.start && frame.position >= 1 &&
        static_cast<std::size_t>(frame.position) + 7 <= n) {
        const std::size_t g = static_cast<std::size_t>(frame.position) - 1;
        buffer_.insert(buffer_.end(), file_.begin() + static_cast<std::ptrdiff_t>(g),
                       file_.begin() + static_cast<std::ptrdiff_t>(g + 8));
        // Only its first bytes are the file's: the block size and the terminator are set, so a
        // damaged extension cannot make the decoder read the image's bytes as blocks.
        buffer_[kHeadSize + 2] = 4;
        buffer_[kHeadSize + 3] &= 0xFE;
        buffer_[kHeadSize + 7] = 0;
    }
    // The image: its span, cut at the end of the data.
    const std::size_t first = static_cast<std::size_t>(std::max(span.start, 1)) - 1;
    const std::size_t last =
        std::min<std::size_t>(n, first + static_cast<std::size_t>(std::max(span.length, 0)));
    if (first < last) {
        const std::size_t at = buffer_.size();
        buffer_.insert(buffer_.end(), file_.begin() + static_cast<std::ptrdiff_t>(first),
                       file_.begin() + static_cast<std::ptrdiff_t>(last));
        const std::size_t len = last - first;
        for (std::size_t i = 1; i <= 4 && i < len; ++i)
            buffer_[at + i] = 0;  // left, top
        std::size_t tableBytes = 0;
        if (len > 9 && (buffer_[at + 9] & 0x80)) {
            tableBytes = std::size_t{3} << ((buffer_[at + 9] & 7) + 1);
            const auto& ramp = indexRampTriples();
            for (std::size_t i = 0; i < tableBytes && at + 10 + i < buffer_.size(); ++i)
                buffer_[at + 10 + i] = ramp[i];
        }
        if (first + static_cast<std::size_t>(std::max(span.length, 0)) > n) {
            // The data ends inside the sub-blocks: shorten the last one to what is there and
            // terminate the chain, so that the stream stays well formed.
            const std::size_t end = buffer_.size();
            std::size_t p = at + 10 + tableBytes + 1;
            while (p < end) {
                const std::size_t blockLen = buffer_[p];
                if (p + 1 + blockLen > end) {
                    buffer_[p] = static_cast<uint8_t>(end - p - 1);
                    break;
                }
                p += 1 + blockLen;
            }
            buffer_.push_back(0);
        }
    }
    buffer_.push_back(0x3B);
    return buffer_;
}

}  // namespace muto::anigif
