// Whole-file writes for the settings and performance files. Saving never destroys
// the previous file: the bytes go to a temporary file beside it, which replaces it only once it
// is complete and on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

namespace muto {

// The outcome of a save: done, or the system's error number and its text.
class WriteResult {
public:
    static WriteResult done() { return WriteResult(0, {}); }
    static WriteResult failed(int error, std::string reason) {
        return WriteResult(error, std::move(reason));
    }
    bool ok() const { return error_ == 0; }
    int error() const { return error_; }
    // The system's text for the error, e.g. "No such file or directory"; empty when done.
    const std::string& reason() const { return reason_; }

private:
    WriteResult(int error, std::string reason) : error_(error), reason_(std::move(reason)) {}
    int error_;
    std::string reason_;
};

// On failure the target is as it was and no temporary file is left behind. A target that is a
// symbolic link keeps the link: the file it points to is replaced. An existing target keeps its
// permission bits; a new one gets 0666 less the umask. A failure to flush the folder after the
// new file took the old one's place is reported too: the save may not survive a power cut.
WriteResult writeFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

// A new temporary file in the folder of `target`, open for writing: fd, name and, when none
// could be made, errno. Its short hidden name (".muto-PID-N.tmp") leaves room for targets near
// the length limit, and the next file made in that folder removes it should the process that
// made it die before renaming or removing it.
struct TemporaryFile {
    int fd = -1;
    std::string path;
    int error = 0;
};
TemporaryFile createTemporaryBeside(const std::string& target);

}  // namespace muto
