#include "form/key_display.h"

#include <array>
#include <string_view>

#include "form/form1.h"
#include "form/help_window.h"
#include "form/layout.h"
#include "form/visual_options.h"

namespace muto {

namespace {

struct NoteName {
    std::string_view sharpNumber, flatNumber, sharpKorean, flatKorean;
};

// clang-format off
constexpr std::array<NoteName, 12> kNoteNames = {{
    {"1", "1", "도", "도"},
    {"#1", "b2", "#도", "b레"},
    {"2", "2", "레", "레"},
    {"#2", "b3", "#레", "b미"},
    {"3", "3", "미", "미"},
    {"4", "4", "파", "파"},
    {"#4", "b5", "#파", "b솔"},
    {"5", "5", "솔", "솔"},
    {"#5", "b6", "#솔", "b라"},
    {"6", "6", "라", "라"},
    {"#6", "b7", "#라", "b시"},
    {"7", "7", "시", "시"},
}};

// Pixels above the tonic's step for each semitone: in sharp notation and in flat notation.
constexpr std::array<int, 12> kStepSharp = {0, 0, 4, 4, 8, 12, 12, 16, 16, 20, 20, 24};
constexpr std::array<int, 12> kStepFlat  = {0, 4, 4, 8, 8, 12, 16, 16, 20, 20, 24, 24};
constexpr std::array<int, 12> kIsAltered = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};

constexpr std::array<std::string_view, 5> kMarkerText = {"bb○", "b○", "○", "#○", "##○"};
// clang-format on

}  // namespace

int KeyDisplay::transposition() const {
    return f_.cmb_key.selectedItemData();
}

std::string KeyDisplay::noteCaption(int note, bool preferSharp) const {
    int r = note - transposition();
    int o = floorDiv(r, 12) - 5;
    std::string text;
    if (o < 0) text.append(static_cast<size_t>(-o), '.');
    int m = r % 12;  // takes the sign of r; a negative remainder has no name
    if (m >= 0) {
        const NoteName& n = kNoteNames[static_cast<size_t>(m)];
        if (f_.chk_CaptionKor.value() == 0)
            text += preferSharp ? n.sharpNumber : n.flatNumber;
        else
            text += preferSharp ? n.sharpKorean : n.flatKorean;
    }
    if (o > 0) text.append(static_cast<size_t>(o), '.');
    return text;
}

int16_t KeyDisplay::staffTopOf(int note, int keyCode) {
    int r = note - transposition();
    int o = floorDiv(r, 12) - 5;
    int sig = f_.cmb_key.listIndex();
    int shift = (sig >= 0 && sig < 15) ? sigDegreeShift[static_cast<size_t>(sig)] : 0;
    int y = layout::kMiddleCTop - layout::kStaffOctave * o - layout::kStaffStep * shift;
    size_t k = static_cast<size_t>(keyCode & 0xFF);
    keyNoteSign[k] = 0;
    int m = r % 12;
    if (m >= 0) {
        const Label* cap = f_.lbl_KeyCaption.find(keyCode);
        bool sharpNotation = cap && cap->tag() == "s";
        size_t mi = static_cast<size_t>(m);
        y -= sharpNotation ? kStepSharp[mi] : kStepFlat[mi];
        if (kIsAltered[mi]) keyNoteSign[k] = sharpNotation ? 1 : -1;
    }
    return static_cast<int16_t>(y);
}

void KeyDisplay::showNoteMarker(int keyCode, int accidental) {
    if (accidental < -2 || accidental > 2) return;
    int i = nextMarker;
    Label& marker = f_.lbl_note(i);
    marker.setCaption(std::string(kMarkerText[static_cast<size_t>(accidental + 2)]));
    Rect g = marker.geometry();
    marker.setGeometry(
        {layout::kMarkerLeft, keyStaffTop[static_cast<size_t>(keyCode & 0xFF)], g.width, g.height});
    marker.setVisible(true);
    keyMarker[static_cast<size_t>(keyCode & 0xFF)] = static_cast<uint8_t>(i);
    nextMarker = static_cast<uint8_t>(i + 1 >= 10 ? 0 : i + 1);
}

