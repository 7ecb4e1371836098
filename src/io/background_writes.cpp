#include "io/background_writes.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "common/worker.h"

namespace muto {

// Shared by the job, which fills in the outcome, and the GUI thread, which waits for it.
struct BackgroundWrites::Pending {
    std::mutex mutex;
    std::condition_variable written;
    std::optional<WriteResult> result;
    Done done;
};

BackgroundWrites::~BackgroundWrites() = default;

void BackgroundWrites::write(std::string path, std::vector<uint8_t> bytes, Done done) {
    if (!worker_) {
        done(writeFileAtomically(path, bytes));
        return;
    }
    auto p = std::make_shared<Pending>();
    p->done = std::move(done);
    pending_.push_back(p);
    worker_->run(
        [p, path = std::move(path), bytes = std::move(bytes)] {
            WriteResult r = writeFileAtomically(path, bytes);
            const std::lock_guard lock(p->mutex);
            p->result.emplace(std::move(r));
            p->written.notify_all();
        },
        // A write finish() delivered, or one outliving this object, is not delivered again.
        [this, alive = std::weak_ptr<bool>(alive_), weak = std::weak_ptr<Pending>(p)] {
            if (auto p = weak.lock(); p && !alive.expired()) deliver(p);
        });
}

void BackgroundWrites::deliver(const std::shared_ptr<Pending>& p) {
    const auto it = std::find(pending_.begin(), pending_.end(), p);
    if (it == pending_.end()) return;
    pending_.erase(it);
    std::optional<WriteResult> result;
    {
        std::unique_lock lock(p->mutex);
        p->written.wait(lock, [&] { return p->result.has_value(); });
        result = p->result;
    }
    p->done(*result);
}

void BackgroundWrites::finish() {
    while (!pending_.empty())
        deliver(pending_.front());
}

}  // namespace muto
