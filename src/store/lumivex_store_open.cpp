#include "catalog/folder_catalog.h"
#include "catalog/library_disk.h"
#include "catalog/metadata_files.h"
#include "platform/atomic_file.h"
#include "platform/user_defaults.h"
#include "store/long_work.h"
#include "store/lumivex_store.h"
#include "store/store_paths.h"

#include <QFileInfo>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

namespace lumivex {

namespace {

const QString openFailure =
    QStringLiteral("라이브러리를 열지 못했습니다. 기존 분류 정보는 덮어쓰지 않습니다.");

// Whether every item lies in a folder that has its own catalog, so that writing the tree back
// cannot move an item's metadata into another folder's files. A folder's items lie together, so
// only the first of each run is looked up.
bool itemsInCatalogFolders(const Library& library) {
    const QSet<QString> folders(library.catalogDirectories.begin(),
                                library.catalogDirectories.end());
    QStringView checked;
    bool anyChecked = false;
    for (const MediaItem& item : library.items) {
        const qsizetype slash = item.filename.lastIndexOf(u'/');
        const QStringView folder =
            slash < 0 ? QStringView() : QStringView(item.filename).left(slash);
        if (anyChecked && folder == checked) {
            continue;
        }
        if (!folders.contains(folder.toString())) {
            return false;
        }
        checked = folder;
        anyChecked = true;
    }
    return true;
}

}  // namespace

void LumivexStore::openLibrary(const QString& folder, bool rememberSelection, bool recordRecent) {
    if (deleting_) {
        return;
    }
    storePendingEdits();
    // Before anything changes, so that the window shows the library it held while the new one
    // loads.
    const LongWork work(*services_.shell, LongWork::unmeasured);
    resetMetadataHistory();
    maintenance_.reset();
    assignDeletionRequest(std::nullopt);
    cancelScan();
    debounce_.reset();
    stopWatcher();
    generation_ = QUuid::createUuid();
    scanAgain_ = false;
    assignScanning(false);
    setSelection({});
    setQuery(MediaQuery());
    assignRoot(folder);
    assignSource(LibrarySource::folder);
    assignNeedsPhotosSetup(false);
    assignLocked(false);
    assignLastSaved(std::nullopt);
    pendingRecentFolder_ = false;
    unwritableFolders_.clear();
    try {
        if (!StorePaths::isDirectory(root_)) {
            throw StorePaths::noSuchFile(root_);
        }
        // Watching before the load lets what the load reads count as proved for the saves that
        // follow, as long as the watcher notices nothing of a folder.
        startWatcher();
        loadState();
    } catch (const Error& error) {
        stopWatcher();
        failOpen(error.description());
        return;
    }
    if (!usesTemporaryRoot_) {
        if (recordRecent) {
            pendingRecentFolder_ = true;
            if (QFileInfo::exists(StorePaths::catalogFile(root_))) {
                rememberCurrentFolder();
            }
        }
        if (rememberSelection) {
            services_.defaults->setText(QStringLiteral("Lumivex.libraryRoot"), root_);
            services_.defaults->setText(QStringLiteral("Lumivex.source"), rawValue(source_));
        }
    }
    rescan(true);
    startMaintenance();
}

void LumivexStore::storePendingEdits() {
    Q_EMIT pendingEditsDue();
}

// A failed open shows the default library with nothing of the previous one, the deleted records
// included, and stays locked so nothing overwrites the catalog that could not be read.
void LumivexStore::failOpen(const QString& description) {
    assignLibrary(Library());
    assignDeletedArchive(DeletedArchive());
    assignLocked(true);
    setError(openFailure + QStringLiteral("\n\n") + description + QStringLiteral("\n\n") +
             StorePaths::catalogFile(root_));
}

void LumivexStore::loadState() {
    const Date start = AtomicFile::fileClockNow();
    const LibraryState loaded =
        source_ == LibrarySource::folder
            ? FolderCatalog::load(root_, std::nullopt, services_.clock->function())
            : LibraryDisk::loadState(root_);
    LibraryState copy = loaded;
    copy.library.enforceFixedRating(loaded.library.ratingProperty());
    if (source_ == LibrarySource::folder) {
        copy.library.includeSubfolders = true;
    }
    copy.deleted = copy.deleted.aligned(copy.library.categories);
    if (source_ == LibrarySource::folder) {
        if (itemsInCatalogFolders(copy.library)) {
            saveTree(copy, CommitOrigin::upkeep);
        }
    } else if (copy != loaded) {
        LibraryDisk::saveState(copy, root_);
    }
    assignLibrary(copy.library);
    assignDeletedArchive(copy.deleted.aligned(library_.categories));
    // A folder may not be written again for a long time: what its writes left behind goes now,
    // on a worker, since the sweep looks into every folder of the tree. Only files last changed
    // before the open are taken, so the saves that follow keep theirs.
    if (source_ == LibrarySource::folder) {
        sweep_ = QtConcurrent::run([root = root_, folders = library_.catalogDirectories, start] {
            FolderCatalog::removeStaleTemporaries(root, folders, start);
        });
    } else {
        MetadataFiles::removeStaleTemporaries(root_, start);
    }
}

void LumivexStore::startWatcher() {
    if (!services_.watchers) {
        return;
    }
    QPointer<LumivexStore> self(this);
    watcher_ = services_.watchers(root_, [self] {
        if (self) {
            self->fileSystemChanged();
        }
    });
}

void LumivexStore::stopWatcher() {
    watcher_.reset();
}

}  // namespace lumivex
