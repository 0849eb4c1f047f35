#include "catalog/folder_catalog.h"
#include "store/lumivex_store.h"
#include "store/media_listing.h"
#include "store/metadata_undo_validation.h"
#include "store/store_paths.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

namespace lumivex {

namespace {

constexpr double debounceSeconds = 0.6;

const QString listingFailure = QStringLiteral("파일 목록을 읽지 못했습니다.");

QSet<QUuid> recordIDs(const DeletedArchive& archive) {
    QSet<QUuid> ids;
    for (const DeletedRecord& record : archive.records) {
        ids.insert(record.item.id);
    }
    return ids;
}

}  // namespace

void LumivexStore::rescan(bool resetHistory) {
    if (source_ == LibrarySource::none || locked_) {
        return;
    }
    if (resetHistory) {
        resetMetadataHistory();
    }
    if (deleting_ || scanning_) {
        scanAgain_ = true;
        return;
    }
    assignScanning(true);
    const ScanContext context{generation_, source_};
    QFuture<QList<MediaItem>> future =
        source_ == LibrarySource::photos
            ? services_.listing->scanPhotos()
            : services_.listing->scanFolder(root_, library_.items.toList(),
                                            library_.includeSubfolders);
    if (scanWatcher_) {
        scanWatcher_->disconnect(this);
        scanWatcher_->deleteLater();
    }
    auto* watcher = new ScanWatcher(this);
    scanWatcher_ = watcher;
    connect(watcher, &ScanWatcher::finished, this,
            [this, context, watcher] { scanFinished(context, watcher); });
    watcher->setFuture(future);
}

// A cancelled scan never touches the store again: its watcher goes with it.
void LumivexStore::cancelScan() {
    if (mergeWatcher_) {
        mergeWatcher_->disconnect(this);
        mergeWatcher_->deleteLater();
        mergeWatcher_ = nullptr;
    }
    if (!scanWatcher_) {
        return;
    }
    scanWatcher_->disconnect(this);
    scanWatcher_->cancel();
    scanWatcher_->deleteLater();
    scanWatcher_ = nullptr;
}

void LumivexStore::scanFinished(const ScanContext& context, ScanWatcher* watcher) {
    QFuture<QList<MediaItem>> future = watcher->future();
    // A future that holds an error also reads as cancelled; only one without is a cancellation.
    std::optional<Error> failure;
    try {
        future.waitForFinished();
    } catch (const Error& error) {
        failure = error;
    }
    if ((!failure && future.isCanceled()) || generation_ != context.generation) {
        return;
    }
    // A commit that failed while the listing ran locked the store: loading the tree now would
    // finish its journals behind the user's back.
    if (locked_) {
        assignScanning(false);
        scanAgain_ = false;
        return;
    }
    try {
        if (failure) {
            throw *failure;
        }
        // Taken out of the future: the watcher stays until the next scan, and the listing of a
        // large tree must not stay with it.
        mergeScan(context, future.takeResult());
        return;  // the merge ends the scan
    } catch (const Error& error) {
        if (generation_ == context.generation) {
            setError(listingFailure + QLatin1Char('\n') + error.description());
        }
    }
    endScan(context);
}

// The tree is read back here, on the main thread like every catalog read; joining the listing
// with it takes a worker, so that the window stays responsive on a large library.
void LumivexStore::mergeScan(const ScanContext& context, QList<MediaItem> scanned) {
    if (metadataHistory_.canUndo() || metadataHistory_.canRedo()) {
        const QString stamp = MetadataUndoValidation::persistenceStamp(root_, source_);
        if (metadataHistoryStamp_ != stamp ||
            !MetadataUndoValidation::sameMedia(scanned, library_.items)) {
            resetMetadataHistory();
        }
    }
    const bool folder = context.source == LibrarySource::folder;
    LibraryState published{library_, deletedArchive_};
    LibraryState loaded = folder
                              ? FolderCatalog::load(root_, published, services_.clock->function())
                              : std::move(published);
    const Date now = services_.clock->now();
    auto* watcher = new MergeWatcher(this);
    mergeWatcher_ = watcher;
    connect(watcher, &MergeWatcher::finished, this,
            [this, context, version = stateVersion_, watcher] {
                mergeFinished(context, version, watcher);
            });
    watcher->setFuture(QtConcurrent::run(
        [state = std::move(loaded), scanned = std::move(scanned), folder, now]() mutable {
            if (folder) {
                state.reconcileFolder(scanned, now);
            } else {
                state.reconcile(scanned, now);
            }
            return std::move(state);
        }));
}

void LumivexStore::mergeFinished(const ScanContext& context, std::uint64_t stateVersion,
                                 MergeWatcher* watcher) {
    mergeWatcher_ = nullptr;
    watcher->deleteLater();
    if (generation_ != context.generation) {
        return;
    }
    if (locked_) {
        assignScanning(false);
        scanAgain_ = false;
        return;
    }
    if (stateVersion != stateVersion_) {
        // An edit was committed meanwhile: the merge, made from the state before it, would undo
        // it. A new scan merges into the edited state.
        scanAgain_ = true;
    } else {
        try {
            commitMerge(watcher->future().takeResult());
        } catch (const Error& error) {
            setError(listingFailure + QLatin1Char('\n') + error.description());
        }
    }
    endScan(context);
}

void LumivexStore::commitMerge(const LibraryState& merged) {
    if (recordIDs(merged.deleted) != recordIDs(deletedArchive_)) {
        resetMetadataHistory();
    }
    const bool filesExist = QFileInfo::exists(StorePaths::catalogFile(root_)) &&
                            QFileInfo::exists(StorePaths::deletedFile(root_));
    if (source_ == LibrarySource::folder || merged != LibraryState{library_, deletedArchive_} ||
        !filesExist) {
        commit(merged);
    }
    const QList<QUuid> visible = visibleAmong(selection_, std::nullopt);
    setSelection(QSet<QUuid>(visible.begin(), visible.end()));
}

void LumivexStore::endScan(const ScanContext& context) {
    if (generation_ != context.generation) {
        return;
    }
    assignScanning(false);
    if (scanAgain_) {
        scanAgain_ = false;
        rescan(false);
    }
}

// Bursts of changes closer together than the debounce give one rescan after the last of them.
void LumivexStore::fileSystemChanged() {
    debounce_ = services_.clock->after(debounceSeconds, [this] { rescan(false); });
}

}  // namespace lumivex
