// The Korean user-interface font, loaded from its file rather than left to fontconfig's guess.
#pragma once

#include <QFont>
#include <QString>

namespace muto::qt {

// Registers NanumGothic (regular and bold) with the application and makes it the default font.
// Returns the family name in use (a fallback family when the font files are missing).
QString installFonts();

// The interface font at a pixel size.
QFont uiFont(int pixelSize, bool bold = false);

}  // namespace muto::qt
