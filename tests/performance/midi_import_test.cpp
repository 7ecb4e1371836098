// The import of MIDI files as performances: golden files, the choices it makes, and the replay of
// what it made by the window's own playback (on the manual clock), which must sound every kept
// note at its time.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "form/performance_files.h"
#include "performance/midi_import.h"
#include "performance/performance_export.h"
#include "performance/recorder.h"
#include "support/form_fixture.h"

namespace muto {
namespace {

const std::string kMid = MUTO_MID_TEST_DATA;

std::vector<uint8_t> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

MidiImport imported(const std::string& name) {
    auto r = importMidiFile(bytesOf(kMid + "/" + name));
    EXPECT_TRUE(r) << name << ": " << failureName(r.failure());
    return r ? *r : MidiImport{};
}

// Times of the note-ons of each (channel, pitch).
using Sounds = std::map<std::pair<int, int>, std::vector<double>>;

// What the playback sounds; every note it starts must also end.
Sounds replay(const PerformanceFile& perf) {
    PerformanceSource source;
    source.performance = performanceOf(perf, "");
    const PlaybackCapture capture = capturePlayback(source);
    Sounds sounds;
    std::map<std::pair<int, int>, int> sounding;
    for (size_t i = capture.settingsCount; i < capture.messages.size(); ++i) {
        const uint32_t m = capture.messages[i].message;
        const std::pair<int, int> note{int(m & 0x0F), int((m >> 8) & 0x7F)};
        if ((m & 0xF0) == 0x90 && (m >> 16) != 0) {
            sounds[note].push_back(capture.messages[i].seconds);
            ++sounding[note];
        } else if ((m & 0xF0) == 0x80 || (m & 0xF0) == 0x90) {
            --sounding[note];
        }
    }
    for (const auto& [note, n] : sounding)
        EXPECT_EQ(n, 0) << "channel " << note.first << " note " << note.second;
    return sounds;
}

Sounds soundsOf(const std::vector<ImportedNote>& notes) {
    Sounds s;
    for (const ImportedNote& n : notes)
        s[{n.channel, n.pitch}].push_back(n.start);
    return s;
}

void expectSameSounds(const Sounds& played, const Sounds& wanted, double tolerance) {
    ASSERT_EQ(played.size(), wanted.size());
    for (const auto& [note, times] : wanted) {
        auto it = played.find(note);
        ASSERT_NE(it, played.end()) << "note " << note.second << " never sounds";
        ASSERT_EQ(it->second.size(), times.size()) << "note " << note.second;
        for (size_t i = 0; i < times.size(); ++i)
            EXPECT_NEAR(it->second[i], times[i], tolerance) << "note " << note.second;
    }
}

// --- Golden files: the performances made of the hand-made MIDI files --------------------------

TEST(MidiImport, GoldenPerformancesThatSoundTheirNotes) {
    for (const char* name : {"scale", "chords", "accidentals", "two-hands", "tempo-changes"}) {
        SCOPED_TRACE(name);
        const MidiImport m = imported(std::string(name) + ".mid");
        const std::vector<uint8_t> bytes = writePerformance(m.performance);
        const std::string golden = kMid + "/" + name + ".vsp";
        if (std::getenv("MUTO_UPDATE_GOLDEN")) {
            std::ofstream(golden, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
        EXPECT_EQ(bytes, bytesOf(golden));
        expectSameSounds(replay(m.performance), soundsOf(m.notes), 1e-4);
    }
}

TEST(MidiImport, KeyOctavesProgramsAndHands) {
    struct Case {
        const char* name;
        std::array<uint8_t, 7> settings;
        uint8_t direction;
        size_t withModifier;
    };
    // Key entry, programs, octave entries ("0" is 2), volumes: F major from its event with an
    // organ; D-flat major found for the chromatic melody (12 of its 17 notes are in that scale,
    // 9 in C major), its other five with a modifier; G major from its event, the left hand
    // with its program on channel 2, the drums left out.
    const std::vector<Case> cases{
        {"chords.mid", {8, 19, 0, 2, 2, 0, 0}, 2, 0},
        {"accidentals.mid", {12, 0, 0, 2, 2, 0, 0}, 2, 5},
        {"two-hands.mid", {1, 0, 32, 2, 2, 0, 0}, 1, 0},
    };
    for (const Case& c : cases) {
        const MidiImport m = imported(c.name);
        EXPECT_EQ(m.performance.settings, c.settings) << c.name;
        EXPECT_EQ((*m.performance.keySig)[0], c.direction) << c.name;
        EXPECT_EQ(m.summary.withModifier, c.withModifier) << c.name;
    }
    EXPECT_EQ(imported("two-hands.mid").summary.drums, 4u);
}

// --- Notes that cannot all be kept ------------------------------------------------------------

MidiSong songOf(std::vector<MidiNote> notes, int parts = 1) {
    MidiSong s;
    for (int p = 0; p < parts; ++p)
        s.parts.push_back({uint16_t(p), uint8_t(p), -1});
    s.notes = std::move(notes);
    return s;
}

TEST(MidiImport, UnreachableAndCollidingNotesAreCounted) {
    // Channel 2 (the lower part) plays C D and C# between them at once: C# can only borrow the
    // C or the D key, both taken by notes starting with it, so it gives way to D. A note an octave
    // below everything is out of reach; C repeated while still held releases the first C early.
    const MidiSong song = songOf({{0, 1, 96, 64, 0},
                                  {0, 1, 48, 64, 1},
                                  {0, 1, 49, 64, 1},
                                  {0, 1, 50, 64, 1},
                                  {0.5, 1, 48, 64, 1},
                                  {0.5, 1, 12, 64, 1}},
                                 2);
    auto m = importMidi(song);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->summary.kept, 4u);
    EXPECT_EQ(m->summary.sameKey, 1u);
    EXPECT_EQ(m->summary.outOfReach, 1u);
    EXPECT_EQ(m->summary.shortened, 1u);
    expectSameSounds(replay(m->performance), soundsOf(m->notes), 1e-6);
    EXPECT_EQ(importReportLine(m->summary),
              "4 notes kept, 0 of them with Space or Ctrl, 1 released early; left out: 1 beyond "
              "the keys' reach, 1 sharing a key at the same moment, 0 drum notes");

    EXPECT_EQ(importMidi(songOf({{0, 1, 5, 64, 0}})).failure(), ReadFailure::Empty);
    std::vector<MidiNote> many;
    for (int i = 0; i < 16384; ++i)
        many.push_back({i * 0.01, i * 0.01 + 0.005, 60, 64, 0});
    EXPECT_EQ(importMidi(songOf(many)).failure(), ReadFailure::TooLarge);
    many.resize(16383);
    EXPECT_TRUE(importMidi(songOf(many)));
}

// --- Property: whatever the notes, the replay sounds exactly the kept ones --------------------

TEST(MidiImport, RandomSongsReplayExactlyTheKeptNotes) {
    std::mt19937 rng(20);
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        const int parts = 1 + int(rng() % 3);
        std::vector<MidiNote> notes;
        const int count = 1 + int(rng() % 60);
        for (int i = 0; i < count; ++i) {
            // Starts on a millisecond grid, often together; some notes last no time at all.
            const double start = double(rng() % 40) * 0.125 + double(rng() % 3) * 0.001;
            const double length = rng() % 5 == 0 ? 0.0 : double(1 + rng() % 2000) / 1000;
            const auto part = uint16_t(rng() % uint32_t(parts));
            notes.push_back({start, start + length, uint8_t(20 + rng() % 90 + part * 5), 64, part});
        }
        std::stable_sort(notes.begin(), notes.end(),
                         [](const MidiNote& a, const MidiNote& b) { return a.start < b.start; });
        MidiSong song = songOf(notes, parts);
        if (rng() % 2) song.keySharps = int(rng() % 15) - 7;
        auto m = importMidi(song);
        if (!m) {
            EXPECT_EQ(m.failure(), ReadFailure::Empty);
            continue;
        }
        const ImportSummary& s = m->summary;
        EXPECT_EQ(s.kept + s.outOfReach + s.sameKey, notes.size());
        // Kept notes are notes of the song, shifted so the first sounds at 0.
        Sounds given;
        for (const MidiNote& n : notes)
            for (int ch = 0; ch < 2; ++ch)
                given[{ch, n.pitch}].push_back(n.start - m->origin);
        for (const ImportedNote& n : m->notes) {
            const auto& times = given[{n.channel, n.pitch}];
            EXPECT_NE(std::find_if(times.begin(), times.end(),
                                   [&](double t) { return std::abs(t - n.start) < 1e-9; }),
                      times.end());
        }
        expectSameSounds(replay(m->performance), soundsOf(m->notes), 1e-5);
    }
}

// --- Three pieces written by hand: the share of notes kept -------------------------------------

TEST(MidiImport, HandWrittenPiecesKeepTheirNotes) {
    for (const char* name : {"minuet.mid", "fur-elise.mid", "arirang.mid"}) {
        const MidiImport m = imported(name);
        const ImportSummary& s = m.summary;
        const double share = double(s.kept) / double(s.kept + s.outOfReach + s.sameKey);
        std::printf("%s: %zu of %zu notes kept (%.1f %%), %zu with Space or Ctrl\n", name, s.kept,
                    s.kept + s.outOfReach + s.sameKey, 100 * share, s.withModifier);
        EXPECT_GE(share, 0.95) << name;
        expectSameSounds(replay(m.performance), soundsOf(m.notes), 1e-4);
    }
}

// --- The open button imports MIDI files --------------------------------------------------------

class OpenMidiTest : public test::FormTest {};

TEST_F(OpenMidiTest, OpenImportsAndReportsOrNamesTheReasonAndKeepsThePerformance) {
    Form1& f = started();
    dialogs.files = {kMid + "/two-hands.mid"};
    f.performanceFiles().cmd_open_Click();
    EXPECT_EQ(dialogs.requests.back().filter, "*.vsp|*.vsp|*.mid;*.midi|*.mid;*.midi");
    const MidiImport m = imported("two-hands.mid");
    const Performance& held = f.recorder().performance();
    EXPECT_EQ(held.eventCount(), int(m.performance.events.size()));
    EXPECT_EQ(held.snapshot.settings, m.performance.settings);
    EXPECT_EQ(held.path, "");
    EXPECT_EQ(f.form.caption(), "무토 - two-hands.mid");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, "안내");
    EXPECT_EQ(dialogs.boxes[0].text, importReportText(m.summary));

    for (const char* bad : {"cut-short.mid", "not-midi.mid", "no-notes.mid"}) {
        dialogs.files = {kMid + "/" + bad};
        f.performanceFiles().cmd_open_Click();
        EXPECT_EQ(dialogs.boxes.back().title, "열기 실패");
        EXPECT_EQ(dialogs.boxes.back().text.rfind(std::string(bad) + ": ", 0), 0u);
        EXPECT_EQ(f.recorder().performance().eventCount(), int(m.performance.events.size())) << bad;
        EXPECT_EQ(f.form.caption(), "무토 - two-hands.mid");
    }
    EXPECT_NE(dialogs.boxes[1].text.find("잘려"), std::string::npos);
    EXPECT_TRUE(isMidiImportName("a.MIDI"));
    EXPECT_FALSE(isMidiImportName("a.vsp"));
}

}  // namespace
}  // namespace muto
