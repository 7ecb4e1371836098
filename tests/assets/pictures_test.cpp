// The default pictures in the program folder: they exist, decode with giflib, have the sizes of
// their boxes, and what they show lies where the window's shapes and markers are.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "form/layout.h"
#include "instrument/key_layout.h"

namespace muto {
namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB, top-down

    int luma(int x, int y) const {
        const uint32_t c =
            rgb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
        return static_cast<int>(
            (299 * ((c >> 16) & 255) + 587 * ((c >> 8) & 255) + 114 * (c & 255)) / 1000);
    }
};

std::optional<Picture> load(const std::string& name) {
    const std::string path = std::string(MUTO_PROGRAM_DIR) + "/" + name;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return std::nullopt;
    std::optional<Picture> result;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1) {
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const int w = image.ImageDesc.Width, h = image.ImageDesc.Height;
        if (map && w == gif->SWidth && h == gif->SHeight && image.ImageDesc.Left == 0 &&
            image.ImageDesc.Top == 0) {
            Picture p{w, h, {}};
            p.rgb.reserve(static_cast<size_t>(w) * static_cast<size_t>(h));
            for (int i = 0; i < w * h; ++i) {
                const int index = image.RasterBits[i];
                const GifColorType c =
                    index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
                p.rgb.push_back((uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue);
            }
            result = std::move(p);
        }
    }
    DGifCloseFile(gif, &error);
    return result;
}

std::vector<std::string> keySignatureFiles() {
    std::vector<std::string> names{"cmr.gif"};
    for (int i = 1; i <= 7; ++i)
        names.push_back("s" + std::to_string(i) + "r.gif");
    for (int i = 1; i <= 7; ++i)
        names.push_back("b" + std::to_string(i) + "r.gif");
    return names;
}

TEST(Pictures, EveryPictureDecodesAtTheSizeOfItsBox) {
    const std::pair<std::string, Rect> boxes[] = {{"CKeyboard.gif", layout::keyboardPicture()},
                                                  {"PKeyboard.gif", layout::pianoBox()},
                                                  {"ControlPanel.gif", layout::controlPanel()}};
    for (const auto& [name, box] : boxes) {
        const auto picture = load(name);
        ASSERT_TRUE(picture) << name;
        EXPECT_EQ(picture->width, box.width) << name;
        EXPECT_EQ(picture->height, box.height) << name;
    }
    for (const std::string& name : keySignatureFiles()) {
        const auto picture = load(name);
        ASSERT_TRUE(picture) << name;
        EXPECT_EQ(picture->width, layout::staffBox().width) << name;
        EXPECT_EQ(picture->height, layout::staffBox().height) << name;
    }
}

TEST(Pictures, KeycapsLieUnderTheKeyShapes) {
    const auto picture = load("CKeyboard.gif");
    ASSERT_TRUE(picture);
    for (const layout::KeyShape& k : layout::keyShapes()) {
        const Rect r = layout::placeOf("shp_key", k.vk);
        // The cap's face (median brightness, so the legends don't count) is light; just outside
        // the shape's right and top edges the darker case shows through the gap between keys.
        std::vector<int> face;
        for (int y = r.top + 5; y < r.top + r.height - 5; ++y)
            for (int x = r.left + 5; x < r.left + r.width - 5; ++x)
                face.push_back(picture->luma(x, y));
        std::nth_element(face.begin(), face.begin() + long(face.size() / 2), face.end());
        const int light = face[face.size() / 2];
        const int cx = r.left + r.width / 2, cy = r.top + r.height / 2;
        EXPECT_GT(light, 190) << "VK " << k.vk;
        EXPECT_LT(picture->luma(r.left + r.width + 1, cy), light - 30) << "VK " << k.vk;
        EXPECT_LT(picture->luma(cx, r.top - 2), light - 30) << "VK " << k.vk;
    }
}

// The program writes a note caption across the lower half of every note key; the legends the
// picture prints (letters, arrows, the number pad's Home, PgUp, End, PgDn, Ins, Del) keep above
// it. Backspace plays no note and has no caption.
TEST(Pictures, LegendsLeaveTheCaptionBandClear) {
    const auto picture = load("CKeyboard.gif");
    ASSERT_TRUE(picture);
    for (const layout::KeyShape& k : layout::keyShapes()) {
        if (!isNoteRole(*keyRoleOf(k.vk)) || k.vk == 8) continue;
        const Rect r = layout::placeOf("shp_key", k.vk);
        int ink = 0;
        for (int y = r.top + layout::kCaptionOffset + 3;
             y < r.top + layout::kCaptionOffset + layout::kCaptionHeight; ++y)
            for (int x = r.left + 4; x < r.left + r.width - 4; ++x)
                ink += picture->luma(x, y) < 170;
        EXPECT_EQ(ink, 0) << "VK " << k.vk << " " << k.label << " " << k.sub;
    }
}

