// Text in the Windows Korean code page (CP949, the unified Hangul code), as config.ini keeps it.
// Conversion goes through the C library's iconv; nothing here depends on a toolkit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace muto::settings {

// UTF-8 to CP949. Nothing when the input is not valid UTF-8 or holds a character that CP949
// cannot represent. ASCII comes out unchanged.
std::optional<std::string> utf8ToCp949(std::string_view utf8);

// CP949 to UTF-8. Nothing when the input holds a byte sequence that is not CP949 (a lead byte
// without its trail byte included).
std::optional<std::string> cp949ToUtf8(std::string_view cp949);

}  // namespace muto::settings
