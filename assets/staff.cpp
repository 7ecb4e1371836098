// The fifteen key-signature pictures of the note-marker box: a treble staff whose lines lie where
// the staff markers put the notes, with the clef and the key signature left of the markers.
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

#include "assets/pictures.h"
#include "form/layout.h"

namespace muto::assets {

namespace {

namespace layout = muto::layout;

constexpr int kSharpCount[15] = {0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0};
constexpr int kFlatCount[15] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7};
const char* const kKeyNames[15] = {
    "C 다장조",      "G 사장조",      "D 라장조",      "A 가장조",      "E 마장조",
    "B 나장조",      "F# 올림바장조", "C# 올림다장조", "F 바장조",      "Bb 내림나장조",
    "Eb 내림마장조", "Ab 내림가장조", "Db 내림라장조", "Gb 내림사장조", "Cb 내림다장조"};

// Staff steps above E4 (the bottom line) of the accidentals in signature order.
constexpr std::array<int, 7> kSharpSteps = {8, 5, 9, 6, 3, 7, 4};  // F5 C5 G5 D5 A4 E5 B4
constexpr std::array<int, 7> kFlatSteps = {4, 7, 3, 6, 2, 5, 1};   // B4 E5 A4 D5 G4 C5 F4

constexpr int kBottomLine = layout::kStaffLineTop + 4 * layout::kStaffLineGap;  // E4, y = 60

qreal stepY(int step) {
    return kBottomLine - step * layout::kStaffLineGap / 2.0;
}

// A glyph of the music font as a path, scaled so that its bounding box is `height` high.
QPainterPath glyph(const QString& family, char32_t code, qreal pixelSize) {
    QFont f(family);
    f.setPixelSize(qRound(pixelSize));
    QPainterPath path;
    path.addText(0, 0, f, QString::fromUcs4(&code, 1));
    return path;
}

// A drawn treble clef, used when the music font is missing.
QPainterPath drawnClef() {
    QPainterPath path;
    const qreal g = stepY(1);  // the G line
    path.moveTo(22, g + 24);
    path.cubicTo(14, g + 28, 12, g + 18, 18, g + 18);
    path.moveTo(20, g + 26);
    path.cubicTo(20, g, 20, g - 20, 20, g - 34);
    path.cubicTo(30, g - 28, 28, g - 18, 14, g - 8);
    path.cubicTo(6, g - 2, 8, g + 10, 20, g + 10);
    path.cubicTo(30, g + 10, 30, g - 2, 22, g - 2);
    path.cubicTo(16, g - 2, 16, g + 4, 20, g + 4);
    return path;
}

void drawSharp(QPainter& p, qreal x, qreal y) {
    // Two stems and two thick rising bars, centred on the staff position y.
    p.setPen(QPen(Qt::black, 1.1));
    p.drawLine(QPointF(x + 2, y - 9), QPointF(x + 2, y + 8));
    p.drawLine(QPointF(x + 5.5, y - 10), QPointF(x + 5.5, y + 7));
    QPainterPath bars;
    for (qreal dy : {-3.2, 3.2}) {
        bars.moveTo(x, y + dy + 1.2);
        bars.lineTo(x + 7.5, y + dy - 1.0);
        bars.lineTo(x + 7.5, y + dy + 1.2);
        bars.lineTo(x, y + dy + 3.4);
        bars.closeSubpath();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(bars.translated(0, -1.1));
}

void drawFlat(QPainter& p, qreal x, qreal y) {
    // A stem rising above the position and a bowl whose middle sits on it.
    p.setPen(QPen(Qt::black, 1.2));
    p.drawLine(QPointF(x + 1, y - 12), QPointF(x + 1, y + 4));
    QPainterPath bowl;
    bowl.moveTo(x + 1, y + 4);
    bowl.cubicTo(x + 5, y + 1, x + 8.5, y - 2.5, x + 6.5, y - 3.5);
    bowl.cubicTo(x + 5, y - 4.2, x + 2.5, y - 2.5, x + 1, y - 0.5);
    bowl.cubicTo(x + 2.5, y - 1.6, x + 4.6, y - 2.4, x + 5.2, y - 1.8);
    bowl.cubicTo(x + 6, y - 0.8, x + 3.6, y + 1.8, x + 1, y + 3.2);
    p.setPen(QPen(Qt::black, 0.6));
    p.setBrush(Qt::black);
    p.drawPath(bowl);
}

// A sharp or flat from the music font, centred on the staff position y (a flat's bowl sits on
// it), or the drawn one when the font is missing.
void drawAccidental(QPainter& p, const Fonts& fonts, bool sharp, qreal x, qreal y) {
    QPainterPath g;
    if (!fonts.music.isEmpty()) g = glyph(fonts.music, sharp ? 0x266F : 0x266D, 40);
    if (g.boundingRect().height() < 10) {
        sharp ? drawSharp(p, x, y) : drawFlat(p, x, y);
        return;
    }
    const QRectF b = g.boundingRect();
    const qreal height = sharp ? 20 : 18;
    const qreal scale = height / b.height();
    const qreal top = sharp ? y - height / 2 : y + 0.30 * height - height;
    QTransform t;
    t.translate(x - b.left() * scale, top - b.top() * scale);
    t.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(t.map(g));
}

}  // namespace

QString keySignatureFile(int sig) {
    if (sig <= 0 || sig > 14) return QStringLiteral("cmr.gif");
    return sig <= 7 ? QStringLiteral("s%1r.gif").arg(sig) : QStringLiteral("b%1r.gif").arg(sig - 7);
}

QImage drawKeySignature(const Fonts& fonts, int sig) {
    sig = std::clamp(sig, 0, 14);
    const Rect box = layout::staffBox();
    QImage image(box.width, box.height, QImage::Format_RGB32);
    image.fill(QColor(253, 252, 246));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Staff lines across the whole box, so the markers at the right stand on them.
    p.setPen(QPen(QColor(40, 40, 40), 1));
    for (int i = 0; i < 5; ++i) {
        const qreal y = layout::kStaffLineTop + i * layout::kStaffLineGap + 0.5;
        p.drawLine(QPointF(4, y), QPointF(box.width, y));
    }
    p.drawLine(QPointF(4.5, layout::kStaffLineTop), QPointF(4.5, kBottomLine + 1));

    // Treble clef: the FreeSerif glyph scaled to 2.6 staff heights with its curl on the G line.
    QPainterPath clef;
    if (!fonts.music.isEmpty()) clef = glyph(fonts.music, 0x1D11E, 40);
    if (clef.isEmpty() || clef.boundingRect().height() < 10) {
        clef = drawnClef();
    } else {
        const QRectF b = clef.boundingRect();
        // Seven staff spaces high, hanging 1.7 spaces below the bottom line, which puts the
        // spiral on the G line.
        const qreal space = layout::kStaffLineGap;
        const qreal scale = 7.2 * space / b.height();
        QTransform t;
        t.translate(8 - b.left() * scale, kBottomLine + 1.7 * space - b.bottom() * scale);
        t.scale(scale, scale);
        clef = t.map(clef);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(clef);

    const int sharps = kSharpCount[sig];
    const int flats = kFlatCount[sig];
    const qreal x0 = 34;
    const qreal pitch = 8.8;
    for (int i = 0; i < sharps; ++i)
        drawAccidental(p, fonts, true, x0 + pitch * i, stepY(kSharpSteps[size_t(i)]));
    for (int i = 0; i < flats; ++i)
        drawAccidental(p, fonts, false, x0 + pitch * i, stepY(kFlatSteps[size_t(i)]));

    // The key's name under the staff, left of the marker column.
    QFont f(fonts.korean.isEmpty() ? QStringLiteral("Sans") : fonts.korean);
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(QColor(110, 110, 110));
    p.drawText(QRectF(6, box.height - 18, layout::kMarkerLeft - 10, 14),
               Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(kKeyNames[sig]));
    return image;
}

}  // namespace muto::assets
