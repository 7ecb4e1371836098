// The reference side of the whole-process load comparison: giflib reads a GIF with DGifSlurp and
// prints, per frame, the same line as `muto-gif decode`: FRAME WIDTH HEIGHT FNV-1a of the indices.
#include <gif_lib.h>

#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: giflib-decode FILE\n");
        return 2;
    }
    int error = 0;
    GifFileType* gif = DGifOpenFileName(argv[1], &error);
    if (!gif) {
        std::fprintf(stderr, "giflib-decode: %s\n", GifErrorString(error));
        return 1;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        std::fprintf(stderr, "giflib-decode: %s\n", GifErrorString(gif->Error));
        DGifCloseFile(gif, &error);
        return 1;
    }
    for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage& image = gif->SavedImages[k];
        const long w = image.ImageDesc.Width;
        const long h = image.ImageDesc.Height;
        uint32_t hash = 2166136261u;
        const GifByteType* p = image.RasterBits;
        for (long i = 0; i < w * h; ++i) {
            hash ^= p[i];
            hash *= 16777619u;
        }
        std::printf("%d %ld %ld %08x\n", k + 1, w, h, hash);
    }
    DGifCloseFile(gif, &error);
    return 0;
}
