#include "form/key_map.h"

#include <array>
#include <charconv>
#include <string>

#include "form/form1.h"
#include "form/key_display.h"
#include "instrument/key_layout.h"

namespace muto {

namespace {

// The numeric value of an octave list text ("-2", "+1"); an empty text counts as 0.
int octaveValue(const std::string& text) {
    if (text.empty()) return 0;
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '+') ++b;
    int v = 0;
    std::from_chars(b, e, v);
    return v;
}

}  // namespace

void KeyMap::rebuildBothGroups() {
    f_.instrument().rebuildGroup(0);
    f_.instrument().rebuildGroup(1);
}

void KeyMap::refreshKeyStaffTops() {
    for (int k = 0; k < 256; ++k) {
        if (f_.instrument().keyNote[static_cast<size_t>(k)] != 0)
            f_.display().keyStaffTop[static_cast<size_t>(k)] =
                f_.display().staffTopOf(f_.instrument().keyNote[static_cast<size_t>(k)], k);
    }
}

void KeyMap::resetKeyCaptions() {
    f_.shp_key.forEach([&](Shape& s) {
        int i = s.index();
        if (f_.instrument().keyNote[static_cast<size_t>(i)] == 0) return;
        Label* cap = f_.lbl_KeyCaption.find(i);
        if (!cap) return;
        cap->setCaption(
            f_.display().noteCaption(f_.instrument().keyNote[static_cast<size_t>(i)], false));
        cap->setTag("");
    });
}

void KeyMap::refreshKeyCaptions() {
    f_.shp_key.forEach([&](Shape& s) {
        int i = s.index();
        if (f_.instrument().keyNote[static_cast<size_t>(i)] == 0) return;
        Label* cap = f_.lbl_KeyCaption.find(i);
        if (!cap) return;
        bool preferSharp = cap->tag() == "s";
        cap->setCaption(
            f_.display().noteCaption(f_.instrument().keyNote[static_cast<size_t>(i)], preferSharp));
    });
}

void KeyMap::loadKeySignaturePicture() {
    int i = f_.cmb_key.listIndex();
    if (i < 0 || i >= static_cast<int>(keySignatures().size())) return;
    std::string path = f_.programPath(std::string(keySignatures()[static_cast<size_t>(i)].picture));
    // A missing or unreadable picture leaves an empty staff box.
    if (f_.services.pictures.probe(path) == PictureStatus::Ok)
        f_.Picture1.setPicture(path);
    else
        f_.Picture1.setPicture("");
}

void KeyMap::cmb_key_Click() {
    loadKeySignaturePicture();
    f_.instrument().setKeySignature(f_.cmb_key.selectedItemData());
    refreshKeyStaffTops();
    if (f_.form.visible()) f_.setFocus(f_.Picture1);
}

void KeyMap::cmb_OctShift_Click(int group) {
    if (group < 0 || group > 1) return;
    f_.instrument().setOctave(
        group, f_.cmb_OctShift.exists(group) ? octaveValue(f_.cmb_OctShift(group).text()) : 0);
    refreshKeyStaffTops();
    if (f_.form.visible()) {
        refreshKeyCaptions();
        f_.setFocus(f_.Picture1);
    }
}

void KeyMap::cmd_KeySetDefault_Click() {
    f_.instrument().keyAlter.fill(0);
    // A key outside both groups has no note of its own; one raised in key-set editing
    // (Backspace) goes back to none, and its caption with it.
    std::array<bool, 256> inGroup{};
    for (int g = 0; g < 2; ++g)
        for (const NaturalKey& k : keyGroupLayout(g))
            inGroup[k.vk] = true;
    for (size_t k = 0; k < 256; ++k) {
        if (inGroup[k] || f_.instrument().keyNote[k] == 0) continue;
        f_.instrument().keyNote[k] = 0;
        if (Label* cap = f_.lbl_KeyCaption.find(static_cast<int>(k))) {
            cap->setCaption("");
            cap->setTag("");
        }
    }
    rebuildBothGroups();
    refreshKeyStaffTops();
    resetKeyCaptions();
    f_.setFocus(f_.Picture1);
}

}  // namespace muto