void KeyDisplay::refreshDegreeLabel(int d) {
    if (d < 0 || d > 6) return;
    int alter = f_.instrument().degreeAlter[static_cast<size_t>(d)];
    bool sharp = alter > 0 || (alter == 0 && f_.instrument().degreeDirection > 0);
    std::string name = f_.chk_CaptionKor.value() == 1 ? solfegeNames[static_cast<size_t>(d)]
                                                      : std::to_string(d + 1);
    f_.Label1(d + 5).setCaption((sharp ? "#" : "b") + name);
}

void KeyDisplay::chk_caption_Click() {
    bool show = f_.chk_caption.value() == 1;
    f_.lbl_KeyCaption.forEach([&](Label& cap) {
        if (f_.instrument().keyNote[static_cast<size_t>(cap.index() & 0xFF)] != 0)
            cap.setVisible(show);
    });
    for (int i = 0; i < 12; ++i)
        if (f_.Label1.exists(i)) f_.Label1(i).setVisible(show);
    if (f_.form.visible()) f_.setFocus(f_.Picture1);
}

void KeyDisplay::chk_CaptionKor_Click() {
    bool bold = f_.chk_CaptionKor.value() == 0;
    f_.lbl_KeyCaption.forEach([&](Label& cap) {
        int note = f_.instrument().keyNote[static_cast<size_t>(cap.index() & 0xFF)];
        if (note == 0) return;
        cap.setFontBold(bold);
        cap.setCaption(noteCaption(note, cap.tag() == "s"));
    });
    for (int d = 0; d < 7; ++d)
        refreshDegreeLabel(d);
    if (f_.form.visible()) f_.setFocus(f_.Picture1);
}

void KeyDisplay::chk_KeyOutline_Click() {
    bool border = f_.chk_KeyOutline.value() == 1;
    f_.shp_img.forEach([&](Shape& s) { s.setBordered(border); });
    f_.shp_key.forEach([&](Shape& s) { s.setBordered(border); });
    if (f_.form.visible()) f_.setFocus(f_.Picture1);
}

void KeyDisplay::Label1_Click(int i) {
    if (i == 3) f_.helpWindow().show();
}

void KeyDisplay::lbl_KeyCaption_Click() {
    f_.setFocus(f_.Picture1);
}

void KeyDisplay::lbl_KeyCaption_DblClick() {
    f_.visualOptions().Form_DblClick();
}

void KeyDisplay::Label2_DblClick() {
    f_.visualOptions().img_ControlPanel_DblClick();
}

Label& KeyDisplay::keyCaption(int keyCode) {
    if (Label* cap = f_.lbl_KeyCaption.find(keyCode)) return *cap;
    Label& cap = f_.lbl_KeyCaption.add(keyCode);
    const Rect& g = f_.shp_key(keyCode).geometry();
    cap.setGeometry({g.left, g.top + layout::kCaptionOffset, g.width, layout::kCaptionHeight});
    cap.setForeColor(f_.lbl_Color.exists(1) ? f_.lbl_Color(1).backColor() : 0);
    cap.setFontBold(f_.chk_CaptionKor.value() == 0);
    cap.setVisible(f_.chk_caption.value() == 1);
    cap.onClick = [this] { lbl_KeyCaption_Click(); };
    cap.onDblClick = [this] { lbl_KeyCaption_DblClick(); };
    cap.zOrderFront();
    return cap;
}

void KeyDisplay::setPianoKeyLit(int note, bool lit) {
    int p = note - layout::kPianoLowestNote;
    if (p >= 0 && p < layout::kPianoKeyCount && f_.shp_piano.exists(p)) f_.shp_piano(p).setLit(lit);
}

}  // namespace muto
