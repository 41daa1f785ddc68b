// What every backend tells screen readers, on the simulated host: the exposed elements, what
// changes between two exposures, and a button's default action (hit-testing is checked through
// each platform's interface).
#include <gtest/gtest.h>

#include "host/runtime/accessibility.h"
#include "tests/support.h"

namespace tarvik {
namespace {

// "elem role name x,y wxh" per exposed element.
std::string Items(sim::SimHost& h) {
    std::string out;
    for (const AccessibleItem& i : h.AccessibleItemsNow()) {
        const PixelRect& b = i.box;
        out += std::string(ElemName(i.elem)) + " " + std::to_string(static_cast<int>(i.role)) + " \"" + i.name + "\" " +
               std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.w) + "x" + std::to_string(b.h) + "\n";
    }
    return out;
}

std::string Changes(const std::vector<AccessibleItem>& before, const std::vector<AccessibleItem>& after) {
    static const char* const kWords[] = {"shown", "hidden", "renamed", "moved"};
    std::string out;
    for (const AccessibleEvent& e : AccessibleChanges(before, after))
        out += std::string(ElemName(e.elem)) + " " + kWords[static_cast<int>(e.change)] + "; ";
    return out;
}

TEST(Accessibility, ExposesTheVisibleControlsAndFollowsMaximizeAndMinimize) {
    test::Sim sim;
    sim.Do("start");
    sim::SimHost& h = sim.Host();
    // Roles: 0 title bar, 1 push button, 2 grip. The right grip is cut at the face's top edge.
    EXPECT_EQ(Items(h),
              "IMBar 0 \"Lumenta\" 0,0 217x17\n"
              "Immin 1 \"最小化\" 217,8 17x16\n"
              "Immax 1 \"最大化\" 238,8 17x16\n"
              "Imclose 1 \"关闭\" 259,8 17x16\n"
              "Pbottom 2 \"调整高度\" 0,218 274x13\n"
              "Pright 2 \"调整宽度\" 281,0 9x199\n"
              "Pjiao 2 \"调整大小\" 273,214 17x17\n");
    const auto normal = h.AccessibleItemsNow();
    EXPECT_EQ(h.AccessibleHitNow(284, 100), Elem::Pright) << "the right grip at the face's right edge";

    // The default action runs Immax_Click: the same chain as a click, its tooltip names the button.
    EXPECT_TRUE(h.DoDefaultAction(Elem::Immax));
    ASSERT_EQ(h.WindowState(), kMaximized);
    const auto maximized = h.AccessibleItemsNow();
    EXPECT_EQ(Changes(normal, maximized),
              "IMBar moved; Immin moved; Immax renamed; Immax moved; Imclose moved; Pbottom hidden; Pright hidden; "
              "Pjiao moved; ");
    EXPECT_EQ(FindAccessible(maximized, Elem::Immax)->name, "还原");
    EXPECT_EQ(Changes(maximized, normal),
              "IMBar moved; Immin moved; Immax renamed; Immax moved; Imclose moved; Pbottom shown; Pright shown; "
              "Pjiao moved; ");
    EXPECT_EQ(Changes(normal, normal), "");

    // Each element's default action, and the state it leaves the window in: the title bar's is
    // its double-click (maximize, restore); a grip has none, and a hidden grip is not there at all.
    struct Action {
        Elem elem;
        AccessibleAction kind;
        bool done;
        int state;
    };
    const Action actions[] = {
        {Elem::IMBar, AccessibleAction::DoubleClick, true, kNormal},
        {Elem::IMBar, AccessibleAction::DoubleClick, true, kMaximized},
        {Elem::Pjiao, AccessibleAction::None, false, kMaximized},
        {Elem::Pbottom, AccessibleAction::None, false, kMaximized},
        {Elem::IMBar, AccessibleAction::DoubleClick, true, kNormal},
        {Elem::Pright, AccessibleAction::None, false, kNormal},
        {Elem::Immin, AccessibleAction::Click, true, kMinimized},
    };
    for (const Action& a : actions) {
        EXPECT_EQ(DefaultActionOf(a.elem), a.kind) << ElemName(a.elem);
        EXPECT_EQ(h.DoDefaultAction(a.elem), a.done)
            << "expected " << ElemName(a.elem) << (a.done ? " to act" : " not to act");
        EXPECT_EQ(h.WindowState(), a.state) << "after the default action of " << ElemName(a.elem);
    }
    EXPECT_EQ(Items(h), "") << "a minimized window shows, so exposes, nothing";
}

TEST(Accessibility, AFailingDefaultActionEndsTheProgramAsAFailingClickDoes) {
    test::Sim sim;
    sim.Do("start\nfail SetWindowState");
    EXPECT_TRUE(sim.Host().DoDefaultAction(Elem::Immin));
    EXPECT_FALSE(sim.Host().Running());
    EXPECT_NE(sim.Host().ExitStatus(), 0);
    EXPECT_NE(sim.Host().FailureMessage().find("Immin_Click"), std::string::npos) << sim.Host().FailureMessage();
    EXPECT_FALSE(sim.Host().DoDefaultAction(Elem::Immax)) << "an ended program takes no more actions";
}

}  // namespace
}  // namespace tarvik
