// What happens when a PC key goes down or up on the input surface: notes with the Space/Ctrl
// semitone modifiers and the F1-F7 degree accidentals, key-set editing, and the shortcut keys.
#pragma once

#include "core/vk.h"

namespace muto {

class Form1;

class KeyInput {
public:
    explicit KeyInput(Form1& form) : f_(form) {}

    void Picture1_KeyDown(int keyCode, int shift);
    void Picture1_KeyUp(int keyCode, int shift);
    // Releases every held key, in ascending key-code order.
    void releaseAllKeys();
    // Turns Num Lock back on after the user played the Num Lock key.
    void keepNumLockOn();

    bool isHeld(int keyCode) const;

private:
    // False when the handler must end at once (a control refused a value).
    bool shortcut(int k, int shift);
    bool playNote(int k, KeyRole role);
    void editKeySet(int k);
    void typeProgramDigit(int digit);
    void applyTypedProgram();
    void clearDegreeAccidentals(bool allDegrees);
    bool stepList(int which, int ch, int delta);

    Form1& f_;
};

}  // namespace muto
