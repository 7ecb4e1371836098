#include "formats/config_file.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "formats/cp949.h"

namespace muto::settings {

namespace {

// CP949 trail bytes are 0x41..0x5A, 0x61..0x7A and 0x81..0xFE, so a comma, double quote, blank,
// CR or LF byte is always that ASCII character: the file can be split byte by byte before any
// text is decoded.
constexpr bool isBlank(uint8_t c) {
    return c == ' ' || c == '\t';
}
constexpr bool isSeparator(uint8_t c) {
    return c == ',' || c == '\r' || c == '\n';
}

constexpr int32_t kMin16 = std::numeric_limits<int16_t>::min();
constexpr int32_t kMax16 = std::numeric_limits<int16_t>::max();

bool fits(FieldType type, int64_t v) {
    if (is16BitField(type)) return v >= kMin16 && v <= kMax16;
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(static_cast<uint8_t>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(static_cast<uint8_t>(s.back())))
        s.remove_suffix(1);
    return s;
}

// Optional sign, then decimal digits and nothing else. Saturates far beyond 32 bits so that
// the range check sees an out-of-range value rather than a wrapped one.
std::optional<int64_t> parseInteger(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        if (v < (int64_t{1} << 40)) v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

void appendNumber(std::vector<uint8_t>& out, int32_t v) {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.insert(out.end(), buf, r.ptr);
}

}  // namespace

ConfigValues designDefaultConfig() {
    // clang-format off
    return ConfigValues{
        1, 0, std::string(),                            // captions shown, as numbers; background
        1, 2, 0, 70,                                    // outlines, recording length, sustain
        0, std::string(),                               // no animated GIF
        kNoRingColour, 0, int32_t{-2147483627}, 65280,  // black, system colour 21, green
        0, 0,                                           // reverberation, chorus
        std::string(), std::string(),                   // default pictures
    };
    // clang-format on
}

std::string_view errorName(ConfigWriteError e) {
    switch (e) {
        case ConfigWriteError::WrongKind:
            return "wrong kind of value";
        case ConfigWriteError::OutOfRange:
            return "out of range";
        case ConfigWriteError::NotCp949:
            return "not representable in CP949";
        case ConfigWriteError::ForbiddenCharacter:
            return "double quote or line end in text";
        case ConfigWriteError::TooLong:
            return "text too long";
    }
    return "unknown";
}

std::string_view errorName(ConfigReadError e) {
    switch (e) {
        case ConfigReadError::Missing:
            return "missing";
        case ConfigReadError::Truncated:
            return "truncated";
        case ConfigReadError::NotANumber:
            return "not a number";
        case ConfigReadError::OutOfRange:
            return "out of range";
        case ConfigReadError::BadText:
            return "not CP949 text";
        case ConfigReadError::JunkAfterQuote:
            return "text after closing quote";
        case ConfigReadError::TooLong:
            return "field too long";
    }
    return "unknown";
}

ReadFailure readFailureOf(ConfigReadError e) {
    switch (e) {
        case ConfigReadError::Missing:
        case ConfigReadError::Truncated:
            return ReadFailure::Truncated;
        case ConfigReadError::TooLong:
            return ReadFailure::TooLarge;
        case ConfigReadError::NotANumber:
        case ConfigReadError::OutOfRange:
        case ConfigReadError::BadText:
        case ConfigReadError::JunkAfterQuote:
            return ReadFailure::Malformed;
    }
    return ReadFailure::Malformed;
}

ConfigWrite writeConfig(const ConfigValues& values) {
    ConfigWrite result;
    auto fail = [&](std::size_t i, ConfigWriteError e) {
        result.bytes.clear();
        result.failure = ConfigWriteFailure{i, e};
        return result;
    };
    std::vector<uint8_t>& out = result.bytes;
    for (std::size_t i = 0; i < kConfigFieldCount; ++i) {
        const FieldType type = kConfigFields[i].type;
        const ConfigValue& value = values[i];
        if (type == FieldType::Text) {
            const std::string* text = std::get_if<std::string>(&value);
            if (!text) return fail(i, ConfigWriteError::WrongKind);
            if (text->find_first_of("\"\r\n") != std::string::npos)
                return fail(i, ConfigWriteError::ForbiddenCharacter);
            const std::optional<std::string> encoded = utf8ToCp949(*text);
            if (!encoded) return fail(i, ConfigWriteError::NotCp949);
            if (encoded->size() > kMaxConfigTextBytes) return fail(i, ConfigWriteError::TooLong);
            out.push_back('"');
            out.insert(out.end(), encoded->begin(), encoded->end());
            out.push_back('"');
        } else {
            const int32_t* number = std::get_if<int32_t>(&value);
            if (!number) return fail(i, ConfigWriteError::WrongKind);
            if (type == FieldType::RingColourIndex) {
                out.push_back('"');
                if (*number != kNoRingColour) {
                    if (!fits(type, *number)) return fail(i, ConfigWriteError::OutOfRange);
                    appendNumber(out, *number);
                }
                out.push_back('"');
            } else {
                if (!fits(type, *number)) return fail(i, ConfigWriteError::OutOfRange);
                appendNumber(out, *number);
            }
        }
        if (endsRecord(i)) {
            out.push_back('\r');
            out.push_back('\n');
        } else {
            out.push_back(',');
        }
    }
    return result;
}

std::size_t ConfigRead::wholeRecords() const {
    std::size_t records = 0;
    for (std::size_t i = 0; i < fields.size() && i < kConfigFieldCount; ++i)
        if (endsRecord(i)) ++records;
    return records;
}

ConfigRead readConfig(std::span<const uint8_t> bytes) {
    ConfigRead result;
    const std::string_view data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t pos = 0;
    auto fail = [&](std::size_t i, ConfigReadError e) {
        result.failure = ConfigReadFailure{i, e};
        return result;
    };

    for (std::size_t i = 0; i < kConfigFieldCount; ++i) {
        const FieldType type = kConfigFields[i].type;
        while (pos < data.size() && isBlank(static_cast<uint8_t>(data[pos])))
            ++pos;
        if (pos == data.size()) return fail(i, ConfigReadError::Missing);

        // Split off the field's raw bytes; the scan never looks further than the longest field
        // accepted, so a huge file costs no more than a normal one.
        std::string_view raw;
        bool quoted = false;
        if (data[pos] == '"') {
            quoted = true;
            const std::size_t open = pos + 1;
            const std::size_t limit = std::min(data.size(), open + kMaxConfigTextBytes + 1);
            const std::size_t close = data.substr(0, limit).find('"', open);
            if (close == std::string_view::npos)
                return fail(
                    i, limit < data.size() ? ConfigReadError::TooLong : ConfigReadError::Truncated);
            raw = data.substr(open, close - open);
            pos = close + 1;
            while (pos < data.size() && isBlank(static_cast<uint8_t>(data[pos])))
                ++pos;
            if (pos < data.size() && !isSeparator(static_cast<uint8_t>(data[pos])))
                return fail(i, ConfigReadError::JunkAfterQuote);
        } else {
            const std::size_t start = pos;
            const std::size_t limit = std::min(data.size(), start + kMaxConfigTextBytes + 1);
            while (pos < limit && !isSeparator(static_cast<uint8_t>(data[pos])))
                ++pos;
            if (pos - start > kMaxConfigTextBytes) return fail(i, ConfigReadError::TooLong);
            raw = trimBlanks(data.substr(start, pos - start));
        }

        // The field must be closed by a comma or a line end; only the file's last field may
        // end with the file.
        if (pos < data.size()) {
            if (data[pos] == '\r' && pos + 1 < data.size() && data[pos + 1] == '\n') ++pos;
            ++pos;
        } else if (i + 1 != kConfigFieldCount) {
            return fail(i, ConfigReadError::Truncated);
        }

        if (type == FieldType::Text) {
            std::optional<std::string> text = cp949ToUtf8(raw);
            if (!text) return fail(i, ConfigReadError::BadText);
            result.fields.emplace_back(std::move(*text));
            continue;
        }
        const std::string_view digits = quoted ? trimBlanks(raw) : raw;
        if (type == FieldType::RingColourIndex && digits.empty()) {
            result.fields.emplace_back(kNoRingColour);
            continue;
        }
        const std::optional<int64_t> number = parseInteger(digits);
        if (!number) return fail(i, ConfigReadError::NotANumber);
        if (!fits(type, *number)) return fail(i, ConfigReadError::OutOfRange);
        result.fields.emplace_back(static_cast<int32_t>(*number));
    }
    return result;
}

}  // namespace muto::settings
