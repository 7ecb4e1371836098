#include "instrument/keyboard.h"

#include "instrument/key_layout.h"

namespace muto {

namespace {

using namespace vk;

// Alt+1..7 choose the flat key signatures, list entries 8..14.
constexpr int kFlatSignatureOffset = '1' - 8;

size_t ix(int k) {
    return static_cast<size_t>(k & 0xFF);
}

}  // namespace

Keyboard::Keyboard(Instrument& instrument, KeyboardHost& host)
    : instrument_(instrument), host_(host) {}

bool Keyboard::playsNote(int k, int shift) const {
    const auto role = keyRoleOf(k);
    return role && isNoteRole(*role) && (shift & (kShiftMask | kAltMask)) == 0 && !editing_;
}

Keyboard::Press Keyboard::keyDown(int k, int shift) {
    const auto role = keyRoleOf(k);
    if (!role || instrument_.isHeld(k)) return Press::Ignored;
    bool ok = true;
    if ((shift & (kShiftMask | kAltMask)) != 0 || !isNoteRole(*role))
        ok = shortcut(k, shift);
    else if (editing_)
        editKeySet(k);
    else
        ok = playNote(k, *role);
    return ok ? Press::Played : Press::Refused;
}

bool Keyboard::playNote(int k, KeyRole role) {
    // A key without a note (Backspace, until key-set editing raises it) sounds and shows
    // nothing; its press still counts.
    if (instrument_.keyNote[ix(k)] == 0) return true;
    // A note outside 0..127 cannot be sent: the press ends without effect and the key does not
    // become held, so its release cannot leave anything behind.
    const auto struck = instrument_.press(k, channelOf(role));
    if (!struck) return false;
    host_.noteStruck(k, struck->note, struck->alter);
    return true;
}

void Keyboard::editKeySet(int k) {
    const int delta = instrument_.sharpHeld ? 1 : (instrument_.flatHeld ? -1 : 0);
    if (instrument_.alterKey(k, delta)) host_.keyEdited(k, instrument_.keyNote[ix(k)], delta);
}

void Keyboard::clearDegreeAccidentals(bool allDegrees) {
    const std::vector<int> cleared = instrument_.clearDegrees();
    if (allDegrees) {
        for (int d = 0; d < 7; ++d)
            host_.degreeCleared(d);
    } else {
        for (int d : cleared)
            host_.degreeCleared(d);
    }
}

void Keyboard::typeProgramDigit(int digit) {
    int16_t& typed = typedProgram_[instrument_.flatHeld ? 0 : 1];
    if (typed < 0)
        typed = static_cast<int16_t>(digit);
    else if (typed < 100)
        typed = static_cast<int16_t>(typed * 10 + digit);
}

void Keyboard::applyTypedProgram() {
    for (int ch = 0; ch < 2; ++ch) {
        const int typed = typedProgram_[static_cast<size_t>(ch)];
        if (typed < 0) continue;
        host_.chooseProgram(ch, typed);
        break;
    }
    clearTypedProgram();
}

// Up and Down step the channel's octave, Left and Right its volume (the list runs from loud to
// soft); any other key does nothing.
bool Keyboard::arrow(int ch, int k) {
    switch (k) {
        case kUp:
            return host_.stepOctave(ch, +1);
        case kDown:
            return host_.stepOctave(ch, -1);
        case kLeft:
            return host_.stepVolume(ch, +1);
        case kRight:
            return host_.stepVolume(ch, -1);
        default:
            return true;
    }
}

bool Keyboard::shortcut(int k, int shift) {
    // Whatever the shift state.
    switch (k) {
        case kCtrl:
            instrument_.holdSemitone(k, -1);
            host_.semitonesChanged();
            return true;
        case kEsc:
            instrument_.degreeDirection = -instrument_.degreeDirection;
            clearDegreeAccidentals(true);
            return true;
        case kSpace:
            instrument_.holdSemitone(k, +1);
            host_.semitonesChanged();
            if (instrument_.alteredDegreeCount > 0) clearDegreeAccidentals(false);
            return true;
        case kF8:
            return host_.toggleDamper(0);
        case kF9:
            return host_.toggleDamper(1);
        default:
            break;
    }
    if (isDegreeKey(k)) {
        const int d = degreeOf(k);
        const bool wasAltered = instrument_.degreeAlter[static_cast<size_t>(d)] != 0;
        if (instrument_.toggleDegree(d, instrument_.degreeDirection))
            host_.degreeChanged(d, true);
        else if (wasAltered)
            host_.degreeChanged(d, false);
        return true;
    }

    if (shift == kShiftMask) {
        if (k >= kDigit0 && k <= kDigit0 + 7) return host_.setKeySignature(k - kDigit0);
        return arrow(0, k);
    }

    if ((shift & kAltMask) != 0) {
        if (k == kDigit0) return host_.setKeySignature(0);
        if (k >= kDigit0 + 1 && k <= kDigit0 + 7)
            return host_.setKeySignature(k - kFlatSignatureOffset);
        if (isNumPadDigit(k)) {
            typeProgramDigit(k - kNumPad0);
            return true;
        }
        switch (k) {
            case 'O':
            case 'P':
            case 'R':
            case 'S':
            case 'W':
                host_.transport(static_cast<char>(k));
                return true;
            default:
                return arrow(1, k);
        }
    }

    // Neither Shift alone nor Alt.
    switch (k) {
        case kPause:
            return host_.toggleLink();
        case kF11:
            return host_.stepSpeed(-1);
        case kF12:
            return host_.stepSpeed(+1);
        default:
            return true;
    }
}

bool Keyboard::keyUp(int k) {
    const auto role = keyRoleOf(k);
    if (!role) return false;
    if (!isNoteRole(*role)) {
        switch (k) {
            case kSpace:
            case kCtrl:
                instrument_.releaseSemitone(k);
                host_.semitonesChanged();
                break;
            case kAlt:
                applyTypedProgram();
                break;
            default:
                break;
        }
    } else if (const auto n = instrument_.release(k, channelOf(*role))) {
        host_.noteReleased(k, *n);
    }
    return true;
}

void Keyboard::releaseAll() {
    for (int k = 0; k < 256; ++k)
        if (instrument_.isHeld(k)) keyUp(k);
}

}  // namespace muto
