#include "store/scanner_listing.h"

namespace lumivex {

ScannerListing::ScannerListing(Clock clock, const PhotoLibrary& photos, PhotoAssetTable& assets)
    : photos_(photos), assets_(assets), scanner_(std::move(clock)) {}

QFuture<QList<MediaItem>> ScannerListing::scanFolder(const QString& folder,
                                                     const MediaItems& previous,
                                                     bool includeSubfolders) {
    return scanner_.scan(folder, previous, includeSubfolders);
}

QFuture<QList<MediaItem>> ScannerListing::scanPhotos() {
    return scanner_.scanPhotos(photos_, assets_);
}

}  // namespace lumivex
