// The command line and the choice of the program folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/command_line.h"
#include "app/program_dir.h"

namespace muto::app {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, DefaultsAndValues) {
    Options o = parseCommandLine({});
    EXPECT_EQ(o.midiOut, "synth");
    EXPECT_TRUE(o.soundfont.empty());
    EXPECT_TRUE(o.error.empty());

    o = parseCommandLine(
        {"--midi-out", "log:/tmp/m.log", "--soundfont=/x.sf2", "--program-dir", "dir"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.midiOut, "log:/tmp/m.log");
    EXPECT_EQ(o.soundfont, "/x.sf2");
    EXPECT_EQ(o.programDir, "dir");

    EXPECT_TRUE(parseCommandLine({"--help"}).help);
    EXPECT_TRUE(parseCommandLine({"--version"}).version);
    EXPECT_EQ(versionText(), "muto 0.1.0");
}

TEST(CommandLine, WrongArgumentsAreErrors) {
    EXPECT_FALSE(parseCommandLine({"--bogus"}).error.empty());
    EXPECT_FALSE(parseCommandLine({"stray"}).error.empty());
    EXPECT_FALSE(parseCommandLine({"--midi-out"}).error.empty());
    EXPECT_FALSE(parseCommandLine({"--midi-out="}).error.empty());
    EXPECT_FALSE(parseCommandLine({"--help=yes"}).error.empty());
    EXPECT_NE(usage().find("--midi-out OUTPUT"), std::string::npos);
}

class ProgramDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        root =
            fs::temp_directory_path() /
            ("muto-progdir-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "exe");
        fs::create_directories(root / "share" / "muto");
        touch(root / "share" / "muto" / "CKeyboard.gif", "installed");
        touch(root / "share" / "muto" / "cmr.gif", "installed");
        fs::create_directories(root / "share" / "muto" / "AnimationGif");
        touch(root / "share" / "muto" / "AnimationGif" / "notes.gif", "installed");
    }
    void TearDown() override { fs::remove_all(root); }
    static void touch(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }
    static std::string read(const fs::path& p) {
        std::ifstream in(p);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    ProgramDirInputs inputs() {
        return {"",
                (root / "exe").string(),
                "",
                (root / "home").string(),
                {(root / "nowhere").string(), (root / "share" / "muto").string()}};
    }
    fs::path root;
};

TEST_F(ProgramDirTest, OptionWins) {
    ProgramDirInputs in = inputs();
    in.option = (root / "chosen/").string();
    EXPECT_EQ(resolveProgramDir(in, nullptr), (root / "chosen").string());
}

TEST_F(ProgramDirTest, ExecutableFolderWithPictures) {
    touch(root / "exe" / "CKeyboard.gif", "built");
    EXPECT_EQ(resolveProgramDir(inputs(), nullptr), (root / "exe").string());
}

TEST_F(ProgramDirTest, UserDataFolderIsCreatedAndFilled) {
    std::string error;
    const std::string dir = resolveProgramDir(inputs(), &error);
    EXPECT_EQ(dir, (root / "home" / ".local" / "share" / "muto").string()) << error;
    EXPECT_EQ(read(fs::path(dir) / "CKeyboard.gif"), "installed");
    EXPECT_EQ(read(fs::path(dir) / "cmr.gif"), "installed");
    EXPECT_EQ(read(fs::path(dir) / "AnimationGif" / "notes.gif"), "installed");

    // XDG_DATA_HOME moves it; the user's own files are never overwritten.
    ProgramDirInputs in = inputs();
    in.xdgDataHome = (root / "xdg").string();
    fs::create_directories(root / "xdg" / "muto");
    touch(root / "xdg" / "muto" / "CKeyboard.gif", "mine");
    EXPECT_EQ(resolveProgramDir(in, nullptr), (root / "xdg" / "muto").string());
    EXPECT_EQ(read(root / "xdg" / "muto" / "CKeyboard.gif"), "mine");
    EXPECT_EQ(read(root / "xdg" / "muto" / "cmr.gif"), "installed");
}

TEST_F(ProgramDirTest, NoHomeIsAnError) {
    ProgramDirInputs in = inputs();
    in.home.clear();
    std::string error;
    EXPECT_TRUE(resolveProgramDir(in, &error).empty());
    EXPECT_FALSE(error.empty());
}

// Installed subfolders (animations) reach the user's folder too; the user's own files in them
// stay, and a folder that cannot be created is an error, not an empty success.
TEST_F(ProgramDirTest, SubfoldersAreFilledAndUncreatableFolderIsAnError) {
    fs::create_directories(root / "share" / "muto" / "AnimationGif" / "deep");
    touch(root / "share" / "muto" / "AnimationGif" / "a.gif", "installed");
    touch(root / "share" / "muto" / "AnimationGif" / "deep" / "b.gif", "installed");
    fs::create_directories(root / "home" / ".local" / "share" / "muto" / "AnimationGif");
    touch(root / "home" / ".local" / "share" / "muto" / "AnimationGif" / "a.gif", "mine");
    const fs::path dir = resolveProgramDir(inputs(), nullptr);
    EXPECT_EQ(read(dir / "AnimationGif" / "a.gif"), "mine");
    EXPECT_EQ(read(dir / "AnimationGif" / "deep" / "b.gif"), "installed");

    ProgramDirInputs in = inputs();
    touch(root / "file", "not a folder");
    in.xdgDataHome = (root / "file").string();
    std::string error;
    EXPECT_TRUE(resolveProgramDir(in, &error).empty());
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

}  // namespace
}  // namespace muto::app
