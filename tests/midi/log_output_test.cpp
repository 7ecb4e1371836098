#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/midi/log_output.h"
#include "temp_dir.h"

namespace muto::midi {
namespace {

using test::readFile;
using test::TempDir;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// "SECONDS " with at least one digit before the point and exactly six after it.
bool startsWithTime(const std::string& line) {
    const size_t point = line.find('.');
    if (point == 0 || point == std::string::npos || line.size() < point + 8) return false;
    for (size_t i = 0; i < point + 7; ++i)
        if (i != point && !std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    return line[point + 7] == ' ';
}

TEST(LogOutput, WritesOneLinePerMessageWithTheBytesTheMessageHas) {
    TempDir dir;
    LogOutput log(dir.file("midi.log"));
    ASSERT_EQ(log.open(), 0);
    log.shortMsg(0x7F3C90);    // note on, 3 bytes
    log.shortMsg(0x28C0);      // program change, 2 bytes
    log.shortMsg(0x0040B1);    // controller with value 0: the zero byte is kept
    log.shortMsg(0x3C80);      // note off packed without its zero velocity: still 3 bytes
    log.shortMsg(0xFFFF28C1);  // stray high bits are not part of a short message
    log.close();

    const auto got = lines(readFile(dir.file("midi.log")));
    ASSERT_EQ(got.size(), 5u);
    const char* bytes[] = {"90 3C 7F", "C0 28", "B1 40 00", "80 3C 00", "C1 28"};
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_TRUE(startsWithTime(got[i])) << got[i];
        EXPECT_EQ(got[i].substr(got[i].find(' ') + 1), bytes[i]) << got[i];
    }
}

TEST(LogOutput, TimesCountFromOpenAndNeverGoBack) {
    TempDir dir;
    LogOutput log(dir.file("midi.log"));
    ASSERT_EQ(log.open(), 0);
    for (int i = 0; i < 50; ++i)
        log.shortMsg(0x7F3C90);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    log.shortMsg(0x003C80);
    log.close();

    const auto got = lines(readFile(dir.file("midi.log")));
    ASSERT_EQ(got.size(), 51u);
    double previous = 0;
    for (const auto& line : got) {
        const double t = std::stod(line);
        EXPECT_GE(t, previous) << line;
        previous = t;
    }
    EXPECT_LT(std::stod(got.front()), 0.02);  // from open(), not from some earlier moment
    EXPECT_GE(previous - std::stod(got[49]), 0.029);
}

TEST(LogOutput, EachLineIsReadableBeforeClose) {
    TempDir dir;
    LogOutput log(dir.file("midi.log"));
    ASSERT_EQ(log.open(), 0);
    log.shortMsg(0x7F4091);
    EXPECT_EQ(lines(readFile(dir.file("midi.log"))).size(), 1u);
    log.shortMsg(0x004081);
    const auto got = lines(readFile(dir.file("midi.log")));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_NE(got[1].find(" 81 40 00"), std::string::npos);
}

TEST(LogOutput, OpenTwiceKeepsTheFileAndCloseTwiceIsHarmless) {
    TempDir dir;
    LogOutput log(dir.file("midi.log"));
    ASSERT_EQ(log.open(), 0);
    log.shortMsg(0x28C0);
    EXPECT_EQ(log.open(), 0);
    log.shortMsg(0x29C0);
    log.close();
    log.close();
    log.shortMsg(0x2AC0);  // closed: dropped, no crash
    EXPECT_EQ(lines(readFile(dir.file("midi.log"))).size(), 2u);
}

TEST(LogOutput, AFullDiskIsReportedOnceAndTheOutputGoesOn) {
    LogOutput log("/dev/full");
    ASSERT_EQ(log.open(), 0);
    EXPECT_FALSE(log.takeFailure());  // nothing written yet
    log.shortMsg(0x7F3C90);
    const auto failure = log.takeFailure();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, "/dev/full");
    EXPECT_EQ(failure->reason, "디스크 공간이 부족합니다");
    // Handed out once; later losses of the same opening are not news.
    log.shortMsg(0x3C80);
    EXPECT_FALSE(log.takeFailure());
    log.close();
    // A new opening reports afresh.
    ASSERT_EQ(log.open(), 0);
    log.shortMsg(0x7F3C90);
    EXPECT_TRUE(log.takeFailure());
    log.close();

    TempDir dir;
    LogOutput fine(dir.file("midi.log"));
    ASSERT_EQ(fine.open(), 0);
    fine.shortMsg(0x7F3C90);
    fine.close();
    EXPECT_FALSE(fine.takeFailure());
}

TEST(LogOutput, UnwritablePathFailsWithTheFileCode) {
    TempDir dir;
    LogOutput missingFolder(dir.file("no/such/folder/midi.log"));
    EXPECT_EQ(missingFolder.open(), kFileNotWritable);
    EXPECT_NE(missingFolder.lastError().find("no/such/folder"), std::string::npos);
    missingFolder.shortMsg(0x7F3C90);  // not open: ignored
    missingFolder.close();

    LogOutput aFolder(dir.file(""));  // a directory, not a file
    EXPECT_EQ(aFolder.open(), kFileNotWritable);
    EXPECT_EQ(lastOpenError(aFolder), aFolder.lastError());

    if (::geteuid() != 0) {  // root writes anywhere
        LogOutput readOnly("/proc/version");
        EXPECT_EQ(readOnly.open(), kFileNotWritable);
    }
}

}  // namespace
}  // namespace muto::midi
