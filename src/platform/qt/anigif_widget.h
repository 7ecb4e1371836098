// The widget of the animated-GIF control: paints the control's surface, passes on its size,
// visibility and mouse, and follows its Enabled and mouse-pointer properties.
#pragma once

#include <QWidget>

namespace muto::anigif {
class AniGifControl;
}

namespace muto::qt {

class AniGifWidget : public QWidget {
public:
    AniGifWidget(anigif::AniGifControl& control, QWidget* parent);
    ~AniGifWidget() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void syncAppearance();

    anigif::AniGifControl& control_;
    bool pressed_ = false;
};

}  // namespace muto::qt
