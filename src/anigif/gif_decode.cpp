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

namespace {

// Codes from one contiguous buffer followed by kLzwPadding readable bytes.
class ContiguousCodes {
public:
    ContiguousCodes(const uint8_t* codes, std::size_t size) : codes_(codes), size_(size) {}
    uint64_t bits() const { return static_cast<uint64_t>(size_) * 8; }
    // The stream from `base` on stands at the returned pointer; eight bytes can be read at every
    // offset up to `validEnd`.
    const uint8_t* window(std::size_t /*ip*/, std::size_t& base, std::size_t& validEnd) {
        base = 0;
        validEnd = SIZE_MAX / 2;
        return codes_;
    }

private:
    const uint8_t* codes_;
    std::size_t size_;
};

// Codes read straight from an image's data sub-blocks: the blocks are joined a few kilobytes at a
// time in a small window, never as a whole, so a large image costs no copy of its data.
class BlockCodes {
public:
    // `blocks` starts at the first sub-block's length byte; the chain is cut at `end`.
    BlockCodes(const uint8_t* blocks, const uint8_t* end) : next_(blocks), end_(end) {}
    // The data's size in bits, known once the window reached the end of the chain; until then
    // more than the decoder can reach.
    uint64_t bits() const { return done_ ? static_cast<uint64_t>(size_) * 8 : UINT64_MAX / 2; }
    // The window moved on to `ip` (see ContiguousCodes::window).
    const uint8_t* window(std::size_t ip, std::size_t& base, std::size_t& validEnd) {
        refill(ip);
        base = base_;
        validEnd = base_ + filled_ - 8;
        return window_;
    }

private:
    void refill(std::size_t ip) {
        const std::size_t keep = base_ + filled_ > ip ? base_ + filled_ - ip : 0;
        std::memmove(window_, window_ + (filled_ - keep), keep);
        base_ = ip;
        filled_ = keep;
        while (filled_ + 255 <= kWindow && !done_) {
            if (next_ >= end_ || *next_ == 0) {
                done_ = true;
                break;
            }
            const std::size_t len = *next_++;
            const std::size_t take =
                std::min<std::size_t>(len, static_cast<std::size_t>(end_ - next_));
            if (next_ + 256 <= end_)
                std::memcpy(window_ + filled_, next_, 256);  // a fixed size copies faster
            else
                std::memcpy(window_ + filled_, next_, take);
            filled_ += take;
            size_ += take;
            next_ += take;
        }
        if (done_) {
            // Past the data the bits read as zeros (the end-of-data test stops before them).
            std::memset(window_ + filled_, 0, 8);
            filled_ += 8;
        }
    }

    static constexpr std::size_t kWindow = 4096;
    uint8_t window_[kWindow + 256];
    const uint8_t* next_;
    const uint8_t* end_;
    std::size_t size_ = 0;    // data bytes taken from the chain so far
    std::size_t base_ = 0;    // stream offset of window_[0]
    std::size_t filled_ = 0;  // bytes in the window
    bool done_ = false;
};

// The decompressor. `slack` writable bytes follow the `pixels` of `out`: with at least 16 the
// short strings are copied 16 bytes at a time; without, every write stays inside `pixels`.
template <class Codes>
std::size_t lzw(Codes& src, int minCodeSize, uint8_t* out, std::size_t pixels, std::size_t slack) {
    if (minCodeSize < 1 || minCodeSize > 8 || pixels == 0) return 0;
    // Every string, literals included, is found where it already stands (the literal table or
    // the output) by its start and length, and copied straight into place: no prefix chain to
    // walk, and literals and longer strings take the same path.
    uint32_t entryPos[4096];
    uint16_t entryLen[4096];
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    for (int i = 0; i < clear; ++i) {
        entryPos[i] = static_cast<uint32_t>(i);
        entryLen[i] = 1;
    }
    int width = minCodeSize + 1;
    uint32_t mask = (1u << width) - 1;
    int nextLimit = 1 << width;
    int next = end + 1;
    // After a clear code (and at the start) no entry is added for the first string; `next`
    // then stays where it is for that one code.
    bool fresh = true;
    std::size_t prevPos = 0;
    std::size_t prevLen = 0;

    uint64_t totalBits = src.bits();
    const std::size_t limit = pixels + slack;
    uint64_t acc = 0;
    int nbits = 0;
    std::size_t ip = 0;
    std::size_t op = 0;
    std::size_t winBase = 0;
    std::size_t winValid = 0;
    const uint8_t* win = src.window(0, winBase, winValid);
    totalBits = src.bits();
    // Far from the end of the data no code needs the end-of-data test; it starts within the
    // last 16 bytes.
    bool nearEnd = totalBits < 128;

    while (op < pixels) {
        if (nbits < width) {
            if (ip > winValid) [[unlikely]] {
                win = src.window(ip, winBase, winValid);
                totalBits = src.bits();
            }
            acc |= load64(win + (ip - winBase)) << nbits;
            ip += static_cast<std::size_t>((63 - nbits) >> 3);
            nbits |= 56;
            nearEnd = static_cast<uint64_t>(ip) * 8 + 128 > totalBits;
        }
        // The bits taken so far are those loaded (ip bytes) less those still waiting in acc.
        if (nearEnd && static_cast<uint64_t>(ip) * 8 - static_cast<uint64_t>(nbits) +
                               static_cast<uint64_t>(width) >
                           totalBits)
            break;
        const int code = static_cast<int>(acc & mask);
        acc >>= width;
        nbits -= width;

        std::size_t len;
        if (code < next && (code < clear || code > end)) [[likely]] {
            len = entryLen[code];
            const uint8_t* from = out + entryPos[code];
            if (code < clear) {
                out[op] = static_cast<uint8_t>(code);
            } else if (len <= 16 && op + 16 <= limit) [[likely]] {
                // Over-copying is safe: the bytes past `len` are overwritten by the next string
                // or lie in the slack, and every source has 16 readable bytes.
                uint64_t a = load64(from);
                uint64_t b = load64(from + 8);
                std::memcpy(out + op, &a, 8);
                std::memcpy(out + op + 8, &b, 8);
            } else {
                std::memcpy(out + op, from, std::min(len, limit - op));
            }
        } else if (code == clear) {
            width = minCodeSize + 1;
            mask = (1u << width) - 1;
            nextLimit = 1 << width;
            next = end + 1;
            fresh = true;
            continue;
        } else if (code == end) {
            break;
        } else if (code == next && !fresh) {
            // The string of the previous code followed by its own first byte.
            const uint8_t first = out[prevPos];
            std::memcpy(out + op, out + prevPos, std::min(prevLen, limit - op));
            if (op + prevLen < limit) out[op + prevLen] = first;
            len = prevLen + 1;
        } else {
            break;  // a code beyond the table, or a string before any: corrupt
        }

        // The new entry is the previous string plus the first byte of this one, which stand
        // side by side in the output. After a clear it is not made (slot `next` is written but
        // not taken, and is written again by the next string).
        if (next < 4096) {
            entryPos[next] = static_cast<uint32_t>(prevPos);
            entryLen[next] = static_cast<uint16_t>(prevLen + 1);
            next += fresh ? 0 : 1;
            if (next >= nextLimit && width < 12) {
                ++width;
                mask = (1u << width) - 1;
                nextLimit = 1 << width;
            }
        }
        fresh = false;
        prevPos = op;
        prevLen = len;
        op += len;
    }
    return std::min(op, pixels);
}

}  // namespace

