// Checks the twelve embedded pictures and the launcher icons: that the
// committed files are what the drawing program makes, that the program embeds
// exactly the pictures' bytes, their file formats, and what the frame relies on
// in the artwork.

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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
// Launcher icons

// A PNG's header fields, read from the IHDR chunk that opens every PNG.
struct PngHeader {
  std::uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0;
};

// The 32-bit big-endian number at `at`.
std::uint32_t Be32(const Bytes& b, std::size_t at) {
  return std::uint32_t{b.at(at)} << 24 | std::uint32_t{b.at(at + 1)} << 16 | std::uint32_t{b.at(at + 2)} << 8 | b.at(at + 3);
}

// The header of a PNG file; throws if the IHDR chunk does not open it.
PngHeader ReadPngHeader(const Bytes& file) {
  if (file.size() < 29 || std::string(file.begin() + 12, file.begin() + 16) != "IHDR") throw std::runtime_error("no IHDR chunk first");
  return {Be32(file, 16), Be32(file, 20), file[24], file[25], file[28]};
}

// The pixels of the PNG at `path` as cairo decodes them (ARGB32, premultiplied: a pixel of alpha
// 0 or 255 reads as its own colour); throws if cairo cannot read it.
std::vector<std::uint32_t> PngPixels(const fs::path& path, int size) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.string().c_str());
  const cairo_status_t status = cairo_surface_status(s);
  if (status != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    throw std::runtime_error(path.string() + ": " + cairo_status_to_string(status));
  }
  std::vector<std::uint32_t> pixels;
  if (cairo_image_surface_get_width(s) == size && cairo_image_surface_get_height(s) == size) {
    for (int y = 0; y < size; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s));
      pixels.insert(pixels.end(), row, row + size);
    }
  }
  cairo_surface_destroy(s);
  return pixels;
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
    const PngHeader png = ReadPngHeader(CommittedFile(icon.n));
    EXPECT_EQ(png.width, static_cast<std::uint32_t>(icon.size));
    EXPECT_EQ(png.height, static_cast<std::uint32_t>(icon.size));
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colourType, 6) << "RGBA";
    EXPECT_EQ(png.interlace, 0);
    const std::vector<std::uint32_t> argb = PngPixels(fs::path(TARVIK_ASSET_DIR) / name, icon.size);
    ASSERT_EQ(argb.size(), static_cast<std::size_t>(icon.size * icon.size)) << "pixels decoded";
    const auto alpha = [&](int x, int y) { return static_cast<int>(argb[static_cast<std::size_t>(y * icon.size + x)] >> 24); };
    int bad = 0;
    int soft = 0;
    std::string error;
    const auto dib = icon.ico >= 0 ? tarvik::bitmap::ReadIconImage(windowIcon[static_cast<std::size_t>(icon.ico)].image, &error)
                                   : std::nullopt;
    ASSERT_TRUE(icon.ico < 0 || dib) << error;
    for (int y = 0; y < icon.size; ++y) {
      for (int x = 0; x < icon.size; ++x) {
        if (alpha(x, y) != 0 && alpha(x, y) != 255) ++soft;
        if (!dib) continue;
        const Rgb c = dib->At(x, y);
        const std::uint32_t want = dib->Clear(x, y) ? 0u : 0xFF000000u | std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | std::uint32_t(c.b);
        const std::uint32_t got = argb[static_cast<std::size_t>(y * icon.size + x)];
        if (want != got && bad++ < 5) {
          ADD_FAILURE() << "(" << x << ", " << y << "): expected ARGB " << std::hex << want << " as in window.ico, got " << got << std::dec;
        }
      }
    }
    EXPECT_EQ(bad, 0) << "pixels differing from window.ico";
    if (dib) {
      EXPECT_EQ(soft, 0) << "the window icon's images have a 1-bit edge";
    } else {
      EXPECT_GT(soft, 2 * icon.size) << "a soft edge all round the badge";
      EXPECT_EQ(alpha(0, 0), 0) << "corner transparent";
      EXPECT_EQ(alpha(icon.size / 2, icon.size / 2), 255) << "centre opaque";
    }
  }
}

