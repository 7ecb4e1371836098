#include "form/help_window.h"

#include "form/form1.h"
#include "form/help_text.h"

namespace muto {

void HelpWindow::show() {
    if (!loaded_) {
        loaded_ = true;
        option_ = kAboutPage;
        text1_.clear();
        text1Visible_ = false;
    }
    ++showCount_;
    changed();
}

void HelpWindow::Option1_Click(int index) {
    if (!loaded_ || (index != kAboutPage && index != kShortcutPage)) return;
    option_ = index;
    if (option_ == kShortcutPage) {
        // Filled once: the text goes in at the insertion point of the empty box.
        if (text1_.empty()) text1_ = help::shortcutText();
        text1Visible_ = true;
    } else {
        text1Visible_ = false;
    }
    changed();
}

void HelpWindow::Command1_Click() {
    if (!loaded_) return;
    loaded_ = false;
    option_ = kAboutPage;
    text1_.clear();
    text1Visible_ = false;
    changed();
}

}  // namespace muto
