// Opening and saving performances from the transport panel.
#pragma once

namespace muto {

class Form1;

class PerformanceFiles {
public:
    explicit PerformanceFiles(Form1& form) : f_(form) {}

    void cmd_open_Click();
    void cmd_save_Click();

private:
    Form1& f_;
};

}  // namespace muto
