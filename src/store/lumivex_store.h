#pragma once

#include "catalog/deleted_archive.h"
#include "catalog/deletion_request.h"
#include "catalog/library_state.h"
#include "model/library.h"
#include "model/library_browse_snapshot.h"
#include "model/library_source.h"
#include "model/media_query.h"
#include "model/recent_folder_history.h"
#include "platform/photo_library.h"
#include "store/folder_members.h"
#include "store/grid_navigation.h"
#include "store/metadata_undo_history.h"
#include "store/metadata_undo_validation.h"
#include "store/store_clock.h"

#include <QFutureWatcher>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace lumivex {

class Error;
class MediaListing;
class PhotoLibrary;
class PhotosChangeObserver;
class ShellServices;
class Trash;
class UserDefaults;
struct DeletionResult;
struct LibraryState;
namespace FolderCatalog {
struct WriteProgress;
}

// The application's one state object: the open library and everything the windows show about
// it. It opens a folder tree or connects the photo library, scans and merges, saves every edit at
// once with one undo step, checks undo against the files, deletes after confirmation, purges old
// deleted records and remembers the last library. Views read its properties (one change signal
// each) and call its operations; they never touch catalog files or the scanner.
//
// Main thread only. Scans and deletions run elsewhere and come back by queued signals, dropped
// when the library they were started for is no longer open (the generation token).
class LumivexStore : public QObject {
    Q_OBJECT

public:
    // Starts watching a folder tree, calling onChange on the main thread for each batch of
    // changes; the handle stops it when destroyed. Nothing when the folder cannot be watched.
    using WatcherFactory =
        std::function<std::shared_ptr<void>(const QString& folder, std::function<void()> onChange)>;

    // What the store works with; every object must outlive the store. Without a clock, listing
    // or watcher factory the store uses the system's, and the folder watcher.
    struct Services {
        QStringList arguments;
        UserDefaults* defaults = nullptr;
        PhotoLibrary* photos = nullptr;
        Trash* trash = nullptr;
        ShellServices* shell = nullptr;
        StoreClock* clock = nullptr;
        MediaListing* listing = nullptr;
        WatcherFactory watchers;
        QString homeFolder;                              // the root before any library is open
        QString photosMetadataFolder;                    // where the photo library's catalog lives
        std::optional<QStringList> photosLegacyFolders;  // where older versions kept it
        QString photosFolder;                            // what "사진 폴더" opens
    };

    // Gives every field its initial value and restores the last library.
    explicit LumivexStore(Services services, QObject* parent = nullptr);
    ~LumivexStore() override;

    // The store's time, which the views that count time (the deleted records' days) share.
    StoreClock& clock() const { return *services_.clock; }

    // Published state.
    const Library& library() const { return library_; }
    const QString& root() const { return root_; }
    LibrarySource source() const { return source_; }
    const RecentFolderHistory& recentFolders() const { return recentFolders_; }
    bool connectingPhotos() const { return connectingPhotos_; }
    bool showPhotosSetup() const { return showPhotosSetup_; }
    bool needsPhotosSetup() const { return needsPhotosSetup_; }
    const MediaQuery& query() const { return query_; }
    const QSet<QUuid>& selection() const { return selection_; }
    bool scanning() const { return scanning_; }
    const std::optional<Date>& lastSaved() const { return lastSaved_; }
    const std::optional<QString>& error() const { return error_; }
    bool locked() const { return locked_; }
    const std::optional<DeletionRequest>& deletionRequest() const { return deletionRequest_; }
    bool deleting() const { return deleting_; }
    const DeletedArchive& deletedArchive() const { return deletedArchive_; }
    const MetadataUndoHistory& metadataHistory() const { return metadataHistory_; }
    bool usesTemporaryRoot() const { return usesTemporaryRoot_; }

    // What views assign directly.
    void setQuery(const MediaQuery& query);
    void setSelection(const QSet<QUuid>& selection);
    void setShowPhotosSetup(bool show);
    void setError(const std::optional<QString>& error);
    void cancelDeletionRequest();

    // Recent folders.
    void removeRecentFolder(const QString& folder);

    // Asks whoever holds an edit not yet stored (a note being written) to store it now, into the
    // library that is open: before another library takes its place and before the application
    // ends.
    void storePendingEdits();

    // Opening and connecting.
    void openLibrary(const QString& folder, bool rememberSelection, bool recordRecent);
    void connectPhotos();

    // Scans and maintenance.
    void rescan(bool resetMetadataHistory);
    void cleanupArchivedMetadata();

