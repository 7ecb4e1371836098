#include "performance/performance_export.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "common/manual_time.h"
#include "instrument/key_layout.h"
#include "instrument/keyboard.h"
#include "instrument/midi_message.h"
#include "instrument/settings.h"
#include "io/read_file.h"
#include "performance/player.h"

namespace muto {

namespace {

// The first event plays this long after the start of a playback.
constexpr double kLeadIn = 1.0;

// Sharps (> 0) or flats (< 0) of a key-signature list text: "#3-A-가장조", "b2-Bb-내림나장조".
int sharpsOf(std::string_view text) {
    if (text.size() < 2 || text[1] < '1' || text[1] > '7') return 0;
    const int n = text[1] - '0';
    return text[0] == '#' ? n : (text[0] == 'b' ? -n : 0);
}

// A playback with no window: the settings a window keeps in its panel, starting from those of a
// window just opened, and the performance played on the keyboard.
class Rendition : public Stage, public KeyboardHost {
public:
    explicit Rendition(PlaybackCapture& capture)
        : capture_(capture),
          instrument_([this](uint32_t m) { send(m); }),
          keyboard_(instrument_, *this),
          player_(*this, time_, time_) {
        instrument_.setKeySignature(transposition());
        for (int g = 0; g < 2; ++g)
            instrument_.setOctave(g, octave(g));
    }

    void play(const PerformanceSource& source) {
        for (size_t i = 0; i < 3; ++i)
            if (settings::kBars[i].holds(source.effects[i])) effects_[i] = source.effects[i];
        const int count = source.performance.eventCount();
        eventTimes_.assign(static_cast<size_t>(std::max(count, 0)), 0.0);
        restore(source.performance);
        if (!player_.start(source.performance, 0, false)) return;
        start_ = time_.now() + kLeadIn;
        stateSettings();
        while (player_.isPlaying()) {
            const std::optional<int64_t> due = time_.nextDueUs();
            if (!due) break;
            time_.advance(std::chrono::microseconds(std::max<int64_t>(*due - time_.nowUs(), 0)));
        }
        // A recorded shortcut may have paused the playback: it ends there.
        if (player_.isPaused()) player_.stop();
        capture_.length = elapsed();
        recording_ = false;

        for (size_t i = 0; i < 3; ++i) {
            const int at = source.savedPositions[i];
            if (at <= 0 || eventTimes_.empty()) continue;
            const size_t e = std::min(static_cast<size_t>(at), eventTimes_.size() - 1);
            capture_.markers.push_back({eventTimes_[e], "위치 " + std::to_string(i + 1)});
        }
    }

    // Stage
    void keyDown(int keyCode, int shift) override { keyboard_.keyDown(keyCode, shift); }
    void keyUp(int keyCode, int /*shift*/) override { keyboard_.keyUp(keyCode); }
    bool isHeld(int keyCode) const override { return instrument_.isHeld(keyCode); }
    bool isChannel1Note(int /*keyCode*/) const override { return false; }
    void lightAwaited(int /*keyCode*/, bool /*lit*/) override {}
    void progressed(int played) override {
        for (; played_ < played && played_ < static_cast<int>(eventTimes_.size()); ++played_)
            eventTimes_[static_cast<size_t>(played_)] = elapsed();
    }
    void finished(bool early, const PracticeScore* /*score*/) override {
        if (!early) return;
        // A stop before the end releases every key and puts up the dampers the playback put
        // down (a window just opened has them up).
        keyboard_.releaseAll();
        for (int ch = 0; ch < 2; ++ch)
            if (damper_[static_cast<size_t>(ch)] == 1) setDamper(ch, 0);
    }

    // KeyboardHost
    bool setKeySignature(int index) override {
        if (index < 0 || index >= static_cast<int>(keySignatures().size())) return false;
        if (index != key_) {
            key_ = index;
            instrument_.setKeySignature(transposition());
        }
        return true;
    }
    bool stepOctave(int ch, int delta) override {
        int& i = octaveIndex_[static_cast<size_t>(ch)];
        if (!canStep(i, static_cast<int>(settings::kOctaves.size()), delta)) return true;
        i += delta;
        instrument_.setOctave(ch, octave(ch));
        return true;
    }
    bool stepVolume(int ch, int delta) override {
        int& i = volumeIndex_[static_cast<size_t>(ch)];
        if (!canStep(i, settings::kVolumeCount, delta)) return true;
        i += delta;
        sendVolume(ch);
        return true;
    }
    bool toggleDamper(int ch) override {
        setDamper(ch, damper_[static_cast<size_t>(ch)] == 1 ? 0 : 1);
        return true;
    }
    bool toggleLink() override {
        linked_ = !linked_;
        return true;
    }
    bool stepSpeed(int delta) override {
        const int v = speed_ + delta;
        if (!settings::kBars[settings::kSpeedBar].holds(v)) return false;
        speed_ = v;
        player_.setSpeed(static_cast<float>(v) / 10.0f);
        return true;
    }
    void chooseProgram(int ch, int program) override {
        if (program < settings::kProgramCount) setProgram(ch, program);
    }
    void transport(char letter) override {
        // Only stopping and pausing reach a playback: opening, recording and playing again are
        // refused while one runs.
        if (letter == 'S') player_.stop();
        if (letter == 'W') player_.pause();
    }

private:
    static bool canStep(int index, int count, int delta) {
        return !(delta > 0 && index >= count - 1) && !(delta < 0 && index <= 0);
    }
    int transposition() const { return keySignatures()[static_cast<size_t>(key_)].transpose; }
    int octave(int ch) const {
        return settings::kOctaves[static_cast<size_t>(octaveIndex_[static_cast<size_t>(ch)])];
    }
    double elapsed() { return std::max(time_.now() - start_, 0.0); }

