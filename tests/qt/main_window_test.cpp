// The main window on the offscreen platform: key events with native scan codes reach the model,
// the canvas keeps the focus, and the panel's widgets drive their controls.
#include "platform/qt/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "form/form1.h"
#include "form/playback_panel.h"
#include "form/record_panel.h"
#include "form/visual_options.h"
#include "platform/qt/key_canvas.h"
#include "platform/qt/qt_services.h"
#include "support/fake_services.h"

namespace muto::qt {
namespace {

// X keycodes used below.
constexpr int kXQ = 24;
constexpr int kXOne = 10;
constexpr int kXTab = 23;
constexpr int kXPause = 127;
constexpr int kXCtrl = 37;
constexpr int kXShift = 50;
constexpr int kXPad8 = 80;
constexpr int kXF11 = 95;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(form.load());
        window = std::make_unique<MainWindow>(form, pictures, leds);
        form.show();
        window->show();
        QApplication::setActiveWindow(window.get());
        midi.take();
    }
    void TearDown() override { window.reset(); }

    void key(bool down, int scan, Qt::Key qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier,
             bool autoRepeat = false) {
        QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, qtKey, mods,
                    static_cast<quint32>(scan), 0, 0, QString(), autoRepeat);
        QApplication::sendEvent(window->canvas(), &e);
    }
    void click(QWidget* w, QPoint at = {4, 4}) {
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
    QColor pixelOf(const Control& c, int dx, int dy) {
        const QImage img = window->grab().toImage();
        return img.pixelColor(c.geometry().left + dx, c.geometry().top + dy);
    }

    test::FakeServices fakes;
    test::FakeMidi& midi = fakes.midi;
    test::FakeLeds& leds = fakes.leds;
    QtPictureLoader pictures;
    Form1 form{Services{midi, fakes.dialogs, fakes.time, fakes.time, fakes.downloader, leds,
                        pictures, "/nonexistent-muto-dir"}};
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, ScanCodesPlayNotesWhateverTheProducedKey) {
    key(true, kXQ, Qt::Key_Q);
    EXPECT_EQ(midi.take(), std::vector<std::string>{"90 3C 7F"});
    key(false, kXQ, Qt::Key_Q);
    EXPECT_EQ(midi.take(), std::vector<std::string>{"80 3C 00"});
    // A layout whose key produces another character plays the same note.
    key(true, kXQ, Qt::Key_A);
    key(false, kXQ, Qt::Key_A);
    EXPECT_EQ(midi.take(), (std::vector<std::string>{"90 3C 7F", "80 3C 00"}));
}

TEST_F(MainWindowTest, PressedKeyIsLitOnTheCanvas) {
    const Shape& q = form.shp_key('Q');
    const QColor press(static_cast<int>(form.visualOptions().pressColor & 0xFF),
                       static_cast<int>((form.visualOptions().pressColor >> 8) & 0xFF),
                       static_cast<int>((form.visualOptions().pressColor >> 16) & 0xFF));
    // Bottom left inside the shape, clear of its caption.
    const int dx = 3, dy = q.geometry().height - 3;
    EXPECT_NE(pixelOf(q, dx, dy), press);
    key(true, kXQ, Qt::Key_Q);
    EXPECT_EQ(pixelOf(q, dx, dy), press);
    key(false, kXQ, Qt::Key_Q);
    EXPECT_NE(pixelOf(q, dx, dy), press);
}

TEST_F(MainWindowTest, ModifiersChangeTheShiftMaskNotTheKeyCode) {
    // Shift+1 arrives as Key_Exclam; it is still key 1: one sharp in the key signature.
    key(true, kXShift, Qt::Key_Shift, Qt::ShiftModifier);
    key(true, kXOne, Qt::Key_Exclam, Qt::ShiftModifier);
    key(false, kXOne, Qt::Key_Exclam, Qt::ShiftModifier);
    key(false, kXShift, Qt::Key_Shift);
    EXPECT_EQ(form.cmb_key.listIndex(), 1);
    // Ctrl+Pause arrives with key 0; it is still Pause, which toggles the channel link.
    ASSERT_EQ(form.chk_ESync.value(), 1);
    key(true, kXCtrl, Qt::Key_Control, Qt::ControlModifier);
    key(true, kXPause, Qt::Key(0), Qt::ControlModifier);
    key(false, kXPause, Qt::Key(0), Qt::ControlModifier);
    key(false, kXCtrl, Qt::Key_Control);
    EXPECT_EQ(form.chk_ESync.value(), 0);
}

