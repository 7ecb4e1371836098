#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "platform/midi/wav_output.h"
#include "temp_dir.h"

namespace muto::midi {
namespace {

using namespace std::chrono_literals;
using test::readFile;
using test::TempDir;

constexpr double kMiddleC = 261.626;

uint32_t le32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    return v;
}
uint16_t le16(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1])
                                                                   << 8);
}

// The file's samples mixed to mono, after checking that the header describes the file exactly.
std::vector<float> readWav(const std::string& path) {
    const std::string s = readFile(path);
    std::vector<float> mono;
    EXPECT_GE(s.size(), 44u);
    if (s.size() < 44) return mono;
    EXPECT_EQ(s.substr(0, 4), "RIFF");
    EXPECT_EQ(s.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le32(s, 16), 16u);
    EXPECT_EQ(le16(s, 20), 1);  // PCM
    EXPECT_EQ(le16(s, 22), 2);  // stereo
    EXPECT_EQ(le32(s, 24), 44100u);
    EXPECT_EQ(le32(s, 28), 44100u * 4);
    EXPECT_EQ(le16(s, 32), 4);
    EXPECT_EQ(le16(s, 34), 16);
    EXPECT_EQ(s.substr(36, 4), "data");
    EXPECT_EQ(le32(s, 40), s.size() - 44);
    EXPECT_EQ(le32(s, 4), s.size() - 8);
    const size_t frames = (s.size() - 44) / 4;
    mono.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        const auto l = static_cast<int16_t>(le16(s, 44 + 4 * i));
        const auto r = static_cast<int16_t>(le16(s, 46 + 4 * i));
        mono[i] = (l + r) / 65536.0f;
    }
    return mono;
}

double rms(const std::vector<float>& x, double from, double to) {
    const size_t a = std::min(x.size(), static_cast<size_t>(from * 44100));
    const size_t b = std::min(x.size(), static_cast<size_t>(to * 44100));
    double sum = 0;
    for (size_t i = a; i < b; ++i)
        sum += double(x[i]) * x[i];
    return b > a ? std::sqrt(sum / (b - a)) : 0.0;
}

// Seconds to the first sample louder than `level`, or -1.
double onset(const std::vector<float>& x, float level) {
    for (size_t i = 0; i < x.size(); ++i)
        if (std::fabs(x[i]) > level) return i / 44100.0;
    return -1;
}

// Fundamental frequency by normalised autocorrelation over 80-1000 Hz, taking the shortest lag
// whose correlation comes close to the best one (so a period of two cycles is not chosen).
double pitch(const std::vector<float>& x, double from) {
    const size_t start = static_cast<size_t>(from * 44100), n = 8192;
    if (x.size() < start + n + 600) return 0;
    std::vector<double> r(600, 0.0);
    double best = 0;
    for (size_t lag = 44; lag < r.size(); ++lag) {
        double xy = 0, xx = 0, yy = 0;
        for (size_t i = start; i < start + n; ++i) {
            xy += double(x[i]) * x[i + lag];
            xx += double(x[i]) * x[i];
            yy += double(x[i + lag]) * x[i + lag];
        }
        r[lag] = xy / std::sqrt(xx * yy + 1e-30);
        best = std::max(best, r[lag]);
    }
    for (size_t lag = 45; lag + 1 < r.size(); ++lag) {
        if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
            // Parabolic interpolation of the peak.
            const double d =
                0.5 * (r[lag - 1] - r[lag + 1]) / (r[lag - 1] - 2 * r[lag] + r[lag + 1]);
            return 44100.0 / (lag + d);
        }
    }
    return 0;
}

// sox's power spectrum of the mono mix between `from` and `from + length` seconds, summed over
// its analysis windows: frequency -> power. Empty without sox.
std::map<double, double> soxSpectrum(const std::string& path, double from, double length) {
    char command[512];
    std::snprintf(command, sizeof command, "sox '%s' -n remix - trim %.3f %.3f stat -freq 2>&1",
                  path.c_str(), from, length);
    std::map<double, double> spectrum;
    std::FILE* pipe = ::popen(command, "r");
    if (!pipe) return spectrum;
    char line[256];
    double frequency, power;
    while (std::fgets(line, sizeof line, pipe))
        if (std::sscanf(line, "%lf %lf", &frequency, &power) == 2) spectrum[frequency] += power;
    ::pclose(pipe);
    return spectrum;
}

class WavOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kDefaultSoundFont, R_OK) != 0)
            GTEST_SKIP() << "no General MIDI soundfont at " << kDefaultSoundFont;
    }
    TempDir dir_;
};

TEST_F(WavOutputTest, AHeldMiddleCIsInTheFileAtThePlayedTimeAndPitch) {
    const std::string path = dir_.file("c4.wav");
    WavOutput wav(path, kDefaultSoundFont);
    ASSERT_EQ(wav.open(), 0) << wav.lastError();
    const auto opened = std::chrono::steady_clock::now();
    wav.shortMsg(0x00C0);  // piano
    std::this_thread::sleep_until(opened + 300ms);
    const double playedAt =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
    wav.shortMsg(0x7F3C90);
    std::this_thread::sleep_until(opened + 1300ms);
    wav.shortMsg(0x003C80);
    std::this_thread::sleep_until(opened + 1500ms);
    wav.close();
    const double closedAt =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();

    const auto x = readWav(path);
    const double seconds = x.size() / 44100.0;
    EXPECT_GE(seconds, 1.45);
    EXPECT_LE(seconds, closedAt + 0.02);
    EXPECT_LT(rms(x, 0, playedAt - 0.01), 1e-4);  // silence before the note
    // The note starts where it was played: a few milliseconds of attack, and no earlier.
    const double start = onset(x, 0.01f);
    EXPECT_GE(start, playedAt - 0.002);
    EXPECT_LE(start, playedAt + 0.03);
    EXPECT_GT(rms(x, 0.4, 1.2), 0.02);  // clearly audible
    const double f = pitch(x, 0.5);
    EXPECT_NEAR(f, kMiddleC, kMiddleC * 0.02);
    // A second opinion from sox's spectrum. A piano's second harmonic can be as strong as its
    // fundamental, so the strongest peak may be either; the fundamental must be there as well.
    const auto spectrum = soxSpectrum(path, 0.45, 0.8);
    if (spectrum.empty()) return;
    double peak = 0, peakPower = 0, fundamentalPower = 0;
    for (const auto& [frequency, power] : spectrum) {
        if (frequency < 100 || frequency > 1000) continue;
        if (power > peakPower) peak = frequency, peakPower = power;
        if (std::fabs(frequency - kMiddleC) < 8)
            fundamentalPower = std::max(fundamentalPower, power);
    }
    const double harmonic = std::round(peak / kMiddleC);
    EXPECT_TRUE(harmonic == 1 || harmonic == 2) << "sox peak at " << peak << " Hz";
    EXPECT_NEAR(peak / harmonic, kMiddleC, kMiddleC * 0.05) << "sox peak at " << peak << " Hz";
    EXPECT_GE(fundamentalPower, 0.2 * peakPower) << "sox: no fundamental near " << kMiddleC;
}

TEST_F(WavOutputTest, WithoutNotesTheFileIsSilent) {
    const std::string path = dir_.file("silence.wav");
    WavOutput wav(path, kDefaultSoundFont);
    ASSERT_EQ(wav.open(), 0) << wav.lastError();
    wav.shortMsg(0x5BB0);  // controllers alone make no sound
    wav.shortMsg(0x7F07B1);
    std::this_thread::sleep_for(500ms);
    wav.close();
    const auto x = readWav(path);
    EXPECT_GE(x.size(), 44100u * 45 / 100);
    EXPECT_LT(rms(x, 0, 1), 1e-4);
}

TEST_F(WavOutputTest, TheHeaderIsKeptUpToDateWhileRendering) {
    const std::string path = dir_.file("open.wav");
    WavOutput wav(path, kDefaultSoundFont);
    ASSERT_EQ(wav.open(), 0) << wav.lastError();
    std::this_thread::sleep_for(1200ms);
    // A reader now (or after the program was killed) finds a consistent file of at least 0.5 s.
    const std::string s = readFile(path);
    ASSERT_GE(s.size(), 44u);
    const uint32_t data = le32(s, 40);
    EXPECT_EQ(le32(s, 4), data + 36);
    EXPECT_GE(data, 44100u * 4 / 2);
    EXPECT_LE(data, s.size() - 44);
    EXPECT_EQ(data % 4, 0u);
    wav.close();
    readWav(path);
}

