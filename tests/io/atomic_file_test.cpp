#include "io/atomic_file.h"
#include "io/failure_reason.h"
#include "io/read_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace muto {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "muto-atomic-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    static Bytes contents(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    fs::path dir_;
};

TEST_F(AtomicFile, WritesAndReplaces) {
    const std::string target = path("song.vsp");
    const Bytes first = {1, 2, 3};
    const Bytes second(100000, 0x5A);
    EXPECT_TRUE(writeFileAtomically(target, first).ok());
    EXPECT_EQ(contents(target), first);
    EXPECT_TRUE(writeFileAtomically(target, second).ok());
    auto read = readWholeFile(target);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, second);
    EXPECT_TRUE(writeFileAtomically(target, Bytes{}).ok());
    EXPECT_TRUE(contents(target).empty());
    EXPECT_EQ(names(), std::vector<std::string>{"song.vsp"});
}

TEST_F(AtomicFile, MissingFolderGivesTheReason) {
    auto err = writeFileAtomically(path("gone/song.vsp"), Bytes{1});
    ASSERT_FALSE(err.ok());
    EXPECT_EQ(err.reason(), "No such file or directory");
    EXPECT_EQ(failureReason(err.error()), "파일이나 폴더가 없습니다");
    EXPECT_TRUE(names().empty());
}

// A write that fails half-way (here: the file-size limit) keeps the old file and cleans up.
TEST_F(AtomicFile, FailedWriteKeepsTheOldFile) {
    const std::string target = path("keys.vns");
    const Bytes old = {0, 2, 2};
    ASSERT_TRUE(writeFileAtomically(target, old).ok());

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    auto err = writeFileAtomically(target, Bytes(4096, 7));
    ::setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_FALSE(err.ok());
    EXPECT_EQ(err.reason(), "File too large");
    EXPECT_EQ(failureReason(err.error()), "파일이 너무 큽니다");
    EXPECT_EQ(contents(target), old);
    EXPECT_EQ(names(), std::vector<std::string>{"keys.vns"});
}

TEST_F(AtomicFile, FailedRenameLeavesNoTemporaryFile) {
    fs::create_directory(path("taken"));
    fs::create_directory(path("taken/inner"));
    auto err = writeFileAtomically(path("taken"), Bytes{1, 2});
    ASSERT_FALSE(err.ok());
    EXPECT_EQ(failureReason(err.error()), "같은 이름의 폴더가 있습니다");
    EXPECT_TRUE(fs::is_directory(path("taken/inner")));
    EXPECT_EQ(names(), std::vector<std::string>{"taken"});
}

TEST_F(AtomicFile, KeepsPermissionsAndLinks) {
    const std::string real = path("real.vsp");
    ASSERT_TRUE(writeFileAtomically(real, Bytes{1}).ok());
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, path("link.vsp"));

    ASSERT_TRUE(writeFileAtomically(path("link.vsp"), Bytes{9, 9}).ok());
    EXPECT_TRUE(fs::is_symlink(path("link.vsp")));
    EXPECT_EQ(contents(real), (Bytes{9, 9}));
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(names(), (std::vector<std::string>{"link.vsp", "real.vsp"}));
}

TEST_F(AtomicFile, ReadWholeFileRefusesWhatItCannotTake) {
    const std::string target = path("big.vsp");
    ASSERT_TRUE(writeFileAtomically(target, Bytes(1000, 1)).ok());
    EXPECT_TRUE(readWholeFile(target, 1000));
    EXPECT_EQ(readWholeFile(target, 999).failure(), ReadFailure::TooLarge);
    EXPECT_EQ(readWholeFile(path("none.vsp")).failure(), ReadFailure::Unreadable);
    EXPECT_EQ(readWholeFile(dir_.string()).failure(), ReadFailure::Unreadable);
    // Files whose size the system does not know are still held to the limit.
    EXPECT_EQ(readWholeFile("/proc/self/maps", 10).failure(), ReadFailure::TooLarge);
    EXPECT_TRUE(readWholeFile("/proc/self/maps"));
    auto empty = readWholeFile("/dev/null");
    EXPECT_EQ(empty.failure(), ReadFailure::Unreadable);  // not a regular file
}

// A name near the file system's 255-byte limit is saved: the temporary name does not grow
// with the target's.
TEST_F(AtomicFile, SavesNamesNearTheLengthLimit) {
    const std::string name = std::string(246, 'a') + ".vsp";
    ASSERT_TRUE(writeFileAtomically(path(name), Bytes{1, 2}).ok());
    EXPECT_EQ(names(), std::vector<std::string>{name});
}

// A save removes what an earlier save killed midway left behind, and nothing else: files of a
// process that still runs, and files that are merely named alike, stay.
TEST_F(AtomicFile, RemovesTemporariesOfDeadWritersOnly) {
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ASSERT_GT(dead, 0);
    ::waitpid(dead, nullptr, 0);
    const std::string gone = ".muto-" + std::to_string(dead) + "-0.tmp";
    const std::string alive = ".muto-" + std::to_string(::getppid()) + "-3.tmp";
    const std::vector<std::string> kept = {alive, ".muto-x-0.tmp", ".muto--0.tmp", ".muto-12-.tmp",
                                           "song.vsp.tmp123-0"};
    for (const auto& n : kept)
        std::ofstream(path(n)) << "x";
    std::ofstream(path(gone)) << "x";
    ASSERT_TRUE(writeFileAtomically(path("song.vsp"), Bytes{7}).ok());
    std::vector<std::string> expected = kept;
    expected.push_back("song.vsp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names(), expected);
}

}  // namespace
}  // namespace muto
