// The exports: a performance played on the manual clock into a Standard MIDI File or a WAV file,
// checked against the window's own playback, a golden file, a MIDI reader and the sound itself.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "app/export_command.h"
#include "app/import_command.h"
#include "form/key_set_files.h"
#include "form/performance_files.h"
#include "form/playback_panel.h"
#include "instrument/vk.h"
#include "performance/midi_import.h"
#include "performance/performance_export.h"
#include "performance/player.h"
#include "performance/recorder.h"
#include "platform/midi/fluid_engine.h"
#include "platform/midi/limiter.h"
#include "platform/midi/offline_render.h"
#include "support/form_fixture.h"
#include "support/smf_reader.h"
#include "support/window_capture.h"

namespace muto::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kVsp = MUTO_VSP_TEST_DATA;
const std::string kMid = MUTO_MID_TEST_DATA;

std::vector<uint8_t> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "muto-export-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    size_t entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(path_), {}));
    }

private:
    std::string path_;
};

// The messages of one channel as the file holds them: (tick, bytes).
std::vector<SmfEvent> channelEvents(const std::vector<TimedMessage>& messages, int channel) {
    std::vector<SmfEvent> out;
    for (const TimedMessage& m : messages) {
        if (static_cast<int>(m.message & 0x0F) != channel) continue;
        SmfEvent e{secondsToTicks(m.seconds), {uint8_t(m.message), uint8_t(m.message >> 8)}};
        if ((m.message & 0xE0) != 0xC0) e.bytes.push_back(uint8_t(m.message >> 16));
        out.push_back(e);
    }
    return out;
}

std::vector<SmfEvent> withoutEnd(std::vector<SmfEvent> track) {
    if (!track.empty() && track.back().bytes.size() >= 2 && track.back().bytes[0] == 0xFF &&
        track.back().bytes[1] == 0x2F)
        track.pop_back();
    return track;
}

// --- The reference recording, byte for byte ----------------------------------------------------

TEST(MidiExport, ReferenceRecordingMatchesGoldenFileAndReadsBack) {
    TempDir dir;
    const std::string out = dir.file("out.mid");
    std::ostringstream err;
    ASSERT_EQ(app::exportMidi(kVsp + "/two-events-v4.vsp", out, err), 0) << err.str();
    const auto written = bytesOf(out);
    EXPECT_EQ(written, bytesOf(kVsp + "/two-events-v4.mid"));

    auto smf = readSmf(written);
    ASSERT_TRUE(smf);
    EXPECT_EQ(smf->format, 1);
    EXPECT_EQ(smf->division, 1000);
    ASSERT_EQ(smf->tracks.size(), 3u);  // conductor, channel 1, channel 2
    const std::vector<SmfEvent> conductor{
        {0, {0xFF, 0x51, 0x0F, 0x42, 0x40}}, {0, {0xFF, 0x59, 0, 0}}, {0, {0xFF, 0x2F}}};
    EXPECT_EQ(smf->tracks[0], conductor);
    // Octave entry 2, volume entry 5 (95), no damper, release 70: then Q (middle C) for 500 ms.
    const std::vector<SmfEvent> ch1{
        {0, {0xC0, 0}},       {0, {0xB0, 7, 95}},   {0, {0xB0, 64, 0}},
        {0, {0xB0, 72, 70}},  {0, {0xB0, 91, 0}},   {0, {0xB0, 93, 0}},
        {0, {0x90, 60, 127}}, {500, {0x80, 60, 0}}, {500, {0xFF, 0x2F}}};
    EXPECT_EQ(smf->tracks[1], ch1);
}

// --- A longer performance: what the export holds is what the window plays ---------------------

constexpr int kQ = 'Q', kW = 'W', kE = 'E', kA = 'A', kPad1 = 97, kPad2 = 98;
constexpr int kShift = 16, kCtrl = 17, kAlt = 18, kSpace = 32, kF1 = 112, kF8 = 119, kUp = 38;

