// Checks the twelve embedded pictures and the launcher icons: that the
// committed files are what the drawing program makes, that the program embeds
// exactly the pictures' bytes, their file formats, and the pixel values and
// glyph shapes the frame relies on.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <stdexcept>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "assets/bitmap_file.h"
#include "assets/embedded.h"

#ifndef TARVIK_ASSET_DIR
#error "TARVIK_ASSET_DIR must name the assets source folder"
#endif
#ifndef TARVIK_DRAW_ASSETS
#error "TARVIK_DRAW_ASSETS must name the drawing program"
#endif

// Lets failure messages show colours readably.
namespace tarvik::bitmap {
void PrintTo(const Rgb& c, std::ostream* os) { *os << "RGB(" << c.r << ", " << c.g << ", " << c.b << ")"; }
}  // namespace tarvik::bitmap

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// The files the drawing program writes: pictures A1 to A12, then the launcher icons.
const std::array<const char*, 18> kFileNames = {
    "window.ico",          "skin.bmp",            "title_icon.ico",       "restore_rest.bmp",
    "restore_hover.bmp",   "restore_pressed.bmp",  "maximize_hover.bmp",   "maximize_pressed.bmp",
    "minimize_hover.bmp",  "minimize_pressed.bmp", "close_hover.bmp",      "close_pressed.bmp",
    "icons/tarvik-16.png", "icons/tarvik-32.png",  "icons/tarvik-48.png",  "icons/tarvik-64.png",
    "icons/tarvik-128.png", "icons/tarvik-256.png",
};
constexpr int kPictureCount = 12;  // the embedded ones

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The committed file n (picture An up to 12), read once: readings of it point into these bytes.
const Bytes& CommittedFile(int n) {
  static std::array<Bytes, kFileNames.size()> files;
  Bytes& file = files.at(static_cast<std::size_t>(n - 1));
  if (file.empty()) file = ReadFile(fs::path(TARVIK_ASSET_DIR) / kFileNames[static_cast<std::size_t>(n - 1)]);
  return file;
}

// Describes where two byte strings first differ, or returns "" when equal.
std::string Difference(const Bytes& expected, const Bytes& actual) {
  if (expected == actual) return "";
  std::ostringstream msg;
  msg << "expected " << expected.size() << " bytes, got " << actual.size();
  const std::size_t n = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (expected[i] != actual[i]) {
      msg << "; first difference at offset " << i << ": expected " << int{expected[i]} << ", got " << int{actual[i]};
      break;
    }
  }
  return msg.str();
}

// ---------------------------------------------------------------------------
// Pictures as the program's reader sees them

using tarvik::bitmap::Rgb;
using Picture = tarvik::bitmap::Dib;

std::string ToString(const Rgb& c) {
  std::ostringstream s;
  s << "RGB(" << c.r << ", " << c.g << ", " << c.b << ")";
  return s.str();
}

Rgb Grey(int v) { return Rgb{v, v, v}; }
const Rgb kRed{255, 0, 0};

// The committed BMP file of picture n; throws (failing the test) if it cannot be read.
tarvik::bitmap::BmpFile Bmp(int n) {
  std::string error;
  const auto bmp = tarvik::bitmap::ReadBmp(CommittedFile(n), &error);
  if (!bmp) throw std::runtime_error("A" + std::to_string(n) + " " + kFileNames[static_cast<std::size_t>(n - 1)] + ": " + error);
  return *bmp;
}

// The icon directory of picture n; throws if it cannot be read.
tarvik::bitmap::IcoFile Ico(int n) {
  std::string error;
  const auto ico = tarvik::bitmap::ReadIco(CommittedFile(n), &error);
  if (!ico) throw std::runtime_error("A" + std::to_string(n) + " " + kFileNames[static_cast<std::size_t>(n - 1)] + ": " + error);
  return *ico;
}

// ---------------------------------------------------------------------------
// Glyphs as the artwork describes them, in 17 x 16 cell coordinates

using Cell = std::array<const char*, 16>;

// clang-format off
const Cell kMinimizeGlyph = {
  ".................",
  ".................",
  ".................",
  ".................",
  ".................",
  ".................",
  ".................",
  ".................",
  ".................",
  ".................",
  ".................",
  ".....########....",   // bar, columns 5-12, rows 11-12
  ".....########....",
  ".................",
  ".................",
  ".................",
};
const Cell kMaximizeGlyph = {
  ".................",
  ".................",
  ".................",
  "....#########....",   // two-pixel top edge, corners cut
  "...###########...",
  "...#.........#...",
  "...#.........#...",
  "...#.........#...",
  "...#.........#...",
  "...#.........#...",
  "...#.........#...",
  "...#.........#...",
  "....#########....",
  ".................",
  ".................",
  ".................",
};
const Cell kCloseGlyph = {
  ".................",
  ".................",
  ".................",
  "...###.....###...",
  "....###...###....",
  ".....###.###.....",
  "......#####......",
  "......#####......",
  "......#####......",
  "......#####......",
  ".....###.###.....",
  "....###...###....",
  "...###.....###...",
  ".................",
  ".................",
  ".................",
};
const Cell kRestoreGlyph = {
  ".................",
  ".................",
  ".................",
  ".................",
  ".......######....",   // rear window, columns 7-12, rows 4-9
  ".......######....",
  ".......#....#....",
  ".....######.#....",   // front window, columns 5-10, rows 7-12
  ".....######.#....",
  ".....#....###....",
  ".....#....#......",
  ".....#....#......",
  ".....######......",
  ".................",
  ".................",
  ".................",
};
// clang-format on

