#include "performance/midi_import.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

#include "instrument/key_layout.h"
#include "instrument/vk.h"

namespace muto {

namespace {

constexpr int kOctaveEntries = 4;  // "-2", "-1", "0", "+1"
constexpr int kOctaveOfEntry0 = -2;
constexpr int kDefaultOctaveEntry = 2;
constexpr int kFirstFlatKey = 8;  // cmb_key entries 8..14 hold 1 to 7 flats
// Key signatures tried when the file names none, fewest accidentals first, so that of two that
// fit equally (enharmonic pairs included) the simpler wins.
constexpr std::array<int, 15> kKeyPreference{0, 1, 8, 2, 9, 3, 10, 4, 11, 5, 12, 6, 13, 7, 14};

bool inMajorScale(int semitonesAboveTonic) {
    constexpr std::array<bool, 12> kScale{true,  false, true,  false, true,  true,
                                          false, true,  false, true,  false, true};
    return kScale[static_cast<std::size_t>(((semitonesAboveTonic % 12) + 12) % 12)];
}

int transposeOf(int keyIndex) {
    return keySignatures()[static_cast<std::size_t>(keyIndex)].transpose;
}

int keyIndexOfSharps(int sharps) {
    return sharps >= 0 ? sharps : kFirstFlatKey - 1 - sharps;
}

int bestFittingKey(const std::vector<const MidiNote*>& notes) {
    std::array<std::size_t, 12> perClass{};
    for (const MidiNote* n : notes)
        ++perClass[n->pitch % 12];
    int best = 0;
    std::size_t bestCount = 0;
    for (int k : kKeyPreference) {
        std::size_t count = 0;
        for (int pc = 0; pc < 12; ++pc)
            if (inMajorScale(pc - transposeOf(k))) count += perClass[static_cast<std::size_t>(pc)];
        if (count > bestCount) {
            best = k;
            bestCount = count;
        }
    }
    return best;
}

struct KeyChoice {
    uint8_t vk;
    int8_t alter;
    uint8_t rank;  // 0 the key's own note, 1 the modifier tried first, 2 the other
    uint8_t row;   // of the group's layout: a row starts where the notes start again lower
};

// For every pitch, the keys of a group that play it at a base, the best first: keys whose own
// note it is, then a key a semitone away with Space or Ctrl (the one the key signature's
// direction suggests first).
using Reach = std::array<std::vector<KeyChoice>, 128>;

Reach reachOf(int group, int base, bool flatsFirst) {
    Reach reach;
    const auto add = [&](int alter, uint8_t rank) {
        uint8_t row = 0;
        int previous = -1;
        for (const NaturalKey& k : keyGroupLayout(group)) {
            if (k.note <= previous) ++row;
            previous = k.note;
            const int pitch = k.note + base + alter;
            if (pitch >= 0 && pitch < 128)
                reach[static_cast<std::size_t>(pitch)].push_back(
                    {k.vk, static_cast<int8_t>(alter), rank, row});
        }
    };
    add(0, 0);
    add(flatsFirst ? -1 : +1, 1);
    add(flatsFirst ? +1 : -1, 2);
    return reach;
}

// The octave entry whose keys reach most of the notes, then play most of them without a
// modifier, then lies nearest "0".
int bestOctaveEntry(int group, int transpose, bool flatsFirst,
                    const std::vector<const MidiNote*>& notes) {
    int best = kDefaultOctaveEntry;
    std::tuple<std::size_t, std::size_t, int> bestScore{0, 0, 0};
    for (int entry = 0; entry < kOctaveEntries; ++entry) {
        const Reach reach = reachOf(group, (entry + kOctaveOfEntry0) * 12 + transpose, flatsFirst);
        std::size_t reached = 0, exact = 0;
        for (const MidiNote* n : notes) {
            const auto& keys = reach[n->pitch];
            if (keys.empty()) continue;
            ++reached;
            if (keys.front().alter == 0) ++exact;
        }
        const std::tuple<std::size_t, std::size_t, int> score{
            reached, exact, -std::abs(entry - kDefaultOctaveEntry)};
        if (entry == 0 || score > bestScore) {
            best = entry;
            bestScore = score;
        }
    }
    return best;
}

struct Placed {
    ImportedNote note;
    bool dropped = false;
};

// Gives each note of one channel a key: the best free one, on the row of the note before when
// that row has one as good, so a melody stays under one row of fingers. A key is free once its
// note has ended; when every key of a note is taken, the note holding the first of them is
// released early if it started before, or left out if it starts together with this one.
void placeChannel(uint8_t channel, const Reach& reach, const std::vector<const MidiNote*>& notes,
                  std::vector<Placed>& placed, ImportSummary& summary) {
    std::array<std::optional<std::size_t>, 256> holder{};
    // A note that lasts no time still holds its key at the moment it is pressed.
    const auto freeAt = [&](uint8_t vk, double t) {
        if (!holder[vk]) return true;
        const Placed& h = placed[*holder[vk]];
        return h.dropped || (h.note.end <= t && h.note.start < t);
    };
    int lastRow = -1;
    for (const MidiNote* n : notes) {
        const auto& keys = reach[n->pitch];
        if (keys.empty()) {
            ++summary.outOfReach;
            continue;
        }
        const auto free = [&](const KeyChoice& c) { return freeAt(c.vk, n->start); };
        auto choice = std::find_if(keys.begin(), keys.end(), free);
        if (choice != keys.end()) {
            const auto sameRow = std::find_if(choice, keys.end(), [&](const KeyChoice& c) {
                return c.rank == choice->rank && c.row == lastRow && free(c);
            });
            if (sameRow != keys.end()) choice = sameRow;
        } else {
            choice = std::find_if(keys.begin(), keys.end(), [&](const KeyChoice& c) {
                return placed[*holder[c.vk]].note.start < n->start;
            });
            if (choice != keys.end()) {
                placed[*holder[choice->vk]].note.end = n->start;
                ++summary.shortened;
            } else {
                choice = keys.begin();
                placed[*holder[choice->vk]].dropped = true;
                ++summary.sameKey;
            }
        }
        holder[choice->vk] = placed.size();
        lastRow = choice->row;
        placed.push_back(
            {ImportedNote{n->start, n->end, channel, n->pitch, choice->vk, choice->alter}, false});
    }
}

// One moment of the performance: a key released, or a key pressed with its modifier around it.
struct Step {
    double time;
    int phase;  // 0 releases of earlier notes, 1 presses, 2 releases of notes pressed now
    std::size_t order;
    const ImportedNote* note;
    bool down;
};

std::vector<PerfEvent> eventsOf(const std::vector<ImportedNote>& notes) {
    std::vector<Step> steps;
    steps.reserve(notes.size() * 2);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const ImportedNote& n = notes[i];
        steps.push_back({n.start, 1, i, &n, true});
        steps.push_back({n.end, n.end > n.start ? 0 : 2, i, &n, false});
    }
    std::sort(steps.begin(), steps.end(), [](const Step& a, const Step& b) {
        return std::tie(a.time, a.phase, a.order) < std::tie(b.time, b.phase, b.order);
    });
    std::vector<PerfEvent> events;
    events.reserve(steps.size() * 2);
    for (const Step& s : steps) {
        const auto t = static_cast<float>(s.time);
        const int16_t key = s.note->keyCode;
        if (!s.down) {
            events.push_back({key, 0, t});
            continue;
        }
        const int16_t modifier = s.note->alter > 0 ? vk::kSpace : vk::kCtrl;
        if (s.note->alter != 0) events.push_back({modifier, 1, t});
        events.push_back({key, 1, t});
        if (s.note->alter != 0) events.push_back({modifier, 0, t});
    }
    return events;
}

}  // namespace

