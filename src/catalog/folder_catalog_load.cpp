#include "catalog/folder_catalog.h"

#include "catalog/catalog_cache.h"
#include "catalog/tree_journal.h"
#include "model/file_deletion_validation.h"
#include "platform/file_status.h"
#include "platform/parallel_work.h"
#include "platform/text_order.h"

#include <QDir>
#include <QHash>

#include <malloc.h>
#include <algorithm>
#include <cmath>
#include <exception>
#include <unordered_map>
#include <vector>

namespace lumivex::FolderCatalog {

namespace {

// The item key in plain order: NFC UTF-8 bytes order as Unicode scalar values do.
QByteArray itemKey(const MediaItem& item) {
    return (TextOrder::nfc(item.filename) + QChar(u'\0') + TextOrder::nfc(item.fileIdentity))
        .toUtf8();
}

qsizetype componentCount(const QString& key) {
    return QStringView(key).split(u'/', Qt::SkipEmptyParts).size();
}

QStringList plainOrder(const std::map<QString, QString>& folders) {
    QStringList keys;
    for (const auto& [key, path] : folders) {
        keys.append(key);
    }
    std::sort(keys.begin(), keys.end(), TextOrder::plainLess);
    return keys;
}

// Shallower folders first, so a property takes the name and identifier of the folder nearest
// the root that has it.
QStringList folderOrder(QStringList keys) {
    std::stable_sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        const qsizetype depthA = componentCount(a);
        const qsizetype depthB = componentCount(b);
        if (depthA != depthB) {
            return depthA < depthB;
        }
        return TextOrder::localizedStandardCompare(a, b) < 0;
    });
    return keys;
}

// The item with its file name taken from the folder's own to the tree's.
MediaItem placed(const MediaItem& item, const QString& folder) {
    validatePath(item.filename);
    MediaItem result = item;
    if (!folder.isEmpty()) {
        result.filename = folder + u'/' + item.filename;
    }
    return result;
}

// Folders mostly share their properties' identifiers with the merged view; labels that map
// onto themselves stay shared rather than being rebuilt.
bool mapsOntoItself(const Labels& labels, const std::map<QString, QString>& mapping) {
    return std::all_of(labels.begin(), labels.end(), [&](const auto& entry) {
        const auto mapped = mapping.find(entry.first);
        return mapped != mapping.end() && mapped->second == entry.first;
    });
}

// The labels under the merged view's property keys.
Labels relabelled(const Labels& labels, const std::map<QString, QString>& mapping) {
    if (mapsOntoItself(labels, mapping)) {
        return labels;
    }
    Labels result;
    for (const auto& [key, values] : labels) {
        const auto mapped = mapping.find(key);
        if (mapped != mapping.end()) {
            result[mapped->second] = values;
        }
    }
    return result;
}

// Relabelled labels, one map per distinct combination across the tree. The items of a library
// carry one of a few thousand combinations; a map made per item amid the load's temporaries, only
// to be dropped once the items' labels are pooled, left the heap sparse.
class RelabelledPool {
public:
    MediaItem prefixed(const MediaItem& item, const QString& folder,
                       const std::map<QString, QString>& mapping) {
        MediaItem result = placed(item, folder);
        result.labels = relabel(item.labels, mapping);
        return result;
    }

private:
    Labels relabel(const Labels& labels, const std::map<QString, QString>& mapping) {
        if (mapsOntoItself(labels, mapping)) {
            return labels;
        }
        // Found by a hash of the mapped keys and their values, independent of their order, so
        // that nothing is built to look a combination up.
        size_t hash = 0;
        size_t count = 0;
        for (const auto& [key, values] : labels) {
            const auto mapped = mapping.find(key);
            if (mapped != mapping.end()) {
                hash += qHashMulti(0, mapped->second, values);
                ++count;
            }
        }
        const auto [first, last] = pool_.equal_range(hash);
        for (auto found = first; found != last; ++found) {
            if (holds(found->second, labels, mapping, count)) {
                return found->second;
            }
        }
        Labels result = relabelled(labels, mapping);
        pool_.emplace(hash, result);
        return result;
    }

