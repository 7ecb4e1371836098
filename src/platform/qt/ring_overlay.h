// The circle-touch rings over the keyboard picture. The rings are the model's state; this layer
// paints the ones that show and, when a slot changes, asks its surface to repaint the box the old
// and the new ring cover, so a removed ring leaves the picture under it exactly as it was. A box
// is a plain rectangle to clip to: cheaper to repaint than the many bands of a ring's stroke.
// Each ring is stroked once per colour, radius and place within a pixel, and copied after that:
// only the part inside the area being repainted, in strips (strips.h).
#pragma once

#include <QCache>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <functional>

#include "form/circle_touch.h"

class QPainter;
class QWidget;

namespace muto::qt {

class RingOverlay : public RingObserver {
public:
    // Observes the rings for its lifetime; `surface` is the widget they are painted on, in the
    // window's coordinates.
    RingOverlay(CircleTouch& rings, QWidget& surface);
    ~RingOverlay() override;
    RingOverlay(const RingOverlay&) = delete;
    RingOverlay& operator=(const RingOverlay&) = delete;

    void ringChanged(int slot, const Ring& before, const Ring& after) override;
    // Paints every showing ring that reaches into `dirty`.
    void paint(QPainter& p, const QRect& dirty) const;

    // The pixels a ring's stroke can touch, or an empty rectangle for a ring that does not show.
    static QRect bounds(const Ring& ring);
    static constexpr int kPenWidth = 2;

    // Asks for a repaint of an area of the surface; the surface's own update when unset.
    std::function<void(const QRegion&)> repaint;

private:
    // A ring drawn once into a picture of its own, for its colour, radius and the centre's place
    // within a pixel: a ring step then costs a copy, not the stroking of a circle.
    const QPixmap& sprite(const Ring& ring) const;
    // Enough for every step of eight rings at eight keys.
    static constexpr int kSpriteCacheKb = 32 * 1024;

    CircleTouch& rings_;
    QWidget& surface_;
    mutable QCache<quint64, QPixmap> sprites_;  // cost in KiB
};

}  // namespace muto::qt