ReadResult<MidiImport> importMidi(const MidiSong& song) {
    MidiImport out;
    ImportSummary& summary = out.summary;
    summary.drums = song.drumNotes;

    // Hands: the part with the highest notes on average plays channel 1.
    std::vector<double> pitchSum(song.parts.size(), 0.0);
    std::vector<std::size_t> count(song.parts.size(), 0);
    for (const MidiNote& n : song.notes) {
        if (n.part >= song.parts.size()) continue;
        pitchSum[n.part] += n.pitch;
        ++count[n.part];
    }
    std::optional<std::size_t> top;
    for (std::size_t p = 0; p < song.parts.size(); ++p)
        if (count[p] > 0 && (!top || pitchSum[p] / count[p] > pitchSum[*top] / count[*top]))
            top = p;
    if (!top) return ReadFailure::Empty;
    std::array<std::vector<const MidiNote*>, 2> byChannel;
    for (const MidiNote& n : song.notes)
        if (n.part < song.parts.size()) byChannel[n.part == *top ? 0 : 1].push_back(&n);

    std::vector<const MidiNote*> all(byChannel[0]);
    all.insert(all.end(), byChannel[1].begin(), byChannel[1].end());
    const int key = song.keySharps ? keyIndexOfSharps(*song.keySharps) : bestFittingKey(all);
    const bool flats = key >= kFirstFlatKey;
    std::array<int, 2> octave{kDefaultOctaveEntry, kDefaultOctaveEntry};
    std::array<int, 2> program{0, 0};
    if (song.parts[*top].program >= 0) program[0] = song.parts[*top].program;
    for (std::size_t p = 0; p < song.parts.size(); ++p)
        if (p != *top && count[p] > 0 && song.parts[p].program >= 0) {
            program[1] = song.parts[p].program;
            break;
        }

    std::vector<Placed> placed;
    for (uint8_t ch = 0; ch < 2; ++ch) {
        if (byChannel[ch].empty()) continue;
        octave[ch] = bestOctaveEntry(ch, transposeOf(key), flats, byChannel[ch]);
        const Reach reach =
            reachOf(ch, (octave[ch] + kOctaveOfEntry0) * 12 + transposeOf(key), flats);
        placeChannel(ch, reach, byChannel[ch], placed, summary);
    }
    for (const Placed& p : placed)
        if (!p.dropped) out.notes.push_back(p.note);
    if (out.notes.empty()) return ReadFailure::Empty;
    std::stable_sort(
        out.notes.begin(), out.notes.end(),
        [](const ImportedNote& a, const ImportedNote& b) { return a.start < b.start; });
    out.origin = out.notes.front().start;
    for (ImportedNote& n : out.notes) {
        n.start -= out.origin;
        n.end -= out.origin;
        summary.withModifier += n.alter != 0 ? 1 : 0;
    }
    summary.kept = out.notes.size();

    PerformanceFile& perf = out.performance;
    perf.events = eventsOf(out.notes);
    if (perf.events.size() > kMaxPerfEvents) return ReadFailure::TooLarge;
    perf.settings = {static_cast<uint8_t>(key),
                     static_cast<uint8_t>(program[0]),
                     static_cast<uint8_t>(program[1]),
                     static_cast<uint8_t>(octave[0]),
                     static_cast<uint8_t>(octave[1]),
                     0,
                     0};
    // Sharps or flats side for the degree keys; no degree accidentals.
    perf.keySig = std::array<uint8_t, 8>{static_cast<uint8_t>(flats ? 2 : 1)};
    return out;
}

