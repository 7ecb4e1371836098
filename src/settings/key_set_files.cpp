#include "settings/key_set_files.h"

#include "core/form1.h"

namespace muto {

void KeySetFiles::chk_KeysetMode_Click() {
    f_.keyAlterEditMode = f_.chk_KeysetMode.value() == 1;
    f_.setFocus(f_.Picture1);
}

void KeySetFiles::cmd_KeysetSave_Click() {}

void KeySetFiles::cmd_KeysetOpen_Click() {}

}  // namespace muto
