// The main window: its controls, the state every handler shares, and the wiring of each
// control's events to the class that owns the handler.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "form/control_array.h"
#include "form/controls.h"
#include "form/services.h"
#include "instrument/instrument.h"
#include "instrument/keyboard.h"
#include "instrument/vk.h"

namespace muto {

class MidiOut;
class KeyMap;
class ChannelControls;
class KeyInput;
class CircleTouch;
class KeyDisplay;
class Startup;
class Recorder;
class RecordPanel;
class Player;
class PlaybackPanel;
class PerformanceFiles;
class KeySetFiles;
class Configuration;
class VisualOptions;
class HelpWindow;
class GifControl;

struct Services {
    MidiDevice& midi;
    Dialogs& dialogs;
    MonotonicClock& monotonic;
    TimerFactory& timers;
    Downloader& downloader;
    KeyboardLeds& leds;
    PictureLoader& pictures;
    std::string programDir;    // without a trailing slash
    Worker* worker = nullptr;  // long loads run on it; without one they run on the caller's thread
};

class Form1 {
public:
    explicit Form1(Services services);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Start-up. False when the MIDI output could not be opened: the program ends without
    // showing its window.
    bool load();
    // Marks the window shown (handlers give the focus back only while it is).
    void show();
    // A request to close the window. False while a playback runs (refused); otherwise the MIDI
    // output is closed and the window may close.
    bool queryUnload();
    // Ends the performance before the output closes: every held key is released, the damper
    // goes up and then All Notes Off goes to both channels, and the output is closed. Also for a
    // signal that ends the program.
    void shutDown();

    // Key events of the window go to the input surface that has the focus: the keyboard
    // picture, or the circle-touch surface in that mode.
    void keyDown(int keyCode, int shift);
    void keyUp(int keyCode, int shift);
    // The window lost the keyboard to another application: the held keys' releases will never
    // come, so they are released now.
    void focusLost();

    // Gives the keyboard focus to a control; passed on to the circle-touch surface when that
    // mode is on. Nothing happens while the window is not shown.
    void setFocus(Control& control);
    const Control* focused() const { return focused_; }

    // Every control, for a view to draw and observe.
    void forEachControl(const std::function<void(Control&)>& fn);
    void setObserver(ControlObserver* observer);
    ControlObserver* observer() const { return observer_; }
    // The control of a name and index, or nullptr.
    Control* findControl(std::string_view name, int index = -1);

    // The program folder joined with a file name given as "\name" (the leading backslash of
    // the window's paths becomes a slash).
    std::string programPath(const std::string& name) const;

    // The platform services the window was made with.
    const Services services;

    // --- Controls -------------------------------------------------------------------------
    Window form{"Form1"};
    PictureBox Picture1{"Picture1"};
    PictureBox pic_CircleTouch{"pic_CircleTouch"};
    PictureBox img_ControlPanel{"img_ControlPanel"};
    PictureBox pic_ProgBack{"pic_ProgBack"};
    PictureBox pic_Palette{"pic_Palette"};
    PictureBox ucAniGIF1{"ucAniGIF1"};

    ListBox cmb_key{"cmb_key"};
    ListBox cmb_RecMax{"cmb_RecMax"};
    ControlArray<ListBox> cmb_inst{"cmb_inst"};
    ControlArray<ListBox> cmb_OctShift{"cmb_OctShift"};
    ControlArray<ListBox> cmb_volume{"cmb_volume"};

    ControlArray<CheckBox> chk_damper{"chk_damper"};
    CheckBox chk_ESync{"chk_ESync"};
    CheckBox chk_caption{"chk_caption"};
    CheckBox chk_CaptionKor{"chk_CaptionKor"};
    CheckBox chk_KeyOutline{"chk_KeyOutline"};
    CheckBox chk_CircleTouch{"chk_CircleTouch"};
    CheckBox chk_AniGif{"chk_AniGif"};
    CheckBox chk_KeysetMode{"chk_KeysetMode"};
    CheckBox chk_BScr{"chk_BScr"};
    // Practice: a playback waits for the player at each note of channel 1.
    CheckBox chk_Practice{"chk_Practice"};

