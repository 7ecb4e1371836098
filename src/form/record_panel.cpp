#include "form/record_panel.h"

#include "form/channel_controls.h"
#include "form/form1.h"
#include "form/key_set_files.h"
#include "form/performance_files.h"
#include "form/playback_panel.h"

namespace muto {

void RecordPanel::cmd_record_Click() {
    if (f_.cmd_record.caption() == "●")
        startRecording();
    else
        stopRecording();
}

void RecordPanel::cmb_RecMax_Click() {
    recorder_.setCapacity(f_.cmb_RecMax.selectedItemData());
    f_.setFocus(f_.Picture1);
}

void RecordPanel::setRecordingControlsEnabled(bool enabled) {
    for (Control* c : std::initializer_list<Control*>{
             &f_.cmd_open, &f_.cmd_play, &f_.cmb_key, &f_.cmb_inst(0), &f_.cmb_inst(1),
             &f_.cmb_OctShift(0), &f_.cmb_OctShift(1), &f_.cmb_volume(0), &f_.cmb_volume(1),
             &f_.cmd_save, &f_.chk_KeysetMode, &f_.cmd_KeysetSave, &f_.cmd_KeysetOpen,
             &f_.cmd_KeySetDefault, &f_.cmb_RecMax})
        c->setEnabled(enabled);
}

void RecordPanel::startRecording() {
    if (f_.services.dialogs.messageBox(
            "녹음을 시작하시겠습니까?\n녹음은 최초의 키눌림으로부터 시작합니다.", "녹음 확인",
            MsgButtons::YesNo, MsgIcon::Question) == MsgResult::Yes) {
        recorder_.start(takeSnapshot(), f_.services.monotonic.now());
        f_.form.setCaption("무토 - [녹음중]");
        f_.cmd_record.setCaption("■");
        setRecordingControlsEnabled(false);
    }
    f_.setFocus(f_.Picture1);
}

PerformanceSnapshot RecordPanel::takeSnapshot() const {
    PerformanceSnapshot s;
    s.settings = {static_cast<uint8_t>(f_.cmb_key.listIndex()),
                  static_cast<uint8_t>(f_.cmb_inst(0).listIndex()),
                  static_cast<uint8_t>(f_.cmb_inst(1).listIndex()),
                  static_cast<uint8_t>(f_.cmb_OctShift(0).listIndex()),
                  static_cast<uint8_t>(f_.cmb_OctShift(1).listIndex()),
                  static_cast<uint8_t>(f_.cmb_volume(0).listIndex()),
                  static_cast<uint8_t>(f_.cmb_volume(1).listIndex())};
    s.damper = f_.channels().dampers();
    s.keySig[0] = keySigCode(f_.instrument().degreeDirection);
    for (size_t d = 0; d < 7; ++d)
        s.keySig[1 + d] = keySigCode(f_.instrument().degreeAlter[d]);
    // Each altered key with the note it plays now, under the settings just taken.
    s.entries = alteredKeyEntries(f_);
    return s;
}

void RecordPanel::stopRecording() {
    recorder_.stop();
    f_.form.setCaption("무토");
    f_.cmd_record.setCaption("●");
    if (!recorder_.performance().events.empty()) {
        f_.performanceFiles().askPerformanceFileName(true);
        f_.playback().resetPlayPositions();
    }
    setRecordingControlsEnabled(true);
    f_.setFocus(f_.Picture1);
}

void RecordPanel::recordKeyEvent(int k, bool down) {
    if (!recorder_.isRecording()) return;
    if (recorder_.record(k, down, f_.services.monotonic.now()) != Recorder::Take::Full) return;
    // The held keys are released before the first box: the boxes take the keys' releases, and
    // their notes would sound until the file name is answered. The releases are not recorded,
    // nor is the damper the recording put down left down.
    f_.keyboard().releaseAll();
    f_.channels().liftDampersPutDownSince(recorder_.performance().snapshot.damper);
    f_.services.dialogs.messageBox("녹음 최대 길이를 초과하여 녹음을 중지합니다.", "안내",
                                   MsgButtons::Ok, MsgIcon::Information);
    cmd_record_Click();
}

}  // namespace muto
