// The keys as the window meets them: key events of the input surfaces go to the keyboard, with
// the recording and a practising playback told of each; and the window's side of the keyboard:
// the settings its shortcut keys change through the panel's controls, and what the key shapes,
// rings, piano and staff show of every key.
#pragma once

#include "instrument/keyboard.h"

namespace muto {

class Form1;

// The surface a key event reached. Both play alike on the same state; they differ only in what
// they show: the keyboard picture lights the key shapes and the flash bar, the circle-touch
// surface starts a ring instead and leaves every key shape as it is, except the F-key ones.
enum class InputSurface { Keyboard, CircleTouch };

class KeyInput : public KeyboardHost {
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
    // Turns Num Lock on: at start, and again after the user played the Num Lock key.
    void keepNumLockOn();

    bool isHeld(int keyCode) const;

    // KeyboardHost
    bool setKeySignature(int listIndex) override;
    bool stepOctave(int channel, int delta) override;
    bool stepVolume(int channel, int delta) override;
    bool toggleDamper(int channel) override;
    bool toggleLink() override;
    bool stepSpeed(int delta) override;
    void chooseProgram(int channel, int program) override;
    void transport(char letter) override;
    void noteStruck(int keyCode, int note, int alter) override;
    void noteReleased(int keyCode, int note) override;
    void semitonesChanged() override;
    void degreeChanged(int degree, bool justAltered) override;
    void degreeCleared(int degree) override;
    void keyEdited(int keyCode, int note, int delta) override;

private:
    // The surface that shows the key in hand: the one a live key event reached, otherwise (a
    // playback) the one of the current mode.
    InputSurface surface() const;
    bool stepList(int which, int ch, int delta);

    Form1& f_;
    bool live_ = false;
    InputSurface liveSurface_ = InputSurface::Keyboard;
};

}  // namespace muto
