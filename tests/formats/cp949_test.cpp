#include "formats/cp949.h"

#include <gtest/gtest.h>

#include <string>

namespace muto::settings {
namespace {

std::string utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

TEST(Cp949, KnownHangulBothWays) {
    EXPECT_EQ(utf8ToCp949("배경"), std::string("\xB9\xE8\xB0\xE6"));
    EXPECT_EQ(cp949ToUtf8("\xB9\xE8\xB0\xE6"), std::string("배경"));
    // A syllable outside the 2350 of KS X 1001 lies in the unified-code extension.
    EXPECT_EQ(utf8ToCp949("똠"), std::string("\x8C\x63"));
    EXPECT_EQ(utf8ToCp949("/home/무토/배경 1.gif"),
              std::string("/home/\xB9\xAB\xC5\xE4/\xB9\xE8\xB0\xE6 1.gif"));
}

TEST(Cp949, AsciiUnchangedAndEmptyIsEmpty) {
    std::string ascii;
    for (int c = 0; c < 0x80; ++c)
        ascii += static_cast<char>(c);
    EXPECT_EQ(utf8ToCp949(ascii), ascii);
    EXPECT_EQ(cp949ToUtf8(ascii), ascii);
    EXPECT_EQ(utf8ToCp949(""), std::string());
    EXPECT_EQ(cp949ToUtf8(""), std::string());
}

TEST(Cp949, RefusesWhatCannotBeConverted) {
    for (const char* bad : {
             "\xFF",              // not UTF-8
             "a\xEB\xB0",         // cut inside a character
             "\xC0\xAF",          // overlong '/'
             "\xED\xA0\x80",      // surrogate
             "\xF0\x9F\x98\x80",  // emoji: no CP949 code
             "\xE0\xB8\x81",      // Thai letter: no CP949 code
         })
        EXPECT_FALSE(utf8ToCp949(bad)) << bad;
    for (const char* bad : {
             "\xB9",        // lead byte at the end
             "ab\xB9\x20",  // lead byte followed by a blank
             "\xB9\x2C",    // ... by a comma
             "\x80",        // not a lead byte
             "\xFF\xFF",
         })
        EXPECT_FALSE(cp949ToUtf8(bad)) << bad;
}

// Every Hangul syllable has a two-byte code and comes back unchanged, alone and all together.
TEST(Cp949, EveryHangulSyllableRoundTrips) {
    std::string all;
    for (char32_t c = 0xAC00; c <= 0xD7A3; ++c) {
        const std::string u = utf8Of(c);
        const auto enc = utf8ToCp949(u);
        ASSERT_TRUE(enc) << static_cast<unsigned>(c);
        ASSERT_EQ(enc->size(), 2u) << static_cast<unsigned>(c);
        EXPECT_GE(static_cast<uint8_t>((*enc)[0]), 0x81);
        ASSERT_EQ(cp949ToUtf8(*enc), u) << static_cast<unsigned>(c);
        all += u;
        all += ' ';
    }
    const auto enc = utf8ToCp949(all);
    ASSERT_TRUE(enc);
    EXPECT_EQ(cp949ToUtf8(*enc), all);
}

// Every two-byte sequence that decodes encodes back to itself, and no decoded character is a
// separator the config file relies on.
TEST(Cp949, EveryDecodableCodeRoundTrips) {
    int decoded = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x00; trail <= 0xFF; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const auto u = cp949ToUtf8(bytes);
            if (!u) continue;
            ++decoded;
            EXPECT_GE(trail, 0x41) << lead << ' ' << trail;
            EXPECT_EQ(utf8ToCp949(*u), bytes) << lead << ' ' << trail;
        }
    }
    EXPECT_GT(decoded, 17000);  // 8822 unified-code characters beyond KS X 1001's 8000 or so
}

}  // namespace
}  // namespace muto::settings
