// Whole-file writes for the settings and performance files. Saving never destroys
// the previous file: the bytes go to a temporary file beside it, which replaces it only once it
// is complete and on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace muto {

// Nothing on success, otherwise the system's reason (e.g. "No such file or directory"). On
// failure the target is as it was and no temporary file is left behind. A target that is a
// symbolic link keeps the link: the file it points to is replaced. An existing target keeps its
// permission bits; a new one gets 0666 less the umask. A failure to flush the folder after the
// new file took the old one's place is reported too: the save may not survive a power cut.
std::optional<std::string> writeFileAtomically(const std::string& path,
                                               std::span<const uint8_t> bytes);

}  // namespace muto
