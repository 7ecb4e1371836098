// The file bytes of a GIF, held once: a vector handed over by the caller, a large file mapped
// (guarded against the file shrinking meanwhile), or a small one read straight into one
// uninitialised buffer (no zero fill, no growing copies).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace muto::anigif {

// Gives back the memory GifBytes takes for a file: the file's own pages mapped, pages of memory,
// or the heap for small files.
struct GifBufferRelease {
    std::size_t mappedLength;  // 0: from the heap
    bool fileMapped = false;
    GifBufferRelease(std::size_t n = 0, bool file = false)  // NOLINT: implicit
        : mappedLength(n), fileMapped(file) {}
    void operator()(uint8_t* p) const;
};

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
    using Buffer = std::unique_ptr<uint8_t[], GifBufferRelease>;
    // Room for `bytes`; a large file gets pages mapped in one go rather than one fault each.
    static Buffer allocate(std::size_t bytes);

    std::vector<uint8_t> vector_;
    Buffer buffer_;
    std::size_t size_ = 0;
};

}  // namespace muto::anigif
