// Recording: the record button, the capacity list, and the step that stores each key event
// while a recording runs.
#pragma once

namespace muto {

class Form1;

class Recorder {
public:
    explicit Recorder(Form1& form) : f_(form) {}

    void cmd_record_Click();
    void cmb_RecMax_Click();
    // Stores a key event of the input surface while recording; stops the recording when the
    // chosen capacity is exceeded.
    void recordKeyEvent(int keyCode, bool down);

    void startRecording();
    void stopRecording();

private:
    void setRecordingControlsEnabled(bool enabled);
    Form1& f_;
    double startedAt_ = 0;  // monotonic seconds when the recording began
};

}  // namespace muto