std::size_t decodeLzw(const uint8_t* codes, std::size_t size, int minCodeSize, uint8_t* out,
                      std::size_t pixels) {
    ContiguousCodes src(codes, size);
    return lzw(src, minCodeSize, out, pixels, kLzwSlack);
}

std::size_t decodeLzwBlocks(const uint8_t* blocks, const uint8_t* end, int minCodeSize,
                            uint8_t* out, std::size_t pixels, std::size_t slack) {
    if (blocks >= end) return 0;
    BlockCodes src(blocks, end);
    return lzw(src, minCodeSize, out, pixels, slack);
}

ImageHeader readImageHeader(std::span<const uint8_t> image) {
    ImageHeader h;
    if (image.size() < 10 || image[0] != 0x2C) return h;
    h.width = image[5] | image[6] << 8;
    h.height = image[7] | image[8] << 8;
    const uint8_t packed = image[9];
    h.interlaced = (packed & 0x40) != 0;
    std::size_t p = 10;
    if (packed & 0x80) p += std::size_t{3} << ((packed & 7) + 1);
    if (p >= image.size()) return h;
    h.minCodeSize = image[p];
    h.dataOffset = p + 1;
    h.valid = h.dataOffset < image.size();
    return h;
}

bool decodeImage(std::span<const uint8_t> image, uint8_t* topRow, std::ptrdiff_t rowStep, int width,
                 int height, DecodeScratch& scratch) {
    const ImageHeader hd = readImageHeader(image);
    if (!hd.valid) return false;
    const int w = hd.width;
    const int h = hd.height;
    // An image larger than the destination is not the frame's (the decoded pixels are
    // buffered whole, so its declared size alone could ask for gigabytes).
    if (w <= 0 || h <= 0 || w > width || h > height) return false;
    const std::size_t pixelCount = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (scratch.pixels.size() < pixelCount + kLzwSlack)
        scratch.pixels.resize(pixelCount + kLzwSlack);
    const std::size_t produced =
        decodeLzwBlocks(image.data() + hd.dataOffset, image.data() + image.size(), hd.minCodeSize,
                        scratch.pixels.data(), pixelCount, kLzwSlack);
    if (produced == 0) return false;

    const int copyWidth = std::min(w, width);
    for (std::size_t row = 0; row * static_cast<std::size_t>(w) < produced; ++row) {
        const int y =
            hd.interlaced ? interlacedRow(static_cast<int>(row), h) : static_cast<int>(row);
        if (y >= height) continue;
        const std::size_t startIdx = row * static_cast<std::size_t>(w);
        const std::size_t avail = std::min<std::size_t>(copyWidth, produced - startIdx);
        std::memcpy(topRow + y * rowStep, scratch.pixels.data() + startIdx, avail);
    }
    return true;
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
        return decodeImage(s.subspan(p - 1), topRow, rowStep, width, height, scratch);
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
