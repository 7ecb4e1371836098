#include "form/circle_touch.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "form/form1.h"
#include "performance/player.h"

namespace muto {

namespace {

// The indicator outside the palette, and the rainbow swatch inside it.
constexpr int kIndicator = 9;
constexpr int kRainbow = 8;
// The picture of the right Ctrl key stays hidden whenever the key shapes show.
constexpr int kHiddenImg = 13;

size_t ix(int slot) {
    return static_cast<size_t>(slot);
}

}  // namespace

CircleTouch::CircleTouch(Form1& form) : f_(form) {}

CircleTouch::~CircleTouch() = default;

void CircleTouch::pic_CircleTouch_GotFocus() {
    if (f_.chk_CircleTouch.value() == 0) f_.setFocus(f_.Picture1);
}

Timer& CircleTouch::timer() {
    if (!timer_) {
        timer_ = f_.services.timers.createTimer(TimerKind::Periodic);
        timer_->onTimeout = [this] { Timer1_Timer(); };
    }
    return *timer_;
}

bool CircleTouch::growing(int slot) const {
    return slot >= 0 && slot < kSlots && growing_[ix(slot)];
}

Ring CircleTouch::ring(int slot) const {
    if (slot < 0 || slot >= kSlots) return {};
    const size_t s = ix(slot);
    return {circleX[s], circleY[s], circleRadius[s], circleColors[s], growing(slot)};
}

void CircleTouch::changed(int slot, const Ring& before) {
    if (!observer_) return;
    const Ring after = ring(slot);
    if (after != before) observer_->ringChanged(slot, before, after);
}

void CircleTouch::startRing(int keyCode) {
    const Shape* shape = f_.shp_key.find(keyCode);
    if (!shape) return;
    int slot = nextCircle;
    if (slot < 0 || slot >= kSlots) slot = 0;
    const size_t s = ix(slot);
    // A slot still growing gives its ring up: the notice below takes the old ring off.
    const Ring before = ring(slot);
    const Rect& g = shape->geometry();
    circleRadius[s] = 0;
    circleX[s] = static_cast<float>(g.left) + static_cast<float>(g.width) / 2;
    circleY[s] = static_cast<float>(g.top) + static_cast<float>(g.height) / 2;
    const double now = f_.services.monotonic.now();
    const double step = std::chrono::duration<double>(kStepInterval).count();
    Timer& t = timer();
    if (!t.active()) {
        t.start(kStepInterval);
        nextTick_ = now + step;
    }
    growing_[s] = true;
    waiting_[s] = nextTick_ - now < step / 2;
    nextCircle = static_cast<int16_t>(slot + 1 < kSlots ? slot + 1 : 0);
    changed(slot, before);
}

void CircleTouch::stop(int slot) {
    growing_[ix(slot)] = false;
    waiting_[ix(slot)] = false;
    if (timer_ && std::find(growing_.begin(), growing_.end(), true) == growing_.end())
        timer_->stop();
}

void CircleTouch::Timer1_Timer() {
    nextTick_ = f_.services.monotonic.now() + std::chrono::duration<double>(kStepInterval).count();
    for (int slot = 0; slot < kSlots; ++slot) {
        const size_t s = ix(slot);
        if (!growing_[s]) continue;
        if (waiting_[s]) {
            waiting_[s] = false;
            continue;
        }
        const Ring before = ring(slot);
        circleRadius[s] += kGrowth;
        if (circleRadius[s] > kMaxRadius) stop(slot);
        changed(slot, before);
    }
}

void CircleTouch::clearRings() {
    for (int slot = 0; slot < kSlots; ++slot) {
        const Ring before = ring(slot);
        stop(slot);
        changed(slot, before);
    }
}

void CircleTouch::chk_CircleTouch_Click() {
    const bool on = f_.chk_CircleTouch.value() == 1;
    if (on) {
        f_.chk_AniGif.setValue(0);
        f_.chk_BScr.setValue(0);
        f_.shp_img.forEach([](Shape& s) { s.setVisible(false); });
        f_.shp_key.forEach([](Shape& s) { s.setVisible(false); });
    } else {
        clearRings();
        f_.shp_img.forEach([](Shape& s) { s.setVisible(true); });
        f_.shp_key.forEach([](Shape& s) { s.setVisible(true); });
        if (f_.shp_img.exists(kHiddenImg)) f_.shp_img(kHiddenImg).setVisible(false);
    }
    if (f_.form.visible()) f_.setFocus(on ? f_.pic_CircleTouch : f_.Picture1);
}

void CircleTouch::lbl_CircleColor_Click(int i) {
    if (i < 0 || i > kIndicator || !f_.lbl_CircleColor.exists(i)) return;
    Label& indicator = f_.lbl_CircleColor(kIndicator);
    if (i == kIndicator) {
        if (!f_.player().isPlaying()) f_.pic_Palette.setVisible(!f_.pic_Palette.visible());
        return;
    }
    if (i == kRainbow) {
        indicator.setBackColor(rgb(255, 255, 255));
        indicator.setCaption("R");
        for (int s = 0; s < kSlots; ++s)
            if (f_.lbl_CircleColor.exists(s))
                circleColors[ix(s)] = f_.lbl_CircleColor(s).backColor();
    } else {
        const Colour c = f_.lbl_CircleColor(i).backColor();
        indicator.setBackColor(c);
        indicator.setCaption("");
        circleColors.fill(c);
    }
    f_.pic_Palette.setVisible(false);
    indicator.setTag(std::to_string(i));
}

}  // namespace muto
