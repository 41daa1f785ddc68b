// A face as cairo image pixels: the top-left part of a larger store (face_store.h), drawn on
// through a surface and a context of its own size.
#pragma once

#include "host/runtime/face_store.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace tarvik::cairo {

class CairoFace final : private PixelStores {
public:
    CairoFace() = default;
    ~CairoFace() override;
    CairoFace(const CairoFace&) = delete;
    CairoFace& operator=(const CairoFace&) = delete;

    // Makes the face width x height, keeping its drawing (ResizeFaceStore); false, and the old
    // face kept, if not even a 1 x 1 face could be made. The surface and context are new after it.
    bool Resize(int width, int height, Color back);
    // Gives back the pixels: no face until the next Resize.
    void Release();
    bool Exists() const { return surface_ != nullptr; }
    cairo_surface_t* Surface() const { return surface_; }
    cairo_t* Cr() const { return cr_; }
    int Width() const { return size_.width; }
    int Height() const { return size_.height; }

private:
    bool MakeStore(StoreSize size) override;
    PixelImage Made() override;
    PixelImage Held() override;
    void UseMade() override;

    cairo_surface_t* store_ = nullptr;
    StoreSize storeSize_;
    cairo_surface_t* made_ = nullptr;  // a store just made, not yet in use
    StoreSize madeSize_;
    cairo_surface_t* surface_ = nullptr;  // the face: a view of the store's top-left
    cairo_t* cr_ = nullptr;
    FaceSize size_;
};

}  // namespace tarvik::cairo
