// The file bytes of a GIF, held once: the caller hands its vector over, and a clear gives the
// memory back at once (the control drops the bytes when every frame is decoded).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace muto::anigif {

// The largest GIF file the program reads or downloads.
inline constexpr std::size_t kGifFileLimit = std::size_t{64} << 20;

class GifBytes {
public:
    GifBytes() = default;
    GifBytes(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}  // NOLINT: implicit
    GifBytes(GifBytes&&) noexcept = default;
    GifBytes& operator=(GifBytes&&) noexcept = default;

    std::span<const uint8_t> span() const { return bytes_; }
    operator std::span<const uint8_t>() const { return span(); }  // NOLINT: implicit
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    const uint8_t* data() const { return bytes_.data(); }
    // Frees the bytes.
    void clear() { std::vector<uint8_t>().swap(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace muto::anigif
