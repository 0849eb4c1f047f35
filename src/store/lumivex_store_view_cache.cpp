#include "catalog/folder_catalog.h"
#include "platform/parallel_work.h"
#include "store/lumivex_store.h"
#include "store/query_reconciliation.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

namespace lumivex {

namespace {

// Whether the query keeps and orders the changed item as before: every field it reads of the
// item is unchanged. (A search reads the notes and values; the name, the only other text it reads,
// never changes in place.)
bool sameForQuery(const MediaItem& before, const MediaItem& after, const MediaQuery& query) {
    MediaItem read = after;
    const bool searching = !query.search.isEmpty();
    if (query.minimumRating <= 0 && !query.unratedOnly && query.sort != SortOrder::rating &&
        !query.sortCategory) {
        read.rating = before.rating;
    }
    if (!searching) {
        read.notes = before.notes;
    }
    if (!searching && !query.unclassifiedOnly && query.facets.empty() &&
        query.emptyFacets.isEmpty() && !query.sortCategory) {
        read.labels = before.labels;
    }
    return read == before;
}

// The properties whose declared options changed, when that is all that differs between the two
// libraries' properties; nothing when anything else differs.
std::optional<QSet<QString>> grownOptions(const Library& before, const Library& after) {
    if (before.includeSubfolders != after.includeSubfolders ||
        !(before.folderSchemas == after.folderSchemas) ||
        before.catalogProperties != after.catalogProperties ||
        before.categories.size() != after.categories.size()) {
        return std::nullopt;
    }
    QSet<QString> grown;
    for (qsizetype i = 0; i < before.categories.size(); ++i) {
        const Category& old = before.categories[i];
        Category now = after.categories[i];
        if (old.options == now.options) {
            if (!(old == now)) {
                return std::nullopt;
            }
            continue;
        }
        grown.insert(now.idText());
        now.options = old.options;
        if (!(old == now)) {
            return std::nullopt;
        }
    }
    return grown;
}

}  // namespace

// What of the changed items decides the properties a display library shows: the properties they
// carry values in, and those they carry several values in. Gathered once over every change, since
// a display library keeps its properties when it does so for each change alone.
struct LumivexStore::ShapeChange {
    bool shrank = false;    // an item stopped using a property, or holding several values in one
    QSet<QString> used;     // properties an item started to use
    QSet<QString> several;  // properties an item started to hold several values in

    explicit ShapeChange(const std::vector<LibraryBrowseSnapshot::ItemChange>& changes) {
        for (const auto& change : changes) {
            if (change.relabelled) {
                forEachChangedProperty(change.before->labels, change.after->labels,
                                       [this](const QString& key, const QStringList& old,
                                              const QStringList& now) { note(key, old, now); });
            }
        }
    }

    bool none() const { return !shrank && used.isEmpty() && several.isEmpty(); }

