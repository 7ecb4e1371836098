// Opening and saving performances from the transport panel.
#pragma once

#include <string>

#include "io/background_writes.h"
#include "performance/performance_export.h"

namespace muto {

class Form1;

// Whether a chosen file name asks for a Standard MIDI File (it ends in ".mid", any case).
bool isMidiFileName(const std::string& path);
// Whether a file to open is a Standard MIDI File to import (".mid" or ".midi", any case).
bool isMidiImportName(const std::string& path);

// The performance in memory of a window, with the settings its playback depends on.
PerformanceSource performanceInMemory(Form1& form);

class PerformanceFiles {
public:
    explicit PerformanceFiles(Form1& form);

    void cmd_open_Click();
    void cmd_save_Click();

    // The save dialog loop. With `remember` (the save a stopped recording offers) the chosen
    // file becomes the performance's file; it is cleared before each showing of the dialog.
    // False when the user cancelled.
    bool askPerformanceFileName(bool remember);
    // Writes the performance in memory; a failure is reported to the user and changes nothing.
    // With a worker the file is written there and a failure reported once it is known; false
    // only for a failure known at once.
    bool writePerformanceFile(const std::string& path);
    // Writes the Standard MIDI File of the performance in memory, as its playback sends it; a
    // failure is reported to the user, as above.
    bool writeMidiFileOfPerformance(const std::string& path);
    // Waits for the files still being written and reports their failures: before the end.
    void finishWrites() { writes_.finish(); }

private:
    // Imports a Standard MIDI File as the performance in memory and says what was kept; a file
    // that cannot be imported is named with the reason, and the performance in memory stays.
    void importMidiFile(const std::string& path);
    bool write(const std::string& path, std::vector<uint8_t> bytes);

    Form1& f_;
    BackgroundWrites writes_;
};

}  // namespace muto
