#include "anigif/gif_encoder.h"

#include <algorithm>
#include <array>

namespace muto::anigif {

namespace {

constexpr int kHashSize = 5003;
constexpr int kClearCode = 256;
constexpr int kEndCode = 257;
constexpr int kFirstFree = 258;
constexpr int kMaxCodes = 4096;
constexpr int kSubBlockMax = 254;

// Packs codes least significant bit first into data sub-blocks of at most 254 bytes, written
// straight into the output: the length byte is reserved when a block starts and patched when
// it is closed. The output is sized for the worst case up front (every pixel a 12-bit code).
class CodeWriter {
public:
    CodeWriter(std::vector<uint8_t>& out, std::size_t pixels) : out_(out), base_(out.size()) {
        out_.resize(base_ + pixels * 2 + pixels / 127 + 64);
        p_ = out_.data() + base_;
    }

    void put(int code, int width) {
        acc_ |= static_cast<uint32_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            putByte(static_cast<uint8_t>(acc_ & 0xFF));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }

    // Writes the last bits and closes the block; the output ends after the data.
    void flush() {
        if (bits_ > 0) putByte(static_cast<uint8_t>(acc_ & 0xFF));
        acc_ = 0;
        bits_ = 0;
        closeBlock();
        out_.resize(static_cast<std::size_t>(p_ - out_.data()));
    }

private:
    void putByte(uint8_t b) {
        if (fill_ == 0) lengthByte_ = p_++;
        *p_++ = b;
        if (++fill_ == kSubBlockMax) closeBlock();
    }

    void closeBlock() {
        if (fill_ == 0) return;
        *lengthByte_ = static_cast<uint8_t>(fill_);
        fill_ = 0;
    }

    std::vector<uint8_t>& out_;
    std::size_t base_;
    uint8_t* p_ = nullptr;
    uint8_t* lengthByte_ = nullptr;
    uint32_t acc_ = 0;
    int bits_ = 0;
    int fill_ = 0;
};

void encodeLzw(int width, int height, const uint8_t* topRow, std::ptrdiff_t rowStep,
               std::vector<uint8_t>& out) {
    std::array<int32_t, kHashSize> hash;
    std::array<int32_t, kHashSize> codes{};
    hash.fill(-1);
    int codeWidth = 9;
    int maxCode = (1 << codeWidth) - 1;
    int freeCode = kFirstFree;

    CodeWriter writer(out, static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    writer.put(kClearCode, codeWidth);
    int ent = topRow[0];
    const uint8_t* row = topRow;
    int x = 1;
    for (int y = 0; y < height; ++y, row += rowStep, x = 0) {
        for (; x < width; ++x) {
            const int c = row[x];
            const int32_t key = (c << 12) + ent;
            int i = (c << 4) ^ ent;
            if (i >= kHashSize) i = 0;
            if (hash[i] == key) {
                ent = codes[i];
                continue;
            }
            if (hash[i] >= 0) {
                const int step = i == 0 ? 1 : kHashSize - i;
                bool found = false;
                do {
                    i -= step;
                    if (i < 0) i += kHashSize;
                    if (hash[i] == key) {
                        found = true;
                        break;
                    }
                } while (hash[i] > 0);
                if (found) {
                    ent = codes[i];
                    continue;
                }
            }
            writer.put(ent, codeWidth);
            ent = c;
            codes[i] = freeCode;
            hash[i] = key;
            if (freeCode > maxCode) {
                if (freeCode == kMaxCodes) {
                    writer.put(kClearCode, codeWidth);
                    hash.fill(-1);
                    codeWidth = 9;
                    freeCode = kFirstFree - 1;
                } else {
                    ++codeWidth;
                }
                maxCode = (1 << codeWidth) - 1;
            }
            ++freeCode;
        }
    }
    writer.put(ent, codeWidth);
    writer.put(kEndCode, codeWidth);
    writer.flush();
}

void putWord(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

}  // namespace

std::vector<uint8_t> encodeGifFrame(int width, int height, const uint8_t* topRow,
                                    std::ptrdiff_t rowStep, std::span<const uint32_t> palette,
                                    int transparentIndex) {
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF || topRow == nullptr)
        return {};
    std::vector<uint8_t> out;
    out.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) / 2 + 801);
    const char* sig = "GIF89a";
    out.insert(out.end(), sig, sig + 6);
    putWord(out, width);
    putWord(out, height);
    out.push_back(0x87);
    out.push_back(0);
    out.push_back(0);
    const std::size_t count = std::min<std::size_t>(palette.size(), 256);
    for (std::size_t i = 0; i < 256; ++i) {
        const uint32_t c = i < count ? palette[i] : 0;
        out.push_back(static_cast<uint8_t>(c >> 16));
        out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c));
    }
    if (transparentIndex >= 0 && transparentIndex <= 255) {
        const uint8_t gce[8] = {
            0x21, 0xF9, 0x04, 0x01, 0, 0, static_cast<uint8_t>(transparentIndex), 0};
        out.insert(out.end(), gce, gce + 8);
    }
    out.push_back(0x2C);
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, width);
    putWord(out, height);
    out.push_back(0);
    out.push_back(8);
    encodeLzw(width, height, topRow, rowStep, out);
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

std::vector<uint8_t> encodeIndexedGif(int width, int height, const uint8_t* pixels, int stride,
                                      std::span<const uint32_t> palette, int transparentIndex) {
    return encodeGifFrame(width, height, pixels, stride, palette, transparentIndex);
}

}  // namespace muto::anigif
