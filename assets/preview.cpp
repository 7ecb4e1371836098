// A preview of the whole tall window: the pictures with every control of the layout table drawn
// roughly as the window shows it (boxes, buttons, captions in NanumGothic 9 pt), for checking the
// pictures against the controls by eye.
#include <QFontMetricsF>
#include <QPainter>
#include <cstdio>

#include "assets/pictures.h"
#include "form/layout.h"

namespace muto::assets {

QImage drawPreview(const Fonts& fonts) {
    namespace layout = muto::layout;
    const Rect panel = layout::controlPanel();
    QImage image(layout::windowWidth(), panel.top + panel.height, QImage::Format_RGB32);
    QPainter p(&image);
    p.drawImage(0, 0, drawKeyboard(fonts));
    p.drawImage(panel.left, panel.top, drawControlPanel(fonts));
    p.drawImage(layout::pianoBox().left, layout::pianoBox().top, drawPiano(fonts));
    p.drawImage(layout::staffBox().left, layout::staffBox().top, drawKeySignature(fonts, 3));
    QFont f(fonts.korean);
    f.setPixelSize(12);
    p.setFont(f);
    for (const layout::Place& place : layout::places()) {
        const Rect r = place.rect;
        QRectF q(r.left, r.top, r.width, r.height);
        const std::string_view n = place.name;
        if (n == "Picture1" || n == "pic_CircleTouch" || n == "img_ControlPanel" ||
            n == "pic_Palette" || n == "shp_progress" || n == "lbl_CircleColor" || n == "lbl_note")
            continue;
        const QString caption =
            QString::fromUtf8(place.caption.data(), qsizetype(place.caption.size()));
        const qreal need = QFontMetricsF(f).horizontalAdvance(caption);
        if (need > r.width)
            std::fprintf(stderr, "muto-assets: caption of %.*s(%d) needs %.1f px, has %d\n",
                         int(n.size()), n.data(), place.index, need, r.width);
        p.setPen(QColor(0, 0, 0));
        if (n.starts_with("cmb_")) {
            p.setBrush(QColor(255, 255, 255));
            p.drawRect(q.adjusted(0, 0, -1, -1));
            p.drawText(q.adjusted(3, 0, -16, 0), Qt::AlignVCenter,
                       n == "cmb_key" ? "#6-F#-올림바장조" : "120");
        } else if (n.starts_with("chk_")) {
            p.setBrush(QColor(255, 255, 255));
            p.drawRect(q.adjusted(0, 0, -1, -1));
        } else if (n.starts_with("cmd_")) {
            p.setBrush(QColor(236, 236, 236));
            p.drawRect(q.adjusted(0, 0, -1, -1));
            p.drawText(q, Qt::AlignCenter, caption);
        } else if (n.starts_with("vbar_")) {
            p.setBrush(QColor(240, 240, 240));
            p.drawRect(q.adjusted(0, 0, -1, -1));
        } else if (n == "lbl_Color" || n == "shp_StartPos" || n == "ucAniGIF1") {
            p.setBrush(QColor(255, 128, 0));
            p.drawRect(q.adjusted(0, 0, -1, -1));
        } else {
            p.setPen(n == "Label1" ? QColor(0, 0, 160) : QColor(0, 0, 0));
            p.drawText(q, Qt::AlignLeft | Qt::AlignVCenter, caption);
        }
    }
    return image;
}

}  // namespace muto::assets
