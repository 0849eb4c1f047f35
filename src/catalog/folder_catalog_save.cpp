#include "catalog/folder_catalog.h"

#include "catalog/catalog_cache.h"
#include "catalog/folder_planner.h"
#include "catalog/metadata_files.h"
#include "catalog/tree_journal.h"
#include "model/catalog_error.h"
#include "platform/atomic_file.h"
#include "platform/file_status.h"
#include "platform/parallel_work.h"
#include "platform/text_order.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

namespace lumivex::FolderCatalog {

namespace {

const QString movedFolderMessage =
    QStringLiteral("파일 폴더가 이동되었습니다. 새로고침 후 다시 시도하세요.");

QStringView folderKeyOf(const QString& filename) {
    const qsizetype slash = filename.lastIndexOf(u'/');
    return slash < 0 ? QStringView() : QStringView(filename).left(slash);
}

using Group = FolderShare;
using Groups = std::map<QString, Group>;

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

// Deepest folders first, so a parent is written only after its subfolders.
template <typename Keys>
QStringList inSaveOrder(const Keys& keys) {
    struct Entry {
        qsizetype depth;
        QString key;
    };
    std::vector<Entry> entries;
    entries.reserve(keys.size());
    for (const QString& key : keys) {
        entries.push_back({QStringView(key).split(u'/', Qt::SkipEmptyParts).size(), key});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return TextOrder::plainLess(a.key, b.key); });
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.depth > b.depth; });
    QStringList ordered;
    ordered.reserve(qsizetype(entries.size()));
    for (Entry& entry : entries) {
        ordered.append(std::move(entry.key));
    }
    return ordered;
}

QStringList saveOrder(const std::map<QString, QString>& folders) {
    QStringList keys;
    keys.reserve(qsizetype(folders.size()));
    for (const auto& [key, path] : folders) {
        keys.append(key);
    }
    return inSaveOrder(keys);
}

// The grouping of the last save of a tree that finished, with the lists and folders it was made
// from. A finished save leaves a memo only for folders whose texts matched that save's share of
// the lists, so a folder none of whose items changed since can be passed without comparing them.
struct LastSave {
    QString root;
    std::map<QString, QString> folders;
    QSet<QString> leftOut;
    QStringList order;
    QStringList catalogDirectories;
    MediaItems items;
    QList<DeletedRecord> records;
    std::shared_ptr<const Groups> groups;
    // When its pass took its look at the tree, if watcher notices vouched for it.
    std::optional<ChangeNotices::Mark> mark;
    // The lists its memos point to and the tree-wide inputs they were made with. Every folder of
    // the groups but the unproven ones (skipped, written or left without a memo) had a memo on
    // them, its files proved at the mark or quiet since their own proof.
    std::shared_ptr<CatalogCache::Basis> basis;
    std::uint64_t generation = 0;
    std::uint64_t structure = 0;
    QSet<QString> unproven;
};

std::optional<LastSave>& lastSave() {
    static std::optional<LastSave> last;
    return last;
}

