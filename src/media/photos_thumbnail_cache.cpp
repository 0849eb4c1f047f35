#include "media/photos_thumbnail_cache.h"

namespace lumivex {

PhotosThumbnailCache::PhotosThumbnailCache()
    : images_(imageCountLimit, imageCostLimit), assets_(assetCountLimit, 0) {}

PhotosThumbnailCache& PhotosThumbnailCache::shared() {
    static PhotosThumbnailCache cache;
    return cache;
}

std::int64_t PhotosThumbnailCache::imageCost(int pixelSize) {
    return static_cast<std::int64_t>(pixelSize) * pixelSize * 4;
}

std::optional<PhotoAsset> PhotosThumbnailCache::asset(const QString& localIdentifier) {
    if (std::optional<PhotoAsset> cached = assets_.find(localIdentifier)) {
        return cached;
    }
    if (library_ == nullptr) {
        return std::nullopt;
    }
    const QList<PhotoAsset> found = library_->fetchAssets({localIdentifier});
    if (found.isEmpty()) {
        return std::nullopt;
    }
    assets_.insert(found.first().localIdentifier, found.first());
    return found.first();
}

}  // namespace lumivex
