// The playback engine: play, pause and resume, stop, and the start marker.
#pragma once

namespace muto {

class Form1;

class Player {
public:
    explicit Player(Form1& form) : f_(form) {}

    void cmd_play_Click();
    void cmd_pause_Click();
    // Moves the start marker over the progress bar to event position `pos`.
    void placeStartMarker(double pos);

private:
    Form1& f_;
};

}  // namespace muto
