// The Qt platform services that need no user: file filters, picture checks, the clock, and the
// Num Lock service without an X display.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QMetaObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <functional>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

#include "platform/qt/qt_downloader.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_time.h"
#include "platform/qt/qt_worker.h"
#include "platform/qt/translations.h"
#include "platform/x11/x11_keyboard_leds.h"

namespace muto::qt {
namespace {

TEST(QtFileFilter, ConvertsWindowsFilters) {
    EXPECT_EQ(qtFileFilter("*.bmp, *.jpg, *.gif|*.bmp;*.jpg;*.gif"),
              QStringLiteral("*.bmp, *.jpg, *.gif (*.bmp *.jpg *.gif)"));
    EXPECT_EQ(qtFileFilter("연주 파일 (*.vsp)|*.vsp|모든 파일|*.*"),
              QStringLiteral("연주 파일 [*.vsp] (*.vsp);;모든 파일 (*.*)"));
    EXPECT_EQ(qtFileFilter(""), QString());
    // A dangling description without patterns is dropped.
    EXPECT_EQ(qtFileFilter("Text|*.txt|Broken"), QStringLiteral("Text (*.txt)"));
}

TEST(KoreanTranslation, QtsOwnTextsAreKorean) {
    const char* prompt = "%1 already exists.\nDo you want to replace it?";
    ASSERT_TRUE(installKoreanTranslation());
    const QString text = QCoreApplication::translate("QFileDialog", prompt);
    EXPECT_NE(text, QString::fromUtf8(prompt));
    EXPECT_TRUE(text.contains(QStringLiteral("바꾸")) || text.contains(QStringLiteral("덮어")))
        << text.toStdString();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("취소"));
    QLocale::setDefault(QLocale::c());  // the other tests run as they did
}

// A file dialog is kept between uses, yet each use starts as a new dialog would: with its own
// title and filters, no name left from the last one, and no completion list left over.
TEST(QtDialogs, AKeptFileDialogStartsAfreshEachTime) {
    QWidget window;
    QtDialogs dialogs;
    dialogs.setParent(&window);
    QPointer<QFileDialog> kept;     // the first use's, gone if torn down
    std::vector<std::string> seen;  // title|filters|name as each use opens, then its answer
    const QString dir = QDir::tempPath() + u'/';
    auto save = [&](const FileDialogRequest& request, const QString& typed) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (seen.empty()) kept = dialog;
            EXPECT_EQ(dialog, kept.data());
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            seen.push_back((dialog->windowTitle() + u'|' + dialog->nameFilters().join(u';') + u'|' +
                            name->text())
                               .toStdString());
            name->setText(dir + typed);
            name->completer()->complete();  // left open, it would take the window's keys
            QMetaObject::invokeMethod(dialog, "accept");
        });
        seen.push_back(dialogs.saveFile(request).value_or("none"));
    };
    save({"저장", "", "*.vsp|*.vsp", "", ".vsp", 0}, QStringLiteral("first.vsp"));
    save({"키 저장", "", "*.vns|*.vns", "", "", 0}, QStringLiteral("second.vns"));
    const std::string d = dir.toStdString();
    EXPECT_EQ(seen, (std::vector<std::string>{"저장|*.vsp (*.vsp)|", d + "first.vsp",
                                              "키 저장|*.vns (*.vns)|", d + "second.vns"}));
    ASSERT_TRUE(kept);
    const auto* name = kept->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    EXPECT_FALSE(name->completer()->popup()->isVisible());
}

// Background jobs give way to the thread that handles the keys; the GUI thread stays as it was.
TEST(QtWorker, JobsRunAtBackgroundPriorityAndFollowUpsOnTheCallersThread) {
    QtWorker worker;
    const int before = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    int inJob = before;
    QEventLoop loop;
    worker.run([&] { inJob = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); },
               [&] { loop.quit(); });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(inJob, std::max(before, 10));
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), before);
}

