#include "assets/embedded.h"

#include <cassert>

#include "assets/embedded_table.h"

namespace tarvik {

AssetBytes EmbeddedAsset(int n) {
  assert(n >= 1 && static_cast<std::size_t>(n) <= embedded_detail::kAssetCount && "picture number out of range");
  return embedded_detail::kAssets[n - 1];
}

}  // namespace tarvik
