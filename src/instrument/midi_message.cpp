#include "instrument/midi_message.h"

namespace muto {

namespace {

std::optional<uint32_t> noteMsg(int status, int channel, int note) {
    if (note < 0 || note > 127 || channel < 0 || channel > 15) return std::nullopt;
    return packShortMsg(status + channel, note, status == 0x90 ? 127 : 0);
}

}  // namespace

std::optional<uint32_t> noteOnMsg(int channel, int note) {
    return noteMsg(0x90, channel, note);
}
std::optional<uint32_t> noteOffMsg(int channel, int note) {
    return noteMsg(0x80, channel, note);
}

}  // namespace muto
