// Exports of a performance: the player plays it on the instrument's keyboard, on a manual
// clock and with no window, and what the instrument and the settings send is kept with the
// times it was sent. The same capture becomes a Standard MIDI File or, through the synthesizer,
// a WAV file. It sounds as the window's own playback of the performance would, started from its
// first event in a window just opened.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/result.h"
#include "formats/midi_file.h"
#include "performance/performance.h"

namespace muto {

// Everything a playback depends on.
struct PerformanceSource {
    Performance performance;
    std::array<int, 3> effects{70, 0, 0};  // release, reverb, chorus (the effect bars)
    bool circleTouch = false;              // the events go to the circle-touch surface
    std::array<int, 3> savedPositions{};   // event indices remembered on the three buttons
};

// A performance file of any version.
ReadResult<PerformanceSource> performanceFromFile(const std::string& path);

struct PlaybackCapture {
    // Time 0 holds the settings the playback restored (instrument, volume, damper, effects of
    // both channels); the first event follows at time 0, the rest at their recorded gaps.
    std::vector<TimedMessage> messages;
    size_t settingsCount = 0;  // the leading messages that restore the settings
    int keySharps = 0;         // of the key signature in effect
    std::vector<MidiFileMarker> markers;
    double length = 0;  // seconds from the first event to the end of the playback
};

// Plays the performance from its first event at speed 1.0 and returns what was sent.
PlaybackCapture capturePlayback(const PerformanceSource& source);

MidiFileContent midiFileContent(const PlaybackCapture& capture);

}  // namespace muto
