#include "support/fake_photo_library.h"

#include "support/futures.h"

#include <QThreadPool>

namespace lumivex::test {

PhotoAsset& FakePhotoLibrary::addAsset(const QString& identifier, bool canDelete,
                                       PhotoMediaType type, double created,
                                       const QString& fileName) {
    removeAsset(identifier);
    PhotoAsset asset;
    asset.localIdentifier = identifier;
    asset.canDelete = canDelete;
    asset.mediaType = type;
    asset.creationDate = Date{created};
    const PhotoResourceType resource =
        type == PhotoMediaType::video ? PhotoResourceType::video : PhotoResourceType::photo;
    asset.resources = {
        {resource, fileName.isEmpty() ? identifier + QStringLiteral(".jpg") : fileName}};
    assets.append(asset);
    return assets.last();
}

void FakePhotoLibrary::removeAsset(const QString& identifier) {
    assets.removeIf([&](const PhotoAsset& asset) { return asset.localIdentifier == identifier; });
}

QFuture<PhotoAuthorizationStatus> FakePhotoLibrary::requestAuthorization() {
    ++authorizationRequests;
    if (status != PhotoAuthorizationStatus::notDetermined) {
        return finishElsewhere(status);
    }
    if (authorizationAnswer) {
        status = *authorizationAnswer;
        return finishElsewhere(status);
    }
    auto promise = std::make_shared<QPromise<PhotoAuthorizationStatus>>();
    promise->start();
    heldAnswers_.append(promise);
    return promise->future();
}

void FakePhotoLibrary::answerAuthorization(PhotoAuthorizationStatus answer) {
    status = answer;
    for (const auto& promise : std::exchange(heldAnswers_, {})) {
        QThreadPool::globalInstance()->start([promise, answer] {
            promise->addResult(answer);
            promise->finish();
        });
    }
}

QList<PhotoAsset> FakePhotoLibrary::fetchAssets(const QStringList& localIdentifiers) const {
    ++fetchCalls;
    QList<PhotoAsset> found;
    for (const QString& identifier : localIdentifiers) {
        for (const PhotoAsset& asset : assets) {
            if (asset.localIdentifier == identifier) {
                found.append(asset);
                break;
            }
        }
    }
    return found;
}

QList<PhotoAsset> FakePhotoLibrary::fetchAllAssets(const CancellationCheck&) const {
    ++fetchAllCalls;
    return assets;
}

QUrl FakePhotoLibrary::playerItemUrl(const PhotoAsset& asset) const {
    const auto file = playerFiles.find(asset.localIdentifier);
    return file == playerFiles.end() ? QUrl() : QUrl::fromLocalFile(file->second);
}

QFuture<PhotoChangeOutcome> FakePhotoLibrary::deleteAssets(const QList<PhotoAsset>& toDelete) {
    QStringList identifiers;
    for (const PhotoAsset& asset : toDelete) {
        identifiers.append(asset.localIdentifier);
    }
    deletions.append(identifiers);
    if (deletionOutcome.status == PhotoChangeOutcome::Status::succeeded) {
        for (const QString& identifier : identifiers) {
            removeAsset(identifier);
        }
    }
    return finishElsewhere(deletionOutcome);
}

PhotoLibrary::ObserverId FakePhotoLibrary::registerChangeObserver(ChangeHandler handler) {
    std::lock_guard lock(observersMutex_);
    const ObserverId id = nextObserver_++;
    observers_.emplace(id, std::move(handler));
    return id;
}

void FakePhotoLibrary::unregisterChangeObserver(ObserverId id) {
    std::lock_guard lock(observersMutex_);
    observers_.erase(id);
}

void FakePhotoLibrary::triggerChange() {
    std::lock_guard lock(observersMutex_);
    for (const auto& [id, handler] : observers_) {
        handler();
    }
}

int FakePhotoLibrary::observerCount() const {
    std::lock_guard lock(observersMutex_);
    return static_cast<int>(observers_.size());
}

}  // namespace lumivex::test
