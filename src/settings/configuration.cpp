#include "settings/configuration.h"

#include "core/form1.h"

namespace muto {

void Configuration::readConfig() {}

void Configuration::cmd_SaveConfig_Click() {}

}  // namespace muto
