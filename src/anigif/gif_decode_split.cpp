// A large image decoded on two threads. LZW data cannot be entered at an arbitrary place, but a
// clear code resets the decoder completely: from one on, the rest of the data decodes on its own,
// to the same indices, only at an output offset that is not known until the part before it is
// decoded. So the part after a clear code near the middle goes to a buffer of its own, and is
// moved into place behind the first part once that part has ended exactly at the clear code.
#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "anigif/gif_decode.h"
#include "anigif/gif_lzw.h"
#include "anigif/side_by_side.h"

namespace muto::anigif {

namespace {

constexpr int kCutWidth = 12;  // clear codes are looked for among the widest codes
constexpr std::size_t kSearchBytes = 64 * 1024;

// A place in a chain of data sub-blocks: a block's length byte, and the data bytes before it in
// that block.
struct ChainPos {
    const uint8_t* block;
    std::size_t skip;
};

// Moves `at` on by `n` data bytes; false when the chain ends first.
bool advance(ChainPos& at, const uint8_t* end, std::size_t n) {
    const uint8_t* p = at.block;
    std::size_t skip = at.skip;
    std::size_t usual = 0;  // the length of the block before
    while (p < end && *p != 0) {
        // Blocks of the usual length are stepped over by that length rather than by the length
        // just read, so that the next block can be fetched before this one has arrived.
        if (*p == usual && skip == 0 && n >= usual &&
            static_cast<std::size_t>(end - p) > usual + 1) {
            n -= usual;
            p += usual + 1;
            continue;
        }
        const auto len = std::min<std::size_t>(*p, static_cast<std::size_t>(end - p - 1));
        usual = len;
        if (skip + n < len) {
            at = {p, skip + n};
            return true;
        }
        n -= len - skip;
        skip = 0;
        p += 1 + len;
    }
    return false;
}

// Joins up to `n` data bytes from `at` on into `dst`; returns how many there were.
std::size_t join(ChainPos at, const uint8_t* end, uint8_t* dst, std::size_t n) {
    std::size_t got = 0;
    const uint8_t* p = at.block;
    std::size_t skip = at.skip;
    while (got < n && p < end && *p != 0) {
        const auto len = std::min<std::size_t>(*p, static_cast<std::size_t>(end - p - 1));
        const std::size_t take = std::min(len - skip, n - got);
        std::memcpy(dst + got, p + 1 + skip, take);
        got += take;
        skip = 0;
        p += 1 + len;
    }
    return got;
}

// Whether the `count` codes from `bit` on read like codes after a clear code: each a literal, a
// string of the table, or the one string about to be made.
bool plausibleAfterClear(const uint8_t* data, std::size_t size, uint64_t bit, int minCodeSize,
                         int count) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int width = minCodeSize + 1;
    int next = end + 1;
    bool fresh = true;
    for (int i = 0; i < count; ++i) {
        if ((bit >> 3) + 8 > size) return false;
        const auto code =
            static_cast<int>((lzw::load64(data + (bit >> 3)) >> (bit & 7)) & ((1u << width) - 1));
        bit += static_cast<uint64_t>(width);
        if (code == clear) {
            width = minCodeSize + 1;
            next = end + 1;
            fresh = true;
            continue;
        }
        const bool known = code < next && (code < clear || code > end);
        if (!known && (code != next || fresh)) return false;
        if (next < 4096) {
            next += fresh ? 0 : 1;
            if (next >= (1 << width) && width < 12) ++width;
        }
        fresh = false;
    }
    return true;
}

// The first bit of `data` where a clear code of the widest codes seems to stand.
bool findCut(const uint8_t* data, std::size_t size, int minCodeSize, int checked, uint64_t& at) {
    const auto clear = static_cast<uint64_t>(1) << minCodeSize;
    if (size < 16) return false;
    const uint64_t last = static_cast<uint64_t>(size - 8) * 8;
    for (uint64_t b = 0; b < last; ++b) {
        if (((lzw::load64(data + (b >> 3)) >> (b & 7)) & 0xFFF) != clear) continue;
        if (plausibleAfterClear(data, size, b + kCutWidth, minCodeSize, checked)) {
            at = b;
            return true;
        }
    }
    return false;
}

// Copies `n` bytes of the mapped buffer `from` to `to`, giving `from` back a quarter megabyte at
// a time as soon as it is copied, so that the two never stand in memory side by side.
constexpr std::size_t kMoveChunk = std::size_t{1} << 18;
void moveOut(uint8_t* from, std::size_t n, uint8_t* to) {
    for (std::size_t done = 0; done < n; done += kMoveChunk) {
        const std::size_t k = std::min(kMoveChunk, n - done);
        std::memcpy(to + done, from + done, k);
        if (k == kMoveChunk) ::madvise(from + done, kMoveChunk, MADV_DONTNEED);
    }
}

}  // namespace

