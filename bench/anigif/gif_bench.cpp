// GIF decoding to colour indices and single-frame encoding, ours against giflib on the same
// inputs in the same run. After the runs the ratios (giflib CPU time / our CPU time) are printed.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "anigif/anigif.h"
#include "anigif/gif_decode.h"
#include "anigif/gif_encoder.h"
#include "anigif/gif_scan.h"
#include "giflib_support.h"

namespace {

using namespace muto::anigif;

uint32_t rnd(uint32_t& s) {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
}

std::vector<uint8_t> photoLike(int w, int h, int colours, double phase) {
    std::vector<uint8_t> px;
    px.reserve(static_cast<std::size_t>(w) * h);
    uint32_t s = 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double t = std::sin(x * 0.031 + phase) * std::cos(y * 0.023) +
                             0.4 * std::sin((x - y) * 0.011) + 0.02 * (rnd(s) % 8);
            px.push_back(
                static_cast<uint8_t>(std::clamp((t + 1.6) / 3.2, 0.0, 1.0) * (colours - 1)));
        }
    return px;
}

std::vector<uint8_t> noise(int w, int h) {
    std::vector<uint8_t> px(static_cast<std::size_t>(w) * h);
    uint32_t s = 7;
    for (auto& p : px)
        p = static_cast<uint8_t>(rnd(s));
    return px;
}

std::vector<uint32_t> palette(int n) {
    std::vector<uint32_t> p(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        p[static_cast<std::size_t>(i)] = static_cast<uint32_t>(i) * 0x010101u;
    return p;
}

struct Input {
    std::string name;
    std::vector<uint8_t> gif;
};

const std::vector<Input>& decodeInputs() {
    static const std::vector<Input> inputs = [] {
        std::vector<Input> v;
        {
            test::GiflibFileSpec s{640, 480, palette(256), -1, {}};
            test::GiflibFrameSpec f{0,  0,     640, 480, photoLike(640, 480, 256, 0),
                                    {}, false, -1,  -1,  0};
            s.frames.push_back(f);
            v.push_back({"photo640x480", test::giflibWrite(s)});
        }
        {
            test::GiflibFileSpec s{256, 256, palette(256), -1, {}};
            s.frames.push_back({0, 0, 256, 256, noise(256, 256), {}, false, -1, -1, 0});
            v.push_back({"noise256", test::giflibWrite(s)});
        }
        {
            test::GiflibFileSpec s{200, 150, palette(64), 0, {}};
            for (int i = 0; i < 60; ++i)
                s.frames.push_back(
                    {0, 0, 200, 150, photoLike(200, 150, 64, i * 0.1), {}, i % 2 == 1, 1, -1, 4});
            v.push_back({"anim60x200x150", test::giflibWrite(s)});
        }
        return v;
    }();
    return inputs;
}

// Our decoder to per-frame index buffers: the scan, the re-wrapped stream and the LZW decoder.
void BM_DecodeOurs(benchmark::State& state) {
    const auto& in = decodeInputs()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(in.name);
    DecodeScratch scratch;
    for (auto _ : state) {
        GifStructure s;
        const int n = scanGifStructure(in.gif, s);
        FrameStreamBuilder builder(in.gif);
        std::vector<std::vector<uint8_t>> frames(static_cast<std::size_t>(n));
        for (int k = 1; k <= n; ++k) {
            const auto& f = s.frames[static_cast<std::size_t>(k - 1)];
            auto& out = frames[static_cast<std::size_t>(k - 1)];
            out.resize(static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height));
            decodeGifStream(builder.build(f, s.spans[static_cast<std::size_t>(k)]), out.data(),
                            f.width, f.width, f.height, scratch);
        }
        benchmark::DoNotOptimize(frames.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(in.gif.size()));
}

// The whole control load: scan, strip and composite, every frame decoded into the strip.
void BM_LoadControl(benchmark::State& state) {
    const auto& in = decodeInputs()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(in.name);
    for (auto _ : state) {
        AniGif gif;
        gif.setRunMode(true);
        gif.setDelayAnimation(0);
        gif.setGifBytes(in.gif);
        benchmark::DoNotOptimize(gif.loadGifData());
    }
}

struct Mem {
    const std::vector<uint8_t>* bytes;
    std::size_t pos;
};

int readMem(GifFileType* g, GifByteType* b, int n) {
    auto* m = static_cast<Mem*>(g->UserData);
    const std::size_t k =
        std::min<std::size_t>(static_cast<std::size_t>(n), m->bytes->size() - m->pos);
    std::memcpy(b, m->bytes->data() + m->pos, k);
    m->pos += k;
    return static_cast<int>(k);
}

void BM_DecodeGiflib(benchmark::State& state) {
    const auto& in = decodeInputs()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(in.name);
    for (auto _ : state) {
        Mem m{&in.gif, 0};
        int err = 0;
        GifFileType* g = DGifOpen(&m, readMem, &err);
        if (!g || DGifSlurp(g) != GIF_OK) state.SkipWithError("giflib failed");
        if (g) DGifCloseFile(g, &err);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(in.gif.size()));
}

struct EncodeInput {
    std::string name;
    int w, h;
    std::vector<uint8_t> px;
};

const std::vector<EncodeInput>& encodeInputs() {
    static const std::vector<EncodeInput> v = {
        {"photo640x480", 640, 480, photoLike(640, 480, 256, 0)},
        {"noise256", 256, 256, noise(256, 256)},
    };
    return v;
}

void BM_EncodeOurs(benchmark::State& state) {
    const auto& in = encodeInputs()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(in.name);
    const auto pal = palette(256);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeIndexedGif(in.w, in.h, in.px.data(), in.w, pal));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * in.w * in.h);
}

