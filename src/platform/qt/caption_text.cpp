#include "platform/qt/caption_text.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace muto::qt {

namespace {

// Texts come and go with key sets and key signatures; a cache this large holds every caption
// of the window many times over.
constexpr qsizetype kMaxTexts = 2048;

}  // namespace

struct CaptionText::Laid {
    std::unique_ptr<QTextLayout> layout;
    qreal advance = 0;
    qreal height = 0;
    QRectF ink;  // the glyphs' bounds, from the line's top-left corner
};

CaptionText::CaptionText(QPaintDevice* device, const QFont& font)
    : device_(device), regular_(font), bold_(font) {
    regular_.setBold(false);
    bold_.setBold(true);
}

CaptionText::~CaptionText() = default;

const CaptionText::Laid& CaptionText::laid(const QString& text, bool bold) {
    const QString key = (bold ? QLatin1Char('b') : QLatin1Char('r')) + text;
    const QFont& font = this->font(bold);
    auto it = cache_.find(key);
    if (it != cache_.end()) return **it;
    if (cache_.size() >= kMaxTexts) cache_.clear();

    // One line, no wrapping, as drawText lays out a single-line text.
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    auto l = std::make_shared<Laid>();
    l->layout = std::make_unique<QTextLayout>(line, font, device_);
    l->layout->setCacheEnabled(true);
    QTextOption option;
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    l->layout->setTextOption(option);
    l->layout->beginLayout();
    QTextLine tl = l->layout->createLine();
    if (tl.isValid()) {
        tl.setLineWidth(0x01000000);
        tl.setPosition(QPointF(0, 0));
        l->advance = tl.horizontalAdvance();
        l->height = tl.ascent() + tl.descent();
        const QFontMetricsF metrics(font, device_);
        l->ink = metrics.boundingRect(line).translated(0, tl.ascent());
    }
    l->layout->endLayout();
    return **cache_.insert(key, std::move(l));
}

QPointF CaptionText::origin(const Laid& l, const QRect& box, int align) const {
    qreal x = 0;
    qreal y = 0;
    if (align & Qt::AlignRight)
        x = box.width() - l.advance;
    else if (align & Qt::AlignHCenter)
        x = (box.width() - l.advance) / 2;
    if (align & Qt::AlignBottom)
        y = box.height() - l.height;
    else if (align & Qt::AlignVCenter)
        y = (box.height() - l.height) / 2;
    return QPointF(box.x() + x, box.y() + y);
}

void CaptionText::draw(QPainter& p, const QRect& box, int align, const QString& text, bool bold) {
    const Laid& l = laid(text, bold);
    if (l.layout->lineCount() == 0) return;
    l.layout->lineAt(0).draw(&p, origin(l, box, align));
}

QRect CaptionText::area(const QRect& box, int align, const QString& text, bool bold) {
    const Laid& l = laid(text, bold);
    const QPointF at = origin(l, box, align);
    const QRectF line(at, QSizeF(l.advance, l.height));
    // Two pixels more on every side for antialiased edges and rounding.
    return line.united(l.ink.translated(at)).toAlignedRect().adjusted(-2, -2, 2, 2);
}

}  // namespace muto::qt
