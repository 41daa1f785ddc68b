// Drawing on the face, and showing it with the image elements' pictures on top.
#include <algorithm>
#include <array>
#include <cmath>

#include "host/twips.h"
#include "host/backends/win32/win32_host.h"

namespace tarvik::win32 {

namespace {

constexpr int kTextSlack = 2;  // pixels around a text's extent that its glyphs may touch

RECT ToRect(const PixelRect& r) { return {r.x, r.y, r.x + r.w, r.y + r.h}; }

// Draws text in a font with its top-left at (x, y) without a background; gives the rectangle
// its glyphs may touch and the line's height.
RECT PrintOn(HDC dc, HFONT font, const std::wstring& text, int x, int y, Color color, int* lineHeight) {
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    SIZE extent{};
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    if (text.empty() || !GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent))
        extent.cy = metrics.tmHeight;
    SelectObject(dc, old);
    *lineHeight = extent.cy;
    // Glyphs may reach a little past their advance (overhang, antialiased edges).
    const int slack = static_cast<int>(metrics.tmOverhang) + kTextSlack;
    return RECT{x - slack, y, x + extent.cx + slack, y + std::max<int>(extent.cy, metrics.tmHeight) + kTextSlack};
}

}  // namespace

// A face rectangle drawn in layout pixels shows on the device face enlarged.
void Win32Host::EnlargeFace(const PixelRect& layout) {
    if (!scale_.IsOne()) deviceFace_.Enlarge(face_, scale_, layout);
}

// Marks a device rectangle for the next paint; only what changed is shown again.
void Win32Host::Invalidate(const RECT& area) {
    if (hwnd_ && !wholeInvalid_ && area.right > area.left && area.bottom > area.top) InvalidateRect(hwnd_, &area, FALSE);
}

// The device rectangle where an element's picture shows (empty if it shows none).
RECT Win32Host::ShownRect(Elem elem) {
    const std::optional<PixelRect> box = ShownPictureBox(Elements(), Design(), pictures_.Sizes(), elem);
    return box ? ToRect(scale_.ToDevice(*box)) : RECT{};
}

void Win32Host::DrawLine(float x1, float y1, float x2, float y2, Color color, LineKind kind) {
    HDC dc = face_.Dc();
    const PixelRect r = TwipsRectToPixels(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
    if (kind == LineKind::BoxFill) {
        // The face's own brush in the colour: no brush made and freed per box.
        SetDCBrushColor(dc, color);
        const RECT box{r.x, r.y, r.x + r.w, r.y + r.h};
        FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        EnlargeFace(r);
        Invalidate(ToRect(scale_.ToDevice(r)));
        return;
    } else {
        HPEN pen = CreatePen(PS_SOLID, 1, color);
        if (!pen) Fail("CreatePen failed" + LastError());
        HGDIOBJ old = SelectObject(dc, pen);
        // GDI leaves out a line's last pixel; both ends belong to the line here.
        if (kind == LineKind::Box) {
            MoveToEx(dc, r.x, r.y, nullptr);
            LineTo(dc, r.x + r.w, r.y);
            LineTo(dc, r.x + r.w, r.y + r.h);
            LineTo(dc, r.x, r.y + r.h);
            LineTo(dc, r.x, r.y);
        } else {
            MoveToEx(dc, TwipsToPixels(x1), TwipsToPixels(y1), nullptr);
            LineTo(dc, TwipsToPixels(x2), TwipsToPixels(y2));
            SetPixelV(dc, TwipsToPixels(x2), TwipsToPixels(y2), color);
        }
        SelectObject(dc, old);
        ::DeleteObject(pen);
    }
    // Both ends are drawn: the line covers one pixel past the far corner.
    const PixelRect drawn{r.x, r.y, r.w + 1, r.h + 1};
    EnlargeFace(drawn);
    Invalidate(ToRect(scale_.ToDevice(drawn)));
}

void Win32Host::DrawPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                            float sh) {
    const PixelRect d = TwipsRectToPixels(dx, dy, dw, dh);
    const PixelRect s = TwipsRectToPixels(sx, sy, sw, sh);
    if (d.w <= 0 || d.h <= 0 || s.w <= 0 || s.h <= 0) return;
    pictures_.Draw(face_.Dc(), picture, d.x, d.y, d.w, d.h, s.x, s.y, s.w, s.h);
    EnlargeFace(d);
    Invalidate(ToRect(scale_.ToDevice(d)));
}

