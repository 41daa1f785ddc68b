#include "host/backends/cairo/cairo_painter.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "host/backends/cairo/cairo_pictures.h"
#include "host/runtime/face_store.h"
#include "host/twips.h"

namespace tarvik::cairo {

namespace {


// Sets a cairo source from a 0x00BBGGRR colour.
void SetSource(cairo_t* cr, Color c) {
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

// Pixel row y of an image surface.
std::uint32_t* Row(cairo_surface_t* image, int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image) +
                                            static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(image));
}

// Sets count pixels to one value, sixteen at a time with aligned stores where the processor can.
void FillPixels(std::uint32_t* to, int count, std::uint32_t value) {
    int i = 0;
#if defined(__SSE2__)
    for (; i < count && (reinterpret_cast<std::uintptr_t>(to + i) & 15) != 0; ++i) to[i] = value;
    const __m128i four = _mm_set1_epi32(static_cast<int>(value));
    for (; i + 16 <= count; i += 16) {
        auto* p = reinterpret_cast<__m128i*>(to + i);
        _mm_store_si128(p, four);
        _mm_store_si128(p + 1, four);
        _mm_store_si128(p + 2, four);
        _mm_store_si128(p + 3, four);
    }
    for (; i + 4 <= count; i += 4) _mm_store_si128(reinterpret_cast<__m128i*>(to + i), four);
#endif
    for (; i < count; ++i) to[i] = value;
}

}  // namespace

Painter::Painter(const FormDesign& design) : design_(design) { Resize(1, 1); }

Painter::~Painter() {
    if (deviceLayout_) g_object_unref(deviceLayout_);
    if (layout_) g_object_unref(layout_);
    for (auto& [size, index] : indexPictures_) cairo_surface_destroy(index);
}

bool Painter::Resize(int width, int height) {
    if (!face_.Resize(width, height, design_.backColor)) return false;
    if (layout_) pango_cairo_update_layout(face_.Cr(), layout_);
    return scale_.IsOne() || ResizeDevice();
}

void Painter::SetScale(DisplayScale scale) {
    if (scale.Factor() == scale_.Factor()) return;
    scale_ = scale;
    if (deviceLayout_) g_object_unref(deviceLayout_);
    deviceLayout_ = nullptr;
    device_.Release();
    if (!scale_.IsOne()) ResizeDevice();
}

// The device face for the layout face's size, keeping what it showed; new parts are the
// layout face's pixels enlarged.
bool Painter::ResizeDevice() {
    const int oldW = device_.Width(), oldH = device_.Height();
    const int w = scale_.ToDevice(face_.Width()), h = scale_.ToDevice(face_.Height());
    if (device_.Exists() && w == oldW && h == oldH) return true;
    if (!device_.Resize(w, h, design_.backColor)) return false;
    if (deviceLayout_) pango_cairo_update_layout(device_.Cr(), deviceLayout_);
    if (oldW == 0) {
        Enlarge(0, 0, face_.Width(), face_.Height());
        return true;
    }
    // The layout pixels whose device pixels are new.
    const int fromX = scale_.ToLayout(std::min(oldW, device_.Width()));
    const int fromY = scale_.ToLayout(std::min(oldH, device_.Height()));
    Enlarge(fromX, 0, face_.Width() - fromX, face_.Height());
    Enlarge(0, fromY, face_.Width(), face_.Height() - fromY);
    return true;
}

// Copies a rectangle of the layout face onto the device face, each layout pixel filling the
// device pixels between its edges' device positions (so neighbours tile without gaps).
void Painter::Enlarge(int x, int y, int width, int height) {
    if (!device_.Exists()) return;
    cairo_surface_flush(face_.Surface());
    cairo_surface_flush(device_.Surface());
    const auto image = [](cairo_surface_t* surface, int w, int h) {
        return PixelImage{Row(surface, 0), cairo_image_surface_get_stride(surface) / 4, w, h};
    };
    EnlargePixels(image(face_.Surface(), face_.Width(), face_.Height()),
                  image(device_.Surface(), device_.Width(), device_.Height()), {x, y, width, height}, scale_);
    cairo_surface_mark_dirty(device_.Surface());
}