    ControlArray<ScrollBar> vbar_Effect{"vbar_Effect"};
    ControlArray<Label> lbl_effect{"lbl_effect"};

    Button cmd_record{"cmd_record"};
    Button cmd_play{"cmd_play"};
    Button cmd_pause{"cmd_pause"};
    Button cmd_open{"cmd_open"};
    Button cmd_save{"cmd_save"};
    Button cmd_KeysetSave{"cmd_KeysetSave"};
    Button cmd_KeysetOpen{"cmd_KeysetOpen"};
    Button cmd_KeySetDefault{"cmd_KeySetDefault"};
    Button cmd_AniGif{"cmd_AniGif"};
    Button cmd_SaveConfig{"cmd_SaveConfig"};
    ControlArray<Button> cmd_SavePlayPos{"cmd_SavePlayPos"};

    ControlArray<Shape> shp_key{"shp_key"};
    ControlArray<Shape> shp_img{"shp_img"};
    ControlArray<Shape> shp_piano{"shp_piano"};
    Shape shp_BScr{"shp_BScr"};
    Shape shp_progress{"shp_progress"};
    Shape shp_StartPos{"shp_StartPos"};

    ControlArray<Label> lbl_KeyCaption{"lbl_KeyCaption"};
    ControlArray<Label> lbl_note{"lbl_note"};
    ControlArray<Label> Label1{"Label1"};
    ControlArray<Label> Label2{"Label2"};
    ControlArray<Label> lbl_chk{"lbl_chk"};
    ControlArray<Label> lbl_Color{"lbl_Color"};
    ControlArray<Label> lbl_CircleColor{"lbl_CircleColor"};
    Label lbl_BottomUD{"lbl_BottomUD"};
    Label lbl_Home{"lbl_Home"};

    // --- Handler classes ------------------------------------------------------------------
    MidiOut& midi() { return *midi_; }
    Instrument& instrument() { return *instrument_; }
    // What each key does to the instrument; the live keys, a playback and the key handlers
    // play through it.
    Keyboard& keyboard() { return *keyboard_; }
    KeyMap& keyMap() { return *keyMap_; }
    ChannelControls& channels() { return *channels_; }
    KeyInput& keys() { return *keys_; }
    CircleTouch& circleTouch() { return *circleTouch_; }
    KeyDisplay& display() { return *display_; }
    Startup& startup() { return *startup_; }
    RecordPanel& recording() { return *recording_; }
    PlaybackPanel& playback() { return *playback_; }
    // The performance in memory and the recording, and the playback engine.
    Recorder& recorder();
    Player& player();
    PerformanceFiles& performanceFiles() { return *performanceFiles_; }
    KeySetFiles& keySetFiles() { return *keySetFiles_; }
    Configuration& configuration() { return *configuration_; }
    VisualOptions& visualOptions() { return *visualOptions_; }
    HelpWindow& helpWindow() { return *helpWindow_; }
    GifControl& gifControl() { return *gifControl_; }

private:
    void createControls();
    void setViewAttributes();
    // Calls fn(array) for every control array.
    template <class Fn>
    void forEachArray(Fn&& fn);
    void wireEvents();

    Control* focused_ = nullptr;
    ControlObserver* observer_ = nullptr;
    std::unique_ptr<MidiOut> midi_;
    std::unique_ptr<Instrument> instrument_;
    std::unique_ptr<KeyMap> keyMap_;
    std::unique_ptr<ChannelControls> channels_;
    std::unique_ptr<KeyInput> keys_;
    std::unique_ptr<Keyboard> keyboard_;
    std::unique_ptr<CircleTouch> circleTouch_;
    std::unique_ptr<KeyDisplay> display_;
    std::unique_ptr<Startup> startup_;
    std::unique_ptr<RecordPanel> recording_;
    std::unique_ptr<PlaybackPanel> playback_;
    std::unique_ptr<PerformanceFiles> performanceFiles_;
    std::unique_ptr<KeySetFiles> keySetFiles_;
    std::unique_ptr<Configuration> configuration_;
    std::unique_ptr<VisualOptions> visualOptions_;
    std::unique_ptr<HelpWindow> helpWindow_;
    std::unique_ptr<GifControl> gifControl_;
};

}  // namespace muto
