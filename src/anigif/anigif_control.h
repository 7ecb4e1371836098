// The animated-GIF control: properties with their limits, the animation and deferred-decoding
// timer, the three ways of loading (file, byte array, download), persistence through the host's
// property store, and the events it raises. Everything toolkit-free: the host (a widget, or a
// test) paints the control's surface, forwards the mouse and tells it its size and visibility.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "anigif/anigif.h"
#include "common/downloader.h"
#include "common/result.h"
#include "common/time.h"
#include "common/worker.h"
#include "platform/raster/raster.h"

namespace muto::anigif {

// A persisted property value: Nothing, a Boolean, a number or a byte array (a GIF, a picture).
using PropertyValue = std::variant<std::monostate, bool, int32_t, std::vector<uint8_t>>;

// The host's property store, read when the control is created from saved state and written when
// that state is saved.
class PropertyStore {
public:
    virtual ~PropertyStore() = default;
    // The stored value of `key`, or `fallback` when there is none.
    virtual PropertyValue read(std::string_view key, const PropertyValue& fallback) = 0;
    // Stores `value`; a store may leave out a value equal to `fallback`.
    virtual void write(std::string_view key, const PropertyValue& value,
                       const PropertyValue& fallback) = 0;
};

// What the control asks of the place it lives in. Every hook may be left empty.
struct AniGifHost {
    // The control's area should be painted again (soon, or now for Refresh).
    std::function<void()> repaint;
    // The control takes this inner size in pixels.
    std::function<void(int width, int height)> resize;
    // A property changed (design-time persistence saves it).
    std::function<void(std::string_view name)> announce;
    // Enabled, MouseIcon or MousePointer changed.
    std::function<void()> appearanceChanged;
    // Container units per pixel: positions and sizes handed out are converted with it.
    double unitsPerPixel = 1.0;
    // The colour under the picture (0x00RRGGBB), as paint() was last given it: a load draws its
    // first frame on it ahead of the paint.
    uint32_t background = 0;
};

// Reads a whole file for LoadAnimatedGIF_File and file:// addresses. The host supplies it: the
// control does no I/O of its own. It runs on the worker when there is one.
using FileReader = std::function<ReadResult<std::vector<uint8_t>>(const std::string& path)>;

// Why a load gave no frames: the file could not be read, memory ran out, or the data is no GIF
// the control can show.
struct LoadFailure {
    std::optional<ReadFailure> read;
    bool outOfMemory = false;
    GifError gif = GifError::None;
};
// Called once a load has ended: nothing when it shows the new GIF, else why not.
using LoadDone = std::function<void(const std::optional<LoadFailure>&)>;

// The fore colour of the design-mode outline: the window-frame system colour (black).
inline constexpr uint32_t kOutlineColour = 0x000000;

class AniGifControl {
public:
    // `downloader` may be null: remote loads then fail. `worker` may be null: file loads then
    // read and decode on the caller's thread before they return.
    AniGifControl(TimerFactory& timers, Downloader* downloader, Worker* worker = nullptr);
    ~AniGifControl();
    AniGifControl(const AniGifControl&) = delete;
    AniGifControl& operator=(const AniGifControl&) = delete;

    AniGifHost host;
    // Without a reader, file loads fail as unreadable.
    FileReader fileReader;

    // Design mode keeps the file bytes, decodes frame 1 only, never animates and outlines the
    // control. Set before loading.
    void setUserMode(bool run) { gif_.setRunMode(run); }
    bool userMode() const { return gif_.runMode(); }

    // --- properties ----------------------------------------------------------------------------
    // Nothing when nothing is loaded, else the current frame as a one-frame GIF.
    std::optional<std::vector<uint8_t>> animatedGIF() const;
    // Nothing discards the file bytes; GIF bytes are loaded.
    void setAnimatedGIF(std::optional<std::vector<uint8_t>> gifBytes);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    int32_t frameCount() const { return gif_.frameCount(); }
    int32_t actualWidth() const;
    int32_t actualHeight() const;
    int32_t stretch() const { return static_cast<int32_t>(gif_.stretch()); }
    void setStretch(int32_t s);
    int16_t minFrameDelay() const { return minFrameDelay_; }
    void setMinFrameDelay(int32_t ms);
    int32_t loops() const { return gif_.loops(); }
    void setLoops(int32_t n);
    int32_t loopsRemaining() const;
    int32_t mirrored() const { return gif_.mirrored(); }
    void setMirrored(int32_t style);
    int32_t action() const { return gif_.action(); }
    void setAction(int32_t a);
    int32_t delayAnimation() const { return gif_.delayAnimation(); }
    void setDelayAnimation(int32_t mode);
    // A picture's bytes, or nothing.
    const std::optional<std::vector<uint8_t>>& mouseIcon() const { return mouseIcon_; }
    void setMouseIcon(std::optional<std::vector<uint8_t>> icon);
    int16_t mousePointer() const { return mousePointer_; }
    void setMousePointer(int32_t pointer);
    int32_t offsetX() const { return gif_.offsetX(); }
    void setOffsetX(int32_t x);
    int32_t offsetY() const { return gif_.offsetY(); }
    void setOffsetY(int32_t y);

