// Which element pictures show over the face, where, and in which order: the one answer every
// backend's painter draws by.
#include <gtest/gtest.h>

#include <functional>

#include "host/runtime/shown_pictures.h"
#include "tests/support.h"

namespace tarvik {
namespace {

// "elem x,y wxh" per picture, in drawing order.
std::string Describe(const ShownPictures& pictures) {
    std::string out;
    for (const ShownPicture& p : pictures)
        out += std::string(ElemName(p.elem)) + " " + std::to_string(p.box.x) + "," + std::to_string(p.box.y) + " " +
               std::to_string(p.box.w) + "x" + std::to_string(p.box.h) + "; ";
    return out;
}

TEST(ShownPictures, FollowTheElementTableInDrawingOrder) {
    test::Sim sim;
    sim.Do("start");
    PictureSizes sizes{};
    for (PictureSize& s : sizes) s = {17, 16};
    sizes[static_cast<std::size_t>(Picture::None)] = {};
    struct Case {
        const char* what;
        std::function<void(ElementTable&)> change;
        const char* expected;
    };
    const Case cases[] = {
        {"as laid out: the later elements beneath, so first", [](ElementTable&) {},
         "Immin 217,8 17x16; Immax 238,8 17x16; Imclose 259,8 17x16; "},
        {"a hidden element shows nothing", [](ElementTable& t) { t[static_cast<std::size_t>(Elem::Immax)].visible = false; },
         "Immin 217,8 17x16; Imclose 259,8 17x16; "},
        {"an element without a picture shows nothing",
         [](ElementTable& t) { t[static_cast<std::size_t>(Elem::Imclose)].picture = Picture::None; },
         "Immin 217,8 17x16; Immax 238,8 17x16; "},
        {"a picture is cut to a smaller element", [](ElementTable& t) { t[static_cast<std::size_t>(Elem::Immin)].width = 150; },
         "Immin 217,8 10x16; Immax 238,8 17x16; Imclose 259,8 17x16; "},
        {"a picture box's picture is the face's, not drawn over it",
         [](ElementTable& t) { t[static_cast<std::size_t>(Elem::Pmain)].visible = true; },
         "Immin 217,8 17x16; Immax 238,8 17x16; Imclose 259,8 17x16; "},
        {"an image shown again lies over the ones after it in the design",
         [](ElementTable& t) { t[static_cast<std::size_t>(Elem::Imico)].visible = true; },
         "Immin 217,8 17x16; Immax 238,8 17x16; Imclose 259,8 17x16; Imico 344,376 16x16; "},
        {"as the window starts, no element shows a picture of its own",
         [&](ElementTable& t) { t = sim.Host().Elements(); }, ""},
    };
    // The caption buttons show a look of their own over the face's (as under the pointer).
    ElementTable shown = sim.Host().Elements();
    for (Elem e : {Elem::Immin, Elem::Immax, Elem::Imclose}) shown[static_cast<std::size_t>(e)].picture = Picture::A9;
    for (const Case& c : cases) {
        ElementTable table = shown;
        c.change(table);
        EXPECT_EQ(Describe(PicturesOnFace(table, Form1Design(), sizes)), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace tarvik
