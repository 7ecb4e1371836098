#include "form/channel_controls.h"

#include <charconv>

#include "form/form1.h"
#include "form/midi.h"
#include "instrument/settings.h"
#include "performance/player.h"

namespace muto {

std::string ChannelControls::effectCaption(int i, int v) {
    switch (i) {
        case 0:
            return "음지속 " + std::to_string(v);
        case 1:
            return "음잔향 " + std::to_string(v);
        case 2:
            return "음두께 " + std::to_string(v);
        default: {
            // v / 10 as "x0.0": at least one integer digit, exactly one decimal.
            int a = v < 0 ? -v : v;
            std::string s = "x";
            if (v < 0) s += "-";
            return s + std::to_string(a / 10) + "." + std::to_string(a % 10);
        }
    }
}

void ChannelControls::cmb_inst_Click(int ch) {
    int program = f_.cmb_inst(ch).listIndex();
    if (program >= 0) f_.midi().programChange(ch, program);
    if (f_.chk_ESync.value() == 1) f_.cmb_inst(1 - ch).setListIndex(program);
    if (f_.form.visible()) f_.setFocus(f_.Picture1);
}

void ChannelControls::cmb_volume_Click(int ch) {
    const std::string text = f_.cmb_volume(ch).text();
    int volume = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), volume).ec == std::errc())
        f_.midi().controller(ch, 7, volume);
    if (f_.form.visible()) f_.setFocus(f_.Picture1);
}

void ChannelControls::chk_damper_Click(int ch) {
    int v = f_.chk_damper(ch).value();
    if (v == 1)
        f_.midi().controller(ch, 64, 127);
    else if (v == 0)
        f_.midi().controller(ch, 64, 0);
    f_.setFocus(f_.Picture1);
}

void ChannelControls::liftDampersPutDownSince(const std::array<uint8_t, 2>& before) {
    for (int ch = 0; ch < 2; ++ch)
        if (f_.chk_damper(ch).value() == 1 && before[static_cast<size_t>(ch)] == 0)
            f_.chk_damper(ch).setValue(0);
}

std::array<uint8_t, 2> ChannelControls::dampers() const {
    return {static_cast<uint8_t>(f_.chk_damper(0).value()),
            static_cast<uint8_t>(f_.chk_damper(1).value())};
}

void ChannelControls::chk_ESync_Click() {
    f_.setFocus(f_.Picture1);
}

void ChannelControls::vbar_Effect_Change(int i) {
    int v = f_.vbar_Effect(i).value();
    if (i >= 0 && i < 3) {
        const int controller = settings::kEffectControllers[static_cast<size_t>(i)];
        f_.midi().controller(0, controller, v);
        f_.midi().controller(1, controller, v);
    } else if (i == 3) {
        f_.player().setSpeed(static_cast<float>(v) / 10.0f);
    }
    f_.lbl_effect(i).setCaption(effectCaption(i, v));
    if (f_.form.visible()) f_.setFocus(f_.Picture1);
}

void ChannelControls::vbar_Effect_Scroll(int i) {
    f_.lbl_effect(i).setCaption(effectCaption(i, f_.vbar_Effect(i).value()));
}

void ChannelControls::lbl_effect_Click(int i) {
    ScrollBar& bar = f_.vbar_Effect(i);
    bar.setVisible(!bar.visible());
}

}  // namespace muto
