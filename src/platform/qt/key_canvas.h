// The painted upper part of the main window and its keyboard-input surface: the PC keyboard
// picture with the key shapes, captions and legends, the note-marker box, the flash bar, the
// piano, and the pictures of the control panel under the panel's widgets. It holds the keyboard
// focus for as long as the window has it and turns key events into the model's key-downs and
// key-ups.
#pragma once

#include <QHash>
#include <QPixmap>
#include <QWidget>
#include <memory>

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

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
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
    void paintShape(QPainter& p, const Shape& s);
    // `bold` draws bold whatever the label says (the staff markers' circles).
    void paintLabel(QPainter& p, const Label& l, int align, bool bold = false);
    // A staff marker: its circle at the marker's place, an accidental before it.
    void paintMarker(QPainter& p, const Label& l);
    void paintStaffBox(QPainter& p);
    void paintPiano(QPainter& p);
    void paintControlPanel(QPainter& p);

    Form1& form_;
    QtPictureLoader& pictures_;
    KeyboardLeds& leds_;
    keys::KeyTranslator translator_;
    QHash<QString, QPixmap> pixmaps_;
    Control* pressed_ = nullptr;     // the control the left button went down on
    bool afterDoubleClick_ = false;  // the release ending a double click is no click
    std::unique_ptr<RingOverlay> rings_;
    QRect dirty_;  // the area the paint event in progress repaints
};

}  // namespace muto::qt
