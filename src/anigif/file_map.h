// Regular files mapped read-only into memory, guarded against another program shrinking them
// meanwhile: a page past the file's new end then reads as zeros, where it would otherwise end the
// process with SIGBUS. The readers check every byte they use, so zeros are just bad data to them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace muto::anigif {

// Maps the first `length` bytes of the open file `fd` with every page read in; null when the file
// cannot be mapped (the caller then reads it instead).
const uint8_t* mapFileGuarded(int fd, std::size_t length);

// Gives back what mapFileGuarded returned.
void unmapFileGuarded(const uint8_t* p, std::size_t length);

}  // namespace muto::anigif
