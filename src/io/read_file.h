// Whole-file reads for every file the program opens. Only regular files are read: the file is
// opened without blocking and checked on its descriptor, so a pipe, a device or a folder is
// refused at once instead of hanging the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/result.h"

namespace muto {

constexpr std::size_t kDefaultReadLimit = std::size_t{16} << 20;

// The whole content of a regular file. TooLarge past `limit` bytes, Unreadable when the file
// cannot be opened or read (or is not a regular file).
ReadResult<std::vector<uint8_t>> readWholeFile(const std::string& path,
                                               std::size_t limit = kDefaultReadLimit);

}  // namespace muto
