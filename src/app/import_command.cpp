#include "app/import_command.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/atomic_file.h"
#include "io/read_file.h"
#include "performance/midi_import.h"

namespace muto::app {

namespace {

std::string reasonOf(ReadFailure failure) {
    switch (failure) {
        case ReadFailure::BadMagic:
            return "is not a MIDI file";
        case ReadFailure::Truncated:
            return "is cut short";
        case ReadFailure::Overrun:
            return "declares a track longer than the rest of the file";
        case ReadFailure::Malformed:
            return "is not a well-formed MIDI file";
        case ReadFailure::Empty:
            return "holds no notes the keys can play";
        case ReadFailure::TooLarge:
            return "holds more notes than a performance can";
        case ReadFailure::Unreadable:
            break;
    }
    return "cannot be read";
}

}  // namespace

int importMidi(const std::string& in, const std::string& out, std::ostream& err) {
    if (::access(in.c_str(), R_OK) != 0) {
        err << "muto: cannot read " << in << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    auto bytes = readWholeFile(in);
    if (!bytes) {
        err << "muto: " << in << " " << reasonOf(bytes.failure()) << "\n";
        return 1;
    }
    auto imported = importMidiFile(*bytes);
    if (!imported) {
        err << "muto: " << in << " " << reasonOf(imported.failure()) << "\n";
        return 1;
    }
    if (auto written = writeFileAtomically(out, writePerformance(imported->performance));
        !written.ok()) {
        err << "muto: cannot write " << out << ": " << written.reason() << "\n";
        return 1;
    }
    err << "muto: " << importReportLine(imported->summary) << "\n";
    return 0;
}

}  // namespace muto::app
