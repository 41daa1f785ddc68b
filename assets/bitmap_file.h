// Reading the embedded BMP and ICO files: header fields, the pixels of 24-bit images, and an
// icon's directory entries, image bytes and AND mask. Standard C++ only, for every build.
// Every part a header names is checked to lie inside the bytes; a file that fails is refused
// with the reason, never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvik::bitmap {

using Bytes = std::span<const unsigned char>;

// A colour as three 0..255 channels.
struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// A device-independent bitmap as a BMP file or an icon image holds it: a BITMAPINFOHEADER, its
// colour table, the colour rows and (for an icon) the AND mask rows, each row padded to 4 bytes.
struct Dib {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t storedHeight = 0;  // as the header says: doubled for an icon, negative for top-down rows
    int height = 0;                 // rows of colour
    std::uint16_t planes = 0, bitCount = 0;
    std::uint32_t compression = 0;
    const unsigned char* info = nullptr;  // the header, then the colour table
    std::size_t infoSize = 0;             // header and colour table, in bytes
    const unsigned char* bits = nullptr;  // the colour rows
    const unsigned char* mask = nullptr;  // an icon's AND mask rows, bottom-up; null for a BMP

    // Bytes per colour row, and per mask row.
    std::size_t Stride() const;
    std::size_t MaskStride() const;
    // Pixel (x, y), counted from the top left, of a 24-bit image.
    Rgb At(int x, int y) const;
    // Whether an icon's AND mask makes pixel (x, y) transparent.
    bool Clear(int x, int y) const;
};

struct BmpFile {
    std::uint32_t fileSize = 0;    // as the file header says
    std::uint32_t bitsOffset = 0;  // where the colour rows start
    Dib dib;
};

// Whether the bytes start as a BMP file does ("BM").
bool IsBmp(Bytes bytes);
// Reads a BMP file with a BITMAPINFOHEADER; nullopt with why in *error if it is not one.
std::optional<BmpFile> ReadBmp(Bytes bytes, std::string* error);

// One entry of an icon's directory and the image it names.
struct IconEntry {
    int width = 0, height = 0;  // pixels; the directory's 0 means 256
    int colours = 0, reserved = 0;
    std::uint16_t planes = 0, bitCount = 0;
    std::uint32_t size = 0, offset = 0;  // the image's bytes and where they start in the file
    Bytes image;
};

struct IcoFile {
    std::uint16_t reserved = 0, type = 0;
    std::vector<IconEntry> entries;
};

// Reads an icon's directory; nullopt with why in *error if it or an image lies outside the bytes.
std::optional<IcoFile> ReadIco(Bytes bytes, std::string* error);
// Reads an icon image: colour rows for half the stored height, then the mask rows.
std::optional<Dib> ReadIconImage(Bytes image, std::string* error);

}  // namespace tarvik::bitmap
