// Only what changed is painted again: each drawing call and element change invalidates its
// own rectangle of the window, not the whole of it.
#include <string>

#include "host/twips.h"
#include "tests/win32/check.h"
#include "tests/win32/support.h"

namespace tarvik::test {

namespace {

// The window's pending update rectangle after the step, with nothing pending before it.
std::string UpdateAfter(Program& p, void (*step)(Program&)) {
    ValidateRect(p.host.Window(), nullptr);
    step(p);
    RECT r{};
    if (!GetUpdateRect(p.host.Window(), &r, FALSE)) return "nothing";
    return Rect(r);
}

}  // namespace

TEST(EachChangeInvalidatesOnlyItsOwnRectangle) {
    Program p;
    const PixelRect immax = p.ElemPixels(Elem::Immax);
    const Picture hover = p.host.GetPicture(Elem::Immax1);
    struct Case {
        const char* what;
        void (*step)(Program&);
        std::string expected;
    };
    const Case cases[] = {
        {"a filled box", [](Program& q) { q.host.Line(150, 150, 300, 225, 0x00123456, LineKind::BoxFill); },
         "(10, 10, 20, 15)"},
        {"a box outline (both far ends drawn)", [](Program& q) { q.host.Line(150, 150, 300, 225, 0x00123456, LineKind::Box); },
         "(10, 10, 21, 16)"},
        {"a picture copy", [](Program& q) { q.host.PaintPicture(q.host.GetPicture(Elem::Pmain), 450, 600, 300, 150, 0, 0, 300, 150); },
         "(30, 40, 50, 50)"},
        {"a picture copy partly off the window", [](Program& q) { q.host.PaintPicture(q.host.GetPicture(Elem::Pmain), 4200, 3300, 600, 600, 0, 0, 600, 600); },
         "(280, 220, 290, 231)"},
        {"moving an element that shows no picture", [](Program& q) { q.host.SetElemLeft(Elem::IMBar, 15); }, "nothing"},
        {"a tag", [](Program& q) { q.host.SetTag(Elem::Pjiao, "1"); }, "nothing"},
    };
    for (const Case& c : cases) CHECK_EQ(std::string(c.what) + ": " + c.expected, std::string(c.what) + ": " + UpdateAfter(p, c.step));

    // A picture shown on a caption button, and taken away again: the button's square only.
    const std::string button = Rect(RECT{immax.x, immax.y, immax.x + immax.w, immax.y + immax.h});
    ValidateRect(p.host.Window(), nullptr);
    p.host.SetPicture(Elem::Immax, hover);
    RECT r{};
    CHECK(GetUpdateRect(p.host.Window(), &r, FALSE));
    CHECK_EQ("hover picture: " + button, "hover picture: " + Rect(r));
    ValidateRect(p.host.Window(), nullptr);
    p.host.SetPicture(Elem::Immax, Picture::None);
    r = {};
    CHECK(GetUpdateRect(p.host.Window(), &r, FALSE));
    CHECK_EQ("picture taken away: " + button, "picture taken away: " + Rect(r));

    // Text: where it starts, and far less than the window.
    ValidateRect(p.host.Window(), nullptr);
    p.host.SetCurrentX(540);
    p.host.SetCurrentY(120);
    p.host.Print("Lumenta");
    r = {};
    CHECK(GetUpdateRect(p.host.Window(), &r, FALSE));
    CHECK(r.left <= 36 && r.top <= 8 && r.right > 60 && r.bottom > 16);
    CHECK_EQ(std::string("text within the title bar"),
             std::string(r.bottom <= 40 && r.right <= 150 ? "text within the title bar" : "text invalidated " + Rect(r)));
    PumpIdle();
}

}  // namespace tarvik::test
