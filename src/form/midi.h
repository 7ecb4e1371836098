// The MIDI output of the main window: opening and closing the device and packing short
// messages.
#pragma once

#include <cstdint>
#include <optional>

namespace muto {

class Form1;

// Packs a short message: data-2 × 65536 + data-1 × 256 + status.
constexpr uint32_t packShortMsg(int status, int data1, int data2 = 0) {
    return static_cast<uint32_t>(data2) * 65536u + static_cast<uint32_t>(data1) * 256u +
           static_cast<uint32_t>(status);
}

// A note message for channel 0 or 1, or nothing when the note cannot be sent (outside 0..127).
std::optional<uint32_t> noteOnMsg(int channel, int note);
std::optional<uint32_t> noteOffMsg(int channel, int note);

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

private:
    Form1& f_;
};

}  // namespace muto
