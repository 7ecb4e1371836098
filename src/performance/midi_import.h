// A Standard MIDI File made into a performance: the keys a player would press to play it.
//
// The part with the highest notes goes to channel 1 (the main block), every other part to
// channel 2 (the number pad, arrows and editing keys). The key signature is the file's own, or
// the one whose scale holds most notes; each channel's octave is the one whose keys reach most of
// its notes. A note is played on a key whose note it is, or with Space (+1) or Ctrl (−1) held
// around the key press. Replayed, the performance sounds every kept note at its time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"
#include "formats/performance_file.h"
#include "formats/smf_reader.h"

namespace muto {

struct ImportSummary {
    std::size_t kept = 0;
    std::size_t withModifier = 0;  // of the kept notes, played with Space or Ctrl held
    std::size_t shortened = 0;     // kept notes released early: a later note needed their key
    std::size_t outOfReach = 0;    // left out: no key of their channel reaches them
    std::size_t sameKey = 0;       // left out: a note starting with them took their key
    std::size_t drums = 0;         // left out: channel 10
};

// A kept note as the performance plays it: times in seconds from the first kept note.
struct ImportedNote {
    double start = 0, end = 0;
    uint8_t channel = 0;  // 0: channel 1, the main block; 1: channel 2
    uint8_t pitch = 0;
    uint8_t keyCode = 0;
    int8_t alter = 0;  // +1 with Space, −1 with Ctrl
};

struct MidiImport {
    PerformanceFile performance;
    std::vector<ImportedNote> notes;  // by start
    double origin = 0;                // where in the file the first kept note starts, seconds
    ImportSummary summary;
};

// TooLarge when the kept notes need more events than a performance holds; Empty when no note
// can be kept.
ReadResult<MidiImport> importMidi(const MidiSong& song);
// The file read, then imported: the reader's failures, then those of importMidi.
ReadResult<MidiImport> importMidiFile(std::span<const uint8_t> bytes);

// One line on what the import did: "312 notes kept, 40 of them with Space or Ctrl, 2 released
// early; left out: 3 beyond the keys' reach, 1 sharing a key at the same moment, 20 drum notes".
std::string importReportLine(const ImportSummary& s);
// The same in the window's language.
std::string importReportText(const ImportSummary& s);
// Why a file could not be imported, in the window's language.
std::string importFailureText(ReadFailure failure);

}  // namespace muto
