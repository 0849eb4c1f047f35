#pragma once

#include "model/media_scanner.h"
#include "platform/photo_asset_table.h"
#include "store/media_listing.h"

namespace lumivex {

// The listing the application uses: the store's one scanner, whose scans run one at a time on
// its own thread; photo-library assets it lists are kept in the shared asset table. Main thread.
class ScannerListing final : public MediaListing {
public:
    // `photos` and `assets` must outlive the listing.
    ScannerListing(Clock clock, const PhotoLibrary& photos, PhotoAssetTable& assets);

    QFuture<QList<MediaItem>> scanFolder(const QString& folder, const MediaItems& previous,
                                         bool includeSubfolders) override;
    QFuture<QList<MediaItem>> scanPhotos() override;

private:
    const PhotoLibrary& photos_;
    PhotoAssetTable& assets_;
    MediaScanner scanner_;
};

}  // namespace lumivex