ReadResult<MidiImport> importMidiFile(std::span<const uint8_t> bytes) {
    auto song = readMidiFile(bytes);
    if (!song) return song.failure();
    return importMidi(*song);
}

std::string importReportLine(const ImportSummary& s) {
    const auto n = [](std::size_t v) { return std::to_string(v); };
    return n(s.kept) + " notes kept, " + n(s.withModifier) + " of them with Space or Ctrl, " +
           n(s.shortened) + " released early; left out: " + n(s.outOfReach) +
           " beyond the keys' reach, " + n(s.sameKey) + " sharing a key at the same moment, " +
           n(s.drums) + " drum notes";
}

std::string importReportText(const ImportSummary& s) {
    const auto n = [](std::size_t v) { return std::to_string(v); };
    return "가져온 음 " + n(s.kept) + "개 (Space·Ctrl로 " + n(s.withModifier) + "개, 일찍 뗀 음 " +
           n(s.shortened) + "개), 빠진 음: 건반 범위 밖 " + n(s.outOfReach) +
           "개, 같은 순간 같은 건반 " + n(s.sameKey) + "개, 드럼 " + n(s.drums) + "개";
}

std::string importFailureText(ReadFailure failure) {
    switch (failure) {
        case ReadFailure::BadMagic:
            return "MIDI 파일이 아닙니다.";
        case ReadFailure::Truncated:
            return "파일이 중간에 잘려 있습니다.";
        case ReadFailure::Overrun:
            return "트랙의 길이가 파일 끝을 넘습니다.";
        case ReadFailure::Malformed:
            return "MIDI 파일의 형식이 올바르지 않습니다.";
        case ReadFailure::Empty:
            return "건반으로 연주할 음이 없습니다.";
        case ReadFailure::TooLarge:
            return "연주 하나에 담을 수 있는 것보다 음이 많습니다.";
        case ReadFailure::Unreadable:
            break;
    }
    return "파일을 읽을 수 없습니다.";
}

}  // namespace muto
