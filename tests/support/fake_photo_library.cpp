#include "support/fake_photo_library.h"

#include "support/futures.h"

namespace lumivex::test {

QList<PhotoAsset> FakePhotoLibrary::fetchAssets(const QStringList& localIdentifiers) const {
    QList<PhotoAsset> found;
    for (const QString& identifier : localIdentifiers) {
        const auto asset = assets.find(identifier);
        if (asset != assets.end()) {
            found.append({identifier, asset->second});
        }
    }
    return found;
}

QFuture<PhotoChangeOutcome> FakePhotoLibrary::deleteAssets(const QList<PhotoAsset>& toDelete) {
    QStringList identifiers;
    for (const PhotoAsset& asset : toDelete) {
        identifiers.append(asset.localIdentifier);
    }
    deletions.append(identifiers);
    if (deletionOutcome.status == PhotoChangeOutcome::Status::succeeded) {
        for (const QString& identifier : identifiers) {
            assets.erase(identifier);
        }
    }
    return finishElsewhere(deletionOutcome);
}

}  // namespace lumivex::test
