#include "platform/midi/log_output.h"

#include <cerrno>
#include <cstring>

namespace muto::midi {

int LogOutput::open() {
    std::lock_guard lock(mutex_);
    if (file_) return kOpened;
    file_ = std::fopen(path_.c_str(), "w");
    if (!file_)
        return fail(kFileNotWritable, "cannot write " + path_ + ": " + std::strerror(errno));
    clearError();
    clearWriteFailure();
    start_ = std::chrono::steady_clock::now();
    return kOpened;
}

void LogOutput::shortMsg(uint32_t message) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    if (!file_) return;
    const auto micros = static_cast<unsigned long long>(
        std::chrono::duration_cast<std::chrono::microseconds>(now - start_).count());
    const int length = shortMessageLength(static_cast<uint8_t>(message));
    // Longest line: 20 digits, the point, 6 decimals, three " XX" and the newline: 37 bytes.
    char line[64];
    int n = std::snprintf(line, sizeof line, "%llu.%06llu", micros / 1000000, micros % 1000000);
    for (int i = 0; i < length; ++i) {
        n += std::snprintf(line + n, sizeof line - n, " %02X",
                           static_cast<unsigned>((message >> (8 * i)) & 0xFFu));
    }
    line[n++] = '\n';
    // A full disk loses the line; the first loss is reported and later lines are still tried.
    const bool written = std::fwrite(line, 1, n, file_) == static_cast<size_t>(n);
    if (std::fflush(file_) != 0 || !written) {
        writeFailed(path_, errno);
        std::clearerr(file_);
    }
}

void LogOutput::close() {
    std::lock_guard lock(mutex_);
    if (!file_) return;
    if (std::fclose(file_) != 0) writeFailed(path_, errno);
    file_ = nullptr;
}

}  // namespace muto::midi
