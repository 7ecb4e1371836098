// The painted upper part of the main window and its keyboard-input surface: the PC keyboard
// picture with the key shapes, captions and legends, the note-marker box, the flash bar, the
// piano, and the pictures of the control panel under the panel's widgets. It holds the keyboard
// focus for as long as the window has it and turns key events into the model's key-downs and
// key-ups.
//
// What changes while playing (lit keys, piano keys, staff markers, the progress bar, the rings)
// repaints only its own area. The pictures under everything are kept in one cached picture, made
// again only when a picture, a picture box or the size changes, and captions are shaped once
// (CaptionText). MUTO_PAINT_ALL=1 in the environment repaints the whole canvas from scratch on
// every change instead: the reference the partial repaints are compared with.
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QPixmap>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <unordered_map>

#include "common/time.h"
#include "platform/qt/caption_text.h"
#include "platform/qt/key_translation.h"

namespace muto {
class Control;
class Form1;
class KeyboardLeds;
class Label;
class PictureBox;
class Shape;
}  // namespace muto

namespace muto::qt {

class QtPictureLoader;
class RingOverlay;

class KeyCanvas : public QWidget {
public:
    KeyCanvas(Form1& form, QtPictureLoader& pictures, KeyboardLeds& leds, QWidget* parent);
    ~KeyCanvas() override;

    // The window lost the keyboard: forget which keys were down.
    void forgetKeys() { translator_.reset(); }
    // The control that a click at a window point reaches (a painted label, a picture box or the
    // window itself).
    Control* hitTest(QPoint point) const;
    // A painted control, a picture box or the window changed: repaints what it covered and
    // covers now.
    void controlChanged(const Control& control);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Tab is a key of the instrument, never focus navigation.
    bool focusNextPrevChild(bool) override { return false; }

private:
    void keyEvent(QKeyEvent* event, bool down);
    bool numLockFor(const QKeyEvent* event);
    void click(Control* target);
    void doubleClick(Control* target);

    const QPixmap& pixmap(const std::string& path);
    void paintPicture(QPainter& p, const std::string& path, const QRect& box);
    // The pictures and the backgrounds of the picture boxes: the layer under everything else.
    void paintBase(QPainter& p);
    // What the base layer depends on; a change of it makes the layer again. Without the
    // pictures: only where the boxes are.
    QString baseKey(bool pictures = true);
    // The picture boxes of the base layer.
    std::array<const PictureBox*, 5> pictureBoxes() const;
    // Whether a picture of the base layer is still being decoded.
    bool decoding();
    void ensureBase();
    // Puts the base layer back over the part of `box` being repainted.
    void restoreBase(QPainter& p, const QRect& box);
    void paintShape(QPainter& p, const Shape& s);
    // One line of a caption; `bold` draws bold whatever the label says.
    void paintText(QPainter& p, const QRect& box, int align, const std::string& caption, bool bold);
    void paintLabel(QPainter& p, const Label& l, int align, bool bold = false);
    // A staff marker: its circle at the marker's place, an accidental before it.
    void paintMarker(QPainter& p, const Label& l);
    void paintStaffBox(QPainter& p);
    void paintPiano(QPainter& p);
    void paintControlPanel(QPainter& p);
    // Everything in its order, as far as it reaches into dirty_.
    void paintLayers(QPainter& p);
    // Whether a painted control reaches into the area being repainted.
    bool reaches(const Control& c) const;
    bool touches(const QRect& r) const;
    // The pixels a control paints: its box, and the text of a caption wherever it reaches.
    QRect areaOf(const Control& c);
    void rememberAreas();
    // Whether a control is one of the keyboard's shapes and captions.
    bool onKeyboard(const Control& c) const;
    // Takes in the area of a control, when it is one of the keyboard's.
    void widenKeyboard(const Control& c, const QRect& area);
    // Repaints an area with the next frame.
    void repaintSoon(const QRegion& area, bool ring = false);
    void showPending();

    Form1& form_;
    QtPictureLoader& pictures_;
    KeyboardLeds& leds_;
    keys::KeyTranslator translator_;
    QHash<QString, QPixmap> pixmaps_;
    Control* pressed_ = nullptr;     // the control the left button went down on
    bool afterDoubleClick_ = false;  // the release ending a double click is no click
    std::unique_ptr<RingOverlay> rings_;
    QRect dirty_;    // the area the paint event in progress repaints
    QRegion bands_;  // when not empty: the many bands within dirty_ it repaints
    CaptionText captions_;
    QPixmap base_;
    QString baseKey_;
    QString baseBoxes_;  // baseKey(false) of the base layer
    QPixmap piano_;      // the piano's picture, whose black keys go back over lit white keys
    // The area each painted control covered when last painted.
    std::unordered_map<const Control*, QRect> areas_;
    // Holds every area of the keyboard's shapes and captions: a repaint outside it skips them.
    QRect keyboard_;
    const bool paintAll_;
    QRegion pending_;      // changed since the last frame
    bool posted_ = false;  // a repaint was asked for and is not painted yet
    QTimer frame_;
    bool deferred_ = false;          // the frame due was put off for a timer once already
    std::unique_ptr<Timer> resume_;  // shows a frame put off for a timer
    double lastPaint_ = 0;           // seconds the last paint took
    QElapsedTimer sinceFrame_;
};

}  // namespace muto::qt