// ---------------------------------------------------------------------------
// What the frame relies on in the artwork. Its look (each grey, the caption tab, the grip mark,
// where the red corner fill lies) is pinned by the byte-for-byte comparison with the drawing
// program, and the red fill is checked where it matters, in the cut window (OutlineTest). What
// follows must still hold when the drawing program and its files are changed together.

// The frame stretches these source areas (in atlas pixels): title band
// columns 28-35 rows 0-39 and bottom band columns 28-35 rows 115-154 across,
// the edge strips columns 0-13 and 136-149 at rows 58-61 down.  Along the
// stretch direction each must be uniform, or the window would show streaks.
TEST(AssetsArtwork, StretchedSlicesAreUniformAlongTheirStretch) {
  const Picture a = Bmp(2).dib;
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
}

// One 17 x 16 glyph cell: in the atlas where a caption button lies over it, or a whole state picture.
struct GlyphCell {
  int n;          // picture A<n>
  int left, top;  // the cell within it
  const Cell* glyph;
  int face, ink;  // greys
  int rim;        // grey of a one-pixel outline round the cell, or -1 for none
  bool softCorners;
};

// A caption button's picture covers the atlas cell beneath it, and A4 is painted in the maximize
// button's place: every picture of one glyph draws it at the same pixels, on the face colour where
// it shows against the face, so a change of look never moves the glyph or leaves a box round it.
TEST(AssetsArtwork, EveryPictureOfAGlyphDrawsItInTheSameCell) {
  constexpr int kFace = 250, kInk = 159, kWhite = 255, kHoverRim = 199;
  const std::array<GlyphCell, 12> cells = {
      GlyphCell{2, 77, 8, &kMinimizeGlyph, kFace, kInk, -1, false},   // resting, under Immin
      {2, 98, 8, &kMaximizeGlyph, kFace, kInk, -1, false},            // under Immax
      {2, 119, 8, &kCloseGlyph, kFace, kInk, -1, false},              // under Imclose
      {4, 0, 0, &kRestoreGlyph, kFace, kInk, -1, false},              // the restore face
      {5, 0, 0, &kRestoreGlyph, kFace, kInk, kHoverRim, true},        // hover
      {7, 0, 0, &kMaximizeGlyph, kFace, kInk, kHoverRim, true},
      {9, 0, 0, &kMinimizeGlyph, kFace, kInk, kHoverRim, true},
      {11, 0, 0, &kCloseGlyph, kFace, kInk, kHoverRim, true},
      {6, 0, 0, &kRestoreGlyph, kInk, kFace, -1, true},               // pressed
      {8, 0, 0, &kMaximizeGlyph, kInk, kWhite, -1, true},
      {10, 0, 0, &kMinimizeGlyph, kInk, kWhite, -1, true},
      {12, 0, 0, &kCloseGlyph, kInk, kWhite, -1, true},
  };
  for (const GlyphCell& c : cells) {
    const Picture p = Bmp(c.n).dib;
    EXPECT_EQ(CompareCell(p, c.left, c.top, [&](int x, int y) {
                if (c.softCorners && (x == 0 || x == 16) && (y == 0 || y == 15)) return p.At(c.left + x, c.top + y);
                if (c.rim >= 0 && (x == 0 || x == 16 || y == 0 || y == 15)) return Grey(c.rim);
                return Ink(*c.glyph, x, y) ? Grey(c.ink) : Grey(c.face);
              }),
              "")
        << "A" << c.n << " " << kFileNames[static_cast<std::size_t>(c.n - 1)] << ", cell at (" << c.left << ", " << c.top << ")";
  }
}

}  // namespace
