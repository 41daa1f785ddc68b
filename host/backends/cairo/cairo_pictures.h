// The embedded pictures, decoded once (by the program's own BMP/ICO reader) for every cairo-drawn
// host: the painter draws them and the GTK host makes its window icons from them.
#pragma once

#include "host/runtime/shown_pictures.h"
#include "host/types.h"

typedef struct _cairo_surface cairo_surface_t;

namespace tarvik::cairo {

// The picture as a cairo image surface (owned by the cache); null for Picture::None.
// An undecodable picture is a build fault: it asserts.
cairo_surface_t* PictureSurface(Picture picture);

// Every picture's natural size (decoding each once).
const PictureSizes& PictureNaturalSizes();

// Whether every pixel of the picture is fully opaque (found once per picture); false for None.
bool PictureOpaque(Picture picture);

}  // namespace tarvik::cairo
