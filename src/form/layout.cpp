// The main window's geometry: the key shapes over the PC keyboard picture, the piano keys, the
// staff box and every control of the control panel, with their design captions.
//
// Window plan (pixels, client area 750 wide):
//   y   0..207  the PC keyboard (key shapes, legends Label1, the "?" label at the top right)
//   y 214..314  the note-marker box Picture1, the flash bar shp_BScr and the piano
//               pic_CircleTouch; the height toggle lbl_BottomUD sits at the bottom right
//   y 324..480  the control panel img_ControlPanel (only in the tall window)
#include "form/layout.h"

#include <algorithm>
#include <array>
#include <vector>

namespace muto::layout {

namespace {

constexpr int kWindowWidth = 750;
constexpr int kShortHeight = kShortHeightTwips / kTwipsPerPixel;  // 324
constexpr int kTallHeight = kTallHeightTwips / kTwipsPerPixel;    // 480

// Key rows (twips, relative to the keyboard picture).
constexpr int kRowFn = 120;
constexpr int kRowNum = 660;
constexpr int kRowTop = 1140;
constexpr int kRowHome = 1620;
constexpr int kRowShift = 2100;
constexpr int kRowBottom = 2580;
constexpr int kKey = 435;
constexpr int kPitch = 480;
constexpr int kEdit = 7440;  // left edge of the editing block
constexpr int kPad = 9000;   // left edge of the number pad

constexpr int at(int first, int i) {
    return first + kPitch * i;
}

// clang-format off
constexpr KeyShape kKeys[] = {
    // Function row.
    {27, 120, kRowFn, kKey, kKey, "Esc", ""},
    {112, 1080, kRowFn, kKey, kKey, "F1", ""},
    {113, 1560, kRowFn, kKey, kKey, "F2", ""},
    {114, 2040, kRowFn, kKey, kKey, "F3", ""},
    {115, 2520, kRowFn, kKey, kKey, "F4", ""},
    {116, 3240, kRowFn, kKey, kKey, "F5", ""},
    {117, 3720, kRowFn, kKey, kKey, "F6", ""},
    {118, 4200, kRowFn, kKey, kKey, "F7", ""},
    {119, 4680, kRowFn, kKey, kKey, "F8", ""},
    {120, 5400, kRowFn, kKey, kKey, "F9", ""},
    {122, 6360, kRowFn, kKey, kKey, "F11", ""},
    {123, 6840, kRowFn, kKey, kKey, "F12", ""},
    {19, at(kEdit, 2), kRowFn, kKey, kKey, "Pause", "Break"},
    // Number row.
    {49, at(120, 1), kRowNum, kKey, kKey, "1", "!"},
    {50, at(120, 2), kRowNum, kKey, kKey, "2", "@"},
    {51, at(120, 3), kRowNum, kKey, kKey, "3", "#"},
    {52, at(120, 4), kRowNum, kKey, kKey, "4", "$"},
    {53, at(120, 5), kRowNum, kKey, kKey, "5", "%"},
    {54, at(120, 6), kRowNum, kKey, kKey, "6", "^"},
    {55, at(120, 7), kRowNum, kKey, kKey, "7", "&"},
    {56, at(120, 8), kRowNum, kKey, kKey, "8", "*"},
    {57, at(120, 9), kRowNum, kKey, kKey, "9", "("},
    {48, at(120, 10), kRowNum, kKey, kKey, "0", ")"},
    {189, at(120, 11), kRowNum, kKey, kKey, "-", "_"},
    {187, at(120, 12), kRowNum, kKey, kKey, "=", "+"},
    {220, at(120, 13), kRowNum, kKey, kKey, "\\", "|"},
    {8, at(120, 14), kRowNum, kKey, kKey, "Bksp", "←"},
    {45, at(kEdit, 0), kRowNum, kKey, kKey, "Ins", ""},
    {36, at(kEdit, 1), kRowNum, kKey, kKey, "Home", ""},
    {33, at(kEdit, 2), kRowNum, kKey, kKey, "PgUp", ""},
    {144, at(kPad, 0), kRowNum, kKey, kKey, "Num", ""},
    {111, at(kPad, 1), kRowNum, kKey, kKey, "/", ""},
    {106, at(kPad, 2), kRowNum, kKey, kKey, "*", ""},
    {109, at(kPad, 3), kRowNum, kKey, kKey, "-", ""},
    // Top letter row.
    {81, at(840, 0), kRowTop, kKey, kKey, "Q", "ㅂ"},
    {87, at(840, 1), kRowTop, kKey, kKey, "W", "ㅈ"},
    {69, at(840, 2), kRowTop, kKey, kKey, "E", "ㄷ"},
    {82, at(840, 3), kRowTop, kKey, kKey, "R", "ㄱ"},
    {84, at(840, 4), kRowTop, kKey, kKey, "T", "ㅅ"},
    {89, at(840, 5), kRowTop, kKey, kKey, "Y", "ㅛ"},
    {85, at(840, 6), kRowTop, kKey, kKey, "U", "ㅕ"},
    {73, at(840, 7), kRowTop, kKey, kKey, "I", "ㅑ"},
    {79, at(840, 8), kRowTop, kKey, kKey, "O", "ㅐ"},
    {80, at(840, 9), kRowTop, kKey, kKey, "P", "ㅔ"},
    {219, at(840, 10), kRowTop, kKey, kKey, "[", "{"},
    {221, at(840, 11), kRowTop, kKey, kKey, "]", "}"},
    {46, at(kEdit, 0), kRowTop, kKey, kKey, "Del", ""},
    {35, at(kEdit, 1), kRowTop, kKey, kKey, "End", ""},
    {34, at(kEdit, 2), kRowTop, kKey, kKey, "PgDn", ""},
    {103, at(kPad, 0), kRowTop, kKey, kKey, "7", "Home"},
    {104, at(kPad, 1), kRowTop, kKey, kKey, "8", "↑"},
    {105, at(kPad, 2), kRowTop, kKey, kKey, "9", "PgUp"},
    {107, at(kPad, 3), kRowTop, kKey, kKey + kPitch, "+", ""},
    // Home row.
    {65, at(1020, 0), kRowHome, kKey, kKey, "A", "ㅁ"},
    {83, at(1020, 1), kRowHome, kKey, kKey, "S", "ㄴ"},
    {68, at(1020, 2), kRowHome, kKey, kKey, "D", "ㅇ"},
    {70, at(1020, 3), kRowHome, kKey, kKey, "F", "ㄹ"},
    {71, at(1020, 4), kRowHome, kKey, kKey, "G", "ㅎ"},
    {72, at(1020, 5), kRowHome, kKey, kKey, "H", "ㅗ"},
    {74, at(1020, 6), kRowHome, kKey, kKey, "J", "ㅓ"},
    {75, at(1020, 7), kRowHome, kKey, kKey, "K", "ㅏ"},
    {76, at(1020, 8), kRowHome, kKey, kKey, "L", "ㅣ"},
    {186, at(1020, 9), kRowHome, kKey, kKey, ";", ":"},
    {222, at(1020, 10), kRowHome, kKey, kKey, "'", "\""},
    {100, at(kPad, 0), kRowHome, kKey, kKey, "4", "←"},
    {101, at(kPad, 1), kRowHome, kKey, kKey, "5", ""},
    {102, at(kPad, 2), kRowHome, kKey, kKey, "6", "→"},
    // Shift row.
    {16, 120, kRowShift, 1155, kKey, "Shift", ""},
    {90, at(1320, 0), kRowShift, kKey, kKey, "Z", "ㅋ"},
    {88, at(1320, 1), kRowShift, kKey, kKey, "X", "ㅌ"},
    {67, at(1320, 2), kRowShift, kKey, kKey, "C", "ㅊ"},
    {86, at(1320, 3), kRowShift, kKey, kKey, "V", "ㅍ"},
    {66, at(1320, 4), kRowShift, kKey, kKey, "B", "ㅠ"},
    {78, at(1320, 5), kRowShift, kKey, kKey, "N", "ㅜ"},
    {77, at(1320, 6), kRowShift, kKey, kKey, "M", "ㅡ"},
    {188, at(1320, 7), kRowShift, kKey, kKey, ",", "<"},
    {190, at(1320, 8), kRowShift, kKey, kKey, ".", ">"},
    {191, at(1320, 9), kRowShift, kKey, kKey, "/", "?"},
    {38, at(kEdit, 1), kRowShift, kKey, kKey, "↑", ""},
    {97, at(kPad, 0), kRowShift, kKey, kKey, "1", "End"},
    {98, at(kPad, 1), kRowShift, kKey, kKey, "2", "↓"},
    {99, at(kPad, 2), kRowShift, kKey, kKey, "3", "PgDn"},
    {13, at(kPad, 3), kRowShift, kKey, kKey + kPitch, "Enter", ""},
    // Bottom row.
    {17, 120, kRowBottom, 615, kKey, "Ctrl", ""},
    {18, 1440, kRowBottom, 615, kKey, "Alt", ""},
    {32, 2100, kRowBottom, 2775, kKey, "", ""},
    {37, at(kEdit, 0), kRowBottom, kKey, kKey, "←", ""},
    {40, at(kEdit, 1), kRowBottom, kKey, kKey, "↓", ""},
    {39, at(kEdit, 2), kRowBottom, kKey, kKey, "→", ""},
    {96, at(kPad, 0), kRowBottom, kKey + kPitch, kKey, "0", "Ins"},
    {110, at(kPad, 2), kRowBottom, kKey, kKey, ".", "Del"},
};

// Keys of the picture without a key code of their own. Index 13 is a spare, hidden shape over the
// Num Lock lamp of the indicator area.
constexpr ImgShape kImgs[] = {
    {0, 120, kRowNum, kKey, kKey, false, "`", "~"},
    {1, 120, kRowTop, 675, kKey, false, "Tab", ""},
    {2, 120, kRowHome, 855, kKey, false, "Caps Lock", ""},
    {3, 780, kRowBottom, 615, kKey, false, "Win", ""},
    {4, 4920, kRowBottom, 555, kKey, false, "한/영", ""},
    {5, 5520, kRowBottom, 555, kKey, false, "Win", ""},
    {6, 6120, kRowBottom, 555, kKey, false, "Menu", ""},
    {7, 6120, kRowShift, 1155, kKey, false, "Shift", ""},
    {8, 6600, kRowTop, 675, 585, false, "Enter", ""},
    {9, 6300, kRowHome, 975, kKey, false, "", ""},
    {10, 5880, kRowFn, kKey, kKey, false, "F10", ""},
    {11, at(kEdit, 0), kRowFn, kKey, kKey, false, "Prt Sc", ""},
    {12, 6720, kRowBottom, 555, kKey, false, "Ctrl", ""},
    {13, 9150, 240, 180, 180, true, "", ""},
    {14, at(kEdit, 1), kRowFn, kKey, kKey, false, "Scr Lk", ""},
    {15, kPad, kRowFn, 4 * kPitch - (kPitch - kKey), kKey, false, "", ""},
};
// clang-format on

static_assert(std::size(kKeys) == 91);
static_assert(std::size(kImgs) == 16);

// Panel rows (pixels inside the control panel; the panel starts at y = 324).
constexpr int kPanelTop = kShortHeight;
constexpr int P = kPanelTop;

constexpr Rect kKeyboardPicture{0, 0, kWindowWidth, kShortHeight};
constexpr Rect kStaffBox{8, 214, 140, 100};
constexpr Rect kFlashBar{152, 214, 10, 100};
constexpr Rect kPianoBox{166, 214, 559, 100};
constexpr Rect kControlPanel{0, kPanelTop, kWindowWidth, kTallHeight - kShortHeight};

constexpr int kWhiteWidth = 13;
constexpr int kBlackWidth = 8;
constexpr int kBlackHeight = 62;

std::vector<PianoKey> buildPiano() {
    // Semitone → white ordinal inside the octave, or -1 for a black key; black keys lean
    // slightly away from their neighbours as on a real piano.
    constexpr int kWhiteOf[12] = {0, -1, 1, -1, 2, 3, -1, 4, -1, 5, -1, 6};
    constexpr int kBlackShift[12] = {0, -1, 0, 1, 0, 0, -1, 0, 0, 0, 1, 0};
    std::vector<PianoKey> keys;
    keys.reserve(73);
    for (int i = 0; i < 73; ++i) {
        const int semitone = i % 12;
        const int octave = i / 12;
        const int w = kWhiteOf[semitone];
        if (w >= 0) {
            keys.push_back({i, false, {(octave * 7 + w) * kWhiteWidth, 0, kWhiteWidth, 100}});
        } else {
            // A black key straddles the boundary after the white key below it.
            const int boundary = (octave * 7 + kWhiteOf[semitone - 1] + 1) * kWhiteWidth;
            keys.push_back({i,
                            true,
                            {boundary - kBlackWidth / 2 + kBlackShift[semitone], 0, kBlackWidth,
                             kBlackHeight}});
        }
    }
    return keys;
}

// A legend label in the lower right corner of a key (or centred, for Space).
Rect legendOn(const Rect& key, int width, bool centred) {
    const int left =
        centred ? key.left + (key.width - width) / 2 : key.left + key.width - width - 1;
    return {left, key.top + key.height - 15, width, 14};
}

Rect keyPx(int vk) {
    const KeyShape* k = keyShapeOf(vk);
    return k ? pixelRect(k->left, k->top, k->width, k->height) : Rect{};
}

std::vector<Place> buildPlaces() {
    std::vector<Place> p;
    auto add = [&p](std::string_view name, int index, Rect r, std::string_view caption = {}) {
        p.push_back({name, index, r, caption});
    };

    // Picture boxes and the parts of the short window.
    add("Picture1", -1, kStaffBox);
    add("pic_CircleTouch", -1, kPianoBox);
    add("shp_BScr", -1, kFlashBar);
    add("img_ControlPanel", -1, kControlPanel);
    add("lbl_BottomUD", -1, {733, 300, 14, 16}, "▲");

    // Legends over the modifier and F keys.
    add("Label1", 0, legendOn(keyPx(32), 56, true), "＃ / 해제");
    add("Label1", 1, legendOn(keyPx(17), 12, false), "♭");
    {
        const ImgShape& rctrl = kImgs[12];
        add("Label1", 2,
            legendOn(pixelRect(rctrl.left, rctrl.top, rctrl.width, rctrl.height), 12, false), "♭");
    }
    add("Label1", 3, {733, 6, 14, 16}, "?");
    add("Label1", 4, legendOn(keyPx(27), 22, false), "#/b");
    static constexpr std::string_view kDegrees[7] = {"#1", "#2", "#3", "#4", "#5", "#6", "#7"};
    for (int d = 0; d < 7; ++d)
        add("Label1", 5 + d, legendOn(keyPx(112 + d), 18, false), kDegrees[d]);

    // Staff markers (their Top is set when a note is shown).
    for (int i = 0; i < 10; ++i)
        add("lbl_note", i, {kMarkerLeft, kMiddleCTop, kMarkerWidth, kMarkerHeight}, "○");

    // Channel table: headings, then one row per channel.
    constexpr int kHead = P + 6;
    constexpr int kRow[2] = {P + 26, P + 52};
    add("Label2", 2, {48, kHead, 120, 16}, "악 기 (                        )");
    add("chk_ESync", -1, {170, kHead + 1, 14, 14});
    add("lbl_chk", 0, {186, kHead, 68, 16}, "채널1/2 연동");
    add("Label2", 3, {258, kHead, 40, 16}, "옥타브");
    add("Label2", 4, {302, kHead, 40, 16}, "음 량");
    add("Label2", 5, {346, kHead, 36, 16}, "여 음");
    add("Label2", 6, {386, kHead, 116, 16}, "조 표");
    static constexpr std::string_view kChannel[2] = {"채널 1", "채널 2"};
    static constexpr std::string_view kPedalKey[2] = {"F8", "F9"};
    for (int ch = 0; ch < 2; ++ch) {
        const int y = kRow[ch];
        add("Label2", ch, {8, y + 3, 36, 16}, kChannel[ch]);
        add("cmb_inst", ch, {48, y, 206, 22});
        add("cmb_OctShift", ch, {258, y, 40, 22});
        add("cmb_volume", ch, {302, y, 40, 22});
        add("chk_damper", ch, {346, y + 4, 14, 14});
        add("lbl_chk", 6 + ch, {362, y + 3, 20, 16}, kPedalKey[ch]);
    }
    add("cmb_key", -1, {386, kRow[0], 116, 22});
    add("chk_KeysetMode", -1, {388, kRow[1] + 4, 14, 14});
    add("lbl_chk", 8, {404, kRow[1] + 3, 66, 16}, "키설정(b/#)");

    // Effect bars: four columns of 60 pixels at the right, caption above each bar.
    static constexpr std::string_view kEffect[3] = {"음지속 70", "음잔향 0", "음두께 0"};
    for (int i = 0; i < 4; ++i) {
        const int col = 506 + 60 * i;
        add("vbar_Effect", i, {col + 22, P + 24, 17, 80});
        if (i < 3) add("lbl_effect", i, {col + 1, kHead, 58, 16}, kEffect[i]);
    }
    add("Label2", 7, {688, kHead, 26, 16}, "배속");
    add("lbl_effect", 3, {716, kHead, 28, 16}, "x1.0");

    // Key-set buttons and config saving under the bars, then the colour swatches.
    add("cmd_KeysetSave", -1, {508, P + 110, 72, 20}, "키저장");
    add("cmd_KeysetOpen", -1, {584, P + 110, 80, 20}, "불러오기");
    add("cmd_KeySetDefault", -1, {668, P + 110, 76, 20}, "초기화");
    add("Label2", 9, {508, P + 134, 36, 16}, "테두리");
    add("lbl_Color", 0, {546, P + 135, 14, 14});
    add("Label2", 10, {566, P + 134, 26, 16}, "자막");
    add("lbl_Color", 1, {594, P + 135, 14, 14});
    add("Label2", 8, {614, P + 134, 36, 16}, "키눌림");
    add("lbl_Color", 2, {652, P + 135, 14, 14});
    add("cmd_SaveConfig", -1, {690, P + 132, 54, 20}, "저 장");

    // Transport: buttons and recording length, the progress bar with its start-marker strip and
    // the three position buttons; the hidden ring palette below.
    add("cmd_record", -1, {8, P + 84, 26, 22}, "●");
    add("cmd_play", -1, {36, P + 84, 26, 22}, "▶");
    add("cmd_pause", -1, {64, P + 84, 26, 22}, "||");
    add("cmd_open", -1, {96, P + 84, 38, 22}, "열기");
    add("cmd_save", -1, {138, P + 84, 38, 22}, "저장");
    add("cmb_RecMax", -1, {180, P + 84, 74, 22});
    constexpr Rect kProg{26, P + 112, 162, 10};
    add("lbl_Home", -1, {6, P + 117, 14, 14}, "▼");
    add("pic_ProgBack", -1, kProg);
    add("shp_progress", -1, {0, 0, 1, kProg.height});
    add("shp_StartPos", -1, {kProg.left - 4, kProg.top + kProg.height, 8, 7});
    static constexpr std::string_view kPos[3] = {"1", "2", "3"};
    for (int i = 0; i < 3; ++i)
        add("cmd_SavePlayPos", i, {194 + 20 * i, P + 108, 18, 18}, kPos[i]);
    // Practice, in the row the ring palette takes in circle-touch mode, right of it.
    add("chk_Practice", -1, {194, P + 135, 14, 14});
    add("lbl_chk", 10, {210, P + 134, 40, 16}, "연습");
    constexpr Rect kPalette{8, P + 134, 150, 18};
    add("pic_Palette", -1, kPalette);
    for (int i = 0; i < 9; ++i)
        add("lbl_CircleColor", i, {2 + 16 * i, 2, 14, 14}, i == 8 ? "R" : "");

    // Display options: two columns of check boxes with their caption labels.
    struct Option {
        std::string_view box;
        int label;
        int x, y;
        int width;
        std::string_view caption;
    };
    static constexpr Option kOptions[] = {
        {"chk_KeyOutline", 1, 260, P + 84, 46, "키테두리"},
        {"chk_caption", 2, 260, P + 106, 34, "키자막"},
        {"chk_CaptionKor", 3, 260, P + 128, 46, "한글자막"},
        {"chk_CircleTouch", 5, 328, P + 84, 72, "동심원 키터치"},
        {"chk_BScr", 9, 328, P + 106, 36, "번쩍임"},
        {"chk_AniGif", 4, 328, P + 128, 58, "애니메이션"},
    };
    for (const Option& o : kOptions) {
        add(o.box, -1, {o.x, o.y + 1, 14, 14});
        add("lbl_chk", o.label, {o.x + 16, o.y, o.width, 16}, o.caption);
    }
    add("lbl_CircleColor", 9, {418, P + 85, 14, 14});
    add("cmd_AniGif", -1, {408, P + 126, 20, 20}, "↓");
    add("ucAniGIF1", -1, {438, P + 84, 64, 64});
    return p;
}

}  // namespace

std::span<const KeyShape> keyShapes() {
    return kKeys;
}

std::span<const ImgShape> imgShapes() {
    return kImgs;
}

const KeyShape* keyShapeOf(int vk) {
    for (const KeyShape& k : kKeys)
        if (k.vk == vk) return &k;
    return nullptr;
}

std::span<const PianoKey> pianoKeys() {
    static const std::vector<PianoKey> keys = buildPiano();
    return keys;
}

std::span<const Place> places() {
    static const std::vector<Place> list = buildPlaces();
    return list;
}

Rect pixelRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

Rect placeOf(std::string_view name, int index) {
    const Rect kb = kKeyboardPicture;
    if (name == "shp_key") {
        const KeyShape* k = keyShapeOf(index);
        if (!k) return {};
        Rect r = pixelRect(k->left, k->top, k->width, k->height);
        return {kb.left + r.left, kb.top + r.top, r.width, r.height};
    }
    if (name == "shp_img") {
        for (const ImgShape& k : kImgs) {
            if (k.index != index) continue;
            Rect r = pixelRect(k.left, k.top, k.width, k.height);
            return {kb.left + r.left, kb.top + r.top, r.width, r.height};
        }
        return {};
    }
    if (name == "shp_piano") {
        auto keys = pianoKeys();
        if (index < 0 || index >= static_cast<int>(keys.size())) return {};
        return keys[static_cast<size_t>(index)].rect;
    }
    for (const Place& p : places())
        if (p.name == name && p.index == index) return p.rect;
    return {};
}

Rect keyboardPicture() {
    return kKeyboardPicture;
}
Rect pianoBox() {
    return kPianoBox;
}
Rect staffBox() {
    return kStaffBox;
}
Rect controlPanel() {
    return kControlPanel;
}
int windowWidth() {
    return kWindowWidth;
}

}  // namespace muto::layout
