// The design data of Form1: the window and its eighteen elements as created.
#include <cassert>

#include "host/design.h"

namespace tarvik {

namespace {

constexpr Color kBackColor = Rgb(250, 250, 250);
constexpr Color kForeColor = Rgb(31, 96, 169);

const FormDesign kForm1 = {
    "Lumenta",
    kBackColor,
    kForeColor,
    {"Arial", 10.5f, 700, 0},
    4350.0f,
    3465.0f,
    Picture::A1,
    {{
        {Elem::Pmain, "Pmain", ElemKind::PictureBox, 4080, 3840, 2250, 2325, false, Picture::A2, Cursor::Arrow, ""},
        {Elem::Pjiao, "Pjiao", ElemKind::Image, 6360, 5400, 255, 255, true, Picture::None, Cursor::SizeNWSE, ""},
        {Elem::Imico, "Imico", ElemKind::Image, 5160, 5640, 240, 240, false, Picture::A3, Cursor::Arrow, ""},
        {Elem::IMus2, "IMus2", ElemKind::Image, 2760, 4800, 255, 240, false, Picture::A6, Cursor::Arrow, ""},
        {Elem::IMus1, "IMus1", ElemKind::Image, 2760, 4560, 255, 240, false, Picture::A5, Cursor::Arrow, ""},
        {Elem::IMus0, "IMus0", ElemKind::Image, 2760, 4320, 255, 240, false, Picture::A4, Cursor::Arrow, ""},
        {Elem::Pright, "Pright", ElemKind::Image, 3720, -240, 135, 5535, true, Picture::None, Cursor::SizeWE, ""},
        {Elem::Pbottom, "Pbottom", ElemKind::Image, 0, 4080, 1785, 195, true, Picture::None, Cursor::SizeNS, ""},
        {Elem::Imclose, "Imclose", ElemKind::Image, 2880, 360, 255, 240, true, Picture::None, Cursor::Arrow, "关闭"},
        {Elem::Immax, "Immax", ElemKind::Image, 2520, 360, 255, 240, true, Picture::None, Cursor::Arrow, "最大化"},
        {Elem::Immin, "Immin", ElemKind::Image, 2160, 360, 255, 240, true, Picture::None, Cursor::Arrow, "最小化"},
        {Elem::Immax2, "Immax2", ElemKind::Image, 2400, 4560, 255, 240, false, Picture::A8, Cursor::Arrow, ""},
        {Elem::Immax1, "Immax1", ElemKind::Image, 2040, 4560, 255, 240, false, Picture::A7, Cursor::Arrow, ""},
        {Elem::ImClose1, "ImClose1", ElemKind::Image, 2040, 4800, 255, 240, false, Picture::A11, Cursor::Arrow, ""},
        {Elem::ImClose2, "ImClose2", ElemKind::Image, 2400, 4800, 255, 240, false, Picture::A12, Cursor::Arrow, ""},
        {Elem::ImMin2, "ImMin2", ElemKind::Image, 2400, 4320, 255, 240, false, Picture::A10, Cursor::Arrow, ""},
        {Elem::ImMin1, "ImMin1", ElemKind::Image, 2040, 4320, 255, 240, false, Picture::A9, Cursor::Arrow, ""},
        {Elem::IMBar, "IMBar", ElemKind::Image, 0, 0, 3015, 255, true, Picture::None, Cursor::Arrow, ""},
    }},
};

}  // namespace

const FormDesign& Form1Design() { return kForm1; }

const char* ElemName(Elem elem) {
    const int i = static_cast<int>(elem);
    assert(i >= 0 && i < kElemCount && "element out of range");
    return kForm1.elements[static_cast<std::size_t>(i)].name;
}

}  // namespace tarvik
