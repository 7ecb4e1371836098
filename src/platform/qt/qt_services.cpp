#include "platform/qt/qt_services.h"

#include <malloc.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCompleter>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QShortcut>
#include <QStringList>
#include <QThreadPool>
#include <algorithm>
#include <iostream>

#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_worker.h"

namespace muto::qt {

namespace {

// Common-dialog flag: ask before overwriting an existing file.
constexpr int kOverwritePrompt = 0x2;

}  // namespace

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = text(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString text = parts[i].trimmed();
        // Qt reads the patterns from the last parentheses of the text.
        text.replace(QLatin1Char('('), QLatin1Char('['))
            .replace(QLatin1Char(')'), QLatin1Char(']'));
        out << QStringLiteral("%1 (%2)").arg(text, patterns.simplified());
    }
    return out.join(QStringLiteral(";;"));
}

namespace {

// The answer of a box closed without a button.
MsgResult closedAnswer(MsgButtons buttons) {
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    if (buttons == MsgButtons::YesNo) return MsgResult::No;
    return MsgResult::Cancel;
}

}  // namespace

void QtDialogs::endInteraction() {
    interactive_ = false;
    // A box already open would hold the exit: it closes with its cancel answer.
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
}

MsgResult QtDialogs::messageBox(const std::string& text, const std::string& title,
                                MsgButtons buttons, MsgIcon icon) {
    if (!interactive_) {
        std::cerr << "muto: " << title << ": " << text << "\n";
        return closedAnswer(buttons);
    }
    QMessageBox box(parent_);
    box.setWindowTitle(qt::text(title));
    box.setText(qt::text(text));
    // Ctrl+C copies the message, as the box does on other systems, to paste a report or a reason.
    auto* copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated, &box,
                     [&box] { QGuiApplication::clipboard()->setText(box.text()); });
    switch (icon) {
        case MsgIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        const char* text;
        MsgResult result;
    };
    const Choice ok{QMessageBox::Ok, "확인", MsgResult::Ok};
    const Choice cancel{QMessageBox::Cancel, "취소", MsgResult::Cancel};
    const Choice yes{QMessageBox::Yes, "예", MsgResult::Yes};
    const Choice no{QMessageBox::No, "아니요", MsgResult::No};
    std::vector<Choice> choices;
    switch (buttons) {
        case MsgButtons::Ok:
            choices = {ok};
            break;
        case MsgButtons::OkCancel:
            choices = {ok, cancel};
            break;
        case MsgButtons::YesNo:
            choices = {yes, no};
            break;
        case MsgButtons::YesNoCancel:
            choices = {yes, no, cancel};
            break;
    }
    for (const Choice& c : choices)
        box.addButton(c.button)->setText(QString::fromUtf8(c.text));
    box.setDefaultButton(QMessageBox::StandardButton(choices.front().button));
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Choice& c : choices)
        if (clicked == c.button) return c.result;
    return closedAnswer(buttons);
}

