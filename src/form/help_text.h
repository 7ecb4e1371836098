// The texts of the help window: the about page and the list of shortcut keys.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace muto::help {

// The shortcut list, one entry a line (an empty entry is an empty line).
extern const std::array<std::string_view, 25> kShortcutLines;

// The shortcut list as the text box holds it: the lines joined by CR LF, no line break after
// the last one.
std::string shortcutText();

// The about page.
inline constexpr std::string_view kProgramName = "무토 (Muto)";
inline constexpr std::string_view kAuthorLine = "만든이 : 무토 개발팀";
inline constexpr std::string_view kCreatedLine = "만든날 : 2026년";
inline constexpr std::string_view kDescription =
    "이 프로그램은 컴퓨터 키보드로 피아노를 연주할 수 있도록 만든 프로그램입니다. "
    "상업적인 용도가 아닌 즐거움을 위해서 사용해 주세요.";

}  // namespace muto::help
