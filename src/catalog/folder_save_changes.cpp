#include "catalog/folder_save_changes.h"

#include "catalog/folder_catalog.h"
#include "catalog/folder_planner.h"
#include "platform/parallel_work.h"

#include <exception>
#include <utility>

namespace lumivex::FolderSaveChanges {

using namespace FolderCatalog;

const QString movedFolderMessage =
    QStringLiteral("파일 폴더가 이동되었습니다. 새로고침 후 다시 시도하세요.");

namespace {

using Group = FolderShare;

QStringView folderKeyOf(const QString& filename) {
    const qsizetype slash = filename.lastIndexOf(u'/');
    return slash < 0 ? QStringView() : QStringView(filename).left(slash);
}

// Finds the group of each name's folder; consecutive names mostly share one, so the key of the
// previous name is tried first.
class Grouper {
public:
    explicit Grouper(Groups& groups) : groups_(groups) {}

    Group* find(QStringView key) {
        if (current_ && key == currentKey_) {
            return current_;
        }
        const auto found = groups_.find(key.toString());
        if (found == groups_.end()) {
            return nullptr;
        }
        currentKey_ = found->first;
        current_ = &found->second;
        return current_;
    }

private:
    Groups& groups_;
    QString currentKey_;
    Group* current_ = nullptr;
};

// The folders of the items at the chunk's positions that differ from the last save's, each run of
// them once; nothing when a position's file name differs. Once an item of a folder differs, the
// rest of the folder's run is only checked for its names: its folder is known to have changed.
std::optional<QStringList> changedInChunk(const MediaItems& items, const MediaItems& before,
                                          qsizetype chunk) {
    QStringList changed;
    const qsizetype end = std::min(items.size(), (chunk + 1) * MediaItems::chunkCapacity);
    for (qsizetype index = chunk * MediaItems::chunkCapacity; index < end; ++index) {
        const MediaItem& item = items[index];
        if (&item == &before[index]) {
            continue;
        }
        if (!sameText(item.filename, before[index].filename)) {
            return std::nullopt;
        }
        if (!changed.isEmpty() && folderKeyOf(item.filename) == changed.last()) {
            continue;
        }
        if (!sameItem(item, before[index])) {
            changed.append(folderKeyOf(item.filename).toString());
        }
    }
    return changed;
}

// Walks the lists position by position against the last save's, the chunks of items the lists
// share passed whole. A position that kept its file name keeps its folder (and its name was
// checked then); any other difference in order or length voids the remembered grouping.
std::optional<QSet<QString>> changedSince(const LastSave& last, const LibraryState& state,
                                          const std::map<QString, QString>& folders) {
    const MediaItems& items = state.library.items;
    const QList<DeletedRecord>& records = state.deleted.records;
    if (items.size() != last.items.size() || records.size() != last.records.size()) {
        return std::nullopt;
    }
    QSet<QString> changed;
    for (qsizetype chunk = 0; !items.sharesAllItemsWith(last.items) && chunk < items.chunkCount();
         ++chunk) {
        if (items.sharesChunkWith(last.items, chunk)) {
            continue;  // the very items the last save had: the lists share their storage
        }
        const std::optional<QStringList> keys = changedInChunk(items, last.items, chunk);
        if (!keys) {
            return std::nullopt;
        }
        for (const QString& key : *keys) {
            changed.insert(key);
        }
    }
    for (qsizetype index = 0;
         records.constData() != last.records.constData() && index < records.size(); ++index) {
        const DeletedRecord& record = records[index];
        const DeletedRecord& before = last.records[index];
        if (!sameText(record.item.filename, before.item.filename)) {
            return std::nullopt;
        }
        if (record.deletedAt != before.deletedAt || !sameItem(record.item, before.item)) {
            const QString key = folderKeyOf(record.item.filename).toString();
            changed.insert(folders.count(key) != 0 ? key : QString());
        }
    }
    return changed;
}

}  // namespace

// Every item must belong to a folder that is both in the tree and among the folders the state
// was loaded from: an item of any other folder would be skipped and its edit lost. Items of a
// folder left out of the tree are skipped, their folder's files kept as they are.
Groups groupByFolder(const LibraryState& state, const std::map<QString, QString>& folders,
                     const QSet<QString>& leftOut) {
    Groups groups;
    const QSet<QString> loaded(state.library.catalogDirectories.begin(),
                               state.library.catalogDirectories.end());
    for (const auto& [key, path] : folders) {
        if (loaded.isEmpty() || loaded.contains(key)) {
            groups.emplace(key, Group());
        }
    }
    Grouper grouper(groups);
    const MediaItems& items = state.library.items;
    for (qsizetype index = 0; index < items.size(); ++index) {
        validatePath(items[index].filename);
        const QStringView key = folderKeyOf(items[index].filename);
        Group* group = grouper.find(key);
        if (!group && isLeftOut(key, leftOut)) {
            continue;
        }
        if (!group) {
            throw failure(movedFolderMessage);
        }
        group->items.push_back(index);
    }
    Grouper recordGrouper(groups);
    const QList<DeletedRecord>& records = state.deleted.records;
    for (qsizetype index = 0; index < records.size(); ++index) {
        validatePath(records[index].item.filename);
        const QStringView key = folderKeyOf(records[index].item.filename);
        if (folders.count(key.toString()) != 0) {
            if (Group* group = recordGrouper.find(key)) {
                group->records.push_back(index);
            }
        } else if (Group* root = recordGrouper.find(QStringView())) {
            // The root keeps the records of folders that are gone.
            root->records.push_back(index);
        }
    }
    return groups;
}

QStringList saveOrder(const std::map<QString, QString>& folders) {
    QStringList keys;
    keys.reserve(qsizetype(folders.size()));
    for (const auto& [key, path] : folders) {
        keys.append(key);
    }
    return inSaveOrder(keys);
}

std::optional<LastSave>& lastSave() {
    static std::optional<LastSave> last;
    return last;
}

// `last` is the last save when it was made for the same folders.
Grouping grouping(const LibraryState& state, const std::map<QString, QString>& folders,
                  const QSet<QString>& leftOut, const LastSave* last) {
    if (last && last->catalogDirectories == state.library.catalogDirectories) {
        if (std::optional<QSet<QString>> changed = changedSince(*last, state, folders)) {
            return {last->groups, std::move(changed)};
        }
    }
    return {std::make_shared<const Groups>(groupByFolder(state, folders, leftOut)), std::nullopt};
}

// The folders of the last save when the watcher saw no folder made, moved or removed since, else
// the tree listed again.
bool sameShape(const CatalogCache& cache, const QString& root,
               const std::optional<LastSave>& last) {
    return last && last->root == root && last->mark && cache.passMark() &&
           cache.passNotices()->shapeHeldSince(*last->mark);
}

std::shared_ptr<CatalogCache::Basis> basisOf(const LibraryState& state) {
    return std::make_shared<CatalogCache::Basis>(
        CatalogCache::Basis{std::make_shared<const CatalogCache::Lists>(
            CatalogCache::Lists{state.library.items, state.deleted.records})});
}

// The key of the tree folder at `path`, when it lies in the tree at `root`.
std::optional<QString> keyOf(const QString& path, const QString& root) {
    if (path == root) {
        return QString();
    }
    if (path.size() > root.size() + 1 && path.startsWith(root) && path[root.size()] == u'/') {
        return path.mid(root.size() + 1);
    }
    return std::nullopt;
}

// The folders of a load whose files hold exactly what a save of `state` writes there: the very
// comparison a save makes, against the bytes the load parsed. Folders are compared side by side;
// the state and the reads are only read meanwhile. With each folder, the shape its texts were made
// with.
void matchUnchangedSinceRead(const LibraryState& state, const Groups& groups,
                             const std::map<QString, ReadFolder>& reads, ReadMatch& match) {
    struct Candidate {
        const QString* key;
        const ReadFolder* read;
        const Group* group;
        std::shared_ptr<const FolderShape> shape;
        bool unchanged = false;
    };
    std::vector<Candidate> candidates;
    for (const auto& [key, read] : reads) {
        const auto group = groups.find(key);
        if (group != groups.end()) {
            candidates.push_back({&key, &read, &group->second, nullptr});
        }
    }
    ParallelWork::forEach(candidates.size(), [&](std::size_t index) {
        Candidate& candidate = candidates[index];
        const ReadFolder& read = *candidate.read;
        try {
            candidate.shape = std::make_shared<const FolderShape>(
                folderShape(state, *candidate.key, *candidate.group, read.libraryCategories,
                            read.deletedCategories));
            const FolderTexts texts =
                folderTexts(state, *candidate.shape, read.identity, *candidate.group);
            candidate.unchanged =
                texts.catalog.toUtf8() == read.catalog && texts.archive.toUtf8() == read.archive;
        } catch (...) {
            candidate.unchanged = false;  // the save will meet the same failure and report it
        }
        return true;
    });
    for (Candidate& candidate : candidates) {
        if (candidate.unchanged) {
            match.folders.push_back(*candidate.key);
            match.shapes.push_back(std::move(candidate.shape));
        }
    }
}

}  // namespace lumivex::FolderSaveChanges
