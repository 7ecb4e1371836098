#include "anigif/anigif.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "anigif/gif_encoder.h"

namespace muto::anigif {

using raster::Format;
using raster::Rect;
using raster::Rop;
using raster::Surface;

namespace {

// Set in the mirror style while frames 2..N wait for decoding: frame 1 already has the style.
constexpr int32_t kFrameOneMirrored = 0x20;

// Rounds to the nearest integer, halves to even.
int roundEven(double v) {
    if (!(v > INT_MIN) || !(v < INT_MAX)) return v > 0 ? INT_MAX : INT_MIN;
    return static_cast<int>(std::nearbyint(v));
}

const std::array<uint32_t, 256>& indexRamp() {
    static const std::array<uint32_t, 256> ramp = [] {
        std::array<uint32_t, 256> r{};
        for (uint32_t i = 0; i < 256; ++i)
            r[i] = i;
        return r;
    }();
    return ramp;
}

}  // namespace

AniGif::AniGif() = default;
AniGif::~AniGif() = default;
AniGif::AniGif(AniGif&&) noexcept = default;
AniGif& AniGif::operator=(AniGif&&) noexcept = default;

void AniGif::reset() {
    frames_.clear();
    spans_.clear();
    palettes_.clear();
    strip_.reset();
    composite_.reset();
    compositeMask_.reset();
    maskColorTable_.clear();
    loadedPaletteIndex_ = -1;
    currentFrame_ = 0;
    action_ = 0;
    pending_ = false;
    startRequested_ = false;
    mirrored_ &= 3;
}

int32_t AniGif::loadGifData() {
    reset();
    actualWidth_ = 0;
    actualHeight_ = 0;
    loops_ = 0;
    scaleX_ = 0;
    scaleY_ = 0;
    lastError_ = GifError::None;

    int32_t n = 0;
    if (gifBytes_.empty()) {
        lastError_ = GifError::NotLoaded;
    } else {
        GifStructure s;
        n = scanGifStructure(gifBytes_, s);
        lastError_ = s.stoppedBy;
        if (n > 0) {
            frames_ = std::move(s.frames);
            spans_ = std::move(s.spans);
            palettes_ = std::move(s.palettes);
            actualWidth_ = s.actualWidth;
            actualHeight_ = s.actualHeight;
            loops_ = s.loops;
            if (!buildFrames(true)) {
                lastError_ = GifError::SurfaceFailed;
                n = 0;
            }
        } else if (lastError_ == GifError::None || lastError_ == GifError::EndOfFile) {
            lastError_ = GifError::NotLoaded;
        }
    }
    if (n == 0) {
        gifBytes_.clear();
        reset();
        actualWidth_ = actualHeight_ = 0;
        loops_ = 0;
    }
    return n;
}

bool AniGif::prepareSurfaces() {
    const int n = frameCount();
    const GifFrameInfo& f1 = frames_.front();
    int64_t sumWidth = 0;
    int32_t maxHeight = 0;
    bool anyTransparent = false;
    bool allDisposal2 = true;
    bool anyDisposal23 = false;
    for (auto& f : frames_) {
        sumWidth += f.width;
        maxHeight = std::max(maxHeight, f.height);
        anyTransparent = anyTransparent || f.transparent;
        allDisposal2 = allDisposal2 && f.disposal == 2;
        anyDisposal23 = anyDisposal23 || f.disposal == 2 || f.disposal == 3;
    }

    int64_t stripW = f1.width;
    int64_t stripH = f1.height;
    bool needMask = false;
    if (runMode_ && n > 1) {
        stripW = sumWidth;
        stripH = maxHeight;
        if (!allDisposal2) {
            needMask = anyDisposal23 || f1.transparent ||
                       (anyTransparent && (f1.width != actualWidth_ || f1.height != actualHeight_));
            const int cw = std::max(actualWidth_, 1);
            const int ch = std::max(actualHeight_, 1);
            composite_ = Surface::create(Format::Rgb24, cw, ch);
            if (!composite_) return false;
            if (needMask) {
                const uint32_t bw[2] = {raster::kBlack, raster::kWhite};
                compositeMask_ = Surface::create(Format::Mono1, cw, ch, bw);
                if (!compositeMask_) return false;
            }
        }
    }
    if (stripW > INT_MAX) return false;
    // Empty frames still get a slot of one pixel, so that a file of them loads.
    strip_ = Surface::create(Format::Indexed8, std::max<int>(static_cast<int>(stripW), 1),
                             std::max<int>(static_cast<int>(stripH), 1), indexRamp());
    if (!strip_) return false;
    if (anyTransparent || needMask) maskColorTable_.assign(256, raster::kBlack);
    loadedPaletteIndex_ = -1;
    return true;
}

bool AniGif::buildFrames(bool firstPass) {
    const int n = frameCount();
    if (firstPass) {
        if (!prepareSurfaces()) return false;
        // The scan's positions locate the graphic control extensions; once the strip exists the
        // field holds each frame's strip x instead.
        scanPositions_.resize(static_cast<std::size_t>(n));
        int64_t x = 0;
        for (int k = 1; k <= n; ++k) {
            auto& f = frames_[static_cast<std::size_t>(k - 1)];
            scanPositions_[static_cast<std::size_t>(k - 1)] = f.position;
            f.position = static_cast<int32_t>(std::min<int64_t>(x, INT32_MAX));
            x += f.width;
        }
        DecodeScratch scratch;
        decodeFrame(1, scratch);

        currentFrame_ = 1;
        int w = clientW_;
        int h = clientH_;
        computeRenderSize(w, h, scaleX_, scaleY_);
        if (!runMode_ || n == 1) {
            finishDecoding();
        } else if (delayAnimation_ == 0) {
            return buildFrames(false);
        } else {
            applyMirror(mirrored_ & 3, 1, 1, false);
            mirrored_ = (mirrored_ & 3) | kFrameOneMirrored;
            pending_ = true;
        }
        return true;
    }

    if (n > 1) {
        strip_->setColorTable(0, indexRamp());
        loadedPaletteIndex_ = -1;
        DecodeScratch scratch;
        for (int k = 2; k <= n; ++k)
            decodeFrame(k, scratch);
    }
    finishDecoding();
    return true;
}

bool AniGif::decodeRemaining() {
    if (!pending_) return false;
    return buildFrames(false);
}

void AniGif::decodeFrame(int k, DecodeScratch& scratch) {
    const GifFrameInfo& f = frame(k);
    if (f.width <= 0 || f.height <= 0) return;
    if (static_cast<int64_t>(f.position) + f.width > strip_->width() || f.height > strip_->height())
        return;
    // The image as it stands in the file: its span, cut at the end of the data.
    const std::span<const uint8_t> file = gifBytes_.span();
    const FrameSpan& span = spans_[static_cast<std::size_t>(k)];
    const std::size_t first = static_cast<std::size_t>(std::max(span.start, 1)) - 1;
    if (first >= file.size()) return;
    const std::size_t length = std::min<std::size_t>(
        file.size() - first, static_cast<std::size_t>(std::max(span.length, 0)));
    const auto image = file.subspan(first, length);
    if (!decodeIntoStrip(f, image))
        decodeImage(image, strip_->scanLine(0) + f.position, -strip_->stride(), f.width, f.height,
                    scratch);
}

bool AniGif::decodeIntoStrip(const GifFrameInfo& f, std::span<const uint8_t> image) {
    // Only a frame that has the whole strip to itself, rows in order: its indices are decoded
    // straight into the strip's memory and then put into bitmap order there.
    const ImageHeader hd = readImageHeader(image);
    if (!hd.valid || hd.interlaced || hd.width != f.width || hd.height != f.height ||
        f.position != 0 || strip_->width() != f.width || strip_->height() != f.height)
        return false;
    const int w = f.width;
    const int h = f.height;
    const auto stride = static_cast<std::size_t>(strip_->stride());
    const std::size_t rowBytes = static_cast<std::size_t>(w);
    const std::size_t pixels = rowBytes * static_cast<std::size_t>(h);
    uint8_t* bits = strip_->bits().data();
    const std::size_t produced =
        decodeLzwBlocks(image.data() + hd.dataOffset, image.data() + image.size(), hd.minCodeSize,
                        bits, pixels, strip_->bits().size() - pixels);
    // What the decoder wrote past the last index it produced is not the image's.
    std::fill(bits + produced, bits + std::min(strip_->bits().size(), produced + 16), 0);
    if (produced == 0) return true;  // nothing decodable: the slot stays index 0
    // Rows of `w` bytes from the top become rows of `stride` bytes from the bottom.
    if (stride != rowBytes) {
        for (std::size_t y = static_cast<std::size_t>(h); y-- > 0;) {
            std::memmove(bits + y * stride, bits + y * rowBytes, rowBytes);
            std::fill(bits + y * stride + rowBytes, bits + (y + 1) * stride, 0);
        }
    }
    // Rows y and h - 1 - y trade places.
    std::vector<uint8_t> temp(stride);
    for (std::size_t top = 0; top < static_cast<std::size_t>(h) / 2; ++top) {
        uint8_t* a = bits + top * stride;
        uint8_t* b = bits + (static_cast<std::size_t>(h) - 1 - top) * stride;
        std::memcpy(temp.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, temp.data(), stride);
    }
    return true;
}

void AniGif::finishDecoding() {
    pending_ = false;
    spans_.clear();
    scanPositions_.clear();
    const int first = (mirrored_ & kFrameOneMirrored) ? 2 : 1;
    mirrored_ &= 3;
    const int last = (runMode_ && frameCount() > 1) ? frameCount() : 1;
    applyMirror(mirrored_, first, last, false);
    if (runMode_) {
        gifBytes_.clear();
        startRequested_ = frameCount() > 1 && (delayAnimation_ & 2) == 0;
    }
}

void AniGif::applyMirror(int32_t flip, int first, int last, bool includeComposite) {
    if (flip == 0 || !strip_) return;
    for (int k = first; k <= last && k <= frameCount(); ++k) {
        auto& f = frames_[static_cast<std::size_t>(k - 1)];
        if (flip & kMirrorHorizontal) f.left = actualWidth_ - (f.left + f.width);
        if (flip & kMirrorVertical) f.top = actualHeight_ - (f.top + f.height);
        if (f.width <= 0 || f.height <= 0) continue;
        const bool h = flip & kMirrorHorizontal;
        const bool v = flip & kMirrorVertical;
        raster::stretchBlt(*strip_, f.position, 0, f.width, f.height, *strip_,
                           h ? f.position + f.width - 1 : f.position, v ? f.height - 1 : 0,
                           h ? -f.width : f.width, v ? -f.height : f.height, Rop::SrcCopy);
    }
    if (includeComposite && composite_) {
        for (Surface* s : {composite_.get(), compositeMask_.get()}) {
            if (!s) continue;
            const int w = s->width();
            const int hgt = s->height();
            const bool h = flip & kMirrorHorizontal;
            const bool v = flip & kMirrorVertical;
            raster::stretchBlt(*s, 0, 0, w, hgt, *s, h ? w - 1 : 0, v ? hgt - 1 : 0, h ? -w : w,
                               v ? -hgt : hgt, Rop::SrcCopy);
        }
    }
}

void AniGif::setMirrored(int32_t style) {
    if (style < 0 || style > 3) return;
    if (!loaded()) {
        mirrored_ = style;
        return;
    }
    const int32_t flip = (mirrored_ & 3) ^ style;
    if (pending_) {
        // Only frame 1 is in the strip; frames 2..N take the style when they are decoded.
        applyMirror(flip, 1, 1, false);
        mirrored_ = style | kFrameOneMirrored;
        return;
    }
    const bool firstOnly = !runMode_ || frameCount() == 1;
    applyMirror(flip, 1, firstOnly ? 1 : frameCount(), runMode_);
    mirrored_ = style;
}

void AniGif::computeRenderSize(int& w, int& h, float& scaleX, float& scaleY) const {
    if (!loaded() || actualWidth_ <= 0 || actualHeight_ <= 0) return;
    const double W = actualWidth_;
    const double H = actualHeight_;
    const double rx = w / W;
    const double ry = h / H;
    switch (stretch_) {
        case Stretch::Clip:
            scaleX = scaleY = 1.0f;
            w = std::min(w, actualWidth_);
            h = std::min(h, actualHeight_);
            break;
        case Stretch::Fit:
        case Stretch::ShrinkFit: {
            float f = static_cast<float>(std::min(rx, ry));
            if (stretch_ == Stretch::ShrinkFit && rx > 1 && ry > 1) f = 1.0f;
            scaleX = scaleY = f;
            w = roundEven(W * f);
            h = roundEven(H * f);
            break;
        }
        case Stretch::Fill:
            scaleX = static_cast<float>(rx);
            scaleY = static_cast<float>(ry);
            break;
        case Stretch::Resize:
            scaleX = scaleY = 1.0f;
            w = actualWidth_;
            h = actualHeight_;
            break;
    }
}

void AniGif::resize(int& w, int& h) {
    float sx = scaleX_;
    float sy = scaleY_;
    computeRenderSize(w, h, sx, sy);
    scaleX_ = sx;
    scaleY_ = sy;
    clientW_ = w;
    clientH_ = h;
}

bool AniGif::paintFrame(int k, Surface& target) {
    if (k <= 0 || k > frameCount() || !strip_) return false;
    const bool stretched = scaleX_ != 1.0f || scaleY_ != 1.0f;
    const GifFrameInfo& f = frame(k);
    if (!composite_) {
        const Rect r{roundEven(static_cast<double>(offsetX_ + f.left) * scaleX_),
                     roundEven(static_cast<double>(offsetY_ + f.top) * scaleY_),
                     roundEven(static_cast<double>(f.width) * scaleX_),
                     roundEven(static_cast<double>(f.height) * scaleY_)};
        blitFrame(k, target, stretched, r);
        return true;
    }
    DisposalSave save;
    applyDisposal(k, false, save);
    blitFrame(k, *composite_, false, Rect{f.left, f.top, f.width, f.height});
    blitFrame(-k, target, stretched, Rect{offsetX_, offsetY_, clientW_, clientH_});
    if (f.disposal == 2 || f.disposal == 3) applyDisposal(k, true, save);
    return true;
}

void AniGif::loadMaskTable(const GifFrameInfo& f) {
    if (maskColorTable_.size() != 256) maskColorTable_.assign(256, raster::kBlack);
    // All 256 entries are loaded, so that indices outside the frame's palette (the transparent
    // one included) never pick up colours left from an earlier load.
    if (f.transparent) maskColorTable_[f.transparentIndex] = raster::kWhite;
    strip_->setColorTable(0, maskColorTable_);
    if (f.transparent) maskColorTable_[f.transparentIndex] = raster::kBlack;
}

void AniGif::blitFrame(int k, Surface& target, bool stretched, Rect r) {
    if (r.w <= 0 || r.h <= 0) return;
    const raster::StretchMode oldMode = target.stretchMode();
    if (stretched) target.setStretchMode(raster::StretchMode::Halftone);
    auto copy = [&](const Surface& src, Rect s, Rop rop) {
        if (stretched)
            raster::stretchBlt(target, r.x, r.y, r.w, r.h, src, s.x, s.y, s.w, s.h, rop);
        else
            raster::bitBlt(target, r.x, r.y, r.w, r.h, src, s.x, s.y, rop);
    };
    if (k < 0) {
        const Rect s{0, 0, composite_->width(), composite_->height()};
        copy(compositeMask_ ? *compositeMask_ : *composite_, s, Rop::SrcAnd);
        copy(*composite_, s, Rop::SrcPaint);
    } else {
        const GifFrameInfo& f = frame(k);
        const Rect s{f.position, 0, f.width, f.height};
        Rop rop = Rop::SrcCopy;
        if (f.transparent) {
            loadMaskTable(f);
            copy(*strip_, s, Rop::SrcAnd);
            rop = Rop::SrcPaint;
        }
        if (f.transparent || f.paletteIndex != loadedPaletteIndex_) {
            strip_->setColorTable(0, palettes_.entries(f.paletteIndex));
            if (f.transparent) {
                const uint32_t black = raster::kBlack;
                strip_->setColorTable(f.transparentIndex, std::span<const uint32_t>(&black, 1));
            }
            // A table with the transparent entry blacked out is not the palette: an opaque frame
            // using the same palette must reload it.
            loadedPaletteIndex_ = f.transparent ? -1 : f.paletteIndex;
        }
        copy(*strip_, s, rop);
    }
    target.setStretchMode(oldMode);
}

void AniGif::applyDisposal(int k, bool after, DisposalSave& save) {
    if (!composite_) return;
    const GifFrameInfo& f = frame(k);
    Surface& colour = *composite_;
    Surface* mask = compositeMask_.get();
    // The frame's rectangle, clipped to the canvas.
    const int x0 = std::clamp(f.left, 0, colour.width());
    const int x1 =
        static_cast<int>(std::clamp<int64_t>(int64_t{f.left} + f.width, x0, colour.width()));
    const int y0 = std::clamp(f.top, 0, colour.height());
    const int y1 =
        static_cast<int>(std::clamp<int64_t>(int64_t{f.top} + f.height, y0, colour.height()));
    const std::size_t rowBytes = static_cast<std::size_t>(x1 - x0) * 3;

    if (!after) {
        if (k == 1) {
            std::fill(colour.bits().begin(), colour.bits().end(), 0);
            if (mask) std::fill(mask->bits().begin(), mask->bits().end(), 0xFF);
        }
        if (f.disposal == 3) {
            save.colour.clear();
            save.mask.clear();
            for (int y = y0; y < y1; ++y) {
                const uint8_t* row = colour.scanLine(y) + 3 * x0;
                save.colour.insert(save.colour.end(), row, row + rowBytes);
                if (mask)
                    for (int x = x0; x < x1; ++x)
                        save.mask.push_back(static_cast<uint8_t>(mask->rawPixel(x, y)));
            }
        }
        if (mask) {
            if (f.transparent) {
                loadMaskTable(f);
                raster::bitBlt(*mask, f.left, f.top, f.width, f.height, *strip_, f.position, 0,
                               Rop::SrcAnd);
            } else {
                GifFrameInfo opaque = f;
                opaque.transparent = 0;
                loadMaskTable(opaque);
                raster::bitBlt(*mask, f.left, f.top, f.width, f.height, *strip_, f.position, 0,
                               Rop::SrcCopy);
            }
            loadedPaletteIndex_ = -1;
        }
        return;
    }

    if (f.disposal == 2) {
        raster::fillRect(colour, Rect{f.left, f.top, f.width, f.height}, raster::kBlack);
        if (mask) raster::fillRect(*mask, Rect{f.left, f.top, f.width, f.height}, raster::kWhite);
    } else if (f.disposal == 3) {
        if (save.colour.size() != rowBytes * static_cast<std::size_t>(y1 - y0)) return;
        std::size_t i = 0;
        std::size_t m = 0;
        for (int y = y0; y < y1; ++y) {
            std::copy_n(save.colour.begin() + static_cast<std::ptrdiff_t>(i), rowBytes,
                        colour.scanLine(y) + 3 * x0);
            i += rowBytes;
            if (mask && m + static_cast<std::size_t>(x1 - x0) <= save.mask.size()) {
                uint8_t* row = mask->scanLine(y);
                for (int x = x0; x < x1; ++x, ++m) {
                    const uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
                    if (save.mask[m])
                        row[x >> 3] |= bit;
                    else
                        row[x >> 3] &= static_cast<uint8_t>(~bit);
                }
            }
        }
    }
}

std::vector<uint8_t> AniGif::frameIndices(int k) const {
    if (k < 1 || k > frameCount() || !strip_) return {};
    const GifFrameInfo& f = frame(k);
    if (f.width <= 0 || f.height <= 0) return {};
    std::vector<uint8_t> out(static_cast<std::size_t>(f.width) *
                             static_cast<std::size_t>(f.height));
    if (static_cast<int64_t>(f.position) + f.width > strip_->width() || f.height > strip_->height())
        return out;
    for (int y = 0; y < f.height; ++y)
        std::copy_n(strip_->scanLine(y) + f.position, f.width,
                    out.begin() + static_cast<std::ptrdiff_t>(y) * f.width);
    return out;
}

bool AniGif::getPalette(int32_t frameIndex, std::vector<uint32_t>& entries) const {
    if (!loaded() || frameIndex < 0 || frameIndex > frameCount()) return false;
    const int column = frameIndex == 0 ? 0 : frame(frameIndex).paletteIndex;
    if (frameIndex > 0 && column == 0) return false;
    const auto table = palettes_.entries(column);
    if (table.empty()) return false;  // no global table: nothing to give
    entries.assign(table.begin(), table.end());
    return true;
}

bool AniGif::setPalette(int32_t frameIndex, std::span<const uint32_t> entries) {
    if (!loaded() || entries.empty() || frameIndex < 0 || frameIndex > frameCount()) return false;
    const int column = frameIndex == 0 ? 0 : frame(frameIndex).paletteIndex;
    if (frameIndex > 0 && column == 0) return false;
    const int count = palettes_.count(column);
    if (static_cast<int>(entries.size()) < count) return false;
    auto& col = palettes_.column(column);
    for (int i = 0; i < count; ++i)
        col[static_cast<std::size_t>(i)] = entries[static_cast<std::size_t>(i)] & 0xFFFFFF;
    // The strip's loaded colours may be this table's old ones: reload at the next paint.
    loadedPaletteIndex_ = -1;
    return true;
}

std::vector<uint8_t> AniGif::encodeFrameAsGif(int k) const {
    if (!loaded() || k < 1 || k > frameCount() || !strip_) return {};
    const GifFrameInfo& f = frame(k);
    if (f.width <= 0 || f.height <= 0 ||
        static_cast<int64_t>(f.position) + f.width > strip_->width() || f.height > strip_->height())
        return {};
    return encodeGifFrame(f.width, f.height, strip_->scanLine(0) + f.position, -strip_->stride(),
                          palettes_.entries(f.paletteIndex),
                          f.transparent ? f.transparentIndex : -1);
}

}  // namespace muto::anigif
