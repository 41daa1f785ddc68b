// The window face as a persistent cairo image, and the drawing the forms runtime does on it:
// filled boxes and lines, scaled picture copies and text through pango. Shared by every host
// that draws with cairo (the simulated host, GTK), so that all of them paint the same pixels.
#pragma once

#include <string>

#include "host/design.h"
#include "host/hit_test.h"
#include "host/host.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace tarvik::cairo {

class Painter {
public:
    // An empty face in the design's back colour; text in the design's font.
    explicit Painter(const FormDesign& design);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // Makes the face width x height pixels (at least 1 x 1), keeping what was drawn at its
    // top-left; new parts get the back colour.
    void Resize(int width, int height);
    // The face: an RGB24 image surface that lives until the next Resize that changes its size.
    cairo_surface_t* Face() const { return face_; }
    int Width() const;
    int Height() const;

    // Draws a line, box or filled box between two corners (twips) in the colour.
    void Line(float x1, float y1, float x2, float y2, Color color, LineKind kind);
    // A nearest-neighbour scaled, opaque copy of a source rectangle of the picture (twips),
    // clipped to the face; false (nothing drawn) for an empty picture.
    bool PaintPicture(Picture picture, float dx, float dy, float dw, float dh, float sx, float sy, float sw,
                      float sh);
    // Draws text in the design's font with its top-left at (x, y) twips; returns its height in pixels.
    int Print(const std::string& text, float x, float y, Color color);

    // What the user sees, onto cr with the window's top-left at its origin: the face, then the
    // pictures of the visible image elements, the bottom of the z-order first.
    void Compose(cairo_t* cr, const ElementTable& elements) const;

private:
    const FormDesign& design_;
    cairo_surface_t* face_ = nullptr;
};

}  // namespace tarvik::cairo
