// giflib as the independent producer and reader of GIF files in tests.
#pragma once

#include <cstdint>
#include <vector>

namespace muto::anigif::test {

struct GiflibFrameSpec {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;    // display order, top-down
    std::vector<uint32_t> colours;  // local table (power of two entries), empty for none
    bool interlaced = false;
    int disposal = -1;  // -1: no graphic control extension
    int transparentIndex = -1;
    int delay = 0;  // hundredths
};

struct GiflibFileSpec {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> colours;  // global table, empty for none
    int loops = -1;                 // -1: no loop extension
    std::vector<GiflibFrameSpec> frames;
};

// Writes the file with giflib's encoder (EGifPutLine per row).
std::vector<uint8_t> giflibWrite(const GiflibFileSpec& recipe);

struct GiflibFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    std::vector<uint32_t> colours;  // the table the frame uses
    int disposal = 0;
    int transparentIndex = -1;
};

// Reads with DGifSlurp; empty on failure.
std::vector<GiflibFrame> giflibRead(const std::vector<uint8_t>& bytes);

}  // namespace muto::anigif::test
