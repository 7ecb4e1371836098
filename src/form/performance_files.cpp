#include "form/performance_files.h"

#include <sys/stat.h>

#include <cctype>
#include <memory>
#include <string_view>

#include "form/form1.h"
#include "form/key_set_files.h"
#include "form/playback_panel.h"
#include "formats/performance_file.h"
#include "io/failure_reason.h"
#include "io/read_file.h"
#include "performance/midi_import.h"
#include "performance/performance_export.h"
#include "performance/player.h"
#include "performance/recorder.h"

namespace muto {

namespace {

constexpr int kOverwritePrompt = 2;
// The open dialog also offers Standard MIDI Files, which are imported.
constexpr const char* kFilter = "*.vsp|*.vsp|*.mid;*.midi|*.mid;*.midi";
// The save dialog also offers the Standard MIDI File of the performance.
constexpr const char* kSaveFilter = "*.vsp|*.vsp|*.mid|*.mid";

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

bool PerformanceFiles::askPerformanceFileName(bool remember) {
    FileDialogRequest request;
    request.title = "연주 저장";
    request.initDir = f_.services.programDir;
    request.filter = kSaveFilter;
    request.flags = kOverwritePrompt;
    for (;;) {
        if (remember) f_.recorder().setPerformancePath("");
        request.fileName.clear();
        auto path = f_.services.dialogs.saveFile(request);
        if (!path || path->empty()) return false;
        if (fileExists(*path) && f_.services.dialogs.messageBox(
                                     "같은 파일이 존재합니다.덮어 쓸까요?", "저장 확인",
                                     MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes) {
            request.initDir = *path;
            continue;
        }
        if (isMidiFileName(*path)) {
            // Playback re-reads the altered keys from the performance's file: a MIDI file never
            // becomes it.
            writeMidiFileOfPerformance(*path);
            return true;
        }
        if (remember) f_.recorder().setPerformancePath(*path);
        writePerformanceFile(*path);
        return true;
    }
}

PerformanceFiles::PerformanceFiles(Form1& form) : f_(form), writes_(form.services.worker) {}

bool PerformanceFiles::write(const std::string& path, std::vector<uint8_t> bytes) {
    auto failed = std::make_shared<bool>(false);
    writes_.write(path, std::move(bytes), [this, path, failed](const WriteResult& saved) {
        if (saved.ok()) return;
        *failed = true;
        reportSaveFailure(f_, path, failureReason(saved.error()));
    });
    return !*failed;
}

bool PerformanceFiles::writePerformanceFile(const std::string& path) {
    return write(path, writePerformance(performanceFileOf(f_.recorder().performance())));
}

bool PerformanceFiles::writeMidiFileOfPerformance(const std::string& path) {
    return write(path, writeMidiFile(midiFileContent(capturePlayback(performanceInMemory(f_)))));
}

namespace {

bool endsWithNoCase(const std::string& path, std::string_view ending) {
    if (path.size() < ending.size()) return false;
    for (size_t i = 0; i < ending.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[path.size() - ending.size() + i]);
        if (std::tolower(c) != ending[i]) return false;
    }
    return true;
}

}  // namespace

PerformanceSource performanceInMemory(Form1& form) {
    PerformanceSource s;
    s.performance = form.recorder().performance();
    for (int i = 0; i < 3; ++i)
        s.effects[static_cast<size_t>(i)] = form.vbar_Effect(i).value();
    s.circleTouch = form.chk_CircleTouch.value() == 1;
    for (int i = 0; i < 3; ++i)
        s.savedPositions[static_cast<size_t>(i)] = parsePlayPosition(form.cmd_SavePlayPos(i).tag());
    return s;
}

bool isMidiFileName(const std::string& path) {
    return endsWithNoCase(path, ".mid");
}

bool isMidiImportName(const std::string& path) {
    return endsWithNoCase(path, ".mid") || endsWithNoCase(path, ".midi");
}

void PerformanceFiles::cmd_save_Click() {
    if (!f_.recorder().performance().events.empty()) askPerformanceFileName(false);
    f_.setFocus(f_.Picture1);
}

void PerformanceFiles::cmd_open_Click() {
    FileDialogRequest request;
    request.title = "연주 파일 열기";
    request.initDir = f_.services.programDir;
    request.filter = kFilter;
    auto path = f_.services.dialogs.openFile(request);
    if (path && !path->empty() && isMidiImportName(*path)) {
        importMidiFile(*path);
    } else if (path && !path->empty()) {
        f_.playback().clearKeyOverrides();
        auto bytes = readWholeFile(*path);
        auto perf = bytes ? readPerformance(*bytes) : ReadResult<PerformanceFile>(bytes.failure());
        if (!perf) {
            // Not a performance, or one cut short or too long to hold: the performance in memory
            // is dropped, its snapshot and file name stay.
            f_.services.dialogs.messageBox("무토 연주 파일이 아니거나 호환이 되는 파일이 아닙니다.",
                                           "열기 실패", MsgButtons::Ok, MsgIcon::Exclamation);
            Performance kept = f_.recorder().performance();
            kept.events.clear();
            f_.recorder().setPerformance(std::move(kept));
        } else {
            f_.recorder().setPerformance(performanceOf(std::move(*perf), *path));
            f_.form.setCaption("무토 - " + baseName(*path));
            if (!f_.recorder().performance().events.empty()) f_.playback().resetPlayPositions();
        }
    }
    f_.setFocus(f_.Picture1);
}

void PerformanceFiles::importMidiFile(const std::string& path) {
    auto bytes = readWholeFile(path);
    auto imported = bytes ? muto::importMidiFile(*bytes) : ReadResult<MidiImport>(bytes.failure());
    if (!imported) {
        f_.services.dialogs.messageBox(
            baseName(path) + ": " + importFailureText(imported.failure()), "열기 실패",
            MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    // Like a recording never saved: no performance file, the key set cleared.
    f_.playback().clearKeyOverrides();
    PerformanceFile& perf = imported->performance;
    perf.version = kPerformanceVersion;
    f_.recorder().setPerformance(performanceOf(std::move(perf), ""));
    f_.form.setCaption("무토 - " + baseName(path));
    f_.playback().resetPlayPositions();
    f_.services.dialogs.messageBox(importReportText(imported->summary), "안내", MsgButtons::Ok,
                                   MsgIcon::Information);
}

}  // namespace muto
