#include "formats/keyset_file.h"

#include <utility>

namespace muto {

namespace {
constexpr std::size_t kHeaderSize = 3;
}

std::vector<uint8_t> writeKeySet(const KeySetFile& keySet) {
    std::vector<uint8_t> out;
    out.reserve(kHeaderSize + kKeyEntrySize * keySet.entries.size());
    out.push_back(keySet.key);
    out.push_back(keySet.octave1);
    out.push_back(keySet.octave2);
    for (const KeyEntry& e : keySet.entries)
        appendKeyEntry(out, e);
    return out;
}

ReadResult<KeySetFile> readKeySet(std::span<const uint8_t> bytes) {
    if (bytes.size() < kHeaderSize) return ReadFailure::Truncated;
    KeySetFile keySet;
    keySet.key = bytes[0];
    keySet.octave1 = bytes[1];
    keySet.octave2 = bytes[2];
    auto rest = bytes.subspan(kHeaderSize);
    auto entries = readKeyEntries(rest, rest.size() / kKeyEntrySize);
    if (!entries) return entries.failure();
    keySet.entries = std::move(*entries);
    return keySet;
}

}  // namespace muto
