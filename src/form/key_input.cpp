#include "form/key_input.h"

#include <string>
#include <vector>

#include "form/circle_touch.h"
#include "form/form1.h"
#include "form/key_display.h"
#include "form/midi.h"
#include "form/performance_files.h"
#include "form/playback_panel.h"
#include "form/record_panel.h"
#include "form/startup.h"
#include "form/visual_options.h"
#include "instrument/vk.h"
#include "performance/player.h"
#include "performance/recorder.h"

namespace muto {

namespace {

using namespace vk;

// The right Ctrl key's indicator shape, lit with the left one.
constexpr int kRightCtrlImg = 12;
// Alt+1..7 choose the flat key signatures, list entries 8..14.
constexpr int kFlatSignatureOffset = '1' - 8;

size_t ix(int k) {
    return static_cast<size_t>(k & 0xFF);
}

}  // namespace

bool KeyInput::isHeld(int k) const {
    return f_.instrument().isHeld(k);
}

void KeyInput::Picture1_GotFocus() {
    if (f_.chk_CircleTouch.value() == 1) f_.setFocus(f_.pic_CircleTouch);
}

void KeyInput::lightCtrl(bool lit) {
    f_.shp_key(kCtrl).setLit(lit);
    if (f_.shp_img.exists(kRightCtrlImg)) f_.shp_img(kRightCtrlImg).setLit(lit);
}

void KeyInput::keyDown(InputSurface surface, int k, int shift) {
    if (k < 0 || k > 255) return;
    if (isHeld(k)) return;
    Shape* shape = f_.shp_key.find(k);
    if (!shape || !shape->role()) return;
    const KeyRole role = *shape->role();
    // The key that starts a recording (the R of Alt+R) is not part of it: its release went to
    // the start question, so played back it would sound a note that never ends.
    const bool wasRecording = f_.recorder().isRecording();
    bool ok;
    if ((shift & (kShiftMask | kAltMask)) != 0 || !isNoteRole(role)) {
        ok = shortcut(surface, k, shift);
    } else if (keyAlterEditMode) {
        editKeySet(k);
        ok = true;
    } else {
        f_.player().userPressingNote(k);
        ok = playNote(surface, k, role);
        // A practising playback waits for this press, or counts it as a wrong key.
        if (ok) f_.player().userPressedNote(k);
    }
    if (ok && wasRecording) f_.recording().recordKeyEvent(k, true);
}

bool KeyInput::playNote(InputSurface surface, int k, KeyRole role) {
    // A key without a note (Backspace, until key-set editing raises it) sounds and shows
    // nothing; its press is still recorded.
    if (f_.instrument().keyNote[ix(k)] == 0) return true;
    // A note outside 0..127 cannot be sent: the press ends without effect and the key does not
    // become held, so its release cannot leave anything behind.
    const auto struck = f_.instrument().press(k, channelOf(role));
    if (!struck) return false;
    const int n = struck->note, a = struck->alter;
    const bool keyboard = surface == InputSurface::Keyboard;
    if (keyboard)
        f_.shp_key(k).setLit(true);
    else
        f_.circleTouch().startRing(k);
    f_.display().setPianoKeyLit(n, true);
    f_.display().showNoteMarker(k, f_.display().keyNoteSign[ix(k)] + a);
    if (keyboard) f_.shp_BScr.setLit(false);
    if (k == kNumLock) keepNumLockOn();
    return true;
}

void KeyInput::editKeySet(int k) {
    const int delta = f_.instrument().sharpHeld ? 1 : (f_.instrument().flatHeld ? -1 : 0);
    if (!f_.instrument().alterKey(k, delta)) return;
    const int note = f_.instrument().keyNote[ix(k)];
    Label& cap = f_.display().keyCaption(k);
    cap.setCaption(f_.display().noteCaption(note, delta > 0));
    cap.setTag(delta > 0 ? "s" : "f");
    f_.display().keyStaffTop[ix(k)] = f_.display().staffTopOf(note, k);
}

void KeyInput::clearDegreeAccidentals(bool allDegrees) {
    const std::vector<int> cleared = f_.instrument().clearDegrees();
    if (allDegrees) {
        for (int d = 0; d < 7; ++d)
            unlightDegree(d);
    } else {
        for (int d : cleared)
            unlightDegree(d);
    }
}

void KeyInput::unlightDegree(int d) {
    f_.shp_key(kF1 + d).setLit(false);
    f_.display().refreshDegreeLabel(d);
}

bool KeyInput::stepList(int which, int ch, int delta) {
    ListBox& box = which == 0 ? f_.cmb_OctShift(ch) : f_.cmb_volume(ch);
    int i = box.listIndex() + delta;
    if (delta > 0 && box.listIndex() >= box.listCount() - 1) return true;
    if (delta < 0 && box.listIndex() <= 0) return true;
    return box.setListIndex(i);
}

void KeyInput::typeProgramDigit(int digit) {
    int16_t& typed = typedProgram[f_.instrument().flatHeld ? 0 : 1];
    if (typed < 0)
        typed = static_cast<int16_t>(digit);
    else if (typed < 100)
        typed = static_cast<int16_t>(typed * 10 + digit);
}

bool KeyInput::shortcut(InputSurface surface, int k, int shift) {
    // The circle-touch surface shows nothing for Space and Ctrl.
    const bool keyboard = surface == InputSurface::Keyboard;
    // Whatever the shift state.
    switch (k) {
        case kCtrl:
            if (keyboard && f_.instrument().sharpHeld) f_.shp_key(kSpace).setLit(false);
            f_.instrument().holdSemitone(k, -1);
            if (keyboard) lightCtrl(true);
            return true;
        case kEsc:
            f_.setDegreeAlterDirection(-f_.degreeAlterDirection());
            clearDegreeAccidentals(true);
            return true;
        case kSpace:
            if (keyboard) f_.shp_key(kSpace).setLit(true);
            if (keyboard && f_.instrument().flatHeld) lightCtrl(false);
            f_.instrument().holdSemitone(k, +1);
            if (f_.instrument().alteredDegreeCount > 0) clearDegreeAccidentals(false);
            return true;
        case kF8:
            return f_.chk_damper(0).setValue(f_.chk_damper(0).value() == 1 ? 0 : 1);
        case kF9:
            return f_.chk_damper(1).setValue(f_.chk_damper(1).value() == 1 ? 0 : 1);
        default:
            break;
    }
    if (isDegreeKey(k)) {
        const int d = degreeOf(k);
        const bool wasAltered = f_.instrument().degreeAlter[static_cast<size_t>(d)] != 0;
        if (f_.instrument().toggleDegree(d, f_.degreeAlterDirection())) {
            f_.shp_key(k).setLit(true);
            f_.shp_key(k).setBackColor(f_.visualOptions().pressColor);
        } else if (wasAltered) {
            f_.display().refreshDegreeLabel(d);
        }
        return true;
    }

    if (shift == kShiftMask) {
        if (k >= kDigit0 && k <= kDigit0 + 7) return f_.cmb_key.setListIndex(k - kDigit0);
        switch (k) {
            case kUp:
                return stepList(0, 0, +1);
            case kDown:
                return stepList(0, 0, -1);
            case kLeft:
                return stepList(1, 0, +1);
            case kRight:
                return stepList(1, 0, -1);
            default:
                return true;
        }
    }

    if ((shift & kAltMask) != 0) {
        if (k == kDigit0) return f_.cmb_key.setListIndex(0);
        if (k >= kDigit0 + 1 && k <= kDigit0 + 7)
            return f_.cmb_key.setListIndex(k - kFlatSignatureOffset);
        if (isNumPadDigit(k)) {
            typeProgramDigit(k - kNumPad0);
            return true;
        }
        switch (k) {
            case kUp:
                return stepList(0, 1, +1);
            case kDown:
                return stepList(0, 1, -1);
            case kLeft:
                return stepList(1, 1, +1);
            case kRight:
                return stepList(1, 1, -1);
            case 'O':
                if (f_.cmd_open.enabled()) f_.performanceFiles().cmd_open_Click();
                return true;
            case 'P':
                if (f_.player().isPlaying() || f_.recorder().isRecording()) return true;
                if (f_.player().isPaused())
                    f_.playback().cmd_pause_Click();
                else
                    f_.playback().cmd_play_Click();
                return true;
            case 'R':
                if (!f_.recorder().isRecording() && !f_.player().isPlaying() &&
                    !f_.player().isPaused())
                    f_.recording().cmd_record_Click();
                return true;
            case 'S':
                if (f_.player().isPlaying() || f_.player().isPaused())
                    f_.playback().cmd_play_Click();
                else if (f_.recorder().isRecording())
                    f_.recording().cmd_record_Click();
                return true;
            case 'W':
                if (f_.player().isPlaying() || f_.player().isPaused())
                    f_.playback().cmd_pause_Click();
                return true;
            default:
                return true;
        }
    }

    // Neither Shift alone nor Alt.
    switch (k) {
        case kPause:
            return f_.chk_ESync.setValue(f_.chk_ESync.value() == 1 ? 0 : 1);
        case kF11:
            return f_.vbar_Effect(3).setValue(f_.vbar_Effect(3).value() - 1);
        case kF12:
            return f_.vbar_Effect(3).setValue(f_.vbar_Effect(3).value() + 1);
        default:
            return true;
    }
}

void KeyInput::applyTypedProgram() {
    for (int ch = 0; ch < 2; ++ch) {
        int typed = typedProgram[static_cast<size_t>(ch)];
        if (typed < 0) continue;
        if (typed < f_.cmb_inst(ch).listCount()) f_.cmb_inst(ch).setListIndex(typed);
        break;
    }
    typedProgram = {-1, -1};
}

void KeyInput::keyUp(InputSurface surface, int k, int /*shift*/) {
    if (k < 0 || k > 255) return;
    Shape* shape = f_.shp_key.find(k);
    if (!shape || !shape->role()) return;
    const KeyRole role = *shape->role();
    size_t i = ix(k);
    const bool keyboard = surface == InputSurface::Keyboard;
    if (!isNoteRole(role)) {
        switch (k) {
            case kSpace:
                f_.instrument().sharpHeld = false;
                f_.instrument().heldAlter[i] = kNotHeld;
                if (keyboard) f_.shp_key(kSpace).setLit(false);
                break;
            case kCtrl:
                f_.instrument().flatHeld = false;
                f_.instrument().heldAlter[i] = kNotHeld;
                if (keyboard) lightCtrl(false);
                break;
            case kAlt:
                applyTypedProgram();
                break;
            default:
                break;
        }
    } else if (const auto n = f_.instrument().release(k, channelOf(role))) {
        f_.display().setPianoKeyLit(*n, false);
        if (keyboard) f_.shp_key(k).setLit(false);
        f_.lbl_note(f_.display().keyMarker[i] % 10).setVisible(false);
        if (keyboard) f_.shp_BScr.setLit(true);
    }
    f_.recording().recordKeyEvent(k, false);
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
    f_.startup().ensureNumLockOn();
}

}  // namespace muto
