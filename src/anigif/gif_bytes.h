// The file bytes of a GIF, held once: either a vector handed over by the caller or a file read
// straight into one uninitialised buffer (no zero fill, no growing copies).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace muto::anigif {

class GifBytes {
public:
    GifBytes() = default;
    GifBytes(std::vector<uint8_t> bytes) : vector_(std::move(bytes)) {}  // NOLINT: implicit
    GifBytes(GifBytes&&) noexcept = default;
    GifBytes& operator=(GifBytes&&) noexcept = default;

    // The whole content of a file, or nothing when it cannot be opened or read.
    static std::optional<GifBytes> readFile(const std::string& path);

    std::span<const uint8_t> span() const {
        return buffer_ ? std::span<const uint8_t>(buffer_.get(), size_)
                       : std::span<const uint8_t>(vector_);
    }
    operator std::span<const uint8_t>() const { return span(); }  // NOLINT: implicit
    std::size_t size() const { return buffer_ ? size_ : vector_.size(); }
    bool empty() const { return size() == 0; }
    const uint8_t* data() const { return span().data(); }
    std::vector<uint8_t> toVector() const { return {span().begin(), span().end()}; }
    // Frees the bytes.
    void clear() {
        buffer_.reset();
        size_ = 0;
        std::vector<uint8_t>().swap(vector_);
    }

private:
    std::vector<uint8_t> vector_;
    std::unique_ptr<uint8_t[]> buffer_;
    std::size_t size_ = 0;
};

}  // namespace muto::anigif
