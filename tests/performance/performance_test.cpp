// A saved performance plays what was played: recorded with altered keys, saved, reopened and
// replayed; older files re-saved through the window sound as they did.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "form/performance_files.h"
#include "formats/performance_file.h"
#include "io/read_file.h"
#include "performance/performance_export.h"
#include "performance/player.h"
#include "performance/recorder.h"
#include "support/form_fixture.h"
#include "support/midi_hex.h"

namespace muto::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

const std::string kVsp = MUTO_VSP_TEST_DATA;
constexpr int kT = 'T', kShift = 16, kUp = 38;

class PerformanceTest : public FormTest {
protected:
    PerformanceTest() {
        std::string pattern = (fs::temp_directory_path() / "muto-perf-XXXXXX").string();
        if (::mkdtemp(pattern.data())) dir = pattern;
    }
    ~PerformanceTest() override { fs::remove_all(dir); }
    std::string file(const std::string& name) const { return dir + "/" + name; }

    void open(const std::string& path) {
        dialogs.chosenFile = path;
        form->cmd_open.click();
    }
    static PerformanceSource source(const std::string& path) {
        auto s = performanceFromFile(path);
        EXPECT_TRUE(s) << path;
        return s ? *s : PerformanceSource{};
    }
    static PerformanceFile read(const std::string& path) {
        auto bytes = readWholeFile(path);
        auto perf = bytes ? readPerformance(*bytes) : ReadResult<PerformanceFile>(bytes.failure());
        EXPECT_TRUE(perf) << path;
        return perf ? *perf : PerformanceFile{};
    }
    // What a playback sends, with its times in microseconds, as text.
    static Strings sounds(const PlaybackCapture& capture) {
        Strings out;
        for (const TimedMessage& m : capture.messages)
            out.push_back(std::to_string(std::lround(m.seconds * 1e6)) + " " + midiHex(m.message));
        return out;
    }
    static Strings noteOns(const Strings& hex) {
        Strings out;
        for (const std::string& h : hex)
            if (h.rfind("90 ", 0) == 0 || h.rfind("91 ", 0) == 0) out.push_back(h);
        return out;
    }
    std::string dir;
};

TEST_F(PerformanceTest, AnAlteredKeyRecordedAcrossAnOctaveChangeReplaysTheNotesPlayed) {
    Form1& f = started();
    raiseKey(kT);  // 67 → 68
    dialogs.answers.push_back(MsgResult::Yes);
    f.cmd_record.click();
    midi.take();
    tap(kT);
    down(kShift, 1);
    tap(kUp, 1);
    up(kShift);
    tap(kT);
    const Strings played = noteOns(midi.take());
    ASSERT_EQ(played, (Strings{"90 44 7F", "90 50 7F"}));
    dialogs.chosenFile = file("take.vsp");
    f.cmd_record.click();  // stopped: saved
    EXPECT_EQ(read(file("take.vsp")).entries, (std::vector<KeyEntry>{{kT, 68, 's'}}));

    // Played again in the window, and after opening the file, and exported: the notes played.
    f.cmd_play.click();
    time.runUntilIdle(60s);
    EXPECT_EQ(noteOns(midi.take()), played);
    open(file("take.vsp"));
    f.cmd_play.click();
    time.runUntilIdle(60s);
    EXPECT_EQ(noteOns(midi.take()), played);
    Strings exported;
    for (const std::string& s : sounds(capturePlayback(source(file("take.vsp")))))
        exported.push_back(s.substr(s.find(' ') + 1));
    EXPECT_EQ(noteOns(exported), played);
    // The key set in memory is the one recorded: back at octave 0, T plays 68.
    f.cmb_OctShift(0).setListIndex(2);
    tap(kT);
    EXPECT_EQ(noteOns(midi.take()), (Strings{"90 44 7F"}));
}

