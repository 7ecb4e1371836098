#include "formats/performance_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace muto {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kTwoEvents = {0x56, 0x65, 0x73, 0x6B, 0x04, 0x00, 0x00, 0x00, 0x02, 0x02, 0x05, 0x05,
                          0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x51,
                          0x01, 0x00, 0x00, 0x61, 0x45, 0x51, 0x00, 0x00, 0x08, 0x61, 0x45};

Bytes loadData(const std::string& name) {
    std::ifstream in(std::string(MUTO_VSP_TEST_DATA) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Events compare by bit pattern so that a NaN time still equals itself.
void expectSameEvents(const std::vector<PerfEvent>& a, const std::vector<PerfEvent>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].keyCode, b[i].keyCode) << i;
        EXPECT_EQ(a[i].isDown, b[i].isDown) << i;
        EXPECT_EQ(std::bit_cast<uint32_t>(a[i].time), std::bit_cast<uint32_t>(b[i].time)) << i;
    }
}

void expectSame(const PerformanceFile& a, const PerformanceFile& b) {
    EXPECT_EQ(a.version, b.version);
    EXPECT_EQ(a.settings, b.settings);
    EXPECT_EQ(a.damper, b.damper);
    EXPECT_EQ(a.entries, b.entries);
    EXPECT_EQ(a.keySig, b.keySig);
    expectSameEvents(a.events, b.events);
}

TEST(PerformanceFile, TwoEventRecordingIsByteExactBothWays) {
    PerformanceFile perf;
    perf.settings = {0, 0, 0, 2, 2, 5, 5};
    perf.keySig = std::array<uint8_t, 8>{1, 0, 0, 0, 0, 0, 0, 0};
    perf.events = {{81, 1, 3600.0f}, {81, 0, 3600.5f}};
    EXPECT_EQ(writePerformance(perf), kTwoEvents);
    EXPECT_EQ(loadData("two-events-v4.vsp"), kTwoEvents);

    auto read = readPerformance(kTwoEvents);
    ASSERT_TRUE(read);
    expectSame(*read, perf);
    // With no altered key the key-signature block sits at offset 15.
    EXPECT_EQ(kTwoEvents[14], 0);
    EXPECT_EQ(kTwoEvents[15], 1);
}

struct DataCase {
    const char* file;
    std::optional<ReadFailure> failure;
    uint8_t version = 0;
    std::size_t entries = 0;
    std::size_t events = 0;
    bool keySig = false;
    std::array<uint8_t, 2> damper{};
};

TEST(PerformanceFile, TestFilesReadAsDescribed) {
    const DataCase cases[] = {
        {"two-events-v4.vsp", {}, 4, 0, 2, true, {0, 0}},
        {"v1-ten-events.vsp", {}, 1, 0, 10, false, {0, 0}},
        {"v0-layout-of-v1.vsp", {}, 0, 1, 2, false, {0, 0}},
        {"v2-damper-entry.vsp", {}, 2, 1, 2, false, {1, 1}},
        {"v3-partial-tail.vsp", {}, 3, 2, 2, true, {0, 0}},
        {"v9-layout-of-v4.vsp", {}, 9, 1, 1, true, {1, 0}},
        {"magic-lowercase.vsp", ReadFailure::BadMagic},
        {"cut-in-settings.vsp", ReadFailure::Truncated},
        {"entries-past-end.vsp", ReadFailure::Truncated},
        {"cut-in-keysig.vsp", ReadFailure::Truncated},
    };
    for (const DataCase& c : cases) {
        SCOPED_TRACE(c.file);
        const Bytes bytes = loadData(c.file);
        auto perf = readPerformance(bytes);
        auto entries = readPerformanceKeyEntries(bytes);
        if (c.failure) {
            ASSERT_FALSE(perf);
            EXPECT_EQ(perf.failure(), *c.failure);
            ASSERT_FALSE(entries);
            EXPECT_EQ(entries.failure(), *c.failure);
            continue;
        }
        ASSERT_TRUE(perf);
        EXPECT_EQ(perf->version, c.version);
        EXPECT_EQ(perf->entries.size(), c.entries);
        EXPECT_EQ(perf->events.size(), c.events);
        EXPECT_EQ(perf->keySig.has_value(), c.keySig);
        EXPECT_EQ(perf->damper, c.damper);
        ASSERT_TRUE(entries);
        EXPECT_EQ(*entries, perf->entries);
    }
}

