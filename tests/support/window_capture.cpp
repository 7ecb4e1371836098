#include "support/window_capture.h"

#include <algorithm>

#include "form/channel_controls.h"
#include "form/form1.h"
#include "form/midi.h"
#include "form/playback_panel.h"
#include "form/record_panel.h"
#include "support/fake_services.h"

namespace muto::test {

PlaybackCapture captureWindowPlayback(const PerformanceSource& source) {
    FakeServices fakes;
    fakes.pictures.missingAll = true;
    // A folder that cannot exist: the window reads no config.ini.
    Form1 f(fakes.services("/dev/null"));
    f.load();
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
    ManualTimers& time = fakes.time;
    const double start = time.now() + 1.0;
    fakes.midi.onMessage = [&](uint32_t m) { capture.messages.push_back({0.0, m}); };
    for (int ch = 0; ch < 2; ++ch) {
        f.midi().programChange(ch, f.cmb_inst(ch).listIndex());
        f.channels().cmb_volume_Click(ch);
        f.channels().chk_damper_Click(ch);
    }
    for (int i = 0; i < 3; ++i)
        f.channels().vbar_Effect_Change(i);
    capture.settingsCount = capture.messages.size();
    fakes.midi.onMessage = [&](uint32_t m) {
        capture.messages.push_back({std::max(time.now() - start, 0.0), m});
    };
    std::vector<double> eventTimes(static_cast<size_t>(count), 0.0);
    int played = 0;
    while (f.player().isPlaying()) {
        const auto due = time.nextDueUs();
        if (!due) break;
        time.advance(std::chrono::microseconds(std::max<int64_t>(*due - time.nowUs(), 0)));
        for (; played < f.player().playPos() && played < count; ++played)
            eventTimes[static_cast<size_t>(played)] = std::max(time.now() - start, 0.0);
    }
    if (f.player().isPaused()) f.playback().cmd_play_Click();
    capture.length = std::max(time.now() - start, 0.0);
    fakes.midi.onMessage = nullptr;
    for (int i = 0; i < 3; ++i) {
        const int at = source.savedPositions[static_cast<size_t>(i)];
        if (at <= 0) continue;
        const size_t e = std::min(static_cast<size_t>(at), eventTimes.size() - 1);
        capture.markers.push_back({eventTimes[e], "위치 " + std::to_string(i + 1)});
    }
    return capture;
}

}  // namespace muto::test
