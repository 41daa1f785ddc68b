#pragma once

// The arrays behind EmbeddedAsset, defined in the generated embedded_data.cpp.

#include <cstddef>

#include "assets/embedded.h"

namespace tarvik::embedded_detail {

extern const AssetBytes kAssets[];
extern const std::size_t kAssetCount;

}  // namespace tarvik::embedded_detail
