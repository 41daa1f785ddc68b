#include "host/backends/cairo/cairo_pictures.h"

#include <cairo.h>

#include <array>
#include <cassert>
#include <cstdint>
#include <optional>
#include <string>

#include "assets/bitmap_file.h"
#include "assets/embedded.h"

namespace tarvik::cairo {

namespace {

std::array<cairo_surface_t*, 13> g_cache{};

// The picture's pixels: a BMP's one image, or an icon's largest (the one a window shows best).
std::optional<bitmap::Dib> ReadPicture(bitmap::Bytes bytes, std::string* error) {
    if (bitmap::IsBmp(bytes)) {
        const auto bmp = bitmap::ReadBmp(bytes, error);
        return bmp ? std::optional(bmp->dib) : std::nullopt;
    }
    const auto ico = bitmap::ReadIco(bytes, error);
    if (!ico || ico->entries.empty()) return std::nullopt;
    const bitmap::IconEntry* best = &ico->entries.front();
    for (const bitmap::IconEntry& e : ico->entries)
        if (e.width * e.height > best->width * best->height) best = &e;
    return bitmap::ReadIconImage(best->image, error);
}

// Decodes the embedded BMP or ICO bytes with the program's own reader into premultiplied ARGB32:
// an icon's masked pixels are transparent, every other pixel opaque.
cairo_surface_t* Decode(const AssetBytes& bytes) {
    std::string error;
    const auto dib = ReadPicture({bytes.data, bytes.size}, &error);
    assert(dib && dib->bitCount == 24 && "embedded picture does not decode");
    const int w = dib->width, h = dib->height;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(surface);
    unsigned char* dst = cairo_image_surface_get_data(surface);
    const int dstStride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(dst + y * dstStride);
        for (int x = 0; x < w; ++x) {
            const bool clear = dib->mask && dib->Clear(x, y);
            const bitmap::Rgb c = dib->At(x, y);
            row[x] = clear ? 0u : 0xFF000000u | static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b);
        }
    }
    cairo_surface_mark_dirty(surface);
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
