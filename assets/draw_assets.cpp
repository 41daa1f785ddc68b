// Draws Tarvik's twelve embedded pictures and writes them as BMP and ICO
// files into the directory named on the command line, and the launcher icons
// (16 to 256 px) as PNG files into its icons/ folder:
//
//   tarvik-draw-assets <output-dir>
//
// The committed files in assets/ are this program's output; rerun it and
// commit the result whenever the drawing changes.  Everything is integer
// arithmetic so that every compiler and platform produces the same bytes.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Pixels and pictures

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
};

constexpr Rgb Grey(int v) { return Rgb{v, v, v}; }

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  Image(int w, int h, Rgb fill) : width(w), height(h), pixels(static_cast<std::size_t>(w * h), fill) {}

  Rgb& At(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
  const Rgb& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// A 1-bit transparency mask: true where the picture is see-through.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<bool> clear;

  Mask(int w, int h) : width(w), height(h), clear(static_cast<std::size_t>(w * h), false) {}
  bool IsClear(int x, int y) const { return clear[static_cast<std::size_t>(y * width + x)]; }
  void SetClear(int x, int y, bool v) { clear[static_cast<std::size_t>(y * width + x)] = v; }
};

// Mixes a and b; weight is b's share out of `total`, rounded to nearest.
Rgb Mix(Rgb a, Rgb b, int weight, int total) {
  auto ch = [&](int p, int q) { return (p * (total - weight) + q * weight + total / 2) / total; };
  return Rgb{ch(a.r, b.r), ch(a.g, b.g), ch(a.b, b.b)};
}

std::int64_t ISqrt(std::int64_t n) {
  if (n <= 0) return 0;
  std::int64_t x = 0;
  std::int64_t bit = std::int64_t{1} << 62;
  while (bit > n) bit >>= 2;
  while (bit != 0) {
    if (n >= x + bit) {
      n -= x + bit;
      x = (x >> 1) + bit;
    } else {
      x >>= 1;
    }
    bit >>= 2;
  }
  return x;
}

// ---------------------------------------------------------------------------
// BMP and ICO encoding

void Put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void Put32(std::vector<unsigned char>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t RowBytes24(int width) { return static_cast<std::uint32_t>((width * 3 + 3) / 4 * 4); }
std::uint32_t RowBytes1(int width) { return static_cast<std::uint32_t>((width + 31) / 32 * 4); }

void PutInfoHeader(std::vector<unsigned char>& out, int width, int height, std::uint32_t image_bytes) {
  Put32(out, 40);  // header size
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);   // planes
  Put16(out, 24);  // bits per pixel
  Put32(out, 0);   // BI_RGB
  Put32(out, image_bytes);
  Put32(out, 0);  // horizontal resolution: not given
  Put32(out, 0);  // vertical resolution: not given
  Put32(out, 0);  // colours used
  Put32(out, 0);  // important colours
}

// Bottom-up rows of blue, green, red bytes, each row padded to 4 bytes.
void PutPixels24(std::vector<unsigned char>& out, const Image& img) {
  const std::uint32_t row = RowBytes24(img.width);
  for (int y = img.height - 1; y >= 0; --y) {
    for (int x = 0; x < img.width; ++x) {
      const Rgb& p = img.At(x, y);
      out.push_back(static_cast<unsigned char>(p.b));
      out.push_back(static_cast<unsigned char>(p.g));
      out.push_back(static_cast<unsigned char>(p.r));
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(img.width * 3); pad < row; ++pad) out.push_back(0);
  }
}

std::vector<unsigned char> EncodeBmp(const Image& img) {
  const std::uint32_t image_bytes = RowBytes24(img.width) * static_cast<std::uint32_t>(img.height);
  std::vector<unsigned char> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 14 + 40 + image_bytes);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, 14 + 40);
  PutInfoHeader(out, img.width, img.height, image_bytes);
  PutPixels24(out, img);
  return out;
}

struct IconImage {
  Image colour;
  Mask mask;                         // what an ICO keeps
  std::vector<unsigned char> alpha;  // what a PNG keeps: 0 transparent to 255 opaque
};

