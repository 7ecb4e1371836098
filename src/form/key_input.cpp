#include "form/key_input.h"

#include <string>

#include "form/circle_touch.h"
#include "form/form1.h"
#include "form/key_display.h"
#include "form/midi.h"
#include "form/startup.h"
#include "form/vk.h"
#include "performance/performance_files.h"
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
    return f_.heldAlter[ix(k)] != kNotHeld;
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
    const bool wasRecording = f_.isRecording;
    bool ok;
    if ((shift & (kShiftMask | kAltMask)) != 0 || !isNoteRole(role)) {
        ok = shortcut(surface, k, shift);
    } else if (f_.keyAlterEditMode) {
        editKeySet(k);
        ok = true;
    } else {
        f_.player().userPressingNote(k);
        ok = playNote(surface, k, role);
        // A practising playback waits for this press, or counts it as a wrong key.
        if (ok) f_.player().userPressedNote(k);
    }
    if (ok && wasRecording) f_.recorder().recordKeyEvent(k, true);
}

bool KeyInput::playNote(InputSurface surface, int k, KeyRole role) {
    // A key without a note (Backspace, until key-set editing raises it) sounds and shows
    // nothing; its press is still recorded.
    if (f_.keyNote[ix(k)] == 0) return true;
    int a = f_.sharpHeld ? 1 : (f_.flatHeld ? -1 : 0);
    if (f_.alteredDegreeCount > 0) {
        int t = f_.cmb_key.selectedItemData();
        int r = (f_.keyNote[ix(k)] - t) % 12;
        for (int i = 0; i < f_.alteredDegreeCount && i < 7; ++i) {
            int d = f_.alteredDegrees[static_cast<size_t>(i)];
            if (r == f_.scaleSteps[static_cast<size_t>(d)]) {
                a += f_.degreeAlter[static_cast<size_t>(d)];
                break;
            }
        }
    }
    int n = f_.keyNote[ix(k)] + a;
    auto msg = noteOnMsg(channelOf(role), n);
    // A note outside 0..127 cannot be sent: the press ends without effect and the key does not
    // become held, so its release cannot leave anything behind.
    if (!msg) return false;
    f_.heldAlter[ix(k)] = static_cast<int16_t>(a);
    f_.heldNote[ix(k)] = static_cast<int16_t>(n);
    f_.midi().send(*msg);
    const bool keyboard = surface == InputSurface::Keyboard;
    if (keyboard)
        f_.shp_key(k).setLit(true);
    else
        f_.circleTouch().startRing(k);
    f_.display().setPianoKeyLit(n, true);
    f_.display().showNoteMarker(k, f_.keyNoteSign[ix(k)] + a);
    if (keyboard) f_.shp_BScr.setLit(false);
    if (k == kNumLock) keepNumLockOn();
    return true;
}

void KeyInput::editKeySet(int k) {
    size_t i = ix(k);
    if (f_.sharpHeld) {
        if (f_.keyNote[i] >= 107) return;
        f_.keyNote[i] = static_cast<uint8_t>(f_.keyNote[i] + 1);
        f_.keyAlter[i] = static_cast<int16_t>(f_.keyAlter[i] + 1);
        Label& cap = f_.display().keyCaption(k);
        cap.setCaption(f_.display().noteCaption(f_.keyNote[i], true));
        cap.setTag("s");
    } else if (f_.flatHeld) {
        if (f_.keyNote[i] == 0) return;
        f_.keyNote[i] = static_cast<uint8_t>(f_.keyNote[i] - 1);
        f_.keyAlter[i] = static_cast<int16_t>(f_.keyAlter[i] - 1);
        Label& cap = f_.display().keyCaption(k);
        cap.setCaption(f_.display().noteCaption(f_.keyNote[i], false));
        cap.setTag("f");
    } else {
        return;
    }
    f_.keyStaffTop[i] = f_.display().staffTopOf(f_.keyNote[i], k);
}

void KeyInput::clearDegreeAccidentals(bool allDegrees) {
    if (allDegrees) {
        for (int d = 0; d < 7; ++d) {
            f_.shp_key(kF1 + d).setLit(false);
            f_.degreeAlter[static_cast<size_t>(d)] = 0;
            f_.display().refreshDegreeLabel(d);
        }
    } else {
        for (int i = 0; i < f_.alteredDegreeCount && i < 7; ++i) {
            int d = f_.alteredDegrees[static_cast<size_t>(i)];
            f_.shp_key(kF1 + d).setLit(false);
            f_.degreeAlter[static_cast<size_t>(d)] = 0;
            f_.display().refreshDegreeLabel(d);
        }
    }
    f_.alteredDegreeCount = 0;
}