    // Whether `candidate` is what relabelling `labels` makes. Keys that map onto one key make
    // fewer entries than `count`, and such labels are never matched, only built.
    static bool holds(const Labels& candidate, const Labels& labels,
                      const std::map<QString, QString>& mapping, size_t count) {
        if (candidate.size() != count) {
            return false;
        }
        for (const auto& [key, values] : labels) {
            const auto mapped = mapping.find(key);
            if (mapped == mapping.end()) {
                continue;
            }
            const auto found = candidate.find(mapped->second);
            if (found == candidate.end() || found->second != values) {
                return false;
            }
        }
        return true;
    }

    std::unordered_multimap<size_t, Labels> pool_;
};

Library transientLibrary(const QList<Category>& categories, const QList<MediaItem>& items) {
    return Library::withContents(categories, items);
}

QList<MediaItem> itemsOf(const QList<DeletedRecord>& records) {
    QList<MediaItem> items;
    items.reserve(records.size());
    for (const DeletedRecord& record : records) {
        items.append(record.item);
    }
    return items;
}

// The join of every folder's items and records, keyed by item key.
struct Joined {
    QList<Category> display;
    QList<Category> deletedCategories;
    std::map<QString, FolderPropertySchema> schemas;
    std::map<QByteArray, MediaItem> items;
    std::map<QByteArray, DeletedRecord> records;
};

void joinItems(Joined& joined, const std::map<QString, LibraryState>& states,
               const std::optional<LibraryState>& previous, Date now) {
    const QList<Category> preferred = previous ? previous->library.categories : QList<Category>();
    QStringList keys;
    for (const auto& [key, state] : states) {
        keys.append(key);
    }
    RelabelledPool pool;
    MergedOptionForms forms;
    for (const QString& key : folderOrder(keys)) {
        const LibraryState& state = states.at(key);
        const auto mapping = mergeCategories(state.library, joined.display, preferred, forms);
        joined.schemas[key] = {state.library.categories, mapping};
        for (const MediaItem& item : state.library.items) {
            MediaItem local = pool.prefixed(item, key, mapping);
            const QByteArray itemKeyText = itemKey(local);
            if (local.available) {
                joined.items.insert_or_assign(itemKeyText, std::move(local));
            } else {
                joined.records.insert_or_assign(itemKeyText, DeletedRecord{std::move(local), now});
            }
        }
    }
}

void joinRecords(Joined& joined, const std::map<QString, LibraryState>& states,
                 const QStringList& plainKeys, const std::optional<LibraryState>& previous) {
    const QList<Category> preferred = previous ? previous->deleted.categories : QList<Category>();
    joined.deletedCategories = joined.display;
    RelabelledPool pool;
    MergedOptionForms forms;
    for (const QString& key : plainKeys) {
        const DeletedArchive& archive = states.at(key).deleted;
        const auto mapping =
            mergeCategories(transientLibrary(archive.categories, itemsOf(archive.records)),
                            joined.deletedCategories, preferred, forms);
        for (const DeletedRecord& record : archive.records) {
            DeletedRecord local{pool.prefixed(record.item, key, mapping), record.deletedAt};
            joined.records.insert_or_assign(itemKey(local.item), std::move(local));
        }
    }
}

// The file identities of the items that share an identifier with a record: a record whose item
// is present under its identifier and file identity is that item's own. Only identifiers that
// some record holds can matter, so a tree without records builds nothing.
QHash<QUuid, QSet<QString>> presentIdentities(const Joined& joined) {
    QHash<QUuid, QSet<QString>> identities;
    if (joined.records.empty()) {
        return identities;
    }
    QSet<QUuid> recordIds;
    recordIds.reserve(qsizetype(joined.records.size()));
    for (const auto& [key, record] : joined.records) {
        recordIds.insert(record.item.id);
    }
    for (const auto& [key, item] : joined.items) {
        if (recordIds.contains(item.id)) {
            identities[item.id].insert(item.fileIdentity);
        }
    }
    return identities;
}

