#include "form/visual_options.h"

#include <tuple>

#include "form/circle_touch.h"
#include "form/help_text.h"
#include "form/help_window.h"
#include "performance/player.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

constexpr int kA = 65;  // a channel-1 note key (plays 53 in the start state)

TEST_F(FormTest, ColourSwatchCancelledChangesNothingChosenRecolours) {
    Form1& f = started();
    const Colour swatch = f.lbl_Color(0).backColor(), border = f.shp_key(kA).borderColor();
    dialogs.chosenColour.reset();
    f.lbl_Color(0).onClick();
    EXPECT_EQ(f.lbl_Color(0).backColor(), swatch);
    EXPECT_EQ(f.shp_key(kA).borderColor(), border);

    const Colour red = rgb(255, 0, 0), blue = rgb(0, 0, 255), gold = rgb(200, 160, 0);
    dialogs.chosenColour = red;
    f.lbl_Color(0).onClick();
    EXPECT_EQ(f.lbl_Color(0).backColor(), red);
    f.shp_key.forEach([&](Shape& s) { EXPECT_EQ(s.borderColor(), red) << s.index(); });
    f.shp_img.forEach([&](Shape& s) { EXPECT_EQ(s.borderColor(), red) << s.index(); });

    dialogs.chosenColour = blue;
    f.lbl_Color(1).onClick();
    EXPECT_EQ(f.lbl_KeyCaption(kA).foreColor(), blue);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(f.Label1(i).foreColor(), blue) << i;

    // A new pressed-key colour shows on the piano at once and on every later key press.
    dialogs.chosenColour = gold;
    f.lbl_Color(2).onClick();
    EXPECT_EQ(f.visualOptions().pressColor, gold);
    f.shp_piano.forEach([&](Shape& s) { EXPECT_EQ(s.backColor(), gold) << s.index(); });
    EXPECT_EQ(f.shp_img(12).backColor(), gold);
    down(kA);
    EXPECT_TRUE(f.shp_key(kA).lit());
    EXPECT_EQ(f.shp_key(kA).backColor(), gold);
    up(kA);
}

TEST_F(FormTest, PressColourRelightsTheDegreeKeysThatCarryAnAccidental) {
    Form1& f = started();
    tap(vk::kF1 + 2);  // an accidental on degree 2
    ASSERT_NE(f.instrument().degreeAlter[2], 0);
    f.shp_key(vk::kF1 + 2).setLit(false);
    dialogs.chosenColour = rgb(1, 2, 3);
    f.lbl_Color(2).onClick();
    EXPECT_TRUE(f.shp_key(vk::kF1 + 2).lit());
    EXPECT_EQ(f.shp_key(vk::kF1 + 2).backColor(), rgb(1, 2, 3));
    EXPECT_FALSE(f.shp_key(vk::kF1 + 3).lit());
}

TEST_F(FormTest, FlashOptionShowsTheBarAndEndsCircleTouch) {
    Form1& f = started();
    EXPECT_FALSE(f.shp_BScr.visible());
    f.chk_CircleTouch.setValue(1);
    f.lbl_chk(9).onClick();  // "번쩍임"
    EXPECT_EQ(f.chk_BScr.value(), 1);
    EXPECT_TRUE(f.shp_BScr.visible());
    EXPECT_EQ(f.chk_CircleTouch.value(), 0);
    EXPECT_EQ(f.focused(), &f.Picture1);
    // The bar goes dark while a key is down and lights when it comes up.
    down(kA);
    EXPECT_FALSE(f.shp_BScr.lit());
    up(kA);
    EXPECT_TRUE(f.shp_BScr.lit());
    f.chk_BScr.setValue(0);
    EXPECT_FALSE(f.shp_BScr.visible());
    EXPECT_EQ(f.chk_CircleTouch.value(), 0);
    EXPECT_EQ(f.focused(), &f.Picture1);
}

TEST_F(FormTest, EveryOptionCaptionTogglesItsBoxEvenWhenTheBoxIsDisabled) {
    Form1& f = started();
    const char* captions[11] = {"채널1/2 연동", "키테두리",      "키자막", "한글자막",
                                "애니메이션",   "동심원 키터치", "F8",     "F9",
                                "키설정(b/#)",  "번쩍임",        "연습"};
    CheckBox* boxes[11] = {&f.chk_ESync,      &f.chk_KeyOutline, &f.chk_caption,
                           &f.chk_CaptionKor, &f.chk_AniGif,     &f.chk_CircleTouch,
                           &f.chk_damper(0),  &f.chk_damper(1),  &f.chk_KeysetMode,
                           &f.chk_BScr,       &f.chk_Practice};
    // The animation box stays checked only with a picture to show.
    f.cmd_AniGif.setTag(std::string(MUTO_GIF_TEST_DATA) + "/disposal-fold.gif");
    for (int i = 0; i < 11; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f.lbl_chk(i).caption(), captions[i]);
        EXPECT_EQ(f.visualOptions().optionBox(i), boxes[i]);
        boxes[i]->setEnabled(false);
        const int before = boxes[i]->value();
        f.lbl_chk(i).onClick();
        EXPECT_EQ(boxes[i]->value(), before == 1 ? 0 : 1);
        f.lbl_chk(i).onClick();
        EXPECT_EQ(boxes[i]->value(), before == 1 ? 1 : 0);
        boxes[i]->setEnabled(true);
    }
    EXPECT_EQ(f.visualOptions().optionBox(-1), nullptr);
    EXPECT_EQ(f.visualOptions().optionBox(11), nullptr);
    f.visualOptions().lbl_chk_Click(11);  // nothing to toggle, nothing breaks

    // "F8" runs the damper handler as the box itself would; a disabled caption takes no click.
    midi.sent.clear();
    f.lbl_chk(6).onClick();
    EXPECT_EQ(midi.take(), (std::vector<std::string>{"B0 40 7F"}));
    f.lbl_chk(6).setEnabled(false);
    f.visualOptions().lbl_chk_Click(6);
    EXPECT_EQ(f.chk_damper(0).value(), 1);
}

