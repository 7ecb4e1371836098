// Why a file could not be written, in the words a message box gives.
#pragma once

#include <string>

namespace muto {

// Korean for the common causes (no space, no permission, a read-only file system, a missing file
// or folder, a folder in the way, a file too large); the system's own words for the rest.
std::string failureReason(int error);

}  // namespace muto
