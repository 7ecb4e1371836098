// The animated-GIF control's model: one loaded GIF indexed, decoded into an indexed frame strip,
// composed according to each frame's disposal and drawn onto a target surface; frames can be
// mirrored, their colour tables read and replaced, and any frame exported as a one-frame GIF.
//
// No timers live here. After a load at run time with several frames and DelayAnimation != 0,
// framesPending() is true until decodeRemaining() runs (the animation layer calls it from its
// deferred-load tick); startRequested() then says whether the animation should start by itself.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "anigif/gif_bytes.h"
#include "anigif/gif_decode.h"
#include "anigif/gif_scan.h"
#include "platform/raster/raster.h"

namespace muto::anigif {

// How the image fits the control.
enum class Stretch : int32_t {
    Clip = 0,       // 1:1, clipped to the control
    Fit = 1,        // scaled to fit, aspect kept (default)
    Fill = 2,       // scaled to the control's size
    ShrinkFit = 3,  // as Fit, but never enlarged
    Resize = 4,     // 1:1, the control takes the image's size
};

inline constexpr int32_t kMirrorHorizontal = 1;
inline constexpr int32_t kMirrorVertical = 2;

class AniGif {
public:
    AniGif();
    ~AniGif();
    AniGif(const AniGif&) = delete;
    AniGif& operator=(const AniGif&) = delete;
    AniGif(AniGif&&) noexcept;
    AniGif& operator=(AniGif&&) noexcept;

    // --- mode and properties kept by the control ---------------------------------------------
    // Design mode decodes frame 1 only, keeps the file bytes and never composes.
    void setRunMode(bool run) { runMode_ = run; }
    bool runMode() const { return runMode_; }
    void setStretch(Stretch s) { stretch_ = s; }
    Stretch stretch() const { return stretch_; }
    // 0..3: bit 1 horizontal, bit 2 vertical. Stores the style; use setMirrored() once loaded.
    int32_t mirrored() const { return mirrored_ & 3; }
    // Mirrors the loaded frames to a new style (0..3; other values are ignored).
    void setMirrored(int32_t style);
    void setDelayAnimation(int32_t mode) {
        if (mode >= 0 && mode <= 3) delayAnimation_ = mode;
    }
    int32_t delayAnimation() const { return delayAnimation_; }
    void setOffset(int32_t x, int32_t y) {
        offsetX_ = x;
        offsetY_ = y;
    }
    int32_t offsetX() const { return offsetX_; }
    int32_t offsetY() const { return offsetY_; }
    // The control's inner size in pixels (what the composite is drawn into).
    void setClientSize(int w, int h) {
        clientW_ = w;
        clientH_ = h;
    }
    int clientWidth() const { return clientW_; }
    int clientHeight() const { return clientH_; }

    // --- loading -----------------------------------------------------------------------------
    void setGifBytes(GifBytes bytes) { gifBytes_ = std::move(bytes); }
    std::span<const uint8_t> gifBytes() const { return gifBytes_.span(); }
    // Indexes gifBytes and decodes frame 1 (and, at run time with DelayAnimation 0, all frames).
    // Returns the number of frames; 0 when the data was rejected (the control is then empty).
    int32_t loadGifData();
    // Why the last load gave 0 frames, or what its scan absorbed.
    GifError lastError() const { return lastError_; }
    bool framesPending() const { return pending_; }
    // Decodes frames 2..N of a deferred load (the second pass) and finishes the load.
    bool decodeRemaining();
    // Whether the finished load asks the animation to start by itself.
    bool startRequested() const { return startRequested_; }
    // Frees everything of the loaded GIF (the file bytes stay).
    void reset();

