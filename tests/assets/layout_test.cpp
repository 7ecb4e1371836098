// The layout table: the key shapes match the instrument's roles and the keyboard grid, nothing
// that must stay apart overlaps, and every control lies inside its part of the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "form/layout.h"
#include "instrument/key_layout.h"

namespace muto {
namespace {

bool overlaps(const Rect& a, const Rect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

bool inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

std::string describe(const Rect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.width) + "x" + std::to_string(r.height) + ")";
}

// The instrument's role of every key that has a shape, written out independently of the table.
std::map<int, int> expectedRoles() {
    std::map<int, int> roles;
    for (int vk = 48; vk <= 57; ++vk)
        roles[vk] = 0;
    for (int vk = 65; vk <= 90; ++vk)
        roles[vk] = 0;
    for (int vk : {8, 186, 187, 188, 189, 190, 191, 219, 220, 221, 222})
        roles[vk] = 0;
    for (int vk : {13, 33, 34, 35, 36, 37, 38, 39, 40, 45, 46, 106, 107, 109, 110, 111, 144})
        roles[vk] = 1;
    for (int vk = 96; vk <= 105; ++vk)
        roles[vk] = 1;
    for (int vk : {17, 27, 32})
        roles[vk] = 3;
    for (int vk = 112; vk <= 118; ++vk)
        roles[vk] = 4;
    for (int vk : {16, 18, 19, 119, 120, 122, 123})
        roles[vk] = 5;
    return roles;
}

TEST(KeyShapes, OneShapePerInstrumentKeyWithItsRole) {
    const std::map<int, int> expected = expectedRoles();
    ASSERT_EQ(expected.size(), 91u);
    std::set<int> shapes;
    for (const layout::KeyShape& k : layout::keyShapes()) {
        EXPECT_TRUE(shapes.insert(k.vk).second) << "duplicate shape for VK " << k.vk;
        EXPECT_EQ(layout::keyShapeOf(k.vk), &k);
    }
    for (int vk = -1; vk <= 256; ++vk) {
        const auto role = keyRoleOf(vk);
        const auto want = expected.find(vk);
        ASSERT_EQ(role.has_value(), want != expected.end()) << "VK " << vk;
        EXPECT_EQ(shapes.count(vk), want != expected.end() ? 1u : 0u) << "VK " << vk;
        if (role) {
            EXPECT_EQ(static_cast<int>(*role), want->second) << "VK " << vk;
        }
    }
    EXPECT_EQ(layout::keyShapeOf(121), nullptr);  // F10 has no shape
    EXPECT_EQ(layout::keyShapeOf(9), nullptr);    // nor has Tab
}

TEST(KeyShapes, SitOnTheKeyboardGridInWholePixels) {
    const std::set<int> rows = {120, 660, 1140, 1620, 2100, 2580};
    for (const layout::KeyShape& k : layout::keyShapes()) {
        SCOPED_TRACE("VK " + std::to_string(k.vk));
        EXPECT_TRUE(rows.count(k.top));
        EXPECT_EQ(k.left % layout::kTwipsPerPixel, 0);
        EXPECT_EQ(k.width % layout::kTwipsPerPixel, 0);
        EXPECT_EQ(k.height % layout::kTwipsPerPixel, 0);
        EXPECT_TRUE(k.height == 435 || ((k.vk == 13 || k.vk == 107) && k.height == 915));
    }
    // Every row of the main block, wide keys included, ends flush at the same right edge.
    std::map<int, int> rowEnd;
    auto extend = [&rowEnd](int top, int left, int width) {
        if (left < 7440) rowEnd[top] = std::max(rowEnd[top], left + width);
    };
    for (const layout::KeyShape& k : layout::keyShapes())
        extend(k.top, k.left, k.width);
    for (const layout::ImgShape& s : layout::imgShapes())
        extend(s.top, s.left, s.width);
    for (const auto& [top, end] : rowEnd)
        EXPECT_EQ(end, 7275) << "row at " << top;
    // Spot checks of the wide keys and the block edges.
    EXPECT_EQ(layout::keyShapeOf(32)->width, 2775);
    EXPECT_EQ(layout::keyShapeOf(16)->width, 1155);
    EXPECT_EQ(layout::keyShapeOf(96)->width, 915);
    EXPECT_EQ(layout::keyShapeOf(81)->left, 840);   // Q
    EXPECT_EQ(layout::keyShapeOf(65)->left, 1020);  // A
    EXPECT_EQ(layout::keyShapeOf(90)->left, 1320);  // Z
    EXPECT_EQ(layout::keyShapeOf(8)->left, 120 + 14 * 480);
    EXPECT_EQ(layout::keyShapeOf(45)->left, 7440);
    EXPECT_EQ(layout::keyShapeOf(144)->left, 9000);
    EXPECT_EQ(layout::keyShapeOf(38)->left, 7920);  // Up sits over Down
    EXPECT_EQ(layout::keyShapeOf(38)->left, layout::keyShapeOf(40)->left);
}

TEST(ImgShapes, SixteenWithRightCtrlAndTheHiddenSpare) {
    std::set<int> indices;
    int hidden = 0;
    for (const layout::ImgShape& s : layout::imgShapes()) {
        EXPECT_TRUE(indices.insert(s.index).second);
        EXPECT_GE(s.index, 0);
        EXPECT_LE(s.index, 31);
        if (s.hidden) {
            ++hidden;
            EXPECT_EQ(s.index, 13);
        }
    }
    EXPECT_EQ(indices.size(), 16u);
    EXPECT_EQ(hidden, 1);
    // shp_img(12) is the right Ctrl key: bottom row, right of Space, the last key of the block.
    const Rect ctrl = layout::placeOf("shp_img", 12);
    const Rect space = layout::placeOf("shp_key", 32);
    EXPECT_EQ(ctrl.top, space.top);
    EXPECT_GT(ctrl.left, space.left + space.width);
    for (const layout::ImgShape& s : layout::imgShapes()) {
        const Rect r = layout::placeOf("shp_img", s.index);
        if (r.top == ctrl.top && r.left < layout::px(7440)) {
            EXPECT_LE(r.left, ctrl.left);
        }
    }
}

TEST(KeyShapes, NoTwoVisibleShapesOverlapAndAllLieOnThePicture) {
    struct Item {
        std::string name;
        Rect rect;
    };
    std::vector<Item> items;
    for (const layout::KeyShape& k : layout::keyShapes())
        items.push_back(
            {"shp_key(" + std::to_string(k.vk) + ")", layout::placeOf("shp_key", k.vk)});
    for (const layout::ImgShape& s : layout::imgShapes())
        if (!s.hidden)
            items.push_back(
                {"shp_img(" + std::to_string(s.index) + ")", layout::placeOf("shp_img", s.index)});
    ASSERT_EQ(items.size(), 91u + 15u);
    const Rect picture = layout::keyboardPicture();
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_TRUE(inside(items[i].rect, picture)) << items[i].name;
        EXPECT_GT(items[i].rect.width, 0);
        for (size_t j = i + 1; j < items.size(); ++j) {
            const bool enterParts =
                (items[i].name == "shp_img(8)" && items[j].name == "shp_img(9)") ||
                (items[i].name == "shp_img(9)" && items[j].name == "shp_img(8)");
            if (enterParts) continue;
            EXPECT_FALSE(overlaps(items[i].rect, items[j].rect))
                << items[i].name << describe(items[i].rect) << " and " << items[j].name
                << describe(items[j].rect);
        }
    }
    // The two parts of the main Enter key do form one key: they overlap and share the right edge.
    const Rect upper = layout::placeOf("shp_img", 8), lower = layout::placeOf("shp_img", 9);
    EXPECT_TRUE(overlaps(upper, lower));
    EXPECT_EQ(upper.left + upper.width, lower.left + lower.width);
}

TEST(Piano, SeventyThreeKeysFromNote24WithBlackKeysOnTop) {
    const auto keys = layout::pianoKeys();
    ASSERT_EQ(keys.size(), 73u);
    const Rect box = layout::pianoBox();
    std::vector<Rect> whites;
    for (size_t i = 0; i < keys.size(); ++i) {
        const layout::PianoKey& k = keys[i];
        EXPECT_EQ(k.index, static_cast<int>(i));
        const int pc = (24 + k.index) % 12;
        const bool black = pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
        EXPECT_EQ(k.black, black) << "note " << 24 + k.index;
        EXPECT_TRUE(inside(k.rect, {0, 0, box.width, box.height})) << "note " << 24 + k.index;
        EXPECT_EQ(layout::placeOf("shp_piano", k.index), k.rect);
        if (!k.black) whites.push_back(k.rect);
    }
    ASSERT_EQ(whites.size(), 43u);
    // White keys tile the box from edge to edge, in note order.
    int x = 0;
    for (const Rect& r : whites) {
        EXPECT_EQ(r.left, x);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.height, box.height);
        x = r.left + r.width;
    }
    EXPECT_EQ(x, box.width);
    // Each black key straddles the boundary of its two white neighbours, shorter than them.
    for (const layout::PianoKey& k : keys) {
        if (!k.black) continue;
        const Rect below = keys[static_cast<size_t>(k.index - 1)].rect;
        const Rect above = keys[static_cast<size_t>(k.index + 1)].rect;
        const int boundary = below.left + below.width;
        EXPECT_EQ(boundary, above.left);
        EXPECT_LT(k.rect.left, boundary);
        EXPECT_GT(k.rect.left + k.rect.width, boundary);
        EXPECT_LT(k.rect.height, below.height);
        for (const layout::PianoKey& other : keys)
            if (other.black && other.index != k.index) {
                EXPECT_FALSE(overlaps(k.rect, other.rect));
            }
    }
    EXPECT_EQ(layout::placeOf("shp_piano", 73), Rect{});
    EXPECT_EQ(layout::placeOf("shp_piano", -1), Rect{});
}

