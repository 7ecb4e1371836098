// The animated GIFs of the "AnimationGif" folder: small loops drawn frame by frame with QPainter
// on a 16-colour palette and put together as one GIF89a that repeats for ever.
#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <array>

#include "anigif/gif_encoder.h"
#include "assets/pictures.h"

namespace muto::assets {

namespace {

constexpr int kSize = 64;

// 0x00RRGGBB; index 0 is the background.
const std::array<uint32_t, 16> kPalette = {
    0x10204A, 0xFFFFFF, 0xF4C430, 0xE0503C, 0x3CB371, 0x4A90E2, 0x9B59B6, 0xFF8C00,
    0x202020, 0x7F8C8D, 0xB0C4DE, 0xFFD1DC, 0x2E8B57, 0x87CEEB, 0xC0392B, 0x000000};

uint8_t nearestIndex(QRgb c) {
    int best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < kPalette.size(); ++i) {
        const long dr = qRed(c) - static_cast<long>(kPalette[i] >> 16 & 0xFF);
        const long dg = qGreen(c) - static_cast<long>(kPalette[i] >> 8 & 0xFF);
        const long db = qBlue(c) - static_cast<long>(kPalette[i] & 0xFF);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return static_cast<uint8_t>(best);
}

QColor colour(int index) {
    return QColor::fromRgb(kPalette[static_cast<std::size_t>(index)]);
}

void put16(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// Frames of kSize x kSize, each shown for delayMs, looping for ever.
std::vector<uint8_t> assemble(const std::vector<QImage>& frames, int delayMs) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    put16(out, kSize);
    put16(out, kSize);
    out.insert(out.end(), {0xF3, 0, 0});  // global table of 16 entries
    for (uint32_t c : kPalette)
        out.insert(out.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                               static_cast<uint8_t>(c)});
    const char* loop = "NETSCAPE2.0";
    out.insert(out.end(), {0x21, 0xFF, 11});
    out.insert(out.end(), loop, loop + 11);
    out.insert(out.end(), {3, 1, 0, 0, 0});
    const std::vector<uint32_t> palette(kPalette.begin(), kPalette.end());
    for (const QImage& frame : frames) {
        const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
        std::vector<uint8_t> indices;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                indices.push_back(nearestIndex(rgb.pixel(x, y)));
        out.insert(out.end(), {0x21, 0xF9, 4, 1 << 2});
        put16(out, delayMs / 10);
        out.insert(out.end(), {0, 0});
        const auto one = anigif::encodeIndexedGif(kSize, kSize, indices.data(), kSize, palette);
        // The image descriptor and its data, after the encoder's header and 256-entry table.
        out.insert(out.end(), one.begin() + static_cast<std::ptrdiff_t>(anigif::kGifImageOffset),
                   one.end() - 1);
    }
    out.push_back(0x3B);
    return out;
}

QImage blank() {
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(colour(0));
    return image;
}

// An eighth note hopping along a staff line, changing colour.
std::vector<uint8_t> bouncingNote() {
    std::vector<QImage> frames;
    const int count = 12;
    for (int k = 0; k < count; ++k) {
        QImage image = blank();
        QPainter p(&image);
        p.setPen(QPen(colour(10), 1));
        for (int line = 0; line < 5; ++line)
            p.drawLine(0, 20 + 7 * line, kSize, 20 + 7 * line);
        const double phase = 2 * M_PI * k / count;
        const int x = 10 + (k * 44) / (count - 1);
        const int y = 40 - static_cast<int>(18 * std::fabs(std::sin(phase)));
        const int c = 2 + (k / 3) % 4;
        p.setPen(Qt::NoPen);
        p.setBrush(colour(c));
        p.drawEllipse(QPoint(x, y), 6, 5);
        p.fillRect(x + 4, y - 22, 3, 22, colour(c));
        QPainterPath flag;
        flag.moveTo(x + 7, y - 22);
        flag.cubicTo(x + 14, y - 18, x + 16, y - 12, x + 11, y - 6);
        flag.lineTo(x + 7, y - 14);
        flag.closeSubpath();
        p.drawPath(flag);
        frames.push_back(image);
    }
    return assemble(frames, 100);
}

// A metronome's pendulum swinging from side to side.
std::vector<uint8_t> metronome() {
    std::vector<QImage> frames;
    const int count = 16;
    for (int k = 0; k < count; ++k) {
        QImage image = blank();
        QPainter p(&image);
        p.setPen(Qt::NoPen);
        p.setBrush(colour(7));
        p.drawPolygon(QPolygon({QPoint(20, 60), QPoint(44, 60), QPoint(36, 8), QPoint(28, 8)}));
        const double angle = 0.6 * std::sin(2 * M_PI * k / count);
        const QPointF pivot(32, 54);
        const QPointF tip(pivot.x() + 44 * std::sin(angle), pivot.y() - 44 * std::cos(angle));
        p.setPen(QPen(colour(1), 3));
        p.drawLine(pivot, tip);
        p.setPen(Qt::NoPen);
        p.setBrush(colour(k % 8 < 4 ? 3 : 5));
        const QPointF weight = pivot + (tip - pivot) * 0.55;
        p.drawRect(QRectF(weight.x() - 5, weight.y() - 4, 10, 8));
        frames.push_back(image);
    }
    return assemble(frames, 60);
}

// Equaliser bars rising and falling.
std::vector<uint8_t> equaliser() {
    std::vector<QImage> frames;
    const int count = 10;
    const std::array<int, 6> speed = {1, 3, 2, 4, 1, 3};
    for (int k = 0; k < count; ++k) {
        QImage image = blank();
        QPainter p(&image);
        for (int b = 0; b < 6; ++b) {
            const double v = 0.5 + 0.5 * std::sin(2 * M_PI * (k * speed[b]) / count + b);
            const int h = 6 + static_cast<int>(48 * v);
            p.fillRect(4 + 10 * b, 60 - h, 8, h, colour(b % 2 ? 4 : 12));
            p.fillRect(4 + 10 * b, 60 - h, 8, 3, colour(2));
        }
        frames.push_back(image);
    }
    return assemble(frames, 80);
}

}  // namespace

std::vector<std::pair<QString, std::vector<uint8_t>>> drawAnimations() {
    return {{"notes.gif", bouncingNote()},
            {"metronome.gif", metronome()},
            {"equaliser.gif", equaliser()}};
}

}  // namespace muto::assets
