// The program's command line.
#pragma once

#include <string>
#include <vector>

namespace muto::app {

struct Options {
    std::string midiOut = "synth";
    std::string soundfont;
    std::string programDir;
    // --export-midi IN OUT / --render-wav IN OUT: a performance file to a Standard MIDI File or
    // a WAV file, without a window.
    // --import-midi IN OUT: a Standard MIDI File to a performance file.
    enum class Export { None, Midi, Wav, ImportMidi } exportKind = Export::None;
    std::string exportIn, exportOut;
    bool help = false;
    bool version = false;
    std::string error;  // non-empty: the command line is wrong (exit status 2)
};

// Reads the arguments after the program name. Options take their value as the next argument or
// after "=" (--midi-out=log:FILE).
Options parseCommandLine(const std::vector<std::string>& args);

// The usage text printed by --help and after a wrong command line.
std::string usage();
// "muto 0.1.0".
std::string versionText();

}  // namespace muto::app