TEST(QtPictureLoader, TellsMissingFromInvalid) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString();
    QImage img(8, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(dir.filePath("ok.bmp"), "BMP"));
    // The content decides, not the name.
    ASSERT_TRUE(img.save(dir.filePath("bmp.gif"), "BMP"));
    {
        // The smallest GIF: one white pixel.
        static const char kGif[] =
            "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
            ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
        QFile gif(dir.filePath("ok.gif"));
        ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
        gif.write(kGif, sizeof kGif - 1);
    }
    ASSERT_TRUE(img.save(dir.filePath("pic.png"), "PNG"));
    {
        QFile junk(dir.filePath("junk.gif"));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("GIF89a\x01");
    }
    QtPictureLoader loader;
    EXPECT_EQ(loader.probe(base + "/ok.bmp"), PictureStatus::Ok);
    EXPECT_EQ(loader.probe(base + "/ok.gif"), PictureStatus::Ok);
    EXPECT_EQ(loader.image(base + "/ok.gif").size(), QSize(1, 1));
    EXPECT_EQ(loader.probe(base + "/bmp.gif"), PictureStatus::Ok);
    EXPECT_EQ(loader.image(base + "/ok.bmp").size(), QSize(8, 4));
    EXPECT_EQ(loader.probe(base + "/junk.gif"), PictureStatus::Invalid);
    // Only BMP, JPEG and GIF are pictures here.
    EXPECT_EQ(loader.probe(base + "/pic.png"), PictureStatus::Invalid);
    EXPECT_EQ(loader.probe(base + "/none.gif"), PictureStatus::Missing);
    EXPECT_EQ(loader.probe(base + "/no-folder/none.gif"), PictureStatus::Missing);
    EXPECT_EQ(loader.probe(""), PictureStatus::Missing);
    EXPECT_EQ(loader.probe(base), PictureStatus::Invalid);  // a folder is no picture
    EXPECT_TRUE(loader.image(base + "/none.gif").isNull());
}

// A large picture is checked by its header and decoded on a worker: it is not there at once, and
// when it is, only the part a window shows is kept.
TEST(QtPictureLoader, DecodesLargePicturesOnAWorker) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage img(1500, 1200, QImage::Format_RGB32);
    img.fill(Qt::blue);
    ASSERT_TRUE(img.save(dir.filePath("big.jpg"), "JPEG"));
    const std::string path = dir.filePath("big.jpg").toStdString();
    QtPictureLoader loader;
    int loaded = 0;
    QEventLoop loop;
    loader.onLoaded = [&] {
        ++loaded;
        loop.quit();
    };
    EXPECT_EQ(loader.probe(path), PictureStatus::Ok);
    EXPECT_TRUE(loader.image(path).isNull());
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(loaded, 1);
    const QImage shown = loader.image(path);
    EXPECT_EQ(shown.size(), QSize(QtPictureLoader::kShownSize, QtPictureLoader::kShownSize));
    EXPECT_GT(shown.pixelColor(10, 10).blue(), 200);
}

// Pictures the window no longer shows leave the cache once another one is loaded.
TEST(QtPictureLoader, KeepsOnlyThePicturesInUse) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        QImage img(8, 4 + i, QImage::Format_RGB32);
        img.fill(Qt::red);
        paths.push_back(dir.filePath(QString("p%1.bmp").arg(i)).toStdString());
        ASSERT_TRUE(img.save(QString::fromStdString(paths.back()), "BMP"));
    }
    QtPictureLoader loader;
    std::vector<std::string> shown{paths[0]};
    loader.inUse = [&shown] { return shown; };
    for (int i = 1; i < 4; ++i) {
        // Chosen: checked, then shown in place of the one before and painted.
        ASSERT_EQ(loader.probe(paths[static_cast<size_t>(i)]), PictureStatus::Ok);
        shown = {paths[0], paths[static_cast<size_t>(i)]};
        EXPECT_EQ(loader.image(paths[static_cast<size_t>(i)]).height(), 4 + i);
        EXPECT_FALSE(loader.image(paths[0]).isNull());
        QStringList held = loader.cached();
        held.sort();
        EXPECT_EQ(held, QStringList({QString::fromStdString(paths[0]),
                                     QString::fromStdString(paths[static_cast<size_t>(i)])}));
    }
}

// Runs the event loop until `done` holds or `limit` passes; false on time-out.
bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(limit);
    while (!done() && guard.isActive())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// Runs the event loop for `span`.
void runFor(std::chrono::milliseconds span) {
    runUntil([] { return false; }, span);
}

class QtTimerTest : public ::testing::Test {
protected:
    using Clock = std::chrono::steady_clock;
    std::unique_ptr<Timer> make(TimerKind kind) {
        auto timer = factory.createTimer(kind);
        timer->onTimeout = [this] { fired.push_back(Clock::now()); };
        return timer;
    }
    QtTimerFactory factory;
    std::vector<Clock::time_point> fired;
};

