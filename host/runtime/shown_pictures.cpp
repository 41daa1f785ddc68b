#include "host/runtime/shown_pictures.h"

#include <algorithm>

namespace tarvik {

std::optional<PixelRect> ShownPictureBox(const ElementTable& elements, const FormDesign& design,
                                         const PictureSizes& sizes, Elem elem) {
    const std::size_t i = static_cast<std::size_t>(elem);
    const ElementState& e = elements[i];
    if (!e.visible || design.elements[i].kind != ElemKind::Image) return std::nullopt;
    const PictureSize natural = sizes[static_cast<std::size_t>(e.picture)];
    const PixelRect r = TwipsRectToPixels(e.left, e.top, e.width, e.height);
    const int w = std::min(natural.width, r.w), h = std::min(natural.height, r.h);
    if (w <= 0 || h <= 0) return std::nullopt;
    return PixelRect{r.x, r.y, w, h};
}

ShownPictures PicturesOnFace(const ElementTable& elements, const FormDesign& design, const PictureSizes& sizes) {
    ShownPictures shown;
    for (int i = kElemCount - 1; i >= 0; --i) {
        const Elem elem = static_cast<Elem>(i);
        if (const std::optional<PixelRect> box = ShownPictureBox(elements, design, sizes, elem))
            shown.Add({elem, elements[static_cast<std::size_t>(i)].picture, *box});
    }
    return shown;
}

}  // namespace tarvik
