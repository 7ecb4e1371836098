// The fields of config.ini, in file order: one table that the reader, the writer and the code
// that applies a read file all walk, so their order and field count cannot drift apart.
//
// The file has six records (one per line) of comma-separated fields, 17 fields in all:
//   1  chk_caption, chk_CaptionKor, Form1's Tag (background picture)
//   2  chk_KeyOutline, cmb_RecMax, chk_CircleTouch, vbar_Effect(0) (note sustain)
//   3  chk_AniGif, cmd_AniGif's Tag (animated GIF)         -- applied field 2 first
//   4  ring-colour index (lbl_CircleColor(9)'s Tag), lbl_Color(0), lbl_Color(1), lbl_Color(2)
//   5  vbar_Effect(1) (reverberation), vbar_Effect(2) (chorus)
//   6  pic_CircleTouch's Tag, img_ControlPanel's Tag (circle-touch and control-panel pictures)
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace muto::settings {

// What a field holds, which also says how it is written and how it is converted when read.
enum class FieldType : uint8_t {
    CheckBoxValue,    // number, 16-bit
    ListIndex,        // number, 16-bit
    ScrollValue,      // number, 16-bit
    RingColourIndex,  // 16-bit number kept as text in the file: "" (none chosen) or "0".."8"
    Colour,           // number, 32-bit (Windows colour value, signed)
    Text,             // text in double quotes (a path)
};

// The property of the control that a field comes from and goes to.
enum class FieldProperty : uint8_t {
    Value,      // check-box or scroll-bar value
    ListIndex,  // selected index of a list
    Tag,        // text kept in the control's Tag
    BackColour,
    RingColour,  // the ring-colour choice, made as if lbl_CircleColor(n) had been clicked
};

struct ConfigField {
    uint8_t record;  // 1..6
    uint8_t field;   // 1-based within the record
    FieldType type;
    std::string_view control;  // control name, as the main window names it
    int8_t index;              // index in its control array, -1 for a single control
    FieldProperty property;
    uint8_t applyRank;  // 0 = applied first within its record
};

constexpr std::size_t kConfigRecordCount = 6;
constexpr std::size_t kConfigFieldCount = 17;

// Ring-colour field value meaning "no ring colour chosen" (written as an empty text). It lies
// outside the 16-bit range, so no index read from a file can be mistaken for it.
constexpr int32_t kNoRingColour = std::numeric_limits<int32_t>::min();

// clang-format off
inline constexpr std::array<ConfigField, kConfigFieldCount> kConfigFields{{
    {1, 1, FieldType::CheckBoxValue,   "chk_caption",     -1, FieldProperty::Value,      0},
    {1, 2, FieldType::CheckBoxValue,   "chk_CaptionKor",  -1, FieldProperty::Value,      1},
    {1, 3, FieldType::Text,            "Form1",           -1, FieldProperty::Tag,        2},
    {2, 1, FieldType::CheckBoxValue,   "chk_KeyOutline",  -1, FieldProperty::Value,      0},
    {2, 2, FieldType::ListIndex,       "cmb_RecMax",      -1, FieldProperty::ListIndex,  1},
    {2, 3, FieldType::CheckBoxValue,   "chk_CircleTouch", -1, FieldProperty::Value,      2},
    {2, 4, FieldType::ScrollValue,     "vbar_Effect",      0, FieldProperty::Value,      3},
    {3, 1, FieldType::CheckBoxValue,   "chk_AniGif",      -1, FieldProperty::Value,      1},
    {3, 2, FieldType::Text,            "cmd_AniGif",      -1, FieldProperty::Tag,        0},
    {4, 1, FieldType::RingColourIndex, "lbl_CircleColor",  9, FieldProperty::RingColour, 0},
    {4, 2, FieldType::Colour,          "lbl_Color",        0, FieldProperty::BackColour, 1},
    {4, 3, FieldType::Colour,          "lbl_Color",        1, FieldProperty::BackColour, 2},
    {4, 4, FieldType::Colour,          "lbl_Color",        2, FieldProperty::BackColour, 3},
    {5, 1, FieldType::ScrollValue,     "vbar_Effect",      1, FieldProperty::Value,      0},
    {5, 2, FieldType::ScrollValue,     "vbar_Effect",      2, FieldProperty::Value,      1},
    {6, 1, FieldType::Text,            "pic_CircleTouch", -1, FieldProperty::Tag,        0},
    {6, 2, FieldType::Text,            "img_ControlPanel",-1, FieldProperty::Tag,        1},
}};
// clang-format on

constexpr bool isNumberField(FieldType t) {
    return t != FieldType::Text;
}
// Quoted in the file: paths and the ring-colour index.
constexpr bool isQuotedField(FieldType t) {
    return t == FieldType::Text || t == FieldType::RingColourIndex;
}
constexpr bool is16BitField(FieldType t) {
    return t != FieldType::Text && t != FieldType::Colour;
}

constexpr std::size_t kMaxFieldsPerRecord = 4;

// Table position of the first field of a record (1..6); kConfigFieldCount for any other number.
constexpr std::size_t firstFieldOfRecord(int record) {
    for (std::size_t i = 0; i < kConfigFieldCount; ++i)
        if (kConfigFields[i].record == record) return i;
    return kConfigFieldCount;
}

// Number of fields of a record (1..6); 0 for any other number.
constexpr std::size_t fieldCountOfRecord(int record) {
    std::size_t n = 0;
    for (const ConfigField& f : kConfigFields)
        if (f.record == record) ++n;
    return n;
}

// Whether the field at table position i is the last one of its record.
constexpr bool endsRecord(std::size_t i) {
    return i + 1 >= kConfigFieldCount || kConfigFields[i + 1].record != kConfigFields[i].record;
}

// Table positions of a record's fields in the order they are applied (count = the record's
// field count).
struct RecordApplyOrder {
    std::array<std::size_t, kMaxFieldsPerRecord> fields{};
    std::size_t count = 0;
};
constexpr RecordApplyOrder applyOrderOfRecord(int record) {
    RecordApplyOrder order;
    const std::size_t first = firstFieldOfRecord(record);
    order.count = fieldCountOfRecord(record);
    for (std::size_t k = 0; k < order.count; ++k)
        order.fields[kConfigFields[first + k].applyRank] = first + k;
    return order;
}

// "record 2 field 2 (cmb_RecMax)", for messages and test output.
std::string describeField(std::size_t i);

}  // namespace muto::settings
