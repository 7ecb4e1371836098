#include "common/manual_time.h"

#include <algorithm>

namespace muto {

ManualTimer::~ManualTimer() {
    auto& list = owner_.timers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void ManualTimer::start(Duration interval) {
    interval_ = interval < Duration{0} ? Duration{0} : interval;
    due_ = owner_.nowUs_ + interval_.count();
    order_ = ++owner_.arming_;
    armed_ = true;
}

std::unique_ptr<Timer> ManualTimers::createTimer(TimerKind kind) {
    auto t = std::make_unique<ManualTimer>(*this, kind);
    timers_.push_back(t.get());
    return t;
}

ManualTimer* ManualTimers::nextDue(int64_t until) {
    ManualTimer* best = nullptr;
    for (ManualTimer* t : timers_) {
        if (!t->armed_ || t->due_ > until) continue;
        if (!best || t->due_ < best->due_ || (t->due_ == best->due_ && t->order_ < best->order_))
            best = t;
    }
    return best;
}

void ManualTimers::advance(std::chrono::microseconds by) {
    const int64_t until = nowUs_ + std::max<int64_t>(by.count(), 0);
    while (ManualTimer* t = nextDue(until)) {
        nowUs_ = std::max(nowUs_, t->due_);
        if (t->kind_ == TimerKind::Periodic) {
            // A zero interval would fire forever within one instant.
            t->due_ = nowUs_ + std::max<int64_t>(t->interval_.count(), 1);
            t->order_ = ++arming_;
        } else {
            t->armed_ = false;
        }
        if (t->onTimeout) t->onTimeout();
    }
    nowUs_ = until;
}

std::chrono::microseconds ManualTimers::runUntilIdle(std::chrono::microseconds limit) {
    const int64_t start = nowUs_;
    const int64_t end = start + limit.count();
    while (nowUs_ < end) {
        ManualTimer* t = nextDue(end);
        if (!t) break;
        advance(std::chrono::microseconds(std::max<int64_t>(t->due_ - nowUs_, 0)));
    }
    return std::chrono::microseconds(nowUs_ - start);
}

std::optional<int64_t> ManualTimers::nextDueUs() const {
    std::optional<int64_t> due;
    for (const ManualTimer* t : timers_)
        if (t->armed_ && (!due || t->due_ < *due)) due = t->due_;
    return due;
}

int ManualTimers::armedCount() const {
    return static_cast<int>(
        std::count_if(timers_.begin(), timers_.end(), [](ManualTimer* t) { return t->armed_; }));
}

}  // namespace muto