bool Ink(const Cell& glyph, int x, int y) { return glyph[static_cast<std::size_t>(y)][x] == '#'; }

// Compares a 17 x 16 area at (left, top) with `expect(x, y)`; returns a
// description of the first few mismatches, or "".
template <typename Expect>
std::string CompareCell(const Picture& p, int left, int top, Expect expect) {
  std::ostringstream msg;
  int bad = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 17; ++x) {
      const Rgb want = expect(x, y);
      const Rgb got = p.At(left + x, top + y);
      if (want != got && bad++ < 5) {
        msg << "cell pixel (" << x << ", " << y << ") at picture (" << left + x << ", " << top + y << "): expected "
            << ToString(want) << ", got " << ToString(got) << "\n";
      }
    }
  }
  if (bad > 5) msg << "... " << bad << " mismatches in all\n";
  return msg.str();
}

// ---------------------------------------------------------------------------

class AssetsTest : public ::testing::Test {
 protected:
  static Picture Atlas() { return Bmp(2).dib; }
};

TEST(AssetsFiles, GeneratorReproducesTheCommittedFiles) {
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("tarvik-assets-test-" + std::to_string(rd()));
  fs::remove_all(dir);
  const std::string command = std::string("\"") + TARVIK_DRAW_ASSETS + "\" \"" + dir.string() + "\"";
#ifdef _WIN32
  const int status = std::system(("\"" + command + "\"").c_str());
#else
  const int status = std::system(command.c_str());
#endif
  ASSERT_EQ(status, 0) << "drawing program failed: " << command;
  for (int n = 1; n <= static_cast<int>(kFileNames.size()); ++n) {
    const char* name = kFileNames[static_cast<std::size_t>(n - 1)];
    const Bytes drawn = ReadFile(dir / name);
    const Bytes committed = CommittedFile(n);
    ASSERT_FALSE(committed.empty()) << "committed file missing: " << name;
    EXPECT_EQ(Difference(committed, drawn), "") << name << " as drawn differs from the committed file";
  }
  // Nothing else is written.
  std::set<std::string> written;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) written.insert(entry.path().lexically_relative(dir).generic_string());
  }
  EXPECT_EQ(written, std::set<std::string>(kFileNames.begin(), kFileNames.end()));
  fs::remove_all(dir);
}

TEST(AssetsFiles, EmbeddedBytesAreTheCommittedFiles) {
  for (int n = 1; n <= kPictureCount; ++n) {
    const tarvik::AssetBytes asset = tarvik::EmbeddedAsset(n);
    const Bytes committed = CommittedFile(n);
    ASSERT_FALSE(committed.empty()) << "committed file missing for A" << n;
    ASSERT_NE(asset.data, nullptr) << "A" << n;
    const Bytes embedded(asset.data, asset.data + asset.size);
    EXPECT_EQ(Difference(committed, embedded), "") << "A" << n << " embedded bytes differ from " << kFileNames[static_cast<std::size_t>(n - 1)];
  }
}

// ---------------------------------------------------------------------------
// Formats

void ExpectBmpFormat(int n, int width, int height) {
  SCOPED_TRACE("A" + std::to_string(n) + " " + kFileNames[static_cast<std::size_t>(n - 1)]);
  const Bytes& b = CommittedFile(n);
  const tarvik::bitmap::BmpFile f = Bmp(n);
  const Picture& d = f.dib;
  EXPECT_EQ(f.fileSize, b.size()) << "file size field";
  EXPECT_EQ(f.bitsOffset, 54u) << "pixel data offset";
  EXPECT_EQ(d.headerSize, 40u) << "BITMAPINFOHEADER size";
  EXPECT_EQ(d.width, width);
  EXPECT_EQ(d.storedHeight, height) << "positive height: bottom-up rows";
  EXPECT_EQ(d.planes, 1u) << "planes";
  EXPECT_EQ(d.bitCount, 24u) << "bits per pixel";
  EXPECT_EQ(d.compression, 0u) << "compression must be BI_RGB";
  EXPECT_EQ(b.size(), 54 + d.Stride() * static_cast<std::size_t>(height))
      << "rows of " << width << " pixels padded to " << d.Stride() << " bytes";
  // Row padding bytes are zero.
  for (int y = 0; y < height; ++y)
    for (std::size_t i = static_cast<std::size_t>(width * 3); i < d.Stride(); ++i)
      EXPECT_EQ(d.bits[static_cast<std::size_t>(y) * d.Stride() + i], 0) << "padding of row " << y;
}