class ExportPlaybackTest : public FormTest {
protected:
    void SetUp() override {
        started();
        // Space raises W, F1 sharpens C, Shift+2 picks D major, Shift+Up raises channel 1's
        // octave, Alt + number pad 1 2 picks program 12, F8 the damper, Ctrl lowers E, the
        // number pad plays channel 2, and Alt+W pauses the playback at the very end.
        const std::vector<std::pair<int, bool>> keys{
            {kQ, true},      {kQ, false},    {kE, true},      {kE, false},   {kSpace, true},
            {kW, true},      {kW, false},    {kSpace, false}, {kF1, true},   {kF1, false},
            {kQ, true},      {kQ, false},    {kShift, true},  {'2', true},   {'2', false},
            {kShift, false}, {kShift, true}, {kUp, true},     {kUp, false},  {kShift, false},
            {kQ, true},      {kQ, false},    {kAlt, true},    {kPad1, true}, {kPad1, false},
            {kPad2, true},   {kPad2, false}, {kAlt, false},   {kF8, true},   {kF8, false},
            {kA, true},      {kPad1, true},  {kPad1, false},  {kA, false},   {kCtrl, true},
            {kE, true},      {kE, false},    {kCtrl, false},  {kW, true},    {kAlt, true},
            {kW, true},      {kW, false},    {kAlt, false}};
        Form1& f = *form;
        Performance p;
        float t = 3600.0f;
        for (auto [k, down] : keys) {
            p.events.push_back({int16_t(k), int16_t(down), t});
            t += 0.125f;
        }
        // The snapshot: B-flat major, channel 2 with program 40 an octave down at volume 105
        // and its damper on, degree E sharpened; A altered through the key set, two semitones
        // above its B-flat major note.
        p.snapshot.settings = {9, 0, 40, 2, 1, 0, 3};
        p.snapshot.damper = {0, 1};
        p.snapshot.keySig = {1, 0, 0, 1, 0, 0, 0, 0};
        p.snapshot.entries = {KeyEntry{uint8_t(kA), 46 + 22, 's'}};
        f.playback().setProgressScale(p.eventCount());
        f.recorder().setPerformance(std::move(p));
        f.cmd_SavePlayPos(1).setTag("5");
    }

    // The window's own playback from the start: each message after the first event's due time,
    // with its time from there.
    std::vector<TimedMessage> playLive() {
        std::vector<TimedMessage> played;
        double start = 0;
        midi.onMessage = [&](uint32_t m) {
            played.push_back({std::max(time.now() - start, 0.0), m});
        };
        form->shp_StartPos.setTag("0");
        form->playback().cmd_play_Click();
        played.clear();
        start = time.now() + 1.0;
        time.advance(60s);
        if (form->player().isPaused()) form->playback().cmd_play_Click();
        midi.onMessage = nullptr;
        return played;
    }

    // The capture against the window's playback of the same performance, message by message.
    void expectSameAsLive(const PlaybackCapture& capture) {
        const std::vector<TimedMessage> live = playLive();
        ASSERT_EQ(capture.settingsCount, 12u);
        std::vector<TimedMessage> events(capture.messages.begin() + 12, capture.messages.end());
        ASSERT_EQ(events.size(), live.size());
        for (size_t i = 0; i < live.size(); ++i) {
            EXPECT_EQ(midiHex(events[i].message), midiHex(live[i].message)) << "message " << i;
            EXPECT_NEAR(events[i].seconds, live[i].seconds, 1e-6) << "message " << i;
        }
    }
    static std::vector<std::string> notesAndPrograms(const PlaybackCapture& capture) {
        std::vector<std::string> out;
        for (size_t i = capture.settingsCount; i < capture.messages.size(); ++i) {
            const uint32_t m = capture.messages[i].message;
            if ((m & 0xF0) == 0x90 || (m & 0xF0) == 0xC0) out.push_back(midiHex(m));
        }
        return out;
    }
};

