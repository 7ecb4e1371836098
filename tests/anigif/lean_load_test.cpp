// The lean load: a file read in one piece, and a frame that has the strip to itself decoded
// straight into it, agree with the general path on every size, cut and corruption.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "anigif/gif_bytes.h"
#include "anigif/gif_decode.h"
#include "test_util.h"

namespace muto::anigif {
namespace {

// What the general path (a whole-image buffer copied row by row) makes of a one-frame GIF.
std::vector<uint8_t> reference(std::span<const uint8_t> gif, int w, int h) {
    std::vector<uint8_t> out(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    DecodeScratch scratch;
    decodeGifStream(gif, out.data(), w, w, h, scratch);
    return out;
}

TEST(LeanLoad, StraightIntoTheStripMatchesTheGeneralPath) {
    std::mt19937 rng(7);
    int compared = 0;
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + static_cast<int>(rng() % 37);  // most widths are not a multiple of 4
        const int h = 1 + static_cast<int>(rng() % 19);
        const int colours = 2 + static_cast<int>(rng() % 255);
        std::vector<uint32_t> palette(static_cast<std::size_t>(colours));
        for (auto& c : palette)
            c = rng() & 0xFFFFFF;
        std::vector<uint8_t> pixels(static_cast<std::size_t>(w * h));
        // Runs of one colour make long strings, noise makes short ones.
        const bool runs = round % 2 == 0;
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>(
                runs && i % 7 ? pixels[i - (i > 0)] : rng() % static_cast<unsigned>(colours));
        auto gif = encodeIndexedGif(w, h, pixels.data(), w, palette);
        ASSERT_FALSE(gif.empty());
        if (round % 3 == 1) {
            // Cut inside the image data, or flip a byte of it.
            gif.resize(kGifImageOffset + 12 + rng() % (gif.size() - kGifImageOffset - 12));
        } else if (round % 3 == 2 && gif.size() > kGifImageOffset + 14) {
            gif[kGifImageOffset + 12 + rng() % (gif.size() - kGifImageOffset - 14)] ^= 0x5A;
        }
        AniGif lean;
        if (test::loadRun(lean, gif) != 1) continue;
        ++compared;
        EXPECT_EQ(lean.frameIndices(1), reference(gif, w, h))
            << w << "x" << h << " round " << round;
        if (round % 3 == 0) {
            EXPECT_EQ(lean.frameIndices(1), pixels) << round;
        }
    }
    EXPECT_GT(compared, 250);
}

TEST(LeanLoad, FilesAreReadWholeOrNotAtAll) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "lean_load_test";
    std::filesystem::create_directories(dir);
    const auto path = (dir / "three.gif").string();
    std::vector<uint8_t> bytes(100000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    const auto read = GifBytes::readFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->toVector(), bytes);

    std::fclose(std::fopen((dir / "empty.gif").string().c_str(), "wb"));
    const auto empty = GifBytes::readFile((dir / "empty.gif").string());
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(GifBytes::readFile((dir / "missing.gif").string()));
    EXPECT_FALSE(GifBytes::readFile(dir.string()));  // a folder is no file
    std::filesystem::remove_all(dir);
}

// A file of `size` bytes, byte i being i * 7 + 1 (never 0 below 2^20).
std::string patternFile(const std::string& name, std::size_t size) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "lean_load_test";
    std::filesystem::create_directories(dir);
    const auto path = (dir / name).string();
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

TEST(LeanLoad, ALargeFileCutShortWhileHeldReadsAsZerosPastItsNewEnd) {
    // Large files are mapped, not copied. When another program cuts one short meanwhile, the
    // pages past its new end must not end the process: they read as zeros.
    const std::size_t size = 3 << 20;
    const auto path = patternFile("shrinking.gif", size);
    auto held = GifBytes::readFile(path);
    ASSERT_TRUE(held);
    ASSERT_EQ(held->size(), size);
    const std::size_t kept = (1 << 20) + 100;
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kept)), 0);
    const auto bytes = held->span();
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < size; ++i)
        wrong += bytes[i] != (i < kept ? static_cast<uint8_t>(i * 7 + 1) : 0);
    EXPECT_EQ(wrong, 0u);
    held.reset();
    std::filesystem::remove(path);
}

TEST(LeanLoad, ManyLargeFilesHeldAtOnceAreAllWhole) {
    // Past the number of guarded mappings, files are read instead.
    const auto path = patternFile("many.gif", (1 << 20) + 5);
    std::vector<GifBytes> held;
    for (int i = 0; i < 80; ++i) {
        auto one = GifBytes::readFile(path);
        ASSERT_TRUE(one);
        held.push_back(std::move(*one));
    }
    for (const auto& one : held) {
        ASSERT_EQ(one.size(), (1u << 20) + 5);
        EXPECT_EQ(one.span()[(1 << 20) + 4], static_cast<uint8_t>(((1 << 20) + 4) * 7 + 1));
    }
    std::filesystem::remove(path);
}

TEST(LeanLoadDeathTest, AFaultOutsideOurFilesStillEndsTheProcess) {
    // The guard answers only for the files it maps: another mapping cut short still faults.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto path = patternFile("foreign.gif", 2 << 20);
    (void)GifBytes::readFile(path);  // the guard is in place
    // Killed by SIGBUS; under AddressSanitizer, which reports the fault, an abort or an exit
    // code instead. Living on to exit 0 is what must not happen.
    const auto killedByTheFault = [](int status) {
        return !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    };
    EXPECT_EXIT(
        {
            const int fd = ::open(path.c_str(), O_RDONLY);
            auto* p = static_cast<volatile uint8_t*>(
                ::mmap(nullptr, 2 << 20, PROT_READ, MAP_PRIVATE, fd, 0));
            if (::truncate(path.c_str(), 0) != 0) std::abort();
            std::printf("%d\n", p[(1 << 20) + 1]);
            std::exit(0);
        },
        killedByTheFault, "");
    // And a SIGBUS sent rather than caused by a fault still does what it always did.
    EXPECT_EXIT(
        {
            std::raise(SIGBUS);
            std::exit(0);
        },
        killedByTheFault, "");
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace muto::anigif
