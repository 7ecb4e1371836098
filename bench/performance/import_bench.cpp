// The MIDI import's speed: reading and converting a file of 20000 notes (more than a performance
// holds, so the import refuses it once it has placed them) and one of 10000 notes (which fits),
// in milliseconds, the median of several runs.
//
//   muto_import_bench [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "performance/midi_import.h"

namespace {

using Clock = std::chrono::steady_clock;

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(uint8_t(v >> s));
}

void putVarLen(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t buf[5];
    int n = 0;
    buf[n++] = v & 0x7F;
    while (v >>= 7)
        buf[n++] = uint8_t((v & 0x7F) | 0x80);
    while (n)
        out.push_back(buf[--n]);
}

// A format 1 file of two hands: a melody of eighths and chords of three notes, `notes` in all,
// with running status and note-on velocity 0 as note-off.
std::vector<uint8_t> midiFile(int notes) {
    std::mt19937 rng(1);
    std::vector<uint8_t> out{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96};
    for (int hand = 0; hand < 2; ++hand) {
        std::vector<uint8_t> t{0, 0xC0 | 0, 0};
        t[1] = uint8_t(0xC0 | hand);
        const int perHand = hand == 0 ? notes / 2 : notes - notes / 2;
        const int chord = hand == 0 ? 1 : 3;
        for (int i = 0; i < perHand; i += chord) {
            const int root = hand == 0 ? 67 + int(rng() % 14) : 48 + int(rng() % 7);
            for (int c = 0; c < chord && i + c < perHand; ++c) {
                putVarLen(t, 0);
                t.insert(t.end(), {uint8_t(0x90 | hand), uint8_t(root + 4 * c), 80});
            }
            for (int c = 0; c < chord && i + c < perHand; ++c) {
                putVarLen(t, c == 0 ? uint32_t(48 * chord) : 0);
                t.insert(t.end(), {uint8_t(0x90 | hand), uint8_t(root + 4 * c), 0});
            }
        }
        t.insert(t.end(), {0, 0xFF, 0x2F, 0});
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        put32(out, uint32_t(t.size()));
        out.insert(out.end(), t.begin(), t.end());
    }
    return out;
}

double medianMs(const std::vector<uint8_t>& bytes, int runs, bool& imported) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = Clock::now();
        const auto result = muto::importMidiFile(bytes);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        imported = result.ok();
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    for (int notes : {20000, 10000}) {
        const auto bytes = midiFile(notes);
        bool imported = false;
        const double ms = medianMs(bytes, runs, imported);
        std::printf("import of %d notes (%zu bytes): %.2f ms, %s\n", notes, bytes.size(), ms,
                    imported ? "imported" : "refused: more than a performance holds");
    }
    return 0;
}
