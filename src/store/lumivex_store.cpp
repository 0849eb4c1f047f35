#include "store/lumivex_store.h"

#include "catalog/catalog_stamps.h"
#include "catalog/folder_watcher.h"
#include "catalog/library_state.h"
#include "media/photos_catalog_location.h"
#include "media/photos_change_observer.h"
#include "media/photos_thumbnail_cache.h"
#include "platform/text_order.h"
#include "platform/user_defaults.h"
#include "store/scanner_listing.h"
#include "store/store_paths.h"
#include "store/system_clock.h"

#include <QDir>
#include <QStandardPaths>
#include <QThreadPool>

#include <utility>

namespace lumivex {

namespace {

LumivexStore::Services withDefaults(LumivexStore::Services services,
                                    std::unique_ptr<StoreClock>& clock,
                                    std::unique_ptr<MediaListing>& listing) {
    if (services.clock == nullptr) {
        clock = std::make_unique<SystemClock>();
        services.clock = clock.get();
    }
    if (services.listing == nullptr) {
        listing = std::make_unique<ScannerListing>(services.clock->function(), *services.photos,
                                                   PhotosThumbnailCache::shared().assets());
        services.listing = listing.get();
    }
    if (!services.watchers) {
        services.watchers = [](const QString& folder, std::function<void()> onChange) {
            return std::shared_ptr<void>(FolderWatcher::create(folder, std::move(onChange)));
        };
    }
    if (services.homeFolder.isEmpty()) {
        services.homeFolder = QDir::homePath();
    }
    if (services.photosMetadataFolder.isEmpty()) {
        services.photosMetadataFolder = PhotosCatalogLocation::defaultDestination();
    }
    if (services.photosFolder.isEmpty()) {
        services.photosFolder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    }
    return services;
}

}  // namespace

LumivexStore::LumivexStore(Services services, QObject* parent)
    : QObject(parent),
      services_(withDefaults(std::move(services), ownedClock_, ownedListing_)),
      root_(services_.homeFolder),
      generation_(QUuid::createUuid()) {
    restore();
}

LumivexStore::~LumivexStore() {
    cancelScan();
}

void LumivexStore::assignLibrary(const Library& library) {
    Library previous = std::exchange(library_, library);
    ++stateVersion_;
    libraryAssigned(previous);
    // A replaced library of a hundred thousand items takes tens of milliseconds to free.
    QThreadPool::globalInstance()->start([previous = std::move(previous)] {});
    Q_EMIT libraryChanged();
}

void LumivexStore::assignRoot(const QString& root) {
    root_ = root;
    Q_EMIT rootChanged();
}

void LumivexStore::assignSource(LibrarySource source) {
    source_ = source;
    invalidateBrowseCache();
    Q_EMIT sourceChanged();
}

void LumivexStore::assignConnectingPhotos(bool value) {
    connectingPhotos_ = value;
    Q_EMIT connectingPhotosChanged();
}

void LumivexStore::assignNeedsPhotosSetup(bool value) {
    needsPhotosSetup_ = value;
    Q_EMIT needsPhotosSetupChanged();
}

void LumivexStore::assignScanning(bool value) {
    scanning_ = value;
    Q_EMIT scanningChanged();
}

void LumivexStore::assignLastSaved(const std::optional<Date>& value) {
    lastSaved_ = value;
    Q_EMIT lastSavedChanged();
}

void LumivexStore::assignLocked(bool value) {
    locked_ = value;
    Q_EMIT lockedChanged();
}

void LumivexStore::assignDeletionRequest(const std::optional<DeletionRequest>& request) {
    deletionRequest_ = request;
    Q_EMIT deletionRequestChanged();
}

void LumivexStore::assignDeleting(bool value) {
    deleting_ = value;
    Q_EMIT deletingChanged();
}

void LumivexStore::assignDeletedArchive(const DeletedArchive& archive) {
    deletedArchive_ = archive;
    ++stateVersion_;
    Q_EMIT deletedArchiveChanged();
}

void LumivexStore::setQuery(const MediaQuery& query) {
    const std::optional<QString> oldFolder = query_.folderPath;
    // The visible views depend on the query's value alone: an equal query (every commit assigns
    // the reconciled one) keeps them.
    if (!(query == query_)) {
        visibleCache_.reset();
        visiblePositionsCache_.reset();
        visibleRanksCache_.reset();
        visibleOrderCache_.reset();
    }
    query_ = query;
    if (oldFolder != query_.folderPath) {
        folderScopeCache_.reset();
        editorScopeCache_.reset();
        editorPropertiesCache_.reset();
        editableCache_.reset();
        ++scopeGeneration_;
    }
    Q_EMIT queryChanged();
}

void LumivexStore::setSelection(const QSet<QUuid>& selection) {
    selection_ = selection;
    selectedCache_.reset();
    selectedFoldersCache_.reset();
    editorScopeCache_.reset();
    editorPropertiesCache_.reset();
    Q_EMIT selectionChanged();
}

void LumivexStore::setShowPhotosSetup(bool show) {
    showPhotosSetup_ = show;
    Q_EMIT showPhotosSetupChanged();
}

void LumivexStore::setError(const std::optional<QString>& error) {
    if (!error) {
        deletionOutcome_.reset();
    }
    error_ =
        error && deletionOutcome_ ? *deletionOutcome_ + QStringLiteral("\n\n") + *error : error;
    Q_EMIT errorChanged();
}

void LumivexStore::cancelDeletionRequest() {
    assignDeletionRequest(std::nullopt);
}

void LumivexStore::resetMetadataHistory() {
    metadataHistory_.clear();
    metadataHistoryStamp_.reset();
    outsideChangesSeen_ = CatalogStamps::outsideChanges();
    Q_EMIT metadataHistoryChanged();
}

// Recent folders.

void LumivexStore::rememberCurrentFolder() {
    if (!pendingRecentFolder_ || source_ != LibrarySource::folder || usesTemporaryRoot_) {
        return;
    }
    recentFolders_.record(StorePaths::standardized(root_));
    services_.defaults->setTextList(RecentFolderHistory::defaultsKey, recentFolders_.paths);
    Q_EMIT recentFoldersChanged();
    pendingRecentFolder_ = false;
}

void LumivexStore::removeRecentFolder(const QString& folder) {
    const QString path = StorePaths::standardized(folder);
    recentFolders_.paths.removeIf(
        [&](const QString& entry) { return TextOrder::canonicallyEqual(entry, path); });
    Q_EMIT recentFoldersChanged();
    // The temporary library must never replace the user's own list, even with an empty one.
    if (!usesTemporaryRoot_) {
        services_.defaults->setTextList(RecentFolderHistory::defaultsKey, recentFolders_.paths);
    }
    if (source_ == LibrarySource::folder &&
        TextOrder::canonicallyEqual(StorePaths::standardized(root_), path)) {
        pendingRecentFolder_ = false;
    }
}

}  // namespace lumivex
