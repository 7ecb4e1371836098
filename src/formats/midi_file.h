// Standard MIDI Files (format 1) of a played performance: a conductor track with the tempo, the
// key signature and the markers, then one track per MIDI channel with its messages.
//
// Timing: 1000 ticks per quarter note at a tempo of 60 BPM (1 000 000 µs per quarter), so one
// tick is exactly one millisecond. Times are whole milliseconds in the file, a message lands at
// most 0.5 ms from where it was played, and a sequencer showing beats shows seconds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace muto {

inline constexpr int kMidiFileTicksPerQuarter = 1000;
inline constexpr uint32_t kMidiFileTempo = 1000000;  // µs per quarter note

// A packed short message (status in bits 0-7, data in 8-15 and 16-23) at a time in seconds.
struct TimedMessage {
    double seconds = 0;
    uint32_t message = 0;
    friend bool operator==(const TimedMessage&, const TimedMessage&) = default;
};

struct MidiFileMarker {
    double seconds = 0;
    std::string text;
};

struct MidiFileContent {
    std::vector<TimedMessage> messages;  // in playing order
    int keySharps = 0;                   // sharps (> 0) or flats (< 0), -7..7
    std::vector<MidiFileMarker> markers;
};

// Seconds to ticks, rounded to the nearest tick; negative or non-finite times give 0.
uint32_t secondsToTicks(double seconds);

// The file's bytes. A message keeps its place among those of its channel; messages at the same
// tick stay in playing order. Bytes that are not channel messages are left out.
std::vector<uint8_t> writeMidiFile(const MidiFileContent& content);

}  // namespace muto