TEST(Pictures, PianoKeysLieUnderThePianoShapes) {
    const auto picture = load("PKeyboard.gif");
    ASSERT_TRUE(picture);
    for (const layout::PianoKey& k : layout::pianoKeys()) {
        const int cx = k.rect.left + k.rect.width / 2;
        if (k.black) {
            EXPECT_LT(picture->luma(cx, k.rect.height / 2), 80) << "note " << 24 + k.index;
        } else {
            EXPECT_GT(picture->luma(cx, k.rect.height - 20), 200) << "note " << 24 + k.index;
        }
    }
}

TEST(Pictures, StaffLinesLieWhereTheMarkersMarkTheNotes) {
    // A marker's circle is centred in its label: note 60 has Top 62, each diatonic step is 4
    // pixels, so E4 G4 B4 D5 F5 are centred at 60, 52, 44, 36 and 28.
    const int lines[5] = {60, 52, 44, 36, 28};
    for (int i = 0; i < 5; ++i) {
        const int steps = 2 + 2 * i;  // E4 is two steps above middle C
        EXPECT_EQ(layout::kMiddleCTop - 4 * steps + layout::kMarkerHeight / 2, lines[i]);
    }
    for (const std::string& name : keySignatureFiles()) {
        const auto picture = load(name);
        ASSERT_TRUE(picture) << name;
        // Along the marker column the five lines are dark and the spaces between them light.
        for (int x = layout::kMarkerLeft; x < layout::kMarkerLeft + layout::kMarkerWidth; x += 5) {
            for (int y : lines)
                EXPECT_LT(picture->luma(x, y), 110) << name << " line y=" << y;
            for (int y : lines) {
                if (y == 28) continue;
                EXPECT_GT(picture->luma(x, y - 4), 200) << name << " space y=" << y - 4;
            }
            EXPECT_GT(picture->luma(x, 20), 200) << name;  // nothing above the staff
            EXPECT_GT(picture->luma(x, 68), 200) << name;  // nor at middle C
        }
    }
}

TEST(Pictures, KeySignaturesDifferFromEachOther) {
    std::vector<std::vector<uint32_t>> seen;
    for (const std::string& name : keySignatureFiles()) {
        const auto picture = load(name);
        ASSERT_TRUE(picture) << name;
        for (const auto& other : seen)
            EXPECT_NE(picture->rgb, other) << name;
        seen.push_back(picture->rgb);
    }
}

}  // namespace
}  // namespace muto

namespace muto {
namespace {

// The animated GIFs of the AnimationGif folder: they decode, loop for ever, and every frame
// differs from the one before, so that the animation shows.
TEST(AnimationPictures, LoopingGifsWhoseFramesChange) {
    for (const char* name : {"notes.gif", "metronome.gif", "equaliser.gif"}) {
        const std::string path = std::string(MUTO_PROGRAM_DIR) + "/AnimationGif/" + name;
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        ASSERT_TRUE(gif) << path;
        ASSERT_EQ(DGifSlurp(gif), GIF_OK) << path;
        EXPECT_GE(gif->ImageCount, 8) << name;
        EXPECT_EQ(gif->SWidth, 64) << name;
        bool loops = false;
        for (int e = 0; e < gif->SavedImages[0].ExtensionBlockCount; ++e) {
            const ExtensionBlock& b = gif->SavedImages[0].ExtensionBlocks[e];
            if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                std::string(reinterpret_cast<const char*>(b.Bytes), 11) == "NETSCAPE2.0")
                loops = true;
        }
        EXPECT_TRUE(loops) << name;
        for (int k = 1; k < gif->ImageCount; ++k) {
            const auto* a = gif->SavedImages[k - 1].RasterBits;
            const auto* b = gif->SavedImages[k].RasterBits;
            EXPECT_FALSE(std::equal(a, a + 64 * 64, b)) << name << " frame " << k + 1;
        }
        DGifCloseFile(gif, &error);
    }
}

}  // namespace
}  // namespace muto