    // Whether a display library that shows `shown` shows them alike after the changes: a property
    // an item starts to use is shown already, and one it starts to hold several values in is shown
    // as multiple choice already. A property an item stops using may leave the display or turn
    // single-choice, which only a build can tell.
    bool keepsDisplay(const QList<Category>& shown) const {
        if (shrank) {
            return false;
        }
        const auto shownAs = [&shown](const QString& key, bool multiple) {
            return std::any_of(shown.cbegin(), shown.cend(), [&](const Category& category) {
                return category.idText() == key &&
                       (!multiple || category.kind == PropertyKind::multiSelect);
            });
        };
        return std::all_of(used.cbegin(), used.cend(),
                           [&](const QString& key) { return shownAs(key, false); }) &&
               std::all_of(several.cbegin(), several.cend(),
                           [&](const QString& key) { return shownAs(key, true); });
    }

private:
    void note(const QString& key, const QStringList& old, const QStringList& now) {
        shrank = shrank || (!old.isEmpty() && now.isEmpty()) || (old.size() > 1 && now.size() < 2);
        if (old.isEmpty() && !now.isEmpty()) {
            used.insert(key);
        }
        if (old.size() < 2 && now.size() > 1) {
            several.insert(key);
        }
    }
};

// The views one build makes off the main thread, each with the generation it was started for,
// and the inputs they were made from.
struct LumivexStore::ViewBuild {
    std::uint64_t browseGeneration = 0;
    std::uint64_t scopeGeneration = 0;
    Library library;
    LibrarySource source = LibrarySource::none;
    std::optional<QString> folderPath;
    bool topLevelOnly = false;
    std::optional<LibraryBrowseSnapshot> browse;
    std::optional<FolderScope> scope;
    std::optional<QList<Category>> editable;
};

bool LumivexStore::viewsCanFollow(const Library& previous, const Library& next) {
    return grownOptions(previous, next).has_value() &&
           LibraryBrowseSnapshot::itemChanges(previous.items, next.items).has_value();
}

// The parts run side by side, on the calling thread and two workers.
std::shared_ptr<LumivexStore::ViewBuild> LumivexStore::buildViews(
    const Library& library, LibrarySource source, const std::optional<QString>& folderPath) {
    auto build = std::make_shared<ViewBuild>();
    build->library = library;
    build->source = source;
    build->folderPath = folderPath;
    build->topLevelOnly = source == LibrarySource::folder && !library.includeSubfolders;
    QFuture<void> scopeWork =
        QtConcurrent::run([&] { build->scope = makeFolderScope(library, source, folderPath); });
    QFuture<void> editableWork = QtConcurrent::run(
        [&] { build->editable = makeEditableProperties(library, source, folderPath); });
    build->browse.emplace(library, build->topLevelOnly);
    scopeWork.waitForFinished();
    editableWork.waitForFinished();
    return build;
}

// Views a scan's merge built beside it, installed when the library it committed is the one they
// were built for and the query still asks for the same folder. This happens only where the
// library is assigned, when the views would be dropped anyway, so no reference the store handed
// out outlives its view any sooner than it would have.
bool LumivexStore::installMergeViews() {
    const std::shared_ptr<ViewBuild> built = std::move(mergeViews_);
    if (!built || built->source != source_ || built->folderPath != query_.folderPath ||
        built->topLevelOnly != topLevelOnly() || !(built->library == library_)) {
        return false;
    }
    // The views they replace are freed by a worker.
    QThreadPool::globalInstance()->start(
        [browse = std::exchange(browseCache_, std::move(built->browse)),
         scope = std::exchange(folderScopeCache_, std::move(built->scope))] {});
    editableCache_ = source_ == LibrarySource::folder ? std::move(built->editable) : std::nullopt;
    folderMembersCache_.reset();  // places in the snapshot replaced
    sharePositions();
    return true;
}

bool LumivexStore::topLevelOnly() const {
    return source_ == LibrarySource::folder && !library_.includeSubfolders;
}

// The views as they stand after following an edit from `previous` to `next`: each one that could
// not follow is left out.
struct LumivexStore::FollowedViews {
    Library previous;  // the changes' items live in these two
    Library next;
    std::optional<LibraryBrowseSnapshot> browse;
    std::optional<FolderScope> scope;
    std::optional<QList<Category>> editable;
    bool sameOrder = false;  // the browse snapshot followed and no changed item moved in the query
    bool keepsEditorProperties = false;
};

// A follow made on a worker from copies of the store's views, with what it was made for, and
// the selection's views that the window reads next, made from the followed browse snapshot.
struct LumivexStore::PreparedFollow {
    FollowedViews views;
    LibrarySource source = LibrarySource::none;
    MediaQuery query;
    QSet<QUuid> selection;
    std::uint64_t browseGeneration = 0;
    std::uint64_t scopeGeneration = 0;
    std::optional<FolderMembers> members;  // made here when the store had none
    std::optional<MediaItems> selected;
    std::optional<QStringList> selectedFolders;
    std::optional<Library> editorScope;
    std::optional<QUuid> anchor;
    std::optional<QList<QUuid>> visibleSelection;
    QFuture<void> work;

