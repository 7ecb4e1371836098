#include "support/fake_time.h"

#include <algorithm>
#include <cmath>

namespace muto::test {

FakeTimer::~FakeTimer() {
    auto& list = owner_.timers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void FakeTimer::start(Duration interval) {
    interval_ = interval < Duration{0} ? Duration{0} : interval;
    due_ = owner_.nowUs_ + interval_.count();
    order_ = ++owner_.arming_;
    armed_ = true;
}

std::unique_ptr<Timer> FakeTimers::createTimer(TimerKind kind) {
    auto t = std::make_unique<FakeTimer>(*this, kind);
    timers_.push_back(t.get());
    return t;
}

double FakeTimers::secondsSinceMidnight() {
    return std::fmod(wallOrigin + now(), 86400.0);
}

FakeTimer* FakeTimers::nextDue(int64_t until) {
    FakeTimer* best = nullptr;
    for (FakeTimer* t : timers_) {
        if (!t->armed_ || t->due_ > until) continue;
        if (!best || t->due_ < best->due_ || (t->due_ == best->due_ && t->order_ < best->order_))
            best = t;
    }
    return best;
}

void FakeTimers::advance(std::chrono::microseconds by) {
    const int64_t until = nowUs_ + std::max<int64_t>(by.count(), 0);
    while (FakeTimer* t = nextDue(until)) {
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

std::chrono::microseconds FakeTimers::runUntilIdle(std::chrono::microseconds limit) {
    const int64_t start = nowUs_;
    const int64_t end = start + limit.count();
    while (nowUs_ < end) {
        FakeTimer* t = nextDue(end);
        if (!t) break;
        advance(std::chrono::microseconds(std::max<int64_t>(t->due_ - nowUs_, 0)));
    }
    return std::chrono::microseconds(nowUs_ - start);
}

int FakeTimers::armedCount() const {
    return static_cast<int>(
        std::count_if(timers_.begin(), timers_.end(), [](FakeTimer* t) { return t->armed_; }));
}

}  // namespace muto::test
