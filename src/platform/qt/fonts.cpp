#include "platform/qt/fonts.h"

#include <QApplication>
#include <QFontDatabase>

namespace muto::qt {

namespace {

QString& family() {
    static QString f = QStringLiteral("NanumGothic");
    return f;
}

}  // namespace

QString installFonts() {
    static const char* const kFiles[] = {
        "/usr/share/fonts/truetype/nanum/NanumGothic.ttf",
        "/usr/share/fonts/truetype/nanum/NanumGothicBold.ttf",
    };
    QString found;
    for (const char* file : kFiles) {
        const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(file));
        if (id < 0 || !found.isEmpty()) continue;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) found = families.front();
    }
    if (!found.isEmpty()) family() = found;
    QApplication::setFont(uiFont(12));
    return family();
}

QFont uiFont(int pixelSize, bool bold) {
    QFont font(family());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace muto::qt