TEST_F(ExportPlaybackTest, CaptureHoldsExactlyWhatThePlaybackSendsAndTheFileHoldsTheCapture) {
    const PlaybackCapture capture = capturePlayback(performanceInMemory(*form));
    expectSameAsLive(capture);

    // The settings at time 0: program, volume and damper of both channels, then the effects.
    EXPECT_EQ(midiHex(capture.messages[0].message), "C0 00");
    EXPECT_EQ(midiHex(capture.messages[3].message), "C1 28");
    EXPECT_EQ(midiHex(capture.messages[4].message), "B1 07 69");  // volume entry 3: 105
    EXPECT_EQ(midiHex(capture.messages[5].message), "B1 40 7F");
    // In B-flat major: Q is B-flat (58), E with its sharpened degree E-flat + 1 (63), W raised
    // by Space C + 1 (61), Q after F1 B (59), then D major an octave up with F1: D# (75), both
    // channels' program 12 (the instruments are linked), A a key-set semitone above its D major
    // note (84), the number pad on channel 2 an octave down (51), Ctrl lowering E (77), W (76).
    const std::vector<std::string> expected{"90 3A 7F", "90 3F 7F", "90 3D 7F", "90 3B 7F",
                                            "90 4B 7F", "C1 0C",    "C0 0C",    "90 54 7F",
                                            "91 33 7F", "90 4D 7F", "90 4C 7F"};
    EXPECT_EQ(notesAndPrograms(capture), expected);

    // Written and read back: the snapshot's B-flat major (two flats), the marker of the second
    // remembered position at event 5, and each channel's messages.
    const auto smf = readSmf(writeMidiFile(midiFileContent(capture)));
    ASSERT_TRUE(smf);
    ASSERT_EQ(smf->tracks.size(), 3u);
    const std::string marker = "위치 2";
    std::vector<uint8_t> markerMeta{0xFF, 0x06};  // the reader keeps no length
    markerMeta.insert(markerMeta.end(), marker.begin(), marker.end());
    const std::vector<SmfEvent> conductor{{0, {0xFF, 0x51, 0x0F, 0x42, 0x40}},
                                          {0, {0xFF, 0x59, 0xFE, 0}},
                                          {625, markerMeta},
                                          {625, {0xFF, 0x2F}}};
    EXPECT_EQ(smf->tracks[0], conductor);
    for (int ch = 0; ch < 2; ++ch)
        EXPECT_EQ(withoutEnd(smf->tracks[size_t(1 + ch)]), channelEvents(capture.messages, ch));
}

TEST_F(ExportPlaybackTest, FileExportsWhatTheWindowPlaysOfIt) {
    TempDir dir;
    const std::string vsp = dir.file("perf.vsp");
    ASSERT_TRUE(form->performanceFiles().writePerformanceFile(vsp));
    // The window opens it: its altered keys now come from the file, against the snapshot.
    dialogs.files = {vsp};
    form->performanceFiles().cmd_open_Click();
    ASSERT_EQ(form->recorder().performance().path, vsp);
    auto fromFile = performanceFromFile(vsp);
    ASSERT_TRUE(fromFile);
    const auto capture = capturePlayback(*fromFile);
    expectSameAsLive(capture);
    EXPECT_EQ(capture.keySharps, -2);
    EXPECT_DOUBLE_EQ(capture.length, 0.125 * 42);
    EXPECT_TRUE(capture.markers.empty());  // opening a file forgets the remembered positions
}

TEST_F(ExportPlaybackTest, SaveDialogOffersMidiAndWritesItAtomically) {
    TempDir dir;
    dialogs.files = {dir.file("take.MID"), dir.file("missing/take.mid")};
    form->performanceFiles().cmd_save_Click();
    ASSERT_FALSE(dialogs.requests.empty());
    EXPECT_EQ(dialogs.requests[0].filter, "*.vsp|*.vsp|*.mid|*.mid");
    auto smf = readSmf(bytesOf(dir.file("take.MID")));
    ASSERT_TRUE(smf);
    EXPECT_EQ(smf->tracks.size(), 3u);
    EXPECT_TRUE(dialogs.boxes.empty());
    // A MIDI file never becomes the performance's file.
    EXPECT_EQ(form->recorder().performance().path, "");

    form->performanceFiles().cmd_save_Click();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, "저장 실패");
    EXPECT_EQ(dir.entries(), 1u);
}

// --- The round trip: exported as a MIDI file and imported, the same notes sound ---------------

// Note-ons by pitch, in seconds from the first one. The import may give the parts other
// channels (the higher part plays channel 1) along with their instruments.
std::map<int, std::vector<double>> noteOnTimes(const PlaybackCapture& capture) {
    std::map<int, std::vector<double>> out;
    std::optional<double> first;
    for (size_t i = capture.settingsCount; i < capture.messages.size(); ++i) {
        const TimedMessage& m = capture.messages[i];
        if ((m.message & 0xF0) != 0x90 || (m.message >> 16) == 0) continue;
        if (!first) first = m.seconds;
        out[int((m.message >> 8) & 0x7F)].push_back(m.seconds - *first);
    }
    return out;
}

