#include "form/performance_export.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "common/manual_time.h"
#include "form/channel_controls.h"
#include "form/form1.h"
#include "form/key_map.h"
#include "form/midi.h"
#include "form/playback_panel.h"
#include "io/read_file.h"
#include "performance/player.h"
#include "performance/recorder.h"

namespace muto {

namespace {

// The first event plays this long after the start of a playback.
constexpr double kLeadIn = 1.0;
// A folder that cannot exist: the window reads no config.ini and finds no pictures.
constexpr const char* kNoProgramDir = "/dev/null";

// The services of a window that nobody sees: messages go to a sink, dialogs are cancelled.
class SinkMidi : public MidiDevice {
public:
    int open() override { return 0; }
    void shortMsg(uint32_t message) override {
        if (sink) sink(message);
    }
    void close() override {}
    std::function<void(uint32_t)> sink;
};

class NoDialogs : public Dialogs {
public:
    MsgResult messageBox(const std::string&, const std::string&, MsgButtons buttons,
                         MsgIcon) override {
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
    }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return {}; }
    std::optional<uint32_t> chooseColour(uint32_t, int) override { return {}; }
};

class NoDownloads : public Downloader {
public:
    int get(const std::string&, Done) override { return 0; }
    void cancel(int) override {}
};

class NoLeds : public KeyboardLeds {
public:
    bool available() override { return false; }
    bool numLockOn() override { return true; }
    void setNumLock(bool) override {}
};

class NoPictures : public PictureLoader {
public:
    PictureStatus probe(const std::string&) override { return PictureStatus::Missing; }
};

// Sharps (> 0) or flats (< 0) of a key-signature list text: "#3-A-가장조", "b2-Bb-내림나장조".
int sharpsOf(std::string_view text) {
    if (text.size() < 2 || text[1] < '1' || text[1] > '7') return 0;
    const int n = text[1] - '0';
    return text[0] == '#' ? n : (text[0] == 'b' ? -n : 0);
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

ReadResult<PerformanceSource> performanceFromFile(const std::string& path) {
    auto bytes = readWholeFile(path);
    if (!bytes) return bytes.failure();
    auto perf = readPerformance(*bytes);
    if (!perf) return perf.failure();
    PerformanceSource s;
    s.performance = performanceOf(std::move(*perf), path);
    return s;
}

PlaybackCapture capturePlayback(const PerformanceSource& source) {
    SinkMidi midi;
    NoDialogs dialogs;
    ManualTimers time;
    NoDownloads downloads;
    NoLeds leds;
    NoPictures pictures;
    Form1 f(Services{midi, dialogs, time, time, downloads, leds, pictures, kNoProgramDir});
    f.load();

    // The performance as the window holds it after opening the file or recording it.
    f.recorder().setPerformance(source.performance);
    const int count = source.performance.eventCount();
    f.playback().setProgressScale(count);
    for (int i = 0; i < 3; ++i)
        f.vbar_Effect(i).setValue(source.effects[static_cast<size_t>(i)]);
    f.chk_CircleTouch.setValue(source.circleTouch ? 1 : 0);
    f.shp_StartPos.setTag("0");

    PlaybackCapture capture;
    if (count <= 0) return capture;
    f.playback().cmd_play_Click();
    if (!f.player().isPlaying()) return capture;
    const double start = time.now() + kLeadIn;

    // The settings the playback restored, stated in full at time 0 by the handlers that send
    // them.
    midi.sink = [&](uint32_t m) { capture.messages.push_back({0.0, m}); };
    for (int ch = 0; ch < 2; ++ch) {
        if (f.cmb_inst(ch).listIndex() >= 0) f.midi().programChange(ch, f.cmb_inst(ch).listIndex());
        f.channels().cmb_volume_Click(ch);
        f.channels().chk_damper_Click(ch);
    }
    for (int i = 0; i < 3; ++i)
        f.channels().vbar_Effect_Change(i);
    capture.settingsCount = capture.messages.size();
    capture.keySharps =
        f.cmb_key.listIndex() >= 0 &&
                static_cast<size_t>(f.cmb_key.listIndex()) < keySignatures().size()
            ? sharpsOf(keySignatures()[static_cast<size_t>(f.cmb_key.listIndex())].text)
            : 0;

    midi.sink = [&](uint32_t m) {
        capture.messages.push_back({std::max(time.now() - start, 0.0), m});
    };
    // When each event was played, for the remembered positions.
    std::vector<double> eventTimes(static_cast<size_t>(count), 0.0);
    int played = f.player().playPos();
    while (f.player().isPlaying()) {
        const std::optional<int64_t> due = time.nextDueUs();
        if (!due) break;
        time.advance(std::chrono::microseconds(std::max<int64_t>(*due - time.nowUs(), 0)));
        for (; played < f.player().playPos() && played < count; ++played)
            eventTimes[static_cast<size_t>(played)] = std::max(time.now() - start, 0.0);
    }
    // A recorded shortcut may have paused the playback: it ends there.
    if (f.player().isPaused()) f.playback().cmd_play_Click();
    capture.length = std::max(time.now() - start, 0.0);
    midi.sink = nullptr;

    for (int i = 0; i < 3; ++i) {
        const int at = source.savedPositions[static_cast<size_t>(i)];
        if (at <= 0) continue;
        const size_t e = std::min(static_cast<size_t>(at), eventTimes.size() - 1);
        capture.markers.push_back({eventTimes[e], "위치 " + std::to_string(i + 1)});
    }
    return capture;
}

MidiFileContent midiFileContent(const PlaybackCapture& capture) {
    return MidiFileContent{capture.messages, capture.keySharps, capture.markers};
}

}  // namespace muto
