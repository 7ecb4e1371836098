// The rendered sound: tones where the performance has them, the length of the performance and
// its tail, and a limiter that keeps loud chords from clipping while a single note stays as loud.
#include <fluidsynth.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>

#include "app/export_command.h"
#include "formats/performance_file.h"
#include "platform/midi/fluid_engine.h"
#include "platform/midi/limiter.h"
#include "platform/midi/midi_output.h"
#include "platform/midi/offline_render.h"

namespace muto::midi {
namespace {

namespace fs = std::filesystem;
constexpr int kRate = 44100;

struct Wav {
    std::vector<int16_t> left, right;
    double seconds() const { return double(left.size()) / kRate; }
};

Wav readWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), {}};
    Wav w;
    EXPECT_GE(b.size(), 44u);
    if (b.size() < 44) return w;
    auto le32 = [&](size_t at) {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
               uint32_t(b[at + 3]) << 24;
    };
    EXPECT_EQ(le32(40), b.size() - 44);
    EXPECT_EQ(le32(4), b.size() - 8);
    EXPECT_EQ(le32(24), uint32_t(kRate));
    for (size_t i = 44; i + 3 < b.size(); i += 4) {
        w.left.push_back(int16_t(b[i] | b[i + 1] << 8));
        w.right.push_back(int16_t(b[i + 2] | b[i + 3] << 8));
    }
    return w;
}

int peakOf(const Wav& w) {
    int p = 0;
    for (size_t i = 0; i < w.left.size(); ++i)
        p = std::max({p, std::abs(int(w.left[i])), std::abs(int(w.right[i]))});
    return p;
}

double dbfs(int peak) {
    return 20 * std::log10(peak / 32767.0);
}

// Strength of `hz` between `from` and `to` seconds (Goertzel, normalised by the window's energy).
double toneShare(const Wav& w, double hz, double from, double to) {
    const size_t a = size_t(from * kRate), e = std::min(w.left.size(), size_t(to * kRate));
    const double c = 2 * std::cos(2 * std::numbers::pi * hz / kRate);
    double s1 = 0, s2 = 0, energy = 0;
    for (size_t i = a; i < e; ++i) {
        const double x = (w.left[i] + w.right[i]) / 65536.0;
        const double s0 = x + c * s1 - s2;
        s2 = s1;
        s1 = s0;
        energy += x * x;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return energy > 0 ? power / (energy * double(e - a) / 2) : 0;
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "muto-render-XXXXXX").string();
        if (::mkdtemp(pattern.data())) dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string file(const std::string& name) { return dir_ + "/" + name; }
    std::string dir_;
};

