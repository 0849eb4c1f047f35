#pragma once

#include "platform/bounded_cache.h"
#include "platform/photo_library.h"

namespace lumivex {

// Assets already fetched, by local identifier: filled by the photo listing, read by thumbnail
// requests, so scrolling back does not ask the library again.
using PhotoAssetTable = BoundedCache<QString, PhotoAsset>;

}  // namespace lumivex
