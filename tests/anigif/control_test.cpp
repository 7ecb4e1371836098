// The control: property limits, the animation and deferred-decoding timer, loads, downloads,
// persistence and design mode, driven on manual time.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <map>
#include "anigif/anigif_control.h"

#include "support/fake_services.h"
#include "support/fake_time.h"
#include "test_util.h"

namespace muto::anigif {
namespace {

using test::FrameSpec;
using test::makeGif;
using test::solid;

using muto::test::FakeDownloader;

// A GIF of `n` frames of 8 x 6, frame k filled with colour index k - 1; delays in milliseconds.
std::vector<uint8_t> framesGif(int n, const std::vector<int>& delaysMs = {}) {
    std::vector<FrameSpec> frames;
    for (int k = 0; k < n; ++k)
        frames.push_back({0, 0, 8, 6, solid(8, 6, static_cast<uint8_t>(k)), 1, -1});
    auto bytes = makeGif(8, 6, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000}, frames);
    // Every graphic control extension holds its delay in hundredths at bytes 4 and 5.
    std::size_t k = 0;
    for (std::size_t i = 0; i + 5 < bytes.size() && k < delaysMs.size(); ++i)
        if (bytes[i] == 0x21 && bytes[i + 1] == 0xF9 && bytes[i + 2] == 4) {
            bytes[i + 4] = static_cast<uint8_t>(delaysMs[k] / 10);
            bytes[i + 5] = static_cast<uint8_t>((delaysMs[k] / 10) >> 8);
            ++k;
        }
    return bytes;
}

// Pixels of 8 x 6 whose rows differ, so that mirroring shows.
std::vector<uint8_t> rowsGif() {
    std::vector<uint8_t> a(48);
    for (int i = 0; i < 48; ++i)
        a[static_cast<std::size_t>(i)] = static_cast<uint8_t>((i / 8) % 4);
    return makeGif(8, 6, {0, 0xFF, 0xFF00, 0xFF0000},
                   {{0, 0, 8, 6, a, 1, -1}, {0, 0, 8, 6, a, 1, -1}, {0, 0, 8, 6, a, 1, -1}});
}

class ControlTest : public ::testing::Test {
protected:
    ControlTest() {
        c.host.announce = [this](std::string_view n) { announced.emplace_back(n); };
        c.host.repaint = [this] { ++repaints; };
        c.onLoopsEnded = [this] { ++loopsEnded; };
        c.resized(64, 64);
        c.setStretch(4);
        announced.clear();
    }
    // Loads with every frame decoded at once, so that the animation starts at once.
    void loadNow(std::vector<uint8_t> bytes) {
        c.setDelayAnimation(0);
        ASSERT_TRUE(c.loadAnimatedGIF_Array(std::move(bytes)));
        announced.clear();
    }
    // The frames shown while time runs for `ms`, one entry per change.
    std::vector<int> framesOver(int ms) {
        std::vector<int> seen{c.currentFrame()};
        for (int t = 0; t < ms; ++t) {
            time.advanceMs(1);
            if (c.currentFrame() != seen.back()) seen.push_back(c.currentFrame());
        }
        return seen;
    }

