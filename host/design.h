// Design data: what the runtime creates the window and its elements from.
#pragma once

#include <array>

#include "host/types.h"

namespace tarvik {

// Whether an element is a windowless image or a picture box.
enum class ElemKind : int { Image, PictureBox };

// One element as it exists when the window is created.
struct ElementDesign {
    Elem elem;
    const char* name;
    ElemKind kind;
    float left, top, width, height;
    bool visible;
    Picture picture;
    Cursor cursor;
    const char* toolTip;  // UTF-8; "" for none
};

// The window's font.
struct FontDesign {
    const char* face;
    float points;
    int weight;
    int charset;
};

// The window and its elements as the runtime creates them.
struct FormDesign {
    const char* caption;  // UTF-8
    Color backColor;
    Color foreColor;
    FontDesign font;
    float clientWidth, clientHeight;
    Picture icon;
    std::array<ElementDesign, kElemCount> elements;  // in design order, indexed by Elem
};

// The grips apply a new size only above these (twips); the smallest window they give is one
// pixel (15 twips) more each way, 167 x 101 pixels, which the backends tell the system as the
// window's minimum size so that no resize of its own goes below it.
inline constexpr int kGripMinWidthTwips = 2500;
inline constexpr int kGripMinHeightTwips = 1500;
inline constexpr int kMinWindowWidthPx = kGripMinWidthTwips / 15 + 1;
inline constexpr int kMinWindowHeightPx = kGripMinHeightTwips / 15 + 1;
static_assert(kMinWindowWidthPx == 167 && kMinWindowHeightPx == 101, "the smallest size the grips give");

// The design data of the one window, Form1.
const FormDesign& Form1Design();

// The element's design name, e.g. "Immax".
const char* ElemName(Elem elem);

}  // namespace tarvik