    // --- state -------------------------------------------------------------------------------
    int32_t frameCount() const { return static_cast<int32_t>(frames_.size()); }
    const GifFrameInfo& frame(int k) const { return frames_[static_cast<std::size_t>(k - 1)]; }
    const PaletteTable& palettes() const { return palettes_; }
    int32_t actualWidth() const { return actualWidth_; }
    int32_t actualHeight() const { return actualHeight_; }
    int32_t loops() const { return loops_; }
    void setLoops(int32_t loops) { loops_ = loops < 0 ? -loops : loops; }
    int32_t currentFrame() const { return currentFrame_; }
    void setCurrentFrame(int32_t k) {
        if (k >= 1 && k <= frameCount()) currentFrame_ = k;
    }
    bool loaded() const { return currentFrame_ != 0; }
    // 0 stopped, 1 running, 2 paused (kept for the animation layer).
    int32_t action() const { return action_; }
    void setActionState(int32_t a) { action_ = a; }
    float scaleX() const { return scaleX_; }
    float scaleY() const { return scaleY_; }
    const raster::Surface* strip() const { return strip_.get(); }
    const raster::Surface* composite() const { return composite_.get(); }
    const raster::Surface* compositeMask() const { return compositeMask_.get(); }
    int32_t loadedPaletteIndex() const { return loadedPaletteIndex_; }

    // --- rendering ---------------------------------------------------------------------------
    // Fits the image into w x h according to Stretch; updates w, h and the scale factors.
    void computeRenderSize(int& w, int& h, float& scaleX, float& scaleY) const;
    // The control's resize: computes the size for (w, h), stores the scale factors and the
    // resulting client size, and returns that size.
    void resize(int& w, int& h);
    // Draws frame k onto the target (the control's surface, already showing its background).
    bool paintFrame(int k, raster::Surface& target);
    // Copies frame k's colour indices (top-down rows of width bytes) out of the strip.
    std::vector<uint8_t> frameIndices(int k) const;

    // --- palettes and export -----------------------------------------------------------------
    // FrameIndex 0: the global table; 1..FrameCount: the frame's local table.
    bool getPalette(int32_t frameIndex, std::vector<uint32_t>& entries) const;
    bool setPalette(int32_t frameIndex, std::span<const uint32_t> entries);
    // Frame k as a complete one-frame GIF89a; empty when nothing is loaded.
    std::vector<uint8_t> encodeFrameAsGif(int k) const;

private:
    bool buildFrames(bool firstPass);
    bool prepareSurfaces();
    void decodeFrame(int k, DecodeScratch& scratch);
    bool decodeIntoStrip(const GifFrameInfo& f, std::span<const uint8_t> image);
    void finishDecoding();
    void applyMirror(int32_t flip, int first, int last, bool includeComposite);
    void blitFrame(int k, raster::Surface& target, bool stretched, raster::Rect r);
    struct DisposalSave {
        std::vector<uint8_t> colour;
        std::vector<uint8_t> mask;
    };
    void applyDisposal(int k, bool after, DisposalSave& save);
    void loadMaskTable(const GifFrameInfo& f);

    bool runMode_ = true;
    Stretch stretch_ = Stretch::Fit;
    int32_t mirrored_ = 0;  // style, plus kFrameOneMirrored while frames are pending
    int32_t delayAnimation_ = 1;
    int32_t offsetX_ = 0;
    int32_t offsetY_ = 0;
    int clientW_ = 0;
    int clientH_ = 0;

    GifBytes gifBytes_;
    GifError lastError_ = GifError::None;
    std::vector<GifFrameInfo> frames_;
    std::vector<FrameSpan> spans_;
    std::vector<int32_t> scanPositions_;  // graphic control extension positions, while decoding
    PaletteTable palettes_;
    int32_t actualWidth_ = 0;
    int32_t actualHeight_ = 0;
    int32_t loops_ = 0;
    int32_t currentFrame_ = 0;
    int32_t action_ = 0;
    float scaleX_ = 0;
    float scaleY_ = 0;
    bool pending_ = false;
    bool startRequested_ = false;

    std::unique_ptr<raster::Surface> strip_;
    std::unique_ptr<raster::Surface> composite_;
    std::unique_ptr<raster::Surface> compositeMask_;
    std::vector<uint32_t> maskColorTable_;  // empty when not needed
    int32_t loadedPaletteIndex_ = -1;
};

}  // namespace muto::anigif