// Text in the window's font without a background. At another scale than 1 it is drawn again
// on the device face in the font at the scaled size, sharp; the layout face keeps the line
// height the layout goes by, the same at every scale.
int Win32Host::PrintText(const std::string& text, float textX, float textY, Color color) {
    const std::wstring wide = Widen(text);
    int height = 0, deviceHeight = 0;
    const RECT box = PrintOn(face_.Dc(), font_, wide, TwipsToPixels(textX), TwipsToPixels(textY), color, &height);
    if (scale_.IsOne()) {
        Invalidate(box);
        return height;
    }
    Invalidate(PrintOn(deviceFace_.Dc(), deviceFont_, wide, scale_.TwipsToDevice(textX), scale_.TwipsToDevice(textY),
                        color, &deviceHeight));
    return height;
}

// The pictures that show over the face (PicturesOnFace), in their order.
// The target is a width x height memory bitmap whose pixel (0, 0) is device pixel (-originX, -originY).
void Win32Host::ComposeImages(const ShownPictures& pictures, const MemoryBitmap& target, int width, int height,
                              int originX, int originY) {
    for (const ShownPicture& shown : pictures) {
        const PixelRect& r = shown.box;
        if (scale_.IsOne()) {
            pictures_.Draw(target.dc, shown.picture, r.x + originX, r.y + originY, r.w, r.h, 0, 0, r.w, r.h);
            continue;
        }
        // Enlarged as the face is, each picture pixel filling its layout pixel's device pixels.
        pictures_.Enlarge(target.bits, width, height, -originX, -originY, shown.picture, r.x, r.y, r.w, r.h, scale_);
    }
}

// Composes the area off screen, tile by tile in one small bitmap made at creation, and copies
// each tile in one piece: nothing flickers, and a paint allocates nothing whatever the window's
// size. Only the part the system will show is composed; beyond the face shows the back colour.
// A tile of the face that no picture touches goes onto the window straight from the face.
void Win32Host::Paint(HDC dc, const RECT& area) {
    RECT visible{};
    if (!paintTile_.dc || GetClipBox(dc, &visible) == ERROR || !IntersectRect(&visible, &visible, &area)) return;
    visible.left = std::max(0L, static_cast<long>(visible.left));
    visible.top = std::max(0L, static_cast<long>(visible.top));
    SetDCBrushColor(paintTile_.dc, Design().backColor);
    const HBRUSH back = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    const Face& face = DeviceFace();
    const ShownPictures pictures = PicturesOnFace(Elements(), Design(), pictures_.Sizes());
    std::array<RECT, kElemCount> shown{};
    std::transform(pictures.begin(), pictures.end(), shown.begin(),
                   [&](const ShownPicture& p) { return ToRect(scale_.ToDevice(p.box)); });
    const auto pictureIn = [&](const RECT& tile) {
        RECT common{};
        return std::any_of(shown.begin(), shown.begin() + pictures.size(),
                           [&](const RECT& r) { return IntersectRect(&common, &r, &tile); });
    };
    for (int y = visible.top; y < visible.bottom; y += kPaintTile) {
        for (int x = visible.left; x < visible.right; x += kPaintTile) {
            const int w = std::min(kPaintTile, static_cast<int>(visible.right) - x);
            const int h = std::min(kPaintTile, static_cast<int>(visible.bottom) - y);
            const int fw = std::min(w, face.Width() - x), fh = std::min(h, face.Height() - y);
            const RECT tile{x, y, x + w, y + h};
            if (fw == w && fh == h && !pictureIn(tile)) {
                BitBlt(dc, x, y, w, h, face.Dc(), x, y, SRCCOPY);
                continue;
            }
            const RECT all{0, 0, w, h};
            FillRect(paintTile_.dc, &all, back);
            if (fw > 0 && fh > 0) BitBlt(paintTile_.dc, 0, 0, fw, fh, face.Dc(), x, y, SRCCOPY);
            ComposeImages(pictures, paintTile_, kPaintTile, kPaintTile, -x, -y);
            BitBlt(dc, x, y, w, h, paintTile_.dc, 0, 0, SRCCOPY);
        }
    }
}

Color Win32Host::ShownPixel(int x, int y) {
    const Face& face = DeviceFace();
    if (x < 0 || y < 0 || x >= face.Width() || y >= face.Height()) return 0xFFFFFFFFu;
    MemoryBitmap one = NewMemoryBitmap(1, 1);
    BitBlt(one.dc, 0, 0, 1, 1, face.Dc(), x, y, SRCCOPY);
    ComposeImages(PicturesOnFace(Elements(), Design(), pictures_.Sizes()), one, 1, 1, -x, -y);
    GdiFlush();
    const std::uint32_t p = one.bits[0];
    FreeMemoryBitmap(one);
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

}  // namespace tarvik::win32