TEST_F(FormTest, HeightToggleFoldsAndUnfoldsThePanel) {
    Form1& f = started();
    ASSERT_EQ(f.lbl_BottomUD.caption(), "▲");
    ASSERT_EQ(f.form.heightTwips(), 7200);
    f.lbl_BottomUD.onClick();
    EXPECT_EQ(f.lbl_BottomUD.caption(), "▼");
    EXPECT_EQ(f.form.heightTwips(), 4860);
    f.lbl_BottomUD.onClick();
    EXPECT_EQ(f.lbl_BottomUD.caption(), "▲");
    EXPECT_EQ(f.form.heightTwips(), 7200);
}

TEST_F(FormTest, WindowClickGivesTheKeysToTheSurfaceOfTheMode) {
    Form1& f = started();
    f.setFocus(f.img_ControlPanel);
    f.form.onClick();
    EXPECT_EQ(f.focused(), &f.Picture1);
    f.chk_CircleTouch.setValue(1);
    f.setFocus(f.img_ControlPanel);
    f.form.onClick();
    EXPECT_EQ(f.focused(), &f.pic_CircleTouch);
}

// The three replaceable pictures: the dialog each double-click opens, and what a chosen file
// that loads, is missing or is no picture leaves behind.
TEST_F(FormTest, PictureDialogsReplaceOnlyWithLoadablePictures) {
    Form1& f = started();
    struct Row {
        const char* title;
        const char* folder;
        std::function<void()> dblClick;
        std::function<std::string()> tag, picture;
    };
    const Row rows[3] = {
        {"배경 열기", "/opt/muto/배경", [&] { f.form.onDblClick(); }, [&] { return f.form.tag(); },
         [&] { return f.form.picture(); }},
        {"제어판 그림 열기", "/opt/muto/제어판 그림", [&] { f.img_ControlPanel.onDblClick(); },
         [&] { return f.img_ControlPanel.tag(); }, [&] { return f.img_ControlPanel.picture(); }},
        {"피아노 건반 그림 열기", "/opt/muto/피아노 건반 그림",
         [&] { f.pic_CircleTouch.onDblClick(); }, [&] { return f.pic_CircleTouch.tag(); },
         [&] { return f.pic_CircleTouch.picture(); }},
    };
    pictures.missing.insert("/pics/gone.gif");
    pictures.invalid.insert("/pics/text.gif");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        const std::string oldTag = row.tag(), oldPicture = row.picture();
        dialogs.requests.clear();
        dialogs.boxes.clear();

        dialogs.chosenFile.reset();  // cancelled
        row.dblClick();
        ASSERT_EQ(dialogs.requests.size(), 1u);
        const FileDialogRequest& r = dialogs.requests[0];
        EXPECT_EQ(r.title, row.title);
        EXPECT_EQ(r.initDir, row.folder);
        EXPECT_EQ(r.filter, "*.bmp, *.jpg, *.gif|*.bmp;*.jpg;*.gif");
        EXPECT_EQ(r.fileName, "");
        EXPECT_EQ(row.tag(), oldTag);
        EXPECT_EQ(row.picture(), oldPicture);
        EXPECT_TRUE(dialogs.boxes.empty());

        for (const char* bad : {"/pics/gone.gif", "/pics/text.gif"}) {
            dialogs.chosenFile = bad;
            dialogs.boxes.clear();
            row.dblClick();
            EXPECT_EQ(row.tag(), oldTag) << bad;
            EXPECT_EQ(row.picture(), oldPicture) << bad;
            ASSERT_EQ(dialogs.boxes.size(), 1u) << bad;
            EXPECT_EQ(dialogs.boxes[0].title, "열기 실패");
            EXPECT_NE(dialogs.boxes[0].text.find(bad), std::string::npos);
        }

        dialogs.chosenFile = "/pics/new skin.jpg";
        dialogs.boxes.clear();
        f.setFocus(f.img_ControlPanel);
        row.dblClick();
        EXPECT_EQ(row.tag(), "/pics/new skin.jpg");
        EXPECT_EQ(row.picture(), "/pics/new skin.jpg");
        EXPECT_TRUE(dialogs.boxes.empty());
        EXPECT_EQ(f.focused(), &f.Picture1);
    }
}

