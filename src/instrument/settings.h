// The instrument's settings as the panel offers them: what each position of its lists means and
// the ranges of its bars. The window builds its controls from these, and an export that plays
// without a window keeps the same settings by them.
#pragma once

#include <algorithm>
#include <array>
#include <string>

namespace muto::settings {

// The octave shift of a key group, per position of its list.
inline constexpr std::array<int, 4> kOctaves{-2, -1, 0, 1};
inline constexpr int kDefaultOctaveIndex = 2;
inline std::string octaveText(int octave) {
    return (octave > 0 ? "+" : "") + std::to_string(octave);
}

// The channel volume (controller 7), loudest first.
inline constexpr int kVolumeCount = 23;
constexpr int volumeAt(int index) {
    return 120 - 5 * index;
}

inline constexpr int kProgramCount = 128;

// A bar: its two ends (the release bar runs downwards), its steps and its start value.
struct Bar {
    int min, max, smallChange, largeChange, value;
    constexpr bool holds(int v) const { return v >= std::min(min, max) && v <= std::max(min, max); }
};
// Release, reverb and chorus (sent to both channels on their controllers), and the playback
// speed in tenths.
inline constexpr std::array<Bar, 4> kBars{{
    {100, 70, 1, 5, 70},
    {127, 0, 1, 10, 0},
    {127, 0, 1, 10, 0},
    {1, 30, 1, 5, 10},
}};
inline constexpr std::array<int, 3> kEffectControllers{72, 91, 93};
inline constexpr int kSpeedBar = 3;

}  // namespace muto::settings