// Identifiers are made unique across items and records; the item nearer the start of the
// plain order keeps its own.
void assignUniqueIds(Joined& joined, LibraryState& result, QSet<QUuid>& used) {
    const QHash<QUuid, QSet<QString>> identities = presentIdentities(joined);
    used.reserve(qsizetype(joined.items.size() + joined.records.size()));
    result.library.items.reserve(qsizetype(joined.items.size()));
    for (auto& [key, item] : joined.items) {
        if (used.contains(item.id)) {
            item.id = QUuid::createUuid();
        }
        used.insert(item.id);
        // Only the keys of the joined items are looked at from here on.
        result.library.items.append(std::move(item));
    }
    for (const auto& [key, record] : joined.records) {
        if (joined.items.count(key) != 0) {
            continue;
        }
        const auto present = identities.constFind(record.item.id);
        if (present != identities.constEnd() && present->contains(record.item.fileIdentity)) {
            continue;
        }
        DeletedRecord unique = record;
        if (used.contains(unique.item.id)) {
            unique.item.id = QUuid::createUuid();
        }
        used.insert(unique.item.id);
        result.deleted.records.append(std::move(unique));
    }
}

// Items of the previous state that no folder holds any more stay in the library rather than
// vanish with their ratings. Those of a folder left out of the tree stay in its files instead:
// kept here, the next scan would find them missing and the save would turn them into records.
void keepOrphans(LibraryState& result, const LibraryState& previous, QSet<QUuid>& used,
                 const QSet<QString>& leftOut) {
    QSet<QByteArray> keys;
    for (const MediaItem& item : result.library.items) {
        keys.insert(itemKey(item));
    }
    for (const DeletedRecord& record : result.deleted.records) {
        keys.insert(itemKey(record.item));
    }
    const auto isOrphan = [&](const MediaItem& item) {
        return !used.contains(item.id) && !keys.contains(itemKey(item)) &&
               !isLeftOut(item.folder(), leftOut);
    };
    QList<MediaItem> orphans;
    QSet<QString> labelKeys;
    const auto collect = [&](const MediaItem& item) {
        if (isOrphan(item)) {
            orphans.append(item);
            for (const auto& [key, values] : item.labels) {
                if (!values.isEmpty()) {
                    labelKeys.insert(key);
                }
            }
        }
    };
    std::for_each(previous.library.items.begin(), previous.library.items.end(), collect);
    for (const DeletedRecord& record : previous.deleted.records) {
        collect(record.item);
    }
    QList<Category> categories;
    for (const Category& category :
         previous.deleted.aligned(previous.library.categories).categories) {
        if (labelKeys.contains(category.idText())) {
            categories.append(category);
        }
    }
    MergedOptionForms forms;
    const auto mapping =
        mergeCategories(transientLibrary(categories, orphans), result.deleted.categories,
                        previous.library.categories, forms);
    const auto claim = [&](const MediaItem& item) {
        if (!isOrphan(item)) {
            return false;
        }
        used.insert(item.id);
        keys.insert(itemKey(item));
        return true;
    };
    for (const MediaItem& item : previous.library.items) {
        if (claim(item)) {
            result.library.items.append(prefixed(item, QString(), mapping));
        }
    }
    for (const DeletedRecord& record : previous.deleted.records) {
        if (claim(record.item)) {
            result.deleted.records.append(
                {prefixed(record.item, QString(), mapping), record.deletedAt});
        }
    }
}

// One folder read and shaped on a worker; `read` is what the cache takes in.
struct FolderLoad {
    CatalogCache::FolderRead read;
    bool wasRead = false;
    QString identity;
    std::exception_ptr error;
    // What the worker made and this thread replaced by copies, kept to be freed by a worker.
    std::vector<QList<Category>> replacedLists;
    CatalogCache::Signature replacedSignature;
    QString replacedIdentity;
};

