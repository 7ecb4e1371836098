// The saved options: config.ini in the program folder, read once at start-up and written by the
// save button.
#pragma once

#include <string>

namespace muto {

class Form1;

class Configuration {
public:
    explicit Configuration(Form1& form) : f_(form) {}

    // Applies the saved options record by record through the controls, so each changed value
    // runs its handler. A missing file changes nothing; the first field that cannot be read or
    // that its control refuses ends the reading, keeping what was applied before it.
    void readConfig();
    // Asks, then writes every option; a failed write is reported and changes nothing.
    void cmd_SaveConfig_Click();

    std::string path() const;

private:
    Form1& f_;
};

}  // namespace muto
