// Rendering timed MIDI messages through the built-in synthesizer into a WAV file as fast as the
// machine can: no audio driver and no clock, each message applied at its sample position, the
// sum through the same limiter as the live sound.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/midi_file.h"

namespace muto::midi {

// Sound rendered after the end of a performance, for its released notes to die away.
inline constexpr double kReleaseTail = 3.0;

struct RenderRequest {
    std::vector<TimedMessage> messages;  // in time order
    double length = 0;                   // seconds; kReleaseTail more is rendered
    std::string soundfont;               // empty: the default soundfont
    std::string path;                    // the WAV file
};

// Writes a 16-bit stereo 44.1 kHz WAV file. It appears only complete: the sound goes to a
// temporary file beside it, which takes its name at the end. Nothing on success, otherwise one
// line saying why (and no file was left behind).
std::optional<std::string> renderWav(const RenderRequest& request);

}  // namespace muto::midi