// One icon image: a DIB of double height holding the colour rows and then
// the AND mask (bit set = transparent), both bottom-up.
std::vector<unsigned char> EncodeIconDib(const IconImage& icon) {
  const Image& img = icon.colour;
  const std::uint32_t xor_bytes = RowBytes24(img.width) * static_cast<std::uint32_t>(img.height);
  const std::uint32_t and_bytes = RowBytes1(img.width) * static_cast<std::uint32_t>(img.height);
  std::vector<unsigned char> out;
  PutInfoHeader(out, img.width, img.height * 2, xor_bytes + and_bytes);
  PutPixels24(out, img);
  const std::uint32_t row = RowBytes1(img.width);
  for (int y = img.height - 1; y >= 0; --y) {
    std::vector<unsigned char> bits(row, 0);
    for (int x = 0; x < img.width; ++x) {
      if (icon.mask.IsClear(x, y)) bits[static_cast<std::size_t>(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
    }
    out.insert(out.end(), bits.begin(), bits.end());
  }
  return out;
}

std::vector<unsigned char> EncodeIco(const std::vector<IconImage>& images) {
  std::vector<std::vector<unsigned char>> dibs;
  for (const IconImage& icon : images) dibs.push_back(EncodeIconDib(icon));
  std::vector<unsigned char> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // type: icon
  Put16(out, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const Image& img = images[i].colour;
    out.push_back(static_cast<unsigned char>(img.width));
    out.push_back(static_cast<unsigned char>(img.height));
    out.push_back(0);  // no palette
    out.push_back(0);  // reserved
    Put16(out, 1);     // planes
    Put16(out, 24);    // bits per pixel
    Put32(out, static_cast<std::uint32_t>(dibs[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(dibs[i].size());
  }
  for (const auto& dib : dibs) out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

// ---------------------------------------------------------------------------
// PNG encoding: 8-bit RGBA in one IDAT, whose zlib stream is a single
// fixed-Huffman deflate block.  Repeats are found against the previous pixel,
// the pixel above and the last place the same three bytes occurred; that is
// plenty for flat artwork and makes the same bytes on every platform.

// Appends v most significant byte first, as PNG wants.
void PutBe32(std::vector<unsigned char>& out, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

// The CRC-32 of bytes[from..], as each PNG chunk ends with.
std::uint32_t Crc32(const std::vector<unsigned char>& bytes, std::size_t from) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = from; i < bytes.size(); ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

// The checksum that ends a zlib stream.
std::uint32_t Adler32(const std::vector<unsigned char>& bytes) {
  constexpr std::uint32_t kMod = 65521;
  std::uint32_t a = 1, b = 0;
  for (unsigned char v : bytes) {
    a = (a + v) % kMod;
    b = (b + a) % kMod;
  }
  return (b << 16) | a;
}

// Deflate's bit order: fields from the least significant bit up, Huffman
// codes from their most significant bit.
class BitWriter {
 public:
  void Bits(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
  }
  void Code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  std::vector<unsigned char> Finish() {
    if (used_ != 0) bytes_.push_back(pending_);
    pending_ = 0;
    used_ = 0;
    return std::move(bytes_);
  }

 private:
  void Bit(std::uint32_t bit) {
    pending_ = static_cast<unsigned char>(pending_ | (bit << used_));
    if (++used_ == 8) {
      bytes_.push_back(pending_);
      pending_ = 0;
      used_ = 0;
    }
  }
  std::vector<unsigned char> bytes_;
  unsigned char pending_ = 0;
  int used_ = 0;
};

constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistanceBase = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                               33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr std::size_t kWindow = 32768;

// A literal byte or length symbol in the fixed Huffman code.
void PutSymbol(BitWriter& out, int symbol) {
  if (symbol < 144) {
    out.Code(static_cast<std::uint32_t>(0x30 + symbol), 8);
  } else if (symbol < 256) {
    out.Code(static_cast<std::uint32_t>(0x190 + symbol - 144), 9);
  } else if (symbol < 280) {
    out.Code(static_cast<std::uint32_t>(symbol - 256), 7);
  } else {
    out.Code(static_cast<std::uint32_t>(0xC0 + symbol - 280), 8);
  }
}

// Index of the last table entry whose base is at most v.
template <std::size_t N>
std::size_t BaseIndex(const std::array<int, N>& bases, int v) {
  std::size_t i = N - 1;
  while (bases[i] > v) --i;
  return i;
}

// A back-reference: length and distance symbols with their extra bits.
void PutMatch(BitWriter& out, int length, int distance) {
  const std::size_t l = BaseIndex(kLengthBase, length);
  PutSymbol(out, 257 + static_cast<int>(l));
  out.Bits(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
  const std::size_t d = BaseIndex(kDistanceBase, distance);
  out.Code(static_cast<std::uint32_t>(d), 5);
  out.Bits(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

// A zlib stream of `data`; `row` is the distance to the same byte one scanline up.
std::vector<unsigned char> ZlibCompress(const std::vector<unsigned char>& data, std::size_t row) {
  constexpr std::size_t kHashSize = 1 << 15;
  std::vector<std::int64_t> lastSeen(kHashSize, -1);
  auto hashAt = [&](std::size_t i) {
    return ((std::size_t{data[i]} << 10) ^ (std::size_t{data[i + 1]} << 5) ^ data[i + 2]) % kHashSize;
  };
  BitWriter out;
  out.Bits(1, 1);  // the final block
  out.Bits(1, 2);  // fixed Huffman codes
  std::size_t i = 0;
  while (i < data.size()) {
    int bestLength = 0;
    std::size_t bestDistance = 0;
    const std::size_t limit = std::min<std::size_t>(kMaxMatch, data.size() - i);
    auto tryDistance = [&](std::size_t distance) {
      if (distance == 0 || distance > i || distance > kWindow) return;
      std::size_t n = 0;
      while (n < limit && data[i + n] == data[i + n - distance]) ++n;
      if (static_cast<int>(n) > bestLength) {
        bestLength = static_cast<int>(n);
        bestDistance = distance;
      }
    };
    tryDistance(4);  // the previous pixel
    tryDistance(row);
    if (limit >= kMinMatch) {
      const std::int64_t seen = lastSeen[hashAt(i)];
      if (seen >= 0) tryDistance(i - static_cast<std::size_t>(seen));
    }
    const std::size_t step = bestLength >= kMinMatch ? static_cast<std::size_t>(bestLength) : 1;
    if (step > 1) {
      PutMatch(out, bestLength, static_cast<int>(bestDistance));
    } else {
      PutSymbol(out, data[i]);
    }
    for (std::size_t j = i; j < i + step && j + kMinMatch <= data.size(); ++j) {
      lastSeen[hashAt(j)] = static_cast<std::int64_t>(j);
    }
    i += step;
  }
  PutSymbol(out, 256);  // end of block

  std::vector<unsigned char> z = {0x78, 0x01};  // deflate, 32 KiB window; header check bits
  const std::vector<unsigned char> deflated = out.Finish();
  z.insert(z.end(), deflated.begin(), deflated.end());
  PutBe32(z, Adler32(data));
  return z;
}

// A chunk: length, type, data, and the CRC of type and data.
void PutChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBe32(out, Crc32(out, start));
}

// A PNG file of the icon's colours and alpha.
std::vector<unsigned char> EncodePng(const IconImage& icon) {
  const Image& img = icon.colour;
  std::vector<unsigned char> header;
  PutBe32(header, static_cast<std::uint32_t>(img.width));
  PutBe32(header, static_cast<std::uint32_t>(img.height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace

  // Scanlines, each behind filter type 0: the matches do the work a filter would.
  std::vector<unsigned char> scanlines;
  for (int y = 0; y < img.height; ++y) {
    scanlines.push_back(0);
    for (int x = 0; x < img.width; ++x) {
      const Rgb& p = img.At(x, y);
      const unsigned char a = icon.alpha[static_cast<std::size_t>(y * img.width + x)];
      if (a == 0) {
        scanlines.insert(scanlines.end(), {0, 0, 0, 0});
      } else {
        scanlines.insert(scanlines.end(), {static_cast<unsigned char>(p.r), static_cast<unsigned char>(p.g),
                                           static_cast<unsigned char>(p.b), a});
      }
    }
  }

  std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", ZlibCompress(scanlines, static_cast<std::size_t>(img.width) * 4 + 1));
  PutChunk(out, "IEND", {});
  return out;
}

// ---------------------------------------------------------------------------
// Caption glyphs, 17 x 16 cells

constexpr int kCellW = 17;
constexpr int kCellH = 16;

enum class Glyph { kMinimize, kMaximize, kClose, kRestore };

// Close cross: for each of its ten rows (cell rows 3 to 12) the first
// column of the falling stroke; the stroke is 3 pixels wide, 4 where the
// slope steps twice.  The rising stroke is its mirror image.
constexpr std::array<int, 10> kCrossStart = {3, 4, 5, 6, 6, 7, 8, 9, 10, 11};
constexpr std::array<int, 10> kCrossEnd = {5, 6, 7, 8, 9, 10, 10, 11, 12, 13};

bool InBox(int x, int y, int x0, int y0, int x1, int y1) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }

// A window outline: two-pixel top edge, one-pixel sides and bottom.
bool OnWindowOutline(int x, int y, int x0, int y0, int x1, int y1) {
  if (!InBox(x, y, x0, y0, x1, y1)) return false;
  return y <= y0 + 1 || y == y1 || x == x0 || x == x1;
}

bool GlyphPixel(Glyph glyph, int x, int y) {
  switch (glyph) {
    case Glyph::kMinimize:
      return InBox(x, y, 5, 11, 12, 12);
    case Glyph::kMaximize: {
      const bool corner = (x == 3 || x == 13) && (y == 3 || y == 12);
      return OnWindowOutline(x, y, 3, 3, 13, 12) && !corner;
    }
    case Glyph::kClose: {
      if (y < 3 || y > 12) return false;
      const auto row = static_cast<std::size_t>(y - 3);
      const bool falling = x >= kCrossStart[row] && x <= kCrossEnd[row];
      const int mx = 16 - x;  // mirror about the cell's centre column 8
      const bool rising = mx >= kCrossStart[row] && mx <= kCrossEnd[row];
      return falling || rising;
    }
    case Glyph::kRestore: {
      // The front window hides whatever of the rear one lies within it.
      const bool front = OnWindowOutline(x, y, 5, 7, 10, 12);
      const bool rear = OnWindowOutline(x, y, 7, 4, 12, 9) && !InBox(x, y, 5, 7, 10, 12);
      return front || rear;
    }
  }
  return false;
}

constexpr int kFace = 250;
constexpr int kGlyphGrey = 159;
constexpr int kHoverOutline = 199;

void PaintGlyph(Image& img, int left, int top, Glyph glyph, Rgb colour) {
  for (int y = 0; y < kCellH; ++y)
    for (int x = 0; x < kCellW; ++x)
      if (GlyphPixel(glyph, x, y)) img.At(left + x, top + y) = colour;
}

// Resting look: glyph on the face colour, nothing else.  Also the restore
// face shown beneath a maximized window's maximize button.
Image RestingPicture(Glyph glyph) {
  Image img(kCellW, kCellH, Grey(kFace));
  PaintGlyph(img, 0, 0, glyph, Grey(kGlyphGrey));
  return img;
}

// Hover look: face colour inside a one-pixel grey outline whose corner
// pixels are softened (top-left, top-right, bottom-left, bottom-right).
Image HoverPicture(Glyph glyph) {
  Image img(kCellW, kCellH, Grey(kFace));
  for (int x = 0; x < kCellW; ++x) {
    img.At(x, 0) = Grey(kHoverOutline);
    img.At(x, kCellH - 1) = Grey(kHoverOutline);
  }
  for (int y = 0; y < kCellH; ++y) {
    img.At(0, y) = Grey(kHoverOutline);
    img.At(kCellW - 1, y) = Grey(kHoverOutline);
  }
  img.At(0, 0) = Grey(235);
  img.At(kCellW - 1, 0) = Grey(244);
  img.At(0, kCellH - 1) = Grey(202);
  img.At(kCellW - 1, kCellH - 1) = Grey(252);
  PaintGlyph(img, 0, 0, glyph, Grey(kGlyphGrey));
  return img;
}

// Pressed look: the whole cell dark grey with softened corners and a light glyph.
Image PressedPicture(Glyph glyph, int glyph_grey) {
  Image img(kCellW, kCellH, Grey(kGlyphGrey));
  img.At(0, 0) = Grey(235);
  img.At(kCellW - 1, 0) = Grey(235);
  img.At(0, kCellH - 1) = Grey(235);
  img.At(kCellW - 1, kCellH - 1) = Grey(235);
  PaintGlyph(img, 0, 0, glyph, Grey(glyph_grey));
  return img;
}

// ---------------------------------------------------------------------------
// Skin atlas, 150 x 155: a small picture of the whole window

constexpr int kAtlasW = 150;
constexpr int kAtlasH = 155;

// The window outline cuts these pixels away at the corners; they are
// painted pure red so that no frame colour is wasted on them.  Counts are
// per row, from the outer edge inwards.
constexpr std::array<int, 21> kCutTopLeft = {21, 17, 15, 13, 11, 10, 9, 8, 7, 6, 5,
                                             4,  4,  3,  3,  2,  2,  1, 1, 1, 1};   // rows 0-20
// The top-right corner's red stops where the outline's 51-wide ellipse begins: at row 7 the
// outline already holds the eighth pixel from the edge, so only seven are red there.
constexpr std::array<int, 21> kCutTopRight = {21, 17, 14, 13, 11, 10, 9, 7, 7, 6, 5,
                                              4,  4,  3,  3,  2,  2,  1, 1, 1, 1};  // rows 0-20
constexpr std::array<int, 21> kCutBottomLeft = {1, 1, 1, 2, 2, 3,  3,  4,  4,  5, 6,
                                                7, 8, 9, 10, 11, 13, 15, 17, 21, 23};  // rows 134-154
constexpr std::array<int, 6> kCutBottomRight = {1, 1, 1, 2, 3, 5};                   // rows 149-154

bool IsCut(int x, int y) {
  if (y <= 20) {
    const auto row = static_cast<std::size_t>(y);
    if (x < kCutTopLeft[row]) return true;
    if (x >= kAtlasW - kCutTopRight[row]) return true;
  }
  if (y >= 134 && x < kCutBottomLeft[static_cast<std::size_t>(y - 134)]) return true;
  if (y >= 149 && x >= kAtlasW - kCutBottomRight[static_cast<std::size_t>(y - 149)]) return true;
  return false;
}

// Rim shading across each side of the frame, from the outer edge inwards.
constexpr std::array<int, 8> kTopRim = {238, 248, 247, 243, 236, 228, 221, 217};
constexpr std::array<int, 9> kLeftRim = {230, 241, 242, 239, 234, 228, 221, 217, 207};
constexpr std::array<int, 9> kRightRim = {78, 109, 138, 164, 185, 202, 211, 214, 210};
constexpr std::array<int, 17> kBottomRim = {98,  128, 154, 176, 194, 207, 213, 215, 215,
                                            215, 215, 215, 215, 215, 215, 215, 207};

// Caption tab, rows 8 to 26: first and last column of each row.
constexpr std::array<int, 19> kTabLeft = {34, 18, 15, 13, 12, 11, 11, 10, 10, 9,
                                          9,  9,  8,  8,  8,  8,  8,  8,  8};
constexpr std::array<int, 19> kTabRight = {73, 72, 71, 70, 69, 68, 67, 65, 64, 63,
                                           62, 60, 59, 58, 57, 55, 54, 51, 47};
constexpr int kTabGrey = 215;
constexpr int kTabLineGrey = 204;

// Interior of the frame: the face (and the caption tab on it) spans
// columns 9-140 and rows 8-137; its top-right corner is rounded a little.
constexpr std::array<int, 3> kInteriorTopRightInset = {4, 2, 1};  // rows 8-10

bool InTab(int x, int y) {
  if (y < 8 || y > 26) return false;
  const auto row = static_cast<std::size_t>(y - 8);
  return x >= kTabLeft[row] && x <= kTabRight[row];
}

// Pixels that the rim shading treats as the inside of the frame.
bool IsInterior(int x, int y) {
  if (InTab(x, y)) return true;
  if (y < 8 || y > 137 || x < 9 || x > 140) return false;
  if (y <= 10 && x > 140 - kInteriorTopRightInset[static_cast<std::size_t>(y - 8)]) return false;
  if (y <= 26 && x < kTabLeft[static_cast<std::size_t>(y - 8)]) {
    // Left of the tab's rounded corner is rim, except that row 8 counts as
    // inside where the top rim runs straight, so the rim keeps its profile.
    return y == 8 && x >= 26;
  }
  return true;
}

// Profile value at fraction num/den of the way across the rim, in 1/256
// grey levels.  Fraction 0 is the outer edge, 1 the inner edge; sample i
// lies at (i + 0.5) / n.
template <std::size_t N>
int ProfileAt(const std::array<int, N>& profile, std::int64_t num, std::int64_t den) {
  const std::int64_t n = static_cast<std::int64_t>(N);
  std::int64_t pos = (2 * n * num * 256 + den) / (2 * den) - 128;  // (n*num/den - 0.5) * 256
  if (pos < 0) pos = 0;
  if (pos > (n - 1) * 256) pos = (n - 1) * 256;
  const auto i = static_cast<std::size_t>(pos / 256);
  const std::int64_t frac = pos % 256;
  if (frac == 0) return profile[i] * 256;
  return static_cast<int>(profile[i] * 256 + (profile[i + 1] - profile[i]) * frac);
}

int RoundGrey(int v256) { return (v256 + 128) / 256; }

// Squared distance, in pixels, from (x, y) to the nearest pixel for which
// `pred` holds; the area beyond the picture counts when `beyond` is set.
template <typename Pred>
std::int64_t NearestSq(int x, int y, Pred pred, bool beyond) {
  std::int64_t best = std::int64_t{1} << 40;
  if (beyond) {
    const std::int64_t edges[] = {x + 1, kAtlasW - x, y + 1, kAtlasH - y};
    for (std::int64_t e : edges) best = std::min(best, e * e);
  }
  for (int yy = 0; yy < kAtlasH; ++yy) {
    const std::int64_t dy = yy - y;
    if (dy * dy >= best) continue;
    for (int xx = 0; xx < kAtlasW; ++xx) {
      const std::int64_t dx = xx - x;
      const std::int64_t d = dx * dx + dy * dy;
      if (d < best && pred(xx, yy)) best = d;
    }
  }
  return best;
}

// Shade of one rim pixel.  The position across the rim is the distance to
// the outer edge over the sum of the distances to both edges (pixel centre
// to pixel edge); each side has its own profile, and at the corners the
// sides blend by direction.
int RimGrey(int x, int y) {
  const std::int64_t out_sq = NearestSq(x, y, IsCut, true);
  const std::int64_t in_sq = NearestSq(x, y, IsInterior, false);
  // Distances in 1/256 pixel, less half a pixel from centre to edge.
  const std::int64_t d_out = std::max<std::int64_t>(ISqrt(out_sq * 65536) - 128, 1);
  const std::int64_t d_in = std::max<std::int64_t>(ISqrt(in_sq * 65536) - 128, 1);
  const std::int64_t total = d_out + d_in;

  const int top = ProfileAt(kTopRim, d_out, total);
  const int left = ProfileAt(kLeftRim, d_out, total);
  const int right = ProfileAt(kRightRim, d_out, total);
  const int bottom = ProfileAt(kBottomRim, d_out, total);

  // Direction from a corner's pivot to the pixel centre, in half pixels.
  auto blend = [](int horizontal, int vertical, std::int64_t dx, std::int64_t dy) {
    const std::int64_t wx = dx * dx;
    const std::int64_t wy = dy * dy;
    return static_cast<int>((horizontal * wx + vertical * wy + (wx + wy) / 2) / (wx + wy));
  };
  const int cx = 2 * x + 1;
  const int cy = 2 * y + 1;
  if (x < 26 && y < 26) return blend(left, top, 52 - cx, 52 - cy);
  if (x >= 124 && y < 26) return blend(right, top, cx - 248, 52 - cy);
  if (x < 26 && y >= 129) return blend(left, bottom, 52 - cx, cy - 258);
  if (x >= 141 && y >= 138) return blend(right, bottom, cx - 282, cy - 276);
  if (y < 8) return top;
  if (y > 137) return bottom;
  if (x < 9) return left;
  return right;
}

// Grip mark in the bottom-right corner: a crescent between an outer circle
// and a much larger inner one set up and to the left, meeting it at the tips
// (150, 129.5) and (125, 154.5), so that the mark tapers at both ends and is
// widest on the diagonal.  Coordinates in 1/8 pixel.
struct Crescent {
  std::int64_t ox = 125 * 8, oy = 1036, orad = 200;  // outer: centre (125, 129.5), radius 25
  std::int64_t ix = 85 * 8, iy = 716, irad = 610;    // inner: centre (85, 89.5), radius 76.25
};

constexpr Rgb kOliveDark{57, 66, 12};
constexpr Rgb kOliveLight{154, 180, 32};

void PaintGrip(Image& img) {
  const Crescent c;
  for (int y = 129; y < kAtlasH; ++y) {
    for (int x = 125; x < kAtlasW; ++x) {
      if (IsCut(x, y) || IsInterior(x, y)) continue;
      int covered = 0;
      std::int64_t depth_sum = 0;  // how far in from the outer circle, summed
      for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
          const std::int64_t px = 8 * x + 2 * sx + 1;
          const std::int64_t py = 8 * y + 2 * sy + 1;
          const std::int64_t od = (px - c.ox) * (px - c.ox) + (py - c.oy) * (py - c.oy);
          const std::int64_t id = (px - c.ix) * (px - c.ix) + (py - c.iy) * (py - c.iy);
          if (od < c.orad * c.orad && id >= c.irad * c.irad) {
            ++covered;
            depth_sum += c.orad - ISqrt(od);
          }
        }
      }
      if (covered == 0) continue;
      // Dark along the outer curve, light towards the inner one.
      const std::int64_t depth = depth_sum / covered;  // 1/8 pixel
      const int t = static_cast<int>(std::min<std::int64_t>(depth, 40));
      const Rgb olive = Mix(kOliveDark, kOliveLight, 40 - t, 40);
      img.At(x, y) = Mix(img.At(x, y), olive, covered, 16);
    }
  }
}

Image DrawAtlas() {
  Image img(kAtlasW, kAtlasH, Grey(kFace));
  for (int y = 0; y < kAtlasH; ++y) {
    for (int x = 0; x < kAtlasW; ++x) {
      if (IsCut(x, y)) {
        img.At(x, y) = Rgb{255, 0, 0};
      } else if (InTab(x, y)) {
        img.At(x, y) = Grey(kTabGrey);
      } else if (y == 8 && x >= 26 && x < kTabLeft[0]) {
        img.At(x, y) = Grey(kTopRim.back());  // the top rim's inner line, above the tab's corner
      } else if (y == 27 && x >= 8 && x <= kTabRight.back()) {
        img.At(x, y) = Grey(kTabLineGrey);
      } else if (IsInterior(x, y)) {
        img.At(x, y) = Grey(kFace);
      } else {
        int grey = RoundGrey(RimGrey(x, y));
        // Rim right beside the tab never takes the tab's own grey, so that
        // the tab's rounded edge stays where it is drawn.
        const bool beside_tab = InTab(x + 1, y) || InTab(x - 1, y) || InTab(x, y + 1) || InTab(x, y - 1);
        if (beside_tab && grey == kTabGrey) grey = kTabGrey + 1;
        img.At(x, y) = Grey(grey);
      }
    }
  }
  PaintGrip(img);
  // Caption buttons at rest: their glyphs in cells whose top-left corners
  // are 73, 52 and 31 pixels left of the right edge, 8 below the top.
  PaintGlyph(img, 77, 8, Glyph::kMinimize, Grey(kGlyphGrey));
  PaintGlyph(img, 98, 8, Glyph::kMaximize, Grey(kGlyphGrey));
  PaintGlyph(img, 119, 8, Glyph::kClose, Grey(kGlyphGrey));
  return img;
}

// ---------------------------------------------------------------------------
// Window icon: a round blue badge with a white centre and a blue tick.

// The design is laid out in 256ths of the icon's width.  Drawing works in
// finer units, kIconSpan across at every size, so that each pixel and each of
// its subsample centres falls on a whole unit at 16 px and at 48 px alike.
constexpr std::int64_t kIconDesign = 256;
constexpr std::int64_t kIconSpan = kIconDesign * 48;

struct IconStyle {
  int size;              // pixels
  int samples;           // subsamples per pixel along each axis
  bool softEdge;         // edge pixels partly transparent, rather than a 1-bit mask
  std::int64_t radius;   // badge, in 256ths from the centre
  std::int64_t rim;      // width of the dark outer ring
  std::int64_t white;    // radius of the white centre
  std::array<std::int64_t, 6> tick;  // three points of the tick, x and y
  std::int64_t tick_half;            // half the stroke width
};

// Whether p lies within r of segment a-b.  Where p projects onto the segment
// its distance is |cross| / |b-a|, so cross^2 <= r^2 |b-a|^2 decides it in
// integers that stay small enough at kIconSpan.
bool NearSegment(std::int64_t px, std::int64_t py, std::int64_t ax, std::int64_t ay, std::int64_t bx,
                 std::int64_t by, std::int64_t r) {
  const std::int64_t vx = bx - ax, vy = by - ay;
  const std::int64_t wx = px - ax, wy = py - ay;
  const std::int64_t len = vx * vx + vy * vy;
  const std::int64_t t = wx * vx + wy * vy;
  if (t <= 0) return wx * wx + wy * wy <= r * r;
  if (t >= len) return (wx - vx) * (wx - vx) + (wy - vy) * (wy - vy) <= r * r;
  const std::int64_t cross = wx * vy - wy * vx;
  return cross * cross <= r * r * len;
}

// Draws the badge at s.size px, averaging s.samples^2 subsamples a pixel.
IconImage DrawIcon(const IconStyle& s) {
  const std::int64_t unit = kIconSpan / s.size;  // units per pixel
  if (kIconSpan % (std::int64_t{2} * s.samples * s.size) != 0) {
    throw std::invalid_argument("icon size " + std::to_string(s.size) + " does not divide the drawing units evenly");
  }
  constexpr std::int64_t kScale = kIconSpan / kIconDesign;
  const std::int64_t radius = s.radius * kScale;
  const std::int64_t inner = (s.radius - s.rim) * kScale;
  const std::int64_t white_r = s.white * kScale;
  const std::int64_t edge = white_r - unit / 2;  // half a pixel of pale blue around the white
  const std::int64_t tick_half = s.tick_half * kScale;
  std::array<std::int64_t, 6> k = s.tick;
  for (std::int64_t& v : k) v *= kScale;

  IconImage icon{Image(s.size, s.size, Grey(0)), Mask(s.size, s.size), {}};
  icon.alpha.assign(static_cast<std::size_t>(s.size * s.size), 0);
  const std::int64_t centre = kIconSpan / 2;
  const Rgb ring_dark{16, 72, 158};
  const Rgb ring_top{74, 152, 236};
  const Rgb ring_bottom{22, 96, 196};
  const Rgb tick{26, 104, 212};
  const Rgb white{255, 255, 255};
  const Rgb white_edge{214, 230, 248};
  const int subSamples = s.samples * s.samples;
  for (int y = 0; y < s.size; ++y) {
    for (int x = 0; x < s.size; ++x) {
      int inside = 0;
      int r = 0, g = 0, b = 0;
      for (int sy = 0; sy < s.samples; ++sy) {
        for (int sx = 0; sx < s.samples; ++sx) {
          const std::int64_t px = x * unit + (2 * sx + 1) * unit / (2 * s.samples) - centre;
          const std::int64_t py = y * unit + (2 * sy + 1) * unit / (2 * s.samples) - centre;
          const std::int64_t d2 = px * px + py * py;
          if (d2 >= radius * radius) continue;
          ++inside;
          Rgb c;
          if (d2 >= inner * inner) {
            c = ring_dark;
          } else if (d2 >= white_r * white_r) {
            // Lit from above: lighter at the top of the ring.
            const std::int64_t t = std::clamp<std::int64_t>(py + inner, 0, 2 * inner);
            c = Mix(ring_top, ring_bottom, static_cast<int>(t), static_cast<int>(2 * inner));
          } else {
            c = d2 >= edge * edge ? white_edge : white;
            const std::int64_t qx = px + centre, qy = py + centre;
            if (NearSegment(qx, qy, k[0], k[1], k[2], k[3], tick_half) ||
                NearSegment(qx, qy, k[2], k[3], k[4], k[5], tick_half)) {
              c = tick;
            }
          }
          r += c.r;
          g += c.g;
          b += c.b;
        }
      }
      const auto at = static_cast<std::size_t>(y * s.size + x);
      // With a 1-bit mask a pixel belongs to the badge when at least half of it is covered.
      const bool shown = s.softEdge ? inside > 0 : inside * 2 >= subSamples;
      if (shown) {
        icon.colour.At(x, y) = Rgb{(r + inside / 2) / inside, (g + inside / 2) / inside, (b + inside / 2) / inside};
        icon.alpha[at] = static_cast<unsigned char>(s.softEdge ? (inside * 255 + subSamples / 2) / subSamples : 255);
      }
      icon.mask.SetClear(x, y, inside * 2 < subSamples);
    }
  }
  return icon;
}

// The badge at 32 px and up.
IconStyle BadgeStyle(int size, int samples, bool softEdge) {
  return IconStyle{size, samples, softEdge, 124, 10, 88, {84, 132, 118, 166, 182, 94}, 15};
}

IconImage DrawIcon32() { return DrawIcon(BadgeStyle(32, 4, false)); }

// At 16 px a wider rim and a tick placed on the pixel grid keep the badge legible.
IconImage DrawIcon16() {
  return DrawIcon(IconStyle{16, 4, false, 124, 12, 88, {72, 136, 112, 176, 184, 88}, 15});
}

// The launcher icons above 32 px: finer subsamples, whose coverage gives a smooth edge.
IconImage DrawLargeIcon(int size) { return DrawIcon(BadgeStyle(size, 8, true)); }

// ---------------------------------------------------------------------------

bool WriteFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tarvik-draw-assets <output-dir>\n";
    return 2;
  }
  const std::filesystem::path dir(argv[1]);
  std::error_code ec;
  std::filesystem::create_directories(dir / "icons", ec);

  const IconImage icon32 = DrawIcon32();
  const IconImage icon16 = DrawIcon16();

  struct Output {
    const char* name;
    std::vector<unsigned char> bytes;
  };
  std::vector<Output> outputs = {
      {"window.ico", EncodeIco({icon32, icon16})},
      {"skin.bmp", EncodeBmp(DrawAtlas())},
      {"title_icon.ico", EncodeIco({icon16})},
      {"restore_rest.bmp", EncodeBmp(RestingPicture(Glyph::kRestore))},
      {"restore_hover.bmp", EncodeBmp(HoverPicture(Glyph::kRestore))},
      {"restore_pressed.bmp", EncodeBmp(PressedPicture(Glyph::kRestore, kFace))},
      {"maximize_hover.bmp", EncodeBmp(HoverPicture(Glyph::kMaximize))},
      {"maximize_pressed.bmp", EncodeBmp(PressedPicture(Glyph::kMaximize, 255))},
      {"minimize_hover.bmp", EncodeBmp(HoverPicture(Glyph::kMinimize))},
      {"minimize_pressed.bmp", EncodeBmp(PressedPicture(Glyph::kMinimize, 255))},
      {"close_hover.bmp", EncodeBmp(HoverPicture(Glyph::kClose))},
      {"close_pressed.bmp", EncodeBmp(PressedPicture(Glyph::kClose, 255))},
      // The two small launcher icons are the window icon's own images.
      {"icons/tarvik-16.png", EncodePng(icon16)},
      {"icons/tarvik-32.png", EncodePng(icon32)},
  };
  struct LargeIcon {
    const char* name;
    int size;
  };
  constexpr std::array<LargeIcon, 4> kLargeIcons = {LargeIcon{"icons/tarvik-48.png", 48}, {"icons/tarvik-64.png", 64},
                                                    {"icons/tarvik-128.png", 128}, {"icons/tarvik-256.png", 256}};
  for (const LargeIcon& icon : kLargeIcons) outputs.push_back({icon.name, EncodePng(DrawLargeIcon(icon.size))});

  for (const Output& o : outputs) {
    if (!WriteFile(dir / o.name, o.bytes)) {
      std::cerr << "tarvik-draw-assets: cannot write " << (dir / o.name).string() << "\n";
      return 1;
    }
  }
  return 0;
}
