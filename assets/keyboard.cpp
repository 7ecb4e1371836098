// The PC keyboard picture (the window background) and the piano picture.
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

#include "assets/pictures.h"
#include "form/layout.h"

namespace muto::assets {

namespace {

namespace layout = muto::layout;

QRectF toQ(const Rect& r) {
    return QRectF(r.left, r.top, r.width, r.height);
}

const QColor kWindowFace(198, 201, 206);  // lower part of the window
const QColor kCaseTop(164, 168, 175);     // keyboard case
const QColor kCaseBottom(140, 144, 151);
const QColor kCapLight(250, 250, 246);  // letter keycaps
const QColor kCapDark(226, 226, 220);
const QColor kModLight(232, 234, 238);  // modifier and function keycaps
const QColor kModDark(204, 207, 213);
const QColor kLegend(40, 42, 48);
const QColor kHangul(150, 62, 52);

QFont font(const QString& family, qreal pixelSize, bool bold = false) {
    QFont f(family.isEmpty() ? QStringLiteral("Sans") : family);
    f.setPixelSize(qRound(pixelSize));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferVerticalHinting);
    return f;
}

// A keycap: the skirt fills the whole rect, the dished top is inset more at the bottom, as
// seen from slightly above.
void drawCap(QPainter& p, const QPainterPath& outline, const QPainterPath& top, bool modifier) {
    const QRectF r = outline.boundingRect();
    p.setPen(QPen(QColor(92, 96, 104), 1));
    QLinearGradient skirt(r.topLeft(), r.bottomLeft());
    skirt.setColorAt(0, modifier ? QColor(196, 199, 205) : QColor(214, 214, 207));
    skirt.setColorAt(1, modifier ? QColor(150, 153, 160) : QColor(170, 170, 163));
    p.setBrush(skirt);
    p.drawPath(outline);
    const QRectF t = top.boundingRect();
    QLinearGradient face(t.topLeft(), t.bottomLeft());
    face.setColorAt(0, modifier ? kModLight : kCapLight);
    face.setColorAt(1, modifier ? kModDark : kCapDark);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawPath(top);
}

QPainterPath rounded(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void drawKey(QPainter& p, const QRectF& r, bool modifier) {
    const QRectF outer = r.adjusted(0.5, 0.5, -0.5, -0.5);
    const QRectF top = r.adjusted(2.5, 1.5, -2.5, -4.5);
    drawCap(p, rounded(outer, 3), rounded(top, 2.5), modifier);
}

// The main Enter key: the union of its upper and lower part, an upside-down L.
void drawEnter(QPainter& p, const QRectF& upper, const QRectF& lower) {
    auto lshape = [&](qreal inL, qreal inT, qreal inR, qreal inB) {
        QPolygonF poly;
        poly << QPointF(upper.left() + inL, upper.top() + inT)
             << QPointF(upper.right() - inR, upper.top() + inT)
             << QPointF(upper.right() - inR, lower.bottom() - inB)
             << QPointF(lower.left() + inL, lower.bottom() - inB)
             << QPointF(lower.left() + inL, lower.top() + inT)
             << QPointF(upper.left() + inL, lower.top() + inT);
        QPainterPath path;
        path.addPolygon(poly);
        path.closeSubpath();
        return path;
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    drawCap(p, lshape(0, 0, 1, 1), lshape(3, 2, 3, 5), true);
    p.restore();
}

void drawText(QPainter& p, const QRectF& r, int flags, const QString& text, const QFont& f,
              const QColor& c) {
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, flags, text);
}

// The Windows key legend: a small four-pane window.
void drawWindowsLogo(QPainter& p, const QRectF& cap) {
    const QPointF c = cap.center() + QPointF(0, -2);
    const qreal s = 3.5;
    p.setPen(Qt::NoPen);
    p.setBrush(kLegend);
    for (int i = 0; i < 4; ++i) {
        const qreal x = c.x() + (i % 2 ? 0.6 : -s - 0.6);
        const qreal y = c.y() + (i / 2 ? 0.6 : -s - 0.6);
        p.drawRect(QRectF(x, y, s, s));
    }
}

// The menu key legend: a small list.
void drawMenuIcon(QPainter& p, const QRectF& cap) {
    const QPointF c = cap.center() + QPointF(0, -2);
    p.setPen(QPen(kLegend, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(c.x() - 5, c.y() - 6, 10, 12));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(c.x() - 3, c.y() - 3 + 3 * i), QPointF(c.x() + 3, c.y() - 3 + 3 * i));
}

bool isModifierCap(int vk) {
    // Letter, digit and punctuation keys get ivory caps; the rest the grey of the modifiers.
    return !((vk >= 48 && vk <= 57) || (vk >= 65 && vk <= 90) || (vk >= 186 && vk <= 192) ||
             (vk >= 219 && vk <= 222) || vk == 32);
}

void drawLegends(QPainter& p, const QRectF& r, const QString& label, const QString& sub,
                 const Fonts& fonts) {
    if (label.isEmpty() && sub.isEmpty()) return;
    const QRectF face = r.adjusted(4, 2, -4, -5);
    const QColor secondary(96, 98, 106);
    static const QString kArrows = QStringLiteral("←↑→↓");
    auto isArrow = [](const QString& s) { return s.size() == 1 && kArrows.contains(s); };
    // Every legend keeps to the top of the face: the program writes the key's note caption
    // across the lower half.
    if (isArrow(label)) {
        drawText(p, face.adjusted(0, -2, 0, 0), Qt::AlignLeft | Qt::AlignTop, label,
                 font(fonts.symbols, 12, true), kLegend);
        return;
    }
    if (label.size() <= 2) {
        // Letter keys: the legend top left, the Hangul or shifted sign top right, leaving the
        // lower half for the note caption drawn by the program.
        drawText(p, face, Qt::AlignLeft | Qt::AlignTop, label, font(fonts.koreanBold, 10, true),
                 kLegend);
    } else {
        // Word legends, small, top left; two lines when they do not fit on one.
        QString text = label;
        if (text.contains(' ')) text.replace(' ', '\n');
        qreal size = 8.5;
        QFont f = font(fonts.korean, size, true);
        auto width = [&] {
            qreal widest = 0;
            for (const QString& line : text.split('\n'))
                widest = std::max(widest, QFontMetricsF(f).horizontalAdvance(line));
            return widest;
        };
        if (text.contains('\n') && QFontMetricsF(f).horizontalAdvance(label) <= face.width())
            text = label;
        while (width() > face.width() + 1 && size > 6.5)
            f = font(fonts.korean, size -= 1, true);
        drawText(p, face, Qt::AlignLeft | Qt::AlignTop, text, f, kLegend);
    }
    if (sub.isEmpty()) return;
    // Beside a word legend (Backspace, Pause) the second legend takes the lower right corner:
    // those keys carry no note caption. Beside a digit or letter it shares the top.
    const bool beside = label.size() <= 2;
    const QRectF corner = beside ? face.adjusted(0, 0, 2, 0) : face.adjusted(0, 0, 0, 1);
    const Qt::Alignment align = Qt::AlignRight | (beside ? Qt::AlignTop : Qt::AlignBottom);
    if (isArrow(sub)) {
        drawText(p, beside ? corner.adjusted(0, -2, -1, 0) : corner, align, sub,
                 font(fonts.symbols, beside ? 10 : 9), secondary);
    } else if (sub.size() > 2) {
        // Number-pad navigation legends, narrowed to share the top with the digit.
        QFont f = font(fonts.korean, 7);
        if (beside) f.setStretch(QFont::Condensed);
        drawText(p, corner, align, sub, f, secondary);
    } else {
        const bool hangul = sub.front().unicode() >= 0x3131 && sub.front().unicode() <= 0x318E;
        drawText(p, face, Qt::AlignRight | Qt::AlignTop, sub,
                 font(hangul ? fonts.koreanBold : fonts.korean, hangul ? 10 : 9, hangul),
                 hangul ? kHangul : secondary);
    }
}

void drawIndicatorArea(QPainter& p, const QRectF& r, const Fonts& fonts) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(58, 62, 70));
    g.setColorAt(1, QColor(40, 43, 50));
    p.setPen(QPen(QColor(92, 96, 104), 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    // Three lamps; the first one lies under the spare shape shp_img(13).
    const Rect lamp = layout::placeOf("shp_img", 13);
    const QPointF first = toQ(lamp).center();
    static const char* kNames[3] = {"Num", "Caps", "Scroll"};
    for (int i = 0; i < 3; ++i) {
        const QPointF c = first + QPointF(40.0 * i, 0);
        QRadialGradient led(c, 4);
        led.setColorAt(0, QColor(150, 255, 150));
        led.setColorAt(1, QColor(30, 120, 40));
        p.setPen(QPen(QColor(20, 24, 28), 1));
        p.setBrush(led);
        p.drawEllipse(c, 3.5, 3.5);
        drawText(p, QRectF(c.x() + 6, r.top() + 2, 30, r.height() - 4),
                 Qt::AlignLeft | Qt::AlignVCenter, kNames[i], font(fonts.korean, 8),
                 QColor(210, 214, 220));
    }
}

}  // namespace

QImage drawKeyboard(const Fonts& fonts) {
    const Rect box = layout::keyboardPicture();
    QImage image(box.width, box.height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Window face and the recessed wells of the staff box, flash bar and piano.
    QLinearGradient face(0, 0, 0, box.height);
    face.setColorAt(0, QColor(214, 217, 222));
    face.setColorAt(1, kWindowFace);
    p.fillRect(image.rect(), face);
    for (const Rect& r : {layout::staffBox(), layout::placeOf("shp_BScr"), layout::pianoBox()}) {
        const QRectF well = toQ(r).adjusted(-2.5, -2.5, 2.5, 2.5);
        p.setPen(QPen(QColor(120, 124, 132), 1));
        p.setBrush(QColor(88, 92, 100));
        p.drawRoundedRect(well, 2, 2);
        p.setPen(QPen(QColor(236, 238, 242), 1));
        p.drawLine(well.bottomLeft() + QPointF(1, 1), well.bottomRight() + QPointF(1, 1));
        p.drawLine(well.topRight() + QPointF(1, 1), well.bottomRight() + QPointF(1, 1));
    }

    // The keyboard case around the keys.
    int right = 0, bottom = 0;
    for (const layout::KeyShape& k : layout::keyShapes()) {
        const Rect r = layout::pixelRect(k.left, k.top, k.width, k.height);
        right = std::max(right, r.left + r.width);
        bottom = std::max(bottom, r.top + r.height);
    }
    const QRectF body(2.5, 2.5, right + 6 - 2, bottom + 6 - 2);
    QLinearGradient caseGradient(body.topLeft(), body.bottomLeft());
    caseGradient.setColorAt(0, kCaseTop);
    caseGradient.setColorAt(1, kCaseBottom);
    p.setPen(QPen(QColor(96, 100, 108), 1));
    p.setBrush(caseGradient);
    p.drawRoundedRect(body, 6, 6);
    p.setPen(QPen(QColor(196, 200, 206), 1));
    p.drawLine(body.topLeft() + QPointF(6, 1), body.topRight() + QPointF(-6, 1));

    // Keys with a key code.
    for (const layout::KeyShape& k : layout::keyShapes()) {
        const QRectF r = toQ(layout::pixelRect(k.left, k.top, k.width, k.height));
        drawKey(p, r, isModifierCap(k.vk));
        drawLegends(p, r, QString::fromUtf8(k.label.data(), qsizetype(k.label.size())),
                    QString::fromUtf8(k.sub.data(), qsizetype(k.sub.size())), fonts);
    }
    // Keys without one, and the indicator area.
    QRectF enterUpper, enterLower;
    for (const layout::ImgShape& k : layout::imgShapes()) {
        const QRectF r = toQ(layout::pixelRect(k.left, k.top, k.width, k.height));
        const QString label = QString::fromUtf8(k.label.data(), qsizetype(k.label.size()));
        const QString sub = QString::fromUtf8(k.sub.data(), qsizetype(k.sub.size()));
        switch (k.index) {
            case 8:
                enterUpper = r;
                continue;
            case 9:
                enterLower = r;
                continue;
            case 13:
                continue;  // a lamp of the indicator area
            case 15:
                drawIndicatorArea(p, r, fonts);
                continue;
            default:
                break;
        }
        drawKey(p, r, label != "`");
        if (label == "Win")
            drawWindowsLogo(p, r);
        else if (label == "Menu")
            drawMenuIcon(p, r);
        else
            drawLegends(p, r, label, sub, fonts);
    }
    drawEnter(p, enterUpper, enterLower);
    drawLegends(p, enterUpper, "Enter", "", fonts);
    drawText(p, enterLower.adjusted(4, 0, -5, -5), Qt::AlignRight | Qt::AlignBottom, "↵",
             font(fonts.symbols, 13, true), kLegend);
    return image;
}

QImage drawPiano(const Fonts& fonts) {
    const Rect box = layout::pianoBox();
    QImage image(box.width, box.height, QImage::Format_RGB32);
    image.fill(QColor(30, 30, 34));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    for (const layout::PianoKey& k : layout::pianoKeys()) {
        if (k.black) continue;
        const QRectF r = toQ(k.rect);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(236, 236, 232));
        g.setColorAt(0.85, QColor(252, 252, 250));
        g.setColorAt(1, QColor(220, 220, 214));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(r.adjusted(0.5, -3, -0.5, -0.5), 2, 2);
        if (k.index % 12 == 0) {
            // Octave names on the C keys: C1 .. C7, middle C is C4.
            const QString name = QStringLiteral("C%1").arg((24 + k.index) / 12 - 1);
            p.setFont(font(fonts.korean, 7, k.index == 36));
            p.setPen(k.index == 36 ? QColor(180, 40, 40) : QColor(140, 140, 140));
            p.drawText(r.adjusted(0, 0, 0, -4), Qt::AlignHCenter | Qt::AlignBottom, name);
        }
    }
    for (const layout::PianoKey& k : layout::pianoKeys()) {
        if (!k.black) continue;
        const QRectF r = toQ(k.rect);
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, QColor(20, 20, 22));
        g.setColorAt(0.5, QColor(58, 58, 62));
        g.setColorAt(1, QColor(16, 16, 18));
        p.setPen(QPen(QColor(0, 0, 0), 1));
        p.setBrush(g);
        p.drawRoundedRect(r.adjusted(0.5, -3, -0.5, -0.5), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 96));
        p.drawRect(QRectF(r.left() + 2, r.bottom() - 7, r.width() - 4, 5));
    }
    // The felt strip along the top edge.
    QLinearGradient felt(0, 0, 0, 4);
    felt.setColorAt(0, QColor(110, 16, 24));
    felt.setColorAt(1, QColor(60, 8, 12));
    p.fillRect(QRectF(0, 0, box.width, 3), felt);
    return image;
}

}  // namespace muto::assets
