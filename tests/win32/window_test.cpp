// The window as created and shown, its outline, its face, and its size and state changes.
#include "host/twips.h"
#include "tests/win32/check.h"
#include "tests/win32/support.h"

#include <commctrl.h>
#include <oleacc.h>

namespace tarvik::test {

namespace {

// Checks the rounded outline of a window of w x h pixels at its corners and just inside them.
void CheckOutline(::HWND hwnd, int w, int h) {
    ::HRGN region = CreateRectRgn(0, 0, 0, 0);
    CHECK(GetWindowRgn(hwnd, region) != ERROR);
    const auto where = [&](int x, int y, bool in) {
        return std::to_string(x) + "," + std::to_string(y) + (in ? " inside" : " outside");
    };
    const int out[][2] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
    for (const auto& q : out) CHECK_EQ(where(q[0], q[1], false), where(q[0], q[1], PtInRegion(region, q[0], q[1])));
    const int in[][2] = {{0, 26}, {w - 1, 26}, {23, 0}, {w - 7, h - 1}, {w - 1, h - 7}, {w - 5, h - 5}};
    for (const auto& q : in) CHECK_EQ(where(q[0], q[1], true), where(q[0], q[1], PtInRegion(region, q[0], q[1])));
    DeleteObject(region);
}

}  // namespace

TEST(StartsCentredAtItsDesignSize) {
    Program p;
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    CHECK_EQ(std::string("(0, 0, 1024, 768)"), Rect(screen));
    CHECK_EQ(std::string("(367, 269, 657, 500)"), Rect(p.Rect()));
    CHECK_EQ(5505.0f, p.host.Left());
    CHECK_EQ(4027.5f, p.host.Top());  // the half twip the start-up move gave is kept
    CHECK_EQ(4350.0f, p.host.Width());
    CHECK_EQ(3465.0f, p.host.Height());
    CHECK_EQ(1, p.host.ResizeCount());
    CHECK_EQ(0, p.host.WindowState());
    CHECK(IsWindowVisible(p.host.Window()));
}

TEST(IsABorderlessSizablePopupWithSystemMenuAndTaskbarButton) {
    Program p;
    const ::HWND hwnd = p.host.Window();
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    CHECK((style & WS_POPUP) != 0);
    CHECK((style & WS_SYSMENU) != 0);
    CHECK((style & WS_MINIMIZEBOX) != 0);
    CHECK((style & WS_MAXIMIZEBOX) != 0);
    CHECK((style & WS_CAPTION) != WS_CAPTION);
    CHECK((style & WS_THICKFRAME) != 0);  // declared sizable, for window managers and snap
    CHECK_EQ(-1, static_cast<int>(GetMenuState(GetSystemMenu(hwnd, FALSE), SC_SIZE, MF_BYCOMMAND)));
    CHECK((exStyle & WS_EX_APPWINDOW) != 0);
    CHECK((GetClassLongPtrW(hwnd, GCL_STYLE) & CS_DBLCLKS) != 0);
    RECT client{};
    GetClientRect(hwnd, &client);
    CHECK_EQ(std::string("(0, 0, 290, 231)"), Rect(client));
    wchar_t title[32] = {};
    GetWindowTextW(hwnd, title, 32);
    CHECK(std::wstring(title) == L"Lumenta");
    CHECK(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0) != 0);
    CHECK(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0) != 0);
    // No sizing border anywhere, also on the outermost pixels where a frame would have one.
    for (const ::POINT at : {::POINT{367 + 100, 269 + 5}, ::POINT{367, 269}, ::POINT{367 + 289, 269 + 230},
                             ::POINT{367 + 289, 269 + 100}, ::POINT{367 + 100, 269 + 230}})
        CHECK_EQ(static_cast<LRESULT>(HTCLIENT), SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)));
}

TEST(FaceShowsTheFrameFromTheAtlas) {
    Program p;
    // The top-right block is copied unscaled: atlas (39..149, 0..28) lands at (179..289, 0..28).
    CHECK_EQ(std::string(), FirstPictureDifference(p, 179, 0, Picture::A2, 39, 0, 111, 29));
    CHECK_EQ(Hex(Rgb(255, 0, 0)), Hex(p.host.FacePixel(0, 0)));      // the red corner outside the outline
    // The caption text: some pixels of the title band near the text colour.
    int inked = 0;
    for (int y = 6; y < 24; ++y)
        for (int x = 36; x < 100; ++x) {
            const Color c = p.host.FacePixel(x, y);
            inked += (c & 0xFF) < 120 && ((c >> 16) & 0xFF) > 120;
        }
    CHECK(inked > 20);
    // The title-bar icon lands at (16, 7), its transparent pixels leaving the atlas's corner block beneath.
    std::string icon;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool transparent = false;
            const Color iconColor = IcoPixel(Picture::A3, x, y, &transparent);
            const Color want = transparent ? BmpPixel(Picture::A2, 16 + x, 7 + y) : iconColor;
            if (icon.empty() && p.host.FacePixel(16 + x, 7 + y) != want)
                icon = "at " + std::to_string(x) + "," + std::to_string(y) + (transparent ? " (transparent)" : "") +
                       " want " + Hex(want) + " got " + Hex(p.host.FacePixel(16 + x, 7 + y));
        }
    CHECK_EQ(std::string(), icon);
}

