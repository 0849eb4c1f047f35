#include "catalog/catalog_stamps.h"
#include "catalog/folder_catalog.h"
#include "catalog/library_disk.h"
#include "catalog/tree_journal.h"
#include "platform/file_status.h"
#include "store/long_work.h"
#include "store/lumivex_store.h"
#include "store/metadata_undo_validation.h"
#include "store/outside_merge.h"
#include "store/query_reconciliation.h"
#include "store/store_paths.h"

#include <QScopeGuard>

namespace lumivex {

namespace {

// Behind a journal the next open finishes; nothing of the save written yet.
const QString saveFailure = QStringLiteral(
    "분류 정보를 저장하지 못했습니다. 기존 기록은 보존했습니다. 폴더를 다시 열면 중단된 저장을 "
    "복구합니다.");
// Nothing was written, so nothing waits to be recovered.
const QString refusedSave =
    QStringLiteral("분류 정보를 저장하지 못했습니다. 기존 기록은 보존했습니다.");
const QString partlySavedEdit = QStringLiteral("편집의 일부만 저장했습니다.");

}  // namespace

// The one road from a changed state to the files and the published state: save at once (the views
// following the change beside it), read the tree back only when the folders' schemas changed,
// then publish, keep the query and selection pointing at what exists, record the undo step and
// stamp the files for later undo checks.
bool LumivexStore::commit(LibraryState state, const std::optional<MediaQuery>& query,
                          const std::optional<QString>& actionName, CommitOrigin origin) {
    if (source_ == LibrarySource::none || locked_) {
        return false;
    }
    const LongWork work(*services_.shell,
                        LongWork::itemsSaved({library_, deletedArchive_}, state, source_));
    ++stateVersion_;  // even a save of an equal state may write files a merge has read
    const LibraryState old{library_, deletedArchive_};
    LibraryState saved;
    bool leftChanged = false;
    // Taken by the publish, or dropped when nothing is published; waited for before the store
    // changes anything the worker reads.
    const auto dropFollow = qScopeGuard([this] { preparedFollow_.reset(); });
    preparedFollow_ = prepareFollow(state.library);
    const LibraryState edited = state;  // shares its lists: kept for a change met outside
    FolderCatalog::WriteProgress progress;
    try {
        validateRoot();
        saved = savedState(std::move(state), origin, leftChanged, progress);
    } catch (const Error& error) {
        preparedFollow_.reset();
        if (FolderCatalog::isChangedOutsideRefusal(error)) {
            return commitOverOutside(old, edited, query, actionName, origin, error);
        }
        // Some folders hold their part of the change, the others not: the message names both,
        // and the rescan shows what the files hold. No undo step survives a change from outside.
        if (FolderCatalog::isPartlySavedRefusal(error)) {
            resetMetadataHistory();
            if (origin == CommitOrigin::user) {
                setError(partlySavedEdit + QLatin1Char('\n') + error.description());
            }
            rescan(false);
            return false;
        }
        // Refused before anything was written: the store stays open. A folder that went away
        // since the last scan, before the watcher's rescan came: the rescan the message asks for
        // starts now, and the user repeats the edit on the new listing. A folder this user may
        // not write: the edit is refused, the other folders stay editable.
        if (FolderCatalog::isUnwritableFolderRefusal(error)) {
            setError(refusedSave + QLatin1Char('\n') + error.description());
            return false;
        }
        const bool moved = FolderCatalog::isMovedFolderRefusal(error);
        const SaveRemains remains = remainsOf(progress);
        // A merge's commit that failed before its journal was written may have met a catalog
        // another program is writing: its rescan is tried again before the store locks.
        if (!moved && retryingMerge_ && remains == SaveRemains::nothing &&
            retryRead(*retryingMerge_)) {
            return false;
        }
        if (!moved) {
            assignLocked(true);
        }
        const QString& first = remains == SaveRemains::nothing   ? refusedSave
                               : remains == SaveRemains::journal ? saveFailure
                                                                 : partlySavedEdit;
        setError(first + QLatin1Char('\n') + failedSaveDetail(remains, progress, error));
        if (moved) {
            rescan(false);
        }
        return false;
    }
    publishCommitted(old, saved, query, actionName);
    assignLastSaved(services_.clock->now());
    rememberCurrentFolder();
    if (leftChanged) {
        rescan(false);
    }
    return true;
}

// A folder changed from outside since the store read it: nothing was written. An edit of the
// user's that touches other fields or items than the change is taken onto the tree read again;
// any other is refused with a message, and the rescan reads the folder again at once. Either way
// no undo step survives: its stamp could hold the change.
bool LumivexStore::commitOverOutside(const LibraryState& old, const LibraryState& edited,
                                     const std::optional<MediaQuery>& query,
                                     const std::optional<QString>& actionName, CommitOrigin origin,
                                     const Error& error) {
    resetMetadataHistory();
    if (origin == CommitOrigin::user && !mergedEdit_) {
        // What is read is taken in only with the edit laid over it: a refused edit leaves the
        // store's copy as the one its files are compared with.
        FolderCatalog::TreeReads reads;
        std::optional<LibraryState> merged;
        try {
            merged = OutsideMerge::merged(
                old, edited, FolderCatalog::load(root_, old, services_.clock->function(), reads));
        } catch (const Error&) {
            merged.reset();  // refused below; the rescan reports what cannot be read
        }
        if (merged) {
            // The read's stamps stand only with the edit saved over it: should that save be
            // refused as well, the folders are compared again with what the store holds.
            std::vector<std::pair<QString, std::optional<CatalogStamps::Stamp>>> known;
            for (const auto& [key, folder] : reads.folders) {
                known.emplace_back(folder, CatalogStamps::known(folder));
            }
            FolderCatalog::rememberLoad(*merged, reads,
                                        FolderCatalog::matchingReads(*merged, reads));
            mergedEdit_.emplace(old, edited);
            const bool saved = commit(std::move(*merged), query, actionName, origin);
            mergedEdit_.reset();
            if (!saved) {
                for (const auto& [folder, stamp] : known) {
                    CatalogStamps::adopt(folder, stamp);
                }
            }
            return saved;
        }
    }
    if (origin == CommitOrigin::user) {
        setError(refusedSave + QLatin1Char('\n') + error.description());
    }
    rescan(false);
    return false;
}

void LumivexStore::validateRoot() const {
    if (source_ == LibrarySource::folder && !StorePaths::isDirectory(root_)) {
        throw StorePaths::noSuchFile(root_);
    }
}

LibraryState LumivexStore::savedState(LibraryState state, CommitOrigin origin, bool& leftChanged,
                                      FolderCatalog::WriteProgress& progress) {
    if (source_ != LibrarySource::folder) {
        LibraryDisk::saveState(state, root_);
        return state;
    }
    leftChanged = saveTree(state, origin, &progress);
    if (state.library.folderSchemas == library_.folderSchemas) {
        return state;
    }
    return FolderCatalog::load(root_, state, services_.clock->function());
}

// One folder this user may not write must not put the whole tree out of service. Upkeep leaves
// its files as they are (its items are still shown, from the listing); a change the user makes
// there is refused whole, so that no edit is saved in part and no undo step holds a change its
// files lack. The folders an edit changes are told from the edit alone: an edit taken onto
// changes from outside differs from the store's copy in their folders too, and those are left to
// the rescan, never refusing the edit when they change once more.
bool LumivexStore::saveTree(const LibraryState& state, CommitOrigin origin,
                            FolderCatalog::WriteProgress* progress) {
    const LibraryState before =
        mergedEdit_ ? mergedEdit_->first : LibraryState{library_, deletedArchive_};
    const LibraryState& after = mergedEdit_ ? mergedEdit_->second : state;
    const auto touches = [&](const QString& key) {
        return origin == CommitOrigin::user && FolderCatalog::changesFolder(before, after, key);
    };
    // Tried again when touched: its permissions may have been mended since.
    unwritableFolders_.removeIf(touches);
    QStringList changedOutside;
    FolderCatalog::save(
        state, root_, &unwritableFolders_, [&](const QString& key) { return !touches(key); },
        &changedOutside, progress);
    return !changedOutside.isEmpty();
}

// Told from the files: a save that failed before it wrote its journal, or that dropped it, left
// the files as they were, and nothing waits for an open to recover.
LumivexStore::SaveRemains LumivexStore::remainsOf(
    const FolderCatalog::WriteProgress& progress) const {
    const QString journal = source_ == LibrarySource::folder ? TreeJournal::path(root_)
                                                             : LibraryDisk::pendingWritePath(root_);
    std::optional<FileStatus> status;
    try {
        status = FileStatus::readIfExists(journal);
    } catch (const Error&) {
        return SaveRemains::nothing;  // what cannot be looked at promises nothing
    }
    if (!status) {
        return SaveRemains::nothing;
    }
    return progress.written.isEmpty() ? SaveRemains::journal : SaveRemains::partlyWritten;
}

// What the journal left waits for, when one was, then the cause.
QString LumivexStore::failedSaveDetail(SaveRemains remains,
                                       const FolderCatalog::WriteProgress& progress,
                                       const Error& error) const {
    const QString unfinished = remains == SaveRemains::nothing
                                   ? QString()
                                   : FolderCatalog::unfinishedSave(progress, root_);
    return unfinished.isEmpty() ? error.description()
                                : unfinished + QLatin1Char('\n') + error.description();
}

void LumivexStore::publishCommitted(const LibraryState& old, const LibraryState& saved,
                                    const std::optional<MediaQuery>& query,
                                    const std::optional<QString>& actionName) {
    if (library_ != saved.library) {
        assignLibrary(saved.library);
    }
    preparedFollow_.reset();  // not taken: nothing to follow
    if (deletedArchive_ != saved.deleted) {
        assignDeletedArchive(saved.deleted);
    }
    setQuery(QueryReconciliation::reconciled(query.value_or(query_), old.library, saved.library,
                                             source_));
    if (!selection_.isEmpty() || anchor_) {
        pruneSelection();
    }
    visibleSelection_.reset();
    if (actionName && old != saved) {
        metadataHistory_.record(*actionName, old, saved);
        Q_EMIT metadataHistoryChanged();
    }
    stampHistory();
}

// The selection keeps only visible items, and an anchor that is no longer visible moves to the
// first visible selected item. Visibility is a property of each item, so the query runs over the
// selected items alone instead of over the whole library; after an edit that moved no item in a
// kept visible order, the visible ones were found beside the save.
void LumivexStore::pruneSelection() {
    std::optional<VisibleSelection> known = std::exchange(visibleSelection_, std::nullopt);
    const bool holds = known && visiblePositionsCache_ && known->query == query_ &&
                       known->selection == selection_ && known->anchor == anchor_;
    const QList<QUuid> visible =
        holds ? std::move(known->visible) : visibleAmong(selection_, anchor_);
    // The visible identifiers are distinct, and only the anchor may stand among them unselected:
    // the selection loses an item exactly when fewer of them are selected than it holds.
    const bool anchorAlone =
        anchor_ && !selection_.contains(*anchor_) && visible.contains(*anchor_);
    if (visible.size() - (anchorAlone ? 1 : 0) != selection_.size()) {
        QSet<QUuid> pruned;
        for (const QUuid& id : visible) {
            if (selection_.contains(id)) {
                pruned.insert(id);
            }
        }
        setSelection(pruned);
    }
    if (anchor_ && !visible.contains(*anchor_)) {
        anchor_.reset();
        for (const QUuid& id : visible) {
            if (selection_.contains(id)) {
                anchor_ = id;
                break;
            }
        }
    }
}

// The stamp is taken only while no outside change was met since the last one: a change a merge
// took in would otherwise be in the stamp, and undo would replay over it.
void LumivexStore::stampHistory() {
    const std::uint64_t seen = std::exchange(outsideChangesSeen_, CatalogStamps::outsideChanges());
    if (!metadataHistory_.canUndo() && !metadataHistory_.canRedo()) {
        return;
    }
    if (seen != outsideChangesSeen_) {
        resetMetadataHistory();
        return;
    }
    try {
        metadataHistoryStamp_ = MetadataUndoValidation::persistenceStampAfterSave(root_, source_);
    } catch (const Error&) {
        resetMetadataHistory();
    }
}

}  // namespace lumivex
