// The command-line exports: a performance file to a Standard MIDI File or a WAV file, with no
// window and no display.
#pragma once

#include <ostream>
#include <string>

namespace muto::app {

// Writes OUT from performance file IN. 0 on success; otherwise one line on `err` and 1, and no
// OUT file was created or changed.
int exportMidi(const std::string& in, const std::string& out, std::ostream& err);
int renderWav(const std::string& in, const std::string& out, const std::string& soundfont,
              std::ostream& err);

}  // namespace muto::app
