// MIDI short messages as text, the way the log output and the tests write them: "90 3C 7F".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace muto::test {

// As many bytes as the message has: two for program change and channel pressure, else three.
std::string midiHex(uint32_t message);
std::vector<std::string> midiHex(const std::vector<uint32_t>& messages);

}  // namespace muto::test
