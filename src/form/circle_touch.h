// The circle-touch input surface: the keys play as on the keyboard picture, but instead of
// lighting the key shapes every note starts a ring that grows out of the key's place and
// vanishes. Eight ring slots grow at once; a ninth note takes over the oldest slot. One step
// timer moves every growing ring at the same tick, so a view repaints all of them in one frame.
#pragma once

#include <array>
#include <memory>

#include "common/time.h"
#include "form/controls.h"

namespace muto {

class Form1;

// What a view needs to draw one ring slot: its centre and radius in window pixels, its colour,
// and whether it shows at all.
struct Ring {
    float x = 0;
    float y = 0;
    float radius = 0;
    Colour colour = 0;
    bool active = false;
    bool operator==(const Ring&) const = default;
};

// Told about every change of a ring slot, with the ring as it was and as it is now, so a view
// can redraw only the area the two cover.
class RingObserver {
public:
    virtual ~RingObserver() = default;
    virtual void ringChanged(int slot, const Ring& before, const Ring& after) = 0;
};

class CircleTouch {
public:
    static constexpr int kSlots = 8;
    // A growing ring steps every 30 ms by 3.4 pixels and is gone once its radius passes 139.
    static constexpr Timer::Duration kStepInterval{30'000};
    static constexpr float kGrowth = 3.4f;
    static constexpr float kMaxRadius = 139.0f;

    explicit CircleTouch(Form1& form);
    ~CircleTouch();

    // The surface got the focus while the mode is off: the keyboard picture takes it.
    void pic_CircleTouch_GotFocus();
    void chk_CircleTouch_Click();
    void lbl_CircleColor_Click(int index);
    // One growth step of every growing ring.
    void Timer1_Timer();

    // Starts a ring around key k's (hidden) shape in the next slot.
    void startRing(int keyCode);

    Ring ring(int slot) const;
    bool growing(int slot) const;
    void setRingObserver(RingObserver* observer) { observer_ = observer; }
    RingObserver* ringObserver() const { return observer_; }

    // Stops every ring and takes it off the window.
    void clearRings();

    // The ring slots: centre and radius in window pixels, colour,
    std::array<float, 8> circleX{};
    std::array<float, 8> circleY{};
    std::array<float, 8> circleRadius{};
    std::array<Colour, 8> circleColors{};
    // The slot the next note takes.
    int16_t nextCircle = 0;

private:
    Timer& timer();
    void changed(int slot, const Ring& before);
    void stop(int slot);

    Form1& f_;
    std::unique_ptr<Timer> timer_;
    double nextTick_ = 0;  // when the step timer is due next, on the monotonic clock
    std::array<bool, kSlots> growing_{};
    // A ring started less than half a step before the next tick grows from the tick after it,
    // so its first step comes 15 to 45 ms after its start and 30 ms later on average.
    std::array<bool, kSlots> waiting_{};
    RingObserver* observer_ = nullptr;
};

}  // namespace muto
