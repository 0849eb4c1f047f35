#include "platform/photo_library.h"
#include "platform/user_defaults.h"
#include "store/lumivex_store.h"

#include <QDir>
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
    finishPhotosConnection(token, services_.photos->authorizationStatus());
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
        QDir().mkpath(services_.photosMetadataFolder);
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
