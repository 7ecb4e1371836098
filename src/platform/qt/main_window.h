// The main window: draws the toolkit-free model of Form1 and forwards the user's input to it.
// The upper part (keyboard picture, key shapes, captions, staff box, piano) and the pictures of
// the control panel are painted by one canvas, which also takes the keys; the panel's lists,
// check boxes, scroll bars, buttons and labels are Qt widgets over it.
#pragma once

#include <QWidget>
#include <unordered_map>
#include <vector>

#include "form/controls.h"

namespace muto {
class Form1;
class KeyboardLeds;
}  // namespace muto

namespace muto::qt {

class HelpWindowView;
class KeyCanvas;
class QtPictureLoader;

class MainWindow : public QWidget, public ControlObserver {
public:
    // Becomes the form's observer for its lifetime.
    MainWindow(Form1& form, QtPictureLoader& pictures, KeyboardLeds& leds);
    ~MainWindow() override;

    void controlChanged(Control& control) override;
    void focusRequested(Control& control) override;

    KeyCanvas* canvas() const { return canvas_; }
    // The help window Form2; shown when the model opens it.
    HelpWindowView* helpWindow() const { return help_; }
    // The widget showing a panel control, or nullptr for a painted control.
    QWidget* widgetOf(const Control& control) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void syncWindow();
    void syncWidget(Control& control);
    QWidget* ensureWidget(Control& control);
    // The place of a control's container in the window, and whether the container shows.

    Form1& form_;
    KeyCanvas* canvas_;
    HelpWindowView* help_;
    std::unordered_map<const Control*, QWidget*> widgets_;
    std::unordered_map<const Control*, bool> painted_;  // controls known to have no widget
    // The widget controls inside each container, moved and shown with it.
    std::unordered_map<const Control*, std::vector<Control*>> children_;
};

}  // namespace muto::qt
