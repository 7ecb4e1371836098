#include "recording/recorder.h"

#include "core/form1.h"
#include "core/key_input.h"

namespace muto {

void Recorder::cmd_record_Click() {}

void Recorder::cmb_RecMax_Click() {
    f_.recMaxEvents = f_.cmb_RecMax.selectedItemData();
    f_.setFocus(f_.Picture1);
}

void Recorder::recordKeyEvent(int k, bool down) {
    if (!f_.isRecording) return;
    size_t at = static_cast<size_t>(f_.eventCount);
    if (f_.perfEvents.size() <= at) f_.perfEvents.resize(at + 1);
    f_.perfEvents[at] = PerfEvent{static_cast<int16_t>(k), static_cast<int16_t>(down ? 1 : 0),
                                  static_cast<float>(f_.services.clock.secondsSinceMidnight())};
    ++f_.eventCount;
    if (f_.eventCount > f_.recMaxEvents) {
        f_.services.dialogs.messageBox("녹음 최대 길이를 초과하여 녹음을 중지합니다.", "안내",
                                       MsgButtons::Ok, MsgIcon::Information);
        cmd_record_Click();
        f_.keys().releaseAllKeys();
    }
}

}  // namespace muto
