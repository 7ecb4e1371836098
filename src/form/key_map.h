// Which note every PC key plays: the two key groups, the key signature and the octave shifts.
#pragma once

#include "instrument/key_layout.h"

namespace muto {

class Form1;

class KeyMap {
public:
    explicit KeyMap(Form1& form) : f_(form) {}

    void rebuildBothGroups();
    void refreshKeyStaffTops();
    void resetKeyCaptions();
    void refreshKeyCaptions();

    void cmb_key_Click();
    void cmb_OctShift_Click(int group);
    void cmd_KeySetDefault_Click();

private:
    void loadKeySignaturePicture();
    Form1& f_;
};

}  // namespace muto