// The reader refuses a file cut short anywhere, or whose header does not fit, instead of reading past it.
TEST(AssetsFormat, TheReaderRefusesFilesWhosePartsLieOutsideTheirBytes) {
  for (int n = 1; n <= kPictureCount; ++n) {
    const Bytes& whole = CommittedFile(n);
    const bool bmp = tarvik::bitmap::IsBmp(whole);
    for (const std::size_t cut : {std::size_t{1}, std::size_t{13}, std::size_t{53}, whole.size() / 2, whole.size() - 1}) {
      const tarvik::bitmap::Bytes part(whole.data(), cut);
      std::string error;
      const bool read = bmp ? tarvik::bitmap::ReadBmp(part, &error).has_value()
                            : tarvik::bitmap::ReadIco(part, &error).has_value();
      EXPECT_FALSE(read) << "A" << n << " cut to " << cut << " of " << whole.size() << " bytes was read";
      EXPECT_FALSE(error.empty()) << "A" << n << " cut to " << cut << " bytes: expected a reason";
    }
  }
  Bytes badHeader = CommittedFile(2);
  badHeader[14] = 12;  // an OS/2 core header, which the files never use
  std::string error;
  EXPECT_FALSE(tarvik::bitmap::ReadBmp(badHeader, &error)) << "a 12-byte header was read as a 40-byte one";
  EXPECT_NE(error.find("40-byte BITMAPINFOHEADER"), std::string::npos) << error;
}

TEST(AssetsFormat, AtlasIs150By155TwentyFourBitUncompressed) { ExpectBmpFormat(2, 150, 155); }

TEST(AssetsFormat, StatePicturesAre17By16TwentyFourBit) {
  for (int n = 4; n <= 12; ++n) ExpectBmpFormat(n, 17, 16);
}

void ExpectIconImage(const tarvik::bitmap::IconEntry& e, int size) {
  EXPECT_EQ(e.width, size);
  EXPECT_EQ(e.height, size);
  EXPECT_EQ(e.colours, 0) << "no palette";
  EXPECT_EQ(e.planes, 1u);
  EXPECT_EQ(e.bitCount, 24u);
  std::string error;
  const auto d = tarvik::bitmap::ReadIconImage(e.image, &error);
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(e.size, 40 + (d->Stride() + d->MaskStride()) * static_cast<std::size_t>(size))
      << "header, 24-bit colour rows and 1-bit mask rows";
  EXPECT_EQ(d->headerSize, 40u);
  EXPECT_EQ(d->width, size);
  EXPECT_EQ(d->storedHeight, 2 * size) << "icon DIB height counts colour and mask";
  EXPECT_EQ(d->planes, 1u);
  EXPECT_EQ(d->bitCount, 24u);
  EXPECT_EQ(d->compression, 0u);
  // A round badge: corners transparent and black, centre opaque.
  const Picture& p = *d;
  ASSERT_EQ(p.width, size);
  for (auto [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}}) {
    EXPECT_TRUE(p.Clear(x, y)) << "corner (" << x << ", " << y << ") should be transparent";
  }
  EXPECT_FALSE(p.Clear(size / 2, size / 2)) << "centre should be opaque";
  EXPECT_FALSE(p.Clear(size / 2, 0)) << "badge reaches the top edge";
  int clear = 0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (p.Clear(x, y)) {
        ++clear;
        EXPECT_EQ(p.At(x, y), Grey(0)) << "transparent pixel (" << x << ", " << y << ") must be black in the colour rows";
      }
    }
  }
  EXPECT_GT(clear, size) << "the mask cuts the badge round";
  // Blue badge with a white centre.
  const Rgb rim = p.At(size / 2, 1);
  EXPECT_GT(rim.b, rim.r + 60) << "badge edge should be blue, got " << ToString(rim);
  int white = 0;
  for (int y = size / 4; y < size * 3 / 4; ++y)
    for (int x = size / 4; x < size * 3 / 4; ++x)
      if (p.At(x, y) == Grey(255)) ++white;
  EXPECT_GT(white, size * size / 16) << "white centre";
}

TEST(AssetsFormat, WindowIconHas32And16ImagesWithMasks) {
  const tarvik::bitmap::IcoFile ico = Ico(1);
  EXPECT_EQ(ico.reserved, 0u) << "reserved";
  const auto& entries = ico.entries;
  ASSERT_EQ(entries.size(), 2u);
  {
    SCOPED_TRACE("32 x 32 image");
    ExpectIconImage(entries[0], 32);
  }
  {
    SCOPED_TRACE("16 x 16 image");
    ExpectIconImage(entries[1], 16);
  }
  EXPECT_EQ(entries[0].offset, 6u + 2 * 16);
  EXPECT_EQ(entries[1].offset, entries[0].offset + entries[0].size);
  EXPECT_EQ(CommittedFile(1).size(), entries[1].offset + entries[1].size);
}

TEST(AssetsFormat, TitleIconIsTheWindowIcons16By16Image) {
  const auto title = Ico(3).entries;
  ASSERT_EQ(title.size(), 1u);
  ExpectIconImage(title[0], 16);
  const auto window = Ico(1).entries;
  ASSERT_EQ(window.size(), 2u);
  EXPECT_EQ(Difference(Bytes(window[1].image.begin(), window[1].image.end()), Bytes(title[0].image.begin(), title[0].image.end())), "")
      << "pixels and mask of A3 must equal A1's 16 x 16 image";
  EXPECT_EQ(CommittedFile(3).size(), 6u + 16 + title[0].size);
}

