// Writes performance files for the window tests and benchmarks:
//   muto-perf steady FILE COUNT GAP_MS   COUNT events GAP_MS apart, note keys struck in turn
//   muto-perf chord FILE NOTES           NOTES keys down at one instant, up half a second later
// Settings are the window's start-up ones (C major, piano, octave 0, volume 120).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

#include "formats/performance_file.h"

namespace {

// Note keys of both channels, letter rows first.
constexpr std::string_view kKeys = "QWERTYUIOPASDFGHJKLZXCVBNM";
// Early in the day: a float keeps times to a few microseconds there.
constexpr float kStart = 60.0f;

int usage() {
    std::fprintf(stderr,
                 "usage: muto-perf steady FILE COUNT GAP_MS | muto-perf chord FILE NOTES\n");
    return 2;
}

muto::PerfEvent event(size_t key, bool down, double time) {
    return {static_cast<int16_t>(kKeys[key % kKeys.size()]), static_cast<int16_t>(down),
            static_cast<float>(time)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return usage();
    const std::string_view kind = argv[1];
    const long n = std::atol(argv[3]);
    if (n <= 0 || n > static_cast<long>(muto::kMaxPerfEvents)) return usage();
    muto::PerformanceFile perf;
    perf.settings = {0, 0, 0, 2, 2, 0, 0};
    const auto count = static_cast<size_t>(n);
    if (kind == "steady" && argc == 5) {
        const double gap = std::atof(argv[4]) / 1000.0;
        if (!(gap > 0)) return usage();
        for (size_t i = 0; i < count; ++i)
            perf.events.push_back(event(i / 2, i % 2 == 0, kStart + static_cast<double>(i) * gap));
    } else if (kind == "chord" && argc == 4) {
        for (size_t i = 0; i < count; ++i)
            perf.events.push_back(event(i, true, kStart));
        for (size_t i = 0; i < count; ++i)
            perf.events.push_back(event(i, false, kStart + 0.5));
    } else {
        return usage();
    }
    const auto bytes = muto::writePerformance(perf);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out.good() ? 0 : 1;
}
