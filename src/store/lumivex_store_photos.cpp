#include "media/photos_catalog_location.h"
#include "media/photos_change_observer.h"
#include "platform/photo_library.h"
#include "platform/user_defaults.h"
#include "store/long_work.h"
#include "store/lumivex_store.h"

#include <QPointer>
#include <QtDebug>

namespace lumivex {

namespace {

bool isGranted(PhotoAuthorizationStatus status) {
    return status == PhotoAuthorizationStatus::authorized ||
           status == PhotoAuthorizationStatus::limited;
}

}  // namespace

void LumivexStore::connectPhotos() {
    if (connectingPhotos_ || deleting_) {
        return;
    }
    assignDeletionRequest(std::nullopt);
    assignConnectingPhotos(true);
    qInfo("Lumivex: requesting Photos connection");
    const QUuid token = generation_;
    if (services_.photos->authorizationStatus() != PhotoAuthorizationStatus::notDetermined) {
        finishPhotosConnection(token, services_.photos->authorizationStatus());
        return;
    }
    // The previous library stays fully open while the user answers.
    auto* answer = new QFutureWatcher<PhotoAuthorizationStatus>(this);
    connect(answer, &QFutureWatcher<PhotoAuthorizationStatus>::finished, this,
            [this, answer, token] {
                const QFuture<PhotoAuthorizationStatus> future = answer->future();
                answer->deleteLater();
                finishPhotosConnection(token, future.isCanceled()
                                                  ? PhotoAuthorizationStatus::notDetermined
                                                  : future.result());
            });
    answer->setFuture(services_.photos->requestAuthorization());
}

void LumivexStore::finishPhotosConnection(const QUuid& token, PhotoAuthorizationStatus status) {
    qInfo("Lumivex: Photos authorization status %ld", static_cast<long>(status));
    if (generation_ != token) {
        assignConnectingPhotos(false);
        return;
    }
    if (!isGranted(status)) {
        assignNeedsPhotosSetup(true);
        setShowPhotosSetup(true);
        assignConnectingPhotos(false);
        return;
    }
    connectGrantedPhotos();
}

void LumivexStore::connectGrantedPhotos() {
    storePendingEdits();
    const LongWork work(*services_.shell, LongWork::unmeasured);
    resetMetadataHistory();
    cancelScan();
    debounce_.reset();
    stopWatcher();
    maintenance_.reset();
    generation_ = QUuid::createUuid();
    assignScanning(false);
    scanAgain_ = false;
    assignRoot(services_.photosMetadataFolder);
    pendingRecentFolder_ = false;
    assignSource(LibrarySource::photos);
    setSelection({});
    setQuery(MediaQuery());
    assignNeedsPhotosSetup(false);
    setShowPhotosSetup(false);
    assignLocked(false);
    assignLastSaved(std::nullopt);
    try {
        assignRoot(PhotosCatalogLocation::prepare(services_.photosMetadataFolder,
                                                  services_.photosLegacyFolders));
        loadState();
    } catch (const Error& error) {
        assignLocked(true);
        setError(QStringLiteral("사진 보관함의 분류 CSV를 읽지 못했습니다.\n") +
                 error.description());
        assignConnectingPhotos(false);
        return;
    }
    if (!usesTemporaryRoot_) {
        services_.defaults->setText(QStringLiteral("Lumivex.source"), rawValue(source_));
        services_.defaults->setBool(QStringLiteral("Lumivex.photosSetupCompleted"), true);
    }
    if (!photosObserver_) {
        photosObserver_ = std::make_unique<PhotosChangeObserver>(*services_.photos);
        QPointer<LumivexStore> self(this);
        photosObserver_->onChange = [self] {
            if (self) {
                self->handlePhotosChange();
            }
        };
    }
    rescan(true);
    startMaintenance();
    assignConnectingPhotos(false);
}

void LumivexStore::handlePhotosChange() {
    if (source_ == LibrarySource::photos) {
        rescan(true);
    }
}

}  // namespace lumivex
