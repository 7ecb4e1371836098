// Start-up and shut-down of the main window, and the start-up routines that belong to no other
// handler class: key captions, highlights, the user colours and Num Lock.
#pragma once

#include <functional>

#include "core/controls.h"

namespace muto {

class Form1;

class Startup {
public:
    explicit Startup(Form1& form) : f_(form) {}

    // The whole start-up sequence; false when the program must end at once.
    bool run();
    // A close request: refused while playing, otherwise the MIDI output is closed.
    bool Form_Unload();

    void createKeyCaptions();
    void resetKeyHighlights();
    void applyColour(int which, Colour colour);
    void ensureNumLockOn();
    // Loads the three window pictures from their Tags, falling back to the default files.
    void loadPictures();

    // Reads the saved configuration (installed by the settings code; nothing until then).
    std::function<void()> readConfig;
    // Places the playback start marker (installed by the player; nothing until then).
    std::function<void(double)> placeStartMarker;

private:
    void fillLists();
    void makeDefaultSelections();
    void fillTables();
    Form1& f_;
};

}  // namespace muto
