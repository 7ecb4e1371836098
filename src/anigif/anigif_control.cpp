#include "anigif/anigif_control.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <new>

namespace muto::anigif {

namespace {

// Deferred decoding of frames 2..N starts this long after frame 1 shows.
constexpr auto kDeferredLoadDelay = std::chrono::milliseconds(20);
constexpr int16_t kMinFrameDelayLow = 10;
constexpr int16_t kMinFrameDelayHigh = 32700;
// A download must be longer than this to hold a GIF header with its screen size.
constexpr std::size_t kShortestDownload = 14;

int32_t asInt(const PropertyValue& v, int32_t fallback) {
    if (auto* i = std::get_if<int32_t>(&v)) return *i;
    if (auto* b = std::get_if<bool>(&v)) return *b ? -1 : 0;
    return fallback;
}

bool asBool(const PropertyValue& v, bool fallback) {
    if (auto* b = std::get_if<bool>(&v)) return *b;
    if (auto* i = std::get_if<int32_t>(&v)) return *i != 0;
    return fallback;
}

bool isGifHeader(std::span<const uint8_t> b) {
    if (b.size() < 6) return false;
    std::string s(b.begin(), b.begin() + 6);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s == "gif89a" || s == "gif87a";
}

// The path of a file:// address on this machine (no host, or localhost), its %XX escapes decoded;
// nothing for another host or a broken escape.
std::optional<std::string> localPathOf(std::string_view url) {
    url.remove_prefix(7);
    if (url.starts_with("localhost/")) url.remove_prefix(9);
    if (!url.starts_with('/')) return std::nullopt;
    std::string path;
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (url[i] != '%') {
            path += url[i];
            continue;
        }
        if (i + 2 >= url.size() || !std::isxdigit(static_cast<unsigned char>(url[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(url[i + 2])))
            return std::nullopt;
        path += static_cast<char>(std::stoi(std::string(url.substr(i + 1, 2)), nullptr, 16));
        i += 2;
    }
    return path;
}

// Frame k of `gif` on the background, at the GIF's client size; null while that size is empty.
std::unique_ptr<raster::Surface> drawFrame(AniGif& gif, int32_t k, uint32_t background,
                                           std::unique_ptr<raster::Surface> reuse = nullptr) {
    const int w = gif.clientWidth();
    const int h = gif.clientHeight();
    if (w <= 0 || h <= 0) return nullptr;
    if (!reuse || reuse->width() != w || reuse->height() != h)
        reuse = raster::Surface::create(raster::Format::Rgb24, w, h);
    if (!reuse) return nullptr;
    raster::fillRect(*reuse, raster::Rect{0, 0, w, h}, background);
    if (gif.loaded()) gif.paintFrame(k, *reuse);
    return reuse;
}

}  // namespace

AniGifControl::AniGifControl(TimerFactory& timers, Downloader* downloader, Worker* worker)
    : timers_(timers), downloader_(downloader), worker_(worker) {
    gif_.setStretch(Stretch::Fit);
    gif_.setDelayAnimation(1);
}

AniGifControl::~AniGifControl() {
    cancelDownload();
    if (timer_) timer_->stop();
    timer_.reset();
    gif_.reset();
}

// --- properties --------------------------------------------------------------------------------

std::optional<std::vector<uint8_t>> AniGifControl::animatedGIF() const {
    if (!gif_.loaded()) return std::nullopt;
    return gif_.encodeFrameAsGif(gif_.currentFrame());
}

void AniGifControl::setAnimatedGIF(std::optional<std::vector<uint8_t>> gifBytes) {
    if (!gifBytes) {
        gif_.setGifBytes(GifBytes());
    } else {
        gif_.setGifBytes(std::move(*gifBytes));
        const bool loaded = load();
        if (loaded && !userMode()) {
            // Design mode shows the picture at its own size, whatever Stretch says.
            const Stretch kept = gif_.stretch();
            gif_.setStretch(Stretch::Resize);
            fitToControl();
            gif_.setStretch(kept);
        }
    }
    doRepaint();
    announce("AnimatedGIF");
}

void AniGifControl::setEnabled(bool e) {
    enabled_ = e;
    if (host.appearanceChanged) host.appearanceChanged();
    announce("Enabled");
}

int32_t AniGifControl::actualWidth() const {
    return toUnits(gif_.actualWidth());
}

int32_t AniGifControl::actualHeight() const {
    return toUnits(gif_.actualHeight());
}

void AniGifControl::setStretch(int32_t s) {
    if (s < 0 || s > 4 || s == stretch()) return;
    gif_.setStretch(static_cast<Stretch>(s));
    finishPendingDecoding();
    const int32_t saved = action();
    setAction(2);
    fitToControl();
    setAction(saved);
    if (action() != 1) doRepaint();
    announce("Stretch");
}

void AniGifControl::setMinFrameDelay(int32_t ms) {
    const auto v =
        static_cast<int16_t>(std::clamp<int32_t>(ms, kMinFrameDelayLow, kMinFrameDelayHigh));
    if (v == minFrameDelay_) return;
    minFrameDelay_ = v;
    announce("Delay");
}

void AniGifControl::setLoops(int32_t n) {
    if (n == loops()) return;
    gif_.setLoops(n == INT32_MIN ? INT32_MAX : n);
    announce("Loops");
}

int32_t AniGifControl::loopsRemaining() const {
    if (!gif_.loaded()) return -1;
    if (loops() == 0) return 0;
    return loops() - loopsDone_;
}

void AniGifControl::setMirrored(int32_t style) {
    if (style < 0 || style > 3) return;
    if (!gif_.loaded()) {
        gif_.setMirrored(style);
        announce("Mirrored");
        return;
    }
    if (style == mirrored()) {
        announce("Mirrored");
        return;
    }
    if (gif_.framesPending()) {
        // Frame 1 turns now; frames 2..N take the style when their decoding comes.
        gif_.setMirrored(style);
        doRepaint();
        announce("Mirrored");
        return;
    }
    const int32_t saved = action();
    setAction(2);
    gif_.setMirrored(style);
    if (saved == 1)
        setAction(1);
    else
        doRepaint();
    announce("Mirrored");
}

void AniGifControl::setAction(int32_t a) {
    if (!gif_.loaded() || !userMode()) return;
    switch (a) {
        case 0:
            finishPendingDecoding();
            startStopTimer(TimerMode::Stop);
            loopsDone_ = 0;
            gif_.setCurrentFrame(1);
            doRepaint();
            break;
        case 1:
            startStopTimer(TimerMode::Animate);
            break;
        case 2:
            finishPendingDecoding();
            if (action() == 1 || action() == 2) {
                startStopTimer(TimerMode::Stop);
                gif_.setActionState(2);
            }
            break;
        case 3: {
            finishPendingDecoding();
            startStopTimer(TimerMode::Stop);
            const int32_t next = currentFrame() >= frameCount() ? 1 : currentFrame() + 1;
            gif_.setCurrentFrame(next);
            gif_.setActionState(2);
            doRepaint();
            break;
        }
        case 4:
            setAction(0);
            setAction(1);
            break;
        default:
            break;
    }
}

void AniGifControl::setDelayAnimation(int32_t mode) {
    if (mode < 0 || mode > 3 || mode == delayAnimation()) return;
    gif_.setDelayAnimation(mode);
    announce("DelayAnimation");
}

void AniGifControl::setMouseIcon(std::optional<std::vector<uint8_t>> icon) {
    mouseIcon_ = std::move(icon);
    if (!mouseIcon_) mousePointer_ = 0;
    if (host.appearanceChanged) host.appearanceChanged();
    announce("MouseIcon");
}

void AniGifControl::setMousePointer(int32_t pointer) {
    // Values the platform does not know are its business; nothing here can fail.
    mousePointer_ = static_cast<int16_t>(pointer);
    if (host.appearanceChanged) host.appearanceChanged();
}

void AniGifControl::setOffsetX(int32_t x) {
    gif_.setOffset(x, gif_.offsetY());
    if (!(userMode() && action() == 1)) doRepaint();
}

void AniGifControl::setOffsetY(int32_t y) {
    gif_.setOffset(gif_.offsetX(), y);
    if (!(userMode() && action() == 1)) doRepaint();
}

// --- loading -----------------------------------------------------------------------------------

// A load in the making: the file is read and its first frame decoded into a GIF of its own, which
// takes the control's place only once it shows something.
struct AniGifControl::LoadJob {
    std::function<ReadResult<std::vector<uint8_t>>()> source;
    AniGif gif;
    LoadFailure failure;
    int32_t frames = 0;
    // Frame 1 drawn as the control will show it: scaling a large picture down is the costly part.
    bool fit = false;
    // Off the caller's thread the later frames are decoded too, so nothing is left for the
    // deferred-decoding timer to do on the thread that handles the keys.
    bool allFrames = false;
    uint32_t background = 0;
    std::unique_ptr<raster::Surface> painted;