bool KeyInput::stepList(int which, int ch, int delta) {
    ListBox& box = which == 0 ? f_.cmb_OctShift(ch) : f_.cmb_volume(ch);
    int i = box.listIndex() + delta;
    if (delta > 0 && box.listIndex() >= box.listCount() - 1) return true;
    if (delta < 0 && box.listIndex() <= 0) return true;
    return box.setListIndex(i);
}

void KeyInput::typeProgramDigit(int digit) {
    int16_t& typed = f_.typedProgram[f_.flatHeld ? 0 : 1];
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
            f_.flatHeld = true;
            f_.heldAlter[ix(k)] = 0;
            if (keyboard) lightCtrl(true);
            if (f_.sharpHeld) {
                f_.sharpHeld = false;
                if (keyboard) f_.shp_key(kSpace).setLit(false);
            }
            return true;
        case kEsc:
            f_.setDegreeAlterDirection(-f_.degreeAlterDirection());
            clearDegreeAccidentals(true);
            return true;
        case kSpace:
            if (keyboard) f_.shp_key(kSpace).setLit(true);
            f_.sharpHeld = true;
            f_.heldAlter[ix(k)] = 0;
            if (f_.flatHeld) {
                f_.flatHeld = false;
                if (keyboard) lightCtrl(false);
            }
            if (f_.alteredDegreeCount > 0) clearDegreeAccidentals(false);
            return true;
        case kF8:
            return f_.chk_damper(0).setValue(f_.chk_damper(0).value() == 1 ? 0 : 1);
        case kF9:
            return f_.chk_damper(1).setValue(f_.chk_damper(1).value() == 1 ? 0 : 1);
        default:
            break;
    }
    if (isDegreeKey(k)) {
        size_t d = static_cast<size_t>(degreeOf(k));
        if (f_.degreeAlter[d] != 0) {
            f_.degreeAlter[d] = static_cast<int16_t>(-f_.degreeAlter[d]);
            f_.display().refreshDegreeLabel(static_cast<int>(d));
        } else if (f_.alteredDegreeCount < 7) {
            f_.degreeAlter[d] = static_cast<int16_t>(f_.degreeAlterDirection());
            f_.shp_key(k).setLit(true);
            f_.shp_key(k).setBackColor(f_.pressColor);
            f_.alteredDegrees[static_cast<size_t>(f_.alteredDegreeCount)] = static_cast<int16_t>(d);
            ++f_.alteredDegreeCount;
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
                if (f_.isPlaying || f_.isRecording) return true;
                if (f_.isPaused)
                    f_.player().cmd_pause_Click();
                else
                    f_.player().cmd_play_Click();
                return true;
            case 'R':
                if (!f_.isRecording && !f_.isPlaying && !f_.isPaused)
                    f_.recorder().cmd_record_Click();
                return true;
            case 'S':
                if (f_.isPlaying || f_.isPaused)
                    f_.player().cmd_play_Click();
                else if (f_.isRecording)
                    f_.recorder().cmd_record_Click();
                return true;
            case 'W':
                if (f_.isPlaying || f_.isPaused) f_.player().cmd_pause_Click();
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
        int typed = f_.typedProgram[static_cast<size_t>(ch)];
        if (typed < 0) continue;
        if (typed < f_.cmb_inst(ch).listCount()) f_.cmb_inst(ch).setListIndex(typed);
        break;
    }
    f_.typedProgram = {-1, -1};
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
                f_.sharpHeld = false;
                f_.heldAlter[i] = kNotHeld;
                if (keyboard) f_.shp_key(kSpace).setLit(false);
                break;
            case kCtrl:
                f_.flatHeld = false;
                f_.heldAlter[i] = kNotHeld;
                if (keyboard) lightCtrl(false);
                break;
            case kAlt:
                applyTypedProgram();
                break;
            default:
                break;
        }
    } else if (isHeld(k)) {
        int n = f_.heldNote[i];
        if (auto msg = noteOffMsg(channelOf(role), n)) f_.midi().send(*msg);
        f_.display().setPianoKeyLit(n, false);
        f_.heldAlter[i] = kNotHeld;
        if (keyboard) f_.shp_key(k).setLit(false);
        f_.lbl_note(f_.keyMarker[i] % 10).setVisible(false);
        if (keyboard) f_.shp_BScr.setLit(true);
    }
    f_.recorder().recordKeyEvent(k, false);
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
