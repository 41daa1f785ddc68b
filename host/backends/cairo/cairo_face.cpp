#include "host/backends/cairo/cairo_face.h"

#include <cairo.h>

namespace tarvik::cairo {

namespace {

// An image surface's pixels as rows of 32-bit pixels.
PixelImage Pixels(cairo_surface_t* image, StoreSize size) {
    if (!image) return {nullptr, 0, 0, 0};
    cairo_surface_flush(image);
    return {reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image)), cairo_image_surface_get_stride(image) / 4,
            size.width, size.height};
}

}  // namespace

CairoFace::~CairoFace() {
    Release();
    if (made_) cairo_surface_destroy(made_);
}

void CairoFace::Release() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    if (store_) cairo_surface_destroy(store_);
    cr_ = nullptr;
    surface_ = nullptr;
    store_ = nullptr;
    storeSize_ = {};
    size_ = {};
}

bool CairoFace::Resize(int width, int height, Color back) {
    const std::optional<FaceSize> face = ResizeFaceStore(*this, storeSize_, size_, width, height, back);
    if (!face) return false;
    if (surface_ && *face == size_) return true;
    cairo_surface_mark_dirty(store_);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(cairo_image_surface_get_data(store_), CAIRO_FORMAT_RGB24,
                                                                   face->width, face->height,
                                                                   cairo_image_surface_get_stride(store_));
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    surface_ = surface;
    cr_ = cairo_create(surface_);
    size_ = *face;
    return true;
}

// cairo gives an image surface in an error state, not null, where memory is short.
bool CairoFace::MakeStore(StoreSize size) {
    if (made_) cairo_surface_destroy(made_);
    made_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height);
    if (cairo_surface_status(made_) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(made_);
        made_ = nullptr;
        return false;
    }
    madeSize_ = size;
    return true;
}

PixelImage CairoFace::Made() { return Pixels(made_, madeSize_); }

PixelImage CairoFace::Held() {
    if (surface_) cairo_surface_flush(surface_);
    return Pixels(store_, storeSize_);
}

// The old view goes with its store; Resize makes the new one.
void CairoFace::UseMade() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    if (store_) cairo_surface_destroy(store_);
    cr_ = nullptr;
    surface_ = nullptr;
    store_ = made_;
    storeSize_ = madeSize_;
    made_ = nullptr;
}

}  // namespace tarvik::cairo
