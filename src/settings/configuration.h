// The saved options: config.ini, read once at start-up and written by the save button.
#pragma once

namespace muto {

class Form1;

class Configuration {
public:
    explicit Configuration(Form1& form) : f_(form) {}

    // Applies the saved options; a missing file changes nothing.
    void readConfig();
    void cmd_SaveConfig_Click();

private:
    Form1& f_;
};

}  // namespace muto