    PreparedFollow() = default;
    PreparedFollow(const PreparedFollow&) = delete;
    PreparedFollow& operator=(const PreparedFollow&) = delete;
    // The worker reads the store's views and writes `views` until it ends.
    ~PreparedFollow() { work.waitForFinished(); }
};

// Only a save that keeps the folders' schemas publishes the state it was given (another reads
// the tree back), and only then can the views follow. An edit that changed no item is followed
// at once by the publish, for less than the copies cost. The worker copies the views, which the
// store leaves alone until the follow is taken or dropped.
std::shared_ptr<LumivexStore::PreparedFollow> LumivexStore::prepareFollow(const Library& next) {
    if ((!browseCache_ && !folderScopeCache_ && !editableCache_) || mergeViews_ ||
        library_.items.sharesAllItemsWith(next.items) ||
        !(library_.folderSchemas == next.folderSchemas)) {
        return nullptr;
    }
    auto prepared = std::make_shared<PreparedFollow>();
    prepared->views.previous = library_;
    prepared->views.next = next;
    prepared->source = source_;
    prepared->query = query_;
    prepared->selection = selection_;
    prepared->anchor = anchor_;
    prepared->browseGeneration = browseGeneration_;
    prepared->scopeGeneration = scopeGeneration_;
    prepared->work = QtConcurrent::run([this, prepared = prepared.get(), browse = &browseCache_,
                                        scope = &folderScopeCache_, editable = &editableCache_,
                                        members = &folderMembersCache_] {
        prepared->views.browse = *browse;
        prepared->views.scope = *scope;
        prepared->views.editable = *editable;
        followViews(prepared->views, prepared->source, prepared->query);
        prepareSelectionViews(*prepared, *members);
        prepareVisibleSelection(*prepared);
    });
    return prepared;
}

// Reads the store's visible order, which nothing changes while the worker runs. Made as
// visibleAmong() makes it, for the order it would find kept.
void LumivexStore::prepareVisibleSelection(PreparedFollow& prepared) const {
    if (!prepared.views.sameOrder || !visiblePositionsCache_ ||
        (prepared.selection.isEmpty() && !prepared.anchor)) {
        return;
    }
    const QSet<QUuid>& ids = prepared.selection;
    if (ids.size() * 16 < visiblePositionsCache_->size()) {
        const LibraryBrowseSnapshot& snapshot = *prepared.views.browse;
        prepared.visibleSelection = placedByRank(
            snapshot.positions,
            visibleRanksCache_ ? *visibleRanksCache_
                               : ranksOf(*visiblePositionsCache_, snapshot.items.size()),
            ids, prepared.anchor);
    } else if (visibleOrderCache_) {
        prepared.visibleSelection = pickedInOrder(*visibleOrderCache_, ids, prepared.anchor);
    }
}

// What the selection's reads would make right after the publish: the followed browse snapshot
// keeps the places of the store's items by folder valid.
void LumivexStore::prepareSelectionViews(PreparedFollow& prepared,
                                         const std::optional<FolderMembers>& members) {
    if (!prepared.views.browse) {
        return;
    }
    const LibraryBrowseSnapshot& snapshot = *prepared.views.browse;
    prepared.selected = selectedItemsOf(snapshot, prepared.selection);
    prepared.selectedFolders = foldersOf(*prepared.selected);
    if (prepared.source == LibrarySource::folder && !prepared.selection.isEmpty()) {
        if (!members) {
            prepared.members.emplace(snapshot);
        }
        prepared.editorScope = selectionScopeOf(prepared.views.next, *prepared.selectedFolders,
                                                snapshot, members ? *members : *prepared.members);
    } else if (prepared.views.scope) {
        prepared.editorScope = prepared.views.scope->library;
    }
}

// The prepared follow when it was made for this very assignment from the views the store holds.
std::shared_ptr<LumivexStore::PreparedFollow> LumivexStore::takePreparedFollow(
    const Library& previous) {
    std::shared_ptr<PreparedFollow> prepared = std::exchange(preparedFollow_, nullptr);
    if (!prepared || prepared->source != source_ || !(prepared->query == query_) ||
        prepared->browseGeneration != browseGeneration_ ||
        prepared->scopeGeneration != scopeGeneration_ || !(prepared->views.previous == previous) ||
        !(prepared->views.next == library_)) {
        return nullptr;
    }
    prepared->work.waitForFinished();
    return prepared;
}

// Only for the selection they were made for, and beside the browse snapshot they were made from.
void LumivexStore::installSelectionViews(PreparedFollow& prepared) {
    if (!prepared.selected || !browseCache_ || !(prepared.selection == selection_)) {
        return;
    }
    if (prepared.members) {
        folderMembersCache_ = std::move(prepared.members);
    }
    selectedCache_ = std::move(prepared.selected);
    selectedFoldersCache_ = std::move(prepared.selectedFolders);
    if (prepared.editorScope) {
        editorScopeCache_ = std::move(prepared.editorScope);
        if (!editorPropertiesCache_) {
            editorPropertiesCache_ = editorScopeCache_->categories;
        }
    }
}

// The browse snapshot and the folder scope follow side by side: neither reads what the other
// changes, and each walks the changed items' values while they are at hand.
void LumivexStore::followViews(FollowedViews& views, LibrarySource source,
                               const MediaQuery& query) {
    std::optional<std::vector<LibraryBrowseSnapshot::ItemChange>> changes;
    const std::optional<QSet<QString>> grown = grownOptions(views.previous, views.next);
    if (grown) {
        changes = LibraryBrowseSnapshot::itemChanges(views.previous.items, views.next.items);
    }
    if (!changes) {
        views.browse.reset();
        views.scope.reset();
        views.editable.reset();
        return;
    }
    bool browseFollowed = false;
    bool scopeFollowed = false;
    std::optional<ShapeChange> shape;
    ParallelWork::forEach(2, [&](std::size_t part) {
        if (part == 0) {
            browseFollowed =
                !views.browse || views.browse->follow(*changes, views.previous.tagProperties(),
                                                      views.next.tagProperties(),
                                                      views.previous.items, views.next.items);
        } else {
            shape.emplace(*changes);
            scopeFollowed = followFolderScope(views, source, *changes, *shape, *grown);
        }
        return true;
    });
    if (!browseFollowed) {
        views.browse.reset();
    }
    views.sameOrder = views.browse &&
                      std::all_of(changes->cbegin(), changes->cend(), [&query](const auto& change) {
                          return sameForQuery(*change.before, *change.after, query);
                      });
    if (!scopeFollowed) {
        views.scope.reset();
        views.editable.reset();
    }
    // The editor scope's properties come from the library's properties (options included) and
    // from which of them the items of the selection's folders carry values in, and several in.
    views.keepsEditorProperties = grown->isEmpty() && shape->none();
}

// Every cache is dropped, except that the browse snapshot, the folder scope and the editable
// properties follow an edit that changed items in place and nothing else; what cannot follow is
// built again on its next read. A library that comes while none of them exists (one just opened)
// has them built off the main thread, so the window can draw while they are made.
void LumivexStore::libraryAssigned(const Library& previous) {
    const std::shared_ptr<PreparedFollow> prepared = takePreparedFollow(previous);
    visibleSelection_.reset();
    // The lists of items dropped are freed by a worker: those of a large selection take
    // milliseconds.
    if (visibleCache_ || selectedCache_ || editorScopeCache_) {
        QThreadPool::globalInstance()->start(
            [visible = std::exchange(visibleCache_, std::nullopt),
             selected = std::exchange(selectedCache_, std::nullopt),
             editorScope = std::exchange(editorScopeCache_, std::nullopt)] {});
    }
    std::optional<QList<qsizetype>> positions = std::exchange(visiblePositionsCache_, std::nullopt);
    std::optional<std::vector<std::int32_t>> ranks =
        std::exchange(visibleRanksCache_, std::nullopt);
    std::optional<QList<QUuid>> order = std::exchange(visibleOrderCache_, std::nullopt);
    selectedFoldersCache_.reset();
    std::optional<QList<Category>> editorProperties =
        std::exchange(editorPropertiesCache_, std::nullopt);
    ++browseGeneration_;
    ++scopeGeneration_;
    if (installMergeViews()) {
        return;
    }
    if (!browseCache_ && !folderScopeCache_ && !editableCache_) {
        startViewBuild();
        return;
    }
    std::optional<FollowedViews> here;
    if (prepared) {
        // The views followed from copies: those they replace are freed by a worker.
        QThreadPool::globalInstance()->start(
            [browse = std::exchange(browseCache_, std::move(prepared->views.browse)),
             scope = std::exchange(folderScopeCache_, std::move(prepared->views.scope))] {});
        editableCache_ = std::move(prepared->views.editable);
    } else {
        here.emplace(FollowedViews{previous, library_, std::exchange(browseCache_, std::nullopt),
                                   std::exchange(folderScopeCache_, std::nullopt),
                                   std::exchange(editableCache_, std::nullopt)});
        followViews(*here, source_, query_);
        browseCache_ = std::move(here->browse);
        folderScopeCache_ = std::move(here->scope);
        editableCache_ = std::move(here->editable);
    }
    const FollowedViews& followed = prepared ? prepared->views : *here;
    if (followed.sameOrder) {
        visiblePositionsCache_ = std::move(positions);
        visibleRanksCache_ = std::move(ranks);
        visibleOrderCache_ = std::move(order);
    }
    if (followed.keepsEditorProperties) {
        editorPropertiesCache_ = std::move(editorProperties);
    }
    if (prepared) {
        installSelectionViews(*prepared);
        if (followed.sameOrder && prepared->visibleSelection) {
            visibleSelection_ =
                VisibleSelection{prepared->query, prepared->selection, prepared->anchor,
                                 std::move(*prepared->visibleSelection)};
        }
    }
}

// After an assignment of the source nothing can follow. The library that comes with a new source
// is usually assigned right after it; until then the views count as pending, so that the window
// does not have the previous library's views built for the new source.
void LumivexStore::invalidateBrowseCache() {
    browseCache_.reset();
    visibleCache_.reset();
    visiblePositionsCache_.reset();
    visibleRanksCache_.reset();
    visibleOrderCache_.reset();
    selectedCache_.reset();
    selectedFoldersCache_.reset();
    folderScopeCache_.reset();
    editorScopeCache_.reset();
    editorPropertiesCache_.reset();
    editableCache_.reset();
    ++browseGeneration_;
    ++scopeGeneration_;
    if (!buildDue_) {
        buildDue_ = true;
        QMetaObject::invokeMethod(this, &LumivexStore::startDueViewBuild, Qt::QueuedConnection);
    }
}

void LumivexStore::startDueViewBuild() {
    if (buildDue_) {
        startViewBuild();
    }
}

void LumivexStore::sharePositions() {
    if (browseCache_ && folderScopeCache_) {
        folderScopeCache_->snapshot.sharePositionsWith(*browseCache_);
    }
}

// A display library takes its properties' options from the folders' schemas, which the edit left
// alone, except for the properties no folder declares; its properties also depend on which ones
// its items carry values in.
bool LumivexStore::followFolderScope(FollowedViews& views, LibrarySource source,
                                     const std::vector<LibraryBrowseSnapshot::ItemChange>& changes,
                                     const ShapeChange& shape, const QSet<QString>& grownOptions) {
    const Library& next = views.next;
    const bool displayed = source == LibrarySource::folder && !next.folderSchemas.empty();
    // The root-level properties walk every folder's schema: only an edit that grew options asks.
    if (displayed && !grownOptions.isEmpty() &&
        grownOptions.intersects(FolderCatalog::rootLevelProperties(next))) {
        return false;
    }
    if (displayed && views.editable && !shape.keepsDisplay(*views.editable)) {
        views.editable.reset();
    }
    if (!views.scope) {
        return true;
    }
    FolderScope& scope = *views.scope;
    if (displayed && !shape.keepsDisplay(scope.library.categories)) {
        return false;
    }
    const QList<Category> previousProperties = scope.library.tagProperties();
    if (!scope.snapshot.follow(changes, previousProperties,
                               displayed ? previousProperties : next.tagProperties(),
                               views.previous.items, next.items)) {
        return false;
    }
    // A display library holds exactly the items its snapshot shows, all of them available.
    scope.library =
        displayed ? Library::withContents(scope.library.categories, scope.snapshot.items) : next;
    return true;
}

LumivexStore::FolderScope LumivexStore::makeFolderScope(const Library& library,
                                                        LibrarySource source,
                                                        const std::optional<QString>& folderPath) {
    Library scope = library;
    if (source == LibrarySource::folder) {
        std::optional<QSet<QString>> folders;
        if (folderPath) {
            folders = QueryReconciliation::schemaFolders(library, folderPath);
        }
        scope = FolderCatalog::displayLibrary(library, folders);
    }
    LibraryBrowseSnapshot snapshot(scope, false, LibraryBrowseSnapshot::Purpose::counts);
    return FolderScope{std::move(scope), std::move(snapshot)};
}

QList<Category> LumivexStore::makeEditableProperties(const Library& library, LibrarySource source,
                                                     const std::optional<QString>& folderPath) {
    if (source != LibrarySource::folder) {
        return library.categories;
    }
    return FolderCatalog::displayLibrary(library, QSet<QString>{folderPath.value_or(QString())})
        .categories;
}

// The build works on copies of the inputs, which share their items with the store's, and runs
// its parts side by side; a build still running when another starts is left to finish unheard.
// Its watcher goes at once, and with it the only hold on what that build makes: left to the event
// loop, edits made before it next runs would each keep a whole set of views alive.
void LumivexStore::startViewBuild() {
    buildDue_ = false;
    delete std::exchange(viewBuild_, nullptr);
    auto work = [library = library_, source = source_, folderPath = query_.folderPath,
                 browseGeneration = browseGeneration_, scopeGeneration = scopeGeneration_] {
        std::shared_ptr<ViewBuild> build = buildViews(library, source, folderPath);
        build->browseGeneration = browseGeneration;
        build->scopeGeneration = scopeGeneration;
        return build;
    };
    viewBuild_ = new ViewBuildWatcher(this);
    connect(viewBuild_, &ViewBuildWatcher::finished, this, &LumivexStore::installViewBuild);
    viewBuild_->setFuture(QtConcurrent::run(std::move(work)));
}

void LumivexStore::awaitViewBuild() {
    if (buildDue_) {
        buildDue_ = false;  // the reader builds what it needs
        postReadyNotice();
    }
    if (viewBuild_) {
        viewBuild_->waitForFinished();
        installViewBuild();
    }
}

// Installs what is still current and not built meanwhile by a read.
void LumivexStore::installViewBuild() {
    if (!viewBuild_) {
        return;
    }
    ViewBuildWatcher* watcher = std::exchange(viewBuild_, nullptr);
    disconnect(watcher, nullptr, this, nullptr);
    const std::shared_ptr<ViewBuild> built = watcher->result();
    watcher->deleteLater();
    if (built->browse && built->browseGeneration == browseGeneration_ && !browseCache_) {
        browseCache_ = std::move(built->browse);
        folderMembersCache_.reset();
    }
    if (built->scope && built->scopeGeneration == scopeGeneration_) {
        if (!folderScopeCache_) {
            folderScopeCache_ = std::move(built->scope);
        }
        if (!editableCache_ && source_ == LibrarySource::folder) {
            editableCache_ = std::move(built->editable);
        }
    }
    sharePositions();
    postReadyNotice();
}

void LumivexStore::postReadyNotice() {
    if (!readyNotice_) {
        readyNotice_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                readyNotice_ = false;
                Q_EMIT derivedViewsReady();
            },
            Qt::QueuedConnection);
    }
}

}  // namespace lumivex
