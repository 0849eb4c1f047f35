#include "catalog/folder_catalog.h"
#include "platform/parallel_work.h"
#include "store/lumivex_store.h"
#include "store/media_listing.h"
#include "store/metadata_undo_validation.h"
#include "store/store_paths.h"

#include <QFileInfo>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace lumivex {

namespace {

constexpr double debounceSeconds = 0.6;
constexpr double readRetrySeconds = 1.0;

const QString listingFailure = QStringLiteral("파일 목록을 읽지 못했습니다.");

QSet<QUuid> recordIDs(const DeletedArchive& archive) {
    QSet<QUuid> ids;
    for (const DeletedRecord& record : archive.records) {
        ids.insert(record.item.id);
    }
    return ids;
}

}  // namespace

// A scan joined with the tree read back, and, for a folder tree, what the read found and which
// folders' files already hold what a save of the joined state writes.
// Views the window reads are built beside a merge whose library they cannot follow to. A tree
// read back off the main thread comes with what the cache is to take in.
struct LumivexStore::MergedScan {
    LibraryState state;
    std::shared_ptr<FolderCatalog::TreeReads> reads;
    FolderCatalog::ReadMatch match;
    std::shared_ptr<ViewBuild> views;
    std::shared_ptr<FolderCatalog::DetachedLoad> detached;
    bool merged = true;  // false when the read found a tree journal waiting
    // The undo history was not compared with the files, since the watcher vouched for every
    // folder: should the read list other folders after all (`listedOthers`), the files differ
    // from the history's.
    bool historyUnchecked = false;
    bool listedOthers = false;
    // The undo history is to be compared with the media, and the listing describes other media.
    bool checksMedia = false;
    bool otherMedia = false;
};

void LumivexStore::rescan(bool resetHistory) {
    if (source_ == LibrarySource::none || locked_) {
        watcherAsked_ = false;
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
    const ScanContext context{generation_, source_, std::exchange(watcherAsked_, false)};
    QFuture<QList<MediaItem>> future =
        source_ == LibrarySource::photos
            ? services_.listing->scanPhotos()
            : services_.listing->scanFolder(root_, library_.items, library_.includeSubfolders);
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
        if (generation_ == context.generation && (failure || !retryRead(context))) {
            setError(listingFailure + QLatin1Char('\n') + error.description());
        }
    }
    endScan(context);
}

// The tree is read back on a worker, where the listing is then joined with it, so that the window
// stays responsive on a large library; the catalog's cache takes in what was read when the merge
// comes back. Only a tree journal left waiting is finished here, by a load on the main thread.
void LumivexStore::mergeScan(const ScanContext& context, QList<MediaItem> scanned) {
    const bool folder = context.source == LibrarySource::folder;
    MergedScan loaded{{library_, deletedArchive_}, nullptr, {}, nullptr, nullptr};
    if (folder) {
        loaded.reads = std::make_shared<FolderCatalog::TreeReads>();
        loaded.detached = FolderCatalog::beginDetachedLoad(root_, loaded.state);
    }
    if (metadataHistory_.canUndo() || metadataHistory_.canRedo()) {
        // Folders the watcher vouches for hold what the history was stamped over. The media are
        // compared on the worker.
        loaded.checksMedia = true;
        loaded.historyUnchecked = loaded.detached && FolderCatalog::mayStayUnread(*loaded.detached);
        if (!loaded.historyUnchecked &&
            metadataHistoryStamp_ != MetadataUndoValidation::persistenceStamp(root_, source_)) {
            resetMetadataHistory();
        }
    }
    if (folder && !loaded.detached) {
        loaded.state =
            FolderCatalog::load(root_, loaded.state, services_.clock->function(), *loaded.reads);
    }
    const Date now = services_.clock->now();
    auto* watcher = new MergeWatcher(this);
    mergeWatcher_ = watcher;
    connect(watcher, &MergeWatcher::finished, this,
            [this, context, version = stateVersion_, watcher] {
                mergeFinished(context, version, watcher);
            });
    watcher->setFuture(QtConcurrent::run([merged = std::move(loaded), scanned = std::move(scanned),
                                          published = LibraryState{library_, deletedArchive_},
                                          folder, now, sweep = sweep_, source = context.source,
                                          folderPath = query_.folderPath]() mutable {
        sweep.waitForFinished();
        merged.otherMedia = merged.checksMedia &&
                            !MetadataUndoValidation::sameMedia(scanned, published.library.items);
        if (!joinScan(merged, scanned, published, now, folder)) {
            merged.merged = false;
            return std::move(merged);
        }
        // The published state in place of an equal merge: the store then keeps sharing its items,
        // and the merge's copies are freed here instead of on the main thread.
        if (merged.state == published) {
            merged.state = std::move(published);
        } else if (!viewsCanFollow(published.library, merged.state.library)) {
            merged.views = buildViews(merged.state.library, source, folderPath);
        }
        if (folder && !merged.reads->unread) {
            merged.match = FolderCatalog::matchingReads(merged.state, *merged.reads);
        }
        return std::move(merged);
    }));
}

