// One-line captions laid out once and drawn many times. Drawing a caption with
// QPainter::drawText shapes its text again on every paint; here each text is shaped the first
// time it is drawn and kept, and drawn with the same placement and the same glyph path, so the
// pixels are those drawText(box, align | Qt::TextDontClip | Qt::TextSingleLine, text) gives.
#pragma once

#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <memory>

class QPainter;
class QPaintDevice;
class QTextLayout;

namespace muto::qt {

class CaptionText {
public:
    // Captions are in `font`, plain or bold; `device` resolves the font as a painter on it does.
    CaptionText(QPaintDevice* device, const QFont& font);
    ~CaptionText();
    CaptionText(const CaptionText&) = delete;
    CaptionText& operator=(const CaptionText&) = delete;

    // Draws `text` in `box` with the painter's pen, aligned by `align` (Qt::Alignment flags).
    void draw(QPainter& p, const QRect& box, int align, const QString& text, bool bold);
    // The pixels a draw can touch: the text may reach beyond its box.
    QRect area(const QRect& box, int align, const QString& text, bool bold);
    const QFont& font(bool bold) const { return bold ? bold_ : regular_; }

private:
    struct Laid;
    const Laid& laid(const QString& text, bool bold);
    QPointF origin(const Laid& l, const QRect& box, int align) const;

    QPaintDevice* device_;
    QFont regular_;
    QFont bold_;
    QHash<QString, std::shared_ptr<Laid>> cache_;
};

}  // namespace muto::qt
