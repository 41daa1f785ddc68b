// Hostile sizes and refusals on the real window: a window far too large for its face, a region
// the system refuses, and a creation that fails after the window exists.
#include <algorithm>
#include <cstdio>

#include "tests/win32/check.h"
#include "tests/win32/support.h"

namespace tarvik::test {

namespace {

constexpr int kHugeSide = 16000;

}  // namespace

// Another program sizes the window to 16000 x 16000: the window takes what the system allows
// (a sizable window is held to its largest tracking size), the face may be capped, but the
// window keeps its frame, outline and input, paints without failing, and closes with status 0.
TEST(AWindowSizedFarBeyondItsFaceStillShowsBehavesAndCloses) {
    Program p;
    const Color back = Form1Design().backColor;
    const Color frameAtStart = p.host.ShownPixel(5, 5);
    CHECK(SetWindowPos(p.host.Window(), nullptr, 0, 0, kHugeSide, kHugeSide,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE);
    PumpIdle();
    RECT r{};
    GetWindowRect(p.host.Window(), &r);
    std::printf("window %ld x %ld, face %d x %d\n", r.right - r.left, r.bottom - r.top, p.host.FaceWidth(),
                p.host.FaceHeight());
    CHECK(p.host.Running());
    CHECK_EQ(std::string(""), p.host.FailureMessage());
    CHECK_EQ(2, p.host.ResizeCount());
    CHECK_EQ(static_cast<float>(r.right - r.left) * 15, p.host.Width());
    CHECK(p.host.FaceWidth() >= 1 && p.host.FaceWidth() <= r.right - r.left);
    CHECK(p.host.FaceHeight() >= 1 && p.host.FaceHeight() <= r.bottom - r.top);
    // The title bar is painted again at the top-left, the interior is the back colour.
    CHECK_EQ(Hex(frameAtStart), Hex(p.host.ShownPixel(5, 5)));
    CHECK_EQ(Hex(back), Hex(p.host.ShownPixel(100, 100)));
    // A paint of what the screen shows goes through without a failure.
    InvalidateRect(p.host.Window(), nullptr, FALSE);
    UpdateWindow(p.host.Window());
    CHECK(p.host.Running());
    // The outline follows the new size: the far bottom-right corner is cut, just inside it is not.
    ::HRGN region = CreateRectRgn(0, 0, 0, 0);
    CHECK(GetWindowRgn(p.host.Window(), region) != ERROR);
    CHECK(!PtInRegion(region, r.right - r.left - 1, r.bottom - r.top - 1));
    CHECK(PtInRegion(region, r.right - r.left - 5, r.bottom - r.top - 5));
    DeleteObject(region);
    // Input still reaches the procedures: hovering the minimize button shows its hover picture.
    const PixelRect button = p.ElemPixels(Elem::Immin);
    CHECK(button.x > 0 && button.x < r.right - r.left);
    PostMessageW(p.host.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(button.x + 2, button.y + 2));
    CHECK(PumpUntil([&] { return p.host.Elements()[static_cast<std::size_t>(Elem::Immin)].picture == Picture::A9; }));
    PostMessageW(p.host.Window(), WM_CLOSE, 0, 0);
    CHECK(PumpUntil([&] { return p.host.Window() == nullptr; }));
    CHECK_EQ(0, p.host.ExitStatus());
}

// The face itself: a size no system can give is capped, and halved on its longer side until it
// can be made; the face it makes is whole and in the back colour.
TEST(AFaceTooLargeToAllocateIsCappedNotFailed) {
    constexpr int kImpossible = 60000;  // 60000 x 60000 x 4 bytes: 14.4 GB
    const Color back = Form1Design().backColor;
    win32::Face face;
    CHECK(face.Resize(290, 231, back));
    CHECK(face.Resize(kImpossible, kImpossible, back));
    std::printf("a face asked for %d x %d was made %d x %d\n", kImpossible, kImpossible, face.Width(), face.Height());
    CHECK(face.Width() >= 1 && face.Height() >= 1);
    CHECK(face.Width() <= kMaxFaceSide && face.Height() <= kMaxFaceSide);
    CHECK_EQ(Hex(back), Hex(face.Pixel(face.Width() - 1, face.Height() - 1)));
    CHECK_EQ(std::string("0xFFFFFFFF"), Hex(face.Pixel(face.Width(), 0)));
}

// A drag's sizes, shrinking and growing within the face's store and beyond it: what was drawn
// stays where the face still reaches, and every pixel the face newly covers is the back colour,
// never what an earlier, larger face left in the store.
TEST(AResizedFaceKeepsItsDrawingAndShowsBackWhereItGrew) {
    struct Size {
        int w, h;
    };
    constexpr Color kDrawn = 0x0000FF;
    const Color back = Form1Design().backColor;
    const Size sizes[] = {{300, 200}, {200, 120}, {300, 200}, {305, 290}, {900, 700}, {40, 30}, {900, 700}};
    win32::Face face;
    Size was{0, 0};
    for (const Size& now : sizes) {
        CHECK(face.Resize(now.w, now.h, back));
        CHECK_EQ(now.w, face.Width());
        CHECK_EQ(now.h, face.Height());
        if (was.w) {
            const int keptW = std::min(was.w, now.w), keptH = std::min(was.h, now.h);
            CHECK_EQ(Hex(kDrawn), Hex(face.Pixel(keptW - 1, keptH - 1)));
            if (now.w > was.w) CHECK_EQ(Hex(back), Hex(face.Pixel(now.w - 1, 0)));
            if (now.h > was.h) CHECK_EQ(Hex(back), Hex(face.Pixel(0, now.h - 1)));
        }
        const RECT all{0, 0, now.w, now.h};
        SetDCBrushColor(face.Dc(), kDrawn);
        FillRect(face.Dc(), &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        was = now;
    }
}

// As the system documents, a region SetWindowRgn refuses (another window) stays the caller's,
// who may still delete it; the window's own is shown by the system.
TEST(ARegionTheSystemRefusesStaysTheProgramsAndOursIsShown) {
    Program p;
    const tarvik::HRGN refused = p.host.CreateRectRgn(0, 0, 10, 10);
    const ::HWND notAWindow = reinterpret_cast<::HWND>(static_cast<std::uintptr_t>(0xDEAD0));
    CHECK_EQ(0, p.host.SetWindowRgn(reinterpret_cast<tarvik::HWND>(notAWindow), refused, -1));
    CHECK_EQ(1, p.host.DeleteObject(refused));
    const tarvik::HRGN taken = p.host.CreateRectRgn(0, 0, 100, 100);
    CHECK(p.host.SetWindowRgn(p.host.hWnd(), taken, -1) != 0);
    RECT box{};
    ::HRGN now = CreateRectRgn(0, 0, 0, 0);
    CHECK(GetWindowRgn(p.host.Window(), now) != ERROR);
    GetRgnBox(now, &box);
    DeleteObject(now);
    CHECK_EQ(100L, box.right);
}

}  // namespace tarvik::test
