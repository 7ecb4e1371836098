#include "platform/qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>

#include "form/form1.h"
#include "form/gif_control.h"
#include "form/layout.h"
#include "platform/qt/anigif_widget.h"
#include "platform/qt/help_window_qt.h"
#include "platform/qt/key_canvas.h"
#include "platform/qt/panel_widgets.h"

namespace muto::qt {

MainWindow::MainWindow(Form1& form, QtPictureLoader& pictures, KeyboardLeds& leds)
    : form_(form),
      canvas_(new KeyCanvas(form, pictures, leds, this)),
      help_(new HelpWindowView(form.helpWindow(), this)) {
    canvas_->setGeometry(0, 0, layout::windowWidth(),
                         layout::kTallHeightTwips / layout::kTwipsPerPixel);
    form_.forEachControl([this](Control& c) {
        if (ensureWidget(c)) syncWidget(c);
    });
    syncWindow();
    form_.setObserver(this);
    canvas_->setFocus(Qt::OtherFocusReason);
}

MainWindow::~MainWindow() {
    if (form_.observer() == this) form_.setObserver(nullptr);
}

QWidget* MainWindow::widgetOf(const Control& control) const {
    auto it = widgets_.find(&control);
    return it == widgets_.end() ? nullptr : it->second;
}

QWidget* MainWindow::ensureWidget(Control& control) {
    if (QWidget* w = widgetOf(control)) return w;
    if (painted_.count(&control)) return nullptr;
    QWidget* w = &control == &form_.ucAniGIF1
                     ? new AniGifWidget(form_.gifControl().ucAniGIF1(), this)
                     : createPanelWidget(control, this);
    if (!w) {
        painted_.emplace(&control, true);
        return nullptr;
    }
    widgets_.emplace(&control, w);
    if (control.container()) children_[control.container()].push_back(&control);
    w->raise();
    return w;
}

void MainWindow::syncWidget(Control& control) {
    if (QWidget* w = widgetOf(control)) syncPanelWidget(control, w);
}

void MainWindow::syncWindow() {
    const Window& win = form_.form;
    const QString title = QString::fromStdString(win.caption());
    if (windowTitle() != title) setWindowTitle(title);
    int height = win.heightTwips() / layout::kTwipsPerPixel;
    if (height <= 0) height = layout::kTallHeightTwips / layout::kTwipsPerPixel;
    const QSize size(layout::windowWidth(), height);
    if (this->size() != size || minimumSize() != size) setFixedSize(size);
}

void MainWindow::controlChanged(Control& control) {
    if (&control == &form_.form) {
        syncWindow();
        canvas_->controlChanged(control);
        return;
    }
    if (ensureWidget(control)) {
        syncWidget(control);
        return;
    }
    // A container moved or showed: the widgets inside it follow.
    if (auto it = children_.find(&control); it != children_.end())
        for (Control* child : it->second)
            syncWidget(*child);
    // A painted control repaints only where it was and where it is now.
    canvas_->controlChanged(control);
}

void MainWindow::focusRequested(Control& /*control*/) {
    // Both input surfaces are the canvas; the model decides which one gets the keys.
    canvas_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (form_.queryUnload())
        event->accept();
    else
        event->ignore();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The keyboard went to another application: the held keys' releases will never come here.
    // A dialog of our own taking it (a message box, a file dialog) is not such a loss.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() &&
        QApplication::activeWindow() == nullptr) {
        canvas_->forgetKeys();
        form_.focusLost();
    }
}

}  // namespace muto::qt