// A state's grouping, and the folders holding an item or record that changed since the last
// save; every folder counts as changed when there was none to go by.
struct Grouping {
    std::shared_ptr<const Groups> groups;
    std::optional<QSet<QString>> changed;
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

struct Plan {
    std::map<QString, QString> folders;
    QSet<QString> leftOut;
    QStringList order;
    Grouping grouping;
    QList<Write> writes;
    std::optional<ChangeNotices::Mark> mark;
    std::shared_ptr<CatalogCache::Basis> basis;
    std::uint64_t generation = 0;
    std::uint64_t structure = 0;
    QHash<QString, CatalogCache::FolderInputs> inputs;  // of the writes, by key
    QHash<QString, CatalogCache::WrittenTexts> texts;   // of the writes, by key
    QHash<QString, QByteArray> journalEntries;          // of the writes, by key
    QHash<QString, WriteTrial> trials;                  // of the writes, by key
    QHash<QString, CatalogStamps::Stamp> found;         // of the writes, by key
    QStringList outside;  // the folders changed from outside (FolderPlanner::changedOutside)
};

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

// When the last save left every folder but its unproven ones proved and the watcher saw the
// tree keep its shape since, the folders this save must look at, in save order: those whose share
// changed, those noticed since, and the last save's unproven ones, and when display options
// changed since, those whose memo does not vouch across such a change. Every other folder's files
// still hold what its memo says, so it is passed without a look. Nothing when that cannot be
// told and every folder must be proved.
std::optional<QStringList> foldersToProve(const Plan& plan, const LastSave& last,
                                          const QSet<QString>& skipped, const QString& root) {
    const CatalogCache& cache = CatalogCache::shared();
    if (!plan.grouping.changed || !last.basis || last.structure != plan.structure) {
        return std::nullopt;
    }
    const std::optional<QSet<QString>> noticed = cache.passNotices()->foldersNotedSince(*last.mark);
    if (!noticed) {
        return std::nullopt;
    }
    QSet<QString> keys = *plan.grouping.changed;
    keys.unite(last.unproven);
    if (last.generation != plan.generation) {
        for (const auto& [key, folder] : plan.folders) {
            if (!cache.vouchesAcrossOptions(folder, plan.structure)) {
                keys.insert(key);
            }
        }
    }
    for (const QString& folder : *noticed) {
        if (std::optional<QString> key = keyOf(folder, root)) {
            keys.insert(std::move(*key));
        }
    }
    keys.removeIf([&](const QString& key) {
        return plan.grouping.groups->count(key) == 0 || skipped.contains(key);
    });
    return inSaveOrder(keys);
}

// The memos of the folders whose share changed are dropped; every memo left on the last save's
// lists then holds for this save's equal shares too, so the lists move on at once. A save that
// fails after this leaves memos that hold for either.
void moveBasis(const Plan& plan, const LibraryState& state, LastSave& last) {
    CatalogCache& cache = CatalogCache::shared();
    for (const QString& key : *plan.grouping.changed) {
        const auto folder = plan.folders.find(key);
        if (folder != plan.folders.end()) {
            cache.forgetUnchanged(folder->second);
        }
    }
    last.basis->lists = basisOf(state)->lists;
}

Plan plannedWrites(const LibraryState& state, const QString& root, std::optional<LastSave>& last,
                   const QSet<QString>& skipped) {
    CatalogCache& cache = CatalogCache::shared();
    const CatalogCache::Pass pass(cache, root);
    Plan plan;
    plan.mark = cache.passMark();
    const bool held = sameShape(cache, root, last);
    if (held) {
        plan.folders = std::move(last->folders);
        plan.leftOut = std::move(last->leftOut);
    } else {
        cache.prefetch(root);
        plan.folders = directories(root, &plan.leftOut);
    }
    const LastSave* sameFolders =
        last && last->root == root &&
                (held || (last->folders == plan.folders && last->leftOut == plan.leftOut))
            ? &*last
            : nullptr;
    plan.order = sameFolders ? sameFolders->order : saveOrder(plan.folders);
    plan.grouping = grouping(state, plan.folders, plan.leftOut, sameFolders);
    plan.generation = cache.generation(root, state);
    plan.structure = cache.structureGeneration(root);
    std::optional<QStringList> proving =
        held ? foldersToProve(plan, *last, skipped, root) : std::nullopt;
    if (proving) {
        moveBasis(plan, state, *last);
        plan.basis = last->basis;
    } else {
        if (held) {
            cache.prefetch(root);
        }
        plan.basis = basisOf(state);
    }
    const std::optional<QSet<QString>>& changed = plan.grouping.changed;
    FolderPlanner planner(state, plan.generation, plan.structure, plan.basis);
    std::vector<const QString*> keys;
    std::vector<const QString*> folders;
    for (const QString& key : proving ? *proving : plan.order) {
        if (plan.grouping.groups->count(key) != 0 && !skipped.contains(key)) {
            keys.push_back(&key);
            folders.push_back(&plan.folders.at(key));
        }
    }
    std::vector<CatalogCache::Answer> answers = cache.knowledgeOf(folders);
    for (std::size_t index = 0; index < keys.size(); ++index) {
        const QString& key = *keys[index];
        // An unproven folder's memo, if any, may be older than the last save's lists.
        const bool mayDiffer =
            !changed || changed->contains(key) || (last && last->unproven.contains(key));
        const std::shared_ptr<const Group> share(plan.grouping.groups,
                                                 &plan.grouping.groups->at(key));
        planner.add(key, *folders[index], share, mayDiffer, std::move(answers[index]));
    }
    plan.writes = planner.writes();
    plan.inputs = planner.written();
    plan.texts = planner.takeTexts();
    plan.journalEntries = planner.takeJournalEntries();
    plan.trials = planner.takeTrials();
    plan.found = planner.takeFound();
    plan.outside = planner.changedOutside();
    return plan;
}

// The folders the save wrote, and the root whose metadata folder held its journal, are proved
// again at a mark taken after the writes, so that the next save and stamp need not read them.
// When the watcher noticed nothing else since the save's own mark, every other folder was quiet
// until then too, and the later mark becomes the save's.
void proveWrites(Plan& plan, const QString& root) {
    CatalogCache& cache = CatalogCache::shared();
    const CatalogCache::Pass pass(cache, root);
    if (!cache.passMark() || !plan.mark) {
        return;
    }
    QSet<QString> touched{root};
    bool rootWritten = false;
    std::vector<CatalogCache::Written> written;
    written.reserve(size_t(plan.writes.size()));
    for (const Write& write : plan.writes) {
        const QString folder = write.directory.isEmpty() ? root : root + u'/' + write.directory;
        const auto texts = std::as_const(plan.texts).constFind(write.directory);
        if (texts != plan.texts.cend()) {
            written.push_back({folder, &*texts, plan.inputs.value(write.directory)});
        }
        touched.insert(folder);
        rootWritten = rootWritten || write.directory.isEmpty();
    }
    cache.recordWritten(std::move(written), plan.generation);
    const bool rootProved = rootWritten || cache.reprove(root);
    const std::optional<QSet<QString>> noticed = cache.passNotices()->foldersNotedSince(*plan.mark);
    if (rootProved && noticed && touched.contains(*noticed)) {
        plan.mark = cache.passMark();
    }
}

// The tree journal of the plan's writes, of the entries encoded while rendering.
QByteArray journalOf(const Plan& plan) {
    QList<QByteArray> entries;
    entries.reserve(plan.writes.size());
    for (const Write& write : plan.writes) {
        entries.append(plan.journalEntries.value(write.directory));
    }
    return TreeJournal::joined(entries);
}

// The trials the rendering made of the plan's writes, in their order.
std::vector<WriteTrial> trialsOf(Plan& plan) {
    std::vector<WriteTrial> trials;
    trials.reserve(size_t(plan.writes.size()));
    for (const Write& write : plan.writes) {
        trials.push_back(plan.trials.take(write.directory));
    }
    return trials;
}

// Folders whose files changed from outside are left to the rescan their change brings, or
// refuse the save.
void leaveChangedOutside(const Plan& plan, const QString& root,
                         const std::function<bool(const QString& key)>& mayLeaveOut,
                         QStringList* left) {
    if (plan.outside.isEmpty()) {
        return;
    }
    CatalogStamps::noteOutsideChange();
    for (const QString& key : plan.outside) {
        if (!mayLeaveOut || !mayLeaveOut(key)) {
            throw changedOutside(key.isEmpty() ? root : root + u'/' + key);
        }
    }
    if (left) {
        left->append(plan.outside);
    }
}

// The writes, refused by a folder changed from outside since the save planned them: no folder was
// written when the check before the writes found it, only the deeper ones written before it when
// its own turn came. Either way the journal goes, so that its texts, made from the older copy,
// are never finished over the change. The writes passed over as gone are returned.
QStringList finishChecked(const Plan& plan, const QString& root) {
    std::vector<CatalogStamps::Stamp> found;
    found.reserve(size_t(plan.writes.size()));
    for (const Write& write : plan.writes) {
        found.push_back(plan.found.value(write.directory));
    }
    QStringList passed;
    try {
        passed = finish(plan.writes, root, GoneFolders::refuseBeforeWriting, &found);
    } catch (const Error& error) {
        if (isChangedOutsideRefusal(error)) {
            CatalogStamps::noteOutsideChange();
            AtomicFile::remove(TreeJournal::path(root));
        }
        throw;
    }
    // With a folder gone, the others may not have been written: the rescan that follows tells.
    for (const Write& write : plan.writes) {
        const QString folder = write.directory.isEmpty() ? root : root + u'/' + write.directory;
        const CatalogCache::WrittenTexts& texts = plan.texts[write.directory];
        if (passed.isEmpty()) {
            CatalogStamps::wrote(folder, {texts.catalogDigest, texts.archiveDigest, true});
        } else {
            CatalogStamps::adopt(folder, std::nullopt);
        }
    }
    return passed;
}

void writeJournal(const QByteArray& journal, const QString& root) {
    MetadataFiles::makeFolder(MetadataFiles::folder(root));
    MetadataFiles::write(TreeJournal::path(root), journal);
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

}  // namespace

void save(const LibraryState& state, const QString& root) {
    save(state, root, nullptr, {});
}

void save(const LibraryState& state, const QString& rootPath, QSet<QString>* unwritable,
          const std::function<bool(const QString& key)>& mayLeaveOut, QStringList* changedOutside) {
    const QString root = QDir::cleanPath(rootPath);
    const Date start = AtomicFile::fileClockNow();
    validateDirectory(root);
    validateMetadata(root);
    TreeJournal::finishPending(root);
    // Forgotten until this save finishes: a save that fails part way leaves memos that no longer
    // describe the lists it was given.
    std::optional<LastSave> last = std::exchange(lastSave(), std::nullopt);
    const QSet<QString> skipped = unwritable ? *unwritable : QSet<QString>();
    const CatalogCache::ReadBackHold hold(CatalogCache::shared());
    Plan plan = plannedWrites(state, root, last, skipped);
    leaveChangedOutside(plan, root, mayLeaveOut, changedOutside);
    QSet<QString> unproven = skipped;
    unproven.unite(QSet<QString>(plan.outside.begin(), plan.outside.end()));
    for (const Write& write : plan.writes) {
        unproven.insert(write.directory);
    }
    if (!plan.writes.isEmpty()) {
        QByteArray journal = journalOf(plan);
        std::vector<WriteTrial> trials = trialsOf(plan);
        const QStringList refused =
            tryWrites(plan.writes, trials, root, journal, unwritable != nullptr);
        if (!refused.isEmpty()) {
            leaveOut(plan.writes, refused, root, *unwritable, mayLeaveOut);
            journal = journalOf(plan);
        }
        if (!plan.writes.isEmpty()) {
            writeJournal(journal, root);
            journal.clear();
            plan.journalEntries.clear();  // a copy of the whole journal, no longer wanted
            if (!finishChecked(plan, root).isEmpty()) {
                throw failure(movedFolderMessage);
            }
            // Each folder written swept its own metadata; the journal's lives at the root.
            MetadataFiles::removeStaleTemporaries(root, start);
            proveWrites(plan, root);
        }
    }
    lastSave() = LastSave{root,
                          std::move(plan.folders),
                          std::move(plan.leftOut),
                          std::move(plan.order),
                          state.library.catalogDirectories,
                          state.library.items,
                          state.deleted.records,
                          std::move(plan.grouping.groups),
                          plan.mark,
                          std::move(plan.basis),
                          plan.generation,
                          plan.structure,
                          std::move(unproven)};
}

bool isMovedFolderRefusal(const Error& error) {
    const Error moved = failure(movedFolderMessage);
    return error.domain() == moved.domain() && error.code() == moved.code() &&
           error.description() == moved.description();
}

std::map<QString, QString> heldDirectories(const QString& root) {
    const std::optional<LastSave>& last = lastSave();
    if (sameShape(CatalogCache::shared(), QDir::cleanPath(root), last)) {
        return last->folders;
    }
    return directories(root);
}

ReadMatch matchingReads(const LibraryState& state, const TreeReads& reads) {
    ReadMatch match;
    try {
        match.groups =
            std::make_shared<const Groups>(groupByFolder(state, reads.folders, reads.leftOut));
    } catch (const Error&) {
        return match;  // a save of these lists is refused; there is nothing to pass
    }
    matchUnchangedSinceRead(state, *match.groups, reads.reads, match);
    return match;
}

void rememberLoad(const LibraryState& state, const TreeReads& reads, const ReadMatch& match) {
    for (const auto& [key, stamp] : reads.stamps) {
        CatalogStamps::adopt(reads.folders.at(key), stamp);
    }
    lastSave().reset();
    if (!match.groups) {
        return;
    }
    CatalogCache& cache = CatalogCache::shared();
    const std::uint64_t generation = cache.generation(reads.root, state);
    std::shared_ptr<CatalogCache::Basis> basis = basisOf(state);
    QSet<QString> unproven;
    for (const auto& [key, group] : *match.groups) {
        unproven.insert(key);
    }
    for (std::size_t index = 0; index < match.folders.size(); ++index) {
        const QString& key = match.folders[index];
        const std::shared_ptr<const Group> share(match.groups, &match.groups->at(key));
        cache.rememberUnchanged(reads.folders.at(key), generation,
                                {reads.reads.at(key).identity, basis, share,
                                 index < match.shapes.size() ? match.shapes[index] : nullptr,
                                 cache.structureGeneration(reads.root)});
        unproven.remove(key);
    }
    lastSave() = LastSave{reads.root,
                          reads.folders,
                          reads.leftOut,
                          saveOrder(reads.folders),
                          state.library.catalogDirectories,
                          state.library.items,
                          state.deleted.records,
                          match.groups,
                          reads.mark,
                          std::move(basis),
                          generation,
                          cache.structureGeneration(reads.root),
                          std::move(unproven)};
}

}  // namespace lumivex::FolderCatalog
