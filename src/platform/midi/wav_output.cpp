#include "platform/midi/wav_output.h"

#include "platform/midi/limiter.h"

#include <fluidsynth.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace muto::midi {

namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerFrame = kChannels * 2;
constexpr int kHeaderSize = 44;
constexpr int kMaxBlock = kMaxRenderBlock;            // frames per synthesizer call
constexpr auto kTick = std::chrono::milliseconds(3);  // render thread period
constexpr int64_t kPatchEvery = kWavSampleRate / 2;   // frames between header updates
// The data chunk's size is a 32-bit field: stop writing before it would overflow.
constexpr int64_t kMaxFrames = (0xFFFFFFFFll - kHeaderSize) / kBytesPerFrame;

void put16(uint8_t* p, uint32_t v) {
    p[0] = v & 0xFF;
    p[1] = (v >> 8) & 0xFF;
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// The 44-byte header of a PCM WAV file holding `frames` frames.
void makeHeader(uint8_t* h, int64_t frames) {
    const uint32_t dataBytes = static_cast<uint32_t>(frames * kBytesPerFrame);
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);  // fmt chunk size
    put16(h + 20, 1);   // PCM
    put16(h + 22, kChannels);
    put32(h + 24, kWavSampleRate);
    put32(h + 28, kWavSampleRate * kBytesPerFrame);
    put16(h + 32, kBytesPerFrame);
    put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, dataBytes);
}

}  // namespace

int WavOutput::open() {
    if (file_) return kOpened;
    std::string reason;
    if (const int code = engine_.create(soundfont_, kWavSampleRate, &reason); code != kOpened)
        return fail(code, reason);
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) {
        const int err = errno;
        engine_.destroy();
        return fail(kFileNotWritable, "cannot write " + path_ + ": " + std::strerror(err));
    }
    uint8_t header[kHeaderSize];
    makeHeader(header, 0);
    if (std::fwrite(header, 1, kHeaderSize, file_) != kHeaderSize || std::fflush(file_) != 0) {
        const int err = errno;
        std::fclose(file_);
        file_ = nullptr;
        engine_.destroy();
        return fail(kFileNotWritable, "cannot write " + path_ + ": " + std::strerror(err));
    }
    clearError();
    clearWriteFailure();
    rendered_ = 0;
    patchedAt_ = 0;
    limiter_.reset();
    writeFailed_ = false;
    buffer_.assign(static_cast<size_t>(kMaxBlock) * kChannels, 0);
    queue_.reserve(256);
    batch_.reserve(256);
    start_ = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(mutex_);
        stop_ = false;
    }
    thread_ = std::thread([this] { renderLoop(); });
    return kOpened;
}

int64_t WavOutput::framesSinceOpen(std::chrono::steady_clock::time_point now) const {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - start_).count();
    return ns / 1000 * kWavSampleRate / 1000000;
}

void WavOutput::shortMsg(uint32_t message) {
    std::lock_guard lock(mutex_);
    if (stop_) return;  // closed
    queue_.push_back({framesSinceOpen(std::chrono::steady_clock::now()), message});
}

void WavOutput::renderLoop() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        lock.unlock();
        catchUp();
        lock.lock();
        wake_.wait_for(lock, kTick, [this] { return stop_; });
    }
}

void WavOutput::catchUp() {
    int64_t target;
    {
        // Messages are stamped under the same lock, so every message taken here lies at or
        // before `target` and every later one after it.
        std::lock_guard lock(mutex_);
        target = framesSinceOpen(std::chrono::steady_clock::now());
        batch_.swap(queue_);
    }
    for (const Pending& p : batch_) {
        renderTo(std::max(p.frame, rendered_));
        engine_.send(p.message);
    }
    batch_.clear();
    renderTo(target);
    if (rendered_ - patchedAt_ >= kPatchEvery) patchHeader();
}

void WavOutput::renderTo(int64_t frame) {
    frame = std::min(frame, kMaxFrames);
    while (rendered_ < frame) {
        const int n = static_cast<int>(std::min<int64_t>(frame - rendered_, kMaxBlock));
        renderLimitedS16(engine_, limiter_, buffer_.data(), n);
        // Keep the stream's timing even when the disk fails: count the frames regardless.
        if (!writeFailed_ &&
            std::fwrite(buffer_.data(), kBytesPerFrame, n, file_) != static_cast<size_t>(n))
            stopWriting(errno);
        rendered_ += n;
    }
}

void WavOutput::patchHeader() {
    if (writeFailed_) return;
    // Data still in the buffer may be what no longer fits on the disk.
    if (std::fflush(file_) != 0) return stopWriting(errno);
    const long end = std::ftell(file_);
    uint8_t header[kHeaderSize];
    makeHeader(header, rendered_);
    bool ok = std::fseek(file_, 0, SEEK_SET) == 0 &&
              std::fwrite(header, 1, kHeaderSize, file_) == kHeaderSize;
    ok = std::fseek(file_, end, SEEK_SET) == 0 && ok;
    if (!ok || std::fflush(file_) != 0) return stopWriting(errno);
    patchedAt_ = rendered_;
}

void WavOutput::stopWriting(int err) {
    writeFailed_ = true;
    writeFailed(path_, err);
    // Whatever reached the disk stays playable: the header is rewritten in place (which needs no
    // new space) to cover the whole frames the file holds, past the buffer that could not go out.
    const int fd = ::fileno(file_);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size < kHeaderSize) return;
    uint8_t header[kHeaderSize];
    makeHeader(header, std::min<int64_t>((st.st_size - kHeaderSize) / kBytesPerFrame, kMaxFrames));
    [[maybe_unused]] const ssize_t n = ::pwrite(fd, header, kHeaderSize, 0);
}

void WavOutput::close() {
    if (!file_) return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    catchUp();  // the stream runs up to the moment of closing
    patchHeader();
    if (std::fclose(file_) != 0 && !writeFailed_) writeFailed(path_, errno);
    file_ = nullptr;
    engine_.destroy();
    queue_.clear();
}

}  // namespace muto::midi