    // Commands.
    void chooseLibrary();
    void choosePhotosSource();
    void showFiles();
    void exportCSV();
    void reveal(const MediaItem& item);
    void showMetadataFolder();
    // Opens a folder of the library (relative to the root, "" for the root) in the file manager.
    void showFolder(const QString& folder);
    // Opens the photo library's folder in the file manager.
    void showPhotosFolder();

    // Derived views, computed on first read and kept until an input is assigned. An edit that
    // changes items in place brings the browse snapshot and the folder scope up to date instead
    // of dropping them; a library just opened has them built off the main thread, and a read
    // before they are ready waits for them.
    // Pending until derivedViewsReady() has been emitted.
    bool derivedViewsPending() const { return viewBuild_ != nullptr || readyNotice_ || buildDue_; }
    const LibraryBrowseSnapshot& browseSnapshot();
    // Where the visible items stand in the browse snapshot's items, in display order: the
    // visible items without copying them.
    const QList<qsizetype>& visiblePositions();
    const QList<MediaItem>& visibleItems();
    const QList<QUuid>& visibleOrder();
    const MediaItems& selectedItems();
    qsizetype videoCount(VideoDurationPreset preset);
    bool canReplayMetadata() const;
    QString undoMetadataTitle() const;
    QString redoMetadataTitle() const;

    // Folder and editor scope.
    struct FolderScope {
        Library library;
        LibraryBrowseSnapshot snapshot;
    };
    const FolderScope& folderScope();
    const Library& editorScope();
    // The editor scope's properties: what the inspector offers for the selection. Kept across
    // an edit that changes no item's set of properties with values (or with several values).
    const QList<Category>& editorProperties();
    QStringList propertyOptions(const Category& category);
    // The same options, those the selection's folders declare in the order those folders keep
    // them: the order the option list shows and a move starts from, since a move writes only
    // to those folders.
    QStringList editorOptions(const Category& category);
    QSet<PropertyKind> propertySelectionKinds(const Category& category);
    QList<Category> editableProperties();
    std::optional<QSet<QString>> optionFolders();
    std::optional<std::int64_t> selectedRating();
    void selectFolderFilter(const std::optional<QString>& path);

    // Query.
    void selectMediaKind(const std::optional<MediaKind>& kind);
    void selectVideoDuration(const VideoDurationRange& range);

    // Selection and rating keys.
    void selectAllVisible();
    void select(const QUuid& id, Qt::KeyboardModifiers modifiers);
    std::optional<QUuid> moveSingleSelection(GridNavigationDirection direction, int columns);
    bool setSingleSelectionRating(int rating);
    void setRating(int rating);

    // Undo and redo.
    void undoMetadata();
    void redoMetadata();

    // Deletion.
    void requestDeletion(const std::optional<MediaItem>& item);
    void confirmDeletion(const DeletionRequest& request);

    // Item edits.
    bool setRating(int rating, const QUuid& itemID);
    void addLabel(const QString& value, const Category& category);
    void removeLabel(const QString& value, const Category& category);
    void clearLabels(const Category& category);
    void setNotes(const QString& notes, const QUuid& itemID);

    // Property edits.
    bool addCategory(const QString& name, PropertyKind kind);
    // What a rename did, so that the sheet that asked decides from it rather than from an error
    // text published earlier.
    enum class RenameOutcome { renamed, unchanged, duplicate, failed };
    RenameOutcome renameCategory(const Category& category, const QString& name);
    void removeCategory(const Category& category);
    void moveCategory(const Category& category, int offset);

    // Option edits.
    // Puts `option` before `target`, or last without one.
    void moveOption(const QString& option, const std::optional<QString>& target,
                    const Category& category);
    void renameOption(const QString& option, const QString& name, const Category& category);
    void deleteOption(const QString& option, const Category& category);

Q_SIGNALS:
    void libraryChanged();
    void rootChanged();
    void sourceChanged();
    void recentFoldersChanged();
    void connectingPhotosChanged();
    void showPhotosSetupChanged();
    void needsPhotosSetupChanged();
    void queryChanged();
    void selectionChanged();
    void scanningChanged();
    void lastSavedChanged();
    void errorChanged();
    void lockedChanged();
    void deletionRequestChanged();
    void deletingChanged();
    void deletedArchiveChanged();
    void metadataHistoryChanged();
    // The views built off the main thread are in place (posted, never during a read).
    void derivedViewsReady();
    // From storePendingEdits(): a receiver stores its pending edit before it returns.
    void pendingEditsDue();

private:
    // What a running scan was started for.
    struct ScanContext {
        QUuid generation;
        LibrarySource source = LibrarySource::none;
        // Asked for by the watcher: a catalog that fails to read may be half written by another
        // program, and is read once more after a pause before the failure counts.
        bool retriesRead = false;
    };
    using ScanWatcher = QFutureWatcher<QList<MediaItem>>;
    struct MergedScan;
    using MergeWatcher = QFutureWatcher<MergedScan>;

