// The command-line import: a Standard MIDI File to a performance file, with no window and no
// display.
#pragma once

#include <ostream>
#include <string>

namespace muto::app {

// Writes performance file OUT from Standard MIDI File IN and reports on `err` what was kept and
// left out. 0 on success; otherwise one line on `err` and 1, and no OUT file was created or
// changed.
int importMidi(const std::string& in, const std::string& out, std::ostream& err);

}  // namespace muto::app
