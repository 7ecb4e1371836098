#include "form/help_text.h"

namespace muto::help {

const std::array<std::string_view, 25> kShortcutLines = {
    "♪조표 바꾸기",
    "  #조표 : Shift + [0~7]",
    "  b조표 : Alt   + [0~7]",
    "",
    "♪옥타프 조정",
    "  1채널 : Shift + [↑,↓]",
    "  2채널 : Alt   + [↑,↓]",
    "",
    "♪음량 조정",
    "  1채널 : Shift + [←,→]",
    "  2채널 : Alt   + [←,→]",
    "",
    "♪악기 바꾸기",
    "  1채널 : Ctrl + Alt + Numpad",
    "  2채널 : Alt  + Numpad",
    "  채널1/2 연동 : Pause",
    "",
    "♪연주 녹음/재생",
    "  녹음             : Alt + r",
    "  재생             : Alt + p",
    "  재생/녹음 정지   : Alt + s",
    "  재생 일시 정지   : Alt + w",
    "  연주 파일 열기   : Alt + o",
    "  재생 속도 느리게 : F11",
    "  재생 속도 빠르게 : F12",
};

std::string shortcutText() {
    std::string text;
    for (size_t i = 0; i < kShortcutLines.size(); ++i) {
        text += kShortcutLines[i];
        if (i + 1 < kShortcutLines.size()) text += "\r\n";
    }
    return text;
}

}  // namespace muto::help
