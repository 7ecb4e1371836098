// What every key of the PC keyboard does: notes with the Space/Ctrl semitone modifiers and the
// F1-F7 degree accidentals, key-set editing, Alt with number-pad digits choosing an instrument,
// and the shortcut keys, which ask the host — the window, or an export that plays without one —
// for a setting or the transport. The live keys, a playback and an export all play through it.
#pragma once

#include <array>
#include <cstdint>

#include "instrument/instrument.h"
#include "instrument/vk.h"

namespace muto {

class KeyboardHost {
public:
    virtual ~KeyboardHost() = default;

    // Settings the host keeps. Each returns false when the host refuses the value: the key then
    // ends at once and counts as not played.
    virtual bool setKeySignature(int listIndex) = 0;
    virtual bool stepOctave(int channel, int delta) = 0;
    virtual bool stepVolume(int channel, int delta) = 0;
    virtual bool toggleDamper(int channel) = 0;
    virtual bool toggleLink() = 0;
    virtual bool stepSpeed(int delta) = 0;
    // Alt went up after number-pad digits: the program typed for a channel.
    virtual void chooseProgram(int channel, int program) = 0;
    // Alt with O (open), P (play or resume), R (record), S (stop) or W (pause).
    virtual void transport(char letter) = 0;

    // What the host shows of the keys; nothing by default.
    virtual void noteStruck(int /*keyCode*/, int /*note*/, int /*alter*/) {}
    virtual void noteReleased(int /*keyCode*/, int /*note*/) {}
    // Space or Ctrl went down or up.
    virtual void semitonesChanged() {}
    // F-key d put its accidental on (`justAltered`) or turned it the other way.
    virtual void degreeChanged(int /*degree*/, bool /*justAltered*/) {}
    virtual void degreeCleared(int /*degree*/) {}
    // Key-set editing moved the note of a key by `delta`.
    virtual void keyEdited(int /*keyCode*/, int /*note*/, int /*delta*/) {}
};

class Keyboard {
public:
    Keyboard(Instrument& instrument, KeyboardHost& host);

    enum class Press { Ignored, Refused, Played };
    // A key goes down with the shift bits. Ignored: a key the instrument does not have, or one
    // held already. Refused: the host refused the setting it asked for.
    Press keyDown(int keyCode, int shift);
    // A key goes up. False for a key the instrument does not have.
    bool keyUp(int keyCode);
    // Releases every held key, in ascending key-code order.
    void releaseAll();

    // Whether keyDown(k, shift) would play a note (rather than a shortcut or a key-set edit).
    bool playsNote(int keyCode, int shift) const;

    // Key-set editing: a note key moves its note instead of sounding (Space up, Ctrl down).
    bool editing() const { return editing_; }
    void setEditing(bool on) { editing_ = on; }
    // The program number typed so far with Alt and the number pad, per channel (-1: none).
    const std::array<int16_t, 2>& typedProgram() const { return typedProgram_; }
    void clearTypedProgram() { typedProgram_ = {-1, -1}; }

private:
    bool shortcut(int k, int shift);
    bool arrow(int channel, int k);
    bool playNote(int k, KeyRole role);
    void editKeySet(int k);
    void typeProgramDigit(int digit);
    void applyTypedProgram();
    void clearDegreeAccidentals(bool allDegrees);

    Instrument& instrument_;
    KeyboardHost& host_;
    bool editing_ = false;
    std::array<int16_t, 2> typedProgram_{-1, -1};
};

}  // namespace muto
