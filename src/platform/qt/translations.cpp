#include "platform/qt/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace muto::qt {

bool installKoreanTranslation() {
    // Dialogs format dates and sizes by the default locale: Korean too, so they read alike.
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    static QTranslator translator;
    if (!translator.load(QStringLiteral("qtbase_ko"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

}  // namespace muto::qt