int writeMem(GifFileType* g, const GifByteType* b, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(g->UserData);
    out->insert(out->end(), b, b + n);
    return n;
}

void BM_EncodeGiflib(benchmark::State& state) {
    const auto& in = encodeInputs()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(in.name);
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[static_cast<std::size_t>(i)] = {
            static_cast<GifByteType>(i), static_cast<GifByteType>(i), static_cast<GifByteType>(i)};
    for (auto _ : state) {
        std::vector<uint8_t> out;
        out.reserve(static_cast<std::size_t>(in.w) * in.h / 2 + 801);
        int err = 0;
        GifFileType* g = EGifOpen(&out, writeMem, &err);
        EGifSetGifVersion(g, true);
        ColorMapObject* map = GifMakeMapObject(256, colours.data());
        EGifPutScreenDesc(g, in.w, in.h, 8, 0, map);
        EGifPutImageDesc(g, 0, 0, in.w, in.h, false, nullptr);
        for (int y = 0; y < in.h; ++y)
            EGifPutLine(
                g, const_cast<GifPixelType*>(in.px.data() + static_cast<std::size_t>(y) * in.w),
                in.w);
        EGifCloseFile(g, &err);
        GifFreeMapObject(map);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * in.w * in.h);
}

BENCHMARK(BM_DecodeOurs)->DenseRange(0, 2);
BENCHMARK(BM_DecodeGiflib)->DenseRange(0, 2);
BENCHMARK(BM_LoadControl)->DenseRange(0, 2);
BENCHMARK(BM_EncodeOurs)->DenseRange(0, 1);
BENCHMARK(BM_EncodeGiflib)->DenseRange(0, 1);

// Keeps each run's time per iteration so that main() can print the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* ours, const char* theirs, std::size_t n, const auto& names,
                     const char* what) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::string suffix = "/" + std::to_string(i);
            const auto a = reporter.times.find(ours + suffix);
            const auto b = reporter.times.find(theirs + suffix);
            if (a == reporter.times.end() || b == reporter.times.end() || a->second <= 0) continue;
            std::printf("%s %-16s giflib/ours = %.2fx\n", what, names[i].name.c_str(),
                        b->second / a->second);
        }
    };
    ratio("BM_DecodeOurs", "BM_DecodeGiflib", decodeInputs().size(), decodeInputs(), "decode");
    ratio("BM_LoadControl", "BM_DecodeGiflib", decodeInputs().size(), decodeInputs(), "load  ");
    ratio("BM_EncodeOurs", "BM_EncodeGiflib", encodeInputs().size(), encodeInputs(), "encode");
    benchmark::Shutdown();
    return 0;
}
