// A minimal PNG writer: 8-bit RGB, uncompressed (stored) deflate blocks.
#pragma once

#include <cstdint>
#include <vector>

namespace muto::tools {

// rgb: top-down rows of width * 3 bytes (red, green, blue).
std::vector<uint8_t> encodePng(int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace muto::tools
