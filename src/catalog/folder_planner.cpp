#include "catalog/folder_planner.h"

#include "catalog/metadata_files.h"
#include "catalog/tree_journal.h"
#include "platform/error.h"
#include "platform/parallel_work.h"
#include "platform/sha256.h"

#include <cerrno>
#include <utility>

namespace lumivex::FolderCatalog {

namespace {

bool sameInputs(const CatalogCache::FolderInputs& known, const LibraryState& state,
                const FolderShare& group) {
    if (!known.basis || !known.share || known.share->items.size() != group.items.size() ||
        known.share->records.size() != group.records.size()) {
        return false;
    }
    const CatalogCache::Lists& lists = *known.basis->lists;
    for (size_t i = 0; i < group.items.size(); ++i) {
        const MediaItem& before = lists.items[known.share->items[i]];
        const MediaItem& item = state.library.items[group.items[i]];
        if (&before != &item && !sameItem(before, item)) {
            return false;
        }
    }
    for (size_t i = 0; i < group.records.size(); ++i) {
        const DeletedRecord& before = lists.records[known.share->records[i]];
        const DeletedRecord& record = state.deleted.records[group.records[i]];
        if (before.deletedAt != record.deletedAt || !sameItem(before.item, record.item)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool sameText(const QString& a, const QString& b) {
    return (a.size() == b.size() && a.constData() == b.constData()) || a == b;
}

bool sameItem(const MediaItem& a, const MediaItem& b) {
    return a.rating == b.rating && a.id == b.id && a.size == b.size && a.kind == b.kind &&
           a.available == b.available && a.modified == b.modified && a.added == b.added &&
           a.duration == b.duration && a.capturedAt == b.capturedAt &&
           sameText(a.filename, b.filename) && sameText(a.fileIdentity, b.fileIdentity) &&
           sameText(a.notes, b.notes) && a.labels == b.labels;
}

// A folder whose memo does not vouch for its share at this save's tree-wide inputs. When the memo
// holds its share and the shape its texts were made with, the folder is shaped anew and passed
// if the shape is the same: its texts would be the very ones that matched its files. Otherwise
// its texts are rendered and compared with its files. Folders side by side.
struct FolderPlanner::Rendering {
    const QString* key;
    const QString* folder;
    QString identity;
    std::shared_ptr<const FolderShare> group;
    QList<Category> libraryCategories;
    QList<Category> deletedCategories;
    std::shared_ptr<const FolderShape> knownShape;
    std::shared_ptr<const FolderShape> shape;
    CatalogCache::WrittenTexts texts;
    QByteArray journalEntry;  // TreeJournal::encodedWrite of the folder's write
    // The device of a folder whose files the last save wrote, nothing changed since: its trial is
    // left to be made with the journal's (see tryWrites).
    std::optional<std::uint64_t> writtenDevice;
    WriteTrial trial;
    bool unchanged = false;
    std::exception_ptr failure;
    // What checking that the texts read back threw, for a folder that is to be written.
    std::exception_ptr unreadable;
    // What the process last read or wrote there, and the folder's files as found here.
    std::optional<CatalogStamps::Stamp> known;
    CatalogStamps::Stamp found;
    // The files are not the ones known: they are left as they are.
    bool outside = false;
};

// A folder to be written has its texts read back here, beside the others, rather than one by one
// when the writes are planned; the reads are held for the checks that follow. Its write is
// rehearsed here too, as soon as the size of its texts is known.
void FolderPlanner::render(const LibraryState& state, Rendering& rendering) {
    try {
        rendering.shape = std::make_shared<const FolderShape>(
            folderShape(state, *rendering.key, *rendering.group, rendering.libraryCategories,
                        rendering.deletedCategories));
        if (rendering.knownShape && *rendering.knownShape == *rendering.shape) {
            rendering.unchanged = true;
            return;
        }
        FolderTexts texts =
            folderTexts(state, *rendering.shape, rendering.identity, *rendering.group);
        const QByteArray catalogBytes = texts.catalog.toUtf8();
        const QByteArray archiveBytes = texts.archive.toUtf8();
        const QString metadata = *rendering.folder + QStringLiteral("/.lumivex/");
        const std::optional<QByteArray> catalog =
            MetadataFiles::readIfPossible(metadata + QStringLiteral("lumivex.csv"));
        const std::optional<QByteArray> archive =
            MetadataFiles::readIfPossible(metadata + QStringLiteral("deleted.csv"));
        rendering.unchanged = catalog == catalogBytes && archive == archiveBytes;
        if (rendering.unchanged) {
            return;
        }
        rendering.found =
            CatalogStamps::of(catalog ? &*catalog : nullptr, archive ? &*archive : nullptr);
        rendering.outside =
            rendering.known && CatalogStamps::differs(*rendering.known, rendering.found);
        if (rendering.outside) {
            return;
        }
        const bool exact = texts.catalog.isValidUtf16() && texts.archive.isValidUtf16();
        rendering.texts = {
            std::move(texts.catalog), std::move(texts.archive), catalogBytes, archiveBytes,
            Sha256::of(catalogBytes), Sha256::of(archiveBytes), exact};
        try {
            CatalogCache::shared().checkReadable(rendering.texts.catalog, rendering.texts.archive);
        } catch (...) {
            rendering.unreadable = std::current_exception();
            return;
        }
        rendering.journalEntry = TreeJournal::encodedWrite(
            {*rendering.key, rendering.identity, rendering.texts.catalog, rendering.texts.archive});
        const qint64 bytes = catalogBytes.size() + archiveBytes.size();
        if (rendering.writtenDevice) {
            rendering.trial.room = WriteTrial::Room{bytes, *rendering.writtenDevice};
        } else {
            rendering.trial = tryWrite(*rendering.folder, bytes);
        }
    } catch (...) {
        rendering.failure = std::current_exception();
    }
}

FolderPlanner::FolderPlanner(const LibraryState& state, std::uint64_t generation,
                             std::uint64_t structure,
                             std::shared_ptr<const CatalogCache::Basis> basis)
    : state_(state), generation_(generation), structure_(structure), basis_(std::move(basis)) {}

FolderPlanner::~FolderPlanner() = default;

void FolderPlanner::add(const QString& key, const QString& folder,
                        const std::shared_ptr<const FolderShare>& group, bool mayDiffer,
                        CatalogCache::Answer answer) {
    CatalogCache& cache = CatalogCache::shared();
    std::optional<CatalogStamps::Stamp> stamp = CatalogStamps::known(folder);
    if (answer.failure) {
        // Files that cannot be read may be half written by another program: only those the
        // process itself left so refuse the save. A linked file is refused as such.
        validateMetadata(folder);
        if (!stamp || !CatalogStamps::differs(*stamp, CatalogStamps::onDisk(folder))) {
            std::rethrow_exception(answer.failure);
        }
        cache.forgetUnchanged(folder);
        outside_.append(key);
        return;
    }
    CatalogCache::Knowledge& known = answer.knowledge;
    const std::optional<FileSignature> signature = cache.look(folder);
    if (!signature) {
        throw Error::fromErrno(ENOENT, folder);
    }
    QString folderIdentity = signature->identity();
    const bool sameShare = known.unchangedGeneration &&
                           known.unchangedInputs.identity == folderIdentity &&
                           (!mayDiffer || sameInputs(known.unchangedInputs, state_, *group));
    const std::shared_ptr<const FolderShape>& shape = known.unchangedInputs.shape;
    // Tree-wide inputs that differ only in options the folder's shape did not take leave its
    // texts as they were.
    const bool sameStructure =
        shape && !shape->takesDisplayOptions && known.unchangedInputs.structure == structure_;
    if (sameShare && (known.unchangedGeneration == generation_ || sameStructure)) {
        // The memo moves to this save's equal lists, so that the lists it held, often a whole
        // library the store has since replaced, can go.
        cache.rememberUnchanged(folder, generation_,
                                {folderIdentity, basis_, group, shape, structure_});
        return;
    }
    renderings_.push_back({&key,
                           &folder,
                           std::move(folderIdentity),
                           group,
                           std::move(known.libraryCategories),
                           std::move(known.deletedCategories),
                           sameShare ? known.unchangedInputs.shape : nullptr,
                           nullptr,
                           {},
                           {},
                           cache.writtenAndQuiet(folder),
                           {},
                           false,
                           nullptr,
                           nullptr,
                           std::move(stamp),
                           {},
                           false});
}

QList<Write> FolderPlanner::writes() {
    ParallelWork::forEach(renderings_.size(), [this](std::size_t index) {
        render(state_, renderings_[index]);
        return true;
    });
    CatalogCache& cache = CatalogCache::shared();
    QList<Write> writes;
    for (Rendering& rendering : renderings_) {
        if (rendering.failure) {
            std::rethrow_exception(rendering.failure);
        }
        if (rendering.outside) {
            cache.forgetUnchanged(*rendering.folder);
            outside_.append(*rendering.key);
            continue;
        }
        if (rendering.unchanged) {
            cache.rememberUnchanged(
                *rendering.folder, generation_,
                {rendering.identity, basis_, rendering.group, rendering.shape, structure_});
            continue;
        }
        // Whether it is written or left out, its files no longer hold what the memo says.
        cache.forgetUnchanged(*rendering.folder);
        written_.insert(*rendering.key,
                        {rendering.identity, basis_, rendering.group, rendering.shape, structure_});
        if (rendering.unreadable) {
            std::rethrow_exception(rendering.unreadable);
        }
        writes.append(Write{*rendering.key, rendering.identity, rendering.texts.catalog,
                            rendering.texts.archive});
        texts_.insert(*rendering.key, std::move(rendering.texts));
        found_.insert(*rendering.key, rendering.found);
        journalEntries_.insert(*rendering.key, std::move(rendering.journalEntry));
        trials_.insert(*rendering.key, std::move(rendering.trial));
    }
    return writes;
}

}  // namespace lumivex::FolderCatalog
