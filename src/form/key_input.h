// What happens when a PC key goes down or up on the input surface: notes with the Space/Ctrl
// semitone modifiers and the F1-F7 degree accidentals, key-set editing, and the shortcut keys.
#pragma once

#include <array>
#include <cstdint>

#include "instrument/vk.h"

namespace muto {

class Form1;

// The surface a key event reached. Both play alike on the same state; they differ only in what
// they show: the keyboard picture lights the key shapes and the flash bar, the circle-touch
// surface starts a ring instead and leaves every key shape as it is, except the F-key ones.
enum class InputSurface { Keyboard, CircleTouch };

class KeyInput {
public:
    explicit KeyInput(Form1& form) : f_(form) {}

    void keyDown(InputSurface surface, int keyCode, int shift);
    void keyUp(InputSurface surface, int keyCode, int shift);
    void Picture1_KeyDown(int keyCode, int shift) {
        keyDown(InputSurface::Keyboard, keyCode, shift);
    }
    void Picture1_KeyUp(int keyCode, int shift) { keyUp(InputSurface::Keyboard, keyCode, shift); }
    // The keyboard picture got the focus while the circle-touch mode is on: that surface takes it.
    void Picture1_GotFocus();
    // Releases every held key, in ascending key-code order, on the surface of the current mode.
    void releaseAllKeys();
    // Turns Num Lock back on after the user played the Num Lock key.
    void keepNumLockOn();

    bool isHeld(int keyCode) const;

    // The program number typed with Alt and the number pad, per channel (-1: none).
    std::array<int16_t, 2> typedProgram{};
    // The key-set editing mode is on.
    bool keyAlterEditMode = false;

private:
    // False when the handler must end at once (a control refused a value).
    bool shortcut(InputSurface surface, int k, int shift);
    bool playNote(InputSurface surface, int k, KeyRole role);
    // Lights or unlights the Ctrl key's two shapes.
    void lightCtrl(bool lit);
    void editKeySet(int k);
    void typeProgramDigit(int digit);
    void applyTypedProgram();
    void clearDegreeAccidentals(bool allDegrees);
    void unlightDegree(int d);
    bool stepList(int which, int ch, int delta);

    Form1& f_;
};

}  // namespace muto