void expectRoundTrip(const PerformanceSource& source) {
    const PlaybackCapture exported = capturePlayback(source);
    auto imported = importMidiFile(writeMidiFile(midiFileContent(exported)));
    ASSERT_TRUE(imported) << failureName(imported.failure());
    EXPECT_EQ(imported->summary.outOfReach + imported->summary.sameKey, 0u);
    PerformanceSource again;
    again.performance = performanceOf(imported->performance, "");
    const auto want = noteOnTimes(exported);
    const auto got = noteOnTimes(capturePlayback(again));
    ASSERT_EQ(got.size(), want.size());
    for (const auto& [pitch, times] : want) {
        ASSERT_EQ(got.at(pitch).size(), times.size()) << "note " << pitch;
        for (size_t i = 0; i < times.size(); ++i)
            EXPECT_NEAR(got.at(pitch)[i], times[i], 0.001) << "note " << pitch;
    }
}

TEST_F(ExportPlaybackTest, ExportedThenImportedSoundsTheSameNotesAtTheSameTimes) {
    expectRoundTrip(performanceInMemory(*form));
}

TEST(MidiRoundTrip, RandomPerformancesSoundTheSameNotesAtTheSameTimes) {
    // Keys away from the ends of their rows, so a transposition of the key signature cannot push
    // a note out of reach; channel 1 two octave entries above channel 2, so it stays the higher.
    const int main[] = {'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', 'Q', 'W', 'E', 'R', 'T', 'Y'};
    const int pad[] = {96, 110, 13, 97, 98, 99, 100, 101, 102, 103, 104};
    std::mt19937 rng(43);
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        PerformanceFile p;
        const auto low = uint8_t(rng() % 2);
        p.settings = {uint8_t(rng() % 15), 0, 0, uint8_t(low + 2), low, 0, 0};
        p.keySig = std::array<uint8_t, 8>{1};
        float t = 3600.0f;
        std::array<std::vector<int>, 2> held;
        for (int i = 0; i < 60; ++i) {
            t += float(rng() % 300) / 1000.0f;
            const size_t ch = rng() % 2;
            if (held[ch].size() == 2 || (!held[ch].empty() && rng() % 2)) {
                p.events.push_back({int16_t(held[ch].front()), 0, t});
                held[ch].erase(held[ch].begin());
                continue;
            }
            const int k = ch == 0 ? main[rng() % std::size(main)] : pad[rng() % std::size(pad)];
            if (std::find(held[ch].begin(), held[ch].end(), k) != held[ch].end()) continue;
            const int modifier = std::array{0, 0, 0, vk::kSpace, vk::kCtrl}[rng() % 5];
            if (modifier) p.events.push_back({int16_t(modifier), 1, t});
            p.events.push_back({int16_t(k), 1, t});
            if (modifier) p.events.push_back({int16_t(modifier), 0, t});
            held[ch].push_back(k);
        }
        for (const auto& keys : held)
            for (int k : keys)
                p.events.push_back({int16_t(k), 0, t += 0.1f});
        PerformanceSource source;
        source.performance = performanceOf(p, "");
        expectRoundTrip(source);
    }
}

// The export keeps the panel's settings itself and plays on the keyboard with no window: random
// performances with every kind of key, shortcuts and settings out of range included, must send
// what the window's own playback sends, at the same times.
TEST(ExportWithoutWindow, SendsWhatTheWindowsPlaybackSends) {
    using namespace vk;
    const int keys[] = {'A',    'Q',     'Z',   '1',   '0',    kBackspace, 96,    105,
                        13,     kUp,     kDown, kLeft, kRight, kSpace,     kCtrl, kEsc,
                        kF1,    kF1 + 3, kF7,   kF8,   kF9,    kPause,     kF11,  kF12,
                        kShift, kAlt,    'S',   'W',   'P',    'R',        9};
    std::mt19937 rng(7);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        PerformanceFile p;
        p.version = uint8_t(1 + rng() % 4);
        for (auto& b : p.settings)
            b = uint8_t(rng() % 4 == 0 ? rng() % 256 : rng() % 4);
        p.damper = {uint8_t(rng() % 4), uint8_t(rng() % 3)};
        std::array<uint8_t, 8> keySig{};
        for (auto& b : keySig)
            b = uint8_t(rng() % 4);
        if (p.version >= 3) p.keySig = keySig;
        for (int i = 0; i < 3; ++i)
            p.entries.push_back({uint8_t(keys[rng() % 6]), uint8_t(rng() % 140), 's'});
        float t = 86000.0f;
        std::set<int> down;
        for (int i = 0; i < 80; ++i) {
            t += float(rng() % 4 == 0 ? 0 : rng() % 200) / 1000.0f;
            // Stops and pauses are rare, so most rounds play to the end.
            int k = keys[rng() % std::size(keys)];
            if ((k == 'S' || k == 'W') && rng() % 8 != 0) k = 'A';
            const bool isDown = !down.count(k) || rng() % 4 == 0;
            if (isDown)
                down.insert(k);
            else
                down.erase(k);
            p.events.push_back({int16_t(k), int16_t(isDown), t});
        }
        PerformanceSource source;
        source.performance = performanceOf(p, "");
        source.effects = {int(60 + rng() % 50), int(rng() % 140), int(rng() % 128)};
        source.savedPositions = {int(rng() % 90), 0, int(rng() % 20)};
        // Times to the microsecond: the two clocks start at different origins.
        const auto us = [](double seconds) { return std::lround(seconds * 1e6); };
        const auto timed = [&](const PlaybackCapture& c) {
            std::vector<std::string> out;
            for (const TimedMessage& m : c.messages)
                out.push_back(std::to_string(us(m.seconds)) + " " + midiHex(m.message));
            for (const MidiFileMarker& m : c.markers)
                out.push_back(std::to_string(us(m.seconds)) + " " + m.text);
            out.push_back(std::to_string(us(c.length)) + " end after " +
                          std::to_string(c.settingsCount));
            return out;
        };
        const PlaybackCapture want = captureWindowPlayback(source);
        ASSERT_GT(want.messages.size(), want.settingsCount);
        EXPECT_EQ(timed(capturePlayback(source)), timed(want));
    }
}

