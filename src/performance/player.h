// The playback engine: play, pause and resume, stop, and the start marker.
//
// A playback is driven by one single-shot timer armed for the next event's due time on the
// monotonic clock, so the event loop runs freely between events and nothing polls. Each timer
// callback plays every event that has fallen due, in order, before anything repaints: a chord
// recorded at one instant replays at one instant, and a late event is followed at once by those
// that have fallen due.
#pragma once

#include <array>
#include <cstdint>
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

    // Practice ("연습" checked when a playback starts): the playback waits before each key-down
    // of a channel-1 note until the user presses that key, lit in its own colour a moment before
    // it is due. The key handlers call these around every note key the user presses: before the
    // note sounds (the Space or Ctrl the awaited note is played with goes down first), and after
    // it (the awaited key advances the playback, any other counts as wrong).
    void userPressingNote(int keyCode);
    void userPressedNote(int keyCode);
    struct PracticeScore {
        int hits = 0;
        int wrongKeys = 0;
        double lateSeconds = 0;  // summed over the hits; a press before the due time is on time
    };
    const PracticeScore& practiceScore() const { return score_; }
    // The key the playback waits for, lit for the user; -1 when none.
    int awaitedKey() const { return awaitedKey_; }

private:
    // Restores the recorded settings and sets up the schedule; false when there is nothing to
    // play.
    void prepare();
    void restoreDegreeAccidentals();
    void onTimer();
    // Plays the event at playPos when it is due, or arms the timer for it.
    void playNext();
    // Arms the timer for the event due at nextDue_, or for an earlier moment.
    void arm(double now);
    void arm(double now, double target);
    // Counts the event at playPos as played and schedules the next one.
    void advance(double now);
    // The key of the channel-1 note that practice leaves to the user, when the event at `pos` is
    // its key-down; otherwise -1.
    int awaitedAt(int pos) const;
    // Lights the next awaited key once it is due within the lead; returns when the timer must
    // run next: the next event, or the moment a key is to light before it.
    double lightUpcoming(double now);
    void unlightAwaited();
    int pendingModifier() const;
    void showPracticeScore();
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
    // Inside onTimer, and whether the next event fell due meanwhile.
    bool inTimer_ = false;
    bool dueAgain_ = false;
    // Keys the playback pressed that are still down: released at the end should the recording
    // have lost their releases.
    std::array<bool, 256> playbackHeld_{};
    // The damper values before the playback set its own: a stop before the end puts up the
    // dampers it put down.
    std::array<uint8_t, 2> dampersBefore_{};

    bool practising_ = false;
    int awaitedKey_ = -1;
    int awaitedPos_ = -1;  // the event of the awaited key-down
    double awaitedDue_ = 0;
    int takenPos_ = -1;      // an awaited key-down the user has played: the playback skips it
    int heldModifier_ = -1;  // pressed for the user's note, released after it
    uint32_t awaitedKeyColour_ = 0;  // the lit key's own colour, given back when it is pressed
    bool waiting_ = false;           // the awaited key is due: no timer runs until it is pressed
    std::array<bool, 256> userOwned_{};  // keys the user pressed for the playback
    PracticeScore score_;
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