TEST_F(RenderTest, PerformanceSoundsItsTonesAtTheirTimesForItsLengthAndTail) {
    // Q (C4) from 0 to 0.5 s, then E (E4) from 1.0 to 1.5 s, both on channel 1.
    PerformanceFile p;
    p.settings = {0, 0, 0, 2, 2, 0, 0};
    p.keySig = std::array<uint8_t, 8>{1};
    p.events = {{'Q', 1, 100.0f}, {'Q', 0, 100.5f}, {'E', 1, 101.0f}, {'E', 0, 101.5f}};
    const auto bytes = writePerformance(p);
    std::ofstream(file("in.vsp"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    std::ostringstream err;
    ASSERT_EQ(app::renderWav(file("in.vsp"), file("out.wav"), "", err), 0) << err.str();
    const Wav w = readWav(file("out.wav"));
    EXPECT_EQ(w.left.size(), size_t(std::llround((1.5 + kReleaseTail) * kRate)));

    constexpr double kC4 = 261.63, kE4 = 329.63;
    EXPECT_GT(toneShare(w, kC4, 0.05, 0.45), 0.2);
    EXPECT_LT(toneShare(w, kE4, 0.05, 0.45), 0.02);
    EXPECT_GT(toneShare(w, kE4, 1.05, 1.45), 0.2);
    EXPECT_LT(toneShare(w, kC4, 1.05, 1.45), 0.02);
    // Nothing before the first note; the start within a few milliseconds of time 0.
    for (size_t i = 0; i < 40; ++i)
        EXPECT_EQ(w.left[i], 0);
    const auto loud = std::find_if(w.left.begin(), w.left.end(),
                                   [](int16_t s) { return std::abs(int(s)) > 300; });
    EXPECT_LT(double(loud - w.left.begin()) / kRate, 0.010);
    // Gone quiet by the end of the tail.
    int tail = 0;
    for (size_t i = w.left.size() - 4410; i < w.left.size(); ++i)
        tail = std::max(tail, std::abs(int(w.left[i])));
    EXPECT_LT(tail, 100);
}

// Messages at time 0: damper on, reverb and chorus full, and `notes` held at full velocity.
std::vector<TimedMessage> chord(int lowest, int count) {
    std::vector<TimedMessage> m{{0, 0x007F40B0}, {0, 0x007F5BB0}, {0, 0x007F5DB0}, {0, 0x007807B0}};
    for (int n = lowest; n < lowest + count; ++n)
        m.push_back({0, uint32_t(0x90 | n << 8 | 127 << 16)});
    for (int n = lowest; n < lowest + count; ++n)
        m.push_back({1.0, uint32_t(0x80 | n << 8)});
    return m;
}

// The peak of the same messages through the synthesizer straight to 16 bits, without limiter.
int unlimitedPeak(const std::vector<TimedMessage>& messages, double seconds) {
    FluidEngine engine;
    std::string reason;
    if (engine.create(kDefaultSoundFont, kRate, &reason) != kOpened) return -1;
    for (const TimedMessage& m : messages)
        if (m.seconds == 0) engine.send(m.message);
    std::vector<int16_t> buf(2048);
    int peak = 0;
    for (int done = 0; done < int(seconds * kRate); done += 1024) {
        fluid_synth_write_s16(engine.synth(), 1024, buf.data(), 0, 2, buf.data(), 1, 2);
        for (int16_t s : buf)
            peak = std::max(peak, std::abs(int(s)));
    }
    return peak;
}

TEST_F(RenderTest, LoudClusterNeverClipsAndASingleNoteKeepsItsLevel) {
    const auto cluster = chord(48, 20);
    ASSERT_TRUE(renderWav({cluster, 1.0, "", file("cluster.wav")}) == std::nullopt);
    const Wav loud = readWav(file("cluster.wav"));
    // Unlimited, this cluster runs into full scale.
    EXPECT_GE(unlimitedPeak(cluster, 1.0), 32767);
    const int peak = peakOf(loud);
    EXPECT_LE(peak, int(kLimiterCeiling * 32767) + 1);
    EXPECT_GT(dbfs(peak), -3.0);  // limited, not merely turned down

    const auto single = chord(60, 1);
    ASSERT_TRUE(renderWav({single, 1.0, "", file("single.wav")}) == std::nullopt);
    EXPECT_NEAR(dbfs(peakOf(readWav(file("single.wav")))), dbfs(unlimitedPeak(single, 1.0)), 1.0);
}

TEST_F(RenderTest, DiskFullHalfwayLeavesNoFile) {
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto failure = renderWav({chord(60, 1), 2.0, "", file("full.wav")});
    ::setrlimit(RLIMIT_FSIZE, &old);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("cannot write"), std::string::npos) << *failure;
    EXPECT_TRUE(fs::is_empty(dir_));
}

// A render ended by a signal leaves neither the output nor its temporary file behind, and the
// process still ends by that signal.
TEST_F(RenderTest, InterruptedRenderLeavesNoFile) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            renderWav({chord(60, 1), 7200.0, "", file("long.wav")});
            ::_exit(0);
        }
        // Wait for the temporary file, then interrupt.
        for (int i = 0; i < 3000 && fs::is_empty(dir_); ++i)
            ::usleep(10000);
        ASSERT_FALSE(fs::is_empty(dir_));
        ::kill(child, sig);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
        EXPECT_TRUE(fs::is_empty(dir_)) << sig;
    }
}

TEST(Limiter, NothingLeavesAboveTheCeilingAndQuietSoundPassesUnchanged) {
    std::mt19937 rng(7);
    for (float level : {0.2f, 0.8f, 3.0f, 40.0f}) {
        Limiter limiter(kRate);
        std::uniform_real_distribution<float> d(-level, level);
        std::vector<float> l(20000), r(20000);
        for (size_t i = 0; i < l.size(); ++i) {
            // Bursts: loud stretches with sudden single peaks among quiet ones.
            const float env = (i / 3000) % 2 ? 1.0f : 0.05f;
            l[i] = d(rng) * env;
            r[i] = (i % 997 == 0) ? level : d(rng) * env;
        }
        auto inL = l, inR = r;
        for (size_t at = 0; at < l.size(); at += 700)
            limiter.process(l.data() + at, r.data() + at,
                            int(std::min<size_t>(700, l.size() - at)));
        for (size_t i = 0; i < l.size(); ++i) {
            ASSERT_LE(std::fabs(l[i]), kLimiterCeiling * 1.0001f) << level << " at " << i;
            ASSERT_LE(std::fabs(r[i]), kLimiterCeiling * 1.0001f) << level << " at " << i;
        }
        if (level * 1.0f <= kLimiterCeiling) {
            // Below the ceiling: the input, kLimiterLookahead - 1 frames late.
            const size_t delay = kLimiterLookahead - 1;
            for (size_t i = delay; i < l.size(); ++i)
                ASSERT_FLOAT_EQ(l[i], inL[i - delay]) << i;
        }
    }
}

}  // namespace
}  // namespace muto::midi
