// config.ini through the window: written after the question, read at start-up through the
// controls, stopping at the first field that cannot be read or that a control refuses.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "form/configuration.h"
#include "form/visual_options.h"
#include "performance/recorder.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

const std::string kDefaults =
    "1,0,\"\"\r\n1,2,0,70\r\n0,\"\"\r\n\"\",0,-2147483627,65280\r\n0,0\r\n\"\",\"\"\r\n";

class ConfigTest : public FormTest {
protected:
    ConfigTest() {
        std::string pattern = (std::filesystem::temp_directory_path() / "muto-cfg-XXXXXX").string();
        if (::mkdtemp(pattern.data())) dir = pattern;
    }
    ~ConfigTest() override { std::filesystem::remove_all(dir); }

    // A started window on the temporary program folder, messages cleared.
    Form1& start() {
        form = std::make_unique<Form1>(fakes.services(dir));
        EXPECT_TRUE(form->load());
        form->show();
        return *form;
    }
    std::string config() const {
        std::ifstream in(dir + "/config.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void writeConfig(const std::string& text) const {
        std::ofstream(dir + "/config.ini", std::ios::binary) << text;
    }
    void save(MsgResult answer = MsgResult::Yes) {
        dialogs.answers.push_back(answer);
        form->cmd_SaveConfig.click();
    }
    std::string dir;
};

TEST_F(ConfigTest, TheDesignDefaultsAreWrittenByteForByteAfterTheQuestion) {
    start();
    save(MsgResult::No);
    EXPECT_FALSE(std::filesystem::exists(dir + "/config.ini"));
    save();
    EXPECT_EQ(dialogs.boxes.back().text,
              "프로그램 시작시 적용하기 위해 설정값을 저장하시겠습니까?");
    EXPECT_EQ(dialogs.boxes.back().title, "프로그램 설정 저장");
    EXPECT_EQ(config(), kDefaults);
    // A No leaves the saved file as it is.
    form->chk_caption.setValue(0);
    save(MsgResult::No);
    EXPECT_EQ(config(), kDefaults);
}

TEST_F(ConfigTest, SavedOptionsComeBackAtTheNextStart) {
    Form1& f = start();
    f.chk_CaptionKor.setValue(1);
    f.form.setTag(dir + "/배경/하늘.jpg");
    f.chk_KeyOutline.setValue(0);
    f.cmb_RecMax.setListIndex(4);
    f.vbar_Effect(0).setValue(90);
    f.cmd_AniGif.setTag("/gifs/불꽃.gif");
    f.lbl_Color(0).setBackColor(rgb(1, 2, 3));
    f.lbl_Color(2).setBackColor(rgb(0, 0, 200));
    f.vbar_Effect(1).setValue(40);
    f.vbar_Effect(2).setValue(20);
    f.pic_CircleTouch.setTag("/p/piano.bmp");
    f.img_ControlPanel.setTag("/p/panel.gif");
    save();
    const std::string saved = config();

    midi.sent.clear();
    Form1& g = start();
    EXPECT_EQ(g.chk_CaptionKor.value(), 1);
    EXPECT_EQ(g.form.tag(), dir + "/배경/하늘.jpg");
    EXPECT_EQ(g.chk_KeyOutline.value(), 0);
    EXPECT_FALSE(g.shp_key(65).bordered());  // the handler ran
    EXPECT_EQ(g.recorder().capacity(), 20000);
    EXPECT_EQ(g.vbar_Effect(0).value(), 90);
    EXPECT_EQ(g.cmd_AniGif.tag(), "/gifs/불꽃.gif");
    EXPECT_EQ(g.shp_key(65).borderColor(), rgb(1, 2, 3));  // applyColour ran
    EXPECT_EQ(g.visualOptions().pressColor, rgb(0, 0, 200));
    EXPECT_EQ(g.vbar_Effect(1).value(), 40);
    EXPECT_EQ(g.pic_CircleTouch.tag(), "/p/piano.bmp");
    EXPECT_EQ(g.img_ControlPanel.tag(), "/p/panel.gif");
    // The effect bars' controllers go out once, for the values that differ from the design.
    const auto sent = midi.hex();
    for (const char* m : {"B0 48 5A", "B1 48 5A", "B0 5B 28", "B1 5B 28", "B0 5D 14", "B1 5D 14"})
        EXPECT_EQ(std::count(sent.begin(), sent.end(), m), 1) << m;
    // Saved again unchanged, the file is the same.
    save();
    EXPECT_EQ(config(), saved);
}

TEST_F(ConfigTest, ReadingStopsAtTheFirstFieldThatCannotBeApplied) {
    struct Case {
        const char* what;
        std::string file;
        int keyOutline, recMax, sustain, reverb;
    };
    const Case cases[] = {
        {"no file", "", 1, 2, 70, 0},
        {"cut after record 2", "0,1,\"\"\r\n0,3,0,80\r\n", 0, 3, 80, 0},
        {"list index 7: record 2 up to its first field",
         "1,0,\"\"\r\n0,7,0,80\r\n0,\"\"\r\n\"\",0,0,65280\r\n9,0\r\n", 0, 2, 70, 0},
        {"not a number: record 2 not at all", "1,0,\"\"\r\n0,x,0,80\r\n", 1, 2, 70, 0},
        {"the design file with an empty ring colour", kDefaults, 1, 2, 70, 0},
        {"a later record",
         "1,0,\"\"\r\n1,2,0,70\r\n0,\"\"\r\n\"\",0,0,65280\r\n9,300\r\n\"a\",\"b\"\r\n", 1, 2, 70,
         9},
    };
    for (const Case& c : cases) {
        if (!c.file.empty()) writeConfig(c.file);
        Form1& f = start();
        EXPECT_EQ(f.chk_KeyOutline.value(), c.keyOutline) << c.what;
        EXPECT_EQ(f.cmb_RecMax.listIndex(), c.recMax) << c.what;
        EXPECT_EQ(f.vbar_Effect(0).value(), c.sustain) << c.what;
        EXPECT_EQ(f.vbar_Effect(1).value(), c.reverb) << c.what;
        EXPECT_EQ(f.pic_CircleTouch.tag(), "") << c.what;
        EXPECT_EQ(f.vbar_Effect(2).value(), 0) << c.what;  // 300 is out of range
        std::filesystem::remove(dir + "/config.ini");
    }
}

TEST_F(ConfigTest, ValuesNoControlHasStopTheReadingAndPicturesThatCannotShowFallBack) {
    struct Case {
        const char* what;
        const char* record4;
        Colour caption;       // lbl_Color(1) afterwards
        int reverb;           // record 5 reached: 9
        bool paletteOpen;     // the palette pic_Palette shows
        const char* ringTag;  // lbl_CircleColor(9)'s Tag
    };
    const Colour kDesign = systemColour(21);
    const Case cases[] = {
        {"ring colour 8, the rainbow", "\"8\",0,255,65280", rgb(255, 0, 0), 9, false, "8"},
        {"ring index 9 is the indicator", "\"9\",0,255,65280", kDesign, 0, false, ""},
        {"ring index 10", "\"10\",0,255,65280", kDesign, 0, false, ""},
        {"the last system colour", "\"\",0,-2147483618,65280", systemColour(30), 9, false, ""},
        {"a system colour past the table", "\"\",0,-2147483600,65280", kDesign, 0, false, ""},
        {"past RGB", "\"\",0,16777216,65280", kDesign, 0, false, ""},
    };
    for (const Case& c : cases) {
        // Record 6 names files that exist but are no pictures: the default pictures show.
        writeConfig(std::string("1,0,\"\"\r\n1,2,0,70\r\n0,\"\"\r\n") + c.record4 +
                    "\r\n9,0\r\n\"/p/notes.txt\",\"/p/empty.gif\"\r\n");
        pictures.invalid = {"/p/notes.txt", "/p/empty.gif"};
        Form1& f = start();
        EXPECT_EQ(f.lbl_Color(1).backColor(), c.caption) << c.what;
        EXPECT_EQ(f.Label1(5).foreColor(), c.caption) << c.what;
        EXPECT_EQ(f.vbar_Effect(1).value(), c.reverb) << c.what;
        EXPECT_EQ(f.pic_Palette.visible(), c.paletteOpen) << c.what;
        EXPECT_EQ(f.lbl_CircleColor(9).tag(), c.ringTag) << c.what;
        EXPECT_EQ(f.pic_CircleTouch.picture(), dir + "/PKeyboard.gif") << c.what;
        EXPECT_EQ(f.img_ControlPanel.picture(), dir + "/ControlPanel.gif") << c.what;
    }
}

TEST_F(ConfigTest, AFailedWriteSaysSoAndKeepsTheOldFile) {
    start();
    writeConfig("old");
    std::filesystem::permissions(
        dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    form->chk_caption.setValue(0);
    save();
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    if (::geteuid() != 0) {  // root writes anyway
        EXPECT_EQ(dialogs.boxes.back().title, "저장 실패");
        EXPECT_EQ(config(), "old");
    }
    // A folder that is gone fails for everyone.
    form = std::make_unique<Form1>(fakes.services(dir + "/gone"));
    ASSERT_TRUE(form->load());
    save();
    EXPECT_EQ(dialogs.boxes.back().title, "저장 실패");
    EXPECT_NE(dialogs.boxes.back().text.find(dir + "/gone/config.ini"), std::string::npos);
    EXPECT_NE(dialogs.boxes.back().text.find("(파일이나 폴더가 없습니다)"), std::string::npos);
    // A picture path that the Korean code page cannot hold is named, in Korean.
    form->form.setTag("/p/Việt.jpg");
    save();
    EXPECT_NE(dialogs.boxes.back().text.find(
                  "(\"/p/Việt.jpg\"에 CP949로 나타낼 수 없는 글자가 있습니다)"),
              std::string::npos);
}

}  // namespace
}  // namespace muto::test
