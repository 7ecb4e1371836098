// Where everything sits in the main window. One table serves the model (the controls'
// geometry) and the picture generator (the keyboard and piano pictures), so the key shapes and
// the keys drawn in the pictures always line up.
#pragma once

#include <span>
#include <string_view>

#include "form/controls.h"

namespace muto::layout {

constexpr int kTwipsPerPixel = 15;
constexpr int px(int twips) {
    return twips / kTwipsPerPixel;
}

// Window heights in twips: tall shows the control panel, short folds it away.
constexpr int kTallHeightTwips = 7200;
constexpr int kShortHeightTwips = 4860;

// One key shape over the PC keyboard picture. Geometry in twips, relative to the picture.
struct KeyShape {
    int vk;  // Windows virtual-key code = index of shp_key; its role is the instrument's
    int left, top, width, height;
    std::string_view label;  // what the generated picture prints on the key
    std::string_view sub;    // second legend of the keycap (Hangul jamo, shifted symbol)
};

// One indicator shape over a key of the picture that has no key code of its own.
struct ImgShape {
    int index;                     // design index of shp_img
    int left, top, width, height;  // twips, relative to the picture
    bool hidden;
    std::string_view label;
    std::string_view sub;  // second legend of the keycap
};

// The 91 key shapes, in row order.
std::span<const KeyShape> keyShapes();
// The 16 indicator shapes.
std::span<const ImgShape> imgShapes();
// The key shape of a virtual-key code, or nullptr.
const KeyShape* keyShapeOf(int vk);

// One piano key shp_piano(index) for MIDI note 24 + index, in pixels inside pic_CircleTouch.
struct PianoKey {
    int index;
    bool black;
    Rect rect;
};
std::span<const PianoKey> pianoKeys();  // 73

// The place of a named control (pixels, in the window; for shapes and labels inside a picture
// box, relative to that box). Index -1 for a control outside an array. Unknown names give an
// empty Rect.
Rect placeOf(std::string_view name, int index = -1);

// The picture boxes of the window, in window pixels.
Rect keyboardPicture();  // the PC keyboard picture (the window background)
Rect pianoBox();         // pic_CircleTouch
Rect staffBox();         // Picture1, the note-marker box
Rect controlPanel();     // img_ControlPanel
int windowWidth();       // pixels

// Twips rectangle of a key or indicator shape converted to pixels.
Rect pixelRect(int left, int top, int width, int height);

// One control of the window design with its place and design caption ("" when it has none).
// Places are in window pixels, except for the controls inside a picture box (shp_progress in
// pic_ProgBack, lbl_CircleColor(0..8) in pic_Palette, lbl_note(0..9) in Picture1), which are
// relative to their box. Key shapes, piano keys and key captions are not listed here.
struct Place {
    std::string_view name;
    int index;
    Rect rect;
    std::string_view caption;
};
std::span<const Place> places();

// Staff geometry of the note-marker box: a marker label is this high, its circle centred in it,
// so a marker with Top t marks the height t + kMarkerHeight / 2. Middle C has Top 62 and each
// diatonic step is 4 pixels.
constexpr int kMarkerLeft = 102;
constexpr int kMarkerWidth = 36;
constexpr int kMarkerHeight = 12;
constexpr int kMiddleCTop = 62;
// The five staff lines (E4 G4 B4 D5 F5), top to bottom: y = 28, 36, 44, 52, 60.
constexpr int kStaffLineTop = 28;
constexpr int kStaffLineGap = 8;
constexpr int kStaffStep = 4;                 // pixels per diatonic step
constexpr int kStaffOctave = 7 * kStaffStep;  // pixels per octave

// A key caption sits this far below the top of its key shape, this high.
constexpr int kCaptionOffset = 10;
constexpr int kCaptionHeight = 14;

// The on-screen piano: shp_piano(i) plays MIDI note kPianoLowestNote + i.
constexpr int kPianoLowestNote = 24;
constexpr int kPianoKeyCount = 73;

}  // namespace muto::layout
