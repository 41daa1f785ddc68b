#include "host/cairo/cairo_painter.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "host/cairo/cairo_pictures.h"
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
    if (deviceCr_) cairo_destroy(deviceCr_);
    if (device_) cairo_surface_destroy(device_);
    if (layout_) g_object_unref(layout_);
    if (cr_) cairo_destroy(cr_);
    if (face_) cairo_surface_destroy(face_);
    if (store_) cairo_surface_destroy(store_);
    for (auto& [size, index] : indexPictures_) cairo_surface_destroy(index);
}

// A store of w x h pixels, holding the old face's pixels at its top-left.
void Painter::NewStore(int w, int h) {
    cairo_surface_t* store = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (face_) {
        cairo_surface_flush(face_);
        const int keepW = std::min(width_, w), keepH = std::min(height_, h);
        for (int y = 0; y < keepH; ++y) std::memcpy(Row(store, y), Row(face_, y), static_cast<std::size_t>(keepW) * 4);
        cairo_surface_mark_dirty(store);
    }
    if (store_) cairo_surface_destroy(store_);
    store_ = store;
    storeWidth_ = w;
    storeHeight_ = h;
}

void Painter::Resize(int width, int height) {
    const int w = std::clamp(width, 1, kMaxFaceSide), h = std::clamp(height, 1, kMaxFaceSide);
    if (face_ && w == width_ && h == height_) return;
    const StoreSize held{storeWidth_, storeHeight_}, store = FaceStore(held, w, h);
    if (store != held) NewStore(store.width, store.height);
    const int oldW = face_ ? width_ : 0, oldH = face_ ? height_ : 0;
    if (cr_) cairo_destroy(cr_);
    if (face_) {
        cairo_surface_flush(face_);
        cairo_surface_destroy(face_);
    }
    face_ = cairo_image_surface_create_for_data(cairo_image_surface_get_data(store_), CAIRO_FORMAT_RGB24, w, h,
                                                cairo_image_surface_get_stride(store_));
    cr_ = cairo_create(face_);
    width_ = w;
    height_ = h;
    // What the old face did not cover gets the back colour; the rest keeps its drawing.
    if (w > oldW) FillRect(oldW, 0, w - oldW, std::min(h, oldH), design_.backColor);
    if (h > oldH) FillRect(0, oldH, w, h - oldH, design_.backColor);
    if (layout_) pango_cairo_update_layout(cr_, layout_);
    if (!scale_.IsOne()) ResizeDevice();
}

void Painter::SetScale(DisplayScale scale) {
    if (scale.Factor() == scale_.Factor()) return;
    scale_ = scale;
    if (deviceLayout_) g_object_unref(deviceLayout_);
    if (deviceCr_) cairo_destroy(deviceCr_);
    if (device_) cairo_surface_destroy(device_);
    deviceLayout_ = nullptr;
    deviceCr_ = nullptr;
    device_ = nullptr;
    if (!scale_.IsOne()) ResizeDevice();
}

// The device face for the layout face's size, keeping what it showed; new parts are the
// layout face's pixels enlarged.
void Painter::ResizeDevice() {
    const int w = std::clamp(scale_.ToDevice(width_), 1, kMaxFaceSide), h = std::clamp(scale_.ToDevice(height_), 1, kMaxFaceSide);
    if (device_ && w == deviceWidth_ && h == deviceHeight_) return;
    cairo_surface_t* device = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    const int oldW = device_ ? deviceWidth_ : 0, oldH = device_ ? deviceHeight_ : 0;
    if (device_) {
        cairo_surface_flush(device_);
        const int keepW = std::min(oldW, w), keepH = std::min(oldH, h);
        for (int y = 0; y < keepH; ++y) std::memcpy(Row(device, y), Row(device_, y), static_cast<std::size_t>(keepW) * 4);
        cairo_surface_mark_dirty(device);
        cairo_destroy(deviceCr_);
        cairo_surface_destroy(device_);
    }
    device_ = device;
    deviceCr_ = cairo_create(device_);
    deviceWidth_ = w;
    deviceHeight_ = h;
    if (deviceLayout_) pango_cairo_update_layout(deviceCr_, deviceLayout_);
    if (oldW == 0) {
        Enlarge(0, 0, width_, height_);
        return;
    }
    // The layout pixels whose device pixels are new.
    const int fromX = scale_.ToLayout(std::min(oldW, w)), fromY = scale_.ToLayout(std::min(oldH, h));
    Enlarge(fromX, 0, width_ - fromX, height_);
    Enlarge(0, fromY, width_, height_ - fromY);
}

