// The 128 General MIDI program names, in program order.
#pragma once

#include <span>
#include <string_view>

namespace muto {

std::span<const std::string_view> gmProgramNames();

}  // namespace muto