TEST_F(FormTest, NoColourOrPictureDialogWhilePlaying) {
    Form1& f = started();
    startPlaying();
    dialogs.chosenFile = "/pics/a.gif";
    dialogs.chosenColour = rgb(9, 9, 9);
    const Colour swatch = f.lbl_Color(2).backColor();
    f.setFocus(f.img_ControlPanel);
    f.form.onDblClick();
    EXPECT_EQ(f.focused(), &f.Picture1);  // the focus still goes back
    f.img_ControlPanel.onDblClick();
    f.pic_CircleTouch.onDblClick();
    f.lbl_Color(2).onClick();
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(f.form.tag(), "");
    EXPECT_EQ(f.lbl_Color(2).backColor(), swatch);
    // Paused, the dialogs open again.
    f.playback().cmd_pause_Click();
    f.form.onDblClick();
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(f.form.tag(), "/pics/a.gif");
}

TEST_F(FormTest, CircleTouchDrawingIsClearedAfterAPictureDialog) {
    Form1& f = started();
    f.chk_CircleTouch.setValue(1);
    f.keyDown(65, 0);
    ASSERT_TRUE(f.circleTouch().growing(0));
    dialogs.chosenFile.reset();
    f.form.onDblClick();  // cancelled: cleared all the same
    EXPECT_FALSE(f.circleTouch().growing(0));
}

// --- The help window ------------------------------------------------------------------------

// The shortcut list exactly as the window shows it.
constexpr const char* kShortcutList =
    "♪조표 바꾸기\r\n"
    "  #조표 : Shift + [0~7]\r\n"
    "  b조표 : Alt   + [0~7]\r\n"
    "\r\n"
    "♪옥타프 조정\r\n"
    "  1채널 : Shift + [↑,↓]\r\n"
    "  2채널 : Alt   + [↑,↓]\r\n"
    "\r\n"
    "♪음량 조정\r\n"
    "  1채널 : Shift + [←,→]\r\n"
    "  2채널 : Alt   + [←,→]\r\n"
    "\r\n"
    "♪악기 바꾸기\r\n"
    "  1채널 : Ctrl + Alt + Numpad\r\n"
    "  2채널 : Alt  + Numpad\r\n"
    "  채널1/2 연동 : Pause\r\n"
    "\r\n"
    "♪연주 녹음/재생\r\n"
    "  녹음             : Alt + r\r\n"
    "  재생             : Alt + p\r\n"
    "  재생/녹음 정지   : Alt + s\r\n"
    "  재생 일시 정지   : Alt + w\r\n"
    "  연주 파일 열기   : Alt + o\r\n"
    "  재생 속도 느리게 : F11\r\n"
    "  재생 속도 빠르게 : F12";

TEST(HelpText, ShortcutListByteForByte) {
    EXPECT_EQ(help::shortcutText(), kShortcutList);
}

TEST_F(FormTest, HelpWindowFillsTheListOnceAndStartsAfreshWhenReopened) {
    Form1& f = started();
    HelpWindow& h = f.helpWindow();
    int changes = 0;
    h.onChange = [&] { ++changes; };
    EXPECT_FALSE(h.loaded());
    f.Label1(2).onClick();  // not the "?"
    EXPECT_FALSE(h.loaded());
    f.Label1(3).onClick();
    EXPECT_TRUE(h.loaded());
    EXPECT_GT(changes, 0);
    EXPECT_EQ(h.option(), HelpWindow::kAboutPage);
    EXPECT_FALSE(h.text1Visible());
    EXPECT_EQ(h.text1(), "");

    for (int round = 0; round < 3; ++round) {
        h.Option1_Click(HelpWindow::kShortcutPage);
        EXPECT_TRUE(h.text1Visible());
        EXPECT_EQ(h.text1(), kShortcutList);  // never repeated
        h.Option1_Click(HelpWindow::kAboutPage);
        EXPECT_FALSE(h.text1Visible());
    }
    h.Option1_Click(HelpWindow::kShortcutPage);
    // Showing it again while open keeps the page; the main window plays on meanwhile.
    const int shows = h.showCount();
    f.Label1(3).onClick();
    EXPECT_EQ(h.showCount(), shows + 1);
    EXPECT_EQ(h.option(), HelpWindow::kShortcutPage);
    midi.sent.clear();
    tap(kA);
    EXPECT_EQ(midi.take().size(), 2u);

    h.Command1_Click();
    EXPECT_FALSE(h.loaded());
    f.Label1(3).onClick();
    EXPECT_EQ(h.option(), HelpWindow::kAboutPage);
    EXPECT_FALSE(h.text1Visible());
    EXPECT_EQ(h.text1(), "");
    h.Option1_Click(7);  // no such option
    EXPECT_EQ(h.option(), HelpWindow::kAboutPage);
}

}  // namespace
}  // namespace muto::test
