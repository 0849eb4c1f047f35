#pragma once

#include "platform/error.h"
#include "platform/photo_asset_table.h"
#include "store/media_listing.h"

#include <QList>
#include <QPromise>

#include <functional>
#include <memory>
#include <optional>

namespace lumivex::test {

// A listing that scans folder trees and lists a photo library for real, but only when the test
// lets it: while `holding`, every scan waits until release().
// Results arrive like the scanner's, as futures finished off the store's turn.
class HeldListing final : public MediaListing {
public:
    explicit HeldListing(const PhotoLibrary& photos) : photos_(photos) {}

    bool holding = false;
    std::optional<Error> failure;  // every scan fails with this while set
    int folderScans = 0;
    int photoScans = 0;
    QList<bool> includeSubfolders;  // the flag of every folder scan

    QFuture<QList<MediaItem>> scanFolder(const QString& folder, const MediaItems& previous,
                                         bool includeSubfolders) override;
    QFuture<QList<MediaItem>> scanPhotos() override;

    qsizetype held() const { return pending_.size(); }
    // Finishes every held scan, oldest first; cancelled ones are dropped.
    void release();

private:
    struct Pending {
        std::shared_ptr<QPromise<QList<MediaItem>>> promise;
        std::function<QList<MediaItem>()> work;
    };

    QFuture<QList<MediaItem>> start(std::function<QList<MediaItem>()> work);
    void finish(const Pending& pending) const;

    const PhotoLibrary& photos_;
    PhotoAssetTable assets_{1000, 0};
    QList<Pending> pending_;
};

}  // namespace lumivex::test