    ::muto::test::FakeTimers time;
    FakeDownloader downloader;
    AniGifControl c{time, &downloader};
    std::vector<std::string> announced;
    int repaints = 0;
    int loopsEnded = 0;
};

TEST_F(ControlTest, MinFrameDelayKeepsItsLimitsAndAnnouncesChangesOnly) {
    const struct {
        int32_t set, stored;
        bool announced;
    } cases[] = {{5, 10, true},  {9, 10, false}, {40000, 32700, true}, {32700, 32700, false},
                 {50, 50, true}, {-7, 10, true}, {10, 10, false}};
    for (const auto& k : cases) {
        announced.clear();
        c.setMinFrameDelay(k.set);
        EXPECT_EQ(c.minFrameDelay(), k.stored) << k.set;
        EXPECT_EQ(announced == std::vector<std::string>{"Delay"}, k.announced) << k.set;
    }
}

TEST_F(ControlTest, EachFrameShowsForItsDelayButAtLeastMinFrameDelay) {
    // Delays 100, 20 and 0 under MinFrameDelay 50: 100, 50 and 50 ms.
    loadNow(framesGif(3, {100, 20, 0}));
    std::vector<int64_t> changes;
    int shown = c.currentFrame();
    const int64_t start = time.nowUs();
    for (int t = 0; t < 400; ++t) {
        time.advanceMs(1);
        if (c.currentFrame() != shown) {
            shown = c.currentFrame();
            changes.push_back((time.nowUs() - start) / 1000);
        }
    }
    EXPECT_EQ(changes, (std::vector<int64_t>{100, 150, 200, 300, 350, 400}));
}

TEST_F(ControlTest, LoopsRunTheSequenceThatOftenAndStopOnFrameOne) {
    c.setLoops(-3);
    EXPECT_EQ(c.loops(), 3);
    EXPECT_EQ(announced, std::vector<std::string>{"Loops"});
    EXPECT_EQ(c.loopsRemaining(), -1);  // nothing loaded

    loadNow(framesGif(4));
    c.setLoops(2);
    EXPECT_EQ(c.loopsRemaining(), 2);
    EXPECT_EQ(framesOver(410), (std::vector<int>{1, 2, 3, 4, 1}));
    EXPECT_EQ(c.loopsRemaining(), 1);
    EXPECT_EQ(framesOver(2000), (std::vector<int>{1, 2, 3, 4, 1}));
    EXPECT_EQ(loopsEnded, 1);
    EXPECT_EQ(c.action(), 0);
    EXPECT_FALSE(c.timerArmed());
    EXPECT_EQ(c.loopsRemaining(), 2);  // a new run starts from the top

    c.setLoops(0);
    EXPECT_EQ(c.loopsRemaining(), 0);
    c.setAction(1);
    EXPECT_EQ(framesOver(2000).size(), 21u);  // endless
    EXPECT_EQ(c.action(), 1);
}

TEST_F(ControlTest, ActionsStopPlayPauseStepAndRestart) {
    loadNow(framesGif(4));
    time.advanceMs(250);
    ASSERT_EQ(c.currentFrame(), 3);
    c.setAction(2);
    EXPECT_EQ(c.action(), 2);
    EXPECT_FALSE(c.timerArmed());
    c.setAction(3);
    EXPECT_EQ(c.currentFrame(), 4);
    c.setAction(3);  // past the last comes the first
    EXPECT_EQ(c.currentFrame(), 1);
    EXPECT_EQ(c.action(), 2);
    c.setAction(1);
    EXPECT_EQ(framesOver(100), (std::vector<int>{1, 2}));
    c.setAction(0);
    EXPECT_EQ(c.currentFrame(), 1);
    EXPECT_EQ(c.action(), 0);
    c.setAction(2);  // pausing a stopped animation does nothing
    EXPECT_EQ(c.action(), 0);
    for (int bad : {5, -1, 99}) {
        c.setAction(bad);
        EXPECT_EQ(c.action(), 0);
    }
    c.setAction(3);
    c.setAction(4);
    EXPECT_EQ(c.currentFrame(), 1);
    EXPECT_EQ(c.action(), 1);
}

TEST_F(ControlTest, StretchIgnoresInvalidValuesAndKeepsTheAnimationState) {
    loadNow(framesGif(4));
    time.advanceMs(150);
    ASSERT_EQ(c.currentFrame(), 2);
    for (int bad : {7, -1, 4}) {
        c.setStretch(bad);
        EXPECT_EQ(c.stretch(), 4);
    }
    EXPECT_TRUE(announced.empty());
    c.setStretch(2);  // running: paused for the resize, then running again
    EXPECT_EQ(c.action(), 1);
    EXPECT_EQ(c.currentFrame(), 2);
    EXPECT_EQ(announced, std::vector<std::string>{"Stretch"});

    c.setAction(3);  // paused on frame 3
    c.setStretch(0);
    EXPECT_EQ(c.action(), 2);
    EXPECT_EQ(c.currentFrame(), 3);
}

TEST_F(ControlTest, DelayAnimationTwoShowsFrameOneAndDecodesTheRestWithoutStarting) {
    c.setDelayAnimation(7);
    EXPECT_EQ(c.delayAnimation(), 1);
    c.setDelayAnimation(2);
    EXPECT_EQ(announced, std::vector<std::string>{"DelayAnimation"});
    ASSERT_TRUE(c.loadAnimatedGIF_Array(framesGif(4)));
    EXPECT_EQ(c.currentFrame(), 1);
    EXPECT_TRUE(c.framesPending());
    EXPECT_EQ(c.action(), 1);  // while the decoding waits
    time.advanceMs(19);
    EXPECT_TRUE(c.framesPending());
    time.advanceMs(1);
    EXPECT_FALSE(c.framesPending());
    EXPECT_EQ(c.action(), 0);
    EXPECT_EQ(c.gif().frameIndices(4), solid(8, 6, 3));
    EXPECT_EQ(framesOver(500), std::vector<int>{1});
    c.setAction(1);
    EXPECT_EQ(framesOver(200), (std::vector<int>{1, 2, 3}));

    // DelayAnimation 1 starts by itself once frames 2..N are decoded.
    c.setDelayAnimation(1);
    ASSERT_TRUE(c.loadAnimatedGIF_Array(framesGif(4)));
    EXPECT_EQ(framesOver(120), (std::vector<int>{1, 2}));
}

TEST_F(ControlTest, StoppingOrPausingWhileDecodingWaitsFinishesTheDecodingFirst) {
    for (int action : {0, 2, 3}) {
        c.setDelayAnimation(1);
        ASSERT_TRUE(c.loadAnimatedGIF_Array(framesGif(4)));
        ASSERT_TRUE(c.framesPending());
        c.setAction(action);
        EXPECT_FALSE(c.framesPending()) << action;
        EXPECT_EQ(c.gif().frameIndices(3), solid(8, 6, 2)) << action;
        EXPECT_FALSE(c.timerArmed()) << action;
    }
    c.hidden();  // Hide pauses, a stopped control stays stopped
    EXPECT_EQ(c.action(), 2);
    c.shown();
    EXPECT_EQ(c.action(), 1);
    c.setAction(0);
    c.hidden();
    c.shown();
    EXPECT_EQ(c.action(), 0);
}

TEST_F(ControlTest, MirroringWhileDecodingWaitsReachesTheLaterFrames) {
    AniGif reference;
    test::loadRun(reference, rowsGif());
    reference.setMirrored(kMirrorVertical);
    c.setDelayAnimation(1);
    ASSERT_TRUE(c.loadAnimatedGIF_Array(rowsGif()));
    c.setMirrored(kMirrorVertical);
    EXPECT_EQ(c.gif().frameIndices(1), reference.frameIndices(1));
    time.advanceMs(20);
    ASSERT_FALSE(c.framesPending());
    for (int k = 2; k <= 3; ++k)
        EXPECT_EQ(c.gif().frameIndices(k), reference.frameIndices(k)) << k;
    EXPECT_EQ(c.action(), 1);
}

TEST_F(ControlTest, OneFrameNeverArmsTheTimer) {
    for (int mode : {0, 1}) {
        c.setDelayAnimation(mode);
        ASSERT_TRUE(c.loadAnimatedGIF_Array(framesGif(1)));
        EXPECT_FALSE(c.timerArmed());
        c.setAction(1);
        EXPECT_EQ(c.action(), 0);
        EXPECT_FALSE(c.timerArmed());
    }
}

TEST_F(ControlTest, FailedLoadsLeaveTheControlEmpty) {
    loadNow(framesGif(2));
    EXPECT_FALSE(c.loadAnimatedGIF_Array(std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_EQ(c.frameCount(), 0);
    EXPECT_EQ(c.loopsRemaining(), -1);
    EXPECT_FALSE(c.animatedGIF());
    c.setAction(1);
    EXPECT_EQ(c.action(), 0);
}

TEST_F(ControlTest, FileLoadsReadThroughTheHostOnTheWorkerAndKeepTheAnimationWhenTheyFail) {
    muto::test::ManualWorker worker;
    AniGifControl w{time, &downloader, &worker};
    w.resized(64, 64);
    std::map<std::string, ReadResult<std::vector<uint8_t>>> files = {
        {"/two frames.gif", framesGif(2)},
        {"/three.gif", framesGif(3)},
        {"/big.gif", ReadFailure::TooLarge},
        {"/text.gif", std::vector<uint8_t>(20, 'x')}};
    w.fileReader = [&](const std::string& path) -> ReadResult<std::vector<uint8_t>> {
        const auto it = files.find(path);
        return it == files.end() ? ReadResult<std::vector<uint8_t>>(ReadFailure::Unreadable)
                                 : it->second;
    };
    std::vector<std::string> outcomes;
    const auto record = [&](const std::optional<LoadFailure>& f) {
        if (!f)
            outcomes.emplace_back("shown");
        else if (f->read)
            outcomes.emplace_back(failureName(*f->read));
        else
            outcomes.emplace_back(gifErrorText(f->gif));
    };
    w.loadAnimatedGIF_File("/three.gif", record);
    EXPECT_EQ(w.frameCount(), 0);  // nothing happens on the caller's thread
    worker.runAll();
    EXPECT_EQ(w.frameCount(), 3);
    // Every frame was decoded there: the deferred-decoding timer has nothing left to do.
    EXPECT_FALSE(w.framesPending());
    for (const char* path : {"/big.gif", "/text.gif", "/none.gif"}) {
        w.loadAnimatedGIF_File(path, record);
        worker.runAll();
    }
    EXPECT_EQ(w.frameCount(), 3);
    EXPECT_EQ(outcomes, (std::vector<std::string>{"shown", "too large",
                                                  std::string(gifErrorText(GifError::BadSignature)),
                                                  "unreadable"}));
    // A later load supersedes one still running; a file:// address reads through the host too.
    outcomes.clear();
    w.loadAnimatedGIF_File("/three.gif", record);
    w.loadAnimatedGIF_Remote("file:///two%20frames.gif");
    worker.runAll();
    EXPECT_TRUE(downloader.pending.empty());
    EXPECT_TRUE(outcomes.empty());
    EXPECT_EQ(w.frameCount(), 2);
}

TEST_F(ControlTest, TheFrameDrawnOnTheWorkerIsWhatAPaintDrawsUntilSomethingChanges) {
    muto::test::ManualWorker worker;
    AniGifControl w{time, &downloader, &worker};
    w.resized(64, 64);
    w.setStretch(0);  // clipped: the background shows beside the picture
    c.setStretch(0);
    w.host.background = 0x123456;
    w.fileReader = [](const std::string&) -> ReadResult<std::vector<uint8_t>> { return rowsGif(); };
    w.loadAnimatedGIF_File("/rows.gif");
    worker.runAll();
    ASSERT_TRUE(c.loadAnimatedGIF_Array(rowsGif()));
    const auto same = [&] {
        const raster::Surface* a = w.paint(0x123456);
        const raster::Surface* b = c.paint(0x123456);
        return a && b && a->width() == b->width() && a->height() == b->height() &&
               std::equal(a->bits().begin(), a->bits().end(), b->bits().begin());
    };
    EXPECT_TRUE(same());
    const auto bits = w.paint(0x123456)->bits();
    const std::vector<uint8_t> first(bits.begin(), bits.end());
    const std::vector<uint32_t> grey(4, 0x808080);
    w.setPalette(0, grey);
    c.setPalette(0, grey);
    EXPECT_TRUE(same());
    EXPECT_FALSE(std::equal(first.begin(), first.end(), w.paint(0x123456)->bits().begin()));
    w.setMirrored(1);
    c.setMirrored(1);
    EXPECT_TRUE(same());
}

TEST_F(ControlTest, DownloadsFailWhenShortOrNoGifAndCancelKeepsTheOldAnimation) {
    int failures = 0;
    std::vector<std::pair<float, float>> completed;
    bool cancel = false;
    c.onRemoteLoadFailure = [&] { ++failures; };
    c.onRemoteLoadComplete = [&](float w, float h, bool& cancelLoad) {
        completed.emplace_back(w, h);
        cancelLoad = cancel;
    };
    c.loadAnimatedGIF_Remote("");
    EXPECT_TRUE(downloader.pending.empty());

    const auto gif = framesGif(3);
    const std::vector<std::vector<uint8_t>> bad = {
        std::vector<uint8_t>(gif.begin(), gif.begin() + 14),
        std::vector<uint8_t>(20, 'x'),
        {'G', 'I', 'F', '8', '8', 'a', 8, 0, 6, 0, 0, 0, 0, 0, 0, 0}};
    for (const auto& data : bad) {
        c.loadAnimatedGIF_Remote("http://127.0.0.1/a.gif");
        ASSERT_EQ(downloader.pending.size(), 1u);
        downloader.finish(downloader.pending.begin()->first, DownloadResult{true, data, ""});
    }
    c.loadAnimatedGIF_Remote("http://127.0.0.1/a.gif");
    downloader.finish(downloader.pending.begin()->first, DownloadResult{false, {}, "refused"});
    EXPECT_EQ(failures, 4);
    EXPECT_TRUE(completed.empty());

    loadNow(framesGif(4));
    time.advanceMs(150);
    cancel = true;
    c.loadAnimatedGIF_Remote("http://127.0.0.1/a.gif");
    downloader.finish(downloader.pending.begin()->first, DownloadResult{true, gif, ""});
    EXPECT_EQ(completed, (std::vector<std::pair<float, float>>{{8.0f, 6.0f}}));
    EXPECT_EQ(c.frameCount(), 4);
    EXPECT_EQ(c.currentFrame(), 2);
    EXPECT_EQ(c.action(), 1);

    cancel = false;
    c.loadAnimatedGIF_Remote("http://127.0.0.1/a.gif");
    downloader.finish(downloader.pending.begin()->first, DownloadResult{true, gif, ""});
    EXPECT_EQ(c.frameCount(), 3);
    EXPECT_EQ(failures, 4);
}

TEST_F(ControlTest, PropertiesAreWrittenAndReadInTheirOrderWithTheirDefaults) {
    MemoryPropertyStore out;
    c.writeProperties(out);
    std::vector<std::string> keys;
    for (const auto& [k, v] : out.entries)
        keys.push_back(k);
    EXPECT_EQ(keys, (std::vector<std::string>{"GIF", "Delay", "Stretch", "Loops", "DelayLoad",
                                              "Mirror", "MouseIcon", "MousePointer", "Enabled",
                                              "OffsetX", "OffsetY"}));

    MemoryPropertyStore in;
    in.entries = {{"GIF", framesGif(4)},
                  {"DelayLoad", int32_t{-1}},
                  {"Loops", int32_t{-5}},
                  {"Delay", int32_t{3}},
                  {"OffsetY", int32_t{7}}};
    AniGifControl d(time, nullptr);
    d.readProperties(in);
    EXPECT_EQ(in.reads, (std::vector<std::string>{"GIF", "Delay", "Stretch", "DelayLoad", "Mirror",
                                                  "Enabled", "MouseIcon", "MousePointer", "OffsetX",
                                                  "OffsetY", "Loops"}));
    EXPECT_EQ(d.delayAnimation(), 1);
    EXPECT_EQ(d.minFrameDelay(), 3);  // stored as read, without the setter's limits
    EXPECT_EQ(d.loops(), 5);
    EXPECT_EQ(d.offsetY(), 7);
    EXPECT_EQ(d.frameCount(), 4);
    EXPECT_TRUE(d.framesPending());
    // At run time the file bytes are gone once decoding finished: "GIF" is written empty.
    time.advanceMs(20);
    MemoryPropertyStore again;
    d.writeProperties(again);
    EXPECT_EQ(std::get<std::vector<uint8_t>>(again.entries.front().second), std::vector<uint8_t>{});

    MemoryPropertyStore none;  // no GIF: "Loops" is not read
    AniGifControl e(time, nullptr);
    e.readProperties(none);
    EXPECT_EQ(none.reads.size(), 10u);
    EXPECT_EQ(e.frameCount(), 0);
}

TEST_F(ControlTest, DesignModeDecodesFrameOneOnlyNeverAnimatesAndOutlines) {
    AniGifControl d(time, nullptr);
    d.setUserMode(false);
    d.resized(8, 6);
    ASSERT_TRUE(d.loadAnimatedGIF_Array(framesGif(4)));
    EXPECT_FALSE(d.framesPending());
    EXPECT_FALSE(d.gif().gifBytes().empty());
    d.setAction(1);
    EXPECT_EQ(d.action(), 0);
    EXPECT_EQ(time.armedCount(), 0);
    const raster::Surface* s = d.paint(0x808080);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->pixel(0, 0), kOutlineColour);
    EXPECT_EQ(s->pixel(2, 5), kOutlineColour);
    EXPECT_EQ(s->pixel(3, 3), 0xFF0000u);  // frame 1: colour index 0, red
    EXPECT_NE(s->pixel(1, 0), kOutlineColour);

    // At run time the same picture has no outline.
    const raster::Surface* r = [&] {
        c.resized(8, 6);
        loadNow(framesGif(4));
        return c.paint(0x808080);
    }();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->pixel(0, 0), 0xFF0000u);
}

TEST_F(ControlTest, MouseEventsConvertToContainerUnits) {
    c.host.unitsPerPixel = 15;
    std::vector<std::tuple<int, int, float, float>> got;
    c.onMouseDown = [&](int16_t& b, int16_t& s, float& x, float& y) {
        got.emplace_back(b, s, x, y);
    };
    c.onMouseMove = c.onMouseDown;
    c.onMouseUp = c.onMouseDown;
    c.mouseDown(1, 2, 3, 4);
    c.mouseMove(0, 0, 5, 6);
    c.mouseUp(1, 0, 7, 8);
    EXPECT_EQ(got, (std::vector<std::tuple<int, int, float, float>>{
                       {1, 2, 45.f, 60.f}, {0, 0, 75.f, 90.f}, {1, 0, 105.f, 120.f}}));
    loadNow(framesGif(2));
    EXPECT_EQ(c.actualWidth(), 120);
}

}  // namespace
}  // namespace muto::anigif
