#include "anigif/gif_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "anigif/file_map.h"

namespace muto::anigif {

void GifBufferRelease::operator()(uint8_t* p) const {
    if (!p) return;
    if (fileMapped)
        unmapFileGuarded(p, mappedLength);
    else if (mappedLength > 0)
        ::munmap(p, mappedLength);
    else
        delete[] p;
}

GifBytes::Buffer GifBytes::allocate(std::size_t bytes) {
    constexpr std::size_t kMapFrom = std::size_t{1} << 20;
    if (bytes >= kMapFrom) {
        void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        return Buffer(static_cast<uint8_t*>(p), GifBufferRelease(bytes));
    }
    return Buffer(new uint8_t[bytes], GifBufferRelease(0));
}

std::optional<GifBytes> GifBytes::readFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return std::nullopt;
    }
    GifBytes out;
    // A large file is mapped rather than copied.
    constexpr off_t kMapFrom = off_t{1} << 20;
    if (st.st_size >= kMapFrom) {
        const auto length = static_cast<std::size_t>(st.st_size);
        if (const uint8_t* mapped = mapFileGuarded(fd, length)) {
            ::close(fd);
            out.buffer_ = Buffer(const_cast<uint8_t*>(mapped), GifBufferRelease(length, true));
            out.size_ = length;
            return out;
        }
    }
    std::size_t capacity = static_cast<std::size_t>(st.st_size);
    std::size_t size = 0;
    // One read of the size the file has now; a file that grows meanwhile is read on in steps.
    out.buffer_ = allocate(capacity + 1);
    for (;;) {
        if (size == capacity + 1) {
            const std::size_t grown = capacity * 2 + 4096;
            auto bigger = allocate(grown + 1);
            std::copy_n(out.buffer_.get(), size, bigger.get());
            out.buffer_ = std::move(bigger);
            capacity = grown;
        }
        const ssize_t n = ::read(fd, out.buffer_.get() + size, capacity + 1 - size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        size += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.size_ = size;
    if (size == 0) out.buffer_.reset();
    return out;
}

}  // namespace muto::anigif
