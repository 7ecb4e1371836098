#include "display/gif_control.h"

#include "core/form1.h"

namespace muto {

void GifControl::chk_AniGif_Click() {}

void GifControl::cmd_AniGif_Click() {}

}  // namespace muto
