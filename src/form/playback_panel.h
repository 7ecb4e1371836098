// The transport panel's playback: the play and pause buttons, the progress bar with its start
// marker, the three remembered positions, and the window's side of a playback: the recorded
// settings put back into the controls, the keys played on the input surface of the mode, and
// the controls that must not change meanwhile.
#pragma once

#include <array>
#include <cstdint>

#include "performance/player.h"

namespace muto {

class Form1;

class PlaybackPanel : public Stage {
public:
    explicit PlaybackPanel(Form1& form);

    // Starts a playback, or stops the one that runs or is paused.
    void cmd_play_Click();
    // Pauses a running playback or resumes a paused one.
    void cmd_pause_Click();
    // Remembers the position being played (while playing) or recalls the remembered one.
    void cmd_SavePlayPos_Click(int i);
    // A click on the progress bar at (x, y), in pixels inside the bar.
    void pic_ProgBack_MouseDown(int button, int shift, int x, int y);
    // A click on the control-panel picture at (x, y), in pixels inside the picture; it counts
    // when it falls in the strip under the progress bar.
    void img_ControlPanel_MouseDown(int button, int shift, int x, int y);
    // "▼": the next playback starts from the first event.
    void lbl_Home_Click();

    // Moves the start marker over the progress bar to event position `pos`.
    void placeStartMarker(double pos);
    // Playback starts from the beginning: marker, remembered positions and the bar's scale.
    void resetPlayPositions();
    // The controls that must not change while a performance plays.
    void setPlaybackControlsEnabled(bool enabled);
    // Clears the key-set alterations of every mapped key.
    void clearKeyOverrides();

    // The width of the progress shape in bar units (events played).
    int progressUnits() const { return progressUnits_; }
    // The progress bar's scale: one unit per event.
    int progressScale() const { return progressScale_; }
    void setProgressScale(int events) { progressScale_ = events; }

    Player& player() { return player_; }

    // Stage
    void keyDown(int keyCode, int shift) override;
    void keyUp(int keyCode, int shift) override;
    bool isHeld(int keyCode) const override;
    bool isChannel1Note(int keyCode) const override;
    void lightAwaited(int keyCode, bool lit) override;
    void progressed(int played) override;
    void finished(bool early, const PracticeScore* score) override;

private:
    // Puts the recorded settings of the performance to play into the controls and the key map.
    void restoreSettings(const Performance& perf);
    void showPracticeScore(const PracticeScore& score);
    void setProgressUnits(int units);
    // Of the performance in memory.
    int eventCount() const;

    Form1& f_;
    Player player_;
    int progressUnits_ = 0;
    int progressScale_ = 0;
    // The damper values before the playback set its own: a stop before the end puts up the
    // dampers it put down.
    std::array<uint8_t, 2> dampersBefore_{};
    uint32_t awaitedKeyColour_ = 0;  // the lit key's own colour, given back when it is pressed
};

}  // namespace muto