TEST(PerformanceFile, OlderLayoutsPlaceTheirFields) {
    auto v1 = readPerformance(loadData("v1-ten-events.vsp"));
    ASSERT_TRUE(v1);
    EXPECT_EQ(loadData("v1-ten-events.vsp").size(), 13u + 60u);
    EXPECT_EQ(v1->settings, (std::array<uint8_t, 7>{0, 0, 0, 2, 2, 5, 5}));
    EXPECT_EQ(v1->events[9].keyCode, 69);
    EXPECT_EQ(v1->events[9].isDown, 0);
    EXPECT_FLOAT_EQ(v1->events[9].time, 102.25f);

    auto v0 = readPerformance(loadData("v0-layout-of-v1.vsp"));
    ASSERT_TRUE(v0);
    EXPECT_EQ(v0->settings, (std::array<uint8_t, 7>{3, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(v0->entries, (std::vector<KeyEntry>{{81, 61, 's'}}));
    EXPECT_EQ(v0->events[0].keyCode, 65);

    auto v3 = readPerformance(loadData("v3-partial-tail.vsp"));
    ASSERT_TRUE(v3);
    EXPECT_EQ(v3->entries, (std::vector<KeyEntry>{{81, 61, 's'}, {87, 63, 'f'}}));
    EXPECT_EQ(v3->keySig, (std::array<uint8_t, 8>{2, 0, 2, 0, 0, 0, 0, 1}));
    EXPECT_FLOAT_EQ(v3->events[0].time, 86399.5f);
    EXPECT_FLOAT_EQ(v3->events[1].time, 0.25f);
}

TEST(PerformanceFile, VersionTwoIsSavedAsVersionFourWithTheGivenKeySignature) {
    auto perf = readPerformance(loadData("v2-damper-entry.vsp"));
    ASSERT_TRUE(perf);
    EXPECT_FALSE(perf->keySig);
    perf->keySig = std::array<uint8_t, 8>{2, 0, 0, 0, 2, 0, 0, 0};
    const Bytes saved = writePerformance(*perf);
    EXPECT_EQ(saved[4], 4);
    EXPECT_EQ(saved.size(), 15u + 3u + 8u + 12u);

    auto again = readPerformance(saved);
    ASSERT_TRUE(again);
    PerformanceFile expected = *perf;
    expected.version = 4;
    expectSame(*again, expected);
}

PerformanceFile randomPerformance(std::mt19937& rng) {
    auto byte = [&] { return static_cast<uint8_t>(rng() & 0xFF); };
    PerformanceFile perf;
    for (auto& s : perf.settings)
        s = byte();
    perf.damper = {static_cast<uint8_t>(rng() % 2), static_cast<uint8_t>(rng() % 2)};
    perf.entries.resize(rng() % 40);
    for (auto& e : perf.entries)
        e = {byte(), byte(), rng() % 2 ? 's' : 'f'};
    std::array<uint8_t, 8> keySig{};
    for (auto& k : keySig)
        k = static_cast<uint8_t>(rng() % 3);
    perf.keySig = keySig;
    perf.events.resize(rng() % 300);
    for (auto& ev : perf.events)
        ev = {static_cast<int16_t>(byte()), static_cast<int16_t>(rng() % 2),
              std::bit_cast<float>(static_cast<uint32_t>(rng()))};
    return perf;
}

TEST(PerformanceFile, RandomPerformancesSurviveWriteAndRead) {
    std::mt19937 rng(20240607);
    for (int i = 0; i < 300; ++i) {
        const PerformanceFile perf = randomPerformance(rng);
        auto read = readPerformance(writePerformance(perf));
        ASSERT_TRUE(read) << i;
        expectSame(*read, perf);
    }
}

// Every prefix of a file is refused as Truncated while it ends inside the header or the per-key
// block, and read with floor(rest / 6) events after that.
TEST(PerformanceFile, EveryTruncationLoadsOrRefusesCleanly) {
    struct Case {
        const char* file;
        std::size_t header;
    };
    for (const Case& c : {Case{"two-events-v4.vsp", 23}, Case{"v1-ten-events.vsp", 13},
                          Case{"v2-damper-entry.vsp", 18}, Case{"v3-partial-tail.vsp", 29}}) {
        const Bytes whole = loadData(c.file);
        for (std::size_t len = 0; len <= whole.size(); ++len) {
            SCOPED_TRACE(std::string(c.file) + " cut at " + std::to_string(len));
            const std::span<const uint8_t> cut(whole.data(), len);
            auto perf = readPerformance(cut);
            auto entries = readPerformanceKeyEntries(cut);
            ASSERT_EQ(perf.ok(), entries.ok());
            if (len < c.header) {
                ASSERT_FALSE(perf);
                EXPECT_EQ(perf.failure(), ReadFailure::Truncated);
                EXPECT_EQ(entries.failure(), ReadFailure::Truncated);
            } else {
                ASSERT_TRUE(perf);
                EXPECT_EQ(perf->events.size(), (len - c.header) / kPerfEventSize);
            }
        }
    }
}

TEST(PerformanceFile, MagicIsCaseSensitive) {
    for (unsigned mask = 1; mask < 16; ++mask) {
        Bytes bytes = kTwoEvents;
        for (int i = 0; i < 4; ++i)
            if (mask & (1u << i)) bytes[static_cast<std::size_t>(i)] ^= 0x20;
        auto perf = readPerformance(bytes);
        ASSERT_FALSE(perf) << mask;
        EXPECT_EQ(perf.failure(), ReadFailure::BadMagic);
        EXPECT_EQ(readPerformanceKeyEntries(bytes).failure(), ReadFailure::BadMagic);
    }
    // A short file is refused as not ours as soon as it stops looking like the magic.
    const Bytes shortWrong = {'V', 'E'};
    EXPECT_EQ(readPerformance(shortWrong).failure(), ReadFailure::BadMagic);
    EXPECT_EQ(readPerformance(Bytes{}).failure(), ReadFailure::Truncated);
}

TEST(PerformanceFile, EventCountIsLimited) {
    PerformanceFile perf;
    perf.events.assign(kMaxPerfEvents, PerfEvent{65, 1, 1.0f});
    Bytes bytes = writePerformance(perf);
    auto most = readPerformance(bytes);
    ASSERT_TRUE(most);
    EXPECT_EQ(most->events.size(), kMaxPerfEvents);

    bytes.insert(bytes.end(), {65, 0, 0, 0, 0x80, 0x3F});
    EXPECT_EQ(readPerformance(bytes).failure(), ReadFailure::TooLarge);
    EXPECT_EQ(readPerformanceKeyEntries(bytes).failure(), ReadFailure::TooLarge);
    // A partial record past the limit does not count.
    bytes.resize(bytes.size() - 1);
    EXPECT_TRUE(readPerformance(bytes));
}

TEST(KeyEntries, CountBeyondTheBytesIsTruncated) {
    const Bytes bytes = {0x51, 0x3D, 0x73, 0x57, 0x3F};
    auto one = readKeyEntries(bytes, 1);
    ASSERT_TRUE(one);
    EXPECT_EQ(*one, (std::vector<KeyEntry>{{0x51, 0x3D, 's'}}));
    EXPECT_EQ(readKeyEntries(bytes, 2).failure(), ReadFailure::Truncated);
    EXPECT_EQ(readKeyEntries(bytes, SIZE_MAX).failure(), ReadFailure::Truncated);
}

}  // namespace
}  // namespace muto