    // --- methods -------------------------------------------------------------------------------
    // Reads the file through fileReader and decodes its first frame, on the worker when there is
    // one. A load that fails leaves the control as it was; `done` learns the outcome. A later
    // load supersedes one still running (its `done` is not called).
    void loadAnimatedGIF_File(const std::string& fileName, LoadDone done = {});
    bool loadAnimatedGIF_Array(std::span<const uint8_t> bytes);
    // Takes the bytes without copying them.
    bool loadAnimatedGIF_Array(std::vector<uint8_t>&& bytes);
    void loadAnimatedGIF_Remote(const std::string& remotePath);
    bool getPalette(int32_t frameIndex, std::vector<uint32_t>& entries) const {
        return gif_.getPalette(frameIndex, entries);
    }
    bool setPalette(int32_t frameIndex, std::span<const uint32_t> entries);
    void refresh();

    // --- events --------------------------------------------------------------------------------
    std::function<void()> onClick;
    std::function<void(int16_t& button, int16_t& shift, float& x, float& y)> onMouseDown;
    std::function<void(int16_t& button, int16_t& shift, float& x, float& y)> onMouseUp;
    std::function<void(int16_t& button, int16_t& shift, float& x, float& y)> onMouseMove;
    std::function<void()> onLoopsEnded;
    std::function<void(float gifWidth, float gifHeight, bool& cancel)> onRemoteLoadComplete;
    std::function<void()> onRemoteLoadFailure;

    // --- from the host -------------------------------------------------------------------------
    // Mouse positions are the control's pixels.
    void click();
    void mouseDown(int button, int shift, int x, int y);
    void mouseUp(int button, int shift, int x, int y);
    void mouseMove(int button, int shift, int x, int y);
    // The control's inner size changed (also the size it starts with).
    void resized(int width, int height);
    void shown();
    void hidden();
    void readProperties(PropertyStore& store);
    void writeProperties(PropertyStore& store) const;
    // Draws the control: the background, the current frame and, in design mode, the outline.
    // The surface has the control's inner size; null while that size is empty. Nothing is drawn
    // again while nothing has changed: a large GIF costs its scaling once.
    const raster::Surface* paint(uint32_t background);

    // --- for tests and tools -------------------------------------------------------------------
    int32_t currentFrame() const { return gif_.currentFrame(); }
    bool timerArmed() const { return timer_ && timer_->active(); }
    bool framesPending() const { return gif_.framesPending(); }
    const AniGif& gif() const { return gif_; }

private:
    enum class TimerMode { Stop, Animate, DeferredLoad };
    void startStopTimer(TimerMode mode);
    void animationTick();
    void deferredLoadTick();
    // Frames 2..N still waiting for their decoding are decoded now, and the animation starts if
    // the finished load asks for it: stopping or pausing then acts on a complete animation.
    void finishPendingDecoding();
    int32_t frameInterval() const;
    // Loads the file bytes the control holds now.
    bool load();
    struct LoadJob;
    void startLoad(std::shared_ptr<LoadJob> job, LoadDone done);
    // Runs `job` on the worker (or here, without one), then `then` here unless a later load
    // superseded it.
    void runLoad(std::function<void()> job, std::function<void()> then);
    void finishLoad(LoadJob& job, const LoadDone& done);
    void afterLoad();
    void fitToControl();
    void cancelDownload();
    void downloadDone(const DownloadResult& result);
    void readRemoteFile(const std::string& path);
    void doRepaint();
    void announce(std::string_view name);
    int32_t toUnits(double pixels) const;

    TimerFactory& timers_;
    Downloader* downloader_;
    Worker* worker_;
    AniGif gif_;
    std::unique_ptr<Timer> timer_;
    int16_t minFrameDelay_ = 50;
    int16_t loopsDone_ = 0;
    bool enabled_ = true;
    std::optional<std::vector<uint8_t>> mouseIcon_;
    int16_t mousePointer_ = 0;
    bool resizing_ = false;
    int download_ = 0;  // id of the running download, 0 when none
    int loadId_ = 0;    // the load whose end is awaited; earlier ones are superseded
    int hostW_ = 0;     // the size the host gave, which Fit fits into
    int hostH_ = 0;
    // Follow-ups of jobs that end after the control check this before they touch it.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
    std::unique_ptr<raster::Surface> surface_;
    // What surface_ shows; any change the control makes clears `valid`.
    struct Painted {
        bool valid = false;
        int32_t frame = 0;
        uint32_t background = 0;
    } painted_;
};

// A property store in memory: what the tests and the program use when nothing is saved.
class MemoryPropertyStore : public PropertyStore {
public:
    PropertyValue read(std::string_view key, const PropertyValue& fallback) override;
    void write(std::string_view key, const PropertyValue& value,
               const PropertyValue& fallback) override;
    std::vector<std::pair<std::string, PropertyValue>> entries;  // in writing order
    std::vector<std::string> reads;                              // keys in reading order
};

}  // namespace muto::anigif
