// The platform services of the model, done with Qt: message boxes and the open, save and colour
// dialogs, picture checking and loading, and the wall clock.
#pragma once

#include <QHash>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "form/services.h"

namespace muto::qt {

// "Text|*.a;*.b|Other|*.c" → "Text (*.a *.b);;Other (*.c)".
QString qtFileFilter(const std::string& filter);

class QtDialogs : public Dialogs {
public:
    // Dialogs are centred on this window (none before it exists).
    void setParent(QWidget* parent) { parent_ = parent; }
    // The program is ending without its user: from now on a message goes to standard error
    // and is answered at once as if its box were closed, and an open box is closed.
    void endInteraction();

    MsgResult messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    std::optional<uint32_t> chooseColour(uint32_t initial, int flags) override;

private:
    std::optional<std::string> fileDialog(const FileDialogRequest& request, bool save);
    QPointer<QWidget> parent_;
    bool interactive_ = true;
};

// Checks and loads BMP, JPEG and GIF pictures. Pictures are kept once loaded, so the view draws
// what the check read.
class QtPictureLoader : public PictureLoader {
public:
    PictureStatus probe(const std::string& path) override;
    // The picture of a file (first frame of a GIF); a null image when it cannot be read.
    QImage image(const std::string& path);

private:
    struct Cached {
        qint64 modified = 0;
        qint64 size = 0;
        QImage image;
    };
    QHash<QString, Cached> cache_;
};

class SystemClock : public Clock {
public:
    double secondsSinceMidnight() override;
};

}  // namespace muto::qt
