#include "io/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "io/fd.h"

namespace muto {

ReadResult<std::vector<uint8_t>> readWholeFile(const std::string& path, std::size_t limit) {
    Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) return ReadFailure::Unreadable;
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadFailure::Unreadable;
    if (st.st_size > 0 && static_cast<unsigned long long>(st.st_size) > limit)
        return ReadFailure::TooLarge;

    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    uint8_t buffer[65536];
    for (;;) {
        ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return ReadFailure::Unreadable;
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > limit) return ReadFailure::TooLarge;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

}  // namespace muto