void Painter::Line(float x1, float y1, float x2, float y2, Color color, LineKind kind) {
    const PixelRect r = TwipsRectToPixels(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
    if (kind == LineKind::BoxFill) {
        SetSource(face_.Cr(), color);
        cairo_rectangle(face_.Cr(), r.x, r.y, r.w, r.h);
        cairo_fill(face_.Cr());
        Enlarge(r.x, r.y, r.w, r.h);
        return;
    }
    cairo_save(face_.Cr());
    SetSource(face_.Cr(), color);
    cairo_set_line_width(face_.Cr(), 1);
    if (kind == LineKind::Box)
        cairo_rectangle(face_.Cr(), r.x + 0.5, r.y + 0.5, r.w, r.h);
    else {
        cairo_move_to(face_.Cr(), TwipsToPixels(x1) + 0.5, TwipsToPixels(y1) + 0.5);
        cairo_line_to(face_.Cr(), TwipsToPixels(x2) + 0.5, TwipsToPixels(y2) + 0.5);
    }
    cairo_stroke(face_.Cr());
    cairo_restore(face_.Cr());
    Enlarge(r.x, r.y, r.w + 1, r.h + 1);  // both ends are drawn
}

bool Painter::PaintPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                           float sh) {
    cairo_surface_t* source = PictureSurface(picture);
    if (!source) return false;
    const PixelRect d = TwipsRectToPixels(dx, dy, dw, dh);
    const PixelRect s = TwipsRectToPixels(sx, sy, sw, sh);
    if (d.w <= 0 || d.h <= 0 || s.w <= 0 || s.h <= 0) return true;
    // An opaque picture copied at its own height: whole rows, straight into the face.
    if (d.h == s.h && PictureOpaque(picture)) {
        CopyRows(source, d.x, d.y, d.w, d.h, s.x, s.y, s.w, s.h);
        Enlarge(d.x, d.y, d.w, d.h);
        return true;
    }
    // One stretched only down, within the picture's columns (the edge strips): row by row.
    if (d.w == s.w && s.x >= 0 && s.x + s.w <= cairo_image_surface_get_width(source) && PictureOpaque(picture)) {
        CopyColumns(source, d.x, d.y, d.w, d.h, s.x, s.y, s.w, s.h);
        Enlarge(d.x, d.y, d.w, d.h);
        return true;
    }
    cairo_save(face_.Cr());
    cairo_rectangle(face_.Cr(), d.x, d.y, d.w, d.h);
    cairo_clip(face_.Cr());
    cairo_translate(face_.Cr(), d.x, d.y);
    cairo_scale(face_.Cr(), static_cast<double>(d.w) / s.w, static_cast<double>(d.h) / s.h);
    cairo_set_source_surface(face_.Cr(), source, -s.x, -s.y);
    cairo_pattern_set_filter(cairo_get_source(face_.Cr()), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(face_.Cr()), CAIRO_EXTEND_PAD);
    cairo_paint(face_.Cr());
    cairo_restore(face_.Cr());
    Enlarge(d.x, d.y, d.w, d.h);
    return true;
}

// A picture of the given size whose every pixel holds its column (or row) number (opaque).
cairo_surface_t* Painter::IndexPicture(int width, int height, bool rows) {
    cairo_surface_t*& index = indexPictures_[{width, height, rows ? 1 : 0}];
    if (index) return index;
    index = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_surface_flush(index);
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = Row(index, y);
        for (int x = 0; x < width; ++x) row[x] = 0xFF000000u | static_cast<std::uint32_t>(rows ? y : x);
    }
    cairo_surface_mark_dirty(index);
    return index;
}

// Which source column each face column of a row copy takes, as runs. cairo itself draws the
// picture's column numbers into the copy's first visible row, through the very transform of
// its own nearest-neighbour paint, so each face column takes the source column that paint takes.
const std::vector<Painter::Run>& Painter::Runs(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy,
                                               int sw, int sh) {
    const int pw = cairo_image_surface_get_width(source), ph = cairo_image_surface_get_height(source);
    const std::array<int, 11> key{dx, dy, dw, dh, sx, sy, sw, sh, pw, ph, face_.Width()};
    for (const RunsEntry& e : runsCache_)
        if (e.key == key && !e.runs.empty()) return e.runs;
    RunsEntry& entry = runsCache_[nextRunsEntry_];
    nextRunsEntry_ = (nextRunsEntry_ + 1) % runsCache_.size();
    entry.key = key;
    std::vector<Run>& runs = entry.runs;
    runs.clear();
    const int x0 = std::max(dx, 0), x1 = std::min(dx + dw, face_.Width()), y0 = std::max(dy, 0);
    cairo_save(face_.Cr());
    cairo_rectangle(face_.Cr(), dx, y0, dw, 1);
    cairo_clip(face_.Cr());
    cairo_translate(face_.Cr(), dx, dy);
    cairo_scale(face_.Cr(), static_cast<double>(dw) / sw, static_cast<double>(dh) / sh);
    cairo_set_source_surface(face_.Cr(), IndexPicture(pw, ph, false), -sx, -sy);
    cairo_pattern_set_filter(cairo_get_source(face_.Cr()), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(face_.Cr()), CAIRO_EXTEND_PAD);
    cairo_paint(face_.Cr());
    cairo_restore(face_.Cr());
    cairo_surface_flush(face_.Surface());
    const std::uint32_t* first = Row(face_.Surface(), y0);
    for (int x = x0; x < x1; ++x) {
        const std::uint32_t column = first[x] & 0xFFFFFFu;
        if (!runs.empty()) {
            Run& r = runs.back();
            const bool single = r.end - r.begin == 1;
            if (!r.copy && column == r.column) {
                r.end = x + 1;
                continue;
            }
            if ((r.copy || single) && column == r.column + static_cast<std::uint32_t>(x - r.begin)) {
                r.copy = true;
                r.end = x + 1;
                continue;
            }
        }
        runs.push_back({x, x + 1, column, false});
    }
    return runs;
}