std::size_t decodeLzwBlocksSplit(const uint8_t* blocks, const uint8_t* end, int minCodeSize,
                                 uint8_t* out, std::size_t pixels, std::size_t slack,
                                 const SplitOptions& options, bool* joined) {
    if (joined) *joined = false;
    const auto alone = [&] {
        return decodeLzwBlocks(blocks, end, minCodeSize, out, pixels, slack);
    };
    if (blocks >= end || pixels < options.minPixels || minCodeSize < 1 || minCodeSize > 8 ||
        std::thread::hardware_concurrency() < 2)
        return alone();

    // The cut: a clear code a little after the middle of the data.
    const std::size_t middle = static_cast<std::size_t>(end - blocks) / 2 / 256 * 255;
    ChainPos nearMiddle{blocks, 0};
    if (!advance(nearMiddle, end, middle)) return alone();
    std::vector<uint8_t> near(kSearchBytes);
    const std::size_t got = join(nearMiddle, end, near.data(), near.size());
    uint64_t cutInNear = 0;
    if (!findCut(near.data(), got, minCodeSize, options.checkedCodes, cutInNear)) return alone();
    const uint64_t cut = static_cast<uint64_t>(middle) * 8 + cutInNear;
    ChainPos cutAt = nearMiddle;
    if (!advance(cutAt, end, static_cast<std::size_t>(cutInNear >> 3))) return alone();

    // The second part, from just after the clear code, into pages of its own: only those it
    // writes are taken.
    const std::size_t room = pixels + kLzwSlack;
    void* mem = ::mmap(nullptr, room, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mem == MAP_FAILED) return alone();
    auto* tail = static_cast<uint8_t*>(mem);
    lzw::Run first;
    lzw::Run second;
    sideBySide(
        [&] {
            lzw::BlockCodes src(blocks, end);
            first = lzw::decode(src, minCodeSize, out, pixels, slack, 0, cut);
        },
        [&] {
            lzw::BlockCodes src(cutAt.block, end, cutAt.skip);
            second = lzw::decode(src, minCodeSize, tail, pixels, kLzwSlack,
                                 static_cast<unsigned>(cut & 7) + kCutWidth);
        });

    std::size_t produced = first.produced;
    if (first.atBitLimit && first.bitsTaken == cut && first.width == kCutWidth) {
        // The first part ended right at the clear code: the second part follows it.
        const std::size_t n = std::min(second.produced, pixels - first.produced);
        // Two threads share the move, the first taking whole chunks.
        const std::size_t half = n / 2 / kMoveChunk * kMoveChunk;
        sideBySide([&] { moveOut(tail, half, out + first.produced); },
                   [&] { moveOut(tail + half, n - half, out + first.produced + half); });
        produced += n;
        if (joined) *joined = true;
    } else if (first.atBitLimit) {
        produced = alone();  // the bits only looked like a clear code
    }
    ::munmap(mem, room);
    return produced;
}

}  // namespace muto::anigif