// Places given relative to a picture box rather than to the window.
bool relative(const layout::Place& p) {
    return p.name == "shp_progress" || p.name == "lbl_note" ||
           (p.name == "lbl_CircleColor" && p.index != 9);
}

TEST(Places, WindowPartsStackAndTheShortWindowKeepsItsControls) {
    const Rect panel = layout::controlPanel();
    EXPECT_EQ(layout::windowWidth(), panel.width);
    EXPECT_EQ(panel.top, layout::px(layout::kShortHeightTwips));
    EXPECT_EQ(panel.top + panel.height, layout::px(layout::kTallHeightTwips));
    const Rect shortWindow{0, 0, layout::windowWidth(), panel.top};
    EXPECT_EQ(layout::keyboardPicture(), shortWindow);
    for (const Rect& r : {layout::staffBox(), layout::pianoBox(), layout::placeOf("shp_BScr"),
                          layout::placeOf("lbl_BottomUD"), layout::placeOf("Label1", 3)})
        EXPECT_TRUE(inside(r, shortWindow)) << describe(r);
    // The lower part of the short window: staff box, flash bar, piano and toggle stay apart and
    // below every key.
    const Rect lower[] = {layout::staffBox(), layout::placeOf("shp_BScr"), layout::pianoBox(),
                          layout::placeOf("lbl_BottomUD")};
    for (size_t i = 0; i < std::size(lower); ++i) {
        for (size_t j = i + 1; j < std::size(lower); ++j)
            EXPECT_FALSE(overlaps(lower[i], lower[j])) << describe(lower[i]) << describe(lower[j]);
        for (const layout::KeyShape& k : layout::keyShapes())
            EXPECT_FALSE(overlaps(lower[i], layout::placeOf("shp_key", k.vk)));
    }
    EXPECT_EQ(layout::staffBox().width, 140);
    EXPECT_EQ(layout::staffBox().height, 100);
}