// The folders are read side by side, and taken in afterwards in plain order as a reading one by
// one would: the first folder that fails in that order gives the error, and no folder after it is
// taken in. Folders past a failure are not started, but some may have been read meanwhile.
std::vector<FolderLoad> readFolders(const std::map<QString, QString>& folders,
                                    const QStringList& keys) {
    std::vector<FolderLoad> loads(size_t(keys.size()));
    const CatalogCache& cache = CatalogCache::shared();
    ParallelWork::forEach(loads.size(), [&](std::size_t index) {
        FolderLoad& load = loads[index];
        const QString& path = folders.at(keys.at(qsizetype(index)));
        try {
            load.read = cache.readFolder(path);
            load.wasRead = true;
            if (load.read.steady) {
                load.identity = load.read.signature.front()->identity();
            }
            rebindRelocatedDirectory(load.read.state, path);
            normalize(load.read.state);
        } catch (...) {
            load.error = std::current_exception();
            return false;
        }
        return true;
    });
    return loads;
}

// What a load saw of the tree besides the state, for rememberLoad.
QString freshText(const QString& text) {
    return text.isEmpty() ? text : QString(text.constData(), text.size());
}

// The texts and option lists of a load's folders, each copied once: the folders of a tree mostly
// declare the same properties with the same options, and each folder's copy of them stays.
class HomeCopies {
public:
    QList<Category> categories(const QList<Category>& categories) {
        QList<Category> copies;
        copies.reserve(categories.size());
        for (const Category& category : categories) {
            Category copy{category.id, text(category.name), category.kind,
                          options(category.options), std::nullopt};
            if (category.iconName) {
                copy.iconName = text(*category.iconName);
            }
            copies.append(std::move(copy));
        }
        return copies;
    }

private:
    QString text(const QString& text) {
        if (text.isEmpty()) {
            return text;
        }
        const auto found = texts_.constFind(text);
        if (found != texts_.constEnd()) {
            return *found;
        }
        const QString copy = freshText(text);
        texts_.insert(copy, copy);
        return copy;
    }

    QStringList options(const QStringList& options) {
        const auto found = options_.constFind(options);
        if (found != options_.constEnd()) {
            return *found;
        }
        QStringList copy;
        copy.reserve(options.size());
        for (const QString& option : options) {
            copy.append(text(option));
        }
        options_.insert(copy, copy);
        return copy;
    }

    QHash<QString, QString> texts_;
    QHash<QStringList, QStringList> options_;
};

// What outlives the load of a folder is copied on this thread: kept where a worker made it, a few
// blocks would hold on to each worker's heap, and the pages of its freed temporaries with them.
void takeHome(FolderLoad& load, HomeCopies& copies) {
    CatalogCache::FolderRead& read = load.read;
    const auto copyList = [&](QList<Category>& list, const QList<Category>* same) {
        QList<Category> copy = same && list == *same ? *same : copies.categories(list);
        std::swap(list, copy);
        load.replacedLists.push_back(std::move(copy));
    };
    copyList(read.libraryCategories, nullptr);
    copyList(read.deletedCategories, nullptr);
    copyList(read.state.library.categories, &read.libraryCategories);
    copyList(read.state.deleted.categories, &read.deletedCategories);
    CatalogCache::Signature signature(read.signature.begin(), read.signature.end());
    std::swap(read.signature, signature);
    load.replacedSignature = std::move(signature);
    QString identity = freshText(load.identity);
    std::swap(load.identity, identity);
    load.replacedIdentity = std::move(identity);
}

std::map<QString, LibraryState> takeIn(std::vector<FolderLoad>& loads, const QStringList& keys,
                                       TreeReads& tree) {
    CatalogCache& cache = CatalogCache::shared();
    std::map<QString, LibraryState> states;
    HomeCopies copies;
    for (qsizetype index = 0; index < keys.size(); ++index) {
        FolderLoad& load = loads[size_t(index)];
        const QString& key = keys[index];
        if (load.wasRead) {
            takeHome(load, copies);
            cache.recordRead(tree.folders.at(key), load.read, false);
        }
        if (load.error) {
            std::rethrow_exception(load.error);
        }
        LibraryDisk::StoredTexts& texts = load.read.texts;
        if (cache.vouchesFor(load.read) && texts.catalog && texts.archive) {
            tree.reads.emplace(
                key,
                ReadFolder{load.identity, load.read.libraryCategories, load.read.deletedCategories,
                           std::move(*texts.catalog), std::move(*texts.archive)});
        }
        states.emplace(key, std::move(load.read.state));
    }
    return states;
}

