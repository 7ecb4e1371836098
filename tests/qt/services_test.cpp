// The Qt platform services that need no user: file filters, picture checks, the clock, and the
// Num Lock service without an X display.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "platform/qt/qt_services.h"
#include "platform/x11/x11_keyboard_leds.h"

namespace muto::qt {
namespace {

TEST(QtFileFilter, ConvertsWindowsFilters) {
    EXPECT_EQ(qtFileFilter("*.bmp, *.jpg, *.gif|*.bmp;*.jpg;*.gif"),
              QStringLiteral("*.bmp, *.jpg, *.gif (*.bmp *.jpg *.gif)"));
    EXPECT_EQ(qtFileFilter("연주 파일 (*.vsp)|*.vsp|모든 파일|*.*"),
              QStringLiteral("연주 파일 [*.vsp] (*.vsp);;모든 파일 (*.*)"));
    EXPECT_EQ(qtFileFilter(""), QString());
    // A dangling description without patterns is dropped.
    EXPECT_EQ(qtFileFilter("Text|*.txt|Broken"), QStringLiteral("Text (*.txt)"));
}

TEST(QtPictureLoader, TellsMissingFromInvalid) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString();
    QImage img(8, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(dir.filePath("ok.bmp"), "BMP"));
    // The content decides, not the name.
    ASSERT_TRUE(img.save(dir.filePath("bmp.gif"), "BMP"));
    {
        // The smallest GIF: one white pixel.
        static const char kGif[] =
            "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
            ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
        QFile gif(dir.filePath("ok.gif"));
        ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
        gif.write(kGif, sizeof kGif - 1);
    }
    ASSERT_TRUE(img.save(dir.filePath("pic.png"), "PNG"));
    {
        QFile junk(dir.filePath("junk.gif"));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("GIF89a\x01");
    }
    QtPictureLoader loader;
    EXPECT_EQ(loader.probe(base + "/ok.bmp"), PictureStatus::Ok);
    EXPECT_EQ(loader.probe(base + "/ok.gif"), PictureStatus::Ok);
    EXPECT_EQ(loader.image(base + "/ok.gif").size(), QSize(1, 1));
    EXPECT_EQ(loader.probe(base + "/bmp.gif"), PictureStatus::Ok);
    EXPECT_EQ(loader.image(base + "/ok.bmp").size(), QSize(8, 4));
    EXPECT_EQ(loader.probe(base + "/junk.gif"), PictureStatus::Invalid);
    // Only BMP, JPEG and GIF are pictures here.
    EXPECT_EQ(loader.probe(base + "/pic.png"), PictureStatus::Invalid);
    EXPECT_EQ(loader.probe(base + "/none.gif"), PictureStatus::Missing);
    EXPECT_EQ(loader.probe(base + "/no-folder/none.gif"), PictureStatus::Missing);
    EXPECT_EQ(loader.probe(""), PictureStatus::Missing);
    EXPECT_EQ(loader.probe(base), PictureStatus::Invalid);  // a folder is no picture
    EXPECT_TRUE(loader.image(base + "/none.gif").isNull());
}

TEST(SystemClock, SecondsSinceMidnight) {
    SystemClock clock;
    const double a = clock.secondsSinceMidnight();
    const double b = clock.secondsSinceMidnight();
    EXPECT_GE(a, 0.0);
    EXPECT_LT(a, 86401.0);
    // Finer than whole milliseconds would give, and not going backwards (except at midnight).
    EXPECT_TRUE(b >= a || a > 86399.0);
}

TEST(X11KeyboardLeds, WithoutDisplayDoesNothing) {
    x11::X11KeyboardLeds leds(nullptr);
    EXPECT_FALSE(leds.available());
    EXPECT_FALSE(leds.numLockOn());
    leds.setNumLock(true);
    EXPECT_FALSE(leds.numLockOn());
    // On the offscreen platform there is no X display either.
    auto fromQt = x11::X11KeyboardLeds::fromQtApplication();
    EXPECT_FALSE(fromQt.available());
}

}  // namespace
}  // namespace muto::qt
