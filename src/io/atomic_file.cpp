#include "io/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "io/fd.h"

namespace muto {

namespace {

WriteResult failure(int err) {
    return WriteResult::failed(err, std::strerror(err));
}

// The file a save must replace: the target of a symbolic link rather than the link itself.
std::string resolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;  // a dangling link: replace the link itself
    std::string resolved(real);
    std::free(real);
    return resolved;
}

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, std::span<const uint8_t> bytes, int& err) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

WriteResult writeFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    if (path.empty()) return failure(ENOENT);
    const std::string target = resolveTarget(path);
    const std::string folder = folderOf(target);

    // A fresh name beside the target; O_EXCL never reuses someone else's file.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return failure(errno);
    }
    if (fd < 0) return failure(EEXIST);
    Fd file(fd);

    auto fail = [&](int err) {
        if (file.get() >= 0) file.release();
        ::unlink(temp.c_str());
        return failure(err);
    };

    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(file.get(), old.st_mode & 07777);

    int err = 0;
    if (!writeAll(file.get(), bytes, err)) return fail(err);
    if (::fsync(file.get()) != 0) return fail(errno);
    if (file.release() != 0) return fail(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);

    // The new name itself must reach the disk too.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0 && ::fsync(dir.get()) != 0 && errno != EINVAL) return failure(errno);
    return WriteResult::done();
}

}  // namespace muto
