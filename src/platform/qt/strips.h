// Copies of pixmaps onto the window in strips of a few dozen rows. Qt's raster painter hands a
// copy or blend of more than about a hundred rows to its thread pool, split in parts, and waits
// for them: on a small machine the hand-over (waking threads, waiting on a semaphore) costs more
// than the copy. Strips below that height are drawn on the painting thread.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <algorithm>

namespace muto::qt {

inline constexpr int kStripRows = 64;

// Draws the part `source` of `pm` (in device pixels of pm) at `target` (its top left, in logical
// pixels), `ratio` device pixels to a logical one.
inline void drawInStrips(QPainter& p, const QRect& target, const QPixmap& pm, const QRect& source,
                         qreal ratio = 1) {
    for (int top = 0; top < target.height(); top += kStripRows) {
        const int rows = std::min(kStripRows, target.height() - top);
        const QRect to(target.left(), target.top() + top, target.width(), rows);
        p.drawPixmap(
            QRectF(to), pm,
            QRectF(source.left(), source.top() + top * ratio, source.width(), rows * ratio));
    }
}

}  // namespace muto::qt
