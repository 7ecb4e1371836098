// Standard MIDI Files read as a list of notes: formats 0 and 1 (2 read like 1), running status,
// tempo changes, note-on with velocity 0 as note-off, metrical and SMPTE division. Bytes in, no
// I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/result.h"

namespace muto {

// The notes of one MIDI channel within one track.
struct MidiPart {
    uint16_t track = 0;
    uint8_t channel = 0;   // 0..15
    int16_t program = -1;  // the part's first program change; -1 when it has none
};

struct MidiNote {
    double start = 0;  // seconds from the start of the file
    double end = 0;    // the note-off; a note never ended ends with its track
    uint8_t pitch = 0;
    uint8_t velocity = 0;
    uint16_t part = 0;  // index into MidiSong::parts
};

struct MidiSong {
    int format = 0;
    std::vector<MidiPart> parts;
    std::vector<MidiNote> notes;   // by start, then part, then pitch
    std::optional<int> keySharps;  // the first key-signature event: sharps > 0, flats < 0
    std::size_t drumNotes = 0;     // notes of channel 10, left out of `notes`
};

// BadMagic: not a MIDI file. Truncated: the file ends inside its header, inside an event or
// before its last declared track. Overrun: a chunk's length reaches past the end of the file.
// Malformed: an event the format does not allow. Empty: no note outside channel 10.
ReadResult<MidiSong> readMidiFile(std::span<const uint8_t> bytes);

}  // namespace muto