    // Setters of the published fields; each emits its signal.
    void assignLibrary(const Library& library);
    void assignRoot(const QString& root);
    void assignSource(LibrarySource source);
    void assignConnectingPhotos(bool value);
    void assignNeedsPhotosSetup(bool value);
    void assignScanning(bool value);
    void assignLastSaved(const std::optional<Date>& value);
    void assignLocked(bool value);
    void assignDeletionRequest(const std::optional<DeletionRequest>& request);
    void assignDeleting(bool value);
    void assignDeletedArchive(const DeletedArchive& archive);
    // Caches and their road after an assignment of the library or the source.
    struct ViewBuild;
    using ViewBuildWatcher = QFutureWatcher<std::shared_ptr<ViewBuild>>;
    void libraryAssigned(const Library& previous);
    void invalidateBrowseCache();
    // The browse snapshot, the folder scope and the editable properties taken from one library
    // to the next, which differs from it by items changed in place.
    struct FollowedViews;
    static void followViews(FollowedViews& views, LibrarySource source, const MediaQuery& query);
    // A commit follows the views on a worker while its save runs; what the save refuses is
    // dropped unused.
    struct PreparedFollow;
    std::shared_ptr<PreparedFollow> prepareFollow(const Library& next);
    static void prepareSelectionViews(PreparedFollow& prepared,
                                      const std::optional<FolderMembers>& members);
    // Which of the selection and anchor stay visible, found from the visible order the store
    // holds, which an edit that moves no item in the query keeps.
    void prepareVisibleSelection(PreparedFollow& prepared) const;
    std::shared_ptr<PreparedFollow> takePreparedFollow(const Library& previous);
    void installSelectionViews(PreparedFollow& prepared);
    // The folder scope's snapshot takes the browse snapshot's positions when both show the same
    // items (the whole library, subfolders included).
    void sharePositions();
    // How the changed items' use of the properties changed, which decides what a display
    // library shows.
    struct ShapeChange;
    static bool followFolderScope(FollowedViews& views, LibrarySource source,
                                  const std::vector<LibraryBrowseSnapshot::ItemChange>& changes,
                                  const ShapeChange& shape, const QSet<QString>& grownOptions);
    bool topLevelOnly() const;
    // Whether the views of `previous` can follow to `next` instead of being built again.
    static bool viewsCanFollow(const Library& previous, const Library& next);
    static std::shared_ptr<ViewBuild> buildViews(const Library& library, LibrarySource source,
                                                 const std::optional<QString>& folderPath);
    bool installMergeViews();
    void startViewBuild();
    void startDueViewBuild();
    void postReadyNotice();
    void awaitViewBuild();
    void installViewBuild();
    static FolderScope makeFolderScope(const Library& library, LibrarySource source,
                                       const std::optional<QString>& folderPath);
    static QList<Category> makeEditableProperties(const Library& library, LibrarySource source,
                                                  const std::optional<QString>& folderPath);
    // The folders of the selected items, each spelling once, and the display library of those
    // folders made from their own items.
    const QStringList& selectedFolders();
    Library selectionScope();
    // The same made from given inputs, so that a worker can make them too.
    static MediaItems selectedItemsOf(const LibraryBrowseSnapshot& snapshot,
                                      const QSet<QUuid>& selection);
    static QStringList foldersOf(const MediaItems& items);
    static Library selectionScopeOf(const Library& library, const QStringList& folders,
                                    const LibraryBrowseSnapshot& snapshot,
                                    const FolderMembers& members);
    // The identifiers among `ids` (and `extra`) that the query shows, in its order.
    QList<QUuid> visibleAmong(const QSet<QUuid>& ids, const std::optional<QUuid>& extra);
    const std::vector<std::int32_t>& visibleRanks();
    // Parts of those made from given inputs, so that a worker can make them too: per snapshot
    // position its place in the visible positions or -1; the identifiers placed through the
    // snapshot's positions and those places; the identifiers picked from a visible order.
    static std::vector<std::int32_t> ranksOf(const QList<qsizetype>& positions,
                                             qsizetype itemCount);
    static QList<QUuid> placedByRank(const QHash<QUuid, std::uint32_t>& positions,
                                     const std::vector<std::int32_t>& ranks, const QSet<QUuid>& ids,
                                     const std::optional<QUuid>& extra);
    static QList<QUuid> pickedInOrder(const QList<QUuid>& order, const QSet<QUuid>& ids,
                                      const std::optional<QUuid>& extra);

