// The default pictures of the program folder, drawn with QPainter from the window layout table so
// that every key drawn lies exactly under its key shape.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

namespace muto::assets {

// Font families loaded from their files (empty when a file could not be loaded).
struct Fonts {
    QString korean;  // NanumGothic: Korean and Latin legends
    QString koreanBold;
    QString music;    // FreeSerif: the treble clef and the accidentals
    QString symbols;  // FreeSans: arrows on the keys
};

QImage drawKeyboard(const Fonts& fonts);      // CKeyboard.gif, the window background
QImage drawPiano(const Fonts& fonts);         // PKeyboard.gif, pic_CircleTouch
QImage drawControlPanel(const Fonts& fonts);  // ControlPanel.gif, img_ControlPanel
// Key-signature picture for Picture1; sig is the cmb_key list index 0..14.
QImage drawKeySignature(const Fonts& fonts, int sig);
// File name of the key-signature picture of list index sig ("cmr.gif", "s1r.gif" ...).
QString keySignatureFile(int sig);

// The animated GIFs of the "AnimationGif" folder: file name and GIF bytes.
std::vector<std::pair<QString, std::vector<uint8_t>>> drawAnimations();

// The whole tall window with rough stand-ins for its controls, for checking by eye.
QImage drawPreview(const Fonts& fonts);

// The application icon at size x size pixels, and the same drawing as a scalable SVG document.
QImage drawIcon(int size);
QByteArray iconSvg();

// Reduces an image to at most 256 colours (exact when it has no more, median cut otherwise)
// and encodes it as a one-frame GIF.
std::vector<uint8_t> encodeGif(const QImage& image);

}  // namespace muto::assets
