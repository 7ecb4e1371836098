#include "anigif/gif_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace muto::anigif {

std::optional<GifBytes> GifBytes::readFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return std::nullopt;
    }
    GifBytes out;
    std::size_t capacity = static_cast<std::size_t>(st.st_size);
    std::size_t size = 0;
    // One read of the size the file has now; a file that grows meanwhile is read on in steps.
    out.buffer_ = std::make_unique_for_overwrite<uint8_t[]>(capacity + 1);
    for (;;) {
        if (size == capacity + 1) {
            const std::size_t grown = capacity * 2 + 4096;
            auto bigger = std::make_unique_for_overwrite<uint8_t[]>(grown + 1);
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
