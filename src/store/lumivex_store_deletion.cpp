#include "catalog/deletion_result.h"
#include "catalog/folder_catalog.h"
#include "catalog/library_disk.h"
#include "catalog/media_deletion.h"
#include "store/long_work.h"
#include "store/lumivex_store.h"

namespace lumivex {

namespace {

const QString unreadableCatalog = QStringLiteral(
    "분류 기록을 읽을 수 없어 원본을 삭제하지 않았습니다. 폴더와 CSV를 확인해주세요.");
const QString saveAfterDeletionFailure = QStringLiteral(
    "원본 삭제는 완료했지만 분류 기록 저장에 실패했습니다. 기존 CSV는 보존했습니다. 폴더를 다시 "
    "열어 저장 상태를 확인해주세요.");
// Some folders hold the records of the deletion, the others wait behind the journal.
const QString partlySavedAfterDeletion =
    QStringLiteral("원본 삭제는 완료했지만 분류 기록은 일부만 저장했습니다.");

}  // namespace

void LumivexStore::requestDeletion(const std::optional<MediaItem>& item) {
    if (source_ == LibrarySource::none || locked_ || deleting_ || deletionRequest_) {
        return;
    }
    if (item && !selection_.contains(item->id)) {
        setSelection({item->id});
    }
    const MediaItems& items = selectedItems();
    if (items.isEmpty()) {
        return;
    }
    assignDeletionRequest(DeletionRequest::make(items.toList(), source_, root_, generation_));
}

void LumivexStore::confirmDeletion(const DeletionRequest& confirmed) {
    // Callers pass the pending request itself, which the next line clears.
    const DeletionRequest request = confirmed;
    assignDeletionRequest(std::nullopt);
    if (deleting_ || locked_ || request.generation != generation_ || request.source != source_ ||
        request.root != root_) {
        return;
    }
    resetMetadataHistory();
    assignDeleting(true);
    cancelScan();
    debounce_.reset();
    generation_ = QUuid::createUuid();
    assignScanning(false);
    scanAgain_ = false;
    runDeletion(request);
}

// No photo or video is touched before the catalog has been read back: the deleted items' metadata
// must have somewhere to go.
void LumivexStore::runDeletion(const DeletionRequest& request) {
    // The catalog read back, then the check of every file to delete.
    const LongWork work(*services_.shell, library_.items.size());
    try {
        validateRoot();
        if (source_ == LibrarySource::folder) {
            // Only a check: the store keeps the state it shows, so the files read are not taken
            // in as the ones its later saves write over.
            FolderCatalog::TreeReads reads;
            FolderCatalog::load(root_, std::nullopt, services_.clock->function(), reads);
        } else {
            LibraryDisk::loadState(root_);
        }
    } catch (const Error& error) {
        assignLocked(true);
        assignDeleting(false);
        setError(unreadableCatalog + QLatin1Char('\n') + error.description());
        return;
    }
    auto* watcher = new QFutureWatcher<DeletionResult>(this);
    connect(watcher, &QFutureWatcher<DeletionResult>::finished, this, [this, watcher, request] {
        const QFuture<DeletionResult> future = watcher->future();
        watcher->deleteLater();
        deletionFinished(request, future.isCanceled() ? DeletionResult{} : future.result());
    });
    watcher->setFuture(MediaDeletion::perform(request, *services_.trash, *services_.photos, this));
}

void LumivexStore::deletionFinished(const DeletionRequest& request, const DeletionResult& result) {
    const LibraryState current{library_, deletedArchive_};
    LibraryState updated = current;
    updated.remove(result.deletedIDs, services_.clock->now());
    const LongWork work(*services_.shell, LongWork::itemsSaved(current, updated, request.source));
    setSelection(QSet<QUuid>(selection_).subtract(result.deletedIDs));
    deletionOutcome_.reset();  // an earlier deletion's, never dismissed
    std::optional<Error> failure;
    FolderCatalog::WriteProgress progress;
    if (updated != current) {
        // A commit that failed while the files were moving locked the store: the catalog stays
        // as it is on disk until the folder is opened again.
        bool saved = false;
        if (!locked_) {
            try {
                if (request.source == LibrarySource::folder) {
                    saveTree(updated, CommitOrigin::upkeep, &progress);
                } else {
                    LibraryDisk::saveState(updated, root_);
                }
                saved = true;
            } catch (const Error& error) {
                failure = error;
            }
        }
        assignLibrary(updated.library);
        assignDeletedArchive(updated.deleted);
        if (saved) {
            assignLastSaved(services_.clock->now());
        }
        // A folder removed while the files moved needs only the rescan that follows below.
        if (failure && !FolderCatalog::isMovedFolderRefusal(*failure)) {
            assignLocked(true);
        }
        if (failure) {
            const SaveRemains remains = remainsOf(progress);
            setError((remains == SaveRemains::partlyWritten ? partlySavedAfterDeletion
                                                            : saveAfterDeletionFailure) +
                     QLatin1Char('\n') + failedSaveDetail(remains, progress, *failure));
        }
    }
    if (result.message) {
        setError(error_ ? *error_ + QStringLiteral("\n\n") + *result.message : *result.message);
    }
    if (failure || result.message) {
        // The person must still learn that the originals were moved when the rescan fails.
        deletionOutcome_ = error_;
    }
    assignDeleting(false);
    scanAgain_ = false;
    rescan(true);
}

}  // namespace lumivex