TEST(Places, LegendsLieOnTheirKeys) {
    const std::pair<int, Rect> legends[] = {
        {0, layout::placeOf("shp_key", 32)},  {1, layout::placeOf("shp_key", 17)},
        {2, layout::placeOf("shp_img", 12)},  {4, layout::placeOf("shp_key", 27)},
        {5, layout::placeOf("shp_key", 112)}, {11, layout::placeOf("shp_key", 118)}};
    for (const auto& [index, key] : legends)
        EXPECT_TRUE(inside(layout::placeOf("Label1", index), key)) << "Label1(" << index << ")";
    for (int d = 0; d < 7; ++d)
        EXPECT_TRUE(inside(layout::placeOf("Label1", 5 + d), layout::placeOf("shp_key", 112 + d)));
}

TEST(Places, EveryPanelControlInsideThePanelAndNoneOverlapping) {
    const Rect panel = layout::controlPanel();
    std::vector<const layout::Place*> inPanel;
    for (const layout::Place& p : layout::places()) {
        if (relative(p) || p.name == "img_ControlPanel") continue;
        if (p.rect.top >= panel.top) inPanel.push_back(&p);
    }
    // Every control the panel carries is there.
    const char* required[] = {
        "cmb_inst",        "cmb_OctShift",   "cmb_volume",        "chk_damper",
        "cmb_key",         "vbar_Effect",    "lbl_effect",        "chk_ESync",
        "cmd_record",      "cmd_play",       "cmd_pause",         "cmd_open",
        "cmd_save",        "pic_ProgBack",   "shp_StartPos",      "lbl_Home",
        "cmd_SavePlayPos", "cmb_RecMax",     "chk_KeyOutline",    "chk_caption",
        "chk_CaptionKor",  "chk_AniGif",     "chk_CircleTouch",   "chk_KeysetMode",
        "chk_BScr",        "lbl_Color",      "lbl_CircleColor",   "pic_Palette",
        "cmd_KeysetSave",  "cmd_KeysetOpen", "cmd_KeySetDefault", "cmd_AniGif",
        "ucAniGIF1",       "cmd_SaveConfig", "lbl_chk",           "Label2"};
    for (const char* name : required) {
        bool found = false;
        for (const layout::Place* p : inPanel)
            found = found || p->name == name;
        EXPECT_TRUE(found) << name;
    }
    for (size_t i = 0; i < inPanel.size(); ++i) {
        const layout::Place& a = *inPanel[i];
        EXPECT_TRUE(inside(a.rect, panel)) << a.name << "(" << a.index << ")";
        EXPECT_GT(a.rect.width, 0);
        EXPECT_GT(a.rect.height, 0);
        for (size_t j = i + 1; j < inPanel.size(); ++j) {
            const layout::Place& b = *inPanel[j];
            EXPECT_FALSE(overlaps(a.rect, b.rect))
                << a.name << "(" << a.index << ")" << describe(a.rect) << " and " << b.name << "("
                << b.index << ")" << describe(b.rect);
        }
    }
}

