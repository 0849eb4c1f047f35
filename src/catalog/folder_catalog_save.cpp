#include "catalog/folder_catalog.h"

#include "catalog/catalog_cache.h"
#include "catalog/folder_planner.h"
#include "catalog/folder_save_changes.h"
#include "catalog/metadata_files.h"
#include "catalog/tree_journal.h"
#include "model/catalog_error.h"
#include "platform/atomic_file.h"
#include "platform/file_status.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <exception>
#include <memory>
#include <utility>
#include <vector>

namespace lumivex::FolderCatalog {

using namespace FolderSaveChanges;

namespace {

using Group = FolderShare;

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
        const QString folder = folderPath(root, write.directory);
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
            throw changedOutside(folderPath(root, key));
        }
    }
    if (left) {
        left->append(plan.outside);
    }
}

QStringList pathsOf(const QStringList& keys, const QString& root) {
    QStringList paths;
    for (const QString& key : keys) {
        paths.append(folderPath(root, key));
    }
    return paths;
}

// The writes, refused by a folder changed from outside since the save planned them: no folder is
// written when the last look before the writes finds it, only those written before its own turn
// when that comes later, and the save then names both parts. Either way the journal goes, so that
// its texts, made from the older copy, are never finished over the change. A folder gone meanwhile
// refuses the save alike, the others written when writing had begun.
void finishChecked(const Plan& plan, const QString& root, WriteProgress& progress) {
    std::vector<CatalogStamps::Stamp> found;
    found.reserve(size_t(plan.writes.size()));
    for (const Write& write : plan.writes) {
        found.push_back(plan.found.value(write.directory));
    }
    QStringList passed;
    const QStringList& written = progress.written;
    try {
        passed = finish(plan.writes, root, GoneFolders::refuseBeforeWriting, &found, &progress);
    } catch (const Error& error) {
        if (!isChangedOutsideRefusal(error)) {
            throw;
        }
        CatalogStamps::noteOutsideChange();
        AtomicFile::remove(TreeJournal::path(root));
        if (written.isEmpty()) {
            throw;
        }
        QStringList unwritten = progress.planned;
        unwritten.removeIf([&](const QString& key) { return written.contains(key); });
        throw partlySaved(
            pathsOf(written, root), pathsOf(unwritten, root),
            QStringLiteral("저장하는 동안 다른 프로그램이 분류 파일을 바꾸었습니다."));
    }
    // With a folder gone, the others may not have been written: the rescan that follows tells.
    for (const Write& write : plan.writes) {
        const QString folder = folderPath(root, write.directory);
        const CatalogCache::WrittenTexts& texts = plan.texts[write.directory];
        if (passed.isEmpty()) {
            CatalogStamps::wrote(folder, {texts.catalogDigest, texts.archiveDigest, true});
        } else {
            CatalogStamps::adopt(folder, std::nullopt);
        }
    }
    if (!passed.isEmpty() && written.isEmpty()) {
        throw failure(movedFolderMessage);
    }
    if (!passed.isEmpty()) {
        throw partlySaved(pathsOf(written, root), pathsOf(passed, root),
                          QStringLiteral("저장하는 동안 폴더가 이동되거나 삭제되었습니다."));
    }
}

void writeJournal(const QByteArray& journal, const QString& root) {
    MetadataFiles::makeFolder(MetadataFiles::folder(root));
    MetadataFiles::write(TreeJournal::path(root), journal);
}

}  // namespace

void save(const LibraryState& state, const QString& root) {
    save(state, root, nullptr, {});
}

void save(const LibraryState& state, const QString& rootPath, QSet<QString>* unwritable,
          const std::function<bool(const QString& key)>& mayLeaveOut, QStringList* changedOutside,
          WriteProgress* progress) {
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
            WriteProgress own;
            finishChecked(plan, root, progress ? *progress : own);
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
