#include <RtMidi.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/midi/alsa_output.h"

namespace muto::midi {
namespace {

bool haveSequencer() {
    return ::access("/dev/snd/seq", R_OK | W_OK) == 0;
}

TEST(AlsaOutput, WithoutASequencerOpenReturnsItsCode) {
    if (haveSequencer()) GTEST_SKIP() << "this machine has an ALSA sequencer";
    for (const char* target : {"", "FLUID"}) {
        AlsaOutput out(target);
        EXPECT_EQ(out.open(), kNoSequencer) << target;
        EXPECT_NE(out.lastError().find("sequencer"), std::string::npos);
        out.shortMsg(0x7F3C90);  // not open: ignored
        out.close();
    }
}

TEST(AlsaOutput, OffersAPortNamedMutoThatOthersSee) {
    if (!haveSequencer()) GTEST_SKIP() << "no ALSA sequencer here";
    AlsaOutput out("");
    ASSERT_EQ(out.open(), 0) << out.lastError();
    RtMidiIn probe(RtMidi::LINUX_ALSA, "muto-test");
    bool seen = false;
    for (unsigned i = 0; i < probe.getPortCount(); ++i)
        seen = seen || probe.getPortName(i).find(kAlsaPortName) != std::string::npos;
    EXPECT_TRUE(seen);
    out.shortMsg(0x7F3C90);
    out.shortMsg(0x28C0);
    out.close();
}

TEST(AlsaOutput, ConnectsToAMatchingPortOrSaysNoneMatches) {
    if (!haveSequencer()) GTEST_SKIP() << "no ALSA sequencer here";
    RtMidiIn sink(RtMidi::LINUX_ALSA, "muto-test-sink");
    sink.openVirtualPort("muto test sink");
    AlsaOutput out("muto test sink");
    ASSERT_EQ(out.open(), 0) << out.lastError();
    EXPECT_NE(out.connectedPort().find("muto test sink"), std::string::npos);
    out.shortMsg(0x7F3C90);
    std::vector<unsigned char> message;
    for (int i = 0; i < 100 && message.empty(); ++i) {
        sink.getMessage(&message);
        if (message.empty()) usleep(10000);
    }
    EXPECT_EQ(message, (std::vector<unsigned char>{0x90, 0x3C, 0x7F}));
    out.close();

    AlsaOutput nowhere("no port has this name 1f2e3d");
    EXPECT_EQ(nowhere.open(), kNoMatchingPort);
}

}  // namespace
}  // namespace muto::midi
