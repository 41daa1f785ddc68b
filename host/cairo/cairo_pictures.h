// The embedded pictures, decoded once for every cairo-drawn host.
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