// ---------------------------------------------------------------------------
// Launcher icons, read with just enough of PNG for what the drawing program
// writes: chunks with their CRCs, one fixed-Huffman deflate stream, filter 0.

struct BitReader {
  const Bytes& in;
  std::size_t pos = 2;  // past the zlib header
  int used = 0;

  unsigned Bit() {
    if (pos >= in.size()) throw std::runtime_error("deflate stream cut short");
    const unsigned bit = (in[pos] >> used) & 1u;
    if (++used == 8) {
      used = 0;
      ++pos;
    }
    return bit;
  }
  unsigned Bits(int n) {
    unsigned v = 0;
    for (int i = 0; i < n; ++i) v |= Bit() << i;
    return v;
  }
};

// One symbol of deflate's fixed literal/length code, sent most significant bit first.
int FixedSymbol(BitReader& r) {
  unsigned code = 0;
  for (int length = 1; length <= 9; ++length) {
    code = code << 1 | r.Bit();
    if (length == 7 && code < 0x18) return static_cast<int>(256 + code);
    if (length == 8 && code >= 0x30 && code < 0xC0) return static_cast<int>(code - 0x30);
    if (length == 8 && code >= 0xC0 && code < 0xC8) return static_cast<int>(280 + code - 0xC0);
    if (length == 9 && code >= 0x190) return static_cast<int>(144 + code - 0x190);
  }
  throw std::runtime_error("not a fixed Huffman code");
}

// The data of a zlib stream whose blocks all use the fixed Huffman code.
Bytes Inflate(const Bytes& zlib) {
  static constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  static constexpr std::array<int, 30> kDistanceBase = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                                        33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  BitReader r{zlib};
  Bytes out;
  for (bool last = false; !last;) {
    last = r.Bit() == 1;
    const unsigned type = r.Bits(2);
    if (type != 1) throw std::runtime_error("deflate block of type " + std::to_string(type) + ", expected fixed Huffman");
    for (int symbol = FixedSymbol(r); symbol != 256; symbol = FixedSymbol(r)) {
      if (symbol < 256) {
        out.push_back(static_cast<unsigned char>(symbol));
        continue;
      }
      const auto l = static_cast<std::size_t>(symbol - 257);
      const int length = kLengthBase.at(l) + static_cast<int>(r.Bits(kLengthExtra.at(l)));
      unsigned d = 0;
      for (int i = 0; i < 5; ++i) d = d << 1 | r.Bit();
      const int extra = d < 4 ? 0 : static_cast<int>(d / 2 - 1);
      const auto distance = static_cast<std::size_t>(kDistanceBase.at(d) + static_cast<int>(r.Bits(extra)));
      if (distance > out.size()) throw std::runtime_error("match reaches before the stream's start");
      for (int i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
    }
  }
  return out;
}

// The 32-bit big-endian number at `at`.
std::uint32_t Be32(const Bytes& b, std::size_t at) {
  return std::uint32_t{b.at(at)} << 24 | std::uint32_t{b.at(at + 1)} << 16 | std::uint32_t{b.at(at + 2)} << 8 | b.at(at + 3);
}

// The CRC-32 of b[from..to).
std::uint32_t Crc32(const Bytes& b, std::size_t from, std::size_t to) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = from; i < to; ++i) {
    crc ^= b[i];
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

struct Png {
  std::uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0;
  Bytes rgba;  // rows top-down, four bytes a pixel
};

// Reads a PNG; throws (failing the test) with the reason if it is not one this reader can take.
Png ReadPng(const Bytes& file) {
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || !std::equal(signature.begin(), signature.end(), file.begin())) throw std::runtime_error("no PNG signature");
  Png png;
  Bytes idat;
  for (std::size_t at = 8;;) {
    const std::size_t length = Be32(file, at);
    const std::size_t end = at + 8 + length;
    if (end + 4 > file.size()) throw std::runtime_error("chunk at offset " + std::to_string(at) + " runs past the file");
    const std::string type(file.begin() + static_cast<std::ptrdiff_t>(at + 4), file.begin() + static_cast<std::ptrdiff_t>(at + 8));
    if (Crc32(file, at + 4, end) != Be32(file, end)) throw std::runtime_error(type + " chunk's CRC is wrong");
    if (type == "IHDR") {
      png.width = Be32(file, at + 8);
      png.height = Be32(file, at + 12);
      png.bitDepth = file[at + 16];
      png.colourType = file[at + 17];
      png.interlace = file[at + 20];
    } else if (type == "IDAT") {
      idat.insert(idat.end(), file.begin() + static_cast<std::ptrdiff_t>(at + 8), file.begin() + static_cast<std::ptrdiff_t>(end));
    } else if (type == "IEND") {
      break;
    }
    at = end + 4;
  }
  const Bytes rows = Inflate(idat);
  const std::size_t stride = 1 + 4 * std::size_t{png.width};
  if (rows.size() != stride * png.height) throw std::runtime_error("image data of " + std::to_string(rows.size()) + " bytes");
  for (std::size_t y = 0; y < png.height; ++y) {
    if (rows[y * stride] != 0) throw std::runtime_error("row " + std::to_string(y) + " has filter " + std::to_string(rows[y * stride]));
    png.rgba.insert(png.rgba.end(), rows.begin() + static_cast<std::ptrdiff_t>(y * stride + 1),
                    rows.begin() + static_cast<std::ptrdiff_t>((y + 1) * stride));
  }
  return png;
}

