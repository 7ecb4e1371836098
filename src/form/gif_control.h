// The main window's side of the animated-GIF control: the control instance ucAniGIF1 itself, its
// check box and its file button.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace muto {

class Form1;
namespace anigif {
class AniGifControl;
struct LoadFailure;
}  // namespace anigif

class GifControl {
public:
    explicit GifControl(Form1& form);
    ~GifControl();

    void chk_AniGif_Click();
    void cmd_AniGif_Click();

    // The control shown in the place of ucAniGIF1.
    anigif::AniGifControl& ucAniGIF1() { return *control_; }

    // The text of the "열기 실패" box for a GIF that cannot be shown: its path and the reason.
    static std::string loadFailureText(const std::string& path, const anigif::LoadFailure& failure);

private:
    // The file dialog, and the load of the GIF chosen in it; false when none was chosen.
    bool chooseGif();
    // Every load fits the picture into the box's designed size, whatever the last fit left.
    void restoreDesignedSize();

    Form1& f_;
    std::unique_ptr<anigif::AniGifControl> control_;
};

}  // namespace muto
