#include "support/midi_hex.h"

#include <cstdio>

namespace muto::test {

std::string midiHex(uint32_t m) {
    char buf[16];
    const unsigned status = m & 0xFF;
    if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0)
        std::snprintf(buf, sizeof buf, "%02X %02X", status, (m >> 8) & 0xFF);
    else
        std::snprintf(buf, sizeof buf, "%02X %02X %02X", status, (m >> 8) & 0xFF, (m >> 16) & 0xFF);
    return buf;
}

std::vector<std::string> midiHex(const std::vector<uint32_t>& messages) {
    std::vector<std::string> out;
    out.reserve(messages.size());
    for (uint32_t m : messages)
        out.push_back(midiHex(m));
    return out;
}

}  // namespace muto::test
