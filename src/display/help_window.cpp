#include "display/help_window.h"

#include "core/form1.h"

namespace muto {

void HelpWindow::show() {}

}  // namespace muto