// The per-folder states hold a dozen heap blocks per item, made by the workers; workers free them
// side by side.
void freeElsewhere(std::map<QString, LibraryState>& states, std::vector<FolderLoad>& loads) {
    std::vector<LibraryState*> all;
    all.reserve(states.size());
    for (auto& [key, state] : states) {
        all.push_back(&state);
    }
    ParallelWork::elsewhere([&] {
        ParallelWork::forEach(all.size() + loads.size(), [&](std::size_t index) {
            if (index < all.size()) {
                *all[index] = LibraryState();
            } else {
                loads[index - all.size()] = FolderLoad();
            }
            return true;
        });
    });
}

// Every folder's state joined into one, in the order a load makes.
LibraryState joinedTree(const std::map<QString, LibraryState>& states, const QStringList& plainKeys,
                        const std::optional<LibraryState>& previous, const Clock& clock,
                        const QString& root, const QSet<QString>& leftOut) {
    Joined joined;
    joinItems(joined, states, previous, clock());
    joinRecords(joined, states, plainKeys, previous);

    LibraryState result = states.at(QString());
    result.library.items.clear();
    result.deleted.records.clear();
    QSet<QUuid> used;
    assignUniqueIds(joined, result, used);
    result.library.categories = joined.display;
    result.library.includeSubfolders = true;
    result.library.directoryIdentity = identity(root);
    result.library.catalogDirectories = plainKeys;
    result.library.folderSchemas = std::move(joined.schemas);
    result.library.catalogProperties = joined.display;
    result.deleted.categories = joined.deletedCategories;
    if (previous) {
        keepOrphans(result, *previous, used, leftOut);
    }
    return result;
}

LibraryState loadTree(const QString& root, const std::optional<LibraryState>& previous,
                      const Clock& clock, TreeReads& tree) {
    // Notices collected before the first look vouch for what this load finds.
    const CatalogCache::Pass pass(CatalogCache::shared(), root);
    validateMetadata(root);
    tree.mark = CatalogCache::shared().passMark();
    TreeJournal::finishPending(root);
    tree.folders = directories(root, &tree.leftOut);
    const QStringList plainKeys = plainOrder(tree.folders);
    std::vector<FolderLoad> loads = readFolders(tree.folders, plainKeys);
    std::map<QString, LibraryState> states = takeIn(loads, plainKeys, tree);
    LibraryState result = joinedTree(states, plainKeys, previous, clock, root, tree.leftOut);
    freeElsewhere(states, loads);
    return result;
}

// The items' texts copied afresh once the temporaries of the reads are gone (see load()).
void compact(LibraryState& state) {
    MediaItems packed = state.library.items.compacted();
    std::swap(state.library.items, packed);
    ParallelWork::elsewhere([&] { packed = MediaItems(); });
}

bool journalWaits(const QString& root) {
    return FileSignature::read(TreeJournal::path(root)).has_value();
}

}  // namespace

// The items' texts were made amid the temporaries of a thousand folder reads, which leave the heap
// several times the size of what stays. Copied afresh once those are gone, the texts lie together,
// and the allocator can hand the emptied pages back to the system instead of keeping them.
LibraryState load(const QString& rootPath, const std::optional<LibraryState>& previous,
                  const Clock& clock, TreeReads& tree) {
    tree = TreeReads();
    tree.root = QDir::cleanPath(rootPath);
    LibraryState result = loadTree(tree.root, previous, clock, tree);
    compact(result);
    return result;
}

struct DetachedLoad {
    QString root;
    std::shared_ptr<ChangeNotices> notices;
    std::optional<ChangeNotices::Mark> mark;
    std::map<QString, QString> folders;
    QStringList keys;
    std::vector<FolderLoad> loads;
    std::size_t taken = 0;  // the loads a load would have taken in, in plain order
    std::exception_ptr failure;
};

