#pragma once

#include "platform/photo_library.h"

#include <map>

namespace lumivex::test {

// A photo library held in memory: a settable status, assets with their deletability, and a
// scripted outcome for deletions, which finish on another thread like the real library's.
class FakePhotoLibrary final : public PhotoLibrary {
public:
    PhotoAuthorizationStatus status = PhotoAuthorizationStatus::authorized;
    std::map<QString, bool> assets;  // local identifier -> may be deleted
    PhotoChangeOutcome deletionOutcome{PhotoChangeOutcome::Status::succeeded, std::nullopt};
    QList<QStringList> deletions;  // the identifiers of every deletion asked for

    PhotoAuthorizationStatus authorizationStatus() const override { return status; }
    QList<PhotoAsset> fetchAssets(const QStringList& localIdentifiers) const override;
    QFuture<PhotoChangeOutcome> deleteAssets(const QList<PhotoAsset>& toDelete) override;
};

}  // namespace lumivex::test