    void send(uint32_t message) {
        if (recording_) capture_.messages.push_back({elapsed(), message});
    }
    void sendVolume(int ch) {
        send(packShortMsg(0xB0 + ch, 7, settings::volumeAt(volumeIndex_[static_cast<size_t>(ch)])));
    }
    void sendDamper(int ch) {
        const int v = damper_[static_cast<size_t>(ch)];
        if (v == 1 || v == 0) send(packShortMsg(0xB0 + ch, 64, v == 1 ? 127 : 0));
    }
    void setDamper(int ch, int v) {
        if (damper_[static_cast<size_t>(ch)] == v) return;
        damper_[static_cast<size_t>(ch)] = v;
        sendDamper(ch);
    }
    void setProgram(int ch, int program) {
        if (program_[static_cast<size_t>(ch)] == program) return;
        program_[static_cast<size_t>(ch)] = program;
        send(packShortMsg(0xC0 + ch, program & 0x7F));
        if (linked_) setProgram(1 - ch, program);
    }

    // The recorded settings, as the window's playback puts them into its panel: a value a list
    // or box does not have leaves the setting as it was.
    void restore(const Performance& perf) {
        const PerformanceSnapshot& snap = perf.snapshot;
        setKeySignature(snap.settings[0]);
        for (size_t ch = 0; ch < 2; ++ch) {
            if (snap.settings[1 + ch] < settings::kProgramCount)
                program_[ch] = snap.settings[1 + ch];
            const int octave = perf.octaveIndex(static_cast<int>(ch));
            if (octave >= 0 && octave < static_cast<int>(settings::kOctaves.size()))
                octaveIndex_[ch] = octave;
            instrument_.setOctave(static_cast<int>(ch), this->octave(static_cast<int>(ch)));
            if (snap.settings[5 + ch] < settings::kVolumeCount)
                volumeIndex_[ch] = snap.settings[5 + ch];
            if (snap.damper[ch] <= 2) damper_[ch] = snap.damper[ch];
        }
        // The keys of both groups carry captions in a window just opened: their entries apply.
        instrument_.applyKeyEntries(snap.entries, [](int k) {
            const auto role = keyRoleOf(k);
            return role && isNoteRole(*role) && k != vk::kBackspace;
        });
        instrument_.applyKeySignatureCodes(snap.keySig);
    }

    // The settings the playback restored, stated in full at time 0; from here on what is sent is
    // kept.
    void stateSettings() {
        recording_ = true;
        for (int ch = 0; ch < 2; ++ch) {
            send(packShortMsg(0xC0 + ch, program_[static_cast<size_t>(ch)] & 0x7F));
            sendVolume(ch);
            sendDamper(ch);
        }
        for (size_t i = 0; i < 3; ++i)
            for (int ch = 0; ch < 2; ++ch)
                send(packShortMsg(0xB0 + ch, settings::kEffectControllers[i], effects_[i]));
        capture_.settingsCount = capture_.messages.size();
        capture_.keySharps = sharpsOf(keySignatures()[static_cast<size_t>(key_)].text);
    }

    PlaybackCapture& capture_;
    ManualTimers time_;
    Instrument instrument_;
    Keyboard keyboard_;
    Player player_;
    bool recording_ = false;
    double start_ = 0;
    std::vector<double> eventTimes_;
    int played_ = 0;

    int key_ = 0;
    std::array<int, 2> program_{};
    std::array<int, 2> octaveIndex_{settings::kDefaultOctaveIndex, settings::kDefaultOctaveIndex};
    std::array<int, 2> volumeIndex_{};
    std::array<int, 2> damper_{};
    bool linked_ = true;  // a window just opened links the channels' instruments
    int speed_ = settings::kBars[settings::kSpeedBar].value;
    std::array<int, 3> effects_{settings::kBars[0].value, settings::kBars[1].value,
                                settings::kBars[2].value};
};

}  // namespace

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
    PlaybackCapture capture;
    Rendition(capture).play(source);
    return capture;
}

MidiFileContent midiFileContent(const PlaybackCapture& capture) {
    return MidiFileContent{capture.messages, capture.keySharps, capture.markers};
}

}  // namespace muto
