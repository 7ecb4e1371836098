#include "platform/qt/ring_overlay.h"

#include <QPainter>
#include <QWidget>
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

void RingOverlay::ringChanged(int /*slot*/, const Ring& before, const Ring& after) {
    const QRect area = bounds(before).united(bounds(after));
    if (!area.isEmpty()) surface_.update(area);
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