// The launcher icons are square RGBA images of the size in their names; the
// 16 and 32 px ones are the window icon's images, mask turned transparent,
// and the larger ones, drawn afresh, fade out over a soft edge.
TEST(AssetsIcons, LauncherIconsAreSquareRgbaOfTheirNamedSize) {
  struct Icon {
    int n;       // place in kFileNames
    int size;
    int ico;     // its image in window.ico, or -1
  };
  const std::array<Icon, 6> icons = {Icon{13, 16, 1}, {14, 32, 0}, {15, 48, -1}, {16, 64, -1}, {17, 128, -1}, {18, 256, -1}};
  const auto windowIcon = Ico(1).entries;
  ASSERT_EQ(windowIcon.size(), 2u);
  for (const Icon& icon : icons) {
    const std::string name = kFileNames[static_cast<std::size_t>(icon.n - 1)];
    SCOPED_TRACE(name);
    ASSERT_NE(name.find("-" + std::to_string(icon.size) + ".png"), std::string::npos) << "table and name disagree";
    const Png png = ReadPng(CommittedFile(icon.n));
    EXPECT_EQ(png.width, static_cast<std::uint32_t>(icon.size));
    EXPECT_EQ(png.height, static_cast<std::uint32_t>(icon.size));
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colourType, 6) << "RGBA";
    EXPECT_EQ(png.interlace, 0);
    ASSERT_EQ(png.rgba.size(), 4 * static_cast<std::size_t>(icon.size * icon.size));
    auto pixel = [&](int x, int y) { return &png.rgba[4 * static_cast<std::size_t>(y * icon.size + x)]; };
    int bad = 0;
    int soft = 0;
    std::string error;
    const auto dib = icon.ico >= 0 ? tarvik::bitmap::ReadIconImage(windowIcon[static_cast<std::size_t>(icon.ico)].image, &error)
                                   : std::nullopt;
    ASSERT_TRUE(icon.ico < 0 || dib) << error;
    for (int y = 0; y < icon.size; ++y) {
      for (int x = 0; x < icon.size; ++x) {
        const unsigned char* p = pixel(x, y);
        if (p[3] != 0 && p[3] != 255) ++soft;
        if (!dib) continue;
        const Rgb c = dib->At(x, y);
        const std::array<int, 4> want = dib->Clear(x, y) ? std::array<int, 4>{0, 0, 0, 0} : std::array<int, 4>{c.r, c.g, c.b, 255};
        const std::array<int, 4> got = {p[0], p[1], p[2], p[3]};
        if (want != got && bad++ < 5) {
          ADD_FAILURE() << "(" << x << ", " << y << "): expected RGBA(" << want[0] << ", " << want[1] << ", " << want[2] << ", "
                        << want[3] << ") as in window.ico, got RGBA(" << got[0] << ", " << got[1] << ", " << got[2] << ", " << got[3] << ")";
        }
      }
    }
    EXPECT_EQ(bad, 0) << "pixels differing from window.ico";
    if (dib) {
      EXPECT_EQ(soft, 0) << "the window icon's images have a 1-bit edge";
    } else {
      EXPECT_GT(soft, 2 * icon.size) << "a soft edge all round the badge";
      EXPECT_EQ(pixel(0, 0)[3], 0) << "corner transparent";
      EXPECT_EQ(pixel(icon.size / 2, icon.size / 2)[3], 255) << "centre opaque";
    }
  }
}

// ---------------------------------------------------------------------------
// Skin atlas

TEST_F(AssetsTest, TopRimAtColumn75) {
  const Picture a = Atlas();
  const std::array<int, 8> rim = {238, 248, 247, 243, 236, 228, 221, 217};
  for (int y = 0; y < 8; ++y) EXPECT_EQ(a.At(75, y), Grey(rim[static_cast<std::size_t>(y)])) << "row " << y;
  EXPECT_EQ(a.At(75, 8), Grey(250)) << "face below the rim, right of the caption tab";
}

TEST_F(AssetsTest, LeftStripAtRow80) {
  const Picture a = Atlas();
  const std::array<int, 9> strip = {230, 241, 242, 239, 234, 228, 221, 217, 207};
  for (int x = 0; x < 9; ++x) EXPECT_EQ(a.At(x, 80), Grey(strip[static_cast<std::size_t>(x)])) << "column " << x;
}

TEST_F(AssetsTest, RightStripAtRow80) {
  const Picture a = Atlas();
  const std::array<int, 9> strip = {210, 214, 211, 202, 185, 164, 138, 109, 78};  // inside out
  for (int i = 0; i < 9; ++i) EXPECT_EQ(a.At(141 + i, 80), Grey(strip[static_cast<std::size_t>(i)])) << "column " << 141 + i;
}

TEST_F(AssetsTest, BottomAreaAtColumn75) {
  const Picture a = Atlas();
  const std::array<int, 17> area = {207, 215, 215, 215, 215, 215, 215, 215, 215, 215, 213, 207, 194, 176, 154, 128, 98};
  for (int i = 0; i < 17; ++i) EXPECT_EQ(a.At(75, 138 + i), Grey(area[static_cast<std::size_t>(i)])) << "row " << 138 + i;
}

