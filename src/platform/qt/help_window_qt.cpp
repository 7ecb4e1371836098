#include "platform/qt/help_window_qt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "form/help_text.h"
#include "form/help_window.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_convert.h"

namespace muto::qt {

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 456;
constexpr int kPageTop = 40;
constexpr int kPageHeight = 356;

QString str(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QLabel* label(QWidget* parent, const QString& text, const QRect& r, int px, bool bold = false) {
    auto* l = new QLabel(text, parent);
    l->setFont(uiFont(px, bold));
    l->setGeometry(r);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

}  // namespace

QPixmap HelpWindowView::aboutPicture() {
    // Three octaves of piano keys with a pair of eighth notes above them.
    QPixmap pm(120, 96);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF keys(4, 46, 112, 46);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    const double w = keys.width() / 14;
    for (int i = 0; i < 14; ++i)
        p.drawRect(QRectF(keys.left() + i * w, keys.top(), w, keys.height()));
    p.setBrush(QColor(30, 30, 34));
    for (int i = 0; i < 14; ++i) {
        const int inOctave = i % 7;
        if (inOctave == 2 || inOctave == 6) continue;  // no black key after E and B
        p.drawRect(
            QRectF(keys.left() + (i + 1) * w - w * 0.3, keys.top(), w * 0.6, keys.height() * 0.6));
    }
    // The notes: two heads, two stems and a beam.
    const QColor ink(40, 70, 160);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(30, 30, 14, 10));
    p.drawEllipse(QRectF(70, 24, 14, 10));
    p.setPen(QPen(ink, 2.5));
    p.drawLine(QPointF(43, 35), QPointF(43, 6));
    p.drawLine(QPointF(83, 29), QPointF(83, 2));
    QPainterPath beam;
    beam.moveTo(43, 6);
    beam.lineTo(83, 1);
    beam.lineTo(83, 8);
    beam.lineTo(43, 13);
    beam.closeSubpath();
    p.fillPath(beam, ink);
    return pm;
}

HelpWindowView::HelpWindowView(HelpWindow& model, QWidget* owner)
    : QWidget(owner, Qt::Window), model_(model) {
    setWindowTitle(QString::fromUtf8(HelpWindow::kCaption));
    setFixedSize(kWidth, kHeight);
    setFont(uiFont(12));

    const char* captions[2] = {"이 프로그램은...", "단축키 정보"};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(captions[i]), this);
        b->setGeometry(12 + i * 150, 10, 140, 22);
        connect(b, &QRadioButton::clicked, this, [this, i] { model_.Option1_Click(i); });
        options_[i] = b;
    }

    const QRect page(12, kPageTop, kWidth - 24, kPageHeight);
    about_ = new QWidget(this);
    about_->setGeometry(page);
    auto* picture = new QLabel(about_);
    picture->setPixmap(aboutPicture());
    picture->setGeometry(0, 4, 120, 96);
    label(about_, str(help::kProgramName), {134, 14, 220, 26}, 20, true);
    label(about_,
          QStringLiteral("버전 %1").arg(QApplication::applicationVersion().isEmpty()
                                            ? QStringLiteral("0.1.0")
                                            : QApplication::applicationVersion()),
          {134, 44, 220, 18}, 12);
    label(about_, str(help::kAuthorLine), {134, 66, 220, 18}, 12);
    label(about_, str(help::kCreatedLine), {134, 86, 220, 18}, 12);
    label(about_, str(help::kDescription), {4, 124, page.width() - 8, 120}, 13);

    text1_ = new QPlainTextEdit(this);
    text1_->setGeometry(page);
    text1_->setReadOnly(true);
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("NanumGothicCoding"));
    mono.setPixelSize(13);
    text1_->setFont(mono);
    text1_->hide();

    close_ = new QPushButton(QString::fromUtf8("닫 기"), this);
    close_->setGeometry(kWidth - 102, kHeight - 44, 90, 30);
    connect(close_, &QPushButton::clicked, this, [this] { model_.Command1_Click(); });

    model_.onChange = [this] { sync(); };
    sync();
}

HelpWindowView::~HelpWindowView() {
    model_.onChange = nullptr;
}

void HelpWindowView::sync() {
    if (!model_.loaded()) {
        shownCount_ = model_.showCount();
        hide();
        return;
    }
    for (int i = 0; i < 2; ++i) {
        const bool selected = model_.option() == i;
        if (options_[i]->isChecked() != selected) options_[i]->setChecked(selected);
    }
    // The model keeps the lines as the text box holds them, with CR LF between them.
    QString t = text(model_.text1());
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text1_->toPlainText() != t) text1_->setPlainText(t);
    text1_->setVisible(model_.text1Visible());
    about_->setVisible(!model_.text1Visible());
    if (model_.showCount() != shownCount_) {
        shownCount_ = model_.showCount();
        show();
        raise();
        activateWindow();
    }
}

void HelpWindowView::closeEvent(QCloseEvent* event) {
    // Closing from the title bar unloads the window as its own button does.
    event->accept();
    if (model_.loaded()) model_.Command1_Click();
}

}  // namespace muto::qt
