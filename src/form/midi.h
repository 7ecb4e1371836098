// The MIDI output of the main window: opening and closing the device and packing short
// messages.
#pragma once

#include <cstdint>
#include <optional>

#include "instrument/midi_message.h"

namespace muto {

class Form1;

class MidiOut {
public:
    explicit MidiOut(Form1& form) : f_(form) {}

    // Opens the device unless one is open. On failure shows the message with the backend's
    // code and returns false.
    bool midiOpen();
    // Closes the device if one is open.
    void midiClose();
    // Hands a packed message to the device; its result is not examined.
    void send(uint32_t message);

    void programChange(int channel, int program);
    void controller(int channel, int number, int value);

    // Non-zero while the device is open.
    int32_t midiOutHandle = 0;

private:
    Form1& f_;
};

}  // namespace muto