// Copies a rectangle of the layout face onto the device face, each layout pixel filling the
// device pixels between its edges' device positions (so neighbours tile without gaps).
void Painter::Enlarge(int x, int y, int width, int height) {
    if (!device_) return;
    cairo_surface_flush(face_);
    cairo_surface_flush(device_);
    const auto image = [](cairo_surface_t* surface, int w, int h) {
        return PixelImage{Row(surface, 0), cairo_image_surface_get_stride(surface) / 4, w, h};
    };
    EnlargePixels(image(face_, width_, height_), image(device_, deviceWidth_, deviceHeight_), {x, y, width, height}, scale_);
    cairo_surface_mark_dirty(device_);
}

void Painter::FillRect(int x, int y, int width, int height, Color color) {
    if (width <= 0 || height <= 0) return;
    SetSource(cr_, color);
    cairo_rectangle(cr_, x, y, width, height);
    cairo_fill(cr_);
}

void Painter::Line(float x1, float y1, float x2, float y2, Color color, LineKind kind) {
    const PixelRect r = TwipsRectToPixels(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
    if (kind == LineKind::BoxFill) {
        SetSource(cr_, color);
        cairo_rectangle(cr_, r.x, r.y, r.w, r.h);
        cairo_fill(cr_);
        Enlarge(r.x, r.y, r.w, r.h);
        return;
    }
    cairo_save(cr_);
    SetSource(cr_, color);
    cairo_set_line_width(cr_, 1);
    if (kind == LineKind::Box)
        cairo_rectangle(cr_, r.x + 0.5, r.y + 0.5, r.w, r.h);
    else {
        cairo_move_to(cr_, TwipsToPixels(x1) + 0.5, TwipsToPixels(y1) + 0.5);
        cairo_line_to(cr_, TwipsToPixels(x2) + 0.5, TwipsToPixels(y2) + 0.5);
    }
    cairo_stroke(cr_);
    cairo_restore(cr_);
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
    cairo_save(cr_);
    cairo_rectangle(cr_, d.x, d.y, d.w, d.h);
    cairo_clip(cr_);
    cairo_translate(cr_, d.x, d.y);
    cairo_scale(cr_, static_cast<double>(d.w) / s.w, static_cast<double>(d.h) / s.h);
    cairo_set_source_surface(cr_, source, -s.x, -s.y);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_paint(cr_);
    cairo_restore(cr_);
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
    const std::array<int, 11> key{dx, dy, dw, dh, sx, sy, sw, sh, pw, ph, width_};
    for (const RunsEntry& e : runsCache_)
        if (e.key == key && !e.runs.empty()) return e.runs;
    RunsEntry& entry = runsCache_[nextRunsEntry_];
    nextRunsEntry_ = (nextRunsEntry_ + 1) % runsCache_.size();
    entry.key = key;
    std::vector<Run>& runs = entry.runs;
    runs.clear();
    const int x0 = std::max(dx, 0), x1 = std::min(dx + dw, width_), y0 = std::max(dy, 0);
    cairo_save(cr_);
    cairo_rectangle(cr_, dx, y0, dw, 1);
    cairo_clip(cr_);
    cairo_translate(cr_, dx, dy);
    cairo_scale(cr_, static_cast<double>(dw) / sw, static_cast<double>(dh) / sh);
    cairo_set_source_surface(cr_, IndexPicture(pw, ph, false), -sx, -sy);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_paint(cr_);
    cairo_restore(cr_);
    cairo_surface_flush(face_);
    const std::uint32_t* first = Row(face_, y0);
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
    const int x0 = std::max(dx, 0), x1 = std::min(dx + dw, width_);
    const int y0 = std::max(dy, 0), y1 = std::min(dy + dh, height_);
    if (x0 >= x1 || y0 >= y1) return;
    const std::vector<Run>& runs = Runs(source, dx, dy, dw, dh, sx, sy, sw, sh);
    const int ph = cairo_image_surface_get_height(source);
    cairo_surface_flush(face_);
    cairo_surface_flush(source);
    for (int y = y0; y < y1; ++y) {
        // Rows past the picture's edge repeat its edge row, as cairo's pad extension does.
        const std::uint32_t* from = Row(source, std::clamp(y - dy + sy, 0, ph - 1));
        std::uint32_t* to = Row(face_, y);
        for (const Run& run : runs) {
            if (run.copy)
                std::memcpy(to + run.begin, from + run.column, static_cast<std::size_t>(run.end - run.begin) * 4);
            else
                FillPixels(to + run.begin, run.end - run.begin, from[run.column]);
        }
    }
    cairo_surface_mark_dirty_rectangle(face_, x0, y0, x1 - x0, y1 - y0);
}

// Which source row each face row of a copy stretched only down takes, found as Runs finds
// its columns: cairo draws the picture's row numbers into the copy's first visible column.
const std::vector<int>& Painter::Rows(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy, int sw,
                                      int sh) {
    const int pw = cairo_image_surface_get_width(source), ph = cairo_image_surface_get_height(source);
    const std::array<int, 11> key{dx, dy, dw, dh, sx, sy, sw, sh, pw, ph, height_};
    for (const RowsEntry& e : rowsCache_)
        if (e.key == key && !e.rows.empty()) return e.rows;
    RowsEntry& entry = rowsCache_[nextRowsEntry_];
    nextRowsEntry_ = (nextRowsEntry_ + 1) % rowsCache_.size();
    entry.key = key;
    const int x0 = std::max(dx, 0), y0 = std::max(dy, 0), y1 = std::min(dy + dh, height_);
    cairo_save(cr_);
    cairo_rectangle(cr_, x0, dy, 1, dh);
    cairo_clip(cr_);
    cairo_translate(cr_, dx, dy);
    cairo_scale(cr_, static_cast<double>(dw) / sw, static_cast<double>(dh) / sh);
    cairo_set_source_surface(cr_, IndexPicture(pw, ph, true), -sx, -sy);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_paint(cr_);
    cairo_restore(cr_);
    cairo_surface_flush(face_);
    entry.rows.clear();
    for (int y = y0; y < y1; ++y) entry.rows.push_back(static_cast<int>(Row(face_, y)[x0] & 0xFFFFFFu));
    return entry.rows;
}

// The scaled copy of an opaque picture stretched only down, columns unscaled and within the
// picture (the edge strips): each face row is its source row's columns, copied whole.
void Painter::CopyColumns(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
    const int x0 = std::max(dx, 0), x1 = std::min(dx + dw, width_);
    const int y0 = std::max(dy, 0), y1 = std::min(dy + dh, height_);
    if (x0 >= x1 || y0 >= y1) return;
    const std::vector<int>& rows = Rows(source, dx, dy, dw, dh, sx, sy, sw, sh);
    cairo_surface_flush(face_);
    cairo_surface_flush(source);
    const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * 4;
    for (int y = y0; y < y1; ++y)
        std::memcpy(Row(face_, y) + x0, Row(source, rows[static_cast<std::size_t>(y - y0)]) + (x0 - dx + sx), bytes);
    cairo_surface_mark_dirty_rectangle(face_, x0, y0, x1 - x0, y1 - y0);
}

// Text through pango and fontconfig ("Arial" resolves to a metric-compatible face on Linux),
// at a fixed 96 dpi and grey antialiasing, so that the result does not depend on the desktop.
// The layout is made once; it is laid out again only when the text differs from the last.
int Painter::Print(const std::string& text, float x, float y, Color color) {
    if (!layout_) {
        layout_ = pango_cairo_create_layout(cr_);
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
    SetSource(cr_, color);
    cairo_move_to(cr_, TwipsToPixels(x), TwipsToPixels(y));
    pango_cairo_show_layout(cr_, layout_);
    cairo_new_path(cr_);
    if (device_) PrintOnDevice(text, x, y, color);
    return layoutHeight_;
}

// The same text on the device face in the same font at the device's resolution: sharp, not
// the layout's pixels enlarged.
void Painter::PrintOnDevice(const std::string& text, float x, float y, Color color) {
    if (!deviceLayout_) {
        deviceLayout_ = pango_layout_copy(layout_);
        pango_cairo_context_set_resolution(pango_layout_get_context(deviceLayout_), kLayoutDpi * scale_.Factor());
        pango_cairo_update_layout(deviceCr_, deviceLayout_);
    }
    pango_layout_set_text(deviceLayout_, text.c_str(), -1);
    SetSource(deviceCr_, color);
    cairo_move_to(deviceCr_, scale_.TwipsToDevice(x), scale_.TwipsToDevice(y));
    pango_cairo_show_layout(deviceCr_, deviceLayout_);
    cairo_new_path(deviceCr_);
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
    for (int i = kElemCount - 1; i >= 0; --i) {
        const ElementState& e = elements[static_cast<std::size_t>(i)];
        if (!e.visible || design_.elements[static_cast<std::size_t>(i)].kind != ElemKind::Image) continue;
        cairo_surface_t* picture = PictureSurface(e.picture);
        if (!picture) continue;
        const PixelRect r = TwipsRectToPixels(e.left, e.top, e.width, e.height);
        // The picture at its natural size, enlarged as the face is: nearest neighbour, sharp.
        const int w = std::min(r.w, cairo_image_surface_get_width(picture));
        const int h = std::min(r.h, cairo_image_surface_get_height(picture));
        if (w <= 0 || h <= 0) continue;
        const PixelRect d = scale_.ToDevice(PixelRect{r.x, r.y, w, h});
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
