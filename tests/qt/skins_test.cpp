// Painting of the piano and the staff markers, and the help window, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "form/form1.h"
#include "form/help_text.h"
#include "form/help_window.h"
#include "form/layout.h"
#include "platform/qt/help_window_qt.h"
#include "platform/qt/key_canvas.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_services.h"
#include "support/fake_services.h"

namespace muto::qt {
namespace {

const QColor kBlackKey(60, 60, 60);

class SkinsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(form.load());
        window = std::make_unique<MainWindow>(form, pictures, fakes.leds);
        form.show();
        window->show();
    }
    void TearDown() override { window.reset(); }

    QImage grab() { return window->grab().toImage(); }
    // A piano picture as the default one is drawn: white keys with a grey stripe at the
    // bottom (where the octave names stand), black keys nearly black.
    std::string pianoPicture() {
        const Rect box = layout::pianoBox();
        QImage img(box.width, box.height, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.fillRect(0, box.height - 10, box.width, 10, QColor(128, 128, 128));
        for (const layout::PianoKey& k : layout::pianoKeys())
            if (k.black)
                p.fillRect(k.rect.left, k.rect.top, k.rect.width, k.rect.height, kBlackKey);
        p.end();
        const QString path = dir.filePath(QStringLiteral("piano.bmp"));
        EXPECT_TRUE(img.save(path, "BMP"));
        return path.toStdString();
    }
    // A window point inside a piano key, at (dx, dy) from its top left.
    static QPoint inKey(int index, int dx, int dy) {
        const Rect box = layout::pianoBox();
        const Rect& k = layout::pianoKeys()[static_cast<size_t>(index)].rect;
        return {box.left + k.left + dx, box.top + k.top + dy};
    }

    QTemporaryDir dir;
    test::FakeServices fakes;
    QtPictureLoader pictures;
    Form1 form{Services{fakes.midi, fakes.dialogs, fakes.time, fakes.time, fakes.downloader,
                        fakes.leds, pictures, "/nonexistent-muto-dir"}};
    std::unique_ptr<MainWindow> window;
};

TEST_F(SkinsTest, LitWhitePianoKeysLieUnderTheBlackKeys) {
    form.pic_CircleTouch.setPicture(pianoPicture());
    const QColor press(0, 255, 0);
    // C, D and E of the lowest octave lit; C sharp and D sharp between them are not.
    for (int i : {0, 2, 4})
        form.shp_piano(i).setLit(true);
    const QImage img = grab();
    for (int black : {1, 3}) {
        const Rect& k = layout::pianoKeys()[static_cast<size_t>(black)].rect;
        EXPECT_EQ(img.pixelColor(inKey(black, k.width / 2, k.height / 2)), kBlackKey) << black;
    }
    EXPECT_EQ(img.pixelColor(inKey(2, 6, 80)), press);
    // The lit key's octave name stripe still shows through the colour.
    EXPECT_EQ(img.pixelColor(inKey(0, 6, 95)), QColor(0, 128, 0));
    // A lit black key shows its colour over the picture.
    form.shp_piano(3).setLit(true);
    const Rect& k3 = layout::pianoKeys()[3].rect;
    EXPECT_EQ(grab().pixelColor(inKey(3, k3.width / 2, k3.height / 2)), press);
}

TEST_F(SkinsTest, MarkerCirclesStandInOneColumnWhateverTheirAccidental) {
    // The rightmost inked column of a marker row, in window pixels.
    auto rightEdge = [&](const char* caption) {
        form.lbl_note.forEach([](Label& l) { l.setVisible(false); });
        Label& m = form.lbl_note(0);
        m.setCaption(caption);
        m.setVisible(true);
        const QImage img = grab();
        const Rect box = layout::staffBox();
        const int top = box.top + m.geometry().top;
        int right = -1, left = 1 << 20;
        for (int y = top; y < top + m.geometry().height; ++y)
            for (int x = box.left; x < box.left + box.width - 2; ++x)
                if (qGray(img.pixel(x, y)) < 100) {
                    right = std::max(right, x);
                    left = std::min(left, x);
                }
        return std::pair{left, right};
    };
    const auto plain = rightEdge("○");
    ASSERT_GT(plain.second, 0);
    for (const char* c : {"#○", "##○", "b○", "bb○"}) {
        const auto e = rightEdge(c);
        EXPECT_EQ(e.second, plain.second) << c;
        EXPECT_LT(e.first, plain.first) << c;  // the sign stands before the circle
    }
}

TEST_F(SkinsTest, HelpWindowOpensModelessAndShowsTheListOnItsPage) {
    HelpWindowView* view = window->helpWindow();
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->isVisible());
    form.Label1(3).onClick();
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(view->isModal());
    EXPECT_EQ(view->windowTitle(), QString::fromUtf8("프로그램 정보"));
    EXPECT_TRUE(view->option(0)->isChecked());
    EXPECT_TRUE(view->aboutPage()->isVisible());
    EXPECT_FALSE(view->text1()->isVisible());
    EXPECT_EQ(view->closeButton()->text(), QString::fromUtf8("닫 기"));

    view->option(1)->click();
    EXPECT_TRUE(view->text1()->isVisible());
    EXPECT_FALSE(view->aboutPage()->isVisible());
    QString list = QString::fromStdString(help::shortcutText());
    list.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(view->text1()->toPlainText(), list);
    view->option(0)->click();
    view->option(1)->click();
    EXPECT_EQ(view->text1()->toPlainText(), list);

    view->closeButton()->click();
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(form.helpWindow().loaded());
    form.Label1(3).onClick();
    EXPECT_TRUE(view->option(0)->isChecked());
    EXPECT_TRUE(view->aboutPage()->isVisible());
    EXPECT_EQ(view->text1()->toPlainText(), QString());
    // Closing from the title bar unloads it too.
    view->close();
    EXPECT_FALSE(form.helpWindow().loaded());
}

}  // namespace
}  // namespace muto::qt