    void run() noexcept {
        try {
            auto bytes = source();
            source = nullptr;
            if (!bytes) {
                failure.read = bytes.failure();
                return;
            }
            gif.setGifBytes(std::move(*bytes));
            frames = gif.loadGifData();
            if (frames == 0) {
                failure.gif = gif.lastError();
                return;
            }
            if (!gif.runMode()) return;
            if (fit) {
                int w = gif.clientWidth();
                int h = gif.clientHeight();
                gif.resize(w, h);
            }
            painted = drawFrame(gif, gif.currentFrame(), background);
            if (allFrames && gif.framesPending()) gif.decodeRemaining();
        } catch (const std::bad_alloc&) {
            painted.reset();
            gif.reset();
            gif.setGifBytes(GifBytes());
            frames = 0;
            failure.outOfMemory = true;
        }
    }
};

void AniGifControl::loadAnimatedGIF_File(const std::string& fileName, LoadDone done) {
    auto job = std::make_shared<LoadJob>();
    job->source = [reader = fileReader, fileName]() -> ReadResult<std::vector<uint8_t>> {
        if (!reader) return ReadFailure::Unreadable;
        return reader(fileName);
    };
    startLoad(std::move(job), std::move(done));
}

void AniGifControl::startLoad(std::shared_ptr<LoadJob> job, LoadDone done) {
    // The new GIF is decoded as the control stands now; what changes meanwhile is carried over
    // when it takes the control's place.
    AniGif& g = job->gif;
    g.setRunMode(gif_.runMode());
    g.setStretch(gif_.stretch());
    g.setDelayAnimation(gif_.delayAnimation());
    g.setMirrored(gif_.mirrored());
    g.setOffset(gif_.offsetX(), gif_.offsetY());
    g.setClientSize(hostW_, hostH_);
    const int32_t s = stretch();
    job->fit = s == 1 || s == 3 || s == 4;
    job->background = host.background;
    job->allFrames = worker_ != nullptr;
    runLoad([job] { job->run(); }, [this, job, done = std::move(done)] { finishLoad(*job, done); });
}

void AniGifControl::runLoad(std::function<void()> job, std::function<void()> then) {
    // Only the latest load ends in the control; one that ends after the control is dropped.
    const int id = ++loadId_;
    auto follow = [this, alive = std::weak_ptr<char>(alive_), id, then = std::move(then)] {
        if (!alive.expired() && id == loadId_) then();
    };
    if (worker_) {
        worker_->run(std::move(job), std::move(follow));
    } else {
        job();
        follow();
    }
}

void AniGifControl::finishLoad(LoadJob& job, const LoadDone& done) {
    if (job.frames == 0) {
        if (done) done(job.failure);
        return;
    }
    startStopTimer(TimerMode::Stop);
    loopsDone_ = 0;
    AniGif& g = job.gif;
    // The frame drawn on the worker serves when nothing it depends on has changed meanwhile.
    const bool unchanged = g.stretch() == gif_.stretch() && g.mirrored() == gif_.mirrored() &&
                           g.offsetX() == gif_.offsetX() && g.offsetY() == gif_.offsetY() &&
                           job.background == host.background;
    g.setStretch(gif_.stretch());
    g.setOffset(gif_.offsetX(), gif_.offsetY());
    g.setClientSize(hostW_, hostH_);
    g.setMirrored(gif_.mirrored());
    gif_ = std::move(g);
    afterLoad();
    if (unchanged && job.painted && job.painted->width() == gif_.clientWidth() &&
        job.painted->height() == gif_.clientHeight()) {
        surface_ = std::move(job.painted);
        painted_ = {true, gif_.currentFrame(), host.background};
    }
    if (done) done(std::nullopt);
}

bool AniGifControl::loadAnimatedGIF_Array(std::span<const uint8_t> bytes) {
    return loadAnimatedGIF_Array(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool AniGifControl::loadAnimatedGIF_Array(std::vector<uint8_t>&& bytes) {
    gif_.setGifBytes(std::move(bytes));
    return load();
}

bool AniGifControl::load() {
    ++loadId_;  // supersedes a load still running
    startStopTimer(TimerMode::Stop);
    loopsDone_ = 0;
    if (gif_.loadGifData() == 0) {
        doRepaint();
        return false;
    }
    afterLoad();
    return true;
}

void AniGifControl::afterLoad() {
    if (gif_.framesPending())
        startStopTimer(TimerMode::DeferredLoad);
    else if (gif_.startRequested())
        startStopTimer(TimerMode::Animate);
    const int32_t s = stretch();
    if (s == 1 || s == 3 || s == 4) fitToControl();
    doRepaint();
}

void AniGifControl::loadAnimatedGIF_Remote(const std::string& remotePath) {
    if (remotePath.empty()) return;
    cancelDownload();
    if (remotePath.starts_with("file://")) {
        if (auto path = localPathOf(remotePath))
            readRemoteFile(*path);
        else if (onRemoteLoadFailure)
            onRemoteLoadFailure();
        return;
    }
    if (!downloader_) {
        if (onRemoteLoadFailure) onRemoteLoadFailure();
        return;
    }
    download_ = downloader_->get(remotePath,
                                 [this](const DownloadResult& result) { downloadDone(result); });
    if (download_ <= 0) {
        download_ = 0;
        if (onRemoteLoadFailure) onRemoteLoadFailure();
    }
}

void AniGifControl::readRemoteFile(const std::string& path) {
    // A local address is read like any other file, and then handled as a finished download.
    auto result = std::make_shared<DownloadResult>();
    auto job = [reader = fileReader, path, result]() noexcept {
        try {
            auto bytes =
                reader ? reader(path) : ReadResult<std::vector<uint8_t>>(ReadFailure::Unreadable);
            if (bytes) {
                result->ok = true;
                result->data = std::move(*bytes);
            } else {
                result->error = std::string(failureName(bytes.failure()));
            }
        } catch (const std::bad_alloc&) {
            result->ok = false;
            result->data = {};
            result->error = "out of memory";
        }
    };
    runLoad(std::move(job), [this, result] { downloadDone(*result); });
}

void AniGifControl::cancelDownload() {
    if (download_ != 0 && downloader_) downloader_->cancel(download_);
    download_ = 0;
}

void AniGifControl::downloadDone(const DownloadResult& result) {
    download_ = 0;
    if (!result.ok || result.data.size() <= kShortestDownload || !isGifHeader(result.data)) {
        if (onRemoteLoadFailure) onRemoteLoadFailure();
        return;
    }
    const auto& d = result.data;
    const int w = d[6] | d[7] << 8;
    const int h = d[8] | d[9] << 8;
    bool cancel = false;
    if (onRemoteLoadComplete)
        onRemoteLoadComplete(static_cast<float>(toUnits(w)), static_cast<float>(toUnits(h)),
                             cancel);
    if (cancel) return;
    // A load that fails here raises nothing: the control is simply empty.
    loadAnimatedGIF_Array(std::span<const uint8_t>(d));
}

bool AniGifControl::setPalette(int32_t frameIndex, std::span<const uint32_t> entries) {
    const bool ok = gif_.setPalette(frameIndex, entries);
    if (ok) doRepaint();
    return ok;
}

void AniGifControl::refresh() {
    doRepaint();
}

// --- timer -------------------------------------------------------------------------------------

int32_t AniGifControl::frameInterval() const {
    const int k = currentFrame();
    const int32_t delay = k >= 1 && k <= frameCount() ? gif_.frame(k).delay : 0;
    return std::max<int32_t>(delay, minFrameDelay_);
}

void AniGifControl::startStopTimer(TimerMode mode) {
    if (mode == TimerMode::Stop) {
        if (timer_) timer_->stop();
        gif_.setActionState(0);
        return;
    }
    if (action() == 1) return;
    gif_.setActionState(0);
    if (!gif_.loaded() || !userMode() || (mode == TimerMode::Animate && frameCount() <= 1)) return;
    if (!timer_) timer_ = timers_.createTimer(muto::TimerKind::SingleShot);
    if (!timer_) return;  // the platform gave no timer: nothing animates
    if (mode == TimerMode::DeferredLoad) {
        timer_->onTimeout = [this] { deferredLoadTick(); };
        timer_->start(kDeferredLoadDelay);
    } else {
        timer_->onTimeout = [this] { animationTick(); };
        timer_->start(std::chrono::milliseconds(frameInterval()));
    }
    gif_.setActionState(1);
}

void AniGifControl::animationTick() {
    timer_->stop();
    int32_t next = currentFrame() + 1;
    bool passDone = false;
    if (next > frameCount()) {
        next = 1;
        passDone = true;
    }
    gif_.setCurrentFrame(next);
    bool ended = false;
    if (frameCount() == 1) {
        loopsDone_ = 1;
        ended = true;
    } else if (passDone && loops() != 0) {
        ++loopsDone_;
        if (loopsDone_ >= loops()) {
            loopsDone_ = 0;
            ended = true;
        }
    }
    if (ended) gif_.setActionState(0);
    doRepaint();
    if (!ended) {
        timer_->start(std::chrono::milliseconds(frameInterval()));
    } else if (onLoopsEnded) {
        onLoopsEnded();
    }
}

void AniGifControl::deferredLoadTick() {
    startStopTimer(TimerMode::Stop);
    gif_.decodeRemaining();
    if (gif_.startRequested()) startStopTimer(TimerMode::Animate);
}

void AniGifControl::finishPendingDecoding() {
    if (gif_.framesPending()) deferredLoadTick();
}

// --- host events -------------------------------------------------------------------------------

void AniGifControl::click() {
    if (onClick) onClick();
}

void AniGifControl::mouseDown(int button, int shift, int x, int y) {
    if (!onMouseDown) return;
    auto b = static_cast<int16_t>(button);
    auto s = static_cast<int16_t>(shift);
    auto fx = static_cast<float>(toUnits(x));
    auto fy = static_cast<float>(toUnits(y));
    onMouseDown(b, s, fx, fy);
}

void AniGifControl::mouseUp(int button, int shift, int x, int y) {
    if (!onMouseUp) return;
    auto b = static_cast<int16_t>(button);
    auto s = static_cast<int16_t>(shift);
    auto fx = static_cast<float>(toUnits(x));
    auto fy = static_cast<float>(toUnits(y));
    onMouseUp(b, s, fx, fy);
}

void AniGifControl::mouseMove(int button, int shift, int x, int y) {
    if (!onMouseMove) return;
    auto b = static_cast<int16_t>(button);
    auto s = static_cast<int16_t>(shift);
    auto fx = static_cast<float>(toUnits(x));
    auto fy = static_cast<float>(toUnits(y));
    onMouseMove(b, s, fx, fy);
}

void AniGifControl::resized(int width, int height) {
    if (!resizing_) {
        hostW_ = width;
        hostH_ = height;
    }
    gif_.setClientSize(width, height);
    if (gif_.loaded() && !resizing_) fitToControl();
}

void AniGifControl::fitToControl() {
    if (!gif_.loaded() || resizing_) return;
    resizing_ = true;
    // Fit fits into the size the host gave, not into what the last fit left.
    int w = hostW_;
    int h = hostH_;
    gif_.resize(w, h);
    if (host.resize) host.resize(w, h);
    resizing_ = false;
}

void AniGifControl::shown() {
    if (action() == 2) setAction(1);
}

void AniGifControl::hidden() {
    setAction(2);
}

void AniGifControl::readProperties(PropertyStore& store) {
    startStopTimer(TimerMode::Stop);
    loopsDone_ = 0;
    const PropertyValue gif = store.read(
        "GIF", gif_.gifBytes().empty() ? PropertyValue{}
                                       : PropertyValue{std::vector<uint8_t>(
                                             gif_.gifBytes().begin(), gif_.gifBytes().end())});
    minFrameDelay_ =
        static_cast<int16_t>(asInt(store.read("Delay", int32_t{minFrameDelay_}), minFrameDelay_));
    gif_.setStretch(static_cast<Stretch>(asInt(store.read("Stretch", int32_t{1}), 1)));
    int32_t delayLoad = asInt(store.read("DelayLoad", int32_t{1}), 1);
    if (delayLoad == -1) delayLoad = 1;
    gif_.setDelayAnimation(delayLoad);
    gif_.reset();
    gif_.setMirrored(asInt(store.read("Mirror", int32_t{0}), 0) & 3);
    enabled_ = asBool(store.read("Enabled", true), true);
    const PropertyValue icon = store.read("MouseIcon", PropertyValue{});
    if (auto* b = std::get_if<std::vector<uint8_t>>(&icon))
        mouseIcon_ = *b;
    else
        mouseIcon_.reset();
    mousePointer_ = static_cast<int16_t>(asInt(store.read("MousePointer", int32_t{0}), 0));
    const int32_t ox = asInt(store.read("OffsetX", int32_t{0}), 0);
    const int32_t oy = asInt(store.read("OffsetY", int32_t{0}), 0);
    gif_.setOffset(ox, oy);
    if (host.appearanceChanged) host.appearanceChanged();

    const auto* bytes = std::get_if<std::vector<uint8_t>>(&gif);
    ++loadId_;  // supersedes a load still running
    gif_.setGifBytes(bytes ? GifBytes(*bytes) : GifBytes());
    if (gif_.loadGifData() > 0) {
        gif_.setLoops(asInt(store.read("Loops", gif_.loops()), gif_.loops()));
        afterLoad();
    } else {
        doRepaint();
    }
}

void AniGifControl::writeProperties(PropertyStore& store) const {
    const auto bytes = gif_.gifBytes();
    store.write("GIF", std::vector<uint8_t>(bytes.begin(), bytes.end()), PropertyValue{});
    store.write("Delay", int32_t{minFrameDelay_}, int32_t{50});
    store.write("Stretch", stretch(), int32_t{1});
    store.write("Loops", loops(), int32_t{0});
    store.write("DelayLoad", delayAnimation(), int32_t{1});
    store.write("Mirror", mirrored(), int32_t{0});
    store.write("MouseIcon", mouseIcon_ ? PropertyValue{*mouseIcon_} : PropertyValue{},
                PropertyValue{});
    store.write("MousePointer", int32_t{mousePointer_}, int32_t{0});
    store.write("Enabled", enabled_, true);
    store.write("OffsetX", offsetX(), int32_t{0});
    store.write("OffsetY", offsetY(), int32_t{0});
}

const raster::Surface* AniGifControl::paint(uint32_t background) {
    host.background = background;
    if (painted_.valid && surface_ && surface_->width() == gif_.clientWidth() &&
        surface_->height() == gif_.clientHeight() && painted_.frame == currentFrame() &&
        painted_.background == background)
        return surface_.get();
    painted_.valid = false;
    surface_ = drawFrame(gif_, currentFrame(), background, std::move(surface_));
    if (!surface_) return nullptr;
    const int w = surface_->width();
    const int h = surface_->height();
    if (!userMode()) {
        // The dotted outline of the whole client area.
        for (int x = 0; x < w; x += 2) {
            raster::fillRect(*surface_, raster::Rect{x, 0, 1, 1}, kOutlineColour);
            raster::fillRect(*surface_, raster::Rect{x, h - 1, 1, 1}, kOutlineColour);
        }
        for (int y = 0; y < h; y += 2) {
            raster::fillRect(*surface_, raster::Rect{0, y, 1, 1}, kOutlineColour);
            raster::fillRect(*surface_, raster::Rect{w - 1, y, 1, 1}, kOutlineColour);
        }
    }
    painted_ = {true, currentFrame(), background};
    return surface_.get();
}

void AniGifControl::doRepaint() {
    painted_.valid = false;
    if (host.repaint) host.repaint();
}

void AniGifControl::announce(std::string_view name) {
    if (host.announce) host.announce(name);
}

int32_t AniGifControl::toUnits(double pixels) const {
    return static_cast<int32_t>(std::floor(pixels * host.unitsPerPixel));
}

// --- property store in memory ------------------------------------------------------------------

PropertyValue MemoryPropertyStore::read(std::string_view key, const PropertyValue& fallback) {
    reads.emplace_back(key);
    for (const auto& [k, v] : entries)
        if (k == key) return v;
    return fallback;
}

void MemoryPropertyStore::write(std::string_view key, const PropertyValue& value,
                                const PropertyValue& /*fallback*/) {
    for (auto& [k, v] : entries)
        if (k == key) {
            v = value;
            return;
        }
    entries.emplace_back(std::string(key), value);
}

}  // namespace muto::anigif
