// Atomic whole-file writes handed to a worker, so the flushes to disk never hold up the keys.
// The bytes are taken at once; the writes run one after another in the order given, so a later
// save of the same file wins. Each write's outcome comes back on the GUI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "io/atomic_file.h"

namespace muto {

class Worker;

class BackgroundWrites {
public:
    // Without a worker every write is done at once, on the caller's thread.
    explicit BackgroundWrites(Worker* worker) : worker_(worker) {}
    ~BackgroundWrites();
    BackgroundWrites(const BackgroundWrites&) = delete;
    BackgroundWrites& operator=(const BackgroundWrites&) = delete;

    using Done = std::function<void(const WriteResult&)>;
    // Writes `bytes` to `path` with writeFileAtomically; `done` gets the outcome, once.
    void write(std::string path, std::vector<uint8_t> bytes, Done done);
    // Waits for every write given so far and hands each outcome not yet delivered to its
    // `done`, in order: before the program ends.
    void finish();
    // Writes given and not yet delivered.
    size_t pending() const { return pending_.size(); }

private:
    struct Pending;
    void deliver(const std::shared_ptr<Pending>& p);
    Worker* worker_;
    std::vector<std::shared_ptr<Pending>> pending_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace muto
