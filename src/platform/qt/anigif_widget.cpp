#include "platform/qt/anigif_widget.h"

#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <cstring>
#include <optional>

#include "anigif/anigif_control.h"
#include "form/controls.h"

namespace muto::qt {

namespace {

// The control's background: the button-face system colour, as 0x00RRGGBB.
uint32_t backgroundColour() {
    const Colour c = resolveColour(systemColour(15));
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

int buttonOf(Qt::MouseButtons b) {
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
           (b & Qt::MiddleButton ? 4 : 0);
}

int shiftOf(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

// The control's MousePointer numbers as cursors; 0 leaves the parent's.
std::optional<Qt::CursorShape> cursorOf(int pointer) {
    switch (pointer) {
        case 1:
            return Qt::ArrowCursor;
        case 2:
            return Qt::CrossCursor;
        case 3:
            return Qt::IBeamCursor;
        case 5:
            return Qt::SizeAllCursor;
        case 6:
            return Qt::SizeBDiagCursor;
        case 7:
            return Qt::SizeVerCursor;
        case 8:
            return Qt::SizeFDiagCursor;
        case 9:
            return Qt::SizeHorCursor;
        case 10:
            return Qt::UpArrowCursor;
        case 11:
            return Qt::WaitCursor;
        case 12:
            return Qt::ForbiddenCursor;
        case 13:
            return Qt::BusyCursor;
        case 14:
            return Qt::WhatsThisCursor;
        case 15:
            return Qt::SizeAllCursor;
        default:
            return std::nullopt;
    }
}

}  // namespace

AniGifWidget::AniGifWidget(anigif::AniGifControl& control, QWidget* parent)
    : QWidget(parent), control_(control) {
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    control_.host.repaint = [this] { update(); };
    control_.host.appearanceChanged = [this] { syncAppearance(); };
    control_.host.background = backgroundColour();
    syncAppearance();
}

AniGifWidget::~AniGifWidget() {
    control_.host.repaint = nullptr;
    control_.host.appearanceChanged = nullptr;
}

void AniGifWidget::syncAppearance() {
    setEnabled(control_.enabled());
    const auto& icon = control_.mouseIcon();
    QPixmap picture;
    if (control_.mousePointer() == 99 && icon &&
        picture.loadFromData(icon->data(), static_cast<uint>(icon->size())))
        setCursor(QCursor(picture));
    else if (auto shape = cursorOf(control_.mousePointer()))
        setCursor(*shape);
    else
        unsetCursor();
}

void AniGifWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const raster::Surface* s = control_.paint(backgroundColour());
    if (!s) return;
    QImage image(s->width(), s->height(), QImage::Format_BGR888);
    const auto rowBytes = static_cast<std::size_t>(s->width()) * 3;
    for (int y = 0; y < s->height(); ++y)
        std::memcpy(image.scanLine(y), s->scanLine(y), rowBytes);
    painter.drawImage(0, 0, image);
}

void AniGifWidget::resizeEvent(QResizeEvent*) {
    control_.resized(width(), height());
}

void AniGifWidget::showEvent(QShowEvent*) {
    control_.shown();
}

void AniGifWidget::hideEvent(QHideEvent*) {
    control_.hidden();
}

void AniGifWidget::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton) pressed_ = true;
    control_.mouseDown(buttonOf(e->button()), shiftOf(e->modifiers()), p.x(), p.y());
}

void AniGifWidget::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    control_.mouseUp(buttonOf(e->button()), shiftOf(e->modifiers()), p.x(), p.y());
    if (e->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        if (rect().contains(p)) control_.click();
    }
}

void AniGifWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    control_.mouseMove(buttonOf(e->buttons()), shiftOf(e->modifiers()), p.x(), p.y());
}

}  // namespace muto::qt
