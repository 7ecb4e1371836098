// The per-channel sound controls of the panel: instrument with the channel link, volume,
// damper, and the four effect bars shared by both channels.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace muto {

class Form1;

class ChannelControls {
public:
    explicit ChannelControls(Form1& form) : f_(form) {}

    void cmb_inst_Click(int ch);
    void cmb_volume_Click(int ch);
    void chk_damper_Click(int ch);
    void chk_ESync_Click();
    void vbar_Effect_Change(int i);
    void vbar_Effect_Scroll(int i);
    void lbl_effect_Click(int i);

    // Puts up each damper that is down now but was up in `before` (the damper values when a
    // playback or recording began), so no note it holds outlasts the playback or recording.
    void liftDampersPutDownSince(const std::array<uint8_t, 2>& before);
    // The damper values as they stand.
    std::array<uint8_t, 2> dampers() const;

    // The caption of effect label i for value v ("음지속 70", "x1.0").
    static std::string effectCaption(int i, int v);

private:
    Form1& f_;
};

}  // namespace muto
