#include "form/form1.h"

#include <charconv>

#include "form/channel_controls.h"
#include "form/circle_touch.h"
#include "form/configuration.h"
#include "form/gif_control.h"
#include "form/help_window.h"
#include "form/key_display.h"
#include "form/key_input.h"
#include "form/key_map.h"
#include "form/key_set_files.h"
#include "form/layout.h"
#include "form/midi.h"
#include "form/performance_files.h"
#include "form/playback_panel.h"
#include "form/record_panel.h"
#include "form/startup.h"
#include "form/visual_options.h"
#include "instrument/key_layout.h"
#include "instrument/settings.h"

namespace muto {

namespace {

// Design colours of the key shapes by role.
Colour roleColour(int role) {
    switch (static_cast<KeyRole>(role)) {
        case KeyRole::NoteChannel1:
            return rgb(255, 255, 128);
        case KeyRole::NoteChannel2:
            return rgb(255, 192, 192);
        case KeyRole::SemitoneModifier:
        case KeyRole::DegreeKey:
            return rgb(255, 128, 0);
        default:
            return rgb(0, 192, 192);
    }
}

constexpr Colour kDesignOutline = rgb(96, 96, 96);
constexpr Colour kDesignCaption = rgb(0, 0, 160);
// The user colour swatches: key outlines black, captions the system's 3-D dark shadow (21),
// pressed keys green.
constexpr Colour kSwatchDefaults[3] = {rgb(0, 0, 0), systemColour(21), rgb(0, 255, 0)};

// All Notes Off, and the damper pedal.
constexpr int kAllNotesOff = 123;
constexpr int kDamper = 64;

}  // namespace

Form1::Form1(Services s)
    : services(std::move(s)),
      midi_(std::make_unique<MidiOut>(*this)),
      instrument_(std::make_unique<Instrument>([this](uint32_t m) { midi_->send(m); })),
      keyMap_(std::make_unique<KeyMap>(*this)),
      channels_(std::make_unique<ChannelControls>(*this)),
      keys_(std::make_unique<KeyInput>(*this)),
      keyboard_(std::make_unique<Keyboard>(*instrument_, *keys_)),
      circleTouch_(std::make_unique<CircleTouch>(*this)),
      display_(std::make_unique<KeyDisplay>(*this)),
      startup_(std::make_unique<Startup>(*this)),
      recording_(std::make_unique<RecordPanel>(*this)),
      playback_(std::make_unique<PlaybackPanel>(*this)),
      performanceFiles_(std::make_unique<PerformanceFiles>(*this)),
      keySetFiles_(std::make_unique<KeySetFiles>(*this)),
      configuration_(std::make_unique<Configuration>(*this)),
      visualOptions_(std::make_unique<VisualOptions>(*this)),
      helpWindow_(std::make_unique<HelpWindow>(*this)),
      gifControl_(std::make_unique<GifControl>(*this)) {
    setViewAttributes();
    createControls();
    wireEvents();
}

Form1::~Form1() = default;

Recorder& Form1::recorder() {
    return recording_->recorder();
}

Player& Form1::player() {
    return playback_->player();
}

std::string Form1::programPath(const std::string& name) const {
    std::string rel = name;
    for (char& c : rel)
        if (c == '\\') c = '/';
    if (!rel.empty() && rel.front() == '/') rel.erase(0, 1);
    return services.programDir + "/" + rel;
}

void Form1::createControls() {
    const Rect kb = layout::keyboardPicture();
    for (const layout::KeyShape& k : layout::keyShapes()) {
        Shape& s = shp_key.add(k.vk);
        const int role = static_cast<int>(keyRoleOf(k.vk).value_or(KeyRole::Control));
        s.setTag(std::to_string(role));
        s.setGeometry({kb.left + layout::px(k.left), kb.top + layout::px(k.top),
                       layout::px(k.width), layout::px(k.height)});
        s.setBackColor(roleColour(role));
        s.setBorderColor(kDesignOutline);
        s.setLit(true);  // the design shows every key shape opaque
    }
    for (const layout::ImgShape& k : layout::imgShapes()) {
        Shape& s = shp_img.add(k.index);
        s.setGeometry({kb.left + layout::px(k.left), kb.top + layout::px(k.top),
                       layout::px(k.width), layout::px(k.height)});
        s.setBackColor(k.index == 12 ? rgb(255, 128, 0) : rgb(0, 192, 192));
        s.setBorderColor(kDesignOutline);
        s.setVisible(!k.hidden);
    }
    for (const layout::PianoKey& p : layout::pianoKeys()) {
        Shape& s = shp_piano.add(p.index);
        s.setGeometry(p.rect);
        s.setBackColor(rgb(0, 255, 0));
        s.setBordered(false);
    }
    for (int ch = 0; ch < 2; ++ch) {
        cmb_inst.add(ch);
        cmb_OctShift.add(ch);
        cmb_volume.add(ch);
        chk_damper.add(ch);
    }
    for (int i = 0; i < 4; ++i) {
        const settings::Bar& b = settings::kBars[static_cast<size_t>(i)];
        ScrollBar& bar = vbar_Effect.add(i);
        bar.setRange(b.min, b.max, b.smallChange, b.largeChange);
        bar.setValue(b.value);
        lbl_effect.add(i).setCaption(ChannelControls::effectCaption(i, b.value));
    }
    for (int i = 0; i < 3; ++i)
        cmd_SavePlayPos.add(i).setCaption(std::to_string(i + 1));
    for (int i = 0; i < 10; ++i) {
        Label& m = lbl_note.add(i);
        m.setCaption("○");
        m.setVisible(false);
    }
    const char* legends[12] = {"＃ / 해제", "♭",  "♭",  "?",  "#/b", "#1",
                               "#2",        "#3", "#4", "#5", "#6",  "#7"};
    for (int i = 0; i < 12; ++i) {
        Label& l = Label1.add(i);
        l.setCaption(legends[i]);
        l.setForeColor(kDesignCaption);
    }
    const char* options[11] = {"채널1/2 연동", "키테두리",      "키자막", "한글자막",
                               "애니메이션",   "동심원 키터치", "F8",     "F9",
                               "키설정(b/#)",  "번쩍임",        "연습"};
    for (int i = 0; i < 11; ++i)
        lbl_chk.add(i).setCaption(options[i]);
    for (int i = 0; i < 3; ++i) {
        Label& l = lbl_Color.add(i);
        l.setBackColor(kSwatchDefaults[i]);
        l.setBackTransparent(false);
    }
    const Colour ring[10] = {rgb(255, 0, 0),     rgb(255, 128, 0), rgb(255, 255, 0), rgb(0, 255, 0),
                             rgb(0, 255, 255),   rgb(0, 0, 255),   rgb(192, 0, 192), rgb(0, 0, 0),
                             rgb(255, 255, 255), rgb(0, 0, 255)};
    for (int i = 0; i < 10; ++i) {
        Label& l = lbl_CircleColor.add(i);
        l.setBackColor(ring[i]);
        l.setBackTransparent(false);
    }
    lbl_CircleColor(8).setCaption("R");
    lbl_CircleColor(9).setContainer(nullptr);  // the chosen colour, shown outside the palette

    // Design state of the window.
    form.setCaption("무토");
    form.setHeightTwips(layout::kTallHeightTwips);
    form.setVisible(false);
    lbl_BottomUD.setCaption("▲");
    lbl_Home.setCaption("▼");
    chk_caption.setValue(1);
    chk_KeyOutline.setValue(1);
    chk_ESync.setValue(1);
    chk_AniGif.setEnabled(false);
    cmd_record.setCaption("●");
    cmd_play.setCaption("▶");
    cmd_pause.setCaption("||");
    cmd_open.setCaption("열기");
    cmd_save.setCaption("저장");
    cmd_KeysetSave.setCaption("키저장");
    cmd_KeysetOpen.setCaption("불러오기");
    cmd_KeySetDefault.setCaption("초기화");
    cmd_AniGif.setCaption("↓");
    cmd_SaveConfig.setCaption("저 장");
    pic_Palette.setVisible(false);
    ucAniGIF1.setVisible(false);
    shp_BScr.setVisible(false);
    shp_BScr.setBackColor(rgb(255, 255, 255));
    shp_progress.setBackColor(rgb(0, 128, 255));
    shp_progress.setLit(true);
    shp_StartPos.setBackColor(rgb(255, 0, 0));
    shp_StartPos.setLit(true);
    shp_StartPos.setTag("0");

    // Places and captions of the window design.
    for (const layout::Place& p : layout::places()) {
        Control* c = findControl(p.name, p.index);
        if (!c && p.name == "Label2") c = &Label2.add(p.index);
        if (!c) continue;
        c->setGeometry(p.rect);
        if (p.caption.empty()) continue;
        std::string caption(p.caption);
        if (auto* l = dynamic_cast<Label*>(c))
            l->setCaption(caption);
        else if (auto* b = dynamic_cast<Button*>(c))
            b->setCaption(caption);
        else if (auto* cb = dynamic_cast<CheckBox*>(c))
            cb->caption = caption;
    }
    lbl_chk.forEach([](Label& l) { l.setAlignLeft(true); });
    Label2.forEach([](Label& l) { l.setAlignLeft(true); });
}

void Form1::wireEvents() {
    cmb_key.onClick = [this] { keyMap_->cmb_key_Click(); };
    cmd_KeySetDefault.onClick = [this] { keyMap_->cmd_KeySetDefault_Click(); };
    for (int ch = 0; ch < 2; ++ch) {
        cmb_OctShift(ch).onClick = [this, ch] { keyMap_->cmb_OctShift_Click(ch); };
        cmb_inst(ch).onClick = [this, ch] { channels_->cmb_inst_Click(ch); };
        cmb_volume(ch).onClick = [this, ch] { channels_->cmb_volume_Click(ch); };
        chk_damper(ch).onClick = [this, ch] { channels_->chk_damper_Click(ch); };
    }
    chk_ESync.onClick = [this] { channels_->chk_ESync_Click(); };
    for (int i = 0; i < 4; ++i) {
        vbar_Effect(i).onChange = [this, i] { channels_->vbar_Effect_Change(i); };
        vbar_Effect(i).onScroll = [this, i] { channels_->vbar_Effect_Scroll(i); };
        lbl_effect(i).onClick = [this, i] { channels_->lbl_effect_Click(i); };
    }
    cmb_RecMax.onClick = [this] { recording_->cmb_RecMax_Click(); };

    chk_caption.onClick = [this] { display_->chk_caption_Click(); };
    chk_CaptionKor.onClick = [this] { display_->chk_CaptionKor_Click(); };
    chk_KeyOutline.onClick = [this] { display_->chk_KeyOutline_Click(); };
    for (int i = 0; i < 12; ++i)
        Label1(i).onClick = [this, i] { display_->Label1_Click(i); };
    Label2.forEach([this](Label& l) { l.onDblClick = [this] { display_->Label2_DblClick(); }; });

    for (int i = 0; i < 11; ++i)
        lbl_chk(i).onClick = [this, i] { visualOptions_->lbl_chk_Click(i); };
    for (int i = 0; i < 3; ++i)
        lbl_Color(i).onClick = [this, i] { visualOptions_->lbl_Color_Click(i); };
    chk_KeysetMode.onClick = [this] { keySetFiles_->chk_KeysetMode_Click(); };
    chk_BScr.onClick = [this] { visualOptions_->chk_BScr_Click(); };
    lbl_BottomUD.onClick = [this] { visualOptions_->lbl_BottomUD_Click(); };
    chk_CircleTouch.onClick = [this] { circleTouch_->chk_CircleTouch_Click(); };
    for (int i = 0; i < 10; ++i)
        lbl_CircleColor(i).onClick = [this, i] { circleTouch_->lbl_CircleColor_Click(i); };
    chk_AniGif.onClick = [this] { gifControl_->chk_AniGif_Click(); };
    cmd_AniGif.onClick = [this] { gifControl_->cmd_AniGif_Click(); };
    img_ControlPanel.onDblClick = [this] { visualOptions_->img_ControlPanel_DblClick(); };
    form.onClick = [this] { visualOptions_->Form_Click(); };
    form.onDblClick = [this] { visualOptions_->Form_DblClick(); };
    pic_CircleTouch.onDblClick = [this] { visualOptions_->pic_CircleTouch_DblClick(); };

    cmd_open.onClick = [this] { performanceFiles_->cmd_open_Click(); };
    cmd_save.onClick = [this] { performanceFiles_->cmd_save_Click(); };
    cmd_play.onClick = [this] { playback_->cmd_play_Click(); };
    cmd_pause.onClick = [this] { playback_->cmd_pause_Click(); };
    for (int i = 0; i < 3; ++i)
        cmd_SavePlayPos(i).onClick = [this, i] { playback_->cmd_SavePlayPos_Click(i); };
    pic_ProgBack.onMouseDown = [this](int button, int shift, int x, int y) {
        playback_->pic_ProgBack_MouseDown(button, shift, x, y);
    };
    img_ControlPanel.onMouseDown = [this](int button, int shift, int x, int y) {
        playback_->img_ControlPanel_MouseDown(button, shift, x, y);
    };
    lbl_Home.onClick = [this] { playback_->lbl_Home_Click(); };
    cmd_record.onClick = [this] { recording_->cmd_record_Click(); };
    cmd_KeysetSave.onClick = [this] { keySetFiles_->cmd_KeysetSave_Click(); };
    cmd_KeysetOpen.onClick = [this] { keySetFiles_->cmd_KeysetOpen_Click(); };
    cmd_SaveConfig.onClick = [this] { configuration_->cmd_SaveConfig_Click(); };
}

// Which controls are painted by the surface they lie on rather than shown as widgets, and which
// lie inside another control.
void Form1::setViewAttributes() {
    lbl_KeyCaption.setViewKind(ViewKind::Painted);
    Label1.setViewKind(ViewKind::Painted);
    lbl_note.setViewKind(ViewKind::Painted);
    lbl_note.setContainer(&Picture1);
    shp_piano.setContainer(&pic_CircleTouch);
    shp_progress.setContainer(&pic_ProgBack);
    lbl_CircleColor.setContainer(&pic_Palette);
    for (Control* c : std::initializer_list<Control*>{
             &form, &Picture1, &pic_CircleTouch, &img_ControlPanel, &pic_ProgBack, &pic_Palette,
             &shp_BScr, &shp_progress, &shp_StartPos})
        c->setViewKind(ViewKind::Painted);
    shp_key.setViewKind(ViewKind::Painted);
    shp_img.setViewKind(ViewKind::Painted);
    shp_piano.setViewKind(ViewKind::Painted);
}

void Form1::keyDown(int keyCode, int shift) {
    if (focused_ == &pic_CircleTouch)
        keys_->keyDown(InputSurface::CircleTouch, keyCode, shift);
    else
        keys_->Picture1_KeyDown(keyCode, shift);
}

void Form1::keyUp(int keyCode, int shift) {
    if (focused_ == &pic_CircleTouch)
        keys_->keyUp(InputSurface::CircleTouch, keyCode, shift);
    else
        keys_->Picture1_KeyUp(keyCode, shift);
}

void Form1::focusLost() {
    keys_->releaseAllKeys();
}

void Form1::shutDown() {
    // A save still being written ends first, and its failure is reported.
    performanceFiles_->finishWrites();
    keys_->releaseAllKeys();
    // All Notes Off leaves the notes a damper holds sounding: the dampers go up first.
    for (int ch = 0; ch < 2; ++ch)
        midi_->controller(ch, kDamper, 0);
    for (int ch = 0; ch < 2; ++ch)
        midi_->controller(ch, kAllNotesOff, 0);
    midi_->midiClose();
}

bool Form1::load() {
    return startup_->run();
}

void Form1::show() {
    form.setVisible(true);
    setFocus(Picture1);
}

bool Form1::queryUnload() {
    return startup_->Form_Unload();
}

void Form1::setFocus(Control& control) {
    if (!form.visible()) return;
    // Each input surface passes the focus on at once when it is not the one of the current
    // mode, so the surface that ends up with it is the one the keys must reach.
    if (&control == &Picture1 && chk_CircleTouch.value() == 1) {
        keys_->Picture1_GotFocus();
        return;
    }
    if (&control == &pic_CircleTouch && chk_CircleTouch.value() == 0) {
        circleTouch_->pic_CircleTouch_GotFocus();
        return;
    }
    focused_ = &control;
    if (observer_) observer_->focusRequested(control);
}

template <class Fn>
void Form1::forEachArray(Fn&& fn) {
    fn(cmb_inst);
    fn(cmb_OctShift);
    fn(cmb_volume);
    fn(chk_damper);
    fn(vbar_Effect);
    fn(lbl_effect);
    fn(cmd_SavePlayPos);
    fn(shp_key);
    fn(shp_img);
    fn(shp_piano);
    fn(lbl_KeyCaption);
    fn(lbl_note);
    fn(Label1);
    fn(Label2);
    fn(lbl_chk);
    fn(lbl_Color);
    fn(lbl_CircleColor);
}

void Form1::forEachControl(const std::function<void(Control&)>& fn) {
    Control* singles[] = {&form,           &Picture1,          &pic_CircleTouch, &img_ControlPanel,
                          &pic_ProgBack,   &pic_Palette,       &ucAniGIF1,       &cmb_key,
                          &cmb_RecMax,     &chk_ESync,         &chk_caption,     &chk_CaptionKor,
                          &chk_KeyOutline, &chk_CircleTouch,   &chk_AniGif,      &chk_KeysetMode,
                          &chk_BScr,       &chk_Practice,      &cmd_record,      &cmd_play,
                          &cmd_pause,      &cmd_open,          &cmd_save,        &cmd_KeysetSave,
                          &cmd_KeysetOpen, &cmd_KeySetDefault, &cmd_AniGif,      &cmd_SaveConfig,
                          &shp_BScr,       &shp_progress,      &shp_StartPos,    &lbl_BottomUD,
                          &lbl_Home};
    for (Control* c : singles)
        fn(*c);
    forEachArray([&fn](auto& array) { array.forEach(fn); });
}

Control* Form1::findControl(std::string_view name, int index) {
    Control* found = nullptr;
    forEachControl([&](Control& c) {
        if (!found && c.name() == name && c.index() == index) found = &c;
    });
    return found;
}

void Form1::setObserver(ControlObserver* observer) {
    observer_ = observer;
    forEachControl([observer](Control& c) { c.setObserver(observer); });
    // Elements an array creates later get the observer too.
    forEachArray([observer](auto& array) { array.setObserver(observer); });
}

}  // namespace muto
