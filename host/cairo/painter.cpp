#include "host/cairo/painter.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "host/cairo/pictures.h"
#include "host/twips.h"

namespace tarvik::cairo {

namespace {

constexpr double kScreenDpi = 96.0;

// Sets a cairo source from a 0x00BBGGRR colour.
void SetSource(cairo_t* cr, Color c) {
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

}  // namespace

Painter::Painter(const FormDesign& design) : design_(design) { Resize(1, 1); }

Painter::~Painter() {
    if (face_) cairo_surface_destroy(face_);
}

int Painter::Width() const { return cairo_image_surface_get_width(face_); }
int Painter::Height() const { return cairo_image_surface_get_height(face_); }

void Painter::Resize(int width, int height) {
    const int w = std::max(1, width), h = std::max(1, height);
    if (face_ && Width() == w && Height() == h) return;
    cairo_surface_t* face = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(face);
    SetSource(cr, design_.backColor);
    cairo_paint(cr);
    if (face_) {
        cairo_set_source_surface(cr, face_, 0, 0);
        cairo_paint(cr);
        cairo_surface_destroy(face_);
    }
    cairo_destroy(cr);
    face_ = face;
}

void Painter::Line(float x1, float y1, float x2, float y2, Color color, LineKind kind) {
    cairo_t* cr = cairo_create(face_);
    SetSource(cr, color);
    const PixelRect r = TwipsRectToPixels(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
    if (kind == LineKind::BoxFill) {
        cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        cairo_fill(cr);
    } else {
        cairo_set_line_width(cr, 1);
        if (kind == LineKind::Box)
            cairo_rectangle(cr, r.x + 0.5, r.y + 0.5, r.w, r.h);
        else {
            cairo_move_to(cr, TwipsToPixels(x1) + 0.5, TwipsToPixels(y1) + 0.5);
            cairo_line_to(cr, TwipsToPixels(x2) + 0.5, TwipsToPixels(y2) + 0.5);
        }
        cairo_stroke(cr);
    }
    cairo_destroy(cr);
}

bool Painter::PaintPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                           float sh) {
    cairo_surface_t* source = PictureSurface(picture);
    if (!source) return false;
    const PixelRect d = TwipsRectToPixels(dx, dy, dw, dh);
    const PixelRect s = TwipsRectToPixels(sx, sy, sw, sh);
    if (d.w <= 0 || d.h <= 0 || s.w <= 0 || s.h <= 0) return true;
    cairo_t* cr = cairo_create(face_);
    cairo_rectangle(cr, d.x, d.y, d.w, d.h);
    cairo_clip(cr);
    cairo_translate(cr, d.x, d.y);
    cairo_scale(cr, static_cast<double>(d.w) / s.w, static_cast<double>(d.h) / s.h);
    cairo_set_source_surface(cr, source, -s.x, -s.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_destroy(cr);
    return true;
}

// Text through pango and fontconfig ("Arial" resolves to a metric-compatible face on Linux),
// at a fixed 96 dpi and grey antialiasing, so that the result does not depend on the desktop.
int Painter::Print(const std::string& text, float x, float y, Color color) {
    cairo_t* cr = cairo_create(face_);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    pango_cairo_context_set_resolution(pango_layout_get_context(layout), kScreenDpi);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    const FontDesign& f = design_.font;
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, f.face);
    pango_font_description_set_size(font, static_cast<int>(f.points * PANGO_SCALE));
    pango_font_description_set_weight(font, static_cast<PangoWeight>(f.weight));
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, text.c_str(), -1);
    SetSource(cr, color);
    cairo_move_to(cr, TwipsToPixels(x), TwipsToPixels(y));
    pango_cairo_show_layout(cr, layout);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    g_object_unref(layout);
    cairo_destroy(cr);
    return h;
}

void Painter::Compose(cairo_t* cr, const ElementTable& elements) const {
    cairo_save(cr);
    cairo_set_source_surface(cr, face_, 0, 0);
    cairo_paint(cr);
    for (int i = kElemCount - 1; i >= 0; --i) {
        const ElementState& e = elements[static_cast<std::size_t>(i)];
        if (!e.visible || design_.elements[static_cast<std::size_t>(i)].kind != ElemKind::Image) continue;
        cairo_surface_t* picture = PictureSurface(e.picture);
        if (!picture) continue;
        const PixelRect r = TwipsRectToPixels(e.left, e.top, e.width, e.height);
        cairo_save(cr);
        cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        cairo_clip(cr);
        cairo_set_source_surface(cr, picture, r.x, r.y);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

}  // namespace tarvik::cairo
