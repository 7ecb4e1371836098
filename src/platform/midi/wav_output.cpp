#include "platform/midi/wav_output.h"

#include "platform/midi/limiter.h"
#include "platform/midi/wav_header.h"

#include <fluidsynth.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace muto::midi {

namespace {

constexpr int kMaxBlock = kMaxRenderBlock;            // frames per synthesizer call
constexpr auto kTick = std::chrono::milliseconds(3);  // render thread period
constexpr int64_t kPatchEvery = kWavSampleRate / 2;   // frames between header updates

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
    uint8_t header[kWavHeaderSize];
    makeWavHeader(header, 0, kWavSampleRate);
    if (std::fwrite(header, 1, kWavHeaderSize, file_) != kWavHeaderSize ||
        std::fflush(file_) != 0) {
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
    buffer_.assign(static_cast<size_t>(kMaxBlock) * kWavChannels, 0);
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
    frame = std::min(frame, kWavMaxFrames);
    while (rendered_ < frame) {
        const int n = static_cast<int>(std::min<int64_t>(frame - rendered_, kMaxBlock));
        renderLimitedS16(engine_, limiter_, buffer_.data(), n);
        // Keep the stream's timing even when the disk fails: count the frames regardless.
        if (!writeFailed_ &&
            std::fwrite(buffer_.data(), kWavBytesPerFrame, n, file_) != static_cast<size_t>(n))
            stopWriting(errno);
        rendered_ += n;
    }
}

void WavOutput::patchHeader() {
    if (writeFailed_) return;
    // Data still in the buffer may be what no longer fits on the disk.
    if (std::fflush(file_) != 0) return stopWriting(errno);
    const long end = std::ftell(file_);
    uint8_t header[kWavHeaderSize];
    makeWavHeader(header, rendered_, kWavSampleRate);
    bool ok = std::fseek(file_, 0, SEEK_SET) == 0 &&
              std::fwrite(header, 1, kWavHeaderSize, file_) == kWavHeaderSize;
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
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size < kWavHeaderSize) return;
    uint8_t header[kWavHeaderSize];
    makeWavHeader(
        header, std::min<int64_t>((st.st_size - kWavHeaderSize) / kWavBytesPerFrame, kWavMaxFrames),
        kWavSampleRate);
    [[maybe_unused]] const ssize_t n = ::pwrite(fd, header, kWavHeaderSize, 0);
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
