// Visual options and skins: the user colours, the flash effect, folding the control panel, and
// the pictures behind the keyboard, piano and panel.
#pragma once

#include "core/controls.h"

namespace muto {

class Form1;

class VisualOptions {
public:
    explicit VisualOptions(Form1& form) : f_(form) {}

    // Gives the key outlines (0), the captions (1) or the pressed keys (2) a colour.
    void applyColour(int which, Colour colour);
    void chk_BScr_Click();
    void lbl_BottomUD_Click();
    void Form_DblClick();
    void img_ControlPanel_DblClick();

private:
    Form1& f_;
};

}  // namespace muto
