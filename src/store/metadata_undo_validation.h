#pragma once

#include "model/library.h"
#include "model/library_source.h"
#include "platform/media_type.h"
#include "platform/photo_library.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace lumivex {

// Whether a recorded library state may still be replayed: the metadata files and the media must
// be exactly as the last save left them. Synchronous, on the main thread.
namespace MetadataUndoValidation {

// Errors of a metadata folder that cannot be fingerprinted: an entry that is not what it must be
// (a ".lumivex" that is no real folder, a catalog that is no regular file), or a save that has
// not finished.
inline const QString fileReadDomain = QStringLiteral("Lumivex.FileRead");
inline constexpr int fileReadFailedCode = 256;
inline constexpr int invalidFileNameCode = 258;

// A fingerprint (64 lower-case hexadecimal digits) of the metadata files and folder identities
// of the library at `root`: every folder of the tree for a folder library, `root` alone
// otherwise. Throws when the tree cannot be read or a save is unfinished. Catalog files whose
// statx signature stands since they were last hashed are not read again. It opens its own
// CatalogCache pass, so it is never called from within one.
QString persistenceStamp(const QString& root, LibrarySource source);
// The same fingerprint right after the store's own save of the library at `root`: a folder that
// the catalog cache knows by the very signatures the last fingerprint read there is taken as that
// fingerprint found it, so only what the save wrote is read again. What it takes unread describes
// the files as the catalog last found them, never a later change from outside, so such a change
// is not hidden: it makes the next persistenceStamp differ. Never a check for changes itself.
QString persistenceStampAfterSave(const QString& root, LibrarySource source);

// One photo-library asset as the media check compares it with an item.
struct PhotoAssetState {
    QString localIdentifier;
    MediaContent content = MediaContent::none;
    std::optional<Date> modificationDate;
    std::optional<Date> creationDate;
    double duration = 0;
};
// Every asset of the photo library, in fetch order.
using PhotoAssetListing = std::function<QList<PhotoAssetState>()>;

// Whether the items of `library` still describe the media one for one: the files of the tree at
// `root`, or the photo library's assets (listed only when access is granted). Throws when the
// tree cannot be read; any mismatch is false.
bool mediaStillCurrent(const Library& library, const QString& root, LibrarySource source,
                       const PhotoLibrary& photos, const PhotoAssetListing& listAssets);
bool folderMediaStillCurrent(const Library& library, const QString& root);
bool photoMediaStillCurrent(const Library& library, PhotoAuthorizationStatus status,
                            const PhotoAssetListing& listAssets);

// Whether a fresh scan and the library's items describe the same media one for one.
bool sameMedia(const QList<MediaItem>& scanned, const MediaItems& current);

}  // namespace MetadataUndoValidation
}  // namespace lumivex