TEST_F(QtTimerTest, OneShotFiresOnceAndNotEarly) {
    for (const auto wait : {std::chrono::microseconds(0), std::chrono::microseconds(700),
                            std::chrono::microseconds(20'000)}) {
        fired.clear();
        auto timer = make(TimerKind::SingleShot);
        const auto armed = Clock::now();
        timer->start(wait);
        EXPECT_TRUE(timer->active());
        EXPECT_TRUE(fired.empty());  // never from inside start()
        ASSERT_TRUE(runUntil([&] { return !fired.empty(); }, std::chrono::seconds(5)));
        EXPECT_GE(fired[0] - armed, wait);
        EXPECT_FALSE(timer->active());
        runFor(std::chrono::milliseconds(50));
        EXPECT_EQ(fired.size(), 1u) << wait.count() << " us";
    }
}

TEST_F(QtTimerTest, SoonestOneShotFollowsArmedOneShotsOnly) {
    using namespace std::chrono_literals;
    const auto due = [](double from) { return (soonestOneShot() - from) * 1000; };  // in ms
    auto periodic = make(TimerKind::Periodic);
    auto later = make(TimerKind::SingleShot);
    auto sooner = make(TimerKind::SingleShot);
    const double armed = SteadyClock().now();
    periodic->start(1ms);
    later->start(400ms);
    sooner->start(200ms);
    EXPECT_NEAR(due(armed), 200, 20);
    sooner.reset();  // a destroyed timer is forgotten
    EXPECT_NEAR(due(armed), 400, 20);
    later->start(100ms);  // re-armed: counted once, at its new time
    EXPECT_NEAR(due(armed), 100, 20);
    ASSERT_TRUE(runUntil([&] { return !later->active(); }, std::chrono::seconds(5)));
    EXPECT_EQ(soonestOneShot(), std::numeric_limits<double>::infinity());  // fired
    later->start(300ms);
    later->stop();
    EXPECT_EQ(soonestOneShot(), std::numeric_limits<double>::infinity());
}

TEST_F(QtTimerTest, PeriodicFiresRepeatedlyUntilStopped) {
    auto timer = make(TimerKind::Periodic);
    const auto armed = Clock::now();
    timer->start(std::chrono::milliseconds(5));
    ASSERT_TRUE(runUntil([&] { return fired.size() >= 4; }, std::chrono::seconds(5)));
    EXPECT_TRUE(timer->active());
    // The n-th expiry is never before n periods.
    for (size_t i = 0; i < fired.size(); ++i)
        EXPECT_GE(fired[i] - armed, std::chrono::milliseconds(5) * (i + 1)) << i;
    timer->stop();
    EXPECT_FALSE(timer->active());
    const size_t count = fired.size();
    runFor(std::chrono::milliseconds(30));
    EXPECT_EQ(fired.size(), count);
}

TEST_F(QtTimerTest, StopAndRearmingDropADueExpiry) {
    auto timer = make(TimerKind::SingleShot);
    timer->start(std::chrono::milliseconds(10));
    timer->stop();
    runFor(std::chrono::milliseconds(30));
    EXPECT_TRUE(fired.empty());

    // The expiry is due (the descriptor is readable) but the loop has not run yet.
    timer->start(std::chrono::microseconds(100));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    timer->stop();
    EXPECT_FALSE(timer->active());
    runFor(std::chrono::milliseconds(30));
    EXPECT_TRUE(fired.empty());

    // Re-arming a due timer starts it over from now.
    timer->start(std::chrono::microseconds(100));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto rearmed = Clock::now();
    timer->start(std::chrono::milliseconds(40));
    ASSERT_TRUE(runUntil([&] { return !fired.empty(); }, std::chrono::seconds(5)));
    EXPECT_GE(fired[0] - rearmed, std::chrono::milliseconds(40));
    runFor(std::chrono::milliseconds(20));
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(QtTimerTest, ATimerStoppedByAnotherOnesCallbackStaysQuietThoughBothWereDue) {
    // Both descriptors are readable when the loop wakes; the first callback stops the other,
    // whose readiness was already taken from the system.
    auto a = make(TimerKind::SingleShot);
    auto b = make(TimerKind::SingleShot);
    int calls = 0;
    a->onTimeout = [&] {
        ++calls;
        b->stop();
    };
    b->onTimeout = [&] {
        ++calls;
        a->stop();
    };
    a->start(std::chrono::microseconds(100));
    b->start(std::chrono::microseconds(100));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    runFor(std::chrono::milliseconds(30));
    EXPECT_EQ(calls, 1);
}

TEST_F(QtTimerTest, TheCallbackMayRearmOrDestroyItsTimer) {
    auto timer = make(TimerKind::SingleShot);
    int runs = 0;
    timer->onTimeout = [&] {
        if (++runs < 3) timer->start(std::chrono::microseconds(300));
    };
    timer->start(std::chrono::microseconds(300));
    ASSERT_TRUE(runUntil([&] { return runs == 3; }, std::chrono::seconds(5)));
    EXPECT_FALSE(timer->active());

    auto doomed = factory.createTimer(TimerKind::Periodic);
    bool gone = false;
    doomed->onTimeout = [&] {
        doomed.reset();
        gone = true;
    };
    doomed->start(std::chrono::microseconds(300));
    ASSERT_TRUE(runUntil([&] { return gone; }, std::chrono::seconds(5)));
    runFor(std::chrono::milliseconds(10));
}

TEST(QtDownloader, ReadsFileUrlsAndReportsMissingFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("pic.gif"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("GIF89a\0\1\2", 9);
    file.close();

    QtDownloader downloader;
    std::optional<DownloadResult> ok, missing;
    const std::string base = QUrl::fromLocalFile(dir.path()).toString().toStdString();
    downloader.get(base + "/pic.gif", [&](const DownloadResult& r) { ok = r; });
    downloader.get(base + "/none.gif", [&](const DownloadResult& r) { missing = r; });
    EXPECT_FALSE(ok || missing);  // never from inside get()
    ASSERT_TRUE(runUntil([&] { return ok && missing; }, std::chrono::seconds(10)));
    EXPECT_TRUE(ok->ok) << ok->error;
    EXPECT_EQ(ok->data, (std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a', 0, 1, 2}));
    EXPECT_FALSE(missing->ok);
    EXPECT_FALSE(missing->error.empty());

    // A cancelled download never reports.
    bool called = false;
    const int id = downloader.get(base + "/pic.gif", [&](const DownloadResult&) { called = true; });
    downloader.cancel(id);
    runFor(std::chrono::milliseconds(100));
    EXPECT_FALSE(called);
}

TEST(QtDownloader, TakesBodiesUpToTheCapExactlyAndGivesUpWhenNothingComes) {
    // "/N" answers N bytes; "/stall" sends one byte of ten and then nothing.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = server.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
            const QByteArray path = s->readAll().split(' ').value(1);
            if (path == "/stall") {
                s->write("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nx");
                return;
            }
            s->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" +
                     QByteArray(path.mid(1).toInt(), 'a'));
            s->disconnectFromHost();
        });
    });
    constexpr int kCap = 100000;
    QtDownloader downloader(kCap, 300);
    const std::string base = "http://127.0.0.1:" + std::to_string(server.serverPort());
    const std::vector<std::pair<std::string, bool>> cases = {
        {"/100000", true}, {"/100001", false}, {"/stall", false}};
    std::vector<std::optional<DownloadResult>> results(cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        downloader.get(base + cases[i].first, [&, i](const DownloadResult& r) { results[i] = r; });
    ASSERT_TRUE(runUntil(
        [&] {
            return std::all_of(results.begin(), results.end(),
                               [](const auto& r) { return r.has_value(); });
        },
        std::chrono::seconds(10)));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(results[i]->ok, cases[i].second) << cases[i].first << ": " << results[i]->error;
        if (results[i]->ok) {
            EXPECT_EQ(results[i]->data.size(), std::size_t{kCap});
        }
    }
}

TEST(X11KeyboardLeds, WithoutDisplayDoesNothing) {
    x11::X11KeyboardLeds leds(nullptr);
    EXPECT_FALSE(leds.available());
    EXPECT_FALSE(leds.numLockOn());
    leds.setNumLock(true);
    EXPECT_FALSE(leds.numLockOn());
    // On the offscreen platform there is no X display either.
    auto fromQt = x11::X11KeyboardLeds::fromQtApplication();
    EXPECT_FALSE(fromQt.available());
}

}  // namespace
}  // namespace muto::qt
