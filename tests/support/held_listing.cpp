#include "support/held_listing.h"

#include "model/media_scanner.h"

namespace lumivex::test {

QFuture<QList<MediaItem>> HeldListing::scanFolder(const QString& folder, const MediaItems& previous,
                                                  bool subfolders) {
    ++folderScans;
    includeSubfolders.append(subfolders);
    return start([folder, previous, subfolders] {
        return MediaScanner::scanFolder(folder, previous.toList(), subfolders, Date::now,
                                        [] { return false; });
    });
}

QFuture<QList<MediaItem>> HeldListing::scanPhotos() {
    ++photoScans;
    return start(
        [this] { return MediaScanner::listPhotos(photos_, assets_, [] { return false; }); });
}

QFuture<QList<MediaItem>> HeldListing::start(std::function<QList<MediaItem>()> work) {
    Pending pending{std::make_shared<QPromise<QList<MediaItem>>>(), std::move(work)};
    pending.promise->start();
    QFuture<QList<MediaItem>> future = pending.promise->future();
    if (holding) {
        pending_.append(pending);
    } else {
        finish(pending);
    }
    return future;
}

void HeldListing::release() {
    const QList<Pending> pending = std::exchange(pending_, {});
    for (const Pending& scan : pending) {
        finish(scan);
    }
}

void HeldListing::finish(const Pending& pending) const {
    if (!pending.promise->isCanceled()) {
        try {
            if (failure) {
                throw *failure;
            }
            pending.promise->addResult(pending.work());
        } catch (...) {
            pending.promise->setException(std::current_exception());
        }
    }
    pending.promise->finish();
}

}  // namespace lumivex::test