TEST(MaximizeAndRestoreThroughTheButton) {
    Program p;
    const PixelRect button = p.ElemPixels(Elem::Immax);
    const ::POINT at = p.Screen(button.x + 8, button.y + 8);
    MoveMouse(at.x, at.y);
    PressLeft();
    ReleaseLeft();
    CHECK(PumpUntil([&] { return p.host.WindowState() == kMaximized; }));
    CHECK_EQ(2, p.host.ResizeCount());
    const RECT work = WorkArea();
    CHECK_EQ(Rect(work), Rect(p.Rect()));
    CHECK(!p.host.Elements()[static_cast<std::size_t>(Elem::Pbottom)].visible);
    CHECK(!p.host.Elements()[static_cast<std::size_t>(Elem::Pright)].visible);
    CHECK(p.host.Elements()[static_cast<std::size_t>(Elem::Pjiao)].visible);
    CHECK_EQ(std::string("还原"), p.host.Elements()[static_cast<std::size_t>(Elem::Immax)].toolTip);
    CHECK_EQ(std::string("还原"), p.host.ToolText(Elem::Immax));
    CHECK_EQ(std::string(), p.host.ToolText(Elem::Pbottom));
    // The restore face under the button is the top-left 16 x 16 of A4.
    const PixelRect moved = p.ElemPixels(Elem::Immax);
    CHECK_EQ((work.right - work.left) - 52, moved.x);
    CHECK_EQ(std::string(), FirstPictureDifference(p, moved.x, moved.y, Picture::A4, 0, 0, 16, 16));
    CheckOutline(p.host.Window(), work.right - work.left, work.bottom - work.top);

    const ::POINT back = p.Screen(moved.x + 8, moved.y + 8);
    MoveMouse(back.x, back.y);
    PressLeft();
    ReleaseLeft();
    CHECK(PumpUntil([&] { return p.host.WindowState() == kNormal; }));
    CHECK_EQ(3, p.host.ResizeCount());
    CHECK_EQ(std::string("(367, 269, 657, 500)"), Rect(p.Rect()));
    CHECK_EQ(4027.5f, p.host.Top());
    CHECK(p.host.Elements()[static_cast<std::size_t>(Elem::Pbottom)].visible);
    CHECK(p.host.Elements()[static_cast<std::size_t>(Elem::Pright)].visible);
    CHECK_EQ(std::string("最大化"), p.host.ToolText(Elem::Immax));
    CHECK_EQ(std::string(), FirstPictureDifference(p, 238, 8, Picture::A2, 98, 8, 16, 16));
    CheckOutline(p.host.Window(), 290, 231);
}

TEST(SystemRestoreOfAMinimizedWindowRaisesOneResize) {
    Program p;
    p.host.SetWindowState(kMinimized);
    CHECK(IsIconic(p.host.Window()));
    CHECK_EQ(2, p.host.ResizeCount());
    CHECK_EQ(4350.0f, p.host.Width());  // a minimized window keeps reporting its restored size
    // What the taskbar button does.
    ShowWindow(p.host.Window(), SW_RESTORE);
    PumpIdle();
    CHECK_EQ(3, p.host.ResizeCount());
    CHECK_EQ(0, p.host.WindowState());
    CHECK_EQ(std::string("(367, 269, 657, 500)"), Rect(p.Rect()));
}

