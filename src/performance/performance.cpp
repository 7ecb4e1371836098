#include "performance/performance.h"

#include <algorithm>
#include <utility>

namespace muto {

int Performance::octaveIndex(int ch) const {
    const int stored = snapshot.settings[ch == 0 ? 3 : 4];
    if (ch == 0 && version < kPerformanceVersion) return stored + 1;
    return stored;
}

Performance performanceOf(PerformanceFile file, std::string path) {
    Performance p;
    p.events = std::move(file.events);
    p.snapshot.settings = file.settings;
    p.snapshot.damper = file.damper;
    p.snapshot.keySig = file.keySig.value_or(kNeutralKeySig);
    p.snapshot.entries = std::move(file.entries);
    p.version = file.version;
    p.path = std::move(path);
    return p;
}

PerformanceFile performanceFileOf(const Performance& p) {
    PerformanceFile file;
    file.settings = p.snapshot.settings;
    // An index past the list would leave the octave as it stands on playback; the last entry is
    // the nearest one the list has.
    file.settings[3] = static_cast<uint8_t>(
        std::min(p.octaveIndex(0), std::max<int>(p.snapshot.settings[3], kOctaveListCount - 1)));
    file.damper = p.snapshot.damper;
    file.entries = p.snapshot.entries;
    file.keySig = p.snapshot.keySig;
    file.events = p.events;
    return file;
}

std::string baseName(const std::string& path) {
    const size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

uint8_t keySigCode(int value) {
    return value < 0 ? 2 : static_cast<uint8_t>(value);
}

}  // namespace muto
