#include "catalog/folder_catalog.h"
#include "platform/text_order.h"
#include "store/lumivex_store.h"

#include <algorithm>

namespace lumivex {

namespace {

// The items at the ascending `positions` of `from`. A run of neighbours is taken at once, so that
// the chunks it covers whole are shared with `from` rather than copied item by item: the items of
// whole folders stand together.
template <typename Positions>
MediaItems itemsAt(const MediaItems& from, const Positions& positions) {
    MediaItems items;
    const auto n = static_cast<qsizetype>(positions.size());
    items.reserve(n);
    for (qsizetype start = 0; start < n;) {
        qsizetype end = start + 1;
        while (end < n && static_cast<qsizetype>(positions[end]) ==
                              static_cast<qsizetype>(positions[end - 1]) + 1) {
            ++end;
        }
        items.append(from, static_cast<qsizetype>(positions[start]), end - start);
        start = end;
    }
    return items;
}

}  // namespace

const LibraryBrowseSnapshot& LumivexStore::browseSnapshot() {
    awaitViewBuild();
    if (!browseCache_) {
        browseCache_.emplace(library_, topLevelOnly());
        sharePositions();
        folderMembersCache_.reset();
    }
    return *browseCache_;
}

const QList<qsizetype>& LumivexStore::visiblePositions() {
    if (!visiblePositionsCache_) {
        visiblePositionsCache_ = query_.positions(browseSnapshot());
    }
    return *visiblePositionsCache_;
}

const QList<MediaItem>& LumivexStore::visibleItems() {
    if (!visibleCache_) {
        const LibraryBrowseSnapshot& snapshot = browseSnapshot();
        QList<MediaItem> items;
        items.reserve(visiblePositions().size());
        for (const qsizetype position : visiblePositions()) {
            items.append(snapshot.items[position]);
        }
        visibleCache_ = std::move(items);
    }
    return *visibleCache_;
}

const QList<QUuid>& LumivexStore::visibleOrder() {
    if (!visibleOrderCache_) {
        const LibraryBrowseSnapshot& snapshot = browseSnapshot();
        QList<QUuid> ids;
        ids.reserve(visiblePositions().size());
        for (const qsizetype position : visiblePositions()) {
            ids.append(snapshot.items[position].id);
        }
        visibleOrderCache_ = std::move(ids);
    }
    return *visibleOrderCache_;
}

const MediaItems& LumivexStore::selectedItems() {
    if (!selectedCache_) {
        selectedCache_ = selectedItemsOf(browseSnapshot(), selection_);
    }
    return *selectedCache_;
}

MediaItems LumivexStore::selectedItemsOf(const LibraryBrowseSnapshot& snapshot,
                                         const QSet<QUuid>& selection) {
    // A large selection is found walking the snapshot, already in browse order; a small one
    // by looking each item up and sorting the few positions.
    QList<qsizetype> positions;
    positions.reserve(selection.size());
    if (selection.size() * 8 >= snapshot.items.size()) {
        for (qsizetype i = 0; i < snapshot.items.size(); ++i) {
            if (selection.contains(snapshot.items[i].id)) {
                positions.append(i);
            }
        }
        if (positions.size() == snapshot.items.size()) {
            return snapshot.items;  // everything: shared, not copied
        }
        return itemsAt(snapshot.items, positions);
    }
    for (const QUuid& id : selection) {
        const auto found = snapshot.positions.constFind(id);
        if (found != snapshot.positions.cend()) {
            positions.append(*found);
        }
    }
    std::sort(positions.begin(), positions.end());
    return itemsAt(snapshot.items, positions);
}

const std::vector<std::int32_t>& LumivexStore::visibleRanks() {
    if (!visibleRanksCache_) {
        visibleRanksCache_ = ranksOf(visiblePositions(), browseSnapshot().items.size());
    }
    return *visibleRanksCache_;
}

std::vector<std::int32_t> LumivexStore::ranksOf(const QList<qsizetype>& positions,
                                                qsizetype itemCount) {
    std::vector<std::int32_t> ranks(static_cast<std::size_t>(itemCount), -1);
    for (qsizetype rank = 0; rank < positions.size(); ++rank) {
        ranks[static_cast<std::size_t>(positions[rank])] = static_cast<std::int32_t>(rank);
    }
    return ranks;
}

QList<QUuid> LumivexStore::visibleAmong(const QSet<QUuid>& ids, const std::optional<QUuid>& extra) {
    // A few items among a visible order kept across edits: each is placed through the ranks, made
    // once per order, instead of walking every visible item at every commit.
    if (visiblePositionsCache_ && ids.size() * 16 < visiblePositionsCache_->size()) {
        const LibraryBrowseSnapshot& snapshot = browseSnapshot();
        return placedByRank(snapshot.positions, visibleRanks(), ids, extra);
    }
    if (visibleOrderCache_) {
        return pickedInOrder(*visibleOrderCache_, ids, extra);
    }
    const bool topLevelOnly = this->topLevelOnly();
    // Taken from a copy, the candidates share the library's chunks up to the first item left out,
    // and with them the search texts those chunks keep folded.
    MediaItems candidates = library_.items;
    candidates.removeIf([&](const MediaItem& item) {
        return !((ids.contains(item.id) || item.id == extra) && item.available &&
                 (!topLevelOnly || item.folder().isEmpty()));
    });
    const Library probe = Library::withContents(library_.categories, std::move(candidates));
    QList<QUuid> visible;
    for (const MediaItem& item : query_.apply(probe)) {
        visible.append(item.id);
    }
    return visible;
}

QList<QUuid> LumivexStore::placedByRank(const QHash<QUuid, std::uint32_t>& positions,
                                        const std::vector<std::int32_t>& ranks,
                                        const QSet<QUuid>& ids, const std::optional<QUuid>& extra) {
    std::vector<std::pair<std::int32_t, QUuid>> placed;
    const auto place = [&](const QUuid& id) {
        const auto found = positions.constFind(id);
        if (found != positions.cend() && ranks[*found] >= 0) {
            placed.emplace_back(ranks[*found], id);
        }
    };
    for (const QUuid& id : ids) {
        place(id);
    }
    if (extra && !ids.contains(*extra)) {
        place(*extra);
    }
    std::sort(placed.begin(), placed.end());
    QList<QUuid> visible;
    for (const auto& [rank, id] : placed) {
        visible.append(id);
    }
    return visible;
}

QList<QUuid> LumivexStore::pickedInOrder(const QList<QUuid>& order, const QSet<QUuid>& ids,
                                         const std::optional<QUuid>& extra) {
    QList<QUuid> visible;
    for (const QUuid& id : order) {
        if (ids.contains(id) || id == extra) {
            visible.append(id);
        }
    }
    return visible;
}

qsizetype LumivexStore::videoCount(VideoDurationPreset preset) {
    const auto& counts = browseSnapshot().videoDurationCounts;
    const auto found = counts.find(preset);
    return found == counts.end() ? 0 : found->second;
}

bool LumivexStore::canReplayMetadata() const {
    return source_ != LibrarySource::none && !locked_ && !scanning_ && !deleting_ &&
           !deletionRequest_;
}

QString LumivexStore::undoMetadataTitle() const {
    return !metadataHistory_.canUndo()
               ? QStringLiteral("실행 취소")
               : metadataHistory_.undo().last().title + QStringLiteral(" 실행 취소");
}

QString LumivexStore::redoMetadataTitle() const {
    return !metadataHistory_.canRedo()
               ? QStringLiteral("다시 실행")
               : metadataHistory_.redo().last().title + QStringLiteral(" 다시 실행");
}

const LumivexStore::FolderScope& LumivexStore::folderScope() {
    awaitViewBuild();
    if (!folderScopeCache_) {
        folderScopeCache_.emplace(makeFolderScope(library_, source_, query_.folderPath));
        sharePositions();
    }
    return *folderScopeCache_;
}

const Library& LumivexStore::editorScope() {
    if (!editorScopeCache_) {
        if (source_ == LibrarySource::folder && !selection_.isEmpty()) {
            editorScopeCache_ = selectionScope();
        } else {
            editorScopeCache_ = folderScope().library;
        }
    }
    return *editorScopeCache_;
}

Library LumivexStore::selectionScope() {
    const QStringList& folders = selectedFolders();
    const LibraryBrowseSnapshot& snapshot = browseSnapshot();
    if (!folderMembersCache_) {
        folderMembersCache_.emplace(snapshot);
    }
    return selectionScopeOf(library_, folders, snapshot, *folderMembersCache_);
}

// The shown items of a folder library are its available items, in library order: the kept items
// of the selected folders are the snapshot's items of those folders.
Library LumivexStore::selectionScopeOf(const Library& library, const QStringList& folders,
                                       const LibraryBrowseSnapshot& snapshot,
                                       const FolderMembers& members) {
    QSet<QString> keys;
    for (const QString& folder : folders) {
        keys.insert(TextOrder::nfc(folder));
    }
    return FolderCatalog::displayLibrary(library, folders,
                                         itemsAt(snapshot.items, members.places(keys)));
}

const QStringList& LumivexStore::selectedFolders() {
    if (!selectedFoldersCache_) {
        selectedFoldersCache_ = foldersOf(selectedItems());
    }
    return *selectedFoldersCache_;
}

// Views into the items' names, which `items` keeps alive meanwhile. Items of one folder mostly
// stand together, so an item of the previous one's folder is passed without a lookup.
QStringList LumivexStore::foldersOf(const MediaItems& items) {
    QSet<QStringView> seen;
    QStringList folders;
    QStringView previous;
    for (const MediaItem& item : items) {
        const qsizetype slash = item.filename.lastIndexOf(u'/');
        const QStringView folder =
            slash < 0 ? QStringView() : QStringView(item.filename).left(slash);
        if (!folders.isEmpty() && folder == previous) {
            continue;
        }
        previous = folder;
        if (!seen.contains(folder)) {
            seen.insert(folder);
            folders.append(folder.toString());
        }
    }
    return folders;
}

const QList<Category>& LumivexStore::editorProperties() {
    if (!editorPropertiesCache_) {
        editorPropertiesCache_ = editorScope().categories;
    }
    return *editorPropertiesCache_;
}

QStringList LumivexStore::propertyOptions(const Category& category) {
    const auto& labels = browseSnapshot().labels;
    const auto found = labels.find(category.id);
    QStringList options;
    if (found != labels.end()) {
        for (const auto& [option, count] : found->second) {
            options.append(option);
        }
    }
    return options;
}

QStringList LumivexStore::editorOptions(const Category& category) {
    QStringList options = propertyOptions(category);
    if (!optionFolders()) {
        return options;
    }
    const QSet<QString> offered(options.cbegin(), options.cend());
    QStringList declared =
        FolderCatalog::displayedOptions(library_, selectedFolders(), category.idText());
    declared.removeIf([&offered](const QString& option) { return !offered.contains(option); });
    // The declared options take the places the library gives them, in the folders' order.
    const QSet<QString> placed(declared.cbegin(), declared.cend());
    qsizetype next = 0;
    for (QString& option : options) {
        if (next < declared.size() && placed.contains(option)) {
            option = declared[next++];
        }
    }
    return options;
}

QSet<PropertyKind> LumivexStore::propertySelectionKinds(const Category& category) {
    if (source_ == LibrarySource::folder && !selectedItems().isEmpty()) {
        QSet<PropertyKind> kinds;
        for (const QString& folder : selectedFolders()) {
            kinds.insert(FolderCatalog::selectionKind(category, folder, library_));
        }
        return kinds;
    }
    return {category.kind};
}

QList<Category> LumivexStore::editableProperties() {
    if (source_ != LibrarySource::folder) {
        return library_.categories;
    }
    awaitViewBuild();
    if (!editableCache_) {
        editableCache_ = makeEditableProperties(library_, source_, query_.folderPath);
    }
    return *editableCache_;
}

std::optional<QSet<QString>> LumivexStore::optionFolders() {
    if (source_ != LibrarySource::folder) {
        return std::nullopt;
    }
    const QStringList& folders = selectedFolders();
    return QSet<QString>(folders.cbegin(), folders.cend());
}

std::optional<std::int64_t> LumivexStore::selectedRating() {
    QSet<std::int64_t> ratings;
    for (const MediaItem& item : selectedItems()) {
        ratings.insert(item.rating);
    }
    if (ratings.size() != 1) {
        return std::nullopt;
    }
    return *ratings.begin();
}

}  // namespace lumivex
