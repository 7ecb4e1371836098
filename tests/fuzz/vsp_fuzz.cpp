// Fuzz target: performance files. Whatever reads must write back and read again the same, and
// the per-key reader must agree with the whole-file reader.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "formats/performance_file.h"

namespace {

bool sameEvents(const muto::PerfEvent& a, const muto::PerfEvent& b) {
    return a.keyCode == b.keyCode && a.isDown == b.isDown &&
           std::bit_cast<uint32_t>(a.time) == std::bit_cast<uint32_t>(b.time);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace muto;
    const std::span<const uint8_t> bytes(data, size);
    auto perf = readPerformance(bytes);
    auto entries = readPerformanceKeyEntries(bytes);
    if (perf.ok() != entries.ok()) std::abort();
    if (!perf) {
        if (perf.failure() != entries.failure()) std::abort();
        return 0;
    }
    if (*entries != perf->entries) std::abort();

    // Saving always writes version 4 with a key-signature block.
    PerformanceFile expected = *perf;
    expected.version = kPerformanceVersion;
    if (!expected.keySig) expected.keySig = std::array<uint8_t, 8>{};
    auto again = readPerformance(writePerformance(*perf));
    if (!again) std::abort();
    if (again->version != expected.version || again->settings != expected.settings ||
        again->damper != expected.damper || again->entries != expected.entries ||
        again->keySig != expected.keySig || again->events.size() != expected.events.size())
        std::abort();
    for (std::size_t i = 0; i < expected.events.size(); ++i)
        if (!sameEvents(again->events[i], expected.events[i])) std::abort();
    return 0;
}
