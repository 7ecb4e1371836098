#include "instrument/key_layout.h"

#include <array>

namespace muto {

namespace {

// clang-format off
constexpr std::array<NaturalKey, 46> kGroup0 = {{
    // bottom row
    {90, 36}, {88, 38}, {67, 40}, {86, 41}, {66, 43}, {78, 45}, {77, 47}, {188, 48}, {190, 50}, {191, 52},
    // home row
    {65, 48}, {83, 50}, {68, 52}, {70, 53}, {71, 55}, {72, 57}, {74, 59}, {75, 60}, {76, 62}, {186, 64},
    {222, 65},
    // top row
    {81, 60}, {87, 62}, {69, 64}, {82, 65}, {84, 67}, {89, 69}, {85, 71}, {73, 72}, {79, 74}, {80, 76},
    {219, 77}, {221, 79},
    // number row
    {49, 72}, {50, 74}, {51, 76}, {52, 77}, {53, 79}, {54, 81}, {55, 83}, {56, 84}, {57, 86}, {48, 88},
    {189, 89}, {187, 91}, {220, 93},
}};

constexpr std::array<NaturalKey, 27> kGroup1 = {{
    {37, 48}, {40, 50}, {39, 52}, {38, 53}, {96, 55}, {110, 57}, {13, 59}, {97, 60}, {98, 62},
    {99, 64}, {100, 65}, {101, 67}, {102, 69}, {103, 71}, {104, 72}, {105, 74}, {107, 76},
    {144, 77}, {111, 79}, {106, 81}, {109, 83}, {46, 84}, {35, 86}, {34, 88}, {45, 89}, {36, 91},
    {33, 93},
}};

constexpr std::array<KeySignature, 15> kKeySignatures = {{
    {"C-다장조", 0, "\\cmr.gif"},
    {"#1-G-사장조", 7, "\\s1r.gif"},
    {"#2-D-라장조", 2, "\\s2r.gif"},
    {"#3-A-가장조", -3, "\\s3r.gif"},
    {"#4-E-마장조", 4, "\\s4r.gif"},
    {"#5-B-나장조", -1, "\\s5r.gif"},
    {"#6-F#-올림바장조", 6, "\\s6r.gif"},
    {"#7-C#-올림다장조", 1, "\\s7r.gif"},
    {"b1-F-바장조", 5, "\\b1r.gif"},
    {"b2-Bb-내림나장조", -2, "\\b2r.gif"},
    {"b3-Eb-내림마장조", 3, "\\b3r.gif"},
    {"b4-Ab-내림가장조", -4, "\\b4r.gif"},
    {"b5-Db-내림라장조", 1, "\\b5r.gif"},
    {"b6-Gb-내림사장조", 6, "\\b6r.gif"},
    {"b7-Cb-내림다장조", -1, "\\b7r.gif"},
}};
// clang-format on

}  // namespace

std::span<const NaturalKey> keyGroupLayout(int group) {
    if (group == 0) return kGroup0;
    return kGroup1;
}

std::span<const KeySignature> keySignatures() {
    return kKeySignatures;
}

std::optional<KeyRole> keyRoleOf(int vk) {
    static const std::array<int8_t, 256> roles = [] {
        std::array<int8_t, 256> r{};
        r.fill(-1);
        for (const NaturalKey& k : kGroup0)
            r[k.vk] = static_cast<int8_t>(KeyRole::NoteChannel1);
        // Backspace plays no note until key-set editing gives it one.
        r[vk::kBackspace] = static_cast<int8_t>(KeyRole::NoteChannel1);
        for (const NaturalKey& k : kGroup1)
            r[k.vk] = static_cast<int8_t>(KeyRole::NoteChannel2);
        for (int k : {vk::kCtrl, vk::kEsc, vk::kSpace})
            r[static_cast<size_t>(k)] = static_cast<int8_t>(KeyRole::SemitoneModifier);
        for (int k = vk::kF1; k <= vk::kF7; ++k)
            r[static_cast<size_t>(k)] = static_cast<int8_t>(KeyRole::DegreeKey);
        for (int k : {vk::kShift, vk::kAlt, vk::kPause, vk::kF8, vk::kF9, vk::kF11, vk::kF12})
            r[static_cast<size_t>(k)] = static_cast<int8_t>(KeyRole::Control);
        return r;
    }();
    if (vk < 0 || vk > 255 || roles[static_cast<size_t>(vk)] < 0) return std::nullopt;
    return static_cast<KeyRole>(roles[static_cast<size_t>(vk)]);
}

}  // namespace muto
