// The exports' speed: --render-wav of a 60-second performance as a multiple of real time,
// --export-midi of a 20001-event performance in milliseconds, and the limiter's CPU time per
// second of stereo audio.
//
//   muto_export_bench [runs]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <vector>

#include "app/export_command.h"
#include "formats/performance_file.h"
#include "platform/midi/limiter.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// `events` key events spread over `seconds`: notes of both channels, two- and three-note chords,
// the damper switched now and then.
std::vector<uint8_t> performance(int events, double seconds) {
    const int keys[] = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'A', 'S', 'D', 'F', 'G', 97, 98, 99};
    std::mt19937 rng(1);
    muto::PerformanceFile p;
    p.settings = {0, 0, 0, 2, 2, 0, 0};
    p.keySig = std::array<uint8_t, 8>{1};
    const double gap = seconds / std::max(events - 1, 1);
    double t = 3600.0;
    std::vector<int> held;
    while (static_cast<int>(p.events.size()) < events) {
        const bool release = !held.empty() && (held.size() >= 3 || rng() % 2);
        if (release) {
            p.events.push_back({int16_t(held.back()), 0, float(t)});
            held.pop_back();
        } else if (rng() % 40 == 0) {
            p.events.push_back({119, 1, float(t)});  // F8: damper
        } else {
            int k = keys[rng() % std::size(keys)];
            if (std::find(held.begin(), held.end(), k) != held.end()) continue;
            held.push_back(k);
            p.events.push_back({int16_t(k), 1, float(t)});
        }
        t += gap;
    }
    return muto::writePerformance(p);
}

std::string save(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return {};
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string dir = std::filesystem::temp_directory_path() / "muto-export-bench";
    std::filesystem::create_directories(dir);
    const std::string longPerf = save(dir + "/60s.vsp", performance(480, 60.0));
    const std::string bigPerf = save(dir + "/20001.vsp", performance(20001, 600.0));

    std::vector<double> wav, mid, lim;
    for (int r = 0; r < runs; ++r) {
        std::ostringstream err;
        auto t = Clock::now();
        if (muto::app::renderWav(longPerf, dir + "/out.wav", "", err) != 0) {
            std::fprintf(stderr, "%s", err.str().c_str());
            return 1;
        }
        // 60 s of performance plus the release tail.
        wav.push_back((60.0 + 3.0) / since(t));

        t = Clock::now();
        if (muto::app::exportMidi(bigPerf, dir + "/out.mid", err) != 0) {
            std::fprintf(stderr, "%s", err.str().c_str());
            return 1;
        }
        mid.push_back(since(t) * 1000);

        // Limiter alone: 60 s of loud stereo noise in 1024-frame blocks.
        muto::midi::Limiter limiter(44100);
        std::vector<float> l(1024), rr(1024);
        std::mt19937 rng(2);
        std::uniform_real_distribution<float> d(-2.0f, 2.0f);
        for (size_t i = 0; i < l.size(); ++i) {
            l[i] = d(rng);
            rr[i] = d(rng);
        }
        double spent = 0;
        for (int block = 0; block < 60 * 44100 / 1024; ++block) {
            auto a = l, b = rr;
            t = Clock::now();
            limiter.process(a.data(), b.data(), 1024);
            spent += since(t);
        }
        lim.push_back(spent / 60.0 * 1e6);
    }
    std::printf("render-wav 60 s performance: %.1fx real time (median of %d)\n", median(wav), runs);
    std::printf("export-midi 20001 events: %.1f ms (median of %d)\n", median(mid), runs);
    std::printf("limiter: %.0f us CPU per second of stereo audio (%.3f%% of one core)\n",
                median(lim), median(lim) / 1e4);
    std::filesystem::remove_all(dir);
    return 0;
}
