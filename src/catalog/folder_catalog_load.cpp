#include "catalog/folder_catalog.h"

#include "catalog/catalog_cache.h"
#include "catalog/folder_save_changes.h"
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
#include <vector>

namespace lumivex::FolderCatalog {

namespace {

QStringList plainOrder(const std::map<QString, QString>& folders) {
    QStringList keys;
    for (const auto& [key, path] : folders) {
        keys.append(key);
    }
    std::sort(keys.begin(), keys.end(), TextOrder::plainLess);
    return keys;
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
        tree.stamps.emplace(key, load.read.stamp);
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

// The folders of the last save or load of the tree at `root`, when every one of them is known as
// `current` left it, within a pass whose notices vouch for the tree: its files still the ones
// proved (read, or written and read back) and the texts they hold made from `current`'s lists at
// its tree-wide inputs. A read of such a tree gives back `current`.
std::optional<std::map<QString, QString>> knownFolders(const QString& root,
                                                       const LibraryState& current,
                                                       QSet<QString>& leftOut) {
    const std::optional<FolderSaveChanges::LastSave>& last = FolderSaveChanges::lastSave();
    CatalogCache& cache = CatalogCache::shared();
    if (!last || last->root != root || !cache.passMark()) {
        return std::nullopt;
    }
    const std::uint64_t generation = cache.generation(root, current);
    const std::uint64_t structure = cache.structureGeneration(root);
    const CatalogCache::Lists lists{current.library.items, current.deleted.records};
    for (const auto& [key, folder] : last->folders) {
        if (!cache.stillHolds(folder, generation, structure, lists)) {
            return std::nullopt;
        }
    }
    leftOut = last->leftOut;
    return last->folders;
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
    // The folders of the tree, and those left out, when each was known as the state the rescan
    // holds left it: a listing that finds the same reads nothing.
    std::optional<std::map<QString, QString>> known;
    QSet<QString> knownLeftOut;
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

std::shared_ptr<DetachedLoad> beginDetachedLoad(const QString& root, const LibraryState& current) {
    std::shared_ptr<DetachedLoad> load = beginDetachedLoad(root);
    if (load && load->mark) {
        const CatalogCache::Pass pass(CatalogCache::shared(), load->notices, load->mark);
        load->known = knownFolders(load->root, current, load->knownLeftOut);
    }
    return load;
}

bool mayStayUnread(const DetachedLoad& load) {
    return load.known.has_value();
}

void readEveryFolder(DetachedLoad& load) {
    load.known.reset();
}

// As loadTree, with the cache's part left to takeIn: a read is vouched for as the cache would
// vouch for it within a pass that began with the notices collected. A tree whose folders were all
// known reads nothing when the listing finds them again: the previous state is what it holds.
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
        if (load.known && previous && tree.folders == *load.known &&
            tree.leftOut == load.knownLeftOut) {
            tree.unread = true;
            return previous;
        }
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
            tree.stamps.emplace(key, read.stamp);
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
}  // namespace lumivex::FolderCatalog
