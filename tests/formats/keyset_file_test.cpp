#include "formats/keyset_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace muto {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes loadData(const std::string& name) {
    std::ifstream in(std::string(MUTO_VNS_TEST_DATA) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(KeySetFile, GoldenBytesBothWays) {
    const KeySetFile defaults{0, 2, 2, {}};
    const KeySetFile raised{3, 1, 3, {{81, 61, 's'}}};
    struct Case {
        const char* file;
        const KeySetFile& keySet;
        Bytes bytes;
    };
    for (const Case& c : {Case{"default.vns", defaults, {0x00, 0x02, 0x02}},
                          Case{"q-raised.vns", raised, {0x03, 0x01, 0x03, 0x51, 0x3D, 0x73}}}) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(writeKeySet(c.keySet), c.bytes);
        EXPECT_EQ(loadData(c.file), c.bytes);
        auto read = readKeySet(c.bytes);
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, c.keySet);
    }
}

TEST(KeySetFile, TestFilesReadAsDescribed) {
    struct Case {
        const char* file;
        std::optional<KeySetFile> expected;
    };
    const Case cases[] = {
        {"two-left-over.vns", KeySetFile{0, 2, 2, {}}},
        {"out-of-range.vns", KeySetFile{200, 255, 9, {{0xFF, 0x80, 'x'}, {0, 0, '\0'}}}},
        {"two-bytes.vns", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto read = readKeySet(loadData(c.file));
        if (!c.expected) {
            ASSERT_FALSE(read);
            EXPECT_EQ(read.failure(), ReadFailure::Truncated);
        } else {
            ASSERT_TRUE(read);
            EXPECT_EQ(*read, *c.expected);
        }
    }
}

TEST(KeySetFile, RandomKeySetsSurviveWriteReadAndEveryTruncation) {
    std::mt19937 rng(77);
    auto byte = [&] { return static_cast<uint8_t>(rng() & 0xFF); };
    for (int i = 0; i < 200; ++i) {
        KeySetFile keySet{byte(), byte(), byte(), {}};
        keySet.entries.resize(rng() % 80);
        for (auto& e : keySet.entries)
            e = {byte(), byte(), static_cast<char>(byte())};
        const Bytes bytes = writeKeySet(keySet);
        ASSERT_EQ(bytes.size(), 3 + 3 * keySet.entries.size());
        auto read = readKeySet(bytes);
        ASSERT_TRUE(read) << i;
        EXPECT_EQ(*read, keySet);

        for (std::size_t len = 0; len <= bytes.size(); ++len) {
            auto cut = readKeySet(std::span<const uint8_t>(bytes.data(), len));
            if (len < 3) {
                ASSERT_FALSE(cut) << len;
                EXPECT_EQ(cut.failure(), ReadFailure::Truncated);
                continue;
            }
            ASSERT_TRUE(cut) << len;
            const std::size_t whole = (len - 3) / 3;
            ASSERT_EQ(cut->entries.size(), whole) << len;
            EXPECT_TRUE(
                std::equal(cut->entries.begin(), cut->entries.end(), keySet.entries.begin()));
        }
    }
}

}  // namespace
}  // namespace muto
