// Which element the pointer is over: a pure function of the elements' geometry.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "host/types.h"

namespace tarvik {

// One element's live properties, kept by the shared runtime for every backend.
struct ElementState {
    float left = 0, top = 0, width = 0, height = 0;
    bool visible = false;
    Picture picture = Picture::None;
    Cursor cursor = Cursor::Arrow;
    std::string tag;
    std::string toolTip;
};

using ElementTable = std::array<ElementState, kElemCount>;

// The visible element under a face pixel, or none for the bare face.
// Z-order: an element earlier in the design order lies above a later one (so the corner grip
// wins over the bottom grip where they overlap).
std::optional<Elem> HitTest(const ElementTable& elements, int x, int y);

}  // namespace tarvik
