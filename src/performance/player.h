// The playback engine: play, pause and resume, stop, and practice.
//
// A playback is driven by one single-shot timer armed for the next event's due time on the
// monotonic clock, so the event loop runs freely between events and nothing polls. Each timer
// callback plays every event that has fallen due, in order, before anything repaints: a chord
// recorded at one instant replays at one instant, and a late event is followed at once by those
// that have fallen due.
//
// The engine knows no window. It plays each recorded key event on a Stage, which does with it
// what the user's key would do, and tells the stage how far it got and when it ended.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "common/time.h"
#include "performance/performance.h"

namespace muto {

// Where a playback plays.
class Stage {
public:
    virtual ~Stage() = default;
    // A recorded key event, played as the user's key would be: notes, modifiers and shortcut
    // keys alike. `shift` carries the Shift or Alt the recording held.
    virtual void keyDown(int keyCode, int shift) = 0;
    virtual void keyUp(int keyCode, int shift) = 0;
    virtual bool isHeld(int keyCode) const = 0;
    // Whether key k plays a note of channel 1 now: practice waits for the user at such keys.
    virtual bool isChannel1Note(int keyCode) const = 0;
    // Practice lights the key the user is to press next, and puts it out once pressed or ended.
    virtual void lightAwaited(int keyCode, bool lit) = 0;
    // `played` events of the performance have been played.
    virtual void progressed(int played) = 0;
    // The playback has ended: at its last event, or `early` on a stop. A practice run hands
    // over its score.
    struct PracticeScore {
        int hits = 0;
        int wrongKeys = 0;
        double lateSeconds = 0;  // summed over the hits; a press before the due time is on time
    };
    virtual void finished(bool early, const PracticeScore* score) = 0;
};

class Player {
public:
    using PracticeScore = Stage::PracticeScore;

    Player(Stage& stage, MonotonicClock& clock, TimerFactory& timers);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Plays `performance` from event `from` (clamped to its events); the first event is due a
    // second from now. With `practice` the playback waits before each key-down of a channel-1
    // note until the user presses that key, lit a moment before it is due. False when there is
    // nothing to play.
    bool start(Performance performance, int from, bool practice);
    // A stop request, while playing or paused. Inside a played event it takes effect once the
    // event has been counted.
    void stop();
    void pause();
    // The next event plays at once, the following ones at their recorded gaps.
    void resume();

    // The speed the speed bar chose; 0 or less plays at 1.
    void setSpeed(float speed) { speed_ = speed; }
    float speed() const { return speed_; }

    bool isPlaying() const { return playing_; }
    bool isPaused() const { return paused_; }
    // A playback was started and has not finished yet (it may be paused).
    bool isActive() const { return active_; }
    // Index of the next event to play.
    int playPos() const { return playPos_; }
    // The performance being played, as it was when the playback started.
    const Performance& performance() const { return performance_; }

    // The key handlers call these around every note key the user presses: before the note
    // sounds (the Space or Ctrl the awaited note is played with goes down first), and after it
    // (the awaited key advances the playback, any other counts as wrong).
    void userPressingNote(int keyCode);
    void userPressedNote(int keyCode);
    const PracticeScore& practiceScore() const { return score_; }
    // The key the playback waits for, lit for the user; -1 when none.
    int awaitedKey() const { return awaitedKey_; }

private:
    void onTimer();
    // Plays the event at playPos when it is due, or arms the timer for it.
    void playNext();
    void arm(double now);
    void arm(double now, double target);
    // Counts the event at playPos as played and schedules the next one.
    void advance(double now);
    double gapBefore(int pos) const;
    // The key of the channel-1 note that practice leaves to the user, when the event at `pos` is
    // its key-down; otherwise -1.
    int awaitedAt(int pos) const;
    // Lights the next awaited key once it is due within the lead; returns when the timer must
    // run next: the next event, or the moment a key is to light before it.
    double lightUpcoming(double now);
    void unlightAwaited();
    int pendingModifier() const;
    // What follows the end of a playback, reached at the last event or on a stop request.
    void finish();
    void keyDown(int keyCode);
    void keyUp(int keyCode);

    Stage& stage_;
    MonotonicClock& clock_;
    TimerFactory& timers_;
    Performance performance_;
    std::unique_ptr<Timer> timer_;
    float speed_ = 1.0f;
    int playPos_ = 0;
    bool playing_ = false;
    bool paused_ = false;
    bool active_ = false;
    // Monotonic seconds: when the event at playPos is due, and when the timer was meant to run.
    double nextDue_ = 0;
    double armedFor_ = 0;
    int shiftState_ = 0;
    // Inside a played event: a stop or pause requested by a played key takes effect when the
    // event has been counted.
    bool inEvent_ = false;
    // Inside onTimer, and whether the next event fell due meanwhile.
    bool inTimer_ = false;
    bool dueAgain_ = false;
    // Keys the playback pressed that are still down: released at the end should the recording
    // have lost their releases.
    std::array<bool, 256> playbackHeld_{};

    bool practising_ = false;
    int awaitedKey_ = -1;
    int awaitedPos_ = -1;  // the event of the awaited key-down
    double awaitedDue_ = 0;
    int takenPos_ = -1;      // an awaited key-down the user has played: the playback skips it
    int heldModifier_ = -1;  // pressed for the user's note, released after it
    bool waiting_ = false;   // the awaited key is due: no timer runs until it is pressed
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
// Rounds to the nearest integer, halves to the even neighbour, whatever the rounding mode.
double roundHalfEven(double x);

}  // namespace muto
