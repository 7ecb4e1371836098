// What happens when a PC key goes down or up on the input surface: notes with the Space/Ctrl
// semitone modifiers and the F1-F7 degree accidentals, key-set editing, and the shortcut keys.
#pragma once

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
    // The window lost the keyboard to another application: the held keys' key-ups would never
    // come, so they are released now.
    void focusLost();

    bool isHeld(int keyCode) const;

private:
    // False when the handler must end at once (a control refused a value).
    bool shortcut(int k, int shift);
    bool playNote(int k, int role);
    void editKeySet(int k);
    void typeProgramDigit(int digit);
    void applyTypedProgram();
    void clearDegreeAccidentals(bool allDegrees);
    void record(int k, bool down);
    bool stepList(int which, int ch, int delta);

    Form1& f_;
};

}  // namespace muto
