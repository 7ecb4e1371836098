#include "anigif/gif_decode.h"

#include "anigif/gif_lzw.h"

#include <algorithm>
#include <cstring>

namespace muto::anigif {

namespace {

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
    lzw::ContiguousCodes src(codes, size);
    return lzw::decode(src, minCodeSize, out, pixels, kLzwSlack).produced;
}

std::size_t decodeLzwBlocks(const uint8_t* blocks, const uint8_t* end, int minCodeSize,
                            uint8_t* out, std::size_t pixels, std::size_t slack) {
    if (blocks >= end) return 0;
    lzw::BlockCodes src(blocks, end);
    return lzw::decode(src, minCodeSize, out, pixels, slack).produced;
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
