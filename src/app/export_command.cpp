#include "app/export_command.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "io/atomic_file.h"
#include "performance/performance_export.h"
#include "platform/midi/offline_render.h"

namespace muto::app {

namespace {

// The performance in IN, or nothing after saying why it cannot be read.
std::optional<PerformanceSource> readSource(const std::string& in, std::ostream& err) {
    if (::access(in.c_str(), R_OK) != 0) {
        err << "muto: cannot read " << in << ": " << std::strerror(errno) << "\n";
        return std::nullopt;
    }
    auto source = performanceFromFile(in);
    if (source) return std::move(*source);
    switch (source.failure()) {
        case ReadFailure::BadMagic:
            err << "muto: " << in << " is not a performance file\n";
            break;
        case ReadFailure::Truncated:
            err << "muto: " << in << " is cut short (not a complete performance file)\n";
            break;
        case ReadFailure::TooLarge:
            err << "muto: " << in << " holds more events than a performance can\n";
            break;
        default:
            err << "muto: cannot read " << in << "\n";
            break;
    }
    return std::nullopt;
}

}  // namespace

int exportMidi(const std::string& in, const std::string& out, std::ostream& err) {
    auto source = readSource(in, err);
    if (!source) return 1;
    const PlaybackCapture capture = capturePlayback(*source);
    if (auto written = writeFileAtomically(out, writeMidiFile(midiFileContent(capture)));
        !written.ok()) {
        err << "muto: cannot write " << out << ": " << written.reason() << "\n";
        return 1;
    }
    return 0;
}

int renderWav(const std::string& in, const std::string& out, const std::string& soundfont,
              std::ostream& err) {
    auto source = readSource(in, err);
    if (!source) return 1;
    PlaybackCapture capture = capturePlayback(*source);
    midi::RenderRequest request{std::move(capture.messages), capture.length, soundfont, out};
    if (auto failure = midi::renderWav(request)) {
        err << "muto: " << *failure << "\n";
        return 1;
    }
    return 0;
}

}  // namespace muto::app
