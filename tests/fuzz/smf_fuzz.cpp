// Fuzz target: the MIDI file reader and the import on arbitrary bytes. Beyond not crashing, a
// song that reads has notes in order with times that make sense, and its import accounts for
// every note and fits a performance.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "performance/midi_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace muto;
    const auto song = readMidiFile(std::span<const uint8_t>(data, size));
    if (!song) return 0;
    if (song->notes.empty() || song->notes.size() > size) std::abort();
    double last = 0;
    for (const MidiNote& n : song->notes) {
        if (!std::isfinite(n.start) || n.start < last || n.end < n.start || n.pitch > 127 ||
            n.part >= song->parts.size())
            std::abort();
        last = n.start;
    }
    const auto imported = importMidi(*song);
    if (!imported) return 0;
    const ImportSummary& s = imported->summary;
    if (s.kept + s.outOfReach + s.sameKey != song->notes.size() ||
        s.kept != imported->notes.size() || imported->performance.events.size() > kMaxPerfEvents)
        std::abort();
    return 0;
}
