#include "giflib_support.h"

#include <gif_lib.h>

#include <cstring>

namespace muto::anigif::test {

namespace {

struct Reader {
    const std::vector<uint8_t>* bytes;
    std::size_t pos;
};

int readFn(GifFileType* gif, GifByteType* buf, int n) {
    auto* r = static_cast<Reader*>(gif->UserData);
    const std::size_t k =
        std::min<std::size_t>(static_cast<std::size_t>(n), r->bytes->size() - r->pos);
    std::memcpy(buf, r->bytes->data() + r->pos, k);
    r->pos += k;
    return static_cast<int>(k);
}

int writeFn(GifFileType* gif, const GifByteType* buf, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), buf, buf + n);
    return n;
}

ColorMapObject* makeMap(const std::vector<uint32_t>& colours) {
    if (colours.empty()) return nullptr;
    std::vector<GifColorType> c(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i)
        c[i] = {static_cast<GifByteType>(colours[i] >> 16),
                static_cast<GifByteType>(colours[i] >> 8), static_cast<GifByteType>(colours[i])};
    return GifMakeMapObject(static_cast<int>(colours.size()), c.data());
}

std::vector<uint32_t> fromMap(const ColorMapObject* map) {
    std::vector<uint32_t> out;
    if (!map) return out;
    for (int i = 0; i < map->ColorCount; ++i) {
        const GifColorType& c = map->Colors[i];
        out.push_back(static_cast<uint32_t>(c.Red) << 16 | static_cast<uint32_t>(c.Green) << 8 |
                      c.Blue);
    }
    return out;
}

int interlacedRow(int i, int h) {
    static const int offset[] = {0, 4, 2, 1};
    static const int step[] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p)
        for (int y = offset[p]; y < h; y += step[p])
            if (i-- == 0) return y;
    return 0;
}

}  // namespace

std::vector<uint8_t> giflibWrite(const GiflibFileSpec& recipe) {
    std::vector<uint8_t> out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, writeFn, &err);
    if (!gif) return {};
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = makeMap(recipe.colours);
    EGifPutScreenDesc(gif, recipe.width, recipe.height, 8, 0, global);
    GifFreeMapObject(global);
    if (recipe.loops >= 0) {
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
        const unsigned char loop[3] = {1, static_cast<unsigned char>(recipe.loops & 0xFF),
                                       static_cast<unsigned char>(recipe.loops >> 8)};
        EGifPutExtensionBlock(gif, 3, loop);
        EGifPutExtensionTrailer(gif);
    }
    for (const auto& f : recipe.frames) {
        if (f.disposal >= 0) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = f.disposal;
            gcb.DelayTime = f.delay;
            gcb.TransparentColor = f.transparentIndex;
            GifByteType ext[4];
            EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        }
        ColorMapObject* local = makeMap(f.colours);
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local);
        GifFreeMapObject(local);
        for (int i = 0; i < f.height; ++i) {
            const int y = f.interlaced ? interlacedRow(i, f.height) : i;
            EGifPutLine(
                gif,
                const_cast<GifPixelType*>(f.pixels.data() + static_cast<std::size_t>(y) * f.width),
                f.width);
        }
    }
    EGifCloseFile(gif, &err);
    return out;
}

std::vector<GiflibFrame> giflibRead(const std::vector<uint8_t>& bytes) {
    Reader r{&bytes, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&r, readFn, &err);
    if (!gif) return {};
    std::vector<GiflibFrame> frames;
    if (DGifSlurp(gif) == GIF_OK) {
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& s = gif->SavedImages[i];
            GiflibFrame f;
            f.left = s.ImageDesc.Left;
            f.top = s.ImageDesc.Top;
            f.width = s.ImageDesc.Width;
            f.height = s.ImageDesc.Height;
            f.indices.assign(s.RasterBits,
                             s.RasterBits + static_cast<std::size_t>(f.width) * f.height);
            f.colours = fromMap(s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap);
            GraphicsControlBlock gcb;
            if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
                f.disposal = gcb.DisposalMode;
                f.transparentIndex = gcb.TransparentColor;
            }
            frames.push_back(std::move(f));
        }
    }
    DGifCloseFile(gif, &err);
    return frames;
}

}  // namespace muto::anigif::test
