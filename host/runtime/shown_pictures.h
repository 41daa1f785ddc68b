// Which element pictures show over the face, where, and in which order they are drawn: a pure
// function of the element table, so that every backend's painter shows the same ones.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "host/design.h"
#include "host/runtime/hit_test.h"
#include "host/twips.h"

namespace tarvik {

// Picture::None and the twelve embedded pictures.
inline constexpr int kPictureCount = 13;

// Each picture's natural size in pixels, indexed by Picture (0 x 0 for None).
struct PictureSize {
    int width = 0, height = 0;
};
using PictureSizes = std::array<PictureSize, kPictureCount>;

// One element's picture on the face, in layout pixels.
struct ShownPicture {
    Elem elem = Elem::Pmain;
    Picture picture{};  // None (X11 headers define None as a macro)
    PixelRect box{};
};

// The pictures in drawing order, held without allocating (a paint allocates nothing).
class ShownPictures {
public:
    const ShownPicture* begin() const { return items_.data(); }
    const ShownPicture* end() const { return items_.data() + count_; }
    std::size_t size() const { return count_; }
    void Add(const ShownPicture& picture) { items_[count_++] = picture; }

private:
    std::array<ShownPicture, kElemCount> items_{};
    std::size_t count_ = 0;
};

// Where the element's picture shows: a visible image's picture at the element's top-left, at
// its natural size cut to the element; none for any other element or an empty box.
std::optional<PixelRect> ShownPictureBox(const ElementTable& elements, const FormDesign& design,
                                         const PictureSizes& sizes, Elem elem);

// Every picture that shows, in drawing order: the design order's later elements lie beneath,
// so they come first.
ShownPictures PicturesOnFace(const ElementTable& elements, const FormDesign& design, const PictureSizes& sizes);

}  // namespace tarvik
