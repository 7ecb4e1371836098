// Key sets: the key-set editing mode and saving and loading key-set files.
#pragma once

namespace muto {

class Form1;

class KeySetFiles {
public:
    explicit KeySetFiles(Form1& form) : f_(form) {}

    void chk_KeysetMode_Click();
    void cmd_KeysetSave_Click();
    void cmd_KeysetOpen_Click();

private:
    Form1& f_;
};

}  // namespace muto
