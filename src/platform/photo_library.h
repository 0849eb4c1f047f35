#pragma once

#include "platform/date.h"
#include "platform/error.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <optional>

namespace lumivex {

// The user's answer for read-write access to the photo library; the numbers are the stored form.
enum class PhotoAuthorizationStatus {
    notDetermined = 0,
    restricted = 1,
    denied = 2,
    authorized = 3,
    limited = 4,
};

// What an asset holds.
enum class PhotoMediaType { unknown, image, video, audio };

// The kind of one file behind an asset.
enum class PhotoResourceType { photo, video, audio, other };

// One file behind an asset, with the name it had when it came into the library.
struct PhotoAssetResource {
    PhotoResourceType type = PhotoResourceType::other;
    QString originalFilename;

    bool operator==(const PhotoAssetResource&) const = default;
};

// One asset of the photo library as a fetch returns it.
struct PhotoAsset {
    QString localIdentifier;
    bool canDelete = false;
    PhotoMediaType mediaType = PhotoMediaType::unknown;
    std::optional<Date> creationDate;
    std::optional<Date> modificationDate;
    double duration = 0;  // seconds; 0 for anything but a video
    QList<PhotoAssetResource> resources;

    bool operator==(const PhotoAsset&) const = default;
};

// How a requested change of the photo library ended.
struct PhotoChangeOutcome {
    enum class Status { succeeded, cancelled, failed };

    Status status = Status::failed;
    std::optional<Error> error;  // only for `failed`, and only when the library gave a reason
};

// The photo library a library of source "photos" is connected to. Called on the main thread
// unless a function says otherwise; fetches answer synchronously, changes and the authorization
// answer finish later on a thread of the implementation's choosing.
class PhotoLibrary {
public:
    using CancellationCheck = std::function<bool()>;
    using ChangeHandler = std::function<void()>;
    using ObserverId = std::uint64_t;

    virtual ~PhotoLibrary() = default;

    // The folders the library is made of, whether they exist or not, so that a screen can name
    // the ones it misses while access is restricted for want of them.
    virtual QStringList folders() const { return {}; }
    // The status for read-write access; never asks the user.
    virtual PhotoAuthorizationStatus authorizationStatus() const = 0;
    // Asks the user when the status is not determined, else answers the status as it stands. The
    // future holds the status after the answer; it is never cancelled and never throws.
    virtual QFuture<PhotoAuthorizationStatus> requestAuthorization() = 0;

    // The assets found for these identifiers; unknown identifiers give nothing.
    virtual QList<PhotoAsset> fetchAssets(const QStringList& localIdentifiers) const = 0;
    // Every asset of the library, of every media type, newest creation date first (assets
    // without one last). Safe on any thread. When `isCancelled` answers true the listing stops
    // and what it returns is incomplete; callers check again.
    virtual QList<PhotoAsset> fetchAllAssets(const CancellationCheck& isCancelled) const = 0;
    // A local file that plays the asset, or an empty URL.
    virtual QUrl playerItemUrl(const PhotoAsset& asset) const = 0;

    // Deletes all these assets in one change, or none of them. The future holds an outcome or is
    // cancelled, never an exception.
    virtual QFuture<PhotoChangeOutcome> deleteAssets(const QList<PhotoAsset>& assets) = 0;

    // `handler` is called once per change of the library, on a thread of the implementation's
    // choosing, until it is unregistered. Unregistering returns only when no call of the handler
    // runs, and none starts afterwards.
    virtual ObserverId registerChangeObserver(ChangeHandler handler) = 0;
    virtual void unregisterChangeObserver(ObserverId id) = 0;
};

}  // namespace lumivex
