#include "store/scanner_listing.h"

namespace lumivex {

ScannerListing::ScannerListing(Clock clock) : scanner_(std::move(clock)) {}

QFuture<QList<MediaItem>> ScannerListing::scanFolder(const QString& folder,
                                                     const QList<MediaItem>& previous,
                                                     bool includeSubfolders) {
    return scanner_.scan(folder, previous, includeSubfolders);
}

QFuture<QList<MediaItem>> ScannerListing::scanPhotos() {
    return QtFuture::makeReadyFuture(QList<MediaItem>());
}

}  // namespace lumivex
