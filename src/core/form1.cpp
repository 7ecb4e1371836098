#include "core/form1.h"

#include <charconv>

#include "core/channel_controls.h"
#include "core/key_input.h"
#include "core/key_map.h"
#include "core/layout.h"
#include "core/midi.h"
#include "core/startup.h"
#include "display/key_display.h"

namespace muto {

namespace {

// Design colours of the key shapes by role.
Colour roleColour(int role) {
    switch (role) {
        case 0:
            return rgb(255, 255, 128);
        case 1:
            return rgb(255, 192, 192);
        case 3:
        case 4:
            return rgb(255, 128, 0);
        default:
            return rgb(0, 192, 192);
    }
}

constexpr Colour kDesignOutline = rgb(96, 96, 96);
constexpr Colour kDesignCaption = rgb(0, 0, 160);
constexpr Colour kDesignPress = rgb(255, 128, 0);

}  // namespace

Form1::Form1(Services s)
    : services(std::move(s)),
      midi_(std::make_unique<MidiOut>(*this)),
      keyMap_(std::make_unique<KeyMap>(*this)),
      channels_(std::make_unique<ChannelControls>(*this)),
      keys_(std::make_unique<KeyInput>(*this)),
      display_(std::make_unique<KeyDisplay>(*this)),
      startup_(std::make_unique<Startup>(*this)) {
    createControls();
    wireEvents();
}

Form1::~Form1() = default;

std::string Form1::programPath(const std::string& name) const {
    std::string rel = name;
    for (char& c : rel)
        if (c == '\\') c = '/';
    if (!rel.empty() && rel.front() == '/') rel.erase(0, 1);
    return services.programDir + "/" + rel;
}

int Form1::degreeAlterDirection() const {
    const std::string& t = Label1(4).tag();
    int v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

void Form1::setDegreeAlterDirection(int direction) {
    Label1(4).setTag(std::to_string(direction));
}

void Form1::createControls() {
    const Rect kb = layout::keyboardPicture();
    for (const layout::KeyShape& k : layout::keyShapes()) {
        Shape& s = shp_key.add(k.vk);
        s.setTag(std::to_string(k.role));
        s.setGeometry({kb.left + layout::px(k.left), kb.top + layout::px(k.top),
                       layout::px(k.width), layout::px(k.height)});
        s.setBackColor(roleColour(k.role));
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
    struct Bar {
        int min, max, small, large, value;
    };
    const Bar bars[4] = {
        {100, 70, 1, 5, 70}, {127, 0, 1, 10, 0}, {127, 0, 1, 10, 0}, {1, 30, 1, 5, 10}};
    for (int i = 0; i < 4; ++i) {
        ScrollBar& bar = vbar_Effect.add(i);
        bar.setRange(bars[i].min, bars[i].max, bars[i].small, bars[i].large);
        bar.setValue(bars[i].value);
        lbl_effect.add(i).setCaption(ChannelControls::effectCaption(i, bars[i].value));
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
    Label1(4).setTag("1");
    const char* options[10] = {"채널1/2 연동",  "키테두리", "키자막", "한글자막",    "애니메이션",
                               "동심원 키터치", "F8",       "F9",     "키설정(b/#)", "번쩍임"};
    for (int i = 0; i < 10; ++i)
        lbl_chk.add(i).setCaption(options[i]);
    const Colour swatches[3] = {kDesignOutline, kDesignCaption, kDesignPress};
    for (int i = 0; i < 3; ++i) {
        Label& l = lbl_Color.add(i);
        l.setBackColor(swatches[i]);
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
    cmb_RecMax.onClick = [this] {
        recMaxEvents = cmb_RecMax.selectedItemData();
        if (form.visible()) setFocus(Picture1);
    };

    chk_caption.onClick = [this] { display_->chk_caption_Click(); };
    chk_CaptionKor.onClick = [this] { display_->chk_CaptionKor_Click(); };
    chk_KeyOutline.onClick = [this] { display_->chk_KeyOutline_Click(); };
    for (int i = 0; i < 12; ++i)
        Label1(i).onClick = [this, i] { display_->Label1_Click(i); };
    Label2.forEach([this](Label& l) { l.onDblClick = [this] { display_->Label2_DblClick(); }; });

    // A caption label toggles its check box, enabled or not, as a click on the box would.
    CheckBox* boxes[10] = {&chk_ESync,      &chk_KeyOutline,  &chk_caption,   &chk_CaptionKor,
                           &chk_AniGif,     &chk_CircleTouch, &chk_damper(0), &chk_damper(1),
                           &chk_KeysetMode, &chk_BScr};
    for (int i = 0; i < 10; ++i) {
        CheckBox* box = boxes[i];
        lbl_chk(i).onClick = [box] { box->setValue(box->value() == 1 ? 0 : 1); };
    }
    chk_KeysetMode.onClick = [this] { keyAlterEditMode = chk_KeysetMode.value() == 1; };
    chk_BScr.onClick = [this] {
        if (chk_BScr.value() == 1) {
            shp_BScr.setVisible(true);
            if (chk_CircleTouch.value() == 1) chk_CircleTouch.setValue(0);
        } else {
            shp_BScr.setVisible(false);
        }
        setFocus(Picture1);
    };
    lbl_BottomUD.onClick = [this] {
        if (lbl_BottomUD.caption() == "▼") {
            form.setHeightTwips(layout::kTallHeightTwips);
            lbl_BottomUD.setCaption("▲");
        } else {
            form.setHeightTwips(layout::kShortHeightTwips);
            lbl_BottomUD.setCaption("▼");
        }
    };

    cmd_open.onClick = [this] { cmd_open_Click(); };
    cmd_play.onClick = [this] { cmd_play_Click(); };
    cmd_pause.onClick = [this] { cmd_pause_Click(); };
    cmd_record.onClick = [this] { cmd_record_Click(); };
}

void Form1::cmd_open_Click() {
    if (onOpenClick) onOpenClick();
}
void Form1::cmd_play_Click() {
    if (onPlayClick) onPlayClick();
}
void Form1::cmd_pause_Click() {
    if (onPauseClick) onPauseClick();
}
void Form1::cmd_record_Click() {
    if (onRecordClick) onRecordClick();
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
    Control* target = &control;
    if (target == &Picture1 && chk_CircleTouch.value() == 1) target = &pic_CircleTouch;
    focused_ = target;
    if (observer_) observer_->focusRequested(*target);
}

void Form1::forEachControl(const std::function<void(Control&)>& fn) {
    Control* singles[] = {
        &form,           &Picture1,       &pic_CircleTouch, &img_ControlPanel, &pic_ProgBack,
        &pic_Palette,    &ucAniGIF1,      &cmb_key,         &cmb_RecMax,       &chk_ESync,
        &chk_caption,    &chk_CaptionKor, &chk_KeyOutline,  &chk_CircleTouch,  &chk_AniGif,
        &chk_KeysetMode, &chk_BScr,       &cmd_record,      &cmd_play,         &cmd_pause,
        &cmd_open,       &cmd_save,       &cmd_KeysetSave,  &cmd_KeysetOpen,   &cmd_KeySetDefault,
        &cmd_AniGif,     &cmd_SaveConfig, &shp_BScr,        &shp_progress,     &shp_StartPos,
        &lbl_BottomUD,   &lbl_Home};
    for (Control* c : singles)
        fn(*c);
    cmb_inst.forEach(fn);
    cmb_OctShift.forEach(fn);
    cmb_volume.forEach(fn);
    chk_damper.forEach(fn);
    vbar_Effect.forEach(fn);
    lbl_effect.forEach(fn);
    cmd_SavePlayPos.forEach(fn);
    shp_key.forEach(fn);
    shp_img.forEach(fn);
    shp_piano.forEach(fn);
    lbl_KeyCaption.forEach(fn);
    lbl_note.forEach(fn);
    Label1.forEach(fn);
    Label2.forEach(fn);
    lbl_chk.forEach(fn);
    lbl_Color.forEach(fn);
    lbl_CircleColor.forEach(fn);
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
}

}  // namespace muto
