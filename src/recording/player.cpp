#include "recording/player.h"

#include "core/form1.h"

namespace muto {

void Player::cmd_play_Click() {}

void Player::cmd_pause_Click() {}

void Player::placeStartMarker(double /*pos*/) {}

}  // namespace muto
