#include "formats/performance_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace muto {

namespace {

constexpr std::array<uint8_t, 4> kMagic{'V', 'e', 's', 'k'};
constexpr std::size_t kSettingsOffset = 5;
constexpr std::size_t kKeySigSize = 8;

// Where the parts of a file of some version lie.
struct Layout {
    uint8_t version = 0;
    bool hasDamper = false;
    bool hasKeySig = false;
    std::size_t countOffset = 0;  // of n, the number of per-key entries
    std::size_t entryCount = 0;
    std::size_t keySigOffset = 0;
    std::size_t eventsOffset = 0;
    std::size_t eventCount = 0;
};

ReadResult<Layout> parseLayout(std::span<const uint8_t> bytes) {
    // A short file that does not even start like the magic is not ours at all.
    const std::size_t magicSeen = std::min(bytes.size(), kMagic.size());
    if (!std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(magicSeen),
                    kMagic.begin()))
        return ReadFailure::BadMagic;
    if (bytes.size() <= kMagic.size()) return ReadFailure::Truncated;

    Layout l;
    l.version = bytes[kMagic.size()];
    l.hasDamper = l.version >= 2;
    l.hasKeySig = l.version >= 3;
    l.countOffset = kSettingsOffset + 7 + (l.hasDamper ? 2 : 0);
    if (bytes.size() <= l.countOffset) return ReadFailure::Truncated;
    l.entryCount = bytes[l.countOffset];
    l.keySigOffset = l.countOffset + 1 + kKeyEntrySize * l.entryCount;
    l.eventsOffset = l.keySigOffset + (l.hasKeySig ? kKeySigSize : 0);
    if (bytes.size() < l.eventsOffset) return ReadFailure::Truncated;
    l.eventCount = (bytes.size() - l.eventsOffset) / kPerfEventSize;
    if (l.eventCount > kMaxPerfEvents) return ReadFailure::TooLarge;
    return l;
}

void appendFloat(std::vector<uint8_t>& out, float value) {
    const auto bits = std::bit_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(bits >> shift));
}

float readFloat(const uint8_t* p) {
    const uint32_t bits =
        uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    return std::bit_cast<float>(bits);
}

// Byte by byte: GCC 12 at -O3 reports an impossible overflow for vector::insert of a range
// into reserved space (its bug 105651 family).
template <class Bytes>
void appendBytes(std::vector<uint8_t>& out, const Bytes& bytes) {
    for (const auto b : bytes)
        out.push_back(static_cast<uint8_t>(b));
}

}  // namespace

std::vector<uint8_t> writePerformance(const PerformanceFile& perf) {
    std::vector<uint8_t> out;
    out.reserve(15 + kKeyEntrySize * perf.entries.size() + kKeySigSize +
                kPerfEventSize * perf.events.size());
    appendBytes(out, kMagic);
    out.push_back(kPerformanceVersion);
    appendBytes(out, perf.settings);
    appendBytes(out, perf.damper);
    // The count is one byte; a key code is one byte too, so a sane caller never has more.
    const std::size_t n = std::min<std::size_t>(perf.entries.size(), 255);
    out.push_back(static_cast<uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i)
        appendKeyEntry(out, perf.entries[i]);
    const std::array<uint8_t, kKeySigSize> keySig = perf.keySig.value_or(std::array<uint8_t, 8>{});
    appendBytes(out, keySig);
    for (const PerfEvent& e : perf.events) {
        out.push_back(static_cast<uint8_t>(e.keyCode));
        out.push_back(static_cast<uint8_t>(e.isDown));
        appendFloat(out, e.time);
    }
    return out;
}

ReadResult<PerformanceFile> readPerformance(std::span<const uint8_t> bytes) {
    auto layout = parseLayout(bytes);
    if (!layout) return layout.failure();
    const Layout& l = *layout;

    PerformanceFile perf;
    perf.version = l.version;
    std::copy_n(bytes.begin() + kSettingsOffset, perf.settings.size(), perf.settings.begin());
    if (l.hasDamper) {
        perf.damper[0] = bytes[kSettingsOffset + 7];
        perf.damper[1] = bytes[kSettingsOffset + 8];
    }
    auto entries = readKeyEntries(bytes.subspan(l.countOffset + 1), l.entryCount);
    if (!entries) return entries.failure();
    perf.entries = std::move(*entries);
    if (l.hasKeySig) {
        std::array<uint8_t, kKeySigSize> keySig{};
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(l.keySigOffset), kKeySigSize,
                    keySig.begin());
        perf.keySig = keySig;
    }
    perf.events.reserve(l.eventCount);
    for (std::size_t i = 0; i < l.eventCount; ++i) {
        const uint8_t* r = bytes.data() + l.eventsOffset + i * kPerfEventSize;
        perf.events.push_back(PerfEvent{r[0], r[1], readFloat(r + 2)});
    }
    return perf;
}

ReadResult<std::vector<KeyEntry>> readPerformanceKeyEntries(std::span<const uint8_t> bytes) {
    auto layout = parseLayout(bytes);
    if (!layout) return layout.failure();
    return readKeyEntries(bytes.subspan(layout->countOffset + 1), layout->entryCount);
}

}  // namespace muto
