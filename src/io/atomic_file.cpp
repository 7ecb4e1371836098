#include "io/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

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

// Temporary files are named ".muto-PID-N.tmp": short whatever the target's name (a name near
// the 255-byte limit still has room), hidden, and recognisable as ours with the process that
// wrote them.
constexpr std::string_view kTempPrefix = ".muto-";
constexpr std::string_view kTempSuffix = ".tmp";

std::string tempName(const std::string& folder, long pid, int attempt) {
    return folder + "/" + std::string(kTempPrefix) + std::to_string(pid) + "-" +
           std::to_string(attempt) + std::string(kTempSuffix);
}

// The process that wrote a temporary file of ours, or 0 when the name is not one of ours.
long writerOf(std::string_view name) {
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return 0;
    name.remove_prefix(kTempPrefix.size());
    name.remove_suffix(kTempSuffix.size());
    const auto dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == name.size()) return 0;
    long pid = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i == dash) continue;
        if (name[i] < '0' || name[i] > '9') return 0;
        if (i < dash) {
            if (pid > 4194304) return 0;  // beyond any pid Linux hands out
            pid = pid * 10 + (name[i] - '0');
        }
    }
    return pid;
}

// Removes the temporary files a save of ours left in the folder when its process was killed
// before it could clean up. A file whose writer still runs is left alone.
void removeStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = writerOf(entry->d_name);
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
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

TemporaryFile createTemporaryBeside(const std::string& target) {
    const std::string folder = folderOf(target);
    removeStaleTemporaries(folder);
    // A fresh name; O_EXCL never reuses someone else's file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = tempName(folder, ::getpid(), attempt);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return {fd, std::move(name), 0};
        if (errno != EEXIST) return {-1, {}, errno};
    }
    return {-1, {}, EEXIST};
}

WriteResult writeFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    if (path.empty()) return failure(ENOENT);
    const std::string target = resolveTarget(path);
    const std::string folder = folderOf(target);

    TemporaryFile temp = createTemporaryBeside(target);
    if (temp.fd < 0) return failure(temp.error);
    Fd file(temp.fd);

    auto fail = [&](int err) {
        if (file.get() >= 0) file.release();
        ::unlink(temp.path.c_str());
        return failure(err);
    };

    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(file.get(), old.st_mode & 07777);

    int err = 0;
    if (!writeAll(file.get(), bytes, err)) return fail(err);
    if (::fsync(file.get()) != 0) return fail(errno);
    if (file.release() != 0) return fail(errno);
    if (::rename(temp.path.c_str(), target.c_str()) != 0) return fail(errno);

    // The new name itself must reach the disk too.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0 && ::fsync(dir.get()) != 0 && errno != EINVAL) return failure(errno);
    return WriteResult::done();
}

}  // namespace muto
