#include "form/midi.h"

#include <string>

#include "form/form1.h"

namespace muto {

bool MidiOut::midiOpen() {
    if (midiOutHandle != 0) return true;
    int rc = f_.services.midi.open();
    if (rc == 0) {
        midiOutHandle = 1;
        return true;
    }
    f_.services.dialogs.messageBox(
        "미디 출력 장치를 열 수 없습니다.(Rtcode = " + std::to_string(rc) + ")", "무토",
        MsgButtons::Ok, MsgIcon::Critical);
    return false;
}

void MidiOut::midiClose() {
    if (midiOutHandle == 0) return;
    f_.services.midi.close();
    midiOutHandle = 0;
}

void MidiOut::send(uint32_t message) {
    MidiDevice& device = f_.services.midi;
    device.shortMsg(message);
    // A log or WAV file that can no longer be written is said once; playing goes on.
    if (auto failure = device.takeFailure()) {
        f_.services.dialogs.messageBox(
            failure->file + " 파일에 저장하지 못했습니다.\n" + failure->reason, "저장 실패",
            MsgButtons::Ok, MsgIcon::Exclamation);
    }
}

void MidiOut::programChange(int channel, int program) {
    send(packShortMsg(0xC0 + channel, program & 0x7F));
}

void MidiOut::controller(int channel, int number, int value) {
    send(packShortMsg(0xB0 + channel, number & 0x7F, value & 0x7F));
}

}  // namespace muto
