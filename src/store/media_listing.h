#pragma once

#include "model/library.h"
#include "model/media_items.h"

#include <QFuture>
#include <QList>
#include <QString>

namespace lumivex {

// Lists the media of the open library off the main thread: a folder tree or the photo library.
// The futures hold the items, an Error, or are cancelled. Tests hold a listing and release it.
// Called on the main thread.
class MediaListing {
public:
    virtual ~MediaListing() = default;

    // `previous` shares the library's chunks: the copy of a large library is made on the
    // listing's own thread, not on the caller's.
    virtual QFuture<QList<MediaItem>> scanFolder(const QString& folder, const MediaItems& previous,
                                                 bool includeSubfolders) = 0;
    virtual QFuture<QList<MediaItem>> scanPhotos() = 0;
};

}  // namespace lumivex
