#include "platform/qt/qt_worker.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QMetaObject>
#include <algorithm>

namespace muto::qt {

void runInBackground() {
    thread_local bool lowered = false;
    if (lowered) return;
    lowered = true;
    // Linux takes the nice value per thread. A failure leaves the thread as it was.
    const auto self = static_cast<id_t>(gettid());
    setpriority(PRIO_PROCESS, self, std::max(getpriority(PRIO_PROCESS, self), 10));
}

QtWorker::QtWorker() {
    // One job at a time, in the order given.
    pool_.setMaxThreadCount(1);
}

QtWorker::~QtWorker() {
    pool_.waitForDone();
}

void QtWorker::run(std::function<void()> job, std::function<void()> done) {
    QObject* receiver = &receiver_;
    pool_.start([receiver, job = std::move(job), done = std::move(done)]() mutable {
        runInBackground();
        job();
        QMetaObject::invokeMethod(receiver, std::move(done), Qt::QueuedConnection);
    });
}

}  // namespace muto::qt
