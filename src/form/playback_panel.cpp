#include "form/playback_panel.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "form/channel_controls.h"
#include "form/form1.h"
#include "form/key_display.h"
#include "form/key_map.h"
#include "form/key_set_files.h"
#include "form/record_panel.h"
#include "instrument/key_layout.h"

namespace muto {

namespace {

using vk::kF1;

// Practice lights the key to press next in this colour, apart from the green of a press.
constexpr Colour kPracticeColour = rgb(255, 150, 0);

constexpr const char* kPlaying = "[연주중]";
constexpr const char* kPausedMark = "[연주 일시정지]";

void replaceIn(std::string& text, const std::string& what, const std::string& with) {
    auto at = text.find(what);
    if (at != std::string::npos) text.replace(at, what.size(), with);
}

}  // namespace

PlaybackPanel::PlaybackPanel(Form1& form)
    : f_(form), player_(*this, form.services.monotonic, form.services.timers) {}

// --- Start and stop -------------------------------------------------------------------------

void PlaybackPanel::cmd_play_Click() {
    if (f_.cmd_play.caption() != "▶") {
        // A stop request, while playing or paused.
        if (player_.isPaused()) f_.cmd_pause.setCaption("||");
        player_.stop();
        f_.setFocus(f_.Picture1);
        return;
    }
    const Performance& perf = f_.recorder().performance();
    if (perf.path.empty())
        f_.form.setCaption(std::string("무토 - ") + kPlaying);
    else
        f_.form.setCaption("무토 - " + baseName(perf.path) + kPlaying);
    f_.cmd_play.setCaption("■");
    setPlaybackControlsEnabled(false);
    if (!perf.events.empty()) {
        f_.setFocus(f_.chk_CircleTouch.value() == 1 ? f_.pic_CircleTouch : f_.Picture1);
        dampersBefore_ = f_.channels().dampers();
        restoreSettings(perf);
        // A start at or past the end plays the last event.
        if (player_.start(perf, parsePlayPosition(f_.shp_StartPos.tag()),
                          f_.chk_Practice.value() == 1))
            return;
    }
    f_.form.setCaption("무토");
    f_.cmd_play.setCaption("▶");
    setPlaybackControlsEnabled(true);
    f_.setFocus(f_.Picture1);
}

void PlaybackPanel::restoreSettings(const Performance& perf) {
    // The key map starts from its natural notes; the snapshot's altered keys go on top once the
    // key signature and octaves are those of the snapshot.
    clearKeyOverrides();
    const PerformanceSnapshot& snap = perf.snapshot;

    // Controls refuse values out of their range; such a snapshot byte leaves the control as it is.
    if (f_.cmb_key.listIndex() != snap.settings[0]) f_.cmb_key.setListIndex(snap.settings[0]);

    // Unlinked, so that restoring one channel's instrument does not copy it to the other.
    const int linked = f_.chk_ESync.value();
    f_.chk_ESync.setTag(std::to_string(linked));
    f_.chk_ESync.setValue(0);
    for (int ch = 0; ch < 2; ++ch) {
        int want = snap.settings[static_cast<size_t>(1 + ch)];
        if (f_.cmb_inst(ch).listIndex() != want) f_.cmb_inst(ch).setListIndex(want);
    }
    f_.chk_ESync.setValue(linked);

    for (int ch = 0; ch < 2; ++ch) {
        const int want = perf.octaveIndex(ch);
        ListBox& box = f_.cmb_OctShift(ch);
        // The key group is rebuilt either way, so the map reflects the cleared alterations.
        if (box.listIndex() == want || !box.setListIndex(want)) f_.keyMap().cmb_OctShift_Click(ch);
    }
    for (int ch = 0; ch < 2; ++ch) {
        int want = snap.settings[static_cast<size_t>(5 + ch)];
        if (f_.cmb_volume(ch).listIndex() != want) f_.cmb_volume(ch).setListIndex(want);
    }
    for (int ch = 0; ch < 2; ++ch) {
        int want = snap.damper[static_cast<size_t>(ch)];
        if (f_.chk_damper(ch).value() != want) f_.chk_damper(ch).setValue(want);
    }

    applyKeyEntries(f_, snap.entries);
    f_.instrument().applyKeySignatureCodes(snap.keySig);
    for (int d = 0; d < 7; ++d) {
        f_.display().refreshDegreeLabel(d);
        if (Shape* key = f_.shp_key.find(kF1 + d))
            key->setLit(f_.instrument().degreeAlter[static_cast<size_t>(d)] != 0);
    }
}

void PlaybackPanel::finished(bool early, const PracticeScore* score) {
    f_.cmd_pause.setCaption("||");
    if (early) {
        f_.keyboard().releaseAll();
        f_.channels().liftDampersPutDownSince(dampersBefore_);
    }
    f_.form.setCaption("무토");
    f_.cmd_play.setCaption("▶");
    setPlaybackControlsEnabled(true);
    f_.setFocus(f_.Picture1);
    if (score) showPracticeScore(*score);
}

void PlaybackPanel::showPracticeScore(const PracticeScore& s) {
    const long late = s.hits > 0 ? std::lround(s.lateSeconds * 1000 / s.hits) : 0;
    f_.services.dialogs.messageBox("맞힌 음 " + std::to_string(s.hits) + "개, 틀린 건반 " +
                                       std::to_string(s.wrongKeys) + "개, 평균 늦음 " +
                                       std::to_string(late) + " ms",
                                   "연습", MsgButtons::Ok, MsgIcon::Information);
}

// --- The keys of a playback -------------------------------------------------------------------

// The keys go to the keyboard as the user's would, shown on the surface of the mode, which
// cannot change while a performance plays.
void PlaybackPanel::keyDown(int keyCode, int shift) {
    f_.keyboard().keyDown(keyCode, shift);
}

void PlaybackPanel::keyUp(int keyCode, int /*shift*/) {
    f_.keyboard().keyUp(keyCode);
}

bool PlaybackPanel::isHeld(int keyCode) const {
    return f_.instrument().isHeld(keyCode);
}

bool PlaybackPanel::isChannel1Note(int k) const {
    return keyRoleOf(k) == KeyRole::NoteChannel1 &&
           f_.instrument().keyNote[static_cast<size_t>(k & 0xFF)] != 0;
}

void PlaybackPanel::lightAwaited(int k, bool lit) {
    Shape& key = f_.shp_key(k);
    if (lit) {
        awaitedKeyColour_ = key.backColor();
        key.setBackColor(kPracticeColour);
        key.setLit(true);
        return;
    }
    key.setBackColor(awaitedKeyColour_);
    if (!f_.instrument().isHeld(k)) key.setLit(false);
}

// --- Pause and resume -----------------------------------------------------------------------

void PlaybackPanel::cmd_pause_Click() {
    if (player_.isPlaying() || player_.isPaused()) {
        std::string title = f_.form.caption();
        if (f_.cmd_pause.caption() != "||") {
            f_.cmd_pause.setCaption("||");
            replaceIn(title, kPausedMark, kPlaying);
            f_.form.setCaption(title);
            player_.resume();
        } else {
            f_.cmd_pause.setCaption("▶");
            player_.pause();
            replaceIn(title, kPlaying, kPausedMark);
            f_.form.setCaption(title);
        }
    }
    f_.setFocus(f_.Picture1);
}

// --- Progress bar and start positions ---------------------------------------------------------

void PlaybackPanel::setPlaybackControlsEnabled(bool enabled) {
    for (Control* c : std::initializer_list<Control*>{
             &f_.cmd_open, &f_.cmd_record, &f_.cmb_key, &f_.cmb_OctShift(0), &f_.cmb_OctShift(1),
             &f_.cmb_volume(0), &f_.cmb_volume(1), &f_.cmd_save, &f_.chk_KeysetMode,
             &f_.cmd_KeysetSave, &f_.cmd_KeysetOpen, &f_.cmd_KeySetDefault, &f_.cmb_RecMax,
             &f_.cmd_AniGif, &f_.cmd_SaveConfig, &f_.chk_CircleTouch, &f_.lbl_chk(5)})
        c->setEnabled(enabled);
    if (f_.chk_CircleTouch.value() == 1) {
        for (Control* c : std::initializer_list<Control*>{&f_.chk_AniGif, &f_.lbl_chk(4),
                                                          &f_.chk_BScr, &f_.lbl_chk(9)})
            c->setEnabled(enabled);
    }
    setProgressUnits(1);
}

void PlaybackPanel::progressed(int played) {
    setProgressUnits(played);
}

int PlaybackPanel::eventCount() const {
    return f_.recorder().performance().eventCount();
}

// The bar's scale is one unit per event; the shape's pixel width follows from it.
void PlaybackPanel::setProgressUnits(int units) {
    progressUnits_ = units;
    const int barWidth = f_.pic_ProgBack.geometry().width;
    const int scale = progressScale_ > 0 ? progressScale_ : eventCount();
    int px = units;
    if (scale > 0)
        px = static_cast<int>(std::lround(static_cast<double>(units) * barWidth / scale));
    // However long the performance, a started bar stays visible.
    if (units > 0 && px < 1) px = 1;
    f_.shp_progress.setWidth(std::clamp(px, 0, std::max(barWidth, 0)));
}

void PlaybackPanel::placeStartMarker(double pos) {
    if (eventCount() <= 0) return;
    const Rect& bar = f_.pic_ProgBack.geometry();
    double left = pos / eventCount() * bar.width + bar.left - 4;
    if (!std::isfinite(left)) return;
    f_.shp_StartPos.setLeft(static_cast<int>(std::lround(std::clamp(left, -1e6, 1e6))));
}

void PlaybackPanel::resetPlayPositions() {
    placeStartMarker(0);
    f_.shp_StartPos.setTag("0");
    f_.cmd_SavePlayPos.forEach([](Button& b) { b.setTag("0"); });
    progressScale_ = eventCount();
}

void PlaybackPanel::pic_ProgBack_MouseDown(int /*button*/, int /*shift*/, int x, int /*y*/) {
    const int barWidth = f_.pic_ProgBack.geometry().width;
    const int scale = progressScale_ > 0 ? progressScale_ : eventCount();
    double units = barWidth > 0 ? static_cast<double>(x) * scale / barWidth : 0.0;
    f_.shp_StartPos.setTag(formatPlayPosition(units));
    placeStartMarker(roundHalfEven(units));
}

void PlaybackPanel::img_ControlPanel_MouseDown(int /*button*/, int /*shift*/, int x, int y) {
    if (eventCount() <= 0) return;
    const Rect& bar = f_.pic_ProgBack.geometry();
    const int b = bar.top - f_.img_ControlPanel.geometry().top + bar.height;
    if (!(bar.left < x && x < bar.left + bar.width && b - 1 < y && y < b + 7)) return;
    f_.shp_StartPos.setLeft(x - 4);
    double pos = std::floor(static_cast<double>(x - bar.left) / bar.width * eventCount() + 0.555);
    f_.shp_StartPos.setTag(std::to_string(static_cast<int>(pos)));
}

void PlaybackPanel::lbl_Home_Click() {
    f_.shp_StartPos.setTag("0");
    placeStartMarker(0);
}

void PlaybackPanel::cmd_SavePlayPos_Click(int i) {
    Button& slot = f_.cmd_SavePlayPos(i);
    if (player_.isPlaying()) {
        std::string pos = std::to_string(player_.playPos());
        slot.setTag(pos);
        f_.shp_StartPos.setTag(pos);
        placeStartMarker(player_.playPos());
    } else {
        f_.shp_StartPos.setTag(slot.tag());
        placeStartMarker(parsePlayPosition(slot.tag()));
    }
    f_.setFocus(f_.Picture1);
}

// --- Altered keys ---------------------------------------------------------------------------

void PlaybackPanel::clearKeyOverrides() {
    Instrument& inst = f_.instrument();
    f_.lbl_KeyCaption.forEach([&](Label& cap) {
        if (inst.keyNote[static_cast<size_t>(cap.index() & 0xFF)] != 0) cap.setTag("");
    });
    // Each altered key plays its natural note again, and shows it.
    for (int k : inst.clearKeySet()) {
        const uint8_t note = inst.keyNote[static_cast<size_t>(k)];
        Label* cap = f_.lbl_KeyCaption.find(k);
        if (cap) cap->setCaption(note == 0 ? "" : f_.display().noteCaption(note, false));
        if (note != 0)
            f_.display().keyStaffTop[static_cast<size_t>(k)] = f_.display().staffTopOf(note, k);
    }
}

}  // namespace muto
