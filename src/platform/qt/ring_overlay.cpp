#include "platform/qt/ring_overlay.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/qt/qt_convert.h"
#include "platform/qt/strips.h"

namespace muto::qt {

RingOverlay::RingOverlay(CircleTouch& rings, QWidget& surface)
    : rings_(rings), surface_(surface), sprites_(kSpriteCacheKb) {
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
    const QRegion area = QRegion(bounds(before).united(bounds(after)));
    if (area.isEmpty()) return;
    if (repaint)
        repaint(area);
    else
        surface_.update(area);
}

const QPixmap& RingOverlay::sprite(const Ring& r) const {
    // The centre's place within its pixel, in quarters: key centres lie on whole and half pixels.
    const double left = std::floor(r.x);
    const double top = std::floor(r.y);
    const int qx = static_cast<int>((r.x - left) * 4);
    const int qy = static_cast<int>((r.y - top) * 4);
    uint32_t radiusBits = 0;
    static_assert(sizeof radiusBits == sizeof r.radius);
    std::memcpy(&radiusBits, &r.radius, sizeof radiusBits);
    const quint64 key =
        (quint64{r.colour} << 40) ^ (quint64{radiusBits} << 4) ^ static_cast<quint64>(qx * 4 + qy);
    if (const QPixmap* hit = sprites_.object(key)) return *hit;
    const int reach = static_cast<int>(std::ceil(r.radius + kPenWidth / 2.0f + 1.0f));
    QImage img(2 * reach + 2, 2 * reach + 2, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter q(&img);
        q.setRenderHint(QPainter::Antialiasing, true);
        q.setBrush(Qt::NoBrush);
        q.setPen(QPen(colour(r.colour), kPenWidth));
        q.drawEllipse(QPointF(reach + (r.x - left), reach + (r.y - top)), r.radius, r.radius);
    }
    auto* pm = new QPixmap(QPixmap::fromImage(img));
    sprites_.insert(key, pm, std::max(1, img.width() * img.height() * 4 / 1024));
    return *pm;
}

void RingOverlay::paint(QPainter& p, const QRect& dirty) const {
    for (int s = 0; s < CircleTouch::kSlots; ++s) {
        const Ring r = rings_.ring(s);
        if (!r.active || !bounds(r).intersects(dirty)) continue;
        const QPixmap& pm = sprite(r);
        const int reach = (pm.width() - 2) / 2;
        const QRect at(static_cast<int>(std::floor(r.x)) - reach,
                       static_cast<int>(std::floor(r.y)) - reach, pm.width(), pm.height());
        // Only the part being repainted.
        const QRect part = at.intersected(dirty);
        drawInStrips(p, part, pm, part.translated(-at.topLeft()));
    }
}

}  // namespace muto::qt