// The scaled copy of an opaque picture whose rows are not scaled (the title and bottom bands,
// the corner blocks), with the same pixels as cairo's nearest-neighbour paint: each row is
// filled from its source row in runs of one stretched or consecutive copied columns.
void Painter::CopyRows(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
    assert(dh == sh && "rows are copied unscaled");
    const int x0 = std::max(dx, 0), x1 = std::min(dx + dw, face_.Width());
    const int y0 = std::max(dy, 0), y1 = std::min(dy + dh, face_.Height());
    if (x0 >= x1 || y0 >= y1) return;
    const std::vector<Run>& runs = Runs(source, dx, dy, dw, dh, sx, sy, sw, sh);
    const int ph = cairo_image_surface_get_height(source);
    cairo_surface_flush(face_.Surface());
    cairo_surface_flush(source);
    for (int y = y0; y < y1; ++y) {
        // Rows past the picture's edge repeat its edge row, as cairo's pad extension does.
        const std::uint32_t* from = Row(source, std::clamp(y - dy + sy, 0, ph - 1));
        std::uint32_t* to = Row(face_.Surface(), y);
        for (const Run& run : runs) {
            if (run.copy)
                std::memcpy(to + run.begin, from + run.column, static_cast<std::size_t>(run.end - run.begin) * 4);
            else
                FillPixels(to + run.begin, run.end - run.begin, from[run.column]);
        }
    }
    cairo_surface_mark_dirty_rectangle(face_.Surface(), x0, y0, x1 - x0, y1 - y0);
}

// Which source row each face row of a copy stretched only down takes, found as Runs finds
// its columns: cairo draws the picture's row numbers into the copy's first visible column.
const std::vector<int>& Painter::Rows(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                                      int sh) {
    const int pw = cairo_image_surface_get_width(source), ph = cairo_image_surface_get_height(source);
    const std::array<int, 11> key{dx, dy, dw, dh, sx, sy, sw, sh, pw, ph, face_.Height()};
    for (const RowsEntry& e : rowsCache_)
        if (e.key == key && !e.rows.empty()) return e.rows;
    RowsEntry& entry = rowsCache_[nextRowsEntry_];
    nextRowsEntry_ = (nextRowsEntry_ + 1) % rowsCache_.size();
    entry.key = key;
    const int x0 = std::max(dx, 0), y0 = std::max(dy, 0), y1 = std::min(dy + dh, face_.Height());
    cairo_save(face_.Cr());
    cairo_rectangle(face_.Cr(), x0, dy, 1, dh);
    cairo_clip(face_.Cr());
    cairo_translate(face_.Cr(), dx, dy);
    cairo_scale(face_.Cr(), static_cast<double>(dw) / sw, static_cast<double>(dh) / sh);
    cairo_set_source_surface(face_.Cr(), IndexPicture(pw, ph, true), -sx, -sy);
    cairo_pattern_set_filter(cairo_get_source(face_.Cr()), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(face_.Cr()), CAIRO_EXTEND_PAD);
    cairo_paint(face_.Cr());
    cairo_restore(face_.Cr());
    cairo_surface_flush(face_.Surface());
    entry.rows.clear();
    for (int y = y0; y < y1; ++y) entry.rows.push_back(static_cast<int>(Row(face_.Surface(), y)[x0] & 0xFFFFFFu));
    return entry.rows;
}

