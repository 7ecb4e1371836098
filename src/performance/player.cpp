#include "performance/player.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "instrument/vk.h"

namespace muto {

namespace {

using vk::kAlt;
using vk::kCtrl;
using vk::kShift;
using vk::kSpace;
constexpr double kSecondsPerDay = 86400.0;
// A timer callback this much later than it was meant to run found the event loop held up (a
// modal dialog, a window drag): the rest of the performance moves by the hold-up instead of
// rushing to catch up. Shorter hiccups are caught up, one event per pass.
constexpr double kStallSeconds = 0.5;
// A timer may run a hair before its due time through the rounding of its interval.
constexpr double kDueTolerance = 1e-9;

// Practice: the key to press next lights this long before it is due.
constexpr double kPracticeLead = 0.4;
// The first event plays this long after the start.
constexpr double kLeadIn = 1.0;

}  // namespace

double roundHalfEven(double x) {
    double r = std::floor(x);
    double diff = x - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    return r;
}

double recordedGap(float before, float after) {
    double g = static_cast<double>(after) - static_cast<double>(before);
    // Older files kept wall-clock times of day: a recording that ran over midnight went from the
    // day's last hour to its first. Any other step backwards (a damaged or foreign file) is no
    // gap at all.
    if (g < 0) {
        const bool crossed = before >= kSecondsPerDay - 3600 && before <= kSecondsPerDay &&
                             after >= 0 && after < 3600;
        g = crossed ? g + kSecondsPerDay : 0;
    }
    if (!std::isfinite(g) || g < 0 || g > kSecondsPerDay) return 0;
    return g;
}

std::string formatPlayPosition(double pos) {
    if (!std::isfinite(pos)) return "0";
    std::array<char, 32> buf{};
    auto res =
        std::to_chars(buf.data(), buf.data() + buf.size(), pos, std::chars_format::general, 7);
    std::string text(buf.data(), res.ptr);
    // Trailing zeros of the fraction say nothing.
    if (text.find('.') != std::string::npos && text.find('e') == std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

int parsePlayPosition(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return 0;
    double v = 0;
    auto res = std::from_chars(text.data() + b, text.data() + text.size(), v);
    if (res.ec != std::errc() || !std::isfinite(v)) return 0;
    v = std::clamp(roundHalfEven(v), -1e9, 1e9);
    return static_cast<int>(v);
}

Player::Player(Stage& stage, MonotonicClock& clock, TimerFactory& timers)
    : stage_(stage), clock_(clock), timers_(timers) {}

Player::~Player() = default;

// --- Start and stop -------------------------------------------------------------------------

bool Player::start(Performance performance, int from, bool practice) {
    if (active_ || performance.events.empty()) return false;
    performance_ = std::move(performance);
    playPos_ = std::clamp(from, 0, performance_.eventCount() - 1);
    playing_ = true;
    paused_ = false;
    active_ = true;
    shiftState_ = 0;
    playbackHeld_.fill(false);
    practising_ = practice;
    awaitedKey_ = -1;
    takenPos_ = -1;
    heldModifier_ = -1;
    waiting_ = false;
    userOwned_.fill(false);
    score_ = {};
    const double now = clock_.now();
    nextDue_ = now + kLeadIn;
    arm(now, lightUpcoming(now));
    return true;
}

void Player::stop() {
    paused_ = false;
    playing_ = false;
    if (active_ && !inEvent_) finish();
}

void Player::pause() {
    if (!playing_) return;
    paused_ = true;
    playing_ = false;
    if (timer_) timer_->stop();
}

void Player::resume() {
    if (!paused_) return;
    paused_ = false;
    playing_ = true;
    const double now = clock_.now();
    nextDue_ = now;
    if (active_ && !inEvent_) arm(now);
}

void Player::arm(double now) {
    arm(now, nextDue_);
}

void Player::arm(double now, double target) {
    if (!timer_) {
        timer_ = timers_.createTimer(TimerKind::SingleShot);
        timer_->onTimeout = [this] { onTimer(); };
    }
    armedFor_ = std::max(target, now);
    double wait = target - now;
    if (inTimer_ && wait <= kDueTolerance) {
        dueAgain_ = true;  // the callback in progress goes on with it
        return;
    }
    int64_t us = 0;
    if (wait > 0)
        us = static_cast<int64_t>(std::ceil(std::min(wait, 2 * kSecondsPerDay) * 1e6 - 1e-3));
    timer_->start(Timer::Duration(std::max<int64_t>(us, 0)));
}

void Player::onTimer() {
    // Every event that has fallen due plays in this one callback, in order, before anything
    // repaints: a chord recorded at one instant sounds at one instant.
    inTimer_ = true;
    for (;;) {
        dueAgain_ = false;
        const int before = playPos_;
        playNext();
        if (!dueAgain_) break;
        if (playPos_ == before) {
            // Nothing was played: the event loop runs before the next try.
            timer_->start(Timer::Duration(0));
            break;
        }
    }
    inTimer_ = false;
}

void Player::playNext() {
    if (!active_ || !playing_) return;
    double now = clock_.now();
    double heldUp = now - armedFor_;
    if (heldUp > kStallSeconds) nextDue_ += heldUp;
    const int count = performance_.eventCount();
    if (playPos_ < 0 || playPos_ >= count) {
        finish();
        return;
    }
    const PerfEvent e = performance_.events[static_cast<size_t>(playPos_)];
    const int k = e.keyCode & 0xFF;
    const double wake = lightUpcoming(now);
    if (now + kDueTolerance < nextDue_) {
        arm(now, wake);
        return;
    }
    if (playPos_ == takenPos_) {
        // The user has played this key-down already.
        takenPos_ = -1;
        advance(now);
        return;
    }
    if (awaitedAt(playPos_) >= 0) {
        waiting_ = true;  // until the user presses the key
        return;
    }
    // The user's own press of a key ends with the user's release.
    if (e.isDown == 0 && userOwned_[static_cast<size_t>(k)]) {
        userOwned_[static_cast<size_t>(k)] = false;
        advance(now);
        return;
    }

    if (e.isDown != 0) {
        if (k == kShift)
            shiftState_ = kShiftMask;
        else if (k == kAlt)
            shiftState_ = kAltMask;
        const bool wasHeld = stage_.isHeld(k);
        keyDown(k);
        if (!wasHeld && stage_.isHeld(k)) playbackHeld_[static_cast<size_t>(k)] = true;
    } else {
        if (k == kShift || k == kAlt) shiftState_ = 0;
        keyUp(k);
        playbackHeld_[static_cast<size_t>(k)] = false;
    }
    advance(clock_.now());
}

double Player::gapBefore(int pos) const {
    const float speed = speed_ > 0 ? speed_ : 1.0f;
    return recordedGap(performance_.events[static_cast<size_t>(pos - 1)].time,
                       performance_.events[static_cast<size_t>(pos)].time) /
           speed;
}

void Player::advance(double now) {
    ++playPos_;
    const int count = performance_.eventCount();
    stage_.progressed(std::min(playPos_, count));
    if (playPos_ >= count) {
        finish();
        return;
    }
    nextDue_ += gapBefore(playPos_);

    // The played key may have stopped or paused the playback (a recorded shortcut).
    if (!playing_) {
        if (!paused_) finish();
        return;
    }
    arm(now, lightUpcoming(now));
}

void Player::keyDown(int keyCode) {
    inEvent_ = true;
    stage_.keyDown(keyCode, shiftState_);
    inEvent_ = false;
}

void Player::keyUp(int keyCode) {
    inEvent_ = true;
    stage_.keyUp(keyCode, shiftState_);
    inEvent_ = false;
}

void Player::finish() {
    if (timer_) timer_->stop();
    active_ = false;
    waiting_ = false;
    unlightAwaited();
    const bool early = playPos_ != performance_.eventCount();
    playing_ = false;
    paused_ = false;
    if (!early) {
        // The recorded releases have ended every note, unless the recording lost some (it was
        // cut off at its capacity with keys held): those keys are released; the user's own
        // held keys go on sounding.
        for (int k = 0; k < 256; ++k)
            if (playbackHeld_[static_cast<size_t>(k)] && stage_.isHeld(k)) stage_.keyUp(k, 0);
    }
    playbackHeld_.fill(false);
    const bool practised = practising_;
    practising_ = false;
    stage_.finished(early, practised ? &score_ : nullptr);
}

// --- Practice -------------------------------------------------------------------------------

int Player::awaitedAt(int pos) const {
    if (!practising_ || shiftState_ != 0 || pos < 0 || pos >= performance_.eventCount()) return -1;
    const PerfEvent& e = performance_.events[static_cast<size_t>(pos)];
    const int k = e.keyCode & 0xFF;
    return e.isDown != 0 && stage_.isChannel1Note(k) ? k : -1;
}

double Player::lightUpcoming(double now) {
    if (!practising_ || awaitedKey_ >= 0) return nextDue_;
    // Only a key due within the lead of the next event can light before that event plays.
    double due = nextDue_;
    for (int i = playPos_; i < performance_.eventCount() && due <= nextDue_ + kPracticeLead; ++i) {
        if (i > playPos_) due += gapBefore(i);
        const int k = awaitedAt(i);
        if (k < 0 || i == takenPos_) continue;
        if (now + kDueTolerance < due - kPracticeLead)
            return std::min(nextDue_, due - kPracticeLead);
        awaitedKey_ = k;
        awaitedPos_ = i;
        awaitedDue_ = due;
        stage_.lightAwaited(k, true);
        break;
    }
    return nextDue_;
}

void Player::unlightAwaited() {
    if (awaitedKey_ < 0) return;
    stage_.lightAwaited(awaitedKey_, false);
    awaitedKey_ = -1;
}

// The Space or Ctrl pressed together with the awaited key, when the playback has not pressed it
// yet: the user's note needs it.
int Player::pendingModifier() const {
    const int before = awaitedPos_ - 1;
    if (before < playPos_) return -1;
    const PerfEvent& m = performance_.events[static_cast<size_t>(before)];
    const int k = m.keyCode & 0xFF;
    return m.isDown != 0 && (k == kSpace || k == kCtrl) &&
                   m.time == performance_.events[static_cast<size_t>(awaitedPos_)].time
               ? k
               : -1;
}

void Player::userPressingNote(int keyCode) {
    if (!practising_ || inEvent_ || !active_ || !playing_ || keyCode != awaitedKey_) return;
    heldModifier_ = pendingModifier();
    if (heldModifier_ >= 0) keyDown(heldModifier_);
}

void Player::userPressedNote(int keyCode) {
    if (!practising_ || inEvent_ || !active_ || !playing_) return;
    if (keyCode != awaitedKey_) {
        ++score_.wrongKeys;
        return;
    }
    if (heldModifier_ >= 0) {
        // The playback presses it again when it comes to it.
        keyUp(heldModifier_);
        heldModifier_ = -1;
    }
    const double now = clock_.now();
    ++score_.hits;
    score_.lateSeconds += std::max(now - awaitedDue_, 0.0);
    unlightAwaited();
    userOwned_[static_cast<size_t>(keyCode & 0xFF)] = true;
    takenPos_ = awaitedPos_;
    if (!waiting_) return;  // pressed early: the performance keeps its times
    // Pressed late: the rest follows from this press at the recorded gaps.
    waiting_ = false;
    nextDue_ = now;
    arm(now);
}

}  // namespace muto
