#include "formats/config_fields.h"

namespace muto::settings {

namespace {

// The table's shape is checked where it is compiled: records 1..6 in order, fields numbered
// 1, 2, ... within each, no record longer than the apply order can hold, and the apply ranks of
// each record a permutation of 0..count-1.
constexpr bool tableIsWellFormed() {
    std::size_t total = 0;
    for (int r = 1; r <= static_cast<int>(kConfigRecordCount); ++r) {
        const std::size_t first = firstFieldOfRecord(r);
        const std::size_t n = fieldCountOfRecord(r);
        if (first != total || n == 0 || n > kMaxFieldsPerRecord) return false;
        bool rankSeen[kMaxFieldsPerRecord] = {};
        for (std::size_t k = 0; k < n; ++k) {
            const ConfigField& f = kConfigFields[first + k];
            if (f.field != k + 1 || f.applyRank >= n || rankSeen[f.applyRank]) return false;
            rankSeen[f.applyRank] = true;
            if ((f.type == FieldType::Text) != (f.property == FieldProperty::Tag)) return false;
        }
        total += n;
    }
    return total == kConfigFieldCount;
}
static_assert(tableIsWellFormed());

}  // namespace

std::string describeField(std::size_t i) {
    if (i >= kConfigFieldCount) return "past the last field";
    const ConfigField& f = kConfigFields[i];
    std::string s = "record " + std::to_string(f.record) + " field " + std::to_string(f.field) +
                    " (" + std::string(f.control);
    if (f.index >= 0) s += "(" + std::to_string(f.index) + ")";
    return s + ")";
}

}  // namespace muto::settings
