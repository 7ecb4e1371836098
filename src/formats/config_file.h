// config.ini as bytes: the writer and the reader. Neither does any I/O; the caller reads or writes
// the file and applies what was read to the controls.
//
// The file is text in CP949 with CR LF line ends, one record per line, fields separated by a
// comma with no blanks: numbers as plain decimal with a leading minus, text in double quotes
// without escaping. Field order, count and types come from kConfigFields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/result.h"
#include "formats/config_fields.h"

namespace muto::settings {

// A number for the number fields (and the ring-colour index, kNoRingColour for none), UTF-8
// text for the text fields.
using ConfigValue = std::variant<int32_t, std::string>;
// All fields, in the order of kConfigFields.
using ConfigValues = std::array<ConfigValue, kConfigFieldCount>;

// Longest text field, in bytes of the file, that is written or read. Paths are far shorter; the
// limit keeps a garbage file from being copied around in full.
constexpr std::size_t kMaxConfigTextBytes = 32 * 1024;

// Every option at its design value and no ring colour chosen.
ConfigValues designDefaultConfig();

// ---- Writing ----

enum class ConfigWriteError : uint8_t {
    WrongKind,           // a number where text belongs, or the other way round
    OutOfRange,          // a number beyond the field's 16-bit range
    NotCp949,            // text with a character that CP949 cannot hold (or invalid UTF-8)
    ForbiddenCharacter,  // text with a double quote, CR or LF: it would not read back
    TooLong,             // text longer than kMaxConfigTextBytes in CP949
};
std::string_view errorName(ConfigWriteError e);

struct ConfigWriteFailure {
    std::size_t field;  // table position
    ConfigWriteError error;
    bool operator==(const ConfigWriteFailure&) const = default;
};

struct ConfigWrite {
    std::vector<uint8_t> bytes;  // the whole file; empty when there is a failure
    std::optional<ConfigWriteFailure> failure;
    bool ok() const { return !failure; }
};

// The file for these values, or the first field that cannot be written so that it reads back as
// it is. Nothing partial is produced: a failure leaves no bytes to write.
ConfigWrite writeConfig(const ConfigValues& values);

// ---- Reading ----

enum class ConfigReadError : uint8_t {
    Missing,         // the file ends before the field
    Truncated,       // the file ends inside the field: quote never closed, or no comma/line end
    NotANumber,      // a number field (or a non-empty ring-colour index) that is not a number
    OutOfRange,      // a number beyond the field's 16- or 32-bit range
    BadText,         // text bytes that are not CP949
    JunkAfterQuote,  // something other than blanks between a closing quote and the separator
    TooLong,         // a field longer than kMaxConfigTextBytes
};
std::string_view errorName(ConfigReadError e);
// The general reader failure that an error belongs to.
ReadFailure readFailureOf(ConfigReadError e);

struct ConfigReadFailure {
    std::size_t field;  // table position of the field that could not be read
    ConfigReadError error;
    bool operator==(const ConfigReadFailure&) const = default;
};

struct ConfigRead {
    std::vector<ConfigValue> fields;  // the fields read, in file order (a prefix of the table)
    std::optional<ConfigReadFailure> failure;

    bool complete() const { return !failure; }
    // Records all of whose fields were read. A record is read whole before any of it is applied,
    // so a record cut by a failure is applied not at all: apply records 1..wholeRecords().
    std::size_t wholeRecords() const;
};

// Reads the fields one after another and stops at the first that cannot be read, keeping those
// before it. Accepts any bytes; looks at no more than 17 fields of bounded length.
//
// Besides what the writer produces, it accepts what a hand-edited file plausibly holds:
//  - a line end is CR LF, a lone CR or a lone LF, and separates fields just like a comma (so a
//    blank line is an empty field);
//  - blanks (spaces, tabs) around a field are ignored, and inside quotes around a number;
//  - a number in double quotes is read as that number, and a text without quotes is taken as it
//    stands (trimmed);
//  - a number may carry a leading plus sign and leading zeros.
// It refuses rather than guesses:
//  - an empty number field (",,") is not a number (zero would silently change an option);
//  - fractions, exponents, hex and thousands separators are not numbers;
//  - text after a closing quote other than blanks (a path with a quote in it, cut short);
//  - a field that the end of the file cuts before its comma or line end, except the last field
//    of the file, which may end the file without a line end.
// The ring-colour index is empty (kNoRingColour, a valid field) or a 16-bit number. Range checks
// beyond 16 or 32 bits (a check box of 7, a list index beyond the list) are the caller's.
ConfigRead readConfig(std::span<const uint8_t> bytes);
inline ConfigRead readConfig(std::string_view bytes) {
    return readConfig(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace muto::settings
