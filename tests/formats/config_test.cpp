#include "formats/config_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "formats/config_fields.h"

namespace muto::settings {
namespace {

const std::string kDefaultFile =
    "1,0,\"\"\r\n1,2,0,70\r\n0,\"\"\r\n\"\",0,-2147483627,65280\r\n0,0\r\n\"\",\"\"\r\n";

std::string loadData(const std::string& name) {
    std::ifstream in(std::string(MUTO_CONFIG_TEST_DATA) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string text(const ConfigWrite& w) {
    return std::string(w.bytes.begin(), w.bytes.end());
}

ConfigValues koreanValues() {
    ConfigValues v = designDefaultConfig();
    v[2] = std::string("/home/무토/배경/밤하늘.jpg");
    v[8] = std::string("/tmp/AnimationGif/고양이, 춤.gif");
    v[9] = 3;
    v[10] = 255;
    v[11] = -2147483640;
    v[12] = 16777215;
    v[15] = std::string(" 앞뒤 공백 ");
    v[16] = std::string("C:\\제어판 그림\\판.bmp");
    return v;
}

TEST(ConfigFields, RecordShapeAndApplyOrder) {
    const std::size_t counts[] = {3, 4, 2, 4, 2, 2};
    for (int r = 1; r <= 6; ++r)
        EXPECT_EQ(fieldCountOfRecord(r), counts[r - 1]) << r;
    // The GIF path is in place before the check box's handler runs.
    const RecordApplyOrder gif = applyOrderOfRecord(3);
    ASSERT_EQ(gif.count, 2u);
    EXPECT_EQ(kConfigFields[gif.fields[0]].control, "cmd_AniGif");
    EXPECT_EQ(kConfigFields[gif.fields[1]].control, "chk_AniGif");
    const RecordApplyOrder colours = applyOrderOfRecord(4);
    EXPECT_EQ(colours.fields[3], 12u);  // lbl_Color(2) last: the swatches are then applied
    EXPECT_EQ(describeField(4), "record 2 field 2 (cmb_RecMax)");
}

TEST(ConfigFile, DesignDefaultsGolden) {
    const ConfigWrite w = writeConfig(designDefaultConfig());
    ASSERT_TRUE(w.ok());
    EXPECT_EQ(text(w), kDefaultFile);
    EXPECT_EQ(loadData("design-defaults.ini"), kDefaultFile);
    const ConfigRead r = readConfig(kDefaultFile);
    ASSERT_TRUE(r.complete()) << errorName(r.failure->error);
    EXPECT_EQ(r.wholeRecords(), 6u);
    EXPECT_TRUE(std::equal(r.fields.begin(), r.fields.end(), designDefaultConfig().begin()));
    EXPECT_EQ(r.fields[9], ConfigValue(kNoRingColour));  // empty ring colour is a valid field
}

TEST(ConfigFile, KoreanPathsGolden) {
    const ConfigWrite w = writeConfig(koreanValues());
    ASSERT_TRUE(w.ok());
    EXPECT_EQ(text(w), loadData("korean-paths.ini"));
    const ConfigRead r = readConfig(w.bytes);
    ASSERT_TRUE(r.complete());
    EXPECT_TRUE(std::equal(r.fields.begin(), r.fields.end(), koreanValues().begin()));
}

// Random values of every field's type, texts built from pieces that stress the format (Korean,
// commas, blanks at either end, backslashes, empty): write, read back, same values.
TEST(ConfigFile, RandomValuesRoundTrip) {
    std::mt19937 rng(20240611);
    const std::vector<std::string> pieces = {"",  "배경", "/",     "\\",   ",",
                                             " ", "\t",   "a.gif", "무토", "똠방각하",
                                             "0", "-",    "'",     "#",    "漢字"};
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 400; ++round) {
        ConfigValues v;
        for (std::size_t i = 0; i < kConfigFieldCount; ++i) {
            switch (kConfigFields[i].type) {
                case FieldType::Text: {
                    std::string s;
                    for (int n = pick(0, 6); n > 0; --n)
                        s += pieces[pick(0, 14)];
                    v[i] = s;
                    break;
                }
                case FieldType::Colour:
                    v[i] = static_cast<int32_t>(rng());
                    break;
                case FieldType::RingColourIndex:
                    v[i] = pick(0, 3) == 0 ? kNoRingColour : pick(-32768, 32767);
                    break;
                default:
                    v[i] = pick(-32768, 32767);
            }
        }
        const ConfigWrite w = writeConfig(v);
        ASSERT_TRUE(w.ok()) << describeField(w.failure->field) << ": "
                            << errorName(w.failure->error);
        const ConfigRead r = readConfig(w.bytes);
        ASSERT_TRUE(r.complete()) << describeField(r.failure->field) << " "
                                  << errorName(r.failure->error) << "\n"
                                  << text(w);
        for (std::size_t i = 0; i < kConfigFieldCount; ++i)
            ASSERT_EQ(r.fields[i], v[i]) << describeField(i) << "\n" << text(w);
    }
}

TEST(ConfigFile, WriterRefusesWhatWouldNotReadBack) {
    struct Case {
        std::size_t field;
        ConfigValue value;
        ConfigWriteError error;
    };
    const Case cases[] = {
        {2, std::string("a\"b.gif"), ConfigWriteError::ForbiddenCharacter},
        {8, std::string("a\r\nb"), ConfigWriteError::ForbiddenCharacter},
        {16, std::string("x\n"), ConfigWriteError::ForbiddenCharacter},
        {15, std::string("그림\xF0\x9F\x98\x80.png"), ConfigWriteError::NotCp949},
        {15, std::string("\xFF"), ConfigWriteError::NotCp949},
        {6, 32768, ConfigWriteError::OutOfRange},
        {0, -32769, ConfigWriteError::OutOfRange},
        {9, 40000, ConfigWriteError::OutOfRange},
        {0, std::string("1"), ConfigWriteError::WrongKind},
        {2, 0, ConfigWriteError::WrongKind},
        {2,
         std::string(kMaxConfigTextBytes / 2 + 1, '\x01') + "가나다라" +
             std::string(kMaxConfigTextBytes / 2, 'x'),
         ConfigWriteError::TooLong},
    };
    for (const Case& c : cases) {
        ConfigValues v = designDefaultConfig();
        v[c.field] = c.value;
        const ConfigWrite w = writeConfig(v);
        ASSERT_FALSE(w.ok()) << describeField(c.field);
        EXPECT_EQ(*w.failure, (ConfigWriteFailure{c.field, c.error})) << describeField(c.field);
        EXPECT_TRUE(w.bytes.empty());
    }
    // The limits themselves are fine.
    ConfigValues v = designDefaultConfig();
    v[0] = -32768;
    v[6] = 32767;
    v[10] = std::numeric_limits<int32_t>::min();
    v[2] = std::string(kMaxConfigTextBytes, 'p');
    EXPECT_TRUE(writeConfig(v).ok());
}

TEST(ConfigFile, CutAfterRecordTwoGivesRecordsOneAndTwo) {
    const ConfigRead r = readConfig(loadData("cut-after-record-2.ini"));
    EXPECT_EQ(r.fields.size(), 7u);
    EXPECT_EQ(r.wholeRecords(), 2u);
    EXPECT_EQ(r.failure, (ConfigReadFailure{7, ConfigReadError::Missing}));
    EXPECT_TRUE(std::equal(r.fields.begin(), r.fields.end(), designDefaultConfig().begin()));
}

// Range checks belong to the controls: an index of 7 is read. A non-number is a read failure at
// that field, and its record is not whole.
TEST(ConfigFile, RecordingLengthSevenIsReadButNotANumberStops) {
    const ConfigRead seven = readConfig(loadData("rec-max-7.ini"));
    ASSERT_TRUE(seven.complete());
    EXPECT_EQ(seven.fields[4], ConfigValue(7));

    const ConfigRead word = readConfig(loadData("rec-max-word.ini"));
    EXPECT_EQ(word.failure, (ConfigReadFailure{4, ConfigReadError::NotANumber}));
    EXPECT_EQ(word.fields.size(), 4u);
    EXPECT_EQ(word.wholeRecords(), 1u);
}

// Every cut of a golden file reads without harm to a prefix of its fields; a read field is never
// a shortened value (a number cut by the end of the file is not taken).
TEST(ConfigFile, EveryTruncationGivesAPrefix) {
    for (const ConfigValues& values : {designDefaultConfig(), koreanValues()}) {
        const ConfigWrite w = writeConfig(values);
        ASSERT_TRUE(w.ok());
        std::size_t lastCount = 0;
        for (std::size_t n = 0; n <= w.bytes.size(); ++n) {
            const ConfigRead r = readConfig(std::span(w.bytes.data(), n));
            ASSERT_LE(r.fields.size(), kConfigFieldCount);
            for (std::size_t i = 0; i < r.fields.size(); ++i)
                ASSERT_EQ(r.fields[i], values[i]) << "cut at " << n << ", " << describeField(i);
            ASSERT_GE(r.fields.size(), lastCount) << n;
            lastCount = r.fields.size();
            if (r.complete()) {
                // Only the final quote's line end may be missing.
                EXPECT_GE(n, w.bytes.size() - 2);
            } else {
                EXPECT_EQ(r.failure->field, r.fields.size());
                EXPECT_EQ(readFailureOf(r.failure->error), ReadFailure::Truncated) << n;
            }
        }
    }
}

// What a hand-edited file may hold: each row replaces one line of the design-default file.
TEST(ConfigFile, LenientAndStrictReading) {
    struct Row {
        const char* what;
        int line;  // 0-based line of the default file to replace, -1 for the whole file
        std::string replacement;
        std::size_t field;  // a field to check, or the failing field
        ConfigValue value;  // its value when the read is complete
        std::optional<ConfigReadError> error;
    };
    const std::string big(kMaxConfigTextBytes + 1, 'z');
    const Row rows[] = {
        {"blanks around numbers", 1, " 1 ,\t2 , 0,70 ", 4, 2, {}},
        {"numbers in quotes", 1, "\"1\",\" 3 \",\"0\",\"70\"", 4, 3, {}},
        {"plus sign and zeros", 1, "1,+0002,0,070", 6, 70, {}},
        {"negative reaches the caller", 0, "-1,0,\"\"", 0, -1, {}},
        {"unquoted path",
         0,
         "1,0,  /tmp/\xB9\xE8\xB0\xE6.jpg  ",
         2,
         std::string("/tmp/배경.jpg"),
         {}},
        {"blanks around quoted text", 0, "1,0, \" a \" ", 2, std::string(" a "), {}},
        {"ring colour unquoted", 3, "8,0,-2147483627,65280", 9, 8, {}},
        {"ring colour quoted blanks", 3, "\" 2 \",0,-2147483627,65280", 9, 2, {}},
        {"ring colour empty", 3, " \"  \" ,0,-2147483627,65280", 9, kNoRingColour, {}},
        {"lowest colour", 3, "\"\",-2147483648,0,0", 10, std::numeric_limits<int32_t>::min(), {}},
        {"lowest 16-bit", 4, "-32768,32767", 13, -32768, {}},
        {"empty number", 0, "1,,\"\"", 1, 0, ConfigReadError::NotANumber},
        {"fraction", 1, "1,2.5,0,70", 4, 0, ConfigReadError::NotANumber},
        {"hex", 1, "1,0x2,0,70", 4, 0, ConfigReadError::NotANumber},
        {"two numbers", 1, "1,2 3,0,70", 4, 0, ConfigReadError::NotANumber},
        {"sign alone", 4, "-,0", 13, 0, ConfigReadError::NotANumber},
        {"ring colour word", 3, "\"red\",0,0,0", 9, 0, ConfigReadError::NotANumber},
        {"16-bit overflow", 1, "1,32768,0,70", 4, 0, ConfigReadError::OutOfRange},
        {"16-bit underflow", 4, "0,-32769", 14, 0, ConfigReadError::OutOfRange},
        {"ring colour overflow", 3, "\"40000\",0,0,0", 9, 0, ConfigReadError::OutOfRange},
        {"32-bit overflow", 3, "\"\",2147483648,0,0", 10, 0, ConfigReadError::OutOfRange},
        {"huge number", 3, "\"\",99999999999999999999999,0,0", 10, 0, ConfigReadError::OutOfRange},
        {"text after quote", 0, "1,0,\"a\"b", 2, 0, ConfigReadError::JunkAfterQuote},
        {"not CP949", 5, "\"\\xB9\",\"\xB9\"", 16, 0, ConfigReadError::BadText},
        {"blank line is an empty field", 1, "\r\n1,2,0,70", 3, 0, ConfigReadError::NotANumber},
        {"quote never closed", 5, "\"\",\"/a", 16, 0, ConfigReadError::Truncated},
        {"long quoted text", 0, "1,0,\"" + big + "\"", 2, 0, ConfigReadError::TooLong},
        {"long bare text", 0, "1,0," + big, 2, 0, ConfigReadError::TooLong},
        {"LF line ends",
         -1,
         "1,0,\"\"\n1,2,0,70\n0,\"\"\n\"\",0,-2147483627,65280\n0,0\n\"\",\"x\"",
         16,
         std::string("x"),
         {}},
        {"CR line ends", -1, "1,0,\"\"\r1,2,0,70\r0,\"\"\r\"\",0,0,1\r0,0\r\"\",\"\"\r", 12, 1, {}},
        {"all on one line",
         -1,
         "1,0,\"\",1,2,0,70,0,\"\",\"\",0,0,0,0,0,\"\",y",
         16,
         std::string("y"),
         {}},
        {"huge file, no separator", -1, std::string(std::size_t{4} << 20, '\x80'), 0, 0,
         ConfigReadError::TooLong},
        {"nothing", -1, "", 0, 0, ConfigReadError::Missing},
        {"blanks only", -1, " \t ", 0, 0, ConfigReadError::Missing},
    };
    for (const Row& row : rows) {
        std::string file = row.replacement;
        if (row.line >= 0) {
            std::vector<std::string> lines;
            for (std::size_t at = 0; at < kDefaultFile.size();) {
                const std::size_t end = kDefaultFile.find("\r\n", at);
                lines.push_back(kDefaultFile.substr(at, end - at));
                at = end + 2;
            }
            lines[static_cast<std::size_t>(row.line)] = row.replacement;
            file.clear();
            for (const std::string& l : lines)
                file += l + "\r\n";
        }
        const ConfigRead r = readConfig(file);
        if (row.error) {
            EXPECT_EQ(r.failure, (ConfigReadFailure{row.field, *row.error})) << row.what;
            EXPECT_EQ(r.fields.size(), row.field) << row.what;
        } else {
            ASSERT_TRUE(r.complete()) << row.what << ": " << describeField(r.failure->field) << " "
                                      << errorName(r.failure->error);
            EXPECT_EQ(r.fields[row.field], row.value) << row.what;
        }
    }
}

// The corpus files read as their README says.
TEST(ConfigFile, CorpusFiles) {
    struct Expect {
        const char* file;
        std::size_t fields;
        std::size_t wholeRecords;
    };
    const Expect expects[] = {
        {"design-defaults.ini", 17, 6},
        {"korean-paths.ini", 17, 6},
        {"cut-after-record-2.ini", 7, 2},
        {"rec-max-7.ini", 17, 6},
        {"rec-max-word.ini", 4, 1},
        {"hand-edited.ini", 17, 6},
        {"no-final-line-end.ini", 17, 6},
        {"unclosed-quote.ini", 16, 5},
        {"garbage.ini", 0, 0},
    };
    for (const Expect& e : expects) {
        const ConfigRead r = readConfig(loadData(e.file));
        EXPECT_EQ(r.fields.size(), e.fields) << e.file;
        EXPECT_EQ(r.wholeRecords(), e.wholeRecords) << e.file;
    }
}

}  // namespace
}  // namespace muto::settings
