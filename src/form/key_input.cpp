#include "form/key_input.h"

#include <string>

#include "form/circle_touch.h"
#include "form/form1.h"
#include "form/key_display.h"
#include "form/record_panel.h"
#include "form/visual_options.h"
#include "instrument/key_layout.h"
#include "performance/player.h"

namespace muto {

namespace {

using namespace vk;

// The right Ctrl key's indicator shape, lit with the left one.
constexpr int kRightCtrlImg = 12;

size_t ix(int k) {
    return static_cast<size_t>(k & 0xFF);
}

// Marks a key event of an input surface as the one in hand while it is handled.
class LiveEvent {
public:
    LiveEvent(bool& live, InputSurface& slot, InputSurface surface)
        : live_(live), slot_(slot), wasLive_(live), was_(slot) {
        live_ = true;
        slot_ = surface;
    }
    ~LiveEvent() {
        live_ = wasLive_;
        slot_ = was_;
    }
    LiveEvent(const LiveEvent&) = delete;
    LiveEvent& operator=(const LiveEvent&) = delete;

private:
    bool& live_;
    InputSurface& slot_;
    bool wasLive_;
    InputSurface was_;
};

}  // namespace

bool KeyInput::isHeld(int k) const {
    return f_.instrument().isHeld(k);
}

void KeyInput::Picture1_GotFocus() {
    if (f_.chk_CircleTouch.value() == 1) f_.setFocus(f_.pic_CircleTouch);
}

InputSurface KeyInput::surface() const {
    if (live_) return liveSurface_;
    return f_.chk_CircleTouch.value() == 1 ? InputSurface::CircleTouch : InputSurface::Keyboard;
}

void KeyInput::keyDown(InputSurface surface, int k, int shift) {
    if (!keyRoleOf(k) || isHeld(k)) return;
    LiveEvent live(live_, liveSurface_, surface);
    // The key that starts a recording (the R of Alt+R) is not part of it: its release went to
    // the start question, so played back it would sound a note that never ends.
    const bool wasRecording = f_.recorder().isRecording();
    // A practising playback waits for this press, or counts it as a wrong key.
    const bool note = f_.keyboard().playsNote(k, shift);
    if (note) f_.player().userPressingNote(k);
    const bool played = f_.keyboard().keyDown(k, shift) == Keyboard::Press::Played;
    if (note && played) f_.player().userPressedNote(k);
    if (played && wasRecording) f_.recording().recordKeyEvent(k, true);
}

void KeyInput::keyUp(InputSurface surface, int k, int /*shift*/) {
    LiveEvent live(live_, liveSurface_, surface);
    if (f_.keyboard().keyUp(k)) f_.recording().recordKeyEvent(k, false);
}

void KeyInput::releaseAllKeys() {
    // Through the surface of the current mode, so the circle-touch surface's keys never light
    // the hidden key shapes or the flash bar.
    const InputSurface surface =
        f_.chk_CircleTouch.value() == 1 ? InputSurface::CircleTouch : InputSurface::Keyboard;
    for (int k = 0; k < 256; ++k)
        if (isHeld(k)) keyUp(surface, k, 0);
}

// Playing the Num Lock key toggles the lock off; it is turned on again at once.
void KeyInput::keepNumLockOn() {
    KeyboardLeds& leds = f_.services.leds;
    // Setting the lock injects no key events, so nothing is swallowed or waited for here.
    if (!leds.available() || leds.numLockOn()) return;
    leds.setNumLock(true);
}

// --- What the keys show -----------------------------------------------------------------------

void KeyInput::noteStruck(int k, int note, int alter) {
    const bool keyboard = surface() == InputSurface::Keyboard;
    if (keyboard)
        f_.shp_key(k).setLit(true);
    else
        f_.circleTouch().startRing(k);
    f_.display().setPianoKeyLit(note, true);
    f_.display().showNoteMarker(k, f_.display().keyNoteSign[ix(k)] + alter);
    if (keyboard) f_.shp_BScr.setLit(false);
    if (k == kNumLock) keepNumLockOn();
}

void KeyInput::noteReleased(int k, int note) {
    const bool keyboard = surface() == InputSurface::Keyboard;
    f_.display().setPianoKeyLit(note, false);
    if (keyboard) f_.shp_key(k).setLit(false);
    f_.lbl_note(f_.display().keyMarker[ix(k)] % 10).setVisible(false);
    if (keyboard) f_.shp_BScr.setLit(true);
}

void KeyInput::semitonesChanged() {
    // The circle-touch surface shows nothing for Space and Ctrl.
    if (surface() != InputSurface::Keyboard) return;
    f_.shp_key(kSpace).setLit(f_.instrument().sharpHeld);
    const bool ctrl = f_.instrument().flatHeld;
    f_.shp_key(kCtrl).setLit(ctrl);
    if (f_.shp_img.exists(kRightCtrlImg)) f_.shp_img(kRightCtrlImg).setLit(ctrl);
}

void KeyInput::degreeChanged(int d, bool justAltered) {
    if (!justAltered) {
        f_.display().refreshDegreeLabel(d);
        return;
    }
    Shape& key = f_.shp_key(kF1 + d);
    key.setLit(true);
    key.setBackColor(f_.visualOptions().pressColor);
}

void KeyInput::degreeCleared(int d) {
    f_.shp_key(kF1 + d).setLit(false);
    f_.display().refreshDegreeLabel(d);
}

void KeyInput::keyEdited(int k, int note, int delta) {
    Label& cap = f_.display().keyCaption(k);
    cap.setCaption(f_.display().noteCaption(note, delta > 0));
    cap.setTag(delta > 0 ? "s" : "f");
    f_.display().keyStaffTop[ix(k)] = f_.display().staffTopOf(note, k);
}

// --- The settings the shortcut keys change ------------------------------------------------------

bool KeyInput::setKeySignature(int listIndex) {
    return f_.cmb_key.setListIndex(listIndex);
}

bool KeyInput::stepList(int which, int ch, int delta) {
    ListBox& box = which == 0 ? f_.cmb_OctShift(ch) : f_.cmb_volume(ch);
    if (delta > 0 && box.listIndex() >= box.listCount() - 1) return true;
    if (delta < 0 && box.listIndex() <= 0) return true;
    return box.setListIndex(box.listIndex() + delta);
}

bool KeyInput::stepOctave(int ch, int delta) {
    return stepList(0, ch, delta);
}

bool KeyInput::stepVolume(int ch, int delta) {
    return stepList(1, ch, delta);
}

bool KeyInput::toggleDamper(int ch) {
    return f_.chk_damper(ch).setValue(f_.chk_damper(ch).value() == 1 ? 0 : 1);
}

bool KeyInput::toggleLink() {
    return f_.chk_ESync.setValue(f_.chk_ESync.value() == 1 ? 0 : 1);
}

bool KeyInput::stepSpeed(int delta) {
    return f_.vbar_Effect(3).setValue(f_.vbar_Effect(3).value() + delta);
}

void KeyInput::chooseProgram(int ch, int program) {
    if (program < f_.cmb_inst(ch).listCount()) f_.cmb_inst(ch).setListIndex(program);
}

// The transport keys press the panel's buttons.
void KeyInput::transport(char letter) {
    const Player& player = f_.player();
    const bool recording = f_.recorder().isRecording();
    const bool playing = player.isPlaying() || player.isPaused();
    Button* button = nullptr;
    switch (letter) {
        case 'O':
            if (f_.cmd_open.enabled()) button = &f_.cmd_open;
            break;
        case 'P':
            if (!player.isPlaying() && !recording)
                button = player.isPaused() ? &f_.cmd_pause : &f_.cmd_play;
            break;
        case 'R':
            if (!recording && !playing) button = &f_.cmd_record;
            break;
        case 'S':
            if (playing)
                button = &f_.cmd_play;
            else if (recording)
                button = &f_.cmd_record;
            break;
        case 'W':
            if (playing) button = &f_.cmd_pause;
            break;
        default:
            break;
    }
    if (button && button->onClick) button->onClick();
}

}  // namespace muto
