#pragma once

#include "platform/error.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QStringList>

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

// One asset of the photo library as a fetch returns it.
struct PhotoAsset {
    QString localIdentifier;
    bool canDelete = false;

    bool operator==(const PhotoAsset&) const = default;
};

// How a requested change of the photo library ended.
struct PhotoChangeOutcome {
    enum class Status { succeeded, cancelled, failed };

    Status status = Status::failed;
    std::optional<Error> error;  // only for `failed`, and only when the library gave a reason
};

// The photo library a library of source "photos" is connected to. Called on the main thread;
// fetches answer synchronously, changes finish later on a thread of the implementation's choosing.
class PhotoLibrary {
public:
    virtual ~PhotoLibrary() = default;

    // The status for read-write access; never asks the user.
    virtual PhotoAuthorizationStatus authorizationStatus() const = 0;
    // The assets found for these identifiers; unknown identifiers give nothing.
    virtual QList<PhotoAsset> fetchAssets(const QStringList& localIdentifiers) const = 0;
    // Deletes all these assets in one change, or none of them. The future holds an outcome or is
    // cancelled, never an exception.
    virtual QFuture<PhotoChangeOutcome> deleteAssets(const QList<PhotoAsset>& assets) = 0;
};

}  // namespace lumivex
