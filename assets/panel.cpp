// The control-panel picture: a brushed panel face with the engraved grid of the channel table and
// the frames of the control groups. The texts are labels of the window and are not painted here.
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <cmath>

#include "assets/pictures.h"
#include "form/layout.h"

namespace muto::assets {

namespace {

namespace layout = muto::layout;

// A control's rect relative to the panel.
QRectF inPanel(std::string_view name, int index = -1) {
    const Rect r = layout::placeOf(name, index);
    const Rect panel = layout::controlPanel();
    return QRectF(r.left - panel.left, r.top - panel.top, r.width, r.height);
}

// An engraved line: dark groove with a light edge below or right of it.
void groove(QPainter& p, QPointF a, QPointF b) {
    const bool vertical = a.x() == b.x();
    p.setPen(QPen(QColor(122, 126, 134), 1));
    p.drawLine(a, b);
    p.setPen(QPen(QColor(250, 251, 253), 1));
    const QPointF d = vertical ? QPointF(1, 0) : QPointF(0, 1);
    p.drawLine(a + d, b + d);
}

void hline(QPainter& p, qreal y, qreal x0, qreal x1) {
    groove(p, {x0, y + 0.5}, {x1, y + 0.5});
}
void vline(QPainter& p, qreal x, qreal y0, qreal y1) {
    groove(p, {x + 0.5, y0}, {x + 0.5, y1});
}

// A sunken well around a control area.
void well(QPainter& p, const QRectF& r, const QColor& fill) {
    p.setPen(QPen(QColor(110, 114, 122), 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    p.setPen(QPen(QColor(250, 251, 253), 1));
    p.drawLine(QPointF(r.left() + 2, r.bottom() + 0.5), QPointF(r.right() - 1, r.bottom() + 0.5));
}

}  // namespace

QImage drawControlPanel(const Fonts&) {
    const Rect panel = layout::controlPanel();
    const int w = panel.width, h = panel.height;
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);

    // Brushed aluminium: a vertical gradient with faint horizontal streaks (fixed seed, so the
    // picture is the same at every build).
    QLinearGradient face(0, 0, 0, h);
    face.setColorAt(0, QColor(226, 228, 232));
    face.setColorAt(1, QColor(204, 207, 212));
    p.fillRect(image.rect(), face);
    QRandomGenerator streaks(20240611);
    for (int y = 0; y < h; ++y) {
        const int alpha = int(streaks.bounded(0, 14));
        p.setPen(QColor(255, 255, 255, alpha));
        p.drawLine(0, y, w, y);
    }

    p.setRenderHint(QPainter::Antialiasing, false);
    // Outer bevel of the panel.
    p.setPen(QColor(250, 251, 253));
    p.drawLine(0, 0, w - 1, 0);
    p.drawLine(0, 0, 0, h - 1);
    p.setPen(QColor(130, 134, 142));
    p.drawLine(0, h - 1, w - 1, h - 1);
    p.drawLine(w - 1, 0, w - 1, h - 1);

    // The channel table: a shaded heading row and row-label column, then the grid.
    const QRectF table(3, 2, 501, 76);
    const qreal headBottom = inPanel("cmb_inst", 0).top() - 3;
    p.fillRect(
        QRectF(table.left() + 1, table.top() + 1, table.width() - 1, headBottom - table.top() - 1),
        QColor(186, 192, 202));
    p.fillRect(
        QRectF(table.left() + 1, headBottom + 1, inPanel("cmb_inst", 0).left() - 3 - table.left(),
               table.bottom() - headBottom - 1),
        QColor(196, 201, 210));
    p.setPen(QPen(QColor(122, 126, 134), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(table);
    hline(p, headBottom, table.left(), table.right());
    const qreal rowSplit = (inPanel("cmb_inst", 0).bottom() + inPanel("cmb_inst", 1).top()) / 2;
    hline(p, rowSplit, table.left(), inPanel("cmb_key").left() - 2);
    // Column lines halfway between neighbouring columns.
    auto between = [](const QRectF& a, const QRectF& b) {
        return std::floor((a.right() + b.left()) / 2);
    };
    vline(p, between(inPanel("Label2", 0), inPanel("cmb_inst", 0)), table.top(), table.bottom());
    vline(p, between(inPanel("cmb_inst", 0), inPanel("cmb_OctShift", 0)), table.top(),
          table.bottom());
    vline(p, between(inPanel("cmb_OctShift", 0), inPanel("cmb_volume", 0)), table.top(),
          table.bottom());
    vline(p, between(inPanel("Label2", 4), inPanel("Label2", 5)), table.top(), table.bottom());
    vline(p, between(inPanel("lbl_chk", 6), inPanel("cmb_key")), table.top(), table.bottom());

    // Effect bars: one column each, a scale of ticks beside every bar.
    const QRectF effects(505, 2, w - 508, inPanel("cmd_KeysetSave").top() - 4);
    p.setPen(QPen(QColor(122, 126, 134), 1));
    p.drawRect(effects);
    p.fillRect(QRectF(effects.left() + 1, effects.top() + 1, effects.width() - 1,
                      inPanel("vbar_Effect", 0).top() - 3 - effects.top()),
               QColor(186, 192, 202));
    hline(p, inPanel("vbar_Effect", 0).top() - 3, effects.left(), effects.right());
    for (int i = 0; i < 4; ++i) {
        const QRectF bar = inPanel("vbar_Effect", i);
        if (i > 0) vline(p, std::floor(bar.left() - 22 - 1), effects.top(), effects.bottom());
        const qreal top = bar.top() + 17, bottom = bar.bottom() - 17;
        for (int t = 0; t <= 10; ++t) {
            const qreal y = std::round(top + (bottom - top) * t / 10.0) + 0.5;
            const qreal len = t % 5 == 0 ? 7 : 4;
            p.setPen(QColor(80, 84, 92));
            p.drawLine(QPointF(bar.left() - 3 - len, y), QPointF(bar.left() - 3, y));
            p.drawLine(QPointF(bar.right() + 3, y), QPointF(bar.right() + 3 + len, y));
        }
    }

    // Key-set buttons, colour swatches and the save button.
    const QRectF keyset(505, effects.bottom() + 2, w - 508, h - effects.bottom() - 5);
    p.setPen(QPen(QColor(122, 126, 134), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(keyset);
    for (int i = 0; i < 3; ++i)
        well(p, inPanel("lbl_Color", i).adjusted(-2, -2, 2, 2), QColor(90, 94, 102));

    // Transport, display options and the animation window in the lower left.
    const QRectF lower(3, table.bottom() + 3, 501, h - table.bottom() - 6);
    p.setPen(QPen(QColor(122, 126, 134), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(lower);
    const qreal optionsLeft =
        std::floor((inPanel("cmb_RecMax").right() + inPanel("chk_KeyOutline").left()) / 2);
    const qreal gifLeft =
        std::floor((inPanel("lbl_CircleColor", 9).right() + inPanel("ucAniGIF1").left()) / 2);
    vline(p, optionsLeft, lower.top(), lower.bottom());
    vline(p, gifLeft, lower.top(), lower.bottom());
    hline(p, inPanel("cmd_SavePlayPos", 0).top() - 2, lower.left(), optionsLeft);

    // The progress bar sits in a well; the strip below it, where a click chooses the start
    // position, is a groove with a tick scale.
    const QRectF prog = inPanel("pic_ProgBack");
    well(p, prog.adjusted(-2, -2, 2, 2), QColor(70, 74, 82));
    const qreal strip = prog.bottom() + 4;
    p.setPen(QColor(150, 154, 162));
    p.drawLine(QPointF(prog.left(), strip + 0.5), QPointF(prog.right(), strip + 0.5));
    for (int t = 0; t <= 10; ++t) {
        const qreal x = std::round(prog.left() + prog.width() * t / 10.0) + 0.5;
        p.drawLine(QPointF(x, strip - (t % 5 == 0 ? 2 : 1)), QPointF(x, strip + 2));
    }

    // The animation window.
    const QRectF gif = inPanel("ucAniGIF1");
    well(p, gif.adjusted(-2, -2, 2, 2), QColor(40, 42, 48));
    well(p, inPanel("lbl_CircleColor", 9).adjusted(-2, -2, 2, 2), QColor(90, 94, 102));
    return image;
}

}  // namespace muto::assets
