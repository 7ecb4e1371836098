// muto-gif: looks inside GIF files with the animated-GIF control's own decoder.
//   muto-gif info FILE            canvas, loop count and one line per frame
//   muto-gif decode FILE          per frame: number, width, height, FNV-1a of its indices
//   muto-gif compose FILE DIR     every frame as shown at run time, as DIR/frame-NNN.png
//   muto-gif export FILE N OUT    frame N as a one-frame GIF
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "anigif/anigif.h"
#include "anigif/gif_bytes.h"
#include "anigif/gif_scan.h"
#include "io/read_file.h"
#include "platform/raster/raster.h"
#include "png_writer.h"

namespace {

using muto::anigif::AniGif;

int fail(const std::string& message) {
    std::fprintf(stderr, "muto-gif: %s\n", message.c_str());
    return 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: muto-gif info FILE\n"
                 "       muto-gif decode FILE\n"
                 "       muto-gif compose FILE DIR\n"
                 "       muto-gif export FILE N OUT.gif\n");
    return 2;
}

// The whole file, or the reason it cannot be read.
muto::ReadResult<std::vector<uint8_t>> readFile(const std::string& path) {
    return muto::readWholeFile(path, muto::anigif::kGifFileLimit);
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// FNV-1a of frame k's indices, read in place from the frame strip.
uint32_t frameChecksum(const AniGif& gif, int k) {
    const auto& f = gif.frame(k);
    const muto::raster::Surface* strip = gif.strip();
    uint32_t h = 2166136261u;
    const bool inStrip = strip && f.width > 0 && f.height > 0 &&
                         static_cast<int64_t>(f.position) + f.width <= strip->width() &&
                         f.height <= strip->height();
    for (int y = 0; y < std::max(f.height, 0); ++y) {
        const uint8_t* row = inStrip ? strip->scanLine(y) + f.position : nullptr;
        for (int x = 0; x < f.width; ++x) {
            h ^= row ? row[x] : 0;
            h *= 16777619u;
        }
    }
    return h;
}

// Loads a file the way the control does at run time, every frame decoded at once.
int load(const std::string& path, AniGif& gif) {
    auto bytes = readFile(path);
    if (!bytes) return fail(path + ": " + std::string(muto::failureName(bytes.failure())));
    gif.setRunMode(true);
    gif.setDelayAnimation(0);
    gif.setStretch(muto::anigif::Stretch::Resize);
    gif.setGifBytes(std::move(*bytes));
    if (gif.loadGifData() == 0)
        return fail(path + ": " + std::string(muto::anigif::gifErrorText(gif.lastError())));
    int w = gif.actualWidth();
    int h = gif.actualHeight();
    gif.resize(w, h);
    return 0;
}

int info(const std::string& path) {
    auto bytes = readFile(path);
    if (!bytes) return fail(path + ": " + std::string(muto::failureName(bytes.failure())));
    muto::anigif::GifStructure s;
    const int n = muto::anigif::scanGifStructure(*bytes, s);
    if (n == 0) {
        const auto e = s.stoppedBy == muto::anigif::GifError::None ||
                               s.stoppedBy == muto::anigif::GifError::EndOfFile
                           ? muto::anigif::GifError::NotLoaded
                           : s.stoppedBy;
        return fail(path + ": " + std::string(muto::anigif::gifErrorText(e)));
    }
    std::printf("canvas %dx%d\n", s.actualWidth, s.actualHeight);
    std::printf("loops %d\n", s.loops);
    for (int k = 1; k <= n; ++k) {
        const auto& f = s.frames[static_cast<std::size_t>(k - 1)];
        std::printf(
            "frame %d: left %d top %d width %d height %d delay %d disposal %d transparent %d "
            "index %d palette %d\n",
            k, f.left, f.top, f.width, f.height, f.delay, f.disposal, f.transparent,
            f.transparentIndex, f.paletteIndex);
    }
    if (s.stoppedBy == muto::anigif::GifError::EndOfFile)
        std::printf("truncated: the data ends early\n");
    return 0;
}

int decode(const std::string& path) {
    AniGif gif;
    if (int rc = load(path, gif)) return rc;
    for (int k = 1; k <= gif.frameCount(); ++k) {
        const auto& f = gif.frame(k);
        std::printf("%d %d %d %08x\n", k, f.width, f.height, frameChecksum(gif, k));
    }
    return 0;
}

int compose(const std::string& path, const std::string& dir) {
    AniGif gif;
    if (int rc = load(path, gif)) return rc;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) return fail(dir + ": " + ec.message());
    const int w = gif.actualWidth();
    const int h = gif.actualHeight();
    for (int k = 1; k <= gif.frameCount(); ++k) {
        auto target = muto::raster::Surface::create(muto::raster::Format::Rgb24, w, h);
        if (!target) return fail(path + ": the canvas is too large");
        gif.paintFrame(k, *target);
        std::vector<uint8_t> rgb(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
        std::size_t i = 0;
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = target->scanLine(y);
            for (int x = 0; x < w; ++x, i += 3) {
                rgb[i] = row[3 * x + 2];
                rgb[i + 1] = row[3 * x + 1];
                rgb[i + 2] = row[3 * x];
            }
        }
        char name[32];
        std::snprintf(name, sizeof name, "frame-%03d.png", k);
        const std::string out = (std::filesystem::path(dir) / name).string();
        if (!writeFile(out, muto::tools::encodePng(w, h, rgb))) return fail(out + ": cannot write");
    }
    return 0;
}

int exportFrame(const std::string& path, const std::string& number, const std::string& out) {
    char* end = nullptr;
    const long n = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0') return fail(number + ": not a frame number");
    AniGif gif;
    if (int rc = load(path, gif)) return rc;
    if (n < 1 || n > gif.frameCount())
        return fail(path + ": no frame " + number + " (it has " + std::to_string(gif.frameCount()) +
                    ")");
    const auto bytes = gif.encodeFrameAsGif(static_cast<int>(n));
    if (bytes.empty()) return fail(path + ": frame " + number + " cannot be exported");
    if (!writeFile(out, bytes)) return fail(out + ": cannot write");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string cmd = argv[1];
    if (cmd == "info" && argc == 3) return info(argv[2]);
    if (cmd == "decode" && argc == 3) return decode(argv[2]);
    if (cmd == "compose" && argc == 4) return compose(argv[2], argv[3]);
    if (cmd == "export" && argc == 5) return exportFrame(argv[2], argv[3], argv[4]);
    return usage();
}
