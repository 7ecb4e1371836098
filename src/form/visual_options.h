// Visual options and skins: the user colours, the flash effect, the option captions, folding the
// control panel, and the pictures behind the keyboard, piano and panel.
#pragma once

#include <functional>
#include <string>

#include "form/controls.h"
#include "form/services.h"

namespace muto {

class Form1;

class VisualOptions {
public:
    explicit VisualOptions(Form1& form) : f_(form) {}

    // Flags of the colour dialog: the full dialog with the custom-colour part open.
    static constexpr int kColourDialogFlags = 2;
    static constexpr const char* kPictureFilter = "*.bmp, *.jpg, *.gif|*.bmp;*.jpg;*.gif";

    // Gives the key outlines (0), the captions (1) or the pressed keys (2) a colour.
    void applyColour(int which, Colour colour);
    void lbl_Color_Click(int i);
    void chk_BScr_Click();
    // A caption beside an option toggles its check box, enabled or not.
    void lbl_chk_Click(int i);
    void lbl_BottomUD_Click();
    // A click on the window gives the keys back to the input surface of the current mode.
    void Form_Click();
    void Form_DblClick();
    void img_ControlPanel_DblClick();
    void pic_CircleTouch_DblClick();

    // The message shown when a chosen picture file cannot be shown.
    static std::string pictureFailure(const std::string& path, PictureStatus status);

    // The check box that the option caption lbl_chk(i) toggles; nullptr outside 0..10.
    CheckBox* optionBox(int i);

    // The colour of a pressed key.
    Colour pressColor = 0;

private:
    // Lets the user replace one of the three pictures: the target's Tag and picture take the
    // chosen file when it is a picture, and stay as they were otherwise.
    template <class Target>
    void replacePicture(Target& target, const char* title, const char* folder);

    Form1& f_;
};

}  // namespace muto
