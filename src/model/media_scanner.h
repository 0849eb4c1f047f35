#pragma once

#include "model/library.h"
#include "platform/date.h"
#include "platform/photo_asset_table.h"

#include <QFuture>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QThreadPool;

namespace lumivex {

class PhotoLibrary;

// Lists a folder tree into the records of its photos and videos. Runs one scan at a time on its
// own worker thread, which spreads the scan over a crew of threads; keeps nothing between scans.
// Created and called on the main thread. Destroying it cancels its scans and waits only for the
// entries being examined.
class MediaScanner {
public:
    // Thrown by scanFolder when its cancellation check says so.
    struct Cancelled {};
    using CancellationCheck = std::function<bool()>;

    explicit MediaScanner(Clock clock = &Date::now);
    ~MediaScanner();
    MediaScanner(const MediaScanner&) = delete;
    MediaScanner& operator=(const MediaScanner&) = delete;

    // Scans on the worker thread. The future holds the full list, or the first error met (an
    // Error, rethrown by waitForFinished and result), or is cancelled and holds nothing when the
    // caller cancelled it; cancellation takes effect before the next folder or entry.
    QFuture<QList<MediaItem>> scan(const QString& folder, const MediaItems& previous,
                                   bool includeSubfolders);

    // The scan itself, on the calling thread and as many more as the machine has cores, which list
    // folders and open files side by side. The result is the same as one thread's would be:
    // breadth-first, in listing order within a folder;
    // hidden entries, symbolic links, non-media files and names that are not UTF-8 are skipped,
    // and so are subfolders this user may not list (DirectoryListing::refused).
    // Files whose identity, modification date and size match a record of `previous` keep that
    // record's capture date and duration instead of being opened again. Throws Error when `folder`
    // or an entry cannot be read, or a subfolder fails otherwise, and Cancelled when `isCancelled`
    // answers true. `clock` is read by one thread at a time, once per folder; `isCancelled` may be
    // asked from several threads at once.
    static QList<MediaItem> scanFolder(const QString& folder, const QList<MediaItem>& previous,
                                       bool includeSubfolders, const Clock& clock,
                                       const CancellationCheck& isCancelled);

    // Lists the photo library on the worker thread; the future holds the records or is cancelled,
    // like scan's. `library` and `assets` must outlive the scanner.
    QFuture<QList<MediaItem>> scanPhotos(const PhotoLibrary& library, PhotoAssetTable& assets);

    // The listing itself, on the calling thread: the image and video assets in the library's
    // order (newest first), each kept in `assets` by its identifier. Throws Cancelled, and only
    // that, when `isCancelled` answers true; a partial list is never returned.
    static QList<MediaItem> listPhotos(const PhotoLibrary& library, PhotoAssetTable& assets,
                                       const CancellationCheck& isCancelled);

private:
    Clock clock_;
    std::unique_ptr<QThreadPool> pool_;
    // Scans not yet known to be finished, cancelled when the scanner goes.
    QList<QFuture<QList<MediaItem>>> scans_;
};

}  // namespace lumivex
