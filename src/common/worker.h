// Work handed away from the GUI thread: a job runs on another thread and its follow-up runs on
// the GUI thread once the job has ended. The job shares nothing with the GUI thread while it runs.
#pragma once

#include <functional>

namespace muto {

class Worker {
public:
    virtual ~Worker() = default;
    // Runs `job` away from the GUI thread, then `done` on the GUI thread from the event loop,
    // never from inside run(). Jobs run one after another in the order given. `job` must not
    // throw. When the worker ends first, `done` is dropped.
    virtual void run(std::function<void()> job, std::function<void()> done) = 0;
};

}  // namespace muto
