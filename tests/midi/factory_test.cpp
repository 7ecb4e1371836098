#include <gtest/gtest.h>

#include "platform/midi/alsa_output.h"
#include "platform/midi/log_output.h"
#include "platform/midi/midi_output.h"
#include "platform/midi/synth_output.h"
#include "platform/midi/wav_output.h"

namespace muto::midi {
namespace {

std::unique_ptr<MidiDevice> make(const std::string& output, const std::string& soundfont = "") {
    std::string error = "untouched";
    auto device = createMidiDevice(MidiOptions{output, soundfont}, &error);
    EXPECT_EQ(error, "untouched") << output;
    return device;
}

TEST(MidiFactory, DefaultIsTheBuiltInSynthWithTheGeneralMidiSoundfont) {
    std::string error;
    auto device = createMidiDevice(MidiOptions{}, &error);
    auto* synth = dynamic_cast<SynthOutput*>(device.get());
    ASSERT_NE(synth, nullptr);
    EXPECT_EQ(synth->soundfont(), kDefaultSoundFont);
    EXPECT_TRUE(error.empty());
}

TEST(MidiFactory, EachOutputValueGivesItsBackend) {
    auto synth = make("synth", "/tmp/x.sf2");
    ASSERT_NE(dynamic_cast<SynthOutput*>(synth.get()), nullptr);
    EXPECT_EQ(dynamic_cast<SynthOutput*>(synth.get())->soundfont(), "/tmp/x.sf2");

    auto port = make("alsa");
    ASSERT_NE(dynamic_cast<AlsaOutput*>(port.get()), nullptr);
    EXPECT_EQ(dynamic_cast<AlsaOutput*>(port.get())->target(), "");

    // The name may itself hold colons and spaces ("FLUID Synth (1234):Synth input port").
    auto connect = make("alsa:FLUID Synth:0");
    ASSERT_NE(dynamic_cast<AlsaOutput*>(connect.get()), nullptr);
    EXPECT_EQ(dynamic_cast<AlsaOutput*>(connect.get())->target(), "FLUID Synth:0");

    auto wav = make("wav:/tmp/a b.wav");
    ASSERT_NE(dynamic_cast<WavOutput*>(wav.get()), nullptr);
    EXPECT_EQ(dynamic_cast<WavOutput*>(wav.get())->path(), "/tmp/a b.wav");

    auto log = make("log:out:1.txt");
    ASSERT_NE(dynamic_cast<LogOutput*>(log.get()), nullptr);
    EXPECT_EQ(dynamic_cast<LogOutput*>(log.get())->path(), "out:1.txt");
}

TEST(MidiFactory, UnknownOrIncompleteValuesGiveAOneLineUsageError) {
    for (const char* bad : {"", "Synth", "synth:", "alsa:", "wav:", "log:", "jack", "file:x.wav",
                            "wav", "log", " synth", "midi"}) {
        std::string error;
        EXPECT_EQ(createMidiDevice(MidiOptions{bad, ""}, &error), nullptr) << bad;
        EXPECT_NE(error.find("--midi-out"), std::string::npos) << bad;
        EXPECT_EQ(error.find('\n'), std::string::npos) << bad;
    }
    EXPECT_EQ(createMidiDevice(MidiOptions{"nope", ""}, nullptr), nullptr);
}

TEST(MidiFactory, MessageLengthFollowsTheStatusByte) {
    EXPECT_EQ(shortMessageLength(0x90), 3);
    EXPECT_EQ(shortMessageLength(0x81), 3);
    EXPECT_EQ(shortMessageLength(0xB1), 3);
    EXPECT_EQ(shortMessageLength(0xE0), 3);
    EXPECT_EQ(shortMessageLength(0xC0), 2);
    EXPECT_EQ(shortMessageLength(0xDF), 2);
    EXPECT_EQ(shortMessageLength(0xF8), 1);
    EXPECT_EQ(shortMessageLength(0xF2), 3);
    EXPECT_EQ(shortMessageLength(0x3C), 3);
}

}  // namespace
}  // namespace muto::midi
