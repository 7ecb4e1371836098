// The transport panel's recording: the record button, the capacity list, the question that
// starts a recording, and the key events of the input surfaces handed to the recorder.
#pragma once

#include "performance/recorder.h"

namespace muto {

class Form1;

class RecordPanel {
public:
    explicit RecordPanel(Form1& form) : f_(form) {}

    void cmd_record_Click();
    void cmb_RecMax_Click();
    // Stores a key event of the input surface while recording; stops the recording when the
    // chosen capacity is exceeded.
    void recordKeyEvent(int keyCode, bool down);

    void startRecording();
    void stopRecording();

    Recorder& recorder() { return recorder_; }
    // The settings and altered keys as they stand.
    PerformanceSnapshot takeSnapshot() const;

private:
    void setRecordingControlsEnabled(bool enabled);

    Form1& f_;
    Recorder recorder_;
};

}  // namespace muto
