// The window face as a persistent cairo image, and the drawing the forms runtime does on it:
// filled boxes and lines, scaled picture copies and text through pango. Shared by every host
// that draws with cairo (the simulated host, GTK), so that all of them paint the same pixels.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/backends/cairo/cairo_face.h"
#include "host/design.h"
#include "host/runtime/hit_test.h"
#include "host/host.h"
#include "host/runtime/display_scale.h"
#include "host/twips.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _PangoLayout PangoLayout;

namespace tarvik::cairo {

class Painter {
public:
    // An empty face in the design's back colour; text in the design's font.
    explicit Painter(const FormDesign& design);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // Makes the face width x height layout pixels, keeping what was drawn at its top-left; new
    // parts get the back colour (ResizeFaceStore: smaller where memory is short). False, and the
    // old face kept, if not even a 1 x 1 face could be made.
    bool Resize(int width, int height);
    // Draws from now on for a display of this scale: boxes and pictures are the layout's
    // pixels enlarged (each layout pixel fills its device pixels), text is drawn at the
    // device's resolution. The device face is drawn afresh from the layout face.
    void SetScale(DisplayScale scale);
    const DisplayScale& Scale() const { return scale_; }
    // The face in layout pixels: an RGB24 image surface that lives until the next Resize that changes its size.
    cairo_surface_t* Face() const { return face_.Surface(); }
    int Width() const { return face_.Width(); }
    int Height() const { return face_.Height(); }
    // The face in device pixels (the layout face itself at scale 1).
    const CairoFace& ShownFace() const { return device_.Exists() ? device_ : face_; }
    cairo_surface_t* DeviceFace() const { return ShownFace().Surface(); }
    int DeviceWidth() const { return ShownFace().Width(); }
    int DeviceHeight() const { return ShownFace().Height(); }

    // Draws a line, box or filled box between two corners (twips) in the colour.
    void Line(float x1, float y1, float x2, float y2, Color color, LineKind kind);
    // A nearest-neighbour scaled, opaque copy of a source rectangle of the picture (twips),
    // clipped to the face; false (nothing drawn) for an empty picture.
    bool PaintPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                      float sh);
    // Draws text in the design's font with its top-left at (x, y) twips; returns its height in pixels.
    int Print(const std::string& text, float x, float y, Color color);

    // What the user sees, onto cr in device pixels with the window's top-left at its origin:
    // the face (the back colour beyond it), then the pictures that show over it (PicturesOnFace).
    void Compose(cairo_t* cr, const ElementTable& elements) const;

private:
    bool ResizeDevice();
    void Enlarge(int x, int y, int width, int height);
    void PrintOnDevice(const std::string& text, float x, float y, Color color);
    void CopyRows(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
    cairo_surface_t* IndexPicture(int width, int height, bool rows);

    const FormDesign& design_;
    // The face in layout pixels; its context is left by every drawing call as it found it.
    CairoFace face_;
    // The caption's layout, made once with the design's font and kept with its last text.
    PangoLayout* layout_ = nullptr;
    std::string layoutText_;
    int layoutHeight_ = 0;
    // At a scale other than 1: the face in device pixels, and the caption's layout for it.
    DisplayScale scale_;
    CairoFace device_;
    PangoLayout* deviceLayout_ = nullptr;
    // Pictures whose every pixel holds its own column (or row) number, one per picture size.
    std::map<std::array<int, 3>, cairo_surface_t*> indexPictures_;
    struct Run {
        int begin, end;
        std::uint32_t column;  // the source column of begin
        bool copy;             // consecutive source columns; else all take column
    };
    // The runs of a row copy depend only on its rectangles, the picture's size and the face's
    // width, so the last few are kept: a layout at an unchanged size finds all of them.
    struct RunsEntry {
        std::array<int, 11> key{};
        std::vector<Run> runs;
    };
    const std::vector<Run>& Runs(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
    std::array<RunsEntry, 8> runsCache_{};
    std::size_t nextRunsEntry_ = 0;
    // The same for copies stretched only down (the edge strips): the source row of each face row.
    struct RowsEntry {
        std::array<int, 11> key{};
        std::vector<int> rows;
    };
    const std::vector<int>& Rows(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
    void CopyColumns(cairo_surface_t* source, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
    std::array<RowsEntry, 4> rowsCache_{};
    std::size_t nextRowsEntry_ = 0;
};

}  // namespace tarvik::cairo
