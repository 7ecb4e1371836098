// The application icon: a rounded blue tile with four piano keys and an eighth note. One table of
// shapes on a 256-unit square is both written out as the scalable SVG and painted into the PNGs,
// so every size shows the same drawing.
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <vector>

#include "assets/pictures.h"

namespace muto::assets {

namespace {

constexpr double kUnits = 256.0;

struct Shape {
    enum Kind { RoundRect, Ellipse, Polygon } kind;
    QColor fill;
    // RoundRect: x, y, width, height, corner radius. Ellipse: centre x, centre y, radius x,
    // radius y, rotation in degrees. Polygon: the points as x, y pairs.
    std::vector<double> v;
};

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> table = [] {
        std::vector<Shape> s;
        const QColor tile(0x2b, 0x4c, 0x7e), white(0xfb, 0xfb, 0xf7), black(0x1c, 0x1c, 0x22),
            note(0xf5, 0xb8, 0x3d);
        s.push_back({Shape::RoundRect, tile, {12, 12, 232, 232, 44}});
        // Four white keys (C D E F) and the two black keys between them.
        for (int i = 0; i < 4; ++i)
            s.push_back({Shape::RoundRect, white, {40.0 + 45 * i, 136, 41, 88, 6}});
        for (int i = 1; i <= 2; ++i)
            s.push_back({Shape::RoundRect, black, {40.0 + 45 * i - 15.5, 136, 27, 52, 4}});
        // The eighth note: head, stem and flag.
        s.push_back({Shape::Ellipse, note, {118, 96, 25, 18, -22}});
        s.push_back({Shape::RoundRect, note, {135, 30, 9, 68, 3}});
        s.push_back({Shape::Polygon, note, {135, 30, 144, 30, 186, 62, 180, 84, 144, 58}});
        return s;
    }();
    return table;
}

QString colourName(const QColor& c) {
    return c.name(QColor::HexRgb);
}

QString number(double v) {
    return QString::number(v, 'g', 6);
}

}  // namespace

QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kUnits, size / kUnits);
    p.setPen(Qt::NoPen);
    for (const Shape& s : shapes()) {
        p.setBrush(s.fill);
        const std::vector<double>& v = s.v;
        switch (s.kind) {
            case Shape::RoundRect:
                p.drawRoundedRect(QRectF(v[0], v[1], v[2], v[3]), v[4], v[4]);
                break;
            case Shape::Ellipse:
                p.save();
                p.translate(v[0], v[1]);
                p.rotate(v[4]);
                p.drawEllipse(QPointF(0, 0), v[2], v[3]);
                p.restore();
                break;
            case Shape::Polygon: {
                QPolygonF poly;
                for (size_t i = 0; i + 1 < v.size(); i += 2)
                    poly << QPointF(v[i], v[i + 1]);
                p.drawPolygon(poly);
                break;
            }
        }
    }
    p.end();
    return image;
}

QByteArray iconSvg() {
    QString svg = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n");
    for (const Shape& s : shapes()) {
        const std::vector<double>& v = s.v;
        const QString fill = colourName(s.fill);
        switch (s.kind) {
            case Shape::RoundRect:
                svg += QStringLiteral(
                           "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" "
                           "fill=\"%6\"/>\n")
                           .arg(number(v[0]), number(v[1]), number(v[2]), number(v[3]),
                                number(v[4]), fill);
                break;
            case Shape::Ellipse:
                svg += QStringLiteral(
                           "  <ellipse cx=\"0\" cy=\"0\" rx=\"%1\" ry=\"%2\" "
                           "transform=\"translate(%3 %4) rotate(%5)\" fill=\"%6\"/>\n")
                           .arg(number(v[2]), number(v[3]), number(v[0]), number(v[1]),
                                number(v[4]), fill);
                break;
            case Shape::Polygon: {
                QStringList points;
                for (size_t i = 0; i + 1 < v.size(); i += 2)
                    points << number(v[i]) + "," + number(v[i + 1]);
                svg += QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"/>\n")
                           .arg(points.join(' '), fill);
                break;
            }
        }
    }
    svg += "</svg>\n";
    return svg.toUtf8();
}

}  // namespace muto::assets
