#include "performance/player.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "form/channel_controls.h"
#include "form/circle_touch.h"
#include "form/form1.h"
#include "form/key_display.h"
#include "form/key_input.h"
#include "form/key_map.h"
#include "form/key_set_files.h"
#include "instrument/vk.h"
#include "performance/recorder.h"

namespace muto {

namespace {

using vk::kAlt;
using vk::kCtrl;
using vk::kF1;
using vk::kShift;
using vk::kSpace;
constexpr double kSecondsPerDay = 86400.0;
// A timer callback this much later than it was meant to run found the event loop held up (a
// modal dialog, a window drag): the rest of the performance moves by the hold-up instead of
// rushing to catch up. Shorter hiccups are caught up, one event per pass.
constexpr double kStallSeconds = 0.5;
// A timer may run a hair before its due time through the rounding of its interval.
constexpr double kDueTolerance = 1e-9;

// Practice: the key to press next lights this long before it is due, in this colour.
constexpr double kPracticeLead = 0.4;
constexpr Colour kPracticeColour = rgb(255, 150, 0);  // apart from the green of a press

constexpr const char* kPlaying = "[연주중]";
constexpr const char* kPausedMark = "[연주 일시정지]";

void replaceIn(std::string& text, const std::string& what, const std::string& with) {
    auto at = text.find(what);
    if (at != std::string::npos) text.replace(at, what.size(), with);
}

// Rounds to the nearest integer, halves to the even neighbour, whatever the rounding mode.
double roundHalfEven(double x) {
    double r = std::floor(x);
    double diff = x - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    return r;
}

}  // namespace

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

namespace {}  // namespace

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

Player::Player(Form1& form) : f_(form) {}

Player::~Player() = default;

// --- Start and stop -------------------------------------------------------------------------

void Player::cmd_play_Click() {
    if (f_.cmd_play.caption() != "▶") {
        // A stop request, while playing or paused.
        if (isPaused) {
            isPaused = false;
            f_.cmd_pause.setCaption("||");
        }
        isPlaying = false;
        if (active_ && !inCallback_) finish();
        f_.setFocus(f_.Picture1);
        return;
    }
    const Performance& perf = f_.recorder().performance();
    if (perf.path.empty())
        f_.form.setCaption(std::string("무토 - ") + kPlaying);
    else
        f_.form.setCaption("무토 - " + baseName(perf.path) + kPlaying);
    f_.cmd_play.setCaption("■");
    setPlaybackControlsEnabled(false);
    if (!perf.events.empty()) {
        f_.setFocus(f_.chk_CircleTouch.value() == 1 ? f_.pic_CircleTouch : f_.Picture1);
        isPlaying = true;
        active_ = true;
        playing_ = perf;
        dampersBefore_ = f_.channels().dampers();
        prepare();
        // The first event is due a second from now; the timer plays it.
        const double now = f_.services.monotonic.now();
        arm(now, lightUpcoming(now));
        return;
    }
    isPlaying = false;
    f_.form.setCaption("무토");
    f_.cmd_play.setCaption("▶");
    setPlaybackControlsEnabled(true);
    f_.setFocus(f_.Picture1);
}

void Player::prepare() {
    // The key map starts from its natural notes; the snapshot's altered keys go on top once the
    // key signature and octaves are those of the snapshot.
    clearKeyOverrides();
    const PerformanceSnapshot& snap = playing_.snapshot;

    // Controls refuse values out of their range; such a snapshot byte leaves the control as it is.
    if (f_.cmb_key.listIndex() != snap.settings[0]) f_.cmb_key.setListIndex(snap.settings[0]);

    // Unlinked, so that restoring one channel's instrument does not copy it to the other.
    const int linked = f_.chk_ESync.value();
    f_.chk_ESync.setTag(std::to_string(linked));
    f_.chk_ESync.setValue(0);
    for (int ch = 0; ch < 2; ++ch) {
        int want = snap.settings[static_cast<size_t>(1 + ch)];
        if (f_.cmb_inst(ch).listIndex() != want) f_.cmb_inst(ch).setListIndex(want);
    }
    f_.chk_ESync.setValue(linked);

    for (int ch = 0; ch < 2; ++ch) {
        const int want = playing_.octaveIndex(ch);
        ListBox& box = f_.cmb_OctShift(ch);
        // The key group is rebuilt either way, so the map reflects the cleared alterations.
        if (box.listIndex() == want || !box.setListIndex(want)) f_.keyMap().cmb_OctShift_Click(ch);
    }
    for (int ch = 0; ch < 2; ++ch) {
        int want = snap.settings[static_cast<size_t>(5 + ch)];
        if (f_.cmb_volume(ch).listIndex() != want) f_.cmb_volume(ch).setListIndex(want);
    }
    for (int ch = 0; ch < 2; ++ch) {
        int want = snap.damper[static_cast<size_t>(ch)];
        if (f_.chk_damper(ch).value() != want) f_.chk_damper(ch).setValue(want);
    }

    applyKeyEntries(f_, snap.entries);
    restoreDegreeAccidentals();

    // A start at or past the end plays the last event.
    int start = parsePlayPosition(f_.shp_StartPos.tag());
    playPos = std::clamp(start, 0, playing_.eventCount() - 1);
    nextDue_ = f_.services.monotonic.now() + 1.0;
    playShiftState_ = 0;
    playbackHeld_.fill(false);
    toCircleTouch_ = f_.chk_CircleTouch.value() == 1;
    practising_ = f_.chk_Practice.value() == 1;
    awaitedKey_ = -1;
    takenPos_ = -1;
    heldModifier_ = -1;
    waiting_ = false;
    userOwned_.fill(false);
    score_ = {};
}

void Player::restoreDegreeAccidentals() {
    const std::array<uint8_t, 8>& keySig = playing_.snapshot.keySig;
    f_.setDegreeAlterDirection(keySig[0] == 2 ? -1 : 1);
    std::array<int16_t, 7> alter{};
    // Codes: 0 none, 1 sharp, 2 flat; anything else is no accidental.
    for (size_t d = 0; d < 7; ++d)
        alter[d] = static_cast<int16_t>(keySig[1 + d] == 2 ? -1 : (keySig[1 + d] == 1 ? 1 : 0));
    f_.instrument().setDegreeAccidentals(alter);
    for (int d = 0; d < 7; ++d) {
        f_.display().refreshDegreeLabel(d);
        if (Shape* key = f_.shp_key.find(kF1 + d)) key->setLit(alter[static_cast<size_t>(d)] != 0);
    }
}

void Player::arm(double now) {
    arm(now, nextDue_);
}

void Player::arm(double now, double target) {
    if (!timer_) {
        timer_ = f_.services.timers.createTimer(TimerKind::SingleShot);
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
        const int before = playPos;
        playNext();
        if (!dueAgain_) break;
        if (playPos == before) {
            // Nothing was played: the event loop runs before the next try.
            timer_->start(Timer::Duration(0));
            break;
        }
    }
    inTimer_ = false;
}

void Player::playNext() {
    if (!active_ || !isPlaying) return;
    MonotonicClock& clock = f_.services.monotonic;
    double now = clock.now();
    double heldUp = now - armedFor_;
    if (heldUp > kStallSeconds) nextDue_ += heldUp;
    const int count = playing_.eventCount();
    if (playPos < 0 || playPos >= count) {
        finish();
        return;
    }
    const PerfEvent e = playing_.events[static_cast<size_t>(playPos)];
    const int k = e.keyCode & 0xFF;
    const double wake = lightUpcoming(now);
    if (now + kDueTolerance < nextDue_) {
        arm(now, wake);
        return;
    }
    if (playPos == takenPos_) {
        // The user has played this key-down already.
        takenPos_ = -1;
        advance(now);
        return;
    }
    if (awaitedAt(playPos) >= 0) {
        waiting_ = true;  // until the user presses the key
        return;
    }
    // The user's own press of a key ends with the user's release.
    if (e.isDown == 0 && userOwned_[static_cast<size_t>(k)]) {
        userOwned_[static_cast<size_t>(k)] = false;
        advance(now);
        return;
    }

    inCallback_ = true;
    if (e.isDown != 0) {
        if (k == kShift)
            playShiftState_ = kShiftMask;
        else if (k == kAlt)
            playShiftState_ = kAltMask;
        bool wasHeld = f_.instrument().isHeld(k);
        keyDown(k, playShiftState_);
        if (!wasHeld && f_.instrument().isHeld(k)) playbackHeld_[static_cast<size_t>(k)] = true;
    } else {
        if (k == kShift || k == kAlt) playShiftState_ = 0;
        keyUp(k, playShiftState_);
        playbackHeld_[static_cast<size_t>(k)] = false;
    }
    inCallback_ = false;
    advance(clock.now());
}

void Player::advance(double now) {
    ++playPos;
    setProgressUnits(playPos);
    const int count = playing_.eventCount();
    if (playPos >= count) {
        setProgressUnits(count);
        finish();
        return;
    }
    const size_t p = static_cast<size_t>(playPos);
    float speed = playSpeed > 0 ? playSpeed : 1.0f;
    nextDue_ += recordedGap(playing_.events[p - 1].time, playing_.events[p].time) / speed;

    // The played key may have stopped or paused the playback (a recorded shortcut).
    if (!isPlaying) {
        if (!isPaused) finish();
        return;
    }
    arm(now, lightUpcoming(now));
}

// --- Practice -------------------------------------------------------------------------------

int Player::awaitedAt(int pos) const {
    if (!practising_ || playShiftState_ != 0 || pos < 0 || pos >= playing_.eventCount()) return -1;
    const PerfEvent& e = playing_.events[static_cast<size_t>(pos)];
    const int k = e.keyCode & 0xFF;
    const Shape* shape = f_.shp_key.find(k);
    return e.isDown != 0 && shape && shape->role() && *shape->role() == KeyRole::NoteChannel1 &&
                   f_.instrument().keyNote[static_cast<size_t>(k)] != 0
               ? k
               : -1;
}

double Player::lightUpcoming(double now) {
    if (!practising_ || awaitedKey_ >= 0) return nextDue_;
    // Only a key due within the lead of the next event can light before that event plays.
    const float speed = playSpeed > 0 ? playSpeed : 1.0f;
    double due = nextDue_;
    for (int i = playPos; i < playing_.eventCount() && due <= nextDue_ + kPracticeLead; ++i) {
        if (i > playPos)
            due += recordedGap(playing_.events[static_cast<size_t>(i - 1)].time,
                               playing_.events[static_cast<size_t>(i)].time) /
                   speed;
        const int k = awaitedAt(i);
        if (k < 0 || i == takenPos_) continue;
        if (now + kDueTolerance < due - kPracticeLead)
            return std::min(nextDue_, due - kPracticeLead);
        awaitedKey_ = k;
        awaitedPos_ = i;
        awaitedDue_ = due;
        Shape& key = f_.shp_key(k);
        awaitedKeyColour_ = key.backColor();
        key.setBackColor(kPracticeColour);
        key.setLit(true);
        break;
    }
    return nextDue_;
}

void Player::unlightAwaited() {
    if (awaitedKey_ < 0) return;
    Shape& key = f_.shp_key(awaitedKey_);
    key.setBackColor(awaitedKeyColour_);
    if (!f_.instrument().isHeld(awaitedKey_)) key.setLit(false);
    awaitedKey_ = -1;
}

// The Space or Ctrl pressed together with the awaited key, when the playback has not pressed it
// yet: the user's note needs it.
int Player::pendingModifier() const {
    const int before = awaitedPos_ - 1;
    if (before < playPos) return -1;
    const PerfEvent& m = playing_.events[static_cast<size_t>(before)];
    const int k = m.keyCode & 0xFF;
    return m.isDown != 0 && (k == kSpace || k == kCtrl) &&
                   m.time == playing_.events[static_cast<size_t>(awaitedPos_)].time
               ? k
               : -1;
}

void Player::userPressingNote(int keyCode) {
    if (!practising_ || inCallback_ || !active_ || !isPlaying || keyCode != awaitedKey_) return;
    heldModifier_ = pendingModifier();
    if (heldModifier_ < 0) return;
    inCallback_ = true;
    keyDown(heldModifier_, playShiftState_);
    inCallback_ = false;
}

void Player::userPressedNote(int keyCode) {
    if (!practising_ || inCallback_ || !active_ || !isPlaying) return;
    if (keyCode != awaitedKey_) {
        ++score_.wrongKeys;
        return;
    }
    if (heldModifier_ >= 0) {
        // The playback presses it again when it comes to it.
        inCallback_ = true;
        keyUp(heldModifier_, playShiftState_);
        inCallback_ = false;
        heldModifier_ = -1;
    }
    const double now = f_.services.monotonic.now();
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

void Player::showPracticeScore() {
    const PracticeScore& s = score_;
    const long late = s.hits > 0 ? std::lround(s.lateSeconds * 1000 / s.hits) : 0;
    f_.services.dialogs.messageBox("맞힌 음 " + std::to_string(s.hits) + "개, 틀린 건반 " +
                                       std::to_string(s.wrongKeys) + "개, 평균 늦음 " +
                                       std::to_string(late) + " ms",
                                   "연습", MsgButtons::Ok, MsgIcon::Information);
}

void Player::finish() {
    if (timer_) timer_->stop();
    active_ = false;
    waiting_ = false;
    unlightAwaited();
    const bool early = playPos != playing_.eventCount();
    isPlaying = false;
    if (isPaused) {
        isPaused = false;
        f_.cmd_pause.setCaption("||");
    }
    if (early) {
        f_.keys().releaseAllKeys();
        f_.channels().liftDampersPutDownSince(dampersBefore_);
    } else {
        // The recorded releases have ended every note, unless the recording lost some (it was
        // cut off at its capacity with keys held): those keys are released; the user's own
        // held keys go on sounding.
        for (int k = 0; k < 256; ++k)
            if (playbackHeld_[static_cast<size_t>(k)] && f_.instrument().isHeld(k)) keyUp(k, 0);
    }
    playbackHeld_.fill(false);
    f_.form.setCaption("무토");
    f_.cmd_play.setCaption("▶");
    setPlaybackControlsEnabled(true);
    f_.setFocus(f_.Picture1);
    if (practising_) {
        practising_ = false;
        showPracticeScore();
    }
}

void Player::keyDown(int keyCode, int shift) {
    if (toCircleTouch_)
        f_.circleTouch().pic_CircleTouch_KeyDown(keyCode, shift);
    else
        f_.keys().Picture1_KeyDown(keyCode, shift);
}

void Player::keyUp(int keyCode, int shift) {
    if (toCircleTouch_)
        f_.circleTouch().pic_CircleTouch_KeyUp(keyCode, shift);
    else
        f_.keys().Picture1_KeyUp(keyCode, shift);
}

int Player::eventCount() const {
    return f_.recorder().performance().eventCount();
}

// --- Pause and resume -----------------------------------------------------------------------

void Player::cmd_pause_Click() {
    if (isPlaying || isPaused) {
        if (f_.cmd_pause.caption() != "||") {
            isPaused = false;
            isPlaying = true;
            f_.cmd_pause.setCaption("||");
            std::string title = f_.form.caption();
            replaceIn(title, kPausedMark, kPlaying);
            f_.form.setCaption(title);
            // The next event plays at once, the following ones at their recorded gaps.
            double now = f_.services.monotonic.now();
            nextDue_ = now;
            if (active_ && !inCallback_) arm(now);
        } else {
            f_.cmd_pause.setCaption("▶");
            isPaused = true;
            isPlaying = false;
            if (timer_) timer_->stop();
            std::string title = f_.form.caption();
            replaceIn(title, kPlaying, kPausedMark);
            f_.form.setCaption(title);
        }
    }
    f_.setFocus(f_.Picture1);
}

// --- Progress bar and start positions ---------------------------------------------------------

void Player::setPlaybackControlsEnabled(bool enabled) {
    for (Control* c : std::initializer_list<Control*>{
             &f_.cmd_open, &f_.cmd_record, &f_.cmb_key, &f_.cmb_OctShift(0), &f_.cmb_OctShift(1),
             &f_.cmb_volume(0), &f_.cmb_volume(1), &f_.cmd_save, &f_.chk_KeysetMode,
             &f_.cmd_KeysetSave, &f_.cmd_KeysetOpen, &f_.cmd_KeySetDefault, &f_.cmb_RecMax,
             &f_.cmd_AniGif, &f_.cmd_SaveConfig, &f_.chk_CircleTouch, &f_.lbl_chk(5)})
        c->setEnabled(enabled);
    if (f_.chk_CircleTouch.value() == 1) {
        for (Control* c : std::initializer_list<Control*>{&f_.chk_AniGif, &f_.lbl_chk(4),
                                                          &f_.chk_BScr, &f_.lbl_chk(9)})
            c->setEnabled(enabled);
    }
    setProgressUnits(1);
}

// The bar's scale is one unit per event; the shape's pixel width follows from it.
void Player::setProgressUnits(int units) {
    progressUnits_ = units;
    const int barWidth = f_.pic_ProgBack.geometry().width;
    const int scale = progressScale > 0 ? progressScale : eventCount();
    int px = units;
    if (scale > 0)
        px = static_cast<int>(std::lround(static_cast<double>(units) * barWidth / scale));
    // However long the performance, a started bar stays visible.
    if (units > 0 && px < 1) px = 1;
    f_.shp_progress.setWidth(std::clamp(px, 0, std::max(barWidth, 0)));
}

void Player::placeStartMarker(double pos) {
    if (eventCount() <= 0) return;
    const Rect& bar = f_.pic_ProgBack.geometry();
    double left = pos / eventCount() * bar.width + bar.left - 4;
    if (!std::isfinite(left)) return;
    f_.shp_StartPos.setLeft(static_cast<int>(std::lround(std::clamp(left, -1e6, 1e6))));
}

void Player::pic_ProgBack_MouseDown(int /*button*/, int /*shift*/, int x, int /*y*/) {
    const int barWidth = f_.pic_ProgBack.geometry().width;
    const int scale = progressScale > 0 ? progressScale : eventCount();
    double units = barWidth > 0 ? static_cast<double>(x) * scale / barWidth : 0.0;
    f_.shp_StartPos.setTag(formatPlayPosition(units));
    placeStartMarker(roundHalfEven(units));
}

void Player::img_ControlPanel_MouseDown(int /*button*/, int /*shift*/, int x, int y) {
    if (eventCount() <= 0) return;
    const Rect& bar = f_.pic_ProgBack.geometry();
    const int b = bar.top - f_.img_ControlPanel.geometry().top + bar.height;
    if (!(bar.left < x && x < bar.left + bar.width && b - 1 < y && y < b + 7)) return;
    f_.shp_StartPos.setLeft(x - 4);
    double pos = std::floor(static_cast<double>(x - bar.left) / bar.width * eventCount() + 0.555);
    f_.shp_StartPos.setTag(std::to_string(static_cast<int>(pos)));
}

void Player::lbl_Home_Click() {
    f_.shp_StartPos.setTag("0");
    placeStartMarker(0);
}

void Player::cmd_SavePlayPos_Click(int i) {
    Button& slot = f_.cmd_SavePlayPos(i);
    if (isPlaying) {
        std::string pos = std::to_string(playPos);
        slot.setTag(pos);
        f_.shp_StartPos.setTag(pos);
        placeStartMarker(playPos);
    } else {
        f_.shp_StartPos.setTag(slot.tag());
        placeStartMarker(parsePlayPosition(slot.tag()));
    }
    f_.setFocus(f_.Picture1);
}

// --- Altered keys ---------------------------------------------------------------------------

void Player::clearKeyOverrides() {
    f_.shp_key.forEach([this](Shape& s) {
        const int k = s.index();
        if (k < 0 || k > 255) return;
        const size_t i = static_cast<size_t>(k);
        if (f_.instrument().keyNote[i] == 0) return;
        Label* cap = f_.lbl_KeyCaption.find(k);
        if (cap) cap->setTag("");
        if (f_.instrument().keyAlter[i] == 0) return;
        // The key plays its natural note again, and shows it.
        const int natural = f_.instrument().keyNote[i] - f_.instrument().keyAlter[i];
        f_.instrument().keyNote[i] =
            natural > 0 && natural <= 255 ? static_cast<uint8_t>(natural) : 0;
        f_.instrument().keyAlter[i] = 0;
        if (f_.instrument().keyNote[i] == 0) {
            if (cap) cap->setCaption("");
            return;
        }
        if (cap) cap->setCaption(f_.display().noteCaption(f_.instrument().keyNote[i], false));
        f_.display().keyStaffTop[i] = f_.display().staffTopOf(f_.instrument().keyNote[i], k);
    });
}

}  // namespace muto