// --- The command line's bad inputs -------------------------------------------------------------

TEST(ExportCommand, BadInputSaysWhyInOneLineAndLeavesNoFile) {
    TempDir dir;
    const std::string cut = dir.file("cut.vsp");
    {
        auto b = bytesOf(kVsp + "/two-events-v4.vsp");
        b.resize(12);
        std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), 12);
    }
    struct Case {
        std::string in, out, says;
    };
    const std::vector<Case> cases{
        {dir.file("none.vsp"), dir.file("a"), "cannot read"},
        {kVsp + "/magic-lowercase.vsp", dir.file("a"), "is not a performance file"},
        {cut, dir.file("a"), "is cut short"},
        {kVsp + "/two-events-v4.vsp", dir.file("no/such/dir/a"), "cannot write"},
        {kVsp + "/two-events-v4.vsp", "/proc/version", "cannot write"},
    };
    for (const Case& c : cases) {
        for (bool wav : {false, true}) {
            std::ostringstream err;
            const int rc = wav ? app::renderWav(c.in, c.out + ".wav", "", err)
                               : app::exportMidi(c.in, c.out + ".mid", err);
            const std::string said = err.str();
            EXPECT_NE(rc, 0) << c.in;
            EXPECT_NE(said.find(c.says), std::string::npos) << said;
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        }
    }
    EXPECT_EQ(dir.entries(), 1u);  // cut.vsp alone
}

TEST(ImportCommand, WritesThePerformanceAndReportsOrSaysWhyAndLeavesTheFileAlone) {
    TempDir dir;
    const std::string out = dir.file("out.vsp");
    std::ostringstream ok;
    ASSERT_EQ(app::importMidi(kMid + "/two-hands.mid", out, ok), 0) << ok.str();
    EXPECT_EQ(bytesOf(out), bytesOf(kMid + "/two-hands.vsp"));
    EXPECT_EQ(ok.str(),
              "muto: 23 notes kept, 0 of them with Space or Ctrl, 0 released early; left out: 0 "
              "beyond the keys' reach, 0 sharing a key at the same moment, 4 drum notes\n");

    const std::vector<std::pair<std::string, std::string>> cases{
        {dir.file("none.mid"), "cannot read"},
        {kMid + "/not-midi.mid", "is not a MIDI file"},
        {kMid + "/cut-short.mid", "is cut short"},
        {kMid + "/track-past-end.mid", "declares a track longer than the rest of the file"},
        {kMid + "/no-notes.mid", "holds no notes the keys can play"},
    };
    for (const auto& [in, says] : cases) {
        std::ostringstream err;
        EXPECT_EQ(app::importMidi(in, out, err), 1) << in;
        const std::string said = err.str();
        EXPECT_NE(said.find(says), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
    EXPECT_EQ(bytesOf(out), bytesOf(kMid + "/two-hands.vsp"));
    EXPECT_EQ(dir.entries(), 1u);
}

}  // namespace
}  // namespace muto::test
