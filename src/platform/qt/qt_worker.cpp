#include "platform/qt/qt_worker.h"

#include <QMetaObject>

namespace muto::qt {

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
        job();
        QMetaObject::invokeMethod(receiver, std::move(done), Qt::QueuedConnection);
    });
}

}  // namespace muto::qt
