#pragma once

#include <cstddef>

namespace tarvik {

struct AssetBytes {
  const unsigned char* data;
  std::size_t size;
};

// Bytes of picture A<n> (n from 1 to 12) exactly as the committed file holds them.
//   A1 window icon (ICO: 32x32 and 16x16)     A2 skin atlas (BMP, 150x155)
//   A3 title-bar icon (ICO: 16x16)            A4 restore face at rest
//   A5, A6 restore hover, pressed             A7, A8 maximize hover, pressed
//   A9, A10 minimize hover, pressed           A11, A12 close hover, pressed
// The state pictures A4 to A12 are 17x16 BMPs.
AssetBytes EmbeddedAsset(int n);

}  // namespace tarvik
