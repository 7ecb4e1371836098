// The platform services of the model, done with Qt: message boxes and the open, save and colour
// dialogs, and picture checking and loading.
#pragma once

#include <QHash>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "form/services.h"

class QFileDialog;

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
    QFileDialog& keptDialog(bool save);
    QPointer<QWidget> parent_;
    // Children of the window, so they go with it.
    QPointer<QFileDialog> openDialog_;
    QPointer<QFileDialog> saveDialog_;
    bool interactive_ = true;
};

// Checks and loads BMP, JPEG and GIF pictures. Pictures are kept once loaded, so the view draws
// what the check read. A large picture is decoded on a worker thread, so that the keys are not
// held up meanwhile: its check reads only its header, image() gives a null image until it is
// ready, and onLoaded tells the view when it is. A window shows a picture at its natural size
// from its top-left corner, so of a large picture only the part a window can show is kept.
class QtPictureLoader : public PictureLoader {
public:
    QtPictureLoader();
    // Waits for a picture being decoded.
    ~QtPictureLoader() override;

    PictureStatus probe(const std::string& path) override;
    // The picture of a file (first frame of a GIF); a null image when it cannot be read or is
    // still being decoded.
    QImage image(const std::string& path);

    // Runs on the GUI thread when a picture decoded on a worker is ready.
    std::function<void()> onLoaded;
    // The pictures the window shows now. Once a picture has been loaded, the next image() call
    // drops every other one from the cache, so pictures no longer shown do not stay in memory.
    std::function<std::vector<std::string>()> inUse;
    // The files held, for checks.
    QStringList cached() const { return cache_.keys(); }
    // Whether a picture of this QImage::cacheKey() is held.
    bool holds(qint64 cacheKey) const;
    // Whether the picture of a file is being decoded on a worker.
    bool pending(const std::string& path) const;

    // More pixels than this make a picture large; of a large one the top-left kShownSize
    // square is kept.
    static constexpr qint64 kLargePixels = 1024 * 1024;
    static constexpr int kShownSize = 1024;

private:
    struct Cached {
        qint64 modified = 0;
        qint64 size = 0;
        QImage image;
        bool pending = false;  // being decoded on a worker
    };
    // The cached entry of a file as it is now on disk, or nullptr.
    Cached* fresh(const QString& file);
    // Starts decoding a large picture; false when the file is no large picture.
    bool startLarge(const QString& file);
    void insert(const QString& file, Cached entry);
    // Drops the pictures neither in use nor `keep`.
    void dropUnused(const QString& keep);
    QHash<QString, Cached> cache_;
    bool dropDue_ = false;  // a picture was added since the last dropUnused
    // Receives the decoded pictures on the GUI thread; gone with the loader, so a late one is
    // dropped.
    std::unique_ptr<QObject> receiver_;
    // The thread large pictures are decoded on, at background priority; stopped first.
    QThreadPool pool_;
};

}  // namespace muto::qt