std::shared_ptr<DetachedLoad> beginDetachedLoad(const QString& rootPath) {
    auto load = std::make_shared<DetachedLoad>();
    load->root = QDir::cleanPath(rootPath);
    if (journalWaits(load->root)) {
        return nullptr;
    }
    load->notices = CatalogCache::shared().noticesOf(load->root);
    if (load->notices) {
        load->mark = load->notices->collect();
    }
    return load;
}

// As loadTree, with the cache's part left to takeIn: a read is vouched for as the cache would
// vouch for it within a pass that began with the notices collected.
std::optional<LibraryState> readDetached(DetachedLoad& load,
                                         const std::optional<LibraryState>& previous,
                                         const Clock& clock, TreeReads& tree) {
    tree = TreeReads();
    tree.root = load.root;
    tree.mark = load.mark;
    try {
        validateMetadata(tree.root);
        if (journalWaits(tree.root)) {
            return std::nullopt;
        }
        tree.folders = listedDirectories(tree.root, &tree.leftOut);
        load.folders = tree.folders;
        load.keys = plainOrder(tree.folders);
        load.loads = readFolders(tree.folders, load.keys);
        std::map<QString, LibraryState> states;
        for (const QString& key : std::as_const(load.keys)) {
            FolderLoad& folder = load.loads[load.taken++];
            if (folder.error) {
                std::rethrow_exception(folder.error);
            }
            CatalogCache::FolderRead& read = folder.read;
            LibraryDisk::StoredTexts& texts = read.texts;
            if ((read.trusted || (read.steady && load.mark)) && texts.catalog && texts.archive) {
                tree.reads.emplace(
                    key, ReadFolder{folder.identity, read.libraryCategories, read.deletedCategories,
                                    std::move(*texts.catalog), std::move(*texts.archive)});
            }
            states.emplace(key, std::move(read.state));
        }
        LibraryState result =
            joinedTree(states, load.keys, previous, clock, tree.root, tree.leftOut);
        states.clear();
        compact(result);
        return result;
    } catch (...) {
        load.failure = std::current_exception();
        return std::nullopt;
    }
}

void takeIn(DetachedLoad& load) {
    CatalogCache& cache = CatalogCache::shared();
    {
        const CatalogCache::Pass pass(cache, load.notices, load.mark);
        HomeCopies copies;
        for (std::size_t index = 0; index < load.taken; ++index) {
            FolderLoad& folder = load.loads[index];
            if (folder.wasRead) {
                takeHome(folder, copies);
                cache.recordRead(load.folders.at(load.keys[qsizetype(index)]), folder.read, false);
            }
        }
    }
    ParallelWork::elsewhere([&] { load.loads.clear(); });
    if (load.failure) {
        std::rethrow_exception(load.failure);
    }
}

LibraryState load(const QString& rootPath, const std::optional<LibraryState>& previous,
                  const Clock& clock) {
    LibraryState result;
    {
        TreeReads tree;
        result = load(rootPath, previous, clock, tree);
        rememberLoad(result, tree, matchingReads(result, tree));
        ParallelWork::elsewhere([&] { tree.reads.clear(); });
    }
    malloc_trim(0);
    return result;
}

void rebindRelocatedDirectory(LibraryState& state, const QString& folder) {
    if (!state.library.directoryIdentity || identity(folder) == *state.library.directoryIdentity) {
        return;
    }
    for (MediaItem& item : state.library.items) {
        validatePath(item.filename);
        if (item.filename.contains(u'/')) {
            continue;
        }
        const QString path = folder + u'/' + item.filename;
        std::optional<FileStatus> status;
        try {
            status = FileStatus::readIfExists(path);
        } catch (const Error&) {
            continue;
        }
        if (!status || !status->isRegularFile() || status->size != item.size || !status->modified ||
            !(std::abs(status->modified->secondsSince1970 - item.modified.secondsSince1970) <
              1.0)) {
            continue;
        }
        item.fileIdentity = FileDeletionValidation::identity(path, status->created);
    }
}

MediaItem prefixed(const MediaItem& item, const QString& folder,
                   const std::map<QString, QString>& mapping) {
    MediaItem result = placed(item, folder);
    result.labels = relabelled(item.labels, mapping);
    return result;
}

}  // namespace lumivex::FolderCatalog
