#include "platform/midi/offline_render.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "io/atomic_file.h"
#include "io/remove_on_signal.h"
#include "platform/midi/fluid_engine.h"
#include "platform/midi/limiter.h"
#include "platform/midi/midi_output.h"
#include "platform/midi/wav_header.h"
#include "platform/midi/wav_output.h"

namespace muto::midi {

namespace {

int64_t frameOf(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return 0;
    return std::llround(seconds * kWavSampleRate);
}

// A temporary file beside the target that is removed unless it was given the target's name.
class TempFile {
public:
    explicit TempFile(const std::string& target) : target_(target) {
        // An interrupted render leaves nothing behind either: the signals wait until the file
        // is guarded.
        sigset_t stop, before;
        sigemptyset(&stop);
        for (int sig : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&stop, sig);
        ::pthread_sigmask(SIG_BLOCK, &stop, &before);
        TemporaryFile temp = createTemporaryBeside(target);
        fd_ = temp.fd;
        path_ = std::move(temp.path);
        error_ = temp.error;
        if (fd_ >= 0) guard_.emplace(path_);
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    int error() const { return error_; }
    bool write(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        while (size > 0) {
            const ssize_t n = ::write(fd_, p, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return fail();
            p += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }
    bool writeAt(const void* data, size_t size, off_t at) {
        if (::pwrite(fd_, data, size, at) != static_cast<ssize_t>(size)) return fail();
        return true;
    }
    // Makes the file the target: new files get 0666 less the umask, as any other.
    bool commit() {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd_, 0666 & ~mask) != 0 || ::fsync(fd_) != 0) return fail();
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0) return fail();
        if (::rename(path_.c_str(), target_.c_str()) != 0) return fail();
        path_.clear();
        guard_.reset();
        return true;
    }

private:
    bool fail() {
        error_ = errno ? errno : EIO;
        return false;
    }
    std::string target_;
    std::string path_;
    int fd_ = -1;
    int error_ = 0;
    std::optional<RemoveOnSignal> guard_;
};

}  // namespace

std::optional<std::string> renderWav(const RenderRequest& request) {
    const int64_t total = frameOf(request.length + kReleaseTail);
    if (total > kWavMaxFrames) return "the performance is too long for a WAV file";

    FluidEngine engine;
    std::string reason;
    const std::string soundfont =
        request.soundfont.empty() ? std::string(kDefaultSoundFont) : request.soundfont;
    if (engine.create(soundfont, kWavSampleRate, &reason) != kOpened) return reason;

    TempFile file(request.path);
    auto cannotWrite = [&] {
        return "cannot write " + request.path + ": " + std::strerror(file.error());
    };
    if (!file.ok()) return cannotWrite();
    uint8_t header[kWavHeaderSize];
    makeWavHeader(header, total, kWavSampleRate);
    if (!file.write(header, kWavHeaderSize)) return cannotWrite();

    Limiter limiter(kWavSampleRate);
    std::vector<int16_t> block(2 * kMaxRenderBlock);
    // Whole blocks go out in one write.
    std::vector<int16_t> out;
    out.reserve(64 * 2 * kMaxRenderBlock);
    int64_t rendered = 0;
    auto renderTo = [&](int64_t frame) {
        frame = std::min(frame, total);
        while (rendered < frame) {
            const int n = static_cast<int>(std::min<int64_t>(frame - rendered, kMaxRenderBlock));
            renderLimitedS16(engine, limiter, block.data(), n);
            out.insert(out.end(), block.begin(), block.begin() + 2 * n);
            rendered += n;
            if (out.size() >= 63 * 2 * kMaxRenderBlock) {
                if (!file.write(out.data(), out.size() * sizeof(int16_t))) return false;
                out.clear();
            }
        }
        return true;
    };
    for (const TimedMessage& m : request.messages) {
        if (!renderTo(frameOf(m.seconds))) return cannotWrite();
        engine.send(m.message);
    }
    if (!renderTo(total)) return cannotWrite();
    if (!out.empty() && !file.write(out.data(), out.size() * sizeof(int16_t))) return cannotWrite();
    if (!file.commit()) return cannotWrite();
    return std::nullopt;
}

}  // namespace muto::midi
