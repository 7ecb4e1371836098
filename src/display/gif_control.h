// The main window's side of the animated-GIF control: its check box and its file button.
#pragma once

namespace muto {

class Form1;

class GifControl {
public:
    explicit GifControl(Form1& form) : f_(form) {}

    void chk_AniGif_Click();
    void cmd_AniGif_Click();

private:
    [[maybe_unused]] Form1& f_;
};

}  // namespace muto