TEST_F(MainWindowTest, PadKeyFollowsNumLockAtPressTime) {
    leds.on = true;
    key(true, kXPad8, Qt::Key_8, Qt::KeypadModifier);
    const auto on = midi.take();
    ASSERT_EQ(on.size(), 1u);
    EXPECT_EQ(on[0].substr(0, 2), "91");  // channel 2
    leds.on = false;
    key(false, kXPad8, Qt::Key_Up, Qt::KeypadModifier);
    const auto off = midi.take();
    ASSERT_EQ(off.size(), 1u);
    EXPECT_EQ(off[0], "81" + on[0].substr(2, 3) + " 00");
    // With Num Lock off the same key is Up: another note of channel 2.
    key(true, kXPad8, Qt::Key_Up, Qt::KeypadModifier);
    const auto up = midi.take();
    ASSERT_EQ(up.size(), 1u);
    EXPECT_NE(up[0], on[0]);
    key(false, kXPad8, Qt::Key_Up, Qt::KeypadModifier);
}

TEST_F(MainWindowTest, AutoRepeatGivesRepeatedKeyDownsAndOneKeyUp) {
    // F11 lowers the playback speed once per key-down.
    ASSERT_EQ(form.vbar_Effect(3).value(), 10);
    key(true, kXF11, Qt::Key_F11);
    for (int i = 0; i < 3; ++i) {
        key(false, kXF11, Qt::Key_F11, Qt::NoModifier, true);
        key(true, kXF11, Qt::Key_F11, Qt::NoModifier, true);
    }
    key(false, kXF11, Qt::Key_F11);
    EXPECT_EQ(form.vbar_Effect(3).value(), 6);
    // A held note key sounds once and ends once.
    key(true, kXQ, Qt::Key_Q);
    for (int i = 0; i < 3; ++i) {
        key(false, kXQ, Qt::Key_Q, Qt::NoModifier, true);
        key(true, kXQ, Qt::Key_Q, Qt::NoModifier, true);
    }
    key(false, kXQ, Qt::Key_Q);
    EXPECT_EQ(midi.take(), (std::vector<std::string>{"90 3C 7F", "80 3C 00"}));
}