namespace {

// The name box of Qt's own file dialog (none before the dialog is first shown).
QLineEdit* nameEdit(const QFileDialog& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

}  // namespace

QFileDialog& QtDialogs::keptDialog(bool save) {
    QPointer<QFileDialog>& kept = save ? saveDialog_ : openDialog_;
    if (!kept || kept->parentWidget() != parent_) {
        delete kept.data();
        kept = new QFileDialog(parent_);
        kept->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        kept->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    }
    return *kept;
}

std::optional<std::string> QtDialogs::fileDialog(const FileDialogRequest& request, bool save) {
    if (!interactive_) return std::nullopt;
    // A file dialog is made once and kept hidden between uses: the one Qt tears down on closing
    // writes its settings file with two disk syncs and stops a thread, which held up the keys
    // for 15-25 ms right after every open or save. What one use set is set again by the next.
    QFileDialog& dialog = keptDialog(save);
    dialog.setWindowTitle(text(request.title));
    if (request.filter.empty())
        dialog.setNameFilters({});
    else
        dialog.setNameFilter(qtFileFilter(request.filter));
    if (!request.initDir.empty() && QFileInfo(text(request.initDir)).isDir())
        dialog.setDirectory(text(request.initDir));
    QString ext = text(request.defaultExt);
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    dialog.setDefaultSuffix(ext);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     save && (request.flags & kOverwritePrompt) == 0);
    // The name typed last time and the file chosen then are gone, as in a new dialog.
    if (auto* name = nameEdit(dialog)) name->clear();
    if (auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView")))
        list->clearSelection();
    if (!request.fileName.empty()) dialog.selectFile(text(request.fileName));
    const int answer = dialog.exec();
    // The name's completion list outlives the hidden dialog, and would take the window's keys.
    if (auto* name = nameEdit(dialog); name && name->completer() && name->completer()->popup())
        name->completer()->popup()->hide();
    if (answer != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
    return utf8(files.front());
}

std::optional<std::string> QtDialogs::openFile(const FileDialogRequest& request) {
    return fileDialog(request, false);
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogRequest& request) {
    return fileDialog(request, true);
}

std::optional<uint32_t> QtDialogs::chooseColour(uint32_t initial, int /*flags*/) {
    if (!interactive_) return std::nullopt;
    // Qt's colour dialog always shows its custom-colour part.
    const QColor c = QColorDialog::getColor(colour(initial), parent_);
    if (!c.isValid()) return std::nullopt;
    return colourOf(c);
}

namespace {

bool showable(const QByteArray& format) {
    // The pictures a window can show: BMP, JPEG and GIF.
    return format == "bmp" || format == "jpeg" || format == "jpg" || format == "gif";
}

}  // namespace

QtPictureLoader::QtPictureLoader() : receiver_(std::make_unique<QObject>()) {
    pool_.setMaxThreadCount(1);
}

QtPictureLoader::~QtPictureLoader() {
    pool_.waitForDone();
}

QtPictureLoader::Cached* QtPictureLoader::fresh(const QString& file) {
    const QFileInfo info(file);
    auto it = cache_.find(file);
    if (it == cache_.end() || !info.isFile() ||
        it->modified != info.lastModified().toMSecsSinceEpoch() || it->size != info.size())
        return nullptr;
    return &*it;
}

bool QtPictureLoader::startLarge(const QString& file) {
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!showable(reader.format()) || !size.isValid() ||
        static_cast<qint64>(size.width()) * size.height() <= kLargePixels)
        return false;
    const QFileInfo info(file);
    insert(file, Cached{info.lastModified().toMSecsSinceEpoch(), info.size(), {}, true});
    QPointer<QObject> receiver = receiver_.get();
    pool_.start([this, file, receiver] {
        runInBackground();
        QImageReader part(file);
        part.setDecideFormatFromContent(true);
        part.setClipRect(QRect(0, 0, kShownSize, kShownSize).intersected(QRect({}, part.size())));
        QImage img = part.read();
        // Made ready for the screen here, so the view's conversion is a copy.
        if (!img.isNull())
            img.convertTo(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                : QImage::Format_RGB32);
        QMetaObject::invokeMethod(
            receiver,
            [this, file, img] {
                auto it = cache_.find(file);
                if (it == cache_.end() || !it->pending) return;
                it->image = img;
                it->pending = false;
                if (onLoaded) onLoaded();
            },
            Qt::QueuedConnection);
    });
    return true;
}

PictureStatus QtPictureLoader::probe(const std::string& path) {
    const QString file = text(path);
    const QFileInfo info(file);
    if (path.empty() || !info.exists()) return PictureStatus::Missing;
    if (info.isFile()) {
        if (const Cached* c = fresh(file))
            return c->pending || !c->image.isNull() ? PictureStatus::Ok : PictureStatus::Invalid;
        // A large picture is judged by its header; it is decoded meanwhile.
        if (startLarge(file)) return PictureStatus::Ok;
    }
    return image(path).isNull() ? PictureStatus::Invalid : PictureStatus::Ok;
}

void QtPictureLoader::insert(const QString& file, Cached entry) {
    cache_.insert(file, std::move(entry));
    dropDue_ = true;
}

void QtPictureLoader::dropUnused(const QString& keep) {
    dropDue_ = false;
    if (!inUse) return;
    QSet<QString> used{keep};
    for (const std::string& path : inUse())
        used.insert(text(path));
    for (auto it = cache_.begin(); it != cache_.end();)
        it = used.contains(it.key()) ? std::next(it) : cache_.erase(it);
    // The memory of the dropped pictures goes back to the system.
    malloc_trim(0);
}

bool QtPictureLoader::holds(qint64 cacheKey) const {
    return std::any_of(cache_.begin(), cache_.end(),
                       [cacheKey](const Cached& c) { return c.image.cacheKey() == cacheKey; });
}

bool QtPictureLoader::pending(const std::string& path) const {
    const auto it = cache_.constFind(text(path));
    return it != cache_.constEnd() && it->pending;
}

QImage QtPictureLoader::image(const std::string& path) {
    const QString file = text(path);
    if (dropDue_) dropUnused(file);
    const QFileInfo info(file);
    if (path.empty() || !info.isFile()) return {};
    if (const Cached* c = fresh(file)) return c->image;
    if (startLarge(file)) return {};
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    QImage img;
    if (showable(reader.format())) img = reader.read();
    insert(file, Cached{info.lastModified().toMSecsSinceEpoch(), info.size(), img});
    return img;
}

}  // namespace muto::qt