TEST(Places, ControlsInsideTheirBoxes) {
    const Rect bar = layout::placeOf("pic_ProgBack");
    const Rect progress = layout::placeOf("shp_progress");
    EXPECT_TRUE(inside(progress, {0, 0, bar.width, bar.height}));
    EXPECT_EQ(progress.height, bar.height);
    // The start marker for event 0 sits just below the bar's left end, in the click strip.
    const Rect marker = layout::placeOf("shp_StartPos");
    EXPECT_EQ(marker.left, bar.left - 4);
    EXPECT_EQ(marker.top, bar.top + bar.height);
    EXPECT_LE(marker.height, 7);
    const Rect palette = layout::placeOf("pic_Palette");
    for (int i = 0; i < 9; ++i) {
        const Rect swatch = layout::placeOf("lbl_CircleColor", i);
        EXPECT_TRUE(inside(swatch, {0, 0, palette.width, palette.height})) << i;
        for (int j = i + 1; j < 9; ++j)
            EXPECT_FALSE(overlaps(swatch, layout::placeOf("lbl_CircleColor", j)));
    }
    const Rect staff = layout::staffBox();
    for (int i = 0; i < 10; ++i) {
        const Rect note = layout::placeOf("lbl_note", i);
        EXPECT_EQ(note.left, 102);
        EXPECT_EQ(note.height, layout::kMarkerHeight);
        EXPECT_LE(note.left + note.width, staff.width);
    }
    EXPECT_EQ(layout::placeOf("no_such_control"), Rect{});
    EXPECT_EQ(layout::placeOf("cmb_inst", 2), Rect{});
}

TEST(Places, CaptionsOfTheDesign) {
    auto caption = [](std::string_view name, int index) -> std::string {
        for (const layout::Place& p : layout::places())
            if (p.name == name && p.index == index) return std::string(p.caption);
        return "<missing>";
    };
    const char* options[11] = {"채널1/2 연동", "키테두리",      "키자막", "한글자막",
                               "애니메이션",   "동심원 키터치", "F8",     "F9",
                               "키설정(b/#)",  "번쩍임",        "연습"};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(caption("lbl_chk", i), options[i]) << i;
    EXPECT_EQ(caption("Label2", 0), "채널 1");
    EXPECT_EQ(caption("Label2", 1), "채널 2");
    EXPECT_EQ(caption("Label2", 2), "악 기 (" + std::string(24, ' ') + ")");
    EXPECT_EQ(caption("Label2", 8), "키눌림");
    EXPECT_EQ(caption("Label1", 0), "＃ / 해제");
    EXPECT_EQ(caption("Label1", 3), "?");
    EXPECT_EQ(caption("Label1", 4), "#/b");
    EXPECT_EQ(caption("Label1", 11), "#7");
    EXPECT_EQ(caption("lbl_effect", 0), "음지속 70");
    EXPECT_EQ(caption("lbl_effect", 3), "x1.0");
    EXPECT_EQ(caption("cmd_record", -1), "●");
    EXPECT_EQ(caption("cmd_pause", -1), "||");
    EXPECT_EQ(caption("lbl_Home", -1), "▼");
    EXPECT_EQ(caption("lbl_BottomUD", -1), "▲");
    EXPECT_EQ(caption("cmd_KeySetDefault", -1), "초기화");
    EXPECT_EQ(caption("cmd_SaveConfig", -1), "저 장");
    EXPECT_EQ(caption("cmd_SavePlayPos", 2), "3");
}

}  // namespace
}  // namespace muto
