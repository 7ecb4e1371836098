// A file that must not outlive an interrupted command: while the guard lives, SIGINT, SIGTERM
// or SIGHUP remove the file before the signal ends the process as it would have.
#pragma once

#include <string>

namespace muto {

class RemoveOnSignal {
public:
    // One guard at a time; the path is copied for the handler.
    explicit RemoveOnSignal(const std::string& path);
    ~RemoveOnSignal();
    RemoveOnSignal(const RemoveOnSignal&) = delete;
    RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;
};

}  // namespace muto