TEST_F(MainWindowTest, TabStaysWithTheInstrument) {
    window->canvas()->setFocus();
    ASSERT_TRUE(window->canvas()->hasFocus());
    key(true, kXTab, Qt::Key_Tab);
    key(false, kXTab, Qt::Key_Tab);
    key(true, kXTab, Qt::Key_Backtab, Qt::ShiftModifier);
    key(false, kXTab, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(window->canvas()->hasFocus());
    EXPECT_FALSE(window->canvas()->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(MainWindowTest, PanelWidgetsTakeNoFocus) {
    int widgets = 0;
    form.forEachControl([&](Control& c) {
        if (QWidget* w = window->widgetOf(c)) {
            ++widgets;
            EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << c.name() << "(" << c.index() << ")";
        }
    });
    EXPECT_GT(widgets, 40);
    // Painted controls have no widget; key captions are created during start-up.
    EXPECT_EQ(window->widgetOf(form.shp_key('Q')), nullptr);
    ASSERT_TRUE(form.lbl_KeyCaption.exists('Q'));
    EXPECT_EQ(window->widgetOf(form.lbl_KeyCaption('Q')), nullptr);
}

TEST_F(MainWindowTest, OptionCaptionTogglesItsBox) {
    auto* caption = qobject_cast<QLabel*>(window->widgetOf(form.lbl_chk(1)));
    auto* box = qobject_cast<QCheckBox*>(window->widgetOf(form.chk_KeyOutline));
    ASSERT_TRUE(caption && box);
    EXPECT_EQ(caption->text(), QStringLiteral("키테두리"));
    ASSERT_EQ(form.chk_KeyOutline.value(), 1);
    EXPECT_TRUE(box->isChecked());
    click(caption);
    EXPECT_EQ(form.chk_KeyOutline.value(), 0);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(form.shp_key('Q').bordered());
    // The box itself does the same.
    click(box, box->rect().center());
    EXPECT_EQ(form.chk_KeyOutline.value(), 1);
    EXPECT_TRUE(box->isChecked());
}

TEST_F(MainWindowTest, DisabledCaptionGetsNoClick) {
    form.lbl_chk(9).setEnabled(false);
    auto* caption = window->widgetOf(form.lbl_chk(9));
    ASSERT_TRUE(caption);
    EXPECT_FALSE(caption->isEnabled());
    const int before = form.chk_BScr.value();
    click(caption);
    EXPECT_EQ(form.chk_BScr.value(), before);
}

// A caption greyed while playing shows it: its darkest pixel is grey, no longer its black.
TEST_F(MainWindowTest, DisabledCaptionIsDrawnGrey) {
    auto darkest = [&] {
        const QImage img = window->widgetOf(form.lbl_chk(5))->grab().toImage();
        int least = 255;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                least = std::min(least, qGray(img.pixel(x, y)));
        return least;
    };
    EXPECT_LT(darkest(), 40);
    form.lbl_chk(5).setEnabled(false);
    EXPECT_GT(darkest(), 90);
    form.lbl_chk(5).setEnabled(true);
    EXPECT_LT(darkest(), 40);
}

TEST_F(MainWindowTest, ComboBoxChoiceReachesTheModel) {
    auto* combo = qobject_cast<QComboBox*>(window->widgetOf(form.cmb_inst(0)));
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->count(), 128);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("0 Acoustic Grand Piano"));
    emit combo->activated(40);
    EXPECT_EQ(form.cmb_inst(0).listIndex(), 40);
    // The channel link selects the same program on channel 2.
    EXPECT_EQ(midi.take(), (std::vector<std::string>{"C0 28", "C1 28"}));
    // A change by the model shows in the widget.
    form.cmb_inst(0).setListIndex(3);
    EXPECT_EQ(combo->currentIndex(), 3);
}

TEST_F(MainWindowTest, ScrollBarKeepsMinAtTheTopAndDrags) {
    // vbar_Effect(0) runs from 100 at the top down to 70 at the bottom and starts at 70.
    auto* bar = qobject_cast<QScrollBar*>(window->widgetOf(form.vbar_Effect(0)));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->sliderPosition(), bar->maximum());  // thumb at the bottom
    // The up arrow moves towards Min (100).
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(form.vbar_Effect(0).value(), 71);
    EXPECT_EQ(midi.take(), (std::vector<std::string>{"B0 48 47", "B1 48 47"}));
    // Dragging scrolls without sending; the release sends once.
    bar->setSliderDown(true);
    bar->setSliderPosition(bar->minimum());  // thumb at the top
    EXPECT_EQ(form.vbar_Effect(0).value(), 100);
    EXPECT_EQ(form.lbl_effect(0).caption(), "음지속 100");
    EXPECT_TRUE(midi.take().empty());
    bar->setSliderDown(false);
    EXPECT_EQ(midi.take(), (std::vector<std::string>{"B0 48 64", "B1 48 64"}));
    // vbar_Effect(3) runs the usual way: 1 at the top, 30 at the bottom.
    auto* speed = qobject_cast<QScrollBar*>(window->widgetOf(form.vbar_Effect(3)));
    ASSERT_TRUE(speed);
    speed->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(form.vbar_Effect(3).value(), 11);
}

TEST_F(MainWindowTest, HeightToggleResizesTheWindow) {
    EXPECT_EQ(window->height(), 480);
    EXPECT_EQ(window->width(), 750);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("무토"));
    auto* toggle = window->widgetOf(form.lbl_BottomUD);
    ASSERT_TRUE(toggle);
    click(toggle);
    EXPECT_EQ(window->height(), 324);
    click(toggle);
    EXPECT_EQ(window->height(), 480);
}

TEST_F(MainWindowTest, ButtonsAndCaptionsFollowTheModel) {
    auto* play = qobject_cast<QPushButton*>(window->widgetOf(form.cmd_play));
    ASSERT_TRUE(play);
    EXPECT_EQ(play->text(), QStringLiteral("▶"));
    form.cmd_play.setCaption("■");
    EXPECT_EQ(play->text(), QStringLiteral("■"));
    int clicks = 0;
    form.cmd_play.onClick = [&] { ++clicks; };
    play->click();
    EXPECT_EQ(clicks, 1);
    form.cmd_play.setEnabled(false);
    EXPECT_FALSE(play->isEnabled());
    form.cmd_play.setVisible(false);
    EXPECT_TRUE(play->isHidden());
}

