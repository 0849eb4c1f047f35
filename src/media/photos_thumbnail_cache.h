#pragma once

#include "platform/bounded_cache.h"
#include "platform/photo_asset_table.h"

#include <QImage>
#include <QString>

#include <optional>

namespace lumivex {

class PhotoImageManager;
class PhotoLibrary;

// The process-wide photo-library image machinery: the image manager every thumbnail request goes
// through, the final images by request key and the assets already fetched by identifier. The
// caches evict on their own within their limits. Safe on any thread; the library and manager
// are set once at start-up on the main thread, before any request.
class PhotosThumbnailCache {
public:
    static constexpr std::int64_t imageCountLimit = 800;
    static constexpr std::int64_t imageCostLimit = 100663296;  // 96 MiB
    static constexpr std::int64_t assetCountLimit = 3000;

    PhotosThumbnailCache();
    PhotosThumbnailCache(const PhotosThumbnailCache&) = delete;
    PhotosThumbnailCache& operator=(const PhotosThumbnailCache&) = delete;

    // Created on first use, kept for the life of the process.
    static PhotosThumbnailCache& shared();

    void setLibrary(PhotoLibrary* library) { library_ = library; }
    void setManager(PhotoImageManager* manager) { manager_ = manager; }
    PhotoLibrary* library() const { return library_; }
    PhotoImageManager* manager() const { return manager_; }

    BoundedCache<QString, QImage>& images() { return images_; }
    PhotoAssetTable& assets() { return assets_; }

    // The cost of a cached image of the requested pixel size.
    static std::int64_t imageCost(int pixelSize);

    // The asset with this identifier: from the table, else fetched from the library once and
    // kept under its own identifier. Nothing found (or no library) keeps nothing.
    std::optional<PhotoAsset> asset(const QString& localIdentifier);

private:
    PhotoLibrary* library_ = nullptr;
    PhotoImageManager* manager_ = nullptr;
    BoundedCache<QString, QImage> images_;
    PhotoAssetTable assets_;
};

}  // namespace lumivex
