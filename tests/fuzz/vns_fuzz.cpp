// Fuzz target: key-set files. Whatever reads must write back and read again the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "formats/keyset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace muto;
    auto keySet = readKeySet(std::span<const uint8_t>(data, size));
    if (!keySet) return 0;
    const auto bytes = writeKeySet(*keySet);
    // Only the one or two left-over bytes may be lost.
    if (bytes.size() > size || size - bytes.size() > 2) std::abort();
    auto again = readKeySet(bytes);
    if (!again || !(*again == *keySet)) std::abort();
    return 0;
}
