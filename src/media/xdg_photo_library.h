#pragma once

#include "media/photo_folder_listing.h"
#include "media/photo_image_manager.h"
#include "platform/photo_library.h"

#include <QObject>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QThreadPool;

namespace lumivex {

class FolderWatcher;
class PhotoConsentPrompt;
class PhotoFileFacts;
class Trash;
class UserDefaults;
enum class PhotoConsentAnswer;

// The photo library of a Linux desktop: the user's Pictures and Videos folders. Access is the
// user's answer to the in-app consent question, kept in the user defaults (allow all: both
// folders; pictures only: the Pictures folder; refuse: nothing); with no readable folder access
// is restricted. Deletion moves every file of a request to the Trash or none of them. Change
// notices come from inotify watchers of the visible folders. Lives on the main thread; listing,
// fetching and decoding are safe on any thread.
class XdgPhotoLibrary final : public QObject, public PhotoLibrary, public PhotoImageManager {
public:
    static inline const QString consentKey = QStringLiteral("Lumivex.photosAccess");

    // The user's Pictures ("pictures") and Videos ("videos") folders; a folder that is the home
    // folder itself is left out.
    static QList<PhotoRoot> standardRoots();

    // `defaults` and `trash` must outlive the library.
    XdgPhotoLibrary(UserDefaults& defaults, Trash& trash, QList<PhotoRoot> roots = standardRoots());
    ~XdgPhotoLibrary() override;

    // Where the consent question is asked; without one a request answers "not determined".
    void setConsentPrompt(PhotoConsentPrompt* prompt) { prompt_ = prompt; }
    // Keeps the user's answer, given through the prompt or the access settings.
    void recordConsent(PhotoConsentAnswer answer);

    QStringList folders() const override;
    PhotoAuthorizationStatus authorizationStatus() const override;
    QFuture<PhotoAuthorizationStatus> requestAuthorization() override;
    QList<PhotoAsset> fetchAssets(const QStringList& localIdentifiers) const override;
    QList<PhotoAsset> fetchAllAssets(const CancellationCheck& isCancelled) const override;
    QUrl playerItemUrl(const PhotoAsset& asset) const override;
    QFuture<PhotoChangeOutcome> deleteAssets(const QList<PhotoAsset>& assets) override;
    ObserverId registerChangeObserver(ChangeHandler handler) override;
    void unregisterChangeObserver(ObserverId id) override;

    PhotoImageRequestId requestImage(const PhotoAsset& asset, const PhotoImageRequest& request,
                                     ResultHandler onResult, ProgressHandler onProgress) override;
    void cancelImageRequest(PhotoImageRequestId id) override;

private:
    // The tags of the roots the user's answer lets through.
    QStringList shownTags() const;
    QList<PhotoRoot> shownRoots() const;
    std::optional<QString> resolve(const QString& identifier) const;
    void watchVisibleRoots();
    void notifyObservers();
    void forgetImageRequest(PhotoImageRequestId id);

    UserDefaults& defaults_;
    Trash& trash_;
    const QList<PhotoRoot> roots_;
    PhotoConsentPrompt* prompt_ = nullptr;
    // The stored answer, mirrored for the listing threads.
    std::atomic<PhotoAuthorizationStatus> consent_;
    std::optional<QFuture<PhotoAuthorizationStatus>> pendingAnswer_;
    std::unique_ptr<PhotoFileFacts> facts_;

    std::mutex observersMutex_;
    std::map<ObserverId, ChangeHandler> observers_;
    ObserverId nextObserver_ = 1;
    std::vector<std::unique_ptr<FolderWatcher>> watchers_;

    std::mutex imagesMutex_;
    std::map<PhotoImageRequestId, std::shared_ptr<std::atomic<bool>>> imageRequests_;
    PhotoImageRequestId nextImageRequest_ = 1;
    std::unique_ptr<QThreadPool> decoders_;
    // One thread for the requests that go first, so that they never wait behind the grid's.
    std::unique_ptr<QThreadPool> firstDecoder_;
};

}  // namespace lumivex
