// The shared cairo painter: its direct row and column copies give exactly the pixels of cairo's own
// nearest-neighbour paint, and a size change keeps the drawing and fills only what is new.
#include <gtest/gtest.h>
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/backends/cairo/cairo_painter.h"
#include "host/backends/cairo/cairo_pictures.h"
#include "host/design.h"
#include "host/twips.h"

namespace tarvik {
namespace {

// The copy as cairo paints it: clipped to the destination, scaled, nearest pixel, edges padded.
void ReferencePaint(cairo_surface_t* face, Picture picture, float dx, float dy, float dw, float dh, float sx, float sy,
                    float sw, float sh) {
    const PixelRect d = TwipsRectToPixels(dx, dy, dw, dh);
    const PixelRect s = TwipsRectToPixels(sx, sy, sw, sh);
    cairo_t* cr = cairo_create(face);
    cairo_rectangle(cr, d.x, d.y, d.w, d.h);
    cairo_clip(cr);
    cairo_translate(cr, d.x, d.y);
    cairo_scale(cr, static_cast<double>(d.w) / s.w, static_cast<double>(d.h) / s.h);
    cairo_set_source_surface(cr, cairo::PictureSurface(picture), -s.x, -s.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_destroy(cr);
}

// The colour (no padding byte) of a face pixel.
std::uint32_t At(cairo_surface_t* face, int x, int y) {
    cairo_surface_flush(face);
    const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(face) +
                                                             y * cairo_image_surface_get_stride(face));
    return row[x] & 0xFFFFFFu;
}

// The first pixel where the two faces differ, as text; "" if none.
std::string FirstDifference(cairo_surface_t* a, cairo_surface_t* b, int w, int h) {
    cairo_surface_flush(a);
    cairo_surface_flush(b);
    const auto row = [](cairo_surface_t* s, int y) {
        return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s));
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (((row(a, y)[x] ^ row(b, y)[x]) & 0xFFFFFFu) != 0)
                return "(" + std::to_string(x) + ", " + std::to_string(y) + "): painter " + std::to_string(At(a, x, y)) +
                       ", cairo " + std::to_string(At(b, x, y));
    return "";
}

struct Copy {
    const char* what;
    float dx, dy, dw, dh, sx, sy, sw, sh;  // twips; W and H are added to dx, dy, dw where marked below
    bool dxFromRight, dyFromBottom, dwIsWidth, dhIsHeight = false;
};

// Every row-copied slice of the frame, and awkward cases: off the face, partly off, a source
// reaching past the picture's edge, fractional twips.
const Copy kCopies[] = {
    {"title band", 420, 0, 0, 600, 420, 0, 120, 600, false, false, true},
    {"bottom band", 420, -600, 0, 600, 420, 1725, 120, 600, false, true, true},
    {"top-left corner", 0, 0, 450, 600, 0, 0, 450, 600, false, false, false},
    {"bottom-left corner", 0, -600, 450, 600, 0, 1725, 450, 600, false, true, false},
    {"top-right block", -1665, 0, 1665, 435, 585, 0, 1665, 435, true, false, false},
    {"bottom-right block", -1665, -525, 1665, 525, 585, 1800, 1665, 525, true, true, false},
    {"shrunk across", 100, 50, 300, 600, 0, 0, 2250, 600, false, false, false},
    {"source past the edge", -60, 30, 900, 300, 2100, 2200, 450, 300, true, true, false},
    {"left of the face", -200, 10, 700, 150, 0, 0, 100, 150, false, false, false},
    {"fractional twips", 7.5f, 3, 1002.5f, 600, 422, 0, 117, 600, false, false, false},
    {"left edge", 0, 0, 200, 0, 0, 880, 200, 40, false, false, false, true},
    {"right edge", -210, 0, 210, 0, 2040, 880, 210, 40, true, false, false, true},
    {"stretched down past the bottom", 30, 45, 300, 0, 600, 2250, 300, 90, false, false, false, true},
    {"squeezed up", 75, -15, 450, 900, 0, 0, 450, 2325, false, false, false},
};

TEST(PainterTest, DirectCopiesMatchCairoAtEveryWidthAndManyHeights) {
    const FormDesign& design = Form1Design();
    cairo::Painter painter(design);
    for (int w = 1; w <= 2000; w += (w < 300 ? 1 : 53)) {
        const int h = 40 + (w * 7) % 300 + (w > 300 ? w / 2 : 0);  // heights from 40 to 1300 come by
        painter.Resize(w, h);
        cairo_surface_t* reference = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
        for (const Copy& c : kCopies) {
            const float W = PixelsToTwips(w), H = PixelsToTwips(h);
            const float dx = c.dx + (c.dxFromRight ? W : 0), dy = c.dy + (c.dyFromBottom ? H : 0);
            const float dw = c.dwIsWidth ? W : c.dw, dh = c.dhIsHeight ? H : c.dh;
            painter.Line(0, 0, W, H, 0x00102030, LineKind::BoxFill);
            cairo_t* cr = cairo_create(reference);
            cairo_set_source_rgb(cr, 0x30 / 255.0, 0x20 / 255.0, 0x10 / 255.0);
            cairo_paint(cr);
            cairo_destroy(cr);
            ASSERT_TRUE(painter.PaintPicture(Picture::A2, dx, dy, dw, dh, c.sx, c.sy, c.sw, c.sh));
            ReferencePaint(reference, Picture::A2, dx, dy, dw, dh, c.sx, c.sy, c.sw, c.sh);
            const std::string diff = FirstDifference(painter.Face(), reference, w, h);
            ASSERT_EQ("", diff) << c.what << " at " << w << " x " << h << " differs at " << diff;
        }
        cairo_surface_destroy(reference);
    }
}

// A colour that differs between neighbouring pixels.
std::uint32_t Pattern(int x, int y) { return static_cast<std::uint32_t>(x * 7 + y * 13 + 1) & 0xFFFFFFu; }

TEST(PainterTest, SizeChangesKeepTheDrawingAndFillOnlyWhatIsNew) {
    const FormDesign& design = Form1Design();
    const std::uint32_t back = ((design.backColor & 0xFF) << 16) | (design.backColor & 0xFF00) | ((design.backColor >> 16) & 0xFF);
    cairo::Painter painter(design);
    // Grow, shrink, grow within the store, grow past it, shrink far (the store is given back).
    const int sizes[][2] = {{40, 30}, {300, 200}, {120, 90}, {250, 150}, {1200, 900}, {60, 50}, {61, 51}};
    int lastW = 1, lastH = 1;
    painter.Resize(lastW, lastH);
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        // A pattern over the whole face, so that both kept and new pixels can be told apart.
        cairo_surface_t* face = painter.Face();
        cairo_surface_flush(face);
        for (int y = 0; y < lastH; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(face) +
                                                         y * cairo_image_surface_get_stride(face));
            for (int x = 0; x < lastW; ++x) row[x] = Pattern(x, y);
        }
        cairo_surface_mark_dirty(face);
        painter.Resize(w, h);
        ASSERT_EQ(w, painter.Width());
        ASSERT_EQ(h, painter.Height());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint32_t want = x < lastW && y < lastH ? Pattern(x, y) : back;
                ASSERT_EQ(want, At(painter.Face(), x, y))
                    << "pixel (" << x << ", " << y << ") after " << lastW << " x " << lastH << " became " << w << " x " << h;
            }
        lastW = w;
        lastH = h;
    }
}

}  // namespace
}  // namespace tarvik