    // Start-up.
    void restore();
    void restoreRemembered(const std::optional<QString>& source,
                           const std::optional<QString>& rememberedRoot);
    void rememberCurrentFolder();

    // Opening.
    void resetForNewLibrary();
    void loadState();
    void failOpen(const QString& description);
    void startWatcher();
    void stopWatcher();
    void finishPhotosConnection(const QUuid& token, PhotoAuthorizationStatus status);
    void connectGrantedPhotos();
    void handlePhotosChange();

    // Commit. A change the user asked for (an edit, undo, redo) is refused whole where it touches
    // a folder this user may not write; upkeep (a scan's merge, a purge) writes around it.
    enum class CommitOrigin { user, upkeep };
    bool commit(LibraryState state, const std::optional<MediaQuery>& query = std::nullopt,
                const std::optional<QString>& actionName = std::nullopt,
                CommitOrigin origin = CommitOrigin::user);
    void validateRoot() const;
    bool commitOverOutside(const LibraryState& old, const LibraryState& edited,
                           const std::optional<MediaQuery>& query,
                           const std::optional<QString>& actionName, CommitOrigin origin,
                           const Error& error);
    LibraryState savedState(LibraryState state, CommitOrigin origin, bool& leftChanged,
                            FolderCatalog::WriteProgress& progress);
    // Whether the save left out folders changed from outside, for a rescan to read them again.
    // `progress` receives how far the writes came behind the journal.
    bool saveTree(const LibraryState& state, CommitOrigin origin,
                  FolderCatalog::WriteProgress* progress = nullptr);
    // What a save that failed left for the next open to finish: nothing, its journal before any
    // folder was written, or its journal after some were.
    enum class SaveRemains { nothing, journal, partlyWritten };
    SaveRemains remainsOf(const FolderCatalog::WriteProgress& progress) const;
    // The lines of a failed save's message after its first sentence.
    QString failedSaveDetail(SaveRemains remains, const FolderCatalog::WriteProgress& progress,
                             const Error& error) const;
    void publishCommitted(const LibraryState& old, const LibraryState& saved,
                          const std::optional<MediaQuery>& query,
                          const std::optional<QString>& actionName);
    void pruneSelection();
    void stampHistory();
    void resetMetadataHistory();

    // Scans.
    void cancelScan();
    void scanFinished(const ScanContext& context, ScanWatcher* watcher);
    void mergeScan(const ScanContext& context, QList<MediaItem> scanned);
    // On the merge's worker: the tree read back (or known) and joined with the listing; false
    // when a tree journal appeared meanwhile.
    static bool joinScan(MergedScan& merged, const QList<MediaItem>& scanned,
                         const LibraryState& published, Date now, bool folder);
    void mergeFinished(const ScanContext& context, std::uint64_t stateVersion,
                       MergeWatcher* watcher);
    void commitMerge(MergedScan merged, const ScanContext& context);
    // Whether the failed read of `context` is tried again after a pause.
    bool retryRead(const ScanContext& context);
    void endScan(const ScanContext& context);
    void fileSystemChanged();

    // Maintenance.
    void startMaintenance();
    void maintenanceWoke();

    // Undo.
    bool validateMetadataReplay();
    MetadataUndoValidation::PhotoAssetListing photoAssets() const;

    // Deletion.
    void runDeletion(const DeletionRequest& request);
    void deletionFinished(const DeletionRequest& request, const DeletionResult& result);

    // Edits.
    LibraryState editedState(Library library) const;
    void updateSelected(const QString& actionName, const std::function<void(MediaItem&)>& change);
    bool hasFolderSchema(const QString& folder) const;
    QString currentFolder() const;
    bool editingAllowed() const;

    std::unique_ptr<StoreClock> ownedClock_;
    std::unique_ptr<MediaListing> ownedListing_;
    Services services_;

