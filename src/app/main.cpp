// muto: the PC keyboard as a two-channel MIDI instrument.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/command_line.h"
#include "app/export_command.h"
#include "app/import_command.h"
#include "app/program_dir.h"
#include "form/form1.h"
#include "form/midi.h"
#include "platform/midi/midi_output.h"
#include "platform/qt/fonts.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_downloader.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_time.h"
#include "platform/qt/qt_worker.h"
#include "platform/qt/translations.h"
#include "platform/x11/x11_auto_repeat.h"
#include "platform/x11/x11_keyboard_leds.h"

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    // Nothing to do when the pipe is full: a close request is already on its way.
    [[maybe_unused]] ssize_t n = write(signalPipe[1], &c, 1);
}

// SIGINT, SIGTERM and SIGHUP close the window as the user would, so the MIDI output is closed
// properly (a WAV file gets its final header). Nobody is asked anything from then on: a failure
// is reported on standard error, and a box already open does not hold the exit.
void closeOnSignals(muto::qt::MainWindow& window, muto::Form1& form, muto::qt::QtDialogs& dialogs) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, &form, &dialogs] {
        char c;
        [[maybe_unused]] ssize_t n = read(signalPipe[0], &c, 1);
        static bool ending = false;
        if (ending) return;
        ending = true;
        dialogs.endInteraction();
        // A playback refuses the close; a signal ends the program all the same.
        if (!window.close()) form.shutDown();
        QApplication::exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace muto;
    const app::Options options =
        app::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << "muto: " << options.error << "\n\n" << app::usage();
        return 2;
    }
    if (options.help) {
        std::cout << app::usage();
        return 0;
    }
    if (options.version) {
        std::cout << app::versionText() << "\n";
        return 0;
    }

    // The exports need neither a window nor a display.
    if (options.exportKind == app::Options::Export::Midi)
        return app::exportMidi(options.exportIn, options.exportOut, std::cerr);
    if (options.exportKind == app::Options::Export::Wav)
        return app::renderWav(options.exportIn, options.exportOut, options.soundfont, std::cerr);
    if (options.exportKind == app::Options::Export::ImportMidi)
        return app::importMidi(options.exportIn, options.exportOut, std::cerr);

    std::string usageError;
    std::unique_ptr<MidiDevice> midi =
        midi::createMidiDevice(midi::MidiOptions{options.midiOut, options.soundfont}, &usageError);
    if (!midi) {
        std::cerr << "muto: " << usageError << "\n\n" << app::usage();
        return 2;
    }

    const std::string exeDir = app::executableDir();
    std::string dirError;
    const std::string programDir =
        app::resolveProgramDir({options.programDir, exeDir, env("XDG_DATA_HOME"), env("HOME"),
                                app::installedPictureDirs(exeDir)},
                               &dirError);
    // The terminal line comes first: it is all there is when no display can be reached.
    if (programDir.empty()) std::cerr << "muto: " << dirError << "\n";

    // Qt gets no arguments of ours; it is configured through its environment variables.
    static int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("muto"));
    QApplication::setApplicationVersion(QStringLiteral(MUTO_APP_VERSION));
    qt::installFonts();
    if (!qt::installKoreanTranslation())
        std::cerr << "muto: Qt's Korean translation (qtbase_ko.qm) is missing; its dialogs stay "
                     "English\n";

    // Started from the menu there is no terminal to read: the reason is shown in a box too.
    if (programDir.empty()) {
        QMessageBox::critical(
            nullptr, QStringLiteral("무토"),
            QStringLiteral("프로그램 폴더가 없어 무토를 시작하지 못했습니다.\n\n") +
                QString::fromStdString(dirError));
        return 1;
    }

    qt::QtDialogs dialogs;
    qt::QtPictureLoader pictures;
    qt::SteadyClock monotonic;
    qt::QtTimerFactory timers;
    qt::QtDownloader downloader;
    qt::QtWorker worker;
    x11::X11KeyboardLeds leds = x11::X11KeyboardLeds::fromQtApplication();
    // A held key must not strike again when the machine is busy; a server that refuses leaves
    // the repeats to the key translation.
    x11::enableDetectableAutoRepeatForQtApplication();

    Form1 form(Services{*midi, dialogs, monotonic, timers, downloader, leds, pictures, programDir,
                        &worker});
    // The picture cache holds only what the window shows.
    pictures.inUse = [&form] {
        std::vector<std::string> paths{form.form.picture()};
        form.forEachControl([&paths](Control& c) {
            if (const auto* box = dynamic_cast<const PictureBox*>(&c))
                paths.push_back(box->picture());
        });
        return paths;
    };
    // A MIDI output that cannot be opened has been reported by the form; the window never shows.
    if (!form.load()) return 1;

    qt::MainWindow window(form, pictures, leds);
    dialogs.setParent(&window);
    closeOnSignals(window, form, dialogs);
    form.show();
    window.show();
    return QApplication::exec();
}
