// The second window, listing the shortcut keys.
#pragma once

namespace muto {

class Form1;

class HelpWindow {
public:
    explicit HelpWindow(Form1& form) : f_(form) {}

    // The "?" legend over the keyboard opens the window.
    void show();

private:
    [[maybe_unused]] Form1& f_;
};

}  // namespace muto
