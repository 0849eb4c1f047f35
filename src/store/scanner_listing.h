#pragma once

#include "model/media_scanner.h"
#include "store/media_listing.h"

namespace lumivex {

// The listing the application uses: the store's one scanner, whose scans run one at a time on
// its own thread. Main thread.
class ScannerListing final : public MediaListing {
public:
    explicit ScannerListing(Clock clock);

    QFuture<QList<MediaItem>> scanFolder(const QString& folder, const QList<MediaItem>& previous,
                                         bool includeSubfolders) override;
    QFuture<QList<MediaItem>> scanPhotos() override;

private:
    MediaScanner scanner_;
};

}  // namespace lumivex
