// The second window, "프로그램 정보": what the program is, and the list of its shortcut keys.
// The model keeps the window's state (loaded and shown, the selected page, the text box); a
// view observes it through onChange and forwards the user's clicks.
#pragma once

#include <functional>
#include <string>

namespace muto {

class Form1;

class HelpWindow {
public:
    explicit HelpWindow(Form1& form) : f_(form) {}

    static constexpr const char* kCaption = "프로그램 정보";
    static constexpr int kAboutPage = 0;
    static constexpr int kShortcutPage = 1;

    // The "?" legend over the keyboard opens the window without blocking the main window. A
    // window that is not loaded is created anew: about page selected, text box empty.
    void show();

    // An option button was clicked: it becomes the selected one and the pages follow.
    void Option1_Click(int index);
    // "닫 기": the window closes and unloads; so does closing it from its title bar.
    void Command1_Click();

    bool loaded() const { return loaded_; }
    // Which option button is selected.
    int option() const { return option_; }
    // The text box Text1: its text (empty until the shortcut page is first shown) and
    // whether it shows; the about page shows whenever it does not.
    const std::string& text1() const { return text1_; }
    bool text1Visible() const { return text1Visible_; }
    // Counts the showings, so a view can bring an open window to the front again.
    int showCount() const { return showCount_; }

    std::function<void()> onChange;

private:
    void changed() {
        if (onChange) onChange();
    }

    [[maybe_unused]] Form1& f_;
    bool loaded_ = false;
    int option_ = kAboutPage;
    std::string text1_;
    bool text1Visible_ = false;
    int showCount_ = 0;
};

}  // namespace muto
