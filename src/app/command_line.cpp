#include "app/command_line.h"

#include <string_view>

namespace muto::app {

Options parseCommandLine(const std::vector<std::string>& args) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        std::string* target = nullptr;
        if (name == "--midi-out")
            target = &o.midiOut;
        else if (name == "--soundfont")
            target = &o.soundfont;
        else if (name == "--program-dir")
            target = &o.programDir;
        if (target) {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    o.error = "option " + name + " needs a value";
                    return o;
                }
                value = args[++i];
            }
            if (value.empty()) {
                o.error = "option " + name + " needs a value";
                return o;
            }
            *target = value;
            continue;
        }
        if (!hasValue &&
            (arg == "--export-midi" || arg == "--render-wav" || arg == "--import-midi")) {
            if (o.exportKind != Options::Export::None) {
                o.error = "only one of --export-midi, --render-wav and --import-midi may be given";
                return o;
            }
            if (i + 2 >= args.size() || args[i + 1].empty() || args[i + 2].empty()) {
                o.error = "option " + arg + " needs an input and an output file";
                return o;
            }
            o.exportKind = arg == "--export-midi"  ? Options::Export::Midi
                           : arg == "--render-wav" ? Options::Export::Wav
                                                   : Options::Export::ImportMidi;
            o.exportIn = args[i + 1];
            o.exportOut = args[i + 2];
            i += 2;
            continue;
        }
        if (!hasValue && (arg == "--help" || arg == "-h")) {
            o.help = true;
            continue;
        }
        if (!hasValue && arg == "--version") {
            o.version = true;
            continue;
        }
        o.error = "unknown option: " + arg;
        return o;
    }
    return o;
}

std::string usage() {
    return "Usage: muto [OPTION]...\n"
           "       muto --export-midi IN.vsp OUT.mid\n"
           "       muto --render-wav IN.vsp OUT.wav [--soundfont FILE]\n"
           "       muto --import-midi IN.mid OUT.vsp\n"
           "Plays the PC keyboard as a two-channel MIDI instrument.\n"
           "\n"
           "  --midi-out OUTPUT   where the notes go (default: synth)\n"
           "                        synth       built-in synthesizer to the sound card\n"
           "                        alsa        an ALSA sequencer port named \"무토\"\n"
           "                        alsa:NAME   the first ALSA sequencer port whose name "
           "contains NAME\n"
           "                        wav:FILE    built-in synthesizer rendered into a WAV file\n"
           "                        log:FILE    one text line per MIDI message\n"
           "  --soundfont FILE    SoundFont of the built-in synthesizer\n"
           "                        (default: /usr/share/sounds/sf2/default-GM.sf2)\n"
           "  --program-dir DIR   folder of the pictures and config.ini\n"
           "                        (default: the program's own folder when it holds the\n"
           "                        pictures, else $XDG_DATA_HOME/muto)\n"
           "  --export-midi IN OUT  write performance IN as Standard MIDI File OUT, as it plays\n"
           "  --render-wav IN OUT   render performance IN through the built-in synthesizer\n"
           "                        into WAV file OUT (16-bit stereo, 44.1 kHz)\n"
           "  --import-midi IN OUT  make Standard MIDI File IN into performance OUT: the keys\n"
           "                        that play its notes; says on stderr what was left out\n"
           "  --help              show this help and exit\n"
           "  --version           show the version and exit\n";
}

std::string versionText() {
    return std::string("muto ") + MUTO_VERSION;
}

}  // namespace muto::app
