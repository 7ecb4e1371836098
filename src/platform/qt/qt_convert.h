// Text and colours between the model and Qt.
#pragma once

#include <QColor>
#include <QString>
#include <string>

#include "form/controls.h"

namespace muto::qt {

inline QString text(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

// A Windows colour value as Qt shows it; system colours through the classic table.
inline QColor colour(Colour c) {
    const Colour rgb = resolveColour(c);
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

inline Colour colourOf(const QColor& c) {
    return rgb(c.red(), c.green(), c.blue());
}

}  // namespace muto::qt
