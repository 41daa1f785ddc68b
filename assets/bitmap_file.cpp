#include "assets/bitmap_file.h"

#include <cassert>

namespace tarvik::bitmap {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER; older and newer headers are refused
constexpr std::size_t kIconDirSize = 6, kIconEntrySize = 16;
constexpr std::int64_t kMaxSide = 1 << 15;  // larger than any picture here; keeps sizes far from overflow

std::uint16_t U16(Bytes b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }
std::uint32_t U32(Bytes b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::optional<Dib> Refuse(std::string* error, const std::string& why) {
    if (error) *error = why;
    return std::nullopt;
}

// Reads the BITMAPINFOHEADER at the start of dib; the colour rows start at bitsAt (from the
// start of dib) and cover `rows` rows, followed by as many mask rows for an icon.
std::optional<Dib> ReadDib(Bytes dib, std::optional<std::size_t> bitsAt, bool icon, std::string* error) {
    if (dib.size() < kInfoHeaderSize)
        return Refuse(error, "a bitmap header needs 40 bytes, " + std::to_string(dib.size()) + " are there");
    Dib d;
    d.headerSize = U32(dib, 0);
    d.width = static_cast<std::int32_t>(U32(dib, 4));
    d.storedHeight = static_cast<std::int32_t>(U32(dib, 8));
    d.planes = U16(dib, 12);
    d.bitCount = U16(dib, 14);
    d.compression = U32(dib, 16);
    if (d.headerSize != kInfoHeaderSize)
        return Refuse(error, "expected a 40-byte BITMAPINFOHEADER, the header says " + std::to_string(d.headerSize));
    const std::int64_t stored = d.storedHeight < 0 ? -std::int64_t{d.storedHeight} : d.storedHeight;
    if (d.width <= 0 || d.width > kMaxSide || stored == 0 || stored > kMaxSide || (icon && (d.storedHeight < 0 || stored % 2)))
        return Refuse(error, "unusable size " + std::to_string(d.width) + " x " + std::to_string(d.storedHeight));
    if (d.bitCount == 0 || d.bitCount > 32) return Refuse(error, "unusable bit count " + std::to_string(d.bitCount));
    d.height = static_cast<int>(icon ? stored / 2 : stored);
    std::uint64_t colours = U32(dib, 32);
    if (colours == 0 && d.bitCount <= 8) colours = 1u << d.bitCount;
    d.infoSize = d.headerSize + colours * 4;
    const std::uint64_t start = bitsAt.value_or(d.infoSize);
    const std::uint64_t end = start + std::uint64_t{d.Stride()} * d.height + (icon ? std::uint64_t{d.MaskStride()} * d.height : 0);
    if (d.infoSize > dib.size() || start < d.infoSize || end > dib.size())
        return Refuse(error, "the colour table or rows run to byte " + std::to_string(end) + " of " + std::to_string(dib.size()));
    d.info = dib.data();
    d.bits = dib.data() + start;
    if (icon) d.mask = d.bits + d.Stride() * static_cast<std::size_t>(d.height);
    return d;
}

}  // namespace

std::size_t Dib::Stride() const { return (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4; }
std::size_t Dib::MaskStride() const { return (static_cast<std::size_t>(width) + 31) / 32 * 4; }

Rgb Dib::At(int x, int y) const {
    assert(bitCount == 24 && "pixels are read from 24-bit images only");
    assert(x >= 0 && x < width && y >= 0 && y < height && "pixel outside the image");
    const int row = storedHeight < 0 ? y : height - 1 - y;
    const unsigned char* p = bits + Stride() * static_cast<std::size_t>(row) + static_cast<std::size_t>(x) * 3;
    return {p[2], p[1], p[0]};
}

bool Dib::Clear(int x, int y) const {
    assert(mask && "only an icon image has a mask");
    assert(x >= 0 && x < width && y >= 0 && y < height && "pixel outside the image");
    const unsigned char* row = mask + MaskStride() * static_cast<std::size_t>(height - 1 - y);
    return (row[x / 8] & (0x80 >> (x % 8))) != 0;
}

bool IsBmp(Bytes bytes) { return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M'; }

std::optional<BmpFile> ReadBmp(Bytes bytes, std::string* error) {
    if (!IsBmp(bytes) || bytes.size() < kFileHeaderSize) {
        if (error) *error = "not a BMP file";
        return std::nullopt;
    }
    BmpFile f;
    f.fileSize = U32(bytes, 2);
    f.bitsOffset = U32(bytes, 10);
    if (f.bitsOffset < kFileHeaderSize) {
        if (error) *error = "the rows start at byte " + std::to_string(f.bitsOffset) + ", inside the file header";
        return std::nullopt;
    }
    const auto dib = ReadDib(bytes.subspan(kFileHeaderSize), f.bitsOffset - kFileHeaderSize, false, error);
    if (!dib) return std::nullopt;
    f.dib = *dib;
    return f;
}

std::optional<IcoFile> ReadIco(Bytes bytes, std::string* error) {
    const auto refuse = [&](const std::string& why) {
        if (error) *error = why;
        return std::nullopt;
    };
    if (bytes.size() < kIconDirSize) return refuse("an icon directory needs 6 bytes");
    IcoFile f;
    f.reserved = U16(bytes, 0);
    f.type = U16(bytes, 2);
    if (f.type != 1) return refuse("not an icon: type " + std::to_string(f.type));
    const std::size_t count = U16(bytes, 4);
    if (kIconDirSize + kIconEntrySize * count > bytes.size())
        return refuse("the directory names " + std::to_string(count) + " images, the file is too short for them");
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kIconDirSize + kIconEntrySize * i;
        IconEntry e;
        e.width = bytes[at] ? bytes[at] : 256;
        e.height = bytes[at + 1] ? bytes[at + 1] : 256;
        e.colours = bytes[at + 2];
        e.reserved = bytes[at + 3];
        e.planes = U16(bytes, at + 4);
        e.bitCount = U16(bytes, at + 6);
        e.size = U32(bytes, at + 8);
        e.offset = U32(bytes, at + 12);
        if (std::uint64_t{e.offset} + e.size > bytes.size())
            return refuse("image " + std::to_string(i) + " lies outside the file");
        e.image = bytes.subspan(e.offset, e.size);
        f.entries.push_back(e);
    }
    return f;
}

std::optional<Dib> ReadIconImage(Bytes image, std::string* error) { return ReadDib(image, std::nullopt, true, error); }

}  // namespace tarvik::bitmap