TEST_F(WavOutputTest, ReleaseTimeFollowsController72) {
    double tails[2];
    const int values[2] = {0, 127};
    for (int i = 0; i < 2; ++i) {
        const std::string path = dir_.file("release" + std::to_string(i) + ".wav");
        WavOutput wav(path, kDefaultSoundFont);
        ASSERT_EQ(wav.open(), 0) << wav.lastError();
        const auto opened = std::chrono::steady_clock::now();
        wav.shortMsg(0x00C0 | 0u);
        wav.shortMsg(0xB0 | 72u << 8 | static_cast<uint32_t>(values[i]) << 16);
        wav.shortMsg(0x7F4890);
        std::this_thread::sleep_until(opened + 400ms);
        wav.shortMsg(0x004880);
        std::this_thread::sleep_until(opened + 1000ms);
        wav.close();
        const auto x = readWav(path);
        tails[i] = rms(x, 0.55, 0.95) / rms(x, 0.1, 0.35);
    }
    EXPECT_GT(tails[1], 4 * tails[0]) << "short release " << tails[0] << ", long " << tails[1];
}

TEST_F(WavOutputTest, OpenFailuresGiveTheirCodes) {
    WavOutput noFolder(dir_.file("missing/x.wav"), kDefaultSoundFont);
    EXPECT_EQ(noFolder.open(), kFileNotWritable);
    noFolder.shortMsg(0x7F3C90);
    noFolder.close();

    WavOutput noSoundfont(dir_.file("a.wav"), dir_.file("none.sf2"));
    EXPECT_EQ(noSoundfont.open(), kSoundFontUnusable);
    EXPECT_NE(noSoundfont.lastError().find("none.sf2"), std::string::npos);

    const std::string garbage = dir_.file("garbage.sf2");
    std::FILE* f = std::fopen(garbage.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("RIFF\x10\0\0\0sfbk nonsense", f);
    std::fclose(f);
    WavOutput badSoundfont(dir_.file("b.wav"), garbage);
    EXPECT_EQ(badSoundfont.open(), kSoundFontUnusable);
    EXPECT_FALSE(badSoundfont.lastError().empty());
}

// Files of this process may grow to `bytes` while it lives; writes past it fail with EFBIG
// instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
    bool ok_ = false;
};

TEST_F(WavOutputTest, AWriteFailureWhileRenderingIsReportedOnce) {
    const std::string path = dir_.file("full.wav");
    WavOutput wav(path, kDefaultSoundFont);
    std::optional<OutputFailure> failure;
    {
        // Room for about a fifth of a second of sound.
        FileSizeLimit limit(32 * 1024);
        ASSERT_TRUE(limit.ok());
        ASSERT_EQ(wav.open(), 0);
        wav.shortMsg(0x7F3C90);
        // The render thread hits the limit within a second; the event loop polls meanwhile.
        for (int i = 0; i < 300 && !failure; ++i) {
            std::this_thread::sleep_for(10ms);
            failure = wav.takeFailure();
        }
        wav.shortMsg(0x3C80);  // still accepted
        std::this_thread::sleep_for(50ms);
        wav.close();
    }
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, path);
    EXPECT_EQ(failure->reason, "파일이 너무 큽니다");
    EXPECT_FALSE(wav.takeFailure());
    // The file stays a readable WAV up to where the disk ran out.
    const auto size = std::filesystem::file_size(path);
    EXPECT_LE(size, 32u * 1024);
    EXPECT_EQ(readWav(path).size(), (size - 44) / 4);

    // Reopened without the limit: no failure left over.
    ASSERT_EQ(wav.open(), 0);
    std::this_thread::sleep_for(50ms);
    wav.close();
    EXPECT_FALSE(wav.takeFailure());
}

TEST_F(WavOutputTest, ReopensAfterClose) {
    const std::string path = dir_.file("again.wav");
    WavOutput wav(path, kDefaultSoundFont);
    ASSERT_EQ(wav.open(), 0);
    EXPECT_EQ(wav.open(), 0);  // already open: nothing happens
    wav.close();
    ASSERT_EQ(wav.open(), 0);
    std::this_thread::sleep_for(100ms);
    wav.close();
    EXPECT_GE(readWav(path).size(), 44100u / 20);
}

}  // namespace
}  // namespace muto::midi
