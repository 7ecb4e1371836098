// muto-assets OUTDIR [--png]: draws the default pictures of the program folder into OUTDIR
// (CKeyboard.gif, PKeyboard.gif, ControlPanel.gif, the fifteen key-signature pictures, and the
// animated GIFs of the AnimationGif folder).
// --png also writes a PNG beside each GIF, and preview.png, the whole window with stand-ins for
// its controls, for looking at the pictures.
// muto-assets --icons OUTDIR: draws the application icon as an icon theme tree under OUTDIR:
// hicolor/scalable/apps/muto.svg and hicolor/NxN/apps/muto.png.
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

// The icon in every size the desktop asks for, at the places of the hicolor theme.
int writeIcons(const QString& root) {
    bool ok = true;
    const QString scalable = root + "/hicolor/scalable/apps";
    QDir().mkpath(scalable);
    QFile svg(scalable + "/muto.svg");
    const QByteArray doc = muto::assets::iconSvg();
    ok = svg.open(QIODevice::WriteOnly | QIODevice::Truncate) && svg.write(doc) == doc.size();
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(size);
        ok = QDir().mkpath(dir) && muto::assets::drawIcon(size).save(dir + "/muto.png") && ok;
    }
    if (!ok)
        std::fprintf(stderr, "muto-assets: cannot write the icons into %s\n", qPrintable(root));
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--icons") return writeIcons(args[2]);
    if (args.size() < 2 || args[1].startsWith("-")) {
        std::fprintf(stderr, "usage: muto-assets OUTDIR [--png] | --icons OUTDIR\n");
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
