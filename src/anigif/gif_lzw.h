// The LZW decompressor behind the image decoders, and the two ways it reads its codes: from one
// contiguous buffer, or straight from an image's data sub-blocks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace muto::anigif::lzw {

inline uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;  // little-endian hosts only (x86-64, aarch64)
}

inline constexpr uint64_t kNoBitLimit = UINT64_MAX / 2;

// Codes from one contiguous buffer followed by 16 readable bytes.
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
    // `blocks` is a sub-block's length byte; the chain is cut at `end`. The stream starts `skip`
    // data bytes into that block.
    BlockCodes(const uint8_t* blocks, const uint8_t* end, std::size_t skip = 0)
        : next_(blocks), end_(end), skip_(skip) {}
    // The data's size in bits, known once the window reached the end of the chain; until then
    // more than the decoder can reach.
    uint64_t bits() const { return done_ ? static_cast<uint64_t>(size_) * 8 : kNoBitLimit; }
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
            std::size_t take = std::min<std::size_t>(len, static_cast<std::size_t>(end_ - next_));
            if (skip_ > 0) {
                const std::size_t s = std::min(skip_, take);
                next_ += s;
                take -= s;
                skip_ = 0;
            }
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
    std::size_t skip_;
    std::size_t size_ = 0;    // data bytes taken from the chain so far
    std::size_t base_ = 0;    // stream offset of window_[0]
    std::size_t filled_ = 0;  // bytes in the window
    bool done_ = false;
};

// How a run of the decompressor ended.
struct Run {
    std::size_t produced = 0;  // indices written, at most the pixels asked for
    uint64_t bitsTaken = 0;    // bits of the stream consumed
    int width = 0;             // the code width then
    bool atBitLimit = false;   // the next code would have passed the end of the data or the limit
};

// The decompressor. `slack` writable bytes follow the `pixels` of `out`: with at least 16 the
// short strings are copied 16 bytes at a time; without, every write stays inside `pixels`.
// The stream's first `firstBit` bits (fewer than 48) are passed over, and the run ends before a
// code that would reach past bit `bitLimit`.
template <class Codes>
Run decode(Codes& src, int minCodeSize, uint8_t* out, std::size_t pixels, std::size_t slack,
           unsigned firstBit = 0, uint64_t bitLimit = kNoBitLimit) {
    Run run;
    if (minCodeSize < 1 || minCodeSize > 8 || pixels == 0) return run;
    // Every string is found where it already stands in the output, by its start and length, and
    // copied straight into place: no prefix chain to walk. Slot 4096 takes the entry a full
    // table would make, and slot `end` the one that the first string after a clear does not.
    uint32_t entryPos[4097];
    uint16_t entryLen[4097];
    const uint32_t clear = 1u << minCodeSize;
    const uint32_t end = clear + 1;
    uint32_t width = static_cast<uint32_t>(minCodeSize) + 1;
    uint32_t mask = (1u << width) - 1;
    uint32_t nextLimit = 1u << width;
    uint32_t next = end;  // `end` + 1 once the first string after a clear is read
    std::size_t prevPos = 0;
    std::size_t prevLen = 0;
    const std::size_t limit = pixels + slack;
    std::size_t op = 0;

    // Codes are read at bit `rel` of the window, which starts at byte `winBase` of the stream.
    // The next `budget` codes need no new window, no end-of-data test and no test of the output's
    // end: each takes at most 12 bits and makes at most 4097 indices.
    std::size_t winBase = 0;
    std::size_t winValid = 0;
    const uint8_t* win = src.window(0, winBase, winValid);
    uint64_t totalBits = std::min(src.bits(), bitLimit);
    uint64_t rel = firstBit;
    uint64_t budget = 0;

    for (;;) {
        if (budget == 0) [[unlikely]] {
            if (op >= pixels) break;
            if ((rel >> 3) > winValid - winBase) {
                const std::size_t at = winBase + static_cast<std::size_t>(rel >> 3);
                const uint64_t bit = rel & 7;
                win = src.window(at, winBase, winValid);
                rel = static_cast<uint64_t>(at - winBase) * 8 + bit;
                totalBits = std::min(src.bits(), bitLimit);
            }
            const uint64_t base = static_cast<uint64_t>(winBase) * 8;
            if (base + rel + width > totalBits) {
                run.atBitLimit = true;
                break;
            }
            // Codes may start below `fastEnd`: eight bytes are readable there, and a code of 12
            // bits still ends within the data.
            const uint64_t byWindow =
                std::min<uint64_t>(winValid - winBase + 1, uint64_t{1} << 56) * 8;
            const uint64_t byData = totalBits >= base + 12 ? totalBits - base - 11 : 0;
            const uint64_t fastEnd = std::min(byWindow, byData);
            const uint64_t byBits = fastEnd > rel ? (fastEnd - rel - 1) / 12 + 1 : 1;
            const uint64_t byOutput = (pixels - op - 1) / 4097 + 1;
            budget = std::min(byBits, byOutput);
        }
        --budget;
        const auto code = static_cast<uint32_t>((load64(win + (rel >> 3)) >> (rel & 7)) & mask);
        rel += width;

        std::size_t len;
        if (code < clear) {
            out[op] = static_cast<uint8_t>(code);
            len = 1;
        } else if (code > end && code < next) {
            len = entryLen[code];
            const uint8_t* from = out + entryPos[code];
            if (len <= 16 && op + 16 <= limit) [[likely]] {
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
            width = static_cast<uint32_t>(minCodeSize) + 1;
            mask = (1u << width) - 1;
            nextLimit = 1u << width;
            next = end;
            continue;
        } else if (code == end) {
            break;
        } else if (code == next) {
            // The string of the previous code followed by its own first byte.
            const uint8_t first = out[prevPos];
            std::memcpy(out + op, out + prevPos, std::min(prevLen, limit - op));
            if (op + prevLen < limit) out[op + prevLen] = first;
            len = prevLen + 1;
        } else {
            break;  // a code beyond the table, or a string before any: corrupt
        }

        // The new entry is the previous string plus the first byte of this one, which stand
        // side by side in the output.
        entryPos[next] = static_cast<uint32_t>(prevPos);
        entryLen[next] = static_cast<uint16_t>(prevLen + 1);
        if (++next >= nextLimit) [[unlikely]] {
            if (width < 12) {
                ++width;
                mask = (1u << width) - 1;
                nextLimit = 1u << width;
            } else {
                // Full: the table stays as it is until a clear code, and the entries the
                // strings would make go to slot 4096.
                next = 4096;
                nextLimit = 4097;
            }
        }
        prevPos = op;
        prevLen = len;
        op += len;
    }
    run.produced = std::min(op, pixels);
    run.bitsTaken = static_cast<uint64_t>(winBase) * 8 + rel;
    run.width = static_cast<int>(width);
    return run;
}

}  // namespace muto::anigif::lzw
