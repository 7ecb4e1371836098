// The rules of the form model that start-up, the config reader and playback rely on: a changed
// value stores itself, tells the view and runs the handler once; an equal value does nothing;
// values a control cannot take are refused.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "form/control_array.h"
#include "form/controls.h"
#include "form/key_input.h"
#include "form/visual_options.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

struct CountingObserver : ControlObserver {
    void controlChanged(Control& c) override { ++changes[&c]; }
    std::map<const Control*, int> changes;
};

// Each row sets a value on a fresh control: whether it is taken, and how many handler runs and
// notices follow. Every row is also run a second time with the same value, which must do nothing.
struct Row {
    const char* what;
    std::function<bool(CheckBox&, ScrollBar&, ListBox&)> set;
    bool accepted;
    int handlerRuns;
};

TEST(FormModel, ChangesRunTheHandlerOnceEqualValuesNothingAndBadValuesAreRefused) {
    const Row rows[] = {
        {"check 1", [](CheckBox& c, ScrollBar&, ListBox&) { return c.setValue(1); }, true, 1},
        {"check 2 (grey)", [](CheckBox& c, ScrollBar&, ListBox&) { return c.setValue(2); }, true,
         1},
        {"check 0 (equal)", [](CheckBox& c, ScrollBar&, ListBox&) { return c.setValue(0); }, true,
         0},
        {"check 3", [](CheckBox& c, ScrollBar&, ListBox&) { return c.setValue(3); }, false, 0},
        {"check -1", [](CheckBox& c, ScrollBar&, ListBox&) { return c.setValue(-1); }, false, 0},
        {"bar 50", [](CheckBox&, ScrollBar& b, ListBox&) { return b.setValue(50); }, true, 1},
        {"bar 70 (equal)", [](CheckBox&, ScrollBar& b, ListBox&) { return b.setValue(70); }, true,
         0},
        {"bar above max", [](CheckBox&, ScrollBar& b, ListBox&) { return b.setValue(101); }, false,
         0},
        {"bar below min", [](CheckBox&, ScrollBar& b, ListBox&) { return b.setValue(-1); }, false,
         0},
        {"list 1", [](CheckBox&, ScrollBar&, ListBox& l) { return l.setListIndex(1); }, true, 1},
        {"list -1", [](CheckBox&, ScrollBar&, ListBox& l) { return l.setListIndex(-1); }, true, 1},
        {"list 0 (equal)", [](CheckBox&, ScrollBar&, ListBox& l) { return l.setListIndex(0); },
         true, 0},
        {"list past end", [](CheckBox&, ScrollBar&, ListBox& l) { return l.setListIndex(3); },
         false, 0},
    };
    for (const Row& row : rows) {
        CheckBox check("chk");
        ScrollBar bar("vbar");
        bar.setRange(100, 0, 1, 10);  // Min above Max, as the effect bars have it
        bar.setValue(70);
        ListBox list("cmb");
        for (const char* item : {"a", "b", "c"})
            list.addItem(item);
        list.setListIndex(0);
        int runs = 0;
        check.onClick = bar.onChange = list.onClick = [&] { ++runs; };
        CountingObserver seen;
        for (Control* c : std::initializer_list<Control*>{&check, &bar, &list})
            c->setObserver(&seen);

        EXPECT_EQ(row.set(check, bar, list), row.accepted) << row.what;
        EXPECT_EQ(runs, row.handlerRuns) << row.what;
        int notices = 0;
        for (auto& [control, n] : seen.changes)
            notices += n;
        EXPECT_EQ(notices, row.handlerRuns) << row.what;
        row.set(check, bar, list);  // the same value again
        EXPECT_EQ(runs, row.handlerRuns) << row.what << " (again)";
    }
}

TEST(FormModel, DraggingScrollsAndTheEndOfTheDragChanges) {
    ScrollBar bar("vbar");
    bar.setRange(1, 30, 1, 5);
    int changes = 0, scrolls = 0;
    bar.onChange = [&] { ++changes; };
    bar.onScroll = [&] { ++scrolls; };
    EXPECT_TRUE(bar.dragTo(5));
    EXPECT_TRUE(bar.dragTo(6));
    EXPECT_FALSE(bar.dragTo(31));
    EXPECT_EQ(bar.value(), 6);
    EXPECT_EQ(scrolls, 2);
    EXPECT_EQ(changes, 0);
    bar.endDrag();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(bar.setValue(6));  // the value the drag left: nothing more
    EXPECT_EQ(changes, 1);
}

TEST(FormModel, ClearingAListForgetsItemsAndSelectionWithoutAClick) {
    ListBox list("cmb");
    list.addItem("500Key", 1000);
    list.addItem("1000Key", 2000);
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    list.setListIndex(1);
    EXPECT_EQ(list.selectedItemData(), 2000);
    list.clear();
    EXPECT_EQ(list.listCount(), 0);
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.text(), "");
    EXPECT_EQ(list.selectedItemData(), 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(list.setListIndex(0));
}

TEST(FormModel, SystemColoursResolveThroughTheClassicTable) {
    EXPECT_EQ(resolveColour(rgb(1, 2, 3)), rgb(1, 2, 3));
    EXPECT_EQ(resolveColour(systemColour(21)), rgb(64, 64, 64));  // 3-D dark shadow
    EXPECT_EQ(resolveColour(systemColour(15)), rgb(212, 208, 200));
    EXPECT_EQ(resolveColour(systemColour(500)), 0u);
    EXPECT_EQ(static_cast<int32_t>(systemColour(21)), -2147483627);
}

TEST_F(FormTest, ControlsCreatedLaterAreSeenByTheView) {
    Form1& f = started();
    CountingObserver seen;
    f.setObserver(&seen);
    ASSERT_FALSE(f.lbl_KeyCaption.exists(8));
    f.chk_KeysetMode.setValue(1);
    down(32);
    tap(8);  // Backspace raised from no note gets a caption label of its own
    up(32);
    ASSERT_TRUE(f.lbl_KeyCaption.exists(8));
    Label& late = f.lbl_KeyCaption(8);
    EXPECT_GT(seen.changes[&late], 0);
    EXPECT_EQ(late.viewKind(), ViewKind::Painted);
    const int before = seen.changes[&late];
    late.setCaption("x");
    EXPECT_EQ(seen.changes[&late], before + 1);
    f.setObserver(nullptr);
}

TEST_F(FormTest, SwatchesStartAtTheirDesignColours) {
    Form1& f = started();
    EXPECT_EQ(f.lbl_Color(0).backColor(), 0u);
    EXPECT_EQ(static_cast<int32_t>(f.lbl_Color(1).backColor()), -2147483627);
    EXPECT_EQ(f.lbl_Color(2).backColor(), 65280u);
    EXPECT_EQ(f.visualOptions().pressColor, 65280u);
}

}  // namespace
}  // namespace muto::test