    Library library_;
    QString root_;
    LibrarySource source_ = LibrarySource::none;
    RecentFolderHistory recentFolders_;
    bool connectingPhotos_ = false;
    bool showPhotosSetup_ = false;
    bool needsPhotosSetup_ = false;
    MediaQuery query_;
    QSet<QUuid> selection_;
    bool scanning_ = false;
    std::optional<Date> lastSaved_;
    std::optional<QString> error_;
    // What the last deletion reported, kept at the head of `error_` until the person dismisses
    // the message: an error of the deletion's aftermath is added to it, not put in its place.
    std::optional<QString> deletionOutcome_;
    bool locked_ = false;
    std::optional<DeletionRequest> deletionRequest_;
    bool deleting_ = false;
    DeletedArchive deletedArchive_;
    MetadataUndoHistory metadataHistory_;

    std::optional<QString> metadataHistoryStamp_;
    // CatalogStamps::outsideChanges() when the history was last stamped or emptied: a step is
    // never replayed over files changed from outside since, merged into the library or not.
    std::uint64_t outsideChangesSeen_ = 0;
    ScanWatcher* scanWatcher_ = nullptr;
    MergeWatcher* mergeWatcher_ = nullptr;
    // Counted up at every commit and every assignment of the library or the archive, so that a
    // merge made off the main thread is committed only over the state and files it was made from.
    std::uint64_t stateVersion_ = 0;
    // The open's sweep of stale temporaries; the first merge after it waits for it, so that the
    // watcher's notices of what it removed come before that merge's save.
    QFuture<void> sweep_;
    std::shared_ptr<void> watcher_;
    std::unique_ptr<StoreClock::Wait> debounce_;
    bool watcherAsked_ = false;  // the next scan started is the watcher's
    std::unique_ptr<StoreClock::Wait> readRetry_;
    // The scan whose merge is being committed, while its failed reads may be tried again.
    const ScanContext* retryingMerge_ = nullptr;
    // While an edit taken onto a change from outside is being saved: the state the edit was made
    // from and the edit, which alone tell the folders it changes.
    std::optional<std::pair<LibraryState, LibraryState>> mergedEdit_;
    QUuid generation_;
    bool scanAgain_ = false;
    std::optional<QUuid> anchor_;
    bool usesTemporaryRoot_ = false;
    std::unique_ptr<PhotosChangeObserver> photosObserver_;
    std::unique_ptr<StoreClock::Wait> maintenance_;
    bool pendingRecentFolder_ = false;
    // Folders of the open tree whose metadata this user may not write, by key: saves write
    // around them (found by the saves' trial writes, forgotten at the next open).
    QSet<QString> unwritableFolders_;

    std::optional<LibraryBrowseSnapshot> browseCache_;
    std::optional<QList<MediaItem>> visibleCache_;
    // Where the visible items stand in the snapshot: the order without copying the items.
    std::optional<QList<qsizetype>> visiblePositionsCache_;
    std::optional<QList<QUuid>> visibleOrderCache_;
    // Per snapshot position, its place in the visible positions or -1; made from and dropped
    // with `visiblePositionsCache_`.
    std::optional<std::vector<std::int32_t>> visibleRanksCache_;
    std::optional<MediaItems> selectedCache_;
    // The folders of the selected items, each spelling once; dropped with the selected items.
    std::optional<QStringList> selectedFoldersCache_;
    // The browse snapshot's items by folder; made again with each new snapshot.
    std::optional<FolderMembers> folderMembersCache_;
    std::optional<FolderScope> folderScopeCache_;
    std::optional<Library> editorScopeCache_;
    std::optional<QList<Category>> editorPropertiesCache_;
    // The editable properties of a folder library: same inputs as the folder scope.
    std::optional<QList<Category>> editableCache_;
    ViewBuildWatcher* viewBuild_ = nullptr;
    // Views a scan's merge built for the library it commits, while that commit runs.
    std::shared_ptr<ViewBuild> mergeViews_;
    bool readyNotice_ = false;  // derivedViewsReady() is posted and not yet emitted
    bool buildDue_ = false;     // a build starts at the next turn unless a library comes first
    // Counted up when the inputs of the browse snapshot or of the scopes change, so that a build
    // started before delivers only what is still current.
    std::uint64_t browseGeneration_ = 0;
    std::uint64_t scopeGeneration_ = 0;
    // While a commit saves: its views' follow, running on a worker that reads the views above;
    // held last so that it is waited for before they go.
    std::shared_ptr<PreparedFollow> preparedFollow_;
    // The visible ones among a selection and anchor, found beside a save under a query whose
    // visible order the publish kept; taken by the publish's pruning when all still hold.
    struct VisibleSelection {
        MediaQuery query;
        QSet<QUuid> selection;
        std::optional<QUuid> anchor;
        QList<QUuid> visible;
    };
    std::optional<VisibleSelection> visibleSelection_;
};

}  // namespace lumivex
