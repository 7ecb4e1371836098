#include "formats/key_entry.h"

namespace muto {

void appendKeyEntry(std::vector<uint8_t>& out, const KeyEntry& entry) {
    out.push_back(entry.keyCode);
    out.push_back(entry.note);
    out.push_back(static_cast<uint8_t>(entry.flag));
}

ReadResult<std::vector<KeyEntry>> readKeyEntries(std::span<const uint8_t> bytes,
                                                 std::size_t count) {
    if (count > bytes.size() / kKeyEntrySize) return ReadFailure::Truncated;
    std::vector<KeyEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* e = bytes.data() + i * kKeyEntrySize;
        entries.push_back(KeyEntry{e[0], e[1], static_cast<char>(e[2])});
    }
    return entries;
}

}  // namespace muto
