// The playback engine: play, pause and resume, stop, and the start marker.
//
// A playback is driven by one single-shot timer armed for the next event's due time on the
// monotonic clock, so the event loop runs freely between events and nothing polls. Each timer
// callback plays at most one event; when the next one has already fallen due it re-arms with no
// delay, so a late event is followed at once by those that have fallen due, one per pass.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "common/time.h"
#include "performance/performance.h"

namespace muto {

class Form1;

class Player {
public:
    explicit Player(Form1& form);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

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
    // The controls that must not change while a performance plays.
    void setPlaybackControlsEnabled(bool enabled);
    // Clears the key-set alterations of every mapped key.
    void clearKeyOverrides();

    // The width of the progress shape in bar units (events played).
    int progressUnits() const { return progressUnits_; }

    // Index of the next event to play.
    int32_t playPos = 0;
    // The progress bar's scale: one unit per event.
    int32_t progressScale = 0;
    // The playback speed the speed bar chose; 0 or less plays at 1.
    float playSpeed = 0;
    // A playback runs.
    bool isPlaying = false;
    // A playback is paused.
    bool isPaused = false;

private:
    // Restores the recorded settings and sets up the schedule; false when there is nothing to
    // play.
    void prepare();
    void restoreDegreeAccidentals();
    void onTimer();
    // Arms the timer for the event due at nextDue_.
    void arm(double now);
    // What follows the end of a playback, reached at the last event or on a stop request.
    void finish();
    void setProgressUnits(int units);
    // Of the performance in memory.
    int eventCount() const;
    void keyDown(int keyCode, int shift);
    void keyUp(int keyCode, int shift);

    Form1& f_;
    // The performance being played, as it was when the playback started.
    Performance playing_;
    std::unique_ptr<Timer> timer_;
    // Monotonic seconds: when the event at playPos is due, and when the timer was meant to run.
    double nextDue_ = 0;
    double armedFor_ = 0;
    int playShiftState_ = 0;
    int progressUnits_ = 0;
    // Events go to the circle-touch surface's handlers rather than the keyboard picture's.
    bool toCircleTouch_ = false;
    // A playback was started and has not finished yet (it may be paused).
    bool active_ = false;
    // Inside the timer callback: a stop or pause requested by a played key takes effect when
    // the callback ends, after the event has been counted.
    bool inCallback_ = false;
    // Keys the playback pressed that are still down: released at the end should the recording
    // have lost their releases.
    std::array<bool, 256> playbackHeld_{};
};

// The gap between two recorded times, in seconds. A step back counts as a crossing of midnight
// only from the day's last hour into its first; any other, and any time no recording can hold,
// gives no gap.
double recordedGap(float before, float after);

// The start position as the marker keeps it: an event index, possibly with a fraction.
std::string formatPlayPosition(double pos);
// A start position read back: rounded to the nearest event, halves to even; 0 for text that is
// no number.
int parsePlayPosition(const std::string& text);

}  // namespace muto
