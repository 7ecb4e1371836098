// muto-assets OUTDIR [--png]: draws the default pictures of the program folder into OUTDIR
// (CKeyboard.gif, PKeyboard.gif, ControlPanel.gif, the fifteen key-signature pictures, and the
// animated GIFs of the AnimationGif folder).
// --png also writes a PNG beside each GIF, and preview.png, the whole window with stand-ins for
// its controls, for looking at the pictures.
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <cstdio>

#include "assets/pictures.h"

namespace {

constexpr const char* kNanumGothic = "/usr/share/fonts/truetype/nanum/NanumGothic.ttf";
constexpr const char* kNanumGothicBold = "/usr/share/fonts/truetype/nanum/NanumGothicBold.ttf";
constexpr const char* kFreeSerif = "/usr/share/fonts/truetype/freefont/FreeSerif.ttf";
constexpr const char* kFreeSans = "/usr/share/fonts/truetype/freefont/FreeSans.ttf";

QString loadFont(const char* path) {
    const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(path));
    const QStringList families =
        id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (families.isEmpty()) {
        std::fprintf(stderr, "muto-assets: cannot load font %s; using the default font\n", path);
        return {};
    }
    return families.front();
}

bool write(const QString& dir, const QString& name, const QImage& image, bool png) {
    const std::vector<uint8_t> gif = muto::assets::encodeGif(image);
    QFile file(dir + "/" + name);
    if (gif.empty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(gif.data()), qint64(gif.size())) !=
            qint64(gif.size())) {
        std::fprintf(stderr, "muto-assets: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    if (png) image.save(dir + "/" + QString(name).replace(".gif", ".png"));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args[1].startsWith("-")) {
        std::fprintf(stderr, "usage: muto-assets OUTDIR [--png]\n");
        return 2;
    }
    const QString dir = args[1];
    const bool png = args.contains("--png");

    muto::assets::Fonts fonts;
    fonts.korean = loadFont(kNanumGothic);
    fonts.koreanBold = loadFont(kNanumGothicBold);
    fonts.music = loadFont(kFreeSerif);
    fonts.symbols = loadFont(kFreeSans);

    bool ok = write(dir, "CKeyboard.gif", muto::assets::drawKeyboard(fonts), png);
    ok = write(dir, "PKeyboard.gif", muto::assets::drawPiano(fonts), png) && ok;
    ok = write(dir, "ControlPanel.gif", muto::assets::drawControlPanel(fonts), png) && ok;
    for (int sig = 0; sig < 15; ++sig)
        ok = write(dir, muto::assets::keySignatureFile(sig),
                   muto::assets::drawKeySignature(fonts, sig), png) &&
             ok;
    QDir().mkpath(dir + "/AnimationGif");
    for (const auto& [name, gif] : muto::assets::drawAnimations()) {
        QFile file(dir + "/AnimationGif/" + name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(gif.data()), qint64(gif.size())) !=
                qint64(gif.size())) {
            std::fprintf(stderr, "muto-assets: cannot write %s\n", qPrintable(file.fileName()));
            ok = false;
        }
    }
    if (png) muto::assets::drawPreview(fonts).save(dir + "/preview.png");
    return ok ? 0 : 1;
}
