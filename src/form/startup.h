// Start-up and shut-down of the main window, and the start-up routines that belong to no other
// handler class: key captions, highlights and Num Lock.
#pragma once

#include "form/controls.h"

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
    // Loads the three window pictures from their Tags, falling back to the default files.
    void loadPictures();

private:
    void fillLists();
    void makeDefaultSelections();
    void fillTables();
    Form1& f_;
};

}  // namespace muto