bool LumivexStore::joinScan(MergedScan& merged, const QList<MediaItem>& scanned,
                            const LibraryState& published, Date now, bool folder) {
    const auto joined = [&](LibraryState state) {
        if (folder) {
            state.reconcileFolder(scanned, now);
        } else {
            state.reconcile(scanned, now);
        }
        return state;
    };
    if (!merged.detached) {
        merged.state = joined(std::move(merged.state));
        return true;
    }
    const Clock clock = [now] { return now; };
    std::optional<LibraryState> read =
        FolderCatalog::readDetached(*merged.detached, merged.state, clock, *merged.reads);
    if (!read) {
        return false;
    }
    merged.listedOthers = FolderCatalog::mayStayUnread(*merged.detached) && !merged.reads->unread;
    merged.state = joined(std::move(*read));
    // Items the listing added, removed or moved leave the last save's memos behind: what a read
    // finds lets this worker, rather than the save on the main thread, tell which folders already
    // hold what that save writes.
    if (merged.reads->unread && merged.state != published) {
        FolderCatalog::readEveryFolder(*merged.detached);
        read = FolderCatalog::readDetached(*merged.detached, published, clock, *merged.reads);
        if (!read) {
            return false;
        }
        merged.state = joined(std::move(*read));
    }
    return true;
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
            commitMerge(watcher->future().takeResult(), context);
        } catch (const Error& error) {
            if (!retryRead(context)) {
                setError(listingFailure + QLatin1Char('\n') + error.description());
            }
        }
    }
    endScan(context);
}

void LumivexStore::commitMerge(MergedScan merged, const ScanContext& context) {
    if (merged.detached) {
        FolderCatalog::takeIn(*merged.detached);  // throws what the read met
    }
    if (!merged.merged) {
        scanAgain_ = true;  // a tree journal appeared: the next scan finishes it first
        return;
    }
    if (merged.otherMedia) {
        resetMetadataHistory();
    }
    if (merged.reads && merged.reads->unread) {
        // Nothing read: the memos of the last save still vouch for every folder.
        merged.reads.reset();
    } else if (merged.reads) {
        // A folder made, moved or removed since the history was stamped changes its fingerprint.
        if (merged.historyUnchecked && merged.listedOthers) {
            resetMetadataHistory();
        }
        // Proven off the main thread against the files the merge read, so that the save passes
        // every folder the merge left as it was.
        FolderCatalog::rememberLoad(merged.state, *merged.reads, merged.match);
        ParallelWork::elsewhere([&] { merged.reads.reset(); });
    }
    if (recordIDs(merged.state.deleted) != recordIDs(deletedArchive_)) {
        resetMetadataHistory();
    }
    const bool filesExist = QFileInfo::exists(StorePaths::catalogFile(root_)) &&
                            QFileInfo::exists(StorePaths::deletedFile(root_));
    LibraryState previous{library_, deletedArchive_};
    bool pruned = false;  // a commit's publication keeps only the visible selected items
    if (source_ == LibrarySource::folder || merged.state != previous || !filesExist) {
        mergeViews_ = std::move(merged.views);
        retryingMerge_ = context.retriesRead ? &context : nullptr;
        pruned = commit(std::move(merged.state), std::nullopt, std::nullopt, CommitOrigin::upkeep);
        retryingMerge_ = nullptr;
        // Views the commit did not take are freed by a worker.
        QThreadPool::globalInstance()->start([views = std::move(mergeViews_)] {});
    }
    // A replaced library of a hundred thousand items takes tens of milliseconds to free.
    QThreadPool::globalInstance()->start([previous = std::move(previous)] {});
    if (!pruned) {
        const QList<QUuid> visible = visibleAmong(selection_, std::nullopt);
        setSelection(QSet<QUuid>(visible.begin(), visible.end()));
    }
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
    debounce_ = services_.clock->after(debounceSeconds, [this] {
        watcherAsked_ = true;
        rescan(false);
    });
}

// The program that changed a catalog may still be writing it in place: the read is tried once
// more after a pause, and only a catalog still unreadable then is reported.
bool LumivexStore::retryRead(const ScanContext& context) {
    if (!context.retriesRead || generation_ != context.generation) {
        return false;
    }
    readRetry_ = services_.clock->after(readRetrySeconds, [this, generation = generation_] {
        if (generation == generation_) {
            rescan(false);
        }
    });
    return true;
}

}  // namespace lumivex