TEST_F(MainWindowTest, EffectHeadersFitTheirWidestValuesInOneSize) {
    form.vbar_Effect(0).setValue(100);
    form.vbar_Effect(1).setValue(127);
    form.vbar_Effect(2).setValue(127);
    std::vector<int> sizes;
    for (int i = 0; i < 3; ++i) {
        auto* header = qobject_cast<QLabel*>(window->widgetOf(form.lbl_effect(i)));
        ASSERT_TRUE(header);
        const int width = QFontMetrics(header->font()).horizontalAdvance(header->text());
        EXPECT_LE(width, header->width() - 4) << header->text().toStdString();
        sizes.push_back(header->font().pixelSize());
    }
    EXPECT_EQ(sizes, std::vector<int>(3, sizes.front()));
}

// What the window shows after the ring frames (painted where the rings changed) against a
// repaint of everything, while rings start, grow together, give up a slot and vanish.
TEST_F(MainWindowTest, RingFramesLeaveTheWindowAsAFullRepaintWould) {
    using namespace std::chrono_literals;
    auto shown = [&] {
        // Every frame due is painted: a frame waits at most 16 ms.
        for (int i = 0; i < 3; ++i) {
            QThread::msleep(20);
            QApplication::processEvents();
        }
        QPaintDevice* store = window->backingStore()->paintDevice();
        if (store->devType() != QInternal::Image) return QImage();
        return static_cast<QImage*>(store)->convertToFormat(QImage::Format_RGB32);
    };
    auto repainted = [&] { return window->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    form.chk_CircleTouch.setValue(1);
    shown();
    int checked = 0;
    const int keys[] = {kXQ, kXQ + 1, kXQ + 2, kXQ + 3, kXQ + 4, kXQ + 5, kXQ + 6, kXQ + 7, kXQ};
    for (int k : keys) {
        key(true, k, Qt::Key_unknown);
        key(false, k, Qt::Key_unknown);
        // Steps of every ring at once, at times that are no multiple of a step.
        for (auto by : {10ms, 30ms, 30ms, 70ms}) {
            fakes.time.advance(by);
            const QImage frame = shown();
            ASSERT_EQ(frame, repainted()) << "key " << k << " after " << checked << " frames";
            ++checked;
        }
    }
    fakes.time.advance(1500ms);  // every ring gone
    ASSERT_EQ(shown(), repainted());
}

// A large picture decodes on a worker: the window shows the old picture until the new one is
// ready, never a blank window in between.
TEST_F(MainWindowTest, ANewPictureReplacesTheOldOnlyWhenDecoded) {
    QTemporaryDir dir;
    const std::string small = dir.filePath(QStringLiteral("small.bmp")).toStdString();
    const std::string large = dir.filePath(QStringLiteral("large.bmp")).toStdString();
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(QString::fromStdString(small)));
    img = QImage(1100, 1100, QImage::Format_RGB32);  // over a million pixels
    img.fill(Qt::blue);
    ASSERT_TRUE(img.save(QString::fromStdString(large)));
    const QPoint corner(2, 2);  // on the window's own picture, clear of the keys
    auto shown = [&] {
        QApplication::processEvents();
        return static_cast<QImage*>(window->backingStore()->paintDevice())->pixelColor(corner);
    };
    auto settled = [&] {
        for (int i = 0; i < 3; ++i) {
            QThread::msleep(20);  // every frame due
            shown();
        }
        return shown();
    };
    form.form.setPicture(small);
    EXPECT_EQ(settled(), QColor(Qt::red));
    form.form.setPicture(large);
    ASSERT_TRUE(pictures.pending(large));
    std::set<QRgb> seen;
    for (int i = 0; i < 50000 && pictures.pending(large); ++i)
        seen.insert(shown().rgb());
    EXPECT_EQ(settled(), QColor(Qt::blue));
    EXPECT_EQ(seen, (std::set<QRgb>{QColor(Qt::red).rgb()}));
}

TEST_F(MainWindowTest, CloseIsRefusedDuringPlayback) {
    Performance p;
    p.snapshot = form.recording().takeSnapshot();
    p.events = {{81, 1, 0}, {81, 0, 100}};
    form.recorder().setPerformance(std::move(p));
    form.playback().cmd_play_Click();
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    form.playback().cmd_play_Click();
    EXPECT_TRUE(window->close());
}

}  // namespace
}  // namespace muto::qt
