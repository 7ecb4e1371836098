// The main window's side of the animated-GIF control: the control instance ucAniGIF1 itself, its
// check box and its file button.
#pragma once

#include <memory>

namespace muto {

class Form1;
namespace anigif {
class AniGifControl;
}

class GifControl {
public:
    explicit GifControl(Form1& form);
    ~GifControl();

    void chk_AniGif_Click();
    void cmd_AniGif_Click();

    // The control shown in the place of ucAniGIF1.
    anigif::AniGifControl& ucAniGIF1() { return *control_; }

private:
    // The control learns its size from the window's layout before it first loads.
    void syncSize();

    Form1& f_;
    std::unique_ptr<anigif::AniGifControl> control_;
};

}  // namespace muto
