#include "form/startup.h"

#include <string>

#include "form/circle_touch.h"
#include "form/configuration.h"
#include "form/form1.h"
#include "form/gm_names.h"
#include "form/key_display.h"
#include "form/key_input.h"
#include "form/key_map.h"
#include "form/midi.h"
#include "form/playback_panel.h"
#include "form/visual_options.h"
#include "instrument/key_layout.h"
#include "instrument/settings.h"
#include "performance/player.h"

namespace muto {

namespace {

// Loads one picture: the file named in the Tag, else (empty Tag, or a file that is missing or
// is not a picture) the default file of the program folder, so the area is never left empty.
template <class Target>
void loadWithFallback(Form1& f, Target& target, const std::string& tag,
                      const std::string& fallback) {
    if (!tag.empty()) {
        PictureStatus st = f.services.pictures.probe(tag);
        if (st == PictureStatus::Ok) {
            target.setPicture(tag);
            return;
        }
    } else {
        target.setPicture("");
    }
    std::string def = f.programPath(fallback);
    if (f.services.pictures.probe(def) == PictureStatus::Ok) target.setPicture(def);
}

}  // namespace

void Startup::fillLists() {
    auto names = gmProgramNames();
    for (size_t n = 0; n < names.size(); ++n) {
        std::string item = std::to_string(n) + " " + std::string(names[n]);
        f_.cmb_inst(0).addItem(item);
        f_.cmb_inst(1).addItem(item);
    }
    for (int i = 0; i < settings::kVolumeCount; ++i) {
        f_.cmb_volume(0).addItem(std::to_string(settings::volumeAt(i)));
        f_.cmb_volume(1).addItem(std::to_string(settings::volumeAt(i)));
    }
    for (const KeySignature& sig : keySignatures())
        f_.cmb_key.addItem(std::string(sig.text), sig.transpose);
    for (int octave : settings::kOctaves) {
        f_.cmb_OctShift(0).addItem(settings::octaveText(octave));
        f_.cmb_OctShift(1).addItem(settings::octaveText(octave));
    }
    f_.cmb_RecMax.addItem("500Key", 1000);
    f_.cmb_RecMax.addItem("1000Key", 2000);
    f_.cmb_RecMax.addItem("2000Key", 4000);
    f_.cmb_RecMax.addItem("5000Key", 10000);
    f_.cmb_RecMax.addItem("10000Key", 20000);
}

void Startup::makeDefaultSelections() {
    f_.cmb_key.setListIndex(0);
    f_.cmb_inst(0).setListIndex(0);
    f_.cmb_inst(1).setListIndex(0);
    f_.cmb_OctShift(0).setListIndex(settings::kDefaultOctaveIndex);
    f_.cmb_OctShift(1).setListIndex(settings::kDefaultOctaveIndex);
    f_.cmb_volume(0).setListIndex(0);
    f_.cmb_volume(1).setListIndex(0);
    f_.cmb_RecMax.setListIndex(2);
}

void Startup::fillTables() {
    f_.display().solfegeNames = {"도", "레", "미", "파", "솔", "라", "시"};
    f_.display().sigDegreeShift = {0, 4, 1, -2, 2, -1, 3, 0, 3, -1, 2, -2, 1, 4, 0};
    f_.circleTouch().circleColors.fill(f_.lbl_CircleColor(9).backColor());
    f_.visualOptions().pressColor = f_.lbl_Color(2).backColor();
    f_.keyboard().clearTypedProgram();
    f_.player().setSpeed(1.0f);
}

bool Startup::run() {
    if (!f_.midi().midiOpen()) return false;
    f_.keys().keepNumLockOn();
    fillLists();
    makeDefaultSelections();
    fillTables();
    createKeyCaptions();
    f_.playback().placeStartMarker(0);
    resetKeyHighlights();
    f_.configuration().readConfig();
    // The swatches' colours are applied whether or not config.ini set them, so the first start
    // shows the outlines and legends in the colours the swatches show, as a restart does.
    for (int s = 0; s < 3; ++s)
        f_.visualOptions().applyColour(s, f_.lbl_Color(s).backColor());
    loadPictures();
    return true;
}

bool Startup::Form_Unload() {
    if (f_.player().isPlaying()) return false;
    f_.shutDown();
    return true;
}

void Startup::createKeyCaptions() {
    f_.shp_key.forEach([&](Shape& s) {
        int i = s.index();
        int note = f_.instrument().keyNote[static_cast<size_t>(i)];
        if (note == 0) return;
        Label& cap = f_.display().keyCaption(i);
        cap.setCaption(f_.display().noteCaption(note, false));
        cap.setVisible(true);
        cap.zOrderFront();
    });
}

void Startup::resetKeyHighlights() {
    f_.shp_img.forEach([](Shape& s) { s.setLit(false); });
    f_.shp_key.forEach([&](Shape& s) {
        s.setLit(false);
        if (const auto role = keyRoleOf(s.index()); role && *role != KeyRole::Control)
            s.setBackColor(f_.visualOptions().pressColor);
    });
    if (f_.shp_img.exists(12)) f_.shp_img(12).setBackColor(f_.visualOptions().pressColor);
    if (f_.shp_img.exists(13)) f_.shp_img(13).setVisible(false);
    f_.chk_AniGif.setEnabled(true);
}

void Startup::loadPictures() {
    loadWithFallback(f_, f_.form, f_.form.tag(), "\\CKeyboard.gif");
    loadWithFallback(f_, f_.pic_CircleTouch, f_.pic_CircleTouch.tag(), "\\PKeyboard.gif");
    loadWithFallback(f_, f_.img_ControlPanel, f_.img_ControlPanel.tag(), "\\ControlPanel.gif");
}

}  // namespace muto