TEST_F(AssetsTest, InnerFaceIsWholly250) {
  const Picture a = Atlas();
  int bad = 0;
  for (int y = 28; y <= 137; ++y)
    for (int x = 9; x <= 140; ++x)
      if (a.At(x, y) != Grey(250) && bad++ < 5) {
        ADD_FAILURE() << "(" << x << ", " << y << "): expected 250, got " << ToString(a.At(x, y));
      }
  EXPECT_EQ(bad, 0);
  // Framed by a darker one-pixel outline whose corners are softened.
  for (int y = 30; y <= 128; ++y) EXPECT_EQ(a.At(8, y), Grey(207)) << "left outline, row " << y;
  for (int y = 30; y <= 128; ++y) EXPECT_EQ(a.At(141, y), Grey(210)) << "right outline, row " << y;
  for (int x = 30; x <= 120; ++x) EXPECT_EQ(a.At(x, 138), Grey(207)) << "bottom outline, column " << x;
  EXPECT_GT(a.At(8, 138).r, 207) << "bottom-left outline corner rounded";
  EXPECT_GT(a.At(141, 138).r, 207) << "bottom-right outline corner rounded";
}

TEST_F(AssetsTest, CaptionTabEdges) {
  const Picture a = Atlas();
  // Listed left rim columns: the tab starts exactly there.
  const std::map<int, int> left = {{8, 34}, {9, 18}, {12, 12}, {15, 10}, {20, 8}, {21, 8}, {22, 8}, {23, 8}, {24, 8}, {25, 8}, {26, 8}};
  for (auto [row, col] : left) {
    EXPECT_EQ(a.At(col, row), Grey(215)) << "tab starts at column " << col << " on row " << row;
    EXPECT_NE(a.At(col - 1, row), Grey(215)) << "rim left of column " << col << " on row " << row;
  }
  // Listed right edge columns: the tab ends there and the face follows.
  const std::map<int, int> right = {{8, 73}, {12, 69}, {16, 64}, {20, 59}, {24, 54}, {26, 47}};
  for (auto [row, col] : right) {
    EXPECT_EQ(a.At(col, row), Grey(215)) << "tab ends at column " << col << " on row " << row;
    EXPECT_EQ(a.At(col + 1, row), Grey(250)) << "face right of column " << col << " on row " << row;
  }
  // Each row of the tab is one run of 215 through column 40; going down,
  // its left rim moves out and its right edge moves in.
  int previous_start = 1000, previous_end = 1000;
  for (int y = 8; y <= 26; ++y) {
    ASSERT_EQ(a.At(40, y), Grey(215)) << "row " << y;
    int start = 40, end = 40;
    while (start > 0 && a.At(start - 1, y) == Grey(215)) --start;
    while (end < 149 && a.At(end + 1, y) == Grey(215)) ++end;
    EXPECT_LE(start, previous_start) << "left rim on row " << y;
    EXPECT_LE(end, previous_end) << "right edge on row " << y;
    EXPECT_EQ(a.At(end + 1, y), Grey(250)) << "face right of the tab on row " << y;
    previous_start = start;
    previous_end = end;
  }
  // The 204 line under the tab; face right of it on row 27.
  for (int x = 9; x <= 47; ++x) EXPECT_EQ(a.At(x, 27), Grey(204)) << "line under the tab, column " << x;
  for (int x = 48; x <= 140; ++x) EXPECT_EQ(a.At(x, 27), Grey(250)) << "row 27, column " << x;
  for (int y = 8; y <= 27; ++y)
    for (int x = 75; x <= 135; ++x)
      if (a.At(x, y) != Grey(250)) {
        EXPECT_EQ(a.At(x, y), Grey(159)) << "(" << x << ", " << y << ") right of the tab: face or glyph only";
      }
}

TEST_F(AssetsTest, RestingGlyphsFillTheirCellsAlone) {
  const Picture a = Atlas();
  const std::array<std::pair<const Cell*, int>, 3> cells = {std::pair{&kMinimizeGlyph, 77}, {&kMaximizeGlyph, 98}, {&kCloseGlyph, 119}};
  for (const auto& cell : cells) {
    const Cell* glyph = cell.first;  // a plain variable: clang 14 cannot capture a structured binding
    const int left = cell.second;
    EXPECT_EQ(CompareCell(a, left, 8, [glyph](int x, int y) { return Ink(*glyph, x, y) ? Grey(159) : Grey(250); }), "")
        << "cell at (" << left << ", 8)";
  }
  // The listed glyph extents in atlas coordinates.
  EXPECT_EQ(a.At(82, 19), Grey(159));
  EXPECT_EQ(a.At(89, 20), Grey(159));
  EXPECT_EQ(a.At(81, 19), Grey(250));
  EXPECT_EQ(a.At(90, 20), Grey(250));
  EXPECT_EQ(a.At(101, 15), Grey(159));
  EXPECT_EQ(a.At(111, 15), Grey(159));
  EXPECT_EQ(a.At(106, 11), Grey(159));
  EXPECT_EQ(a.At(106, 20), Grey(159));
  EXPECT_EQ(a.At(122, 11), Grey(159));
  EXPECT_EQ(a.At(132, 20), Grey(159));
}

