#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "platform/midi/synth_output.h"

namespace muto::midi {
namespace {

// Here the built-in synth may have no sound system to play through. Either it starts on a real
// audio driver, or it says it could not: it never pretends (FluidSynth's file driver would).
TEST(SynthOutput, OpensOnARealAudioDriverOrReturnsACode) {
    if (::access(kDefaultSoundFont, R_OK) != 0) GTEST_SKIP() << "no soundfont";
    SynthOutput synth(kDefaultSoundFont);
    const int code = synth.open();
    if (code == 0) {
        EXPECT_TRUE(
            (std::set<std::string>{"pipewire", "pulseaudio", "alsa"}.count(synth.driverName())))
            << synth.driverName();
        synth.shortMsg(0x00C0);
        synth.shortMsg(0x7F3C90);
        synth.shortMsg(0x003C80);
    } else {
        EXPECT_EQ(code, kNoAudioOutput);
        EXPECT_TRUE(synth.driverName().empty());
        for (const char* driver : SynthOutput::kDrivers)
            EXPECT_NE(synth.lastError().find(driver), std::string::npos) << synth.lastError();
        synth.shortMsg(0x7F3C90);  // not open: ignored
    }
    synth.close();
    synth.close();
}

TEST(SynthOutput, MissingSoundfontIsReportedBeforeAnyAudio) {
    SynthOutput synth("/nonexistent/muto.sf2");
    EXPECT_EQ(synth.open(), kSoundFontUnusable);
    EXPECT_NE(synth.lastError().find("/nonexistent/muto.sf2"), std::string::npos);
    EXPECT_EQ(lastOpenError(synth), synth.lastError());
}

}  // namespace
}  // namespace muto::midi
