// Qt widgets standing for the model's panel controls. Each widget shows its control's state and
// hands the user's actions to the control's API, which runs the model's handler; none of them
// takes the keyboard focus away from the playing surface.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <string>
#include <vector>

#include "form/controls.h"

namespace muto::qt {

// A label that reports clicks and double clicks (a click on release, none after a double click).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent) : QLabel(parent) {}

signals:
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    bool pressed_ = false;
    bool afterDoubleClick_ = false;
};

// A vertical scroll bar for a model scroll bar whose Min is at the top and Max at the bottom,
// also when Min is the larger number (then values are shown negated to Qt).
class ModelScrollBar : public QScrollBar {
public:
    ModelScrollBar(ScrollBar& model, QWidget* parent);
    void sync();

private:
    int sign() const { return model_.min() <= model_.max() ? 1 : -1; }
    ScrollBar& model_;
};

class ModelComboBox : public QComboBox {
public:
    ModelComboBox(ListBox& model, QWidget* parent);
    void sync();

private:
    ListBox& model_;
    std::vector<std::string> items_;  // what the widget lists now
};

// Creates the widget of a panel control (list, check box, scroll bar, button or label), or
// nullptr for the controls painted by the canvas.
QWidget* createPanelWidget(Control& control, QWidget* parent);
// Brings a panel widget up to date with its control; a control inside a container is placed
// relative to it and shows only while it does.
void syncPanelWidget(Control& control, QWidget* widget);

}  // namespace muto::qt