TEST_F(AssetsTest, RedCornerFillAtTheListedPlaces) {
  const Picture a = Atlas();
  for (int x = 0; x <= 20; ++x) EXPECT_EQ(a.At(x, 0), kRed) << "row 0, column " << x;
  for (int x = 129; x <= 149; ++x) EXPECT_EQ(a.At(x, 0), kRed) << "row 0, column " << x;
  EXPECT_NE(a.At(21, 0), kRed);
  EXPECT_NE(a.At(128, 0), kRed);
  for (int y = 0; y <= 20; ++y) {
    EXPECT_EQ(a.At(0, y), kRed) << "column 0, row " << y;
    EXPECT_EQ(a.At(149, y), kRed) << "column 149, row " << y;
  }
  EXPECT_NE(a.At(0, 21), kRed);
  EXPECT_NE(a.At(149, 21), kRed);
  for (int x = 0; x <= 22; ++x) EXPECT_EQ(a.At(x, 154), kRed) << "row 154, column " << x;
  EXPECT_NE(a.At(23, 154), kRed);
  for (int y = 134; y <= 154; ++y) EXPECT_EQ(a.At(0, y), kRed) << "column 0, row " << y;
  EXPECT_NE(a.At(0, 133), kRed);
  EXPECT_EQ(a.At(149, 154), kRed) << "bottom-right sliver";
  EXPECT_EQ(a.At(145, 154), kRed) << "bottom-right sliver";
  EXPECT_EQ(a.At(149, 149), kRed) << "bottom-right sliver";
  EXPECT_NE(a.At(144, 154), kRed);
  EXPECT_NE(a.At(149, 148), kRed);
}

TEST_F(AssetsTest, RedOnlyInQuarterRoundsAtTheCorners) {
  const Picture a = Atlas();
  struct Box {
    int x0, y0, x1, y1;
    int corner_x, corner_y;
  };
  const std::array<Box, 4> boxes = {Box{0, 0, 20, 20, 0, 0}, Box{129, 0, 149, 20, 149, 0}, Box{0, 134, 22, 154, 0, 154},
                                    Box{145, 149, 149, 154, 149, 154}};
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (a.At(x, y) != kRed) continue;
      const auto inside = std::find_if(boxes.begin(), boxes.end(), [&](const Box& b) {
        return x >= b.x0 && x <= b.x1 && y >= b.y0 && y <= b.y1;
      });
      ASSERT_NE(inside, boxes.end()) << "red at (" << x << ", " << y << ") outside the corner areas";
      // The neighbours towards the corner are red too, so the red area is a
      // staircase bounded by one curve that the outline can cut along.
      const int step_x = inside->corner_x > x ? 1 : -1;
      const int step_y = inside->corner_y > y ? 1 : -1;
      if (x != inside->corner_x) {
        EXPECT_EQ(a.At(x + step_x, y), kRed) << "next to red (" << x << ", " << y << ")";
      }
      if (y != inside->corner_y) {
        EXPECT_EQ(a.At(x, y + step_y), kRed) << "next to red (" << x << ", " << y << ")";
      }
    }
  }
}

TEST_F(AssetsTest, GripMarkIsAnOliveCrescentInTheBottomRightCorner) {
  const Picture a = Atlas();
  const Rgb dark{57, 66, 12};
  const Rgb light{154, 180, 32};
  int olive = 0;
  int darkest = 1000;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      const Rgb c = a.At(x, y);
      if (c.g <= c.b + 20 || c == kRed) continue;  // grey or red
      EXPECT_TRUE(x >= 125 && x <= 149 && y >= 129 && y <= 154) << "olive at (" << x << ", " << y << ") outside the grip area";
      ++olive;
      darkest = std::min(darkest, c.g);
    }
  }
  EXPECT_GT(olive, 40) << "grip mark pixels";
  EXPECT_GE(darkest, dark.g - 2) << "no olive darker than " << ToString(dark);
  // Its core runs from the dark to the light colour.
  bool has_dark = false, has_light = false;
  for (int y = 129; y <= 154; ++y) {
    for (int x = 125; x <= 149; ++x) {
      const Rgb c = a.At(x, y);
      if (std::abs(c.r - dark.r) <= 12 && std::abs(c.g - dark.g) <= 12 && std::abs(c.b - dark.b) <= 12) has_dark = true;
      if (std::abs(c.r - light.r) <= 12 && std::abs(c.g - light.g) <= 12 && std::abs(c.b - light.b) <= 12) has_light = true;
    }
  }
  EXPECT_TRUE(has_dark) << "a pixel near " << ToString(dark);
  EXPECT_TRUE(has_light) << "a pixel near " << ToString(light);
  // A crescent following the corner: the diagonal crosses it, the face does not.
  const Rgb diagonal = a.At(142, 146);
  EXPECT_GT(diagonal.g, diagonal.b + 20) << "(142, 146) on the grip's diagonal, got " << ToString(diagonal);
}

