// The instrument without a window: what a key press sounds and what its release ends.
#include "instrument/instrument.h"

#include <gtest/gtest.h>

#include <vector>

namespace muto {
namespace {

constexpr int kQ = 'Q';

struct Played {
    std::vector<uint32_t> sent;
    Instrument instrument{[this](uint32_t m) { sent.push_back(m); }};
};

TEST(Instrument, AKeySoundsItsNoteMovedByTheModifierAndItsDegreeAccidental) {
    struct Row {
        int note, transposition;
        bool sharp, flat;
        std::array<int16_t, 7> degrees;
        int sounds;
    };
    // In D major (transposition 2) degree 2 is F#: its accidental moves 66, not 64.
    for (const Row& r :
         {Row{60, 0, false, false, {}, 60}, Row{60, 0, true, false, {}, 61},
          Row{60, 0, false, true, {}, 59}, Row{64, 0, false, false, {0, 0, 1}, 65},
          Row{66, 2, false, false, {0, 0, -1}, 65}, Row{64, 2, false, false, {0, 0, -1}, 64},
          Row{60, 0, true, false, {-1}, 60}}) {
        Played p;
        p.instrument.keyNote[kQ] = uint8_t(r.note);
        p.instrument.setTransposition(r.transposition);
        p.instrument.sharpHeld = r.sharp;
        p.instrument.flatHeld = r.flat;
        p.instrument.setDegreeAccidentals(r.degrees);
        const auto struck = p.instrument.press(kQ, 1);
        ASSERT_TRUE(struck) << r.note;
        EXPECT_EQ(struck->note, r.sounds) << r.note << " " << r.transposition;
        EXPECT_EQ(p.sent, (std::vector<uint32_t>{0x7F0091u + uint32_t(r.sounds) * 256}));
    }
}

TEST(Instrument, AReleaseEndsTheNoteItsKeyStruckAndANoteOutOfRangeNeverHolds) {
    Played p;
    p.instrument.keyNote[kQ] = 60;
    p.instrument.sharpHeld = true;
    ASSERT_TRUE(p.instrument.press(kQ, 0));
    p.instrument.keyNote[kQ] = 72;  // the map changed while Q was held
    EXPECT_EQ(p.instrument.release(kQ, 0), 61);
    EXPECT_EQ(p.sent.back(), 0x3D80u);
    EXPECT_FALSE(p.instrument.release(kQ, 0));

    p.instrument.keyNote[kQ] = 127;
    EXPECT_FALSE(p.instrument.press(kQ, 0));
    EXPECT_FALSE(p.instrument.isHeld(kQ));
    EXPECT_EQ(p.sent.size(), 2u);
}

TEST(Instrument, TheKeyMapFollowsEachGroupsOctaveAndTheKeySignatureAndKeepsTheKeySet) {
    Played p;
    Instrument& in = p.instrument;
    in.setKeySignature(2);  // D major
    in.keyAlter[kQ] = 1;
    in.setOctave(0, 1);
    EXPECT_EQ(in.keyNote[kQ], 60 + 12 + 2 + 1);
    EXPECT_EQ(in.keyNote[97], 60 + 2);  // number-pad 1 keeps its own octave
    in.setOctave(1, -2);
    EXPECT_EQ(in.keyNote[97], 60 - 24 + 2);
    in.setKeySignature(-1);
    EXPECT_EQ(in.keyNote[kQ], 60 + 12 - 1 + 1);
    EXPECT_EQ(in.octave(0), 1);
}

TEST(Instrument, KeySetEditsStopAtTheirLimitsAndDegreesKeepTheOrderTheyWereAltered) {
    Played p;
    Instrument& in = p.instrument;
    in.keyNote[kQ] = 106;
    EXPECT_TRUE(in.alterKey(kQ, +1));
    EXPECT_FALSE(in.alterKey(kQ, +1));  // 107 is the highest
    in.keyNote['W'] = 1;
    EXPECT_TRUE(in.alterKey('W', -1));
    EXPECT_FALSE(in.alterKey('W', -1));  // 0 is no note
    EXPECT_EQ(in.keyNote[kQ], 107);
    EXPECT_EQ(in.keyAlter[kQ], 1);
    EXPECT_EQ(in.keyAlter['W'], -1);

    EXPECT_TRUE(in.toggleDegree(4, -1));
    EXPECT_TRUE(in.toggleDegree(1, +1));
    EXPECT_FALSE(in.toggleDegree(4, -1));  // turned the other way
    EXPECT_EQ(in.degreeAlter, (std::array<int16_t, 7>{0, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(in.clearDegrees(), (std::vector<int>{4, 1}));
    EXPECT_EQ(in.degreeAlter, (std::array<int16_t, 7>{}));
    EXPECT_TRUE(in.clearDegrees().empty());

    in.holdSemitone(17, -1);
    in.holdSemitone(32, +1);  // the newer modifier wins
    EXPECT_TRUE(in.sharpHeld && !in.flatHeld && in.isHeld(32) && in.isHeld(17));
    EXPECT_TRUE(p.sent.empty());
}

}  // namespace
}  // namespace muto
