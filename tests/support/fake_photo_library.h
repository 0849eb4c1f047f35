#pragma once

#include "platform/photo_library.h"

#include <QPromise>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace lumivex::test {

// A photo library held in memory: a settable status, an authorization answer given at once or
// held until the test gives it, assets in fetch order, a scripted outcome for deletions, and a
// change trigger. Answers and deletions finish on another thread like the real library's.
class FakePhotoLibrary final : public PhotoLibrary {
public:
    PhotoAuthorizationStatus status = PhotoAuthorizationStatus::authorized;
    QStringList folderPaths;
    // What a request made while the status is not determined answers; none holds the request
    // until answerAuthorization.
    std::optional<PhotoAuthorizationStatus> authorizationAnswer;
    int authorizationRequests = 0;
    QList<PhotoAsset> assets;                // in the order a full fetch gives them
    std::map<QString, QString> playerFiles;  // local identifier -> local file path
    PhotoChangeOutcome deletionOutcome{PhotoChangeOutcome::Status::succeeded, std::nullopt};
    QList<QStringList> deletions;                // the identifiers of every deletion asked for
    mutable std::atomic<int> fetchCalls = 0;     // fetchAssets
    mutable std::atomic<int> fetchAllCalls = 0;  // fetchAllAssets

    // An image asset (or another type) created at `created` seconds since 1970, with one
    // resource named after the identifier unless `fileName` says otherwise; it replaces an asset
    // with the same identifier.
    PhotoAsset& addAsset(const QString& identifier, bool canDelete = true,
                         PhotoMediaType type = PhotoMediaType::image, double created = 0,
                         const QString& fileName = {});
    void removeAsset(const QString& identifier);

    // Sets the status and finishes every held authorization request with it.
    void answerAuthorization(PhotoAuthorizationStatus answer);
    int heldAuthorizationRequests() const { return static_cast<int>(heldAnswers_.size()); }

    // One change notice to every registered handler, on the calling thread.
    void triggerChange();
    int observerCount() const;

    QStringList folders() const override { return folderPaths; }
    PhotoAuthorizationStatus authorizationStatus() const override { return status; }
    QFuture<PhotoAuthorizationStatus> requestAuthorization() override;
    QList<PhotoAsset> fetchAssets(const QStringList& localIdentifiers) const override;
    QList<PhotoAsset> fetchAllAssets(const CancellationCheck& isCancelled) const override;
    QUrl playerItemUrl(const PhotoAsset& asset) const override;
    QFuture<PhotoChangeOutcome> deleteAssets(const QList<PhotoAsset>& toDelete) override;
    ObserverId registerChangeObserver(ChangeHandler handler) override;
    void unregisterChangeObserver(ObserverId id) override;

private:
    QList<std::shared_ptr<QPromise<PhotoAuthorizationStatus>>> heldAnswers_;
    mutable std::mutex observersMutex_;
    std::map<ObserverId, ChangeHandler> observers_;
    ObserverId nextObserver_ = 1;
};

}  // namespace lumivex::test