// The frame stretches these source areas (in atlas pixels): title band
// columns 28-35 rows 0-39 and bottom band columns 28-35 rows 115-154 across,
// the edge strips columns 0-13 and 136-149 at rows 58-61 down.  Along the
// stretch direction each must be uniform, or the window would show streaks.
TEST_F(AssetsTest, StretchedSlicesAreUniformAlongTheirStretch) {
  const Picture a = Atlas();
  for (int y = 0; y <= 39; ++y) {
    if (y == 8) continue;  // rim above the tab's rounded corner: checked below
    for (int x = 29; x <= 35; ++x) EXPECT_EQ(a.At(x, y), a.At(28, y)) << "title band (" << x << ", " << y << ")";
  }
  for (int x = 28; x <= 35; ++x) EXPECT_LE(std::abs(a.At(x, 8).r - 215), 2) << "title band (" << x << ", 8) near the tab's grey";
  for (int y = 115; y <= 154; ++y)
    for (int x = 29; x <= 35; ++x) EXPECT_EQ(a.At(x, y), a.At(28, y)) << "bottom band (" << x << ", " << y << ")";
  // Edge strips between the corner blocks: left rows 40-114, right rows
  // 29-119 (the top-right block is 29 rows high, the bottom-right one 35).
  for (int x = 0; x <= 13; ++x) {
    for (int y = 40; y <= 114; ++y) {
      EXPECT_EQ(a.At(x, y), a.At(x, 80)) << "left edge (" << x << ", " << y << ")";
    }
  }
  for (int x = 136; x <= 149; ++x) {
    for (int y = 29; y <= 119; ++y) {
      EXPECT_EQ(a.At(x, y), a.At(x, 80)) << "right edge (" << x << ", " << y << ")";
    }
  }
  // The title band is the caption tab over the face: rim, tab, line, face.
  EXPECT_EQ(a.At(30, 7), Grey(217));
  EXPECT_EQ(a.At(30, 9), Grey(215));
  EXPECT_EQ(a.At(30, 26), Grey(215));
  EXPECT_EQ(a.At(30, 27), Grey(204));
  EXPECT_EQ(a.At(30, 28), Grey(250));
}

// ---------------------------------------------------------------------------
// State pictures

struct StatePicture {
  int n;
  const Cell* glyph;
};

const std::array<StatePicture, 4> kHover = {StatePicture{5, &kRestoreGlyph}, {7, &kMaximizeGlyph}, {9, &kMinimizeGlyph}, {11, &kCloseGlyph}};
const std::array<StatePicture, 4> kPressed = {StatePicture{6, &kRestoreGlyph}, {8, &kMaximizeGlyph}, {10, &kMinimizeGlyph}, {12, &kCloseGlyph}};

bool IsCorner(int x, int y) { return (x == 0 || x == 16) && (y == 0 || y == 15); }

TEST(AssetsStatePictures, HoverPicturesHaveOutlineFaceAndGreyGlyph) {
  for (const StatePicture& s : kHover) {
    SCOPED_TRACE("A" + std::to_string(s.n) + " " + kFileNames[static_cast<std::size_t>(s.n - 1)]);
    const Picture p = Bmp(s.n).dib;
    ASSERT_EQ(p.width, 17);
    ASSERT_EQ(p.height, 16);
    EXPECT_EQ(CompareCell(p, 0, 0, [&](int x, int y) {
                if (IsCorner(x, y)) return p.At(x, y);  // checked below
                if (x == 0 || x == 16 || y == 0 || y == 15) return Grey(199);
                return Ink(*s.glyph, x, y) ? Grey(159) : Grey(250);
              }),
              "");
    std::multiset<int> corners;
    for (auto [x, y] : {std::pair{0, 0}, {16, 0}, {0, 15}, {16, 15}}) {
      EXPECT_EQ(p.At(x, y).r, p.At(x, y).g);
      EXPECT_EQ(p.At(x, y).g, p.At(x, y).b);
      corners.insert(p.At(x, y).r);
    }
    EXPECT_EQ(corners, (std::multiset<int>{202, 235, 244, 252})) << "softened corners";
  }
}

TEST(AssetsStatePictures, PressedPicturesAreDarkWithLightGlyph) {
  for (const StatePicture& s : kPressed) {
    SCOPED_TRACE("A" + std::to_string(s.n) + " " + kFileNames[static_cast<std::size_t>(s.n - 1)]);
    const Picture p = Bmp(s.n).dib;
    ASSERT_EQ(p.width, 17);
    ASSERT_EQ(p.height, 16);
    const int glyph_grey = s.n == 6 ? 250 : 255;
    EXPECT_EQ(CompareCell(p, 0, 0, [&](int x, int y) {
                if (IsCorner(x, y)) return Grey(235);
                return Ink(*s.glyph, x, y) ? Grey(glyph_grey) : Grey(159);
              }),
              "");
  }
}

TEST(AssetsStatePictures, RestoreFaceIsGreyGlyphOnFaceWithoutOutline) {
  const Picture p = Bmp(4).dib;
  ASSERT_EQ(p.width, 17);
  ASSERT_EQ(p.height, 16);
  EXPECT_EQ(CompareCell(p, 0, 0, [](int x, int y) { return Ink(kRestoreGlyph, x, y) ? Grey(159) : Grey(250); }), "");
}

}  // namespace
