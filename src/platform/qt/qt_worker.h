// Jobs on a thread of the Qt thread pool, their follow-ups on the GUI thread's event loop.
#pragma once

#include <QObject>
#include <QThreadPool>

#include "common/worker.h"

namespace muto::qt {

// Lowers the calling thread to the priority of background work (nice 10), once for good: on a
// busy machine the thread that handles the keys runs first. Called by the worker threads' jobs.
void runInBackground();

class QtWorker : public Worker {
public:
    QtWorker();
    // Waits for the job that runs; follow-ups not yet delivered are dropped.
    ~QtWorker() override;
    void run(std::function<void()> job, std::function<void()> done) override;

private:
    QObject receiver_;  // lives on the GUI thread: follow-ups are delivered through it
    QThreadPool pool_;  // destroyed first, so no job outlives the receiver
};

}  // namespace muto::qt