TEST(SystemSizeChangeRaisesOneResizeAndRelayouts) {
    Program p;
    SetWindowPos(p.host.Window(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpIdle();
    CHECK_EQ(2, p.host.ResizeCount());
    CHECK_EQ(6000.0f, p.host.Width());
    CHECK_EQ(6000.0f - 780, p.host.ElemLeft(Elem::Immax));
    CheckOutline(p.host.Window(), 400, 300);
}

TEST(SizingAMaximizedWindowIsRefused) {
    Program p;
    p.host.SetWindowState(kMaximized);
    std::string message;
    try {
        p.host.SetWidth(5000);
    } catch (const Failure& f) {
        message = f.what();
    }
    CHECK_EQ(std::string("win32: a minimized or maximized window cannot be sized"), message);
    CHECK_EQ(2, p.host.WindowState());
}

TEST(SetWidthRaisesResizeBeforeReturning) {
    Program p;
    p.host.SetWidth(5002.5f);
    CHECK_EQ(2, p.host.ResizeCount());
    CHECK_EQ(5002.5f, p.host.Width());
    CHECK_EQ(334, static_cast<int>(p.Rect().right - p.Rect().left));
    CHECK_EQ(5002.5f - 780, p.host.ElemLeft(Elem::Immax));
}

}  // namespace tarvik::test

namespace tarvik::test {

// The window moved to a monitor of twice the DPI (the message Windows sends then): it takes the
// suggested rectangle, keeps its layout (twips), shows its face enlarged, cuts its outline, places
// the tooltips and accessible locations, and takes pointer input at device pixels.
TEST(FollowsAMoveToAMonitorOfTwiceTheDpi) {
    constexpr UINT kDpiChanged = 0x02E0;
    Program p;
    const ::HWND hwnd = p.host.Window();
    const RECT before = p.Rect();
    RECT suggested{before.left - 100, before.top - 50, before.left - 100 + 580, before.top - 50 + 462};
    SendMessageW(hwnd, kDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    PumpIdle();
    CHECK_EQ(2.0, p.host.Scale().Factor());
    CHECK_EQ(Rect(suggested), Rect(p.Rect()));
    CHECK_EQ(4350.0f, p.host.Width());
    CHECK_EQ(3465.0f, p.host.Height());
    CHECK_EQ(580, p.host.FaceWidth());
    CHECK_EQ(462, p.host.FaceHeight());
    {
        // The corners cut; the layout pixels just inside them kept, each as its 2 x 2 square.
        ::HRGN region = CreateRectRgn(0, 0, 0, 0);
        CHECK(GetWindowRgn(hwnd, region) != ERROR);
        for (const ::POINT out : {::POINT{0, 0}, ::POINT{579, 0}, ::POINT{0, 461}, ::POINT{579, 461}})
            CHECK_EQ(std::to_string(out.x) + "," + std::to_string(out.y) + " outside",
                     std::to_string(out.x) + "," + std::to_string(out.y) + (PtInRegion(region, out.x, out.y) ? " inside" : " outside"));
        for (const ::POINT in : {::POINT{0, 26}, ::POINT{289, 26}, ::POINT{23, 0}, ::POINT{283, 230}, ::POINT{289, 224}})
            for (int d = 0; d < 4; ++d) {
                const int x = 2 * in.x + d % 2, y = 2 * in.y + d / 2;
                CHECK_EQ(std::to_string(x) + "," + std::to_string(y) + " inside",
                         std::to_string(x) + "," + std::to_string(y) + (PtInRegion(region, x, y) ? " inside" : " outside"));
            }
        DeleteObject(region);
    }

    // The top-right atlas block, each pixel a 2 x 2 square; the back colour inside.
    std::string first;
    for (int y = 0; y < 58; ++y)
        for (int x = 0; x < 222; ++x) {
            const Color want = BmpPixel(Picture::A2, 39 + x / 2, y / 2), got = p.host.FacePixel(358 + x, y);
            if (want != got && first.empty())
                first = "at " + std::to_string(358 + x) + "," + std::to_string(y) + " want " + Hex(want) + " got " + Hex(got);
        }
    CHECK_EQ(std::string(), first);
    CHECK_EQ(Hex(Rgb(250, 250, 250)), Hex(p.host.FacePixel(290, 230)));

    // The close button's tool and accessible location are its layout rectangle doubled.
    const PixelRect close = p.ElemPixels(Elem::Imclose);
    const RECT device{2 * close.x, 2 * close.y, 2 * (close.x + close.w), 2 * (close.y + close.h)};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = hwnd;
    tool.uId = static_cast<UINT_PTR>(Elem::Imclose);
    CHECK(SendMessageW(p.host.ToolTipWindow(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) != 0);
    CHECK_EQ(Rect(device), Rect(tool.rect));
    IAccessible* acc = nullptr;
    CHECK_EQ(S_OK, AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&acc)));
    if (acc) {
        VARIANT child;
        VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = AccessibleChildId(Elem::Imclose);
        LONG x = 0, y = 0, w = 0, h = 0;
        CHECK_EQ(S_OK, acc->accLocation(&x, &y, &w, &h, child));
        const ::POINT at = p.Screen(device.left, device.top);
        CHECK_EQ(Rect(RECT{at.x, at.y, at.x + 2 * close.w, at.y + 2 * close.h}), Rect(RECT{x, y, x + w, y + h}));
        acc->Release();
    }

    // The pointer over the device pixels of the minimize button hovers it, and its hover picture
    // shows there doubled.
    const PixelRect min = p.ElemPixels(Elem::Immin);
    const ::POINT over = p.Screen(2 * min.x + 7, 2 * min.y + 7);
    MoveMouse(over.x, over.y);
    CHECK(PumpUntil([&] { return p.host.Elements()[static_cast<std::size_t>(Elem::Immin)].picture == Picture::A9; }));
    CHECK_EQ(Hex(BmpPixel(Picture::A9, 3, 3)), Hex(p.host.ShownPixel(2 * min.x + 7, 2 * min.y + 7)));
}

}  // namespace tarvik::test