// The scaled copy of an opaque picture stretched only down, columns unscaled and within the
// picture (the edge strips): each face row is its source row's columns, copied whole.
void Painter::CopyColumns(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
    const int x0 = std::max(dx, 0), x1 = std::min(dx + dw, face_.Width());
    const int y0 = std::max(dy, 0), y1 = std::min(dy + dh, face_.Height());
    if (x0 >= x1 || y0 >= y1) return;
    const std::vector<int>& rows = Rows(source, dx, dy, dw, dh, sx, sy, sw, sh);
    cairo_surface_flush(face_.Surface());
    cairo_surface_flush(source);
    const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * 4;
    for (int y = y0; y < y1; ++y)
        std::memcpy(Row(face_.Surface(), y) + x0, Row(source, rows[static_cast<std::size_t>(y - y0)]) + (x0 - dx + sx), bytes);
    cairo_surface_mark_dirty_rectangle(face_.Surface(), x0, y0, x1 - x0, y1 - y0);
}

// Text through pango and fontconfig ("Arial" resolves to a metric-compatible face on Linux),
// at a fixed 96 dpi and grey antialiasing, so that the result does not depend on the desktop.
// The layout is made once; it is laid out again only when the text differs from the last.
int Painter::Print(const std::string& text, float x, float y, Color color) {
    if (!layout_) {
        layout_ = pango_cairo_create_layout(face_.Cr());
        pango_cairo_context_set_resolution(pango_layout_get_context(layout_), kLayoutDpi);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        pango_cairo_context_set_font_options(pango_layout_get_context(layout_), options);
        cairo_font_options_destroy(options);
        const FontDesign& f = design_.font;
        PangoFontDescription* font = pango_font_description_new();
        pango_font_description_set_family(font, f.face);
        pango_font_description_set_size(font, static_cast<int>(f.points * PANGO_SCALE));
        pango_font_description_set_weight(font, static_cast<PangoWeight>(f.weight));
        pango_layout_set_font_description(layout_, font);
        pango_font_description_free(font);
        pango_layout_set_text(layout_, text.c_str(), -1);
        layoutText_ = text;
        pango_layout_get_pixel_size(layout_, nullptr, &layoutHeight_);
    } else if (text != layoutText_) {
        pango_layout_set_text(layout_, text.c_str(), -1);
        layoutText_ = text;
        pango_layout_get_pixel_size(layout_, nullptr, &layoutHeight_);
    }
    SetSource(face_.Cr(), color);
    cairo_move_to(face_.Cr(), TwipsToPixels(x), TwipsToPixels(y));
    pango_cairo_show_layout(face_.Cr(), layout_);
    cairo_new_path(face_.Cr());
    if (device_.Exists()) PrintOnDevice(text, x, y, color);
    return layoutHeight_;
}

// The same text on the device face in the same font at the device's resolution: sharp, not
// the layout's pixels enlarged.
void Painter::PrintOnDevice(const std::string& text, float x, float y, Color color) {
    if (!deviceLayout_) {
        deviceLayout_ = pango_layout_copy(layout_);
        pango_cairo_context_set_resolution(pango_layout_get_context(deviceLayout_), kLayoutDpi * scale_.Factor());
        pango_cairo_update_layout(device_.Cr(), deviceLayout_);
    }
    pango_layout_set_text(deviceLayout_, text.c_str(), -1);
    SetSource(device_.Cr(), color);
    cairo_move_to(device_.Cr(), scale_.TwipsToDevice(x), scale_.TwipsToDevice(y));
    pango_cairo_show_layout(device_.Cr(), deviceLayout_);
    cairo_new_path(device_.Cr());
}

void Painter::Compose(cairo_t* cr, const ElementTable& elements) const {
    cairo_save(cr);
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    if (x2 > DeviceWidth() || y2 > DeviceHeight()) {
        // Beyond a capped face: the back colour.
        SetSource(cr, design_.backColor);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_rectangle(cr, x1, y1, x2 - x1, y2 - y1);
        cairo_rectangle(cr, 0, 0, DeviceWidth(), DeviceHeight());
        cairo_fill(cr);
    }
    cairo_set_source_surface(cr, DeviceFace(), 0, 0);
    cairo_paint(cr);
    for (const ShownPicture& shown : PicturesOnFace(elements, design_, PictureNaturalSizes())) {
        cairo_surface_t* picture = PictureSurface(shown.picture);
        const int w = shown.box.w, h = shown.box.h;
        // The picture at its natural size, enlarged as the face is: nearest neighbour, sharp.
        const PixelRect d = scale_.ToDevice(shown.box);
        cairo_save(cr);
        cairo_rectangle(cr, d.x, d.y, d.w, d.h);
        cairo_clip(cr);
        cairo_translate(cr, d.x, d.y);
        if (!scale_.IsOne()) cairo_scale(cr, static_cast<double>(d.w) / w, static_cast<double>(d.h) / h);
        cairo_set_source_surface(cr, picture, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

}  // namespace tarvik::cairo
