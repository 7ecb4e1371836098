#include "recording/performance_files.h"

#include "core/form1.h"

namespace muto {

void PerformanceFiles::cmd_open_Click() {}

void PerformanceFiles::cmd_save_Click() {}

}  // namespace muto
