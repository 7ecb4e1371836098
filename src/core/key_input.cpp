#include "core/key_input.h"

#include <string>

#include "core/form1.h"
#include "core/midi.h"
#include "core/startup.h"
#include "display/key_display.h"

namespace muto {

namespace {

constexpr int kVkCtrl = 17;
constexpr int kVkEsc = 27;
constexpr int kVkSpace = 32;
constexpr int kVkAlt = 18;
constexpr int kVkPause = 19;
constexpr int kVkLeft = 37;
constexpr int kVkUp = 38;
constexpr int kVkRight = 39;
constexpr int kVkDown = 40;
constexpr int kVkF1 = 112;
constexpr int kVkF8 = 119;
constexpr int kVkF9 = 120;
constexpr int kVkF11 = 122;
constexpr int kVkF12 = 123;
constexpr int kVkNumLock = 144;
constexpr int kRightCtrlImg = 12;

size_t ix(int k) {
    return static_cast<size_t>(k & 0xFF);
}

}  // namespace

bool KeyInput::isHeld(int k) const {
    return f_.heldAlter[ix(k)] != kNotHeld;
}

void KeyInput::Picture1_KeyDown(int k, int shift) {
    if (f_.synthKeyActive) return;
    if (k < 0 || k > 255) return;
    if (isHeld(k)) return;
    Shape* shape = f_.shp_key.find(k);
    if (!shape) return;
    int role = shape->role();
    bool ok;
    if ((shift & (kShiftMask | kAltMask)) != 0 || role >= 2) {
        ok = shortcut(k, shift);
    } else if (f_.keyAlterEditMode) {
        editKeySet(k);
        ok = true;
    } else {
        ok = playNote(k, role);
    }
    if (ok) record(k, true);
}

bool KeyInput::playNote(int k, int role) {
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
    auto msg = noteOnMsg(role, n);
    // A note outside 0..127 cannot be sent: the press ends without effect and the key does not
    // become held, so its release cannot leave anything behind.
    if (!msg) return false;
    f_.heldAlter[ix(k)] = static_cast<int16_t>(a);
    f_.heldNote[ix(k)] = static_cast<int16_t>(n);
    f_.midi().send(*msg);
    f_.shp_key(k).setLit(true);
    f_.display().setPianoKeyLit(n, true);
    f_.display().showNoteMarker(k, f_.keyNoteSign[ix(k)] + a);
    f_.shp_BScr.setLit(false);
    if (k == kVkNumLock) keepNumLockOn();
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
            f_.shp_key(kVkF1 + d).setLit(false);
            f_.degreeAlter[static_cast<size_t>(d)] = 0;
            f_.display().refreshDegreeLabel(d);
        }
    } else {
        for (int i = 0; i < f_.alteredDegreeCount && i < 7; ++i) {
            int d = f_.alteredDegrees[static_cast<size_t>(i)];
            f_.shp_key(kVkF1 + d).setLit(false);
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

bool KeyInput::shortcut(int k, int shift) {
    // Whatever the shift state.
    switch (k) {
        case kVkCtrl:
            f_.flatHeld = true;
            f_.heldAlter[ix(k)] = 0;
            f_.shp_key(kVkCtrl).setLit(true);
            if (f_.shp_img.exists(kRightCtrlImg)) f_.shp_img(kRightCtrlImg).setLit(true);
            if (f_.sharpHeld) {
                f_.sharpHeld = false;
                f_.shp_key(kVkSpace).setLit(false);
            }
            return true;
        case kVkEsc:
            f_.setDegreeAlterDirection(-f_.degreeAlterDirection());
            clearDegreeAccidentals(true);
            return true;
        case kVkSpace:
            f_.shp_key(kVkSpace).setLit(true);
            f_.sharpHeld = true;
            f_.heldAlter[ix(k)] = 0;
            if (f_.flatHeld) {
                f_.flatHeld = false;
                f_.shp_key(kVkCtrl).setLit(false);
                if (f_.shp_img.exists(kRightCtrlImg)) f_.shp_img(kRightCtrlImg).setLit(false);
            }
            if (f_.alteredDegreeCount > 0) clearDegreeAccidentals(false);
            return true;
        case kVkF8:
            return f_.chk_damper(0).setValue(f_.chk_damper(0).value() == 1 ? 0 : 1);
        case kVkF9:
            return f_.chk_damper(1).setValue(f_.chk_damper(1).value() == 1 ? 0 : 1);
        default:
            break;
    }
    if (k >= kVkF1 && k < kVkF1 + 7) {
        size_t d = static_cast<size_t>(k - kVkF1);
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
        if (k >= '0' && k <= '7') return f_.cmb_key.setListIndex(k - '0');
        switch (k) {
            case kVkUp:
                return stepList(0, 0, +1);
            case kVkDown:
                return stepList(0, 0, -1);
            case kVkLeft:
                return stepList(1, 0, +1);
            case kVkRight:
                return stepList(1, 0, -1);
            default:
                return true;
        }
    }

    if ((shift & kAltMask) != 0) {
        if (k == '0') return f_.cmb_key.setListIndex(0);
        if (k >= '1' && k <= '7') return f_.cmb_key.setListIndex(k - 41);
        if (k >= 96 && k <= 105) {
            typeProgramDigit(k - 96);
            return true;
        }
        switch (k) {
            case kVkUp:
                return stepList(0, 1, +1);
            case kVkDown:
                return stepList(0, 1, -1);
            case kVkLeft:
                return stepList(1, 1, +1);
            case kVkRight:
                return stepList(1, 1, -1);
            case 'O':
                if (f_.cmd_open.enabled()) f_.cmd_open_Click();
                return true;
            case 'P':
                if (f_.isPlaying || f_.isRecording) return true;
                if (f_.isPaused)
                    f_.cmd_pause_Click();
                else
                    f_.cmd_play_Click();
                return true;
            case 'R':
                if (!f_.isRecording && !f_.isPlaying && !f_.isPaused) f_.cmd_record_Click();
                return true;
            case 'S':
                if (f_.isPlaying || f_.isPaused)
                    f_.cmd_play_Click();
                else if (f_.isRecording)
                    f_.cmd_record_Click();
                return true;
            case 'W':
                if (f_.isPlaying || f_.isPaused) f_.cmd_pause_Click();
                return true;
            default:
                return true;
        }
    }

    // Neither Shift alone nor Alt.
    switch (k) {
        case kVkPause:
            return f_.chk_ESync.setValue(f_.chk_ESync.value() == 1 ? 0 : 1);
        case kVkF11:
            return f_.vbar_Effect(3).setValue(f_.vbar_Effect(3).value() - 1);
        case kVkF12:
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

void KeyInput::Picture1_KeyUp(int k, int /*shift*/) {
    if (f_.synthKeyActive) return;
    if (k < 0 || k > 255) return;
    Shape* shape = f_.shp_key.find(k);
    if (!shape) return;
    int role = shape->role();
    size_t i = ix(k);
    if (role >= 2) {
        switch (k) {
            case kVkSpace:
                f_.sharpHeld = false;
                f_.heldAlter[i] = kNotHeld;
                f_.shp_key(kVkSpace).setLit(false);
                break;
            case kVkCtrl:
                f_.flatHeld = false;
                f_.heldAlter[i] = kNotHeld;
                f_.shp_key(kVkCtrl).setLit(false);
                if (f_.shp_img.exists(kRightCtrlImg)) f_.shp_img(kRightCtrlImg).setLit(false);
                break;
            case kVkAlt:
                applyTypedProgram();
                break;
            default:
                break;
        }
    } else if (isHeld(k)) {
        int n = f_.heldNote[i];
        if (auto msg = noteOffMsg(role, n)) f_.midi().send(*msg);
        f_.display().setPianoKeyLit(n, false);
        f_.heldAlter[i] = kNotHeld;
        f_.shp_key(k).setLit(false);
        f_.lbl_note(f_.keyMarker[i] % 10).setVisible(false);
        f_.shp_BScr.setLit(true);
    }
    record(k, false);
}

void KeyInput::record(int k, bool down) {
    if (!f_.isRecording) return;
    size_t at = static_cast<size_t>(f_.eventCount);
    if (f_.perfEvents.size() <= at) f_.perfEvents.resize(at + 1);
    f_.perfEvents[at] = PerfEvent{static_cast<int16_t>(k), static_cast<int16_t>(down ? 1 : 0),
                                  static_cast<float>(f_.services.clock.secondsSinceMidnight())};
    ++f_.eventCount;
    if (f_.eventCount > f_.recMaxEvents) {
        f_.services.dialogs.messageBox("녹음 최대 길이를 초과하여 녹음을 중지합니다.", "안내",
                                       MsgButtons::Ok, MsgIcon::Information);
        f_.cmd_record_Click();
        releaseAllKeys();
    }
}

void KeyInput::releaseAllKeys() {
    for (int k = 0; k < 256; ++k)
        if (isHeld(k)) Picture1_KeyUp(k, 0);
}

// Playing the Num Lock key toggles the lock off; it is turned on again at once.
void KeyInput::keepNumLockOn() {
    f_.startup().ensureNumLockOn();
}

void KeyInput::focusLost() {
    releaseAllKeys();
}

}  // namespace muto
