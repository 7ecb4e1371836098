#include "platform/qt/ring_overlay.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/qt/qt_convert.h"

namespace muto::qt {

RingOverlay::RingOverlay(CircleTouch& rings, QWidget& surface) : rings_(rings), surface_(surface) {
    rings_.setRingObserver(this);
}

RingOverlay::~RingOverlay() {
    if (rings_.ringObserver() == this) rings_.setRingObserver(nullptr);
}

QRect RingOverlay::bounds(const Ring& ring) {
    if (!ring.active) return {};
    // Half the pen on either side of the circle, and a pixel for the antialiased edge.
    const float reach = ring.radius + kPenWidth / 2.0f + 1.0f;
    const int left = static_cast<int>(std::floor(ring.x - reach));
    const int top = static_cast<int>(std::floor(ring.y - reach));
    const int right = static_cast<int>(std::ceil(ring.x + reach));
    const int bottom = static_cast<int>(std::ceil(ring.y + reach));
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QRegion RingOverlay::strokeArea(const Ring& ring) {
    QRegion area;
    if (!ring.active) return area;
    // Half the pen on either side of the circle, a pixel for the antialiased edge and one for
    // rounding; bands a few pixels high, each the part of the annulus it crosses.
    constexpr double kBand = 4;
    const double reach = kPenWidth / 2.0 + 2.0;
    const double outer = ring.radius + reach;
    const double inner = ring.radius - reach;
    const double cx = ring.x;
    const double cy = ring.y;
    for (double y0 = std::floor(cy - outer); y0 < cy + outer; y0 += kBand) {
        const double y1 = y0 + kBand;
        const double near =
            (y0 <= cy && cy <= y1) ? 0 : std::min(std::abs(y0 - cy), std::abs(y1 - cy));
        const double far = std::max(std::abs(y0 - cy), std::abs(y1 - cy));
        if (near >= outer) continue;
        const double xo = std::sqrt(outer * outer - near * near);
        const double xi = far < inner ? std::sqrt(inner * inner - far * far) : 0;
        const int top = static_cast<int>(y0);
        const int h = static_cast<int>(kBand);
        const int left = static_cast<int>(std::floor(cx - xo));
        const int right = static_cast<int>(std::ceil(cx + xo));
        if (xi < 1) {
            area += QRect(left, top, right - left, h);
            continue;
        }
        const int innerLeft = static_cast<int>(std::ceil(cx - xi));
        const int innerRight = static_cast<int>(std::floor(cx + xi));
        area += QRect(left, top, innerLeft - left, h);
        area += QRect(innerRight, top, right - innerRight, h);
    }
    return area;
}

void RingOverlay::ringChanged(int /*slot*/, const Ring& before, const Ring& after) {
    const QRegion area = strokeArea(before) + strokeArea(after);
    if (area.isEmpty()) return;
    if (repaint)
        repaint(area);
    else
        surface_.update(area);
}

void RingOverlay::paint(QPainter& p, const QRect& dirty) const {
    bool any = false;
    for (int s = 0; s < CircleTouch::kSlots; ++s) {
        const Ring r = rings_.ring(s);
        if (!r.active || !bounds(r).intersects(dirty)) continue;
        if (!any) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setBrush(Qt::NoBrush);
            any = true;
        }
        p.setPen(QPen(colour(r.colour), kPenWidth));
        p.drawEllipse(QPointF(r.x, r.y), r.radius, r.radius);
    }
    if (any) p.restore();
}

}  // namespace muto::qt
