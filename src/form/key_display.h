// The on-screen keyboard, piano and staff: key captions in numbers or Korean solfège
// (movable-do), staff marker positions, the F-key legends and the caption options.
#pragma once

#include <cstdint>
#include <string>

#include "form/controls.h"

namespace muto {

class Form1;

class KeyDisplay {
public:
    explicit KeyDisplay(Form1& form) : f_(form) {}

    // The caption of a note under the current key signature and caption language.
    std::string noteCaption(int note, bool preferSharp) const;
    // The staff-marker Top of a key's note; also sets keyNoteSign[keyCode].
    int16_t staffTopOf(int note, int keyCode);
    // Shows the next staff marker for a pressed key, with accidental -2..+2.
    void showNoteMarker(int keyCode, int accidental);
    // Rewrites the F-key legend over degree d (0..6).
    void refreshDegreeLabel(int degree);

    void chk_caption_Click();
    void chk_CaptionKor_Click();
    void chk_KeyOutline_Click();
    void Label1_Click(int i);
    void lbl_KeyCaption_Click();
    void lbl_KeyCaption_DblClick();
    void Label2_DblClick();

    // The caption label of a key, created and placed over its shape when it does not exist yet.
    Label& keyCaption(int keyCode);

    // Lighting of the piano key of a note (notes 24..96 have one).
    void setPianoKeyLit(int note, bool lit);

    // Per key: where its note sits on the staff, and its accidental sign.
    std::array<int16_t, 256> keyStaffTop{};
    std::array<int16_t, 256> keyNoteSign{};
    // The note marker each held key shows, and the one the next key takes.
    std::array<uint8_t, 256> keyMarker{};
    uint8_t nextMarker = 0;
    // The names of the scale degrees, and the staff shift of each key signature.
    std::array<std::string, 7> solfegeNames{};
    std::array<int16_t, 15> sigDegreeShift{};

private:
    int transposition() const;
    Form1& f_;
};

// floor(a / b) and the remainder taking the sign of a, as the caption arithmetic uses them.
constexpr int floorDiv(int a, int b) {
    return (a >= 0) ? a / b : -((-a + b - 1) / b);
}

}  // namespace muto
