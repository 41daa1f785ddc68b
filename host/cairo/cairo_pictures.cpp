#include "host/cairo/cairo_pictures.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <array>
#include <cassert>
#include <cstdint>

#include "assets/embedded.h"

namespace tarvik::cairo {

namespace {

std::array<cairo_surface_t*, 13> g_cache{};

// Decodes BMP or ICO bytes with gdk-pixbuf and converts them to premultiplied ARGB32.
cairo_surface_t* Decode(const AssetBytes& bytes) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    GError* error = nullptr;
    const bool ok = gdk_pixbuf_loader_write(loader, bytes.data, bytes.size, &error) &&
                    gdk_pixbuf_loader_close(loader, &error);
    assert(ok && "embedded picture does not decode");
    (void)ok;
    if (error) g_error_free(error);
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
    assert(pixbuf);
    const int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(surface);
    unsigned char* dst = cairo_image_surface_get_data(surface);
    const int dstStride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(dst + y * dstStride);
        for (int x = 0; x < w; ++x) {
            const guchar* p = src + y * stride + x * channels;
            const unsigned a = channels == 4 ? p[3] : 255;
            const unsigned r = p[0] * a / 255, g = p[1] * a / 255, b = p[2] * a / 255;
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
    g_object_unref(loader);
    return surface;
}

}  // namespace

cairo_surface_t* PictureSurface(Picture picture) {
    const int n = static_cast<int>(picture);
    assert(n >= 0 && n <= 12 && "picture out of range");
    if (n == 0) return nullptr;
    cairo_surface_t*& slot = g_cache[static_cast<std::size_t>(n)];
    if (!slot) slot = Decode(EmbeddedAsset(n));
    return slot;
}

const PictureSizes& PictureNaturalSizes() {
    static const PictureSizes sizes = [] {
        PictureSizes all{};
        for (int n = 1; n < kPictureCount; ++n) {
            cairo_surface_t* surface = PictureSurface(static_cast<Picture>(n));
            all[static_cast<std::size_t>(n)] = {cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
        }
        return all;
    }();
    return sizes;
}

bool PictureOpaque(Picture picture) {
    static std::array<int, 13> known{};  // 0 not yet looked at, 1 opaque, 2 not
    cairo_surface_t* surface = PictureSurface(picture);
    if (!surface) return false;
    int& state = known[static_cast<std::size_t>(picture)];
    if (state == 0) {
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
        state = 1;
        for (int y = 0; y < h && state == 1; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
            for (int x = 0; x < w; ++x)
                if ((row[x] >> 24) != 0xFF) state = 2;
        }
    }
    return state == 1;
}

}  // namespace tarvik::cairo