TEST_F(PerformanceTest, FilesSavedRightAfterOpeningSoundTheSameAndKeepTheirEntries) {
    // A version-4 file with two entries and a key signature, made by the writer.
    PerformanceFile v4;
    v4.settings = {0, 0, 0, 2, 2, 5, 5};
    v4.entries = {{'Q', 61, 's'}, {'W', 61, 'f'}};
    v4.keySig = std::array<uint8_t, 8>{2, 0, 1, 0, 0, 0, 0, 0};
    v4.events = {{'Q', 1, 10.0f}, {'Q', 0, 10.5f}, {'W', 1, 11.0f}, {'W', 0, 11.25f}};
    const std::vector<uint8_t> v4Bytes = writePerformance(v4);
    std::ofstream(file("v4.vsp"), std::ios::binary)
        .write(reinterpret_cast<const char*>(v4Bytes.data()), std::streamsize(v4Bytes.size()));

    Form1& f = started();
    // A version-3 file opened first: its key signature must not leak into a later older file.
    for (const std::string name : {"v3-partial-tail.vsp", "v1-ten-events.vsp",
                                   "v2-damper-entry.vsp", "v3-partial-tail.vsp"}) {
        SCOPED_TRACE(name);
        const std::string original = kVsp + "/" + name;
        open(original);
        ASSERT_TRUE(f.performanceFiles().writePerformanceFile(file("again.vsp")));
        const PerformanceFile before = read(original), after = read(file("again.vsp"));
        EXPECT_EQ(after.version, 4);
        EXPECT_EQ(after.entries, before.entries);
        EXPECT_EQ(sounds(capturePlayback(source(file("again.vsp")))),
                  sounds(capturePlayback(source(original))));
    }
    open(file("v4.vsp"));
    ASSERT_TRUE(f.performanceFiles().writePerformanceFile(file("again.vsp")));
    EXPECT_EQ(readWholeFile(file("again.vsp")).value(), v4Bytes);
}

TEST_F(PerformanceTest, OlderFilesGetANeutralKeySignatureAndChannelOneOctaveWrittenAsItPlays) {
    // Version 1..3 keep channel 1's octave one entry lower; the last entry of the list stays.
    PerformanceFile file;
    for (const auto& [version, stored, written] :
         std::vector<std::tuple<uint8_t, uint8_t, uint8_t>>{
             {1, 1, 2}, {2, 2, 3}, {3, 3, 3}, {3, 200, 200}, {4, 3, 3}, {9, 0, 0}}) {
        file.version = version;
        file.settings[3] = stored;
        file.keySig.reset();
        const Performance p = performanceOf(file, "");
        EXPECT_EQ(p.snapshot.keySig, kNeutralKeySig);
        EXPECT_EQ(performanceFileOf(p).settings[3], written) << int(version) << " " << int(stored);
    }
}

TEST_F(PerformanceTest, AFailedOpenClearsTheKeyMarksAndTheAlteredNotes) {
    Form1& f = started();
    raiseKey('Q');
    open(kVsp + "/magic-lowercase.vsp");
    EXPECT_EQ(f.lbl_KeyCaption('Q').tag(), "");
    midi.take();
    tap('Q');
    EXPECT_EQ(noteOns(midi.take()), (Strings{"90 3C 7F"}));
}

TEST(RecordedGap, BackwardsOnlyFromTheDaysLastHourIntoItsFirst) {
    struct Row {
        float before, after;
        double gap;
    };
    for (const Row& r :
         {Row{10.0f, 10.5f, 0.5}, Row{86399.5f, 0.25f, 0.75}, Row{82800.0f, 3599.0f, 7199.0},
          Row{82799.0f, 1.0f, 0.0}, Row{86000.0f, 3600.0f, 0.0}, Row{500.0f, 100.0f, 0.0},
          Row{86400.0f, 0.0f, 0.0}, Row{90000.0f, 1.0f, 0.0}}) {
        EXPECT_NEAR(recordedGap(r.before, r.after), r.gap, 1e-3) << r.before << " " << r.after;
    }
}

}  // namespace
}  // namespace muto::test
