// The MIDI file reader on the hand-made files of tests/data/mid (see make_files.py there).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/smf_reader.h"

namespace muto {
namespace {

const std::string kMid = MUTO_MID_TEST_DATA;

std::vector<uint8_t> bytesOf(const std::string& name) {
    std::ifstream in(kMid + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

MidiSong read(const std::string& name) {
    auto song = readMidiFile(bytesOf(name));
    EXPECT_TRUE(song) << name << ": " << failureName(song.failure());
    return song ? *song : MidiSong{};
}

TEST(MidiFileReader, BadFilesFailForTheirReason) {
    const std::vector<std::pair<std::string, ReadFailure>> cases{
        {"not-midi.mid", ReadFailure::BadMagic},   {"cut-in-header.mid", ReadFailure::Truncated},
        {"cut-short.mid", ReadFailure::Truncated}, {"track-past-end.mid", ReadFailure::Overrun},
        {"no-notes.mid", ReadFailure::Empty},      {"zero-division.mid", ReadFailure::Malformed},
    };
    for (const auto& [name, failure] : cases) {
        auto song = readMidiFile(bytesOf(name));
        ASSERT_FALSE(song) << name;
        EXPECT_EQ(song.failure(), failure) << name;
    }
    EXPECT_EQ(readMidiFile(std::vector<uint8_t>{'M', 'T'}).failure(), ReadFailure::Truncated);
    EXPECT_EQ(readMidiFile(std::vector<uint8_t>{}).failure(), ReadFailure::Truncated);
}

// Format 0 with running status: 16 notes of 96 ticks (the last 192) at 120 BPM, a quarter
// note being half a second.
TEST(MidiFileReader, RunningStatusAndDefaultTempo) {
    const MidiSong s = read("scale.mid");
    ASSERT_EQ(s.notes.size(), 15u);
    const int scale[] = {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60};
    for (size_t i = 0; i < s.notes.size(); ++i) {
        EXPECT_EQ(s.notes[i].pitch, scale[i]);
        EXPECT_DOUBLE_EQ(s.notes[i].start, 0.5 * double(i));
    }
    EXPECT_DOUBLE_EQ(s.notes.back().end, 8.0);
    EXPECT_FALSE(s.keySharps);
}

TEST(MidiFileReader, VelocityZeroEndsTheNote) {
    const MidiSong s = read("accidentals.mid");
    ASSERT_EQ(s.notes.size(), 17u);
    for (const MidiNote& n : s.notes)
        EXPECT_NEAR(n.end - n.start, n.pitch == 72 || (n.pitch == 60 && n.start > 0) ? 0.5 : 0.25,
                    1e-9);
}

TEST(MidiFileReader, TempoChangesAndSmpteDivision) {
    // Eighths: four at 120 BPM (0.25 s), four at 60 (0.5 s), then 240 (0.125 s).
    const MidiSong t = read("tempo-changes.mid");
    ASSERT_EQ(t.notes.size(), 24u);
    EXPECT_DOUBLE_EQ(t.notes[7].start, 7 * 0.25);
    EXPECT_DOUBLE_EQ(t.notes[8].start, 8 * 0.25);
    EXPECT_DOUBLE_EQ(t.notes[15].start, 2.0 + 7 * 0.5);
    EXPECT_DOUBLE_EQ(t.notes[17].start, 6.0 + 0.125);
    // 25 frames of 40 ticks: a tick is a millisecond, whatever the tempo.
    const MidiSong s = read("smpte.mid");
    ASSERT_EQ(s.notes.size(), 3u);
    EXPECT_DOUBLE_EQ(s.notes[1].start, 0.75);
    EXPECT_DOUBLE_EQ(s.notes[2].end, 2.25);
}

TEST(MidiFileReader, PartsProgramsKeySignatureAndDrums) {
    const MidiSong s = read("two-hands.mid");
    EXPECT_EQ(s.format, 1);
    ASSERT_EQ(s.parts.size(), 2u);  // the drum track makes no part
    EXPECT_EQ(s.parts[0].track, 1);
    EXPECT_EQ(s.parts[0].program, 0);
    EXPECT_EQ(s.parts[1].channel, 1);
    EXPECT_EQ(s.parts[1].program, 32);
    EXPECT_EQ(s.keySharps, 1);
    EXPECT_EQ(s.drumNotes, 4u);
    // 100 BPM: a quarter note is 0.6 s; the three-note chord starts with the melody.
    EXPECT_EQ(std::count_if(s.notes.begin(), s.notes.end(),
                            [](const MidiNote& n) { return n.start == 0; }),
              4);
    EXPECT_DOUBLE_EQ(s.notes.back().start, 0.6 * 11);
    EXPECT_EQ(read("chords.mid").keySharps, -1);
}

}  // namespace
}  // namespace muto
