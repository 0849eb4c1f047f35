#include "catalog/folder_catalog.h"

#include "catalog/catalog_cache.h"
#include "catalog/library_disk.h"
#include "catalog/metadata_files.h"
#include "catalog/tree_journal.h"
#include "model/catalog_error.h"
#include "model/file_deletion_validation.h"
#include "platform/atomic_file.h"
#include "platform/directory_listing.h"
#include "platform/file_status.h"
#include "platform/parallel_work.h"

#include <QDir>
#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <cerrno>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace lumivex::FolderCatalog {

namespace {

const QString notAFolderMessage =
    QStringLiteral("폴더가 없거나 심볼릭 링크입니다. 기존 CSV는 보존했습니다.");
const QString linkedMetadataMessage =
    QStringLiteral("분류 파일이 심볼릭 링크여서 쓰지 않았습니다. 기존 파일은 보존했습니다.");
const QString replacedFolderMessage = QStringLiteral(
    "CSV 저장 중 폴더가 이동되거나 교체되었습니다. 분류 기록과 저장 복구 파일은 보존했습니다.");

// Every name under which a folder's metadata may live, in the order they are checked. None of
// them may be a symbolic link: a write through one would land outside the tree.
const std::array<QLatin1StringView, 15> metadataPaths = {
    QLatin1StringView(".lumivex"),
    QLatin1StringView(".lumivex.csv"),
    QLatin1StringView(".deleted.csv"),
    QLatin1StringView("lumivex.csv"),
    QLatin1StringView(".lumivex/lumivex.csv"),
    QLatin1StringView(".lumivex/deleted.csv"),
    QLatin1StringView(".lumivex/library.json"),
    QLatin1StringView(".lumivex/pending-write.json"),
    QLatin1StringView(".lumivex/folders-pending.json"),
    QLatin1StringView(".lumivex/lumivex.backup.csv"),
    QLatin1StringView(".lumivex/tree-migration-original"),
    QLatin1StringView(".lumivex/tree-migration-original/.lumivex.csv"),
    QLatin1StringView(".lumivex/tree-migration-original/.deleted.csv"),
    QLatin1StringView(".lumivex/tree-migration-original/lumivex.csv"),
    QLatin1StringView(".lumivex/tree-migration-original/deleted.csv"),
};

const QString migrationFolder = QStringLiteral(".lumivex/tree-migration-original");

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash <= 0) {
        return QStringLiteral("/");
    }
    return path.left(slash);
}

// The file number and the creation time of an identity: the device number changes whenever a
// removable drive is mounted again, so it cannot tell a replaced folder from a remounted one.
QStringView stableIdentityPart(const QString& identity) {
    const qsizetype colon = identity.indexOf(u':');
    if (colon < 0) {
        return identity;
    }
    return QStringView(identity).mid(colon + 1);
}

bool holdsTreeCatalog(const LibraryState& state) {
    const auto nested = [](const MediaItem& item) { return item.filename.contains(u'/'); };
    return std::any_of(state.library.items.begin(), state.library.items.end(), nested) ||
           std::any_of(state.deleted.records.begin(), state.deleted.records.end(),
                       [&](const DeletedRecord& record) { return nested(record.item); });
}

// A catalog written before every folder kept its own is copied once, so the first layout the
// user had can always be recovered by hand.
void keepMigrationOriginals(const QString& folder) {
    const QString copies = folder + u'/' + migrationFolder;
    MetadataFiles::makeFolder(MetadataFiles::folder(folder));
    MetadataFiles::makeFolder(copies);
    for (const QString& name : {QStringLiteral("lumivex.csv"), QStringLiteral("deleted.csv")}) {
        const QString source = folder + QStringLiteral("/.lumivex/") + name;
        const QString copy = copies + u'/' + name;
        if (FileStatus::readIfExists(source) && !FileStatus::readIfExists(copy)) {
            MetadataFiles::write(copy, MetadataFiles::read(source));
        }
    }
}

// A folder's files as the check before writing read them, and the signatures taken around that
// read (none when the files changed meanwhile), which vouch that they still hold it; with the
// stamp of the files the save was planned on, when it compares them.
struct Checked {
    LibraryState stored;
    CatalogCache::Signature signature;
    const CatalogStamps::Stamp* found = nullptr;
};

Checked validateWrite(const Write& write, const QString& root, const CatalogStamps::Stamp* found) {
    if (!write.directory.isEmpty()) {
        validatePath(write.directory);
    }
    const QString folder = folderPath(root, write.directory);
    validateAncestors(folder, root);
    if (stableIdentityPart(identity(folder)) != stableIdentityPart(write.identity)) {
        throw failure(replacedFolderMessage);
    }
    validateMetadata(folder);
    // Taken before the comparison, so that an equal signature later vouches for the files as
    // they were compared.
    const CatalogCache::Signature before = CatalogCache::signatureOf(folder);
    if (found && CatalogStamps::differs(*found, CatalogStamps::onDisk(folder))) {
        throw changedOutside(folder);
    }
    CatalogCache::shared().checkReadable(write.catalog, write.archive);
    Checked checked{LibraryDisk::loadState(folder), CatalogCache::signatureOf(folder)};
    if (checked.signature != before) {
        checked.signature.clear();
    }
    checked.found = found;
    return checked;
}

// The last look before the first write, at every folder together: one whose files changed since
// its own check refuses the save while nothing is written yet. Files whose signatures held since
// the check are the files compared there.
void compareAgain(const Write& write, const QString& root, const Checked& checked) {
    const QString folder = folderPath(root, write.directory);
    if (checked.found &&
        (checked.signature.empty() || CatalogCache::signatureOf(folder) != checked.signature) &&
        CatalogStamps::differs(*checked.found, CatalogStamps::onDisk(folder))) {
        throw changedOutside(folder);
    }
}

// The writes of deeper folders come between a folder's check and its write; its files are read
// again only when something changed them meanwhile, and are compared once more first: a change
// from outside since the check is not written over either (nor read half written). A file written
// alone is compared again right before it replaces the old one, which narrows the time a change
// can slip in to that of one comparison.
void performWrite(const Write& write, const QString& root, const Checked& checked) {
    const QString folder = folderPath(root, write.directory);
    const auto compare = [&] {
        if (checked.found &&
            CatalogStamps::differs(*checked.found, CatalogStamps::onDisk(folder))) {
            throw changedOutside(folder);
        }
    };
    compare();
    const bool unchanged =
        !checked.signature.empty() && CatalogCache::signatureOf(folder) == checked.signature;
    const LibraryState stored = unchanged ? checked.stored : LibraryDisk::loadState(folder);
    if (holdsTreeCatalog(stored)) {
        keepMigrationOriginals(folder);
    }
    LibraryDisk::saveTexts({write.catalog, write.archive}, folder, stored, compare);
}

// Runs `step` for `write` and says whether it ran; a step that failed because the write's folder
// is gone (removed, or renamed away meanwhile) did not. The root is never gone: without it there
// is no tree.
bool unlessGone(const Write& write, const QString& root, const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const Error&) {
        if (write.directory.isEmpty() ||
            FileStatus::readIfExists(folderPath(root, write.directory))) {
            throw;
        }
        return false;
    }
}

qsizetype depthOf(const QString& directory) {
    return QStringView(directory).split(u'/', Qt::SkipEmptyParts).size();
}

// What the cache knew of the folders written (or maybe written) no longer holds.
void forgetWritten(const QList<Write>& writes, const QString& root) {
    for (const Write& write : writes) {
        CatalogCache::shared().forgetFolder(folderPath(root, write.directory));
    }
}

// Where a trial of the writes into `folder`'s metadata takes place: the metadata folder, or the
// folder itself while that does not exist yet, since the save would then create it there.
QString trialTarget(const QString& folder, const QString& name) {
    const QString metadata = folder + QStringLiteral("/.lumivex");
    return FileStatus::readIfExists(metadata) ? metadata + u'/' + name : metadata;
}

bool refusedForPermissions(const Error& error) {
    const int number = error.systemErrorNumber();
    return number == EACCES || number == EPERM || number == EROFS;
}

}  // namespace

QString folderPath(const QString& root, const QString& key) {
    return key.isEmpty() ? root : root + u'/' + key;
}

void validateDirectory(const QString& path) {
    if (!FileStatus::read(path).isDirectory()) {
        throw failure(notAFolderMessage);
    }
}

namespace {

std::map<QString, QString> treeFolders(const QString& root, QSet<QString>* leftOut,
                                       const std::function<QStringList(const QString&)>& list) {
    validateDirectory(root);
    std::map<QString, QString> result{{QString(), root}};
    QList<std::pair<QString, QString>> work{{QString(), root}};
    for (qsizetype next = 0; next < work.size(); ++next) {
        const auto [key, path] = work[next];
        QStringList names;
        try {
            names = list(path);
        } catch (const Error& error) {
            if (key.isEmpty() || !DirectoryListing::refused(error)) {
                throw;
            }
            result.erase(key);
            if (leftOut) {
                leftOut->insert(key);
            }
            continue;
        }
        for (const QString& name : names) {
            const QString childKey = key.isEmpty() ? name : key + u'/' + name;
            const QString childPath = path + u'/' + name;
            result.emplace(childKey, childPath);
            work.append({childKey, childPath});
        }
    }
    return result;
}

}  // namespace

std::map<QString, QString> directories(const QString& root, QSet<QString>* leftOut) {
    return treeFolders(root, leftOut,
                       [](const QString& path) { return CatalogCache::shared().subfolders(path); });
}

// A folder that vanished is refused as the cache's listing refuses it, before it is listed.
std::map<QString, QString> listedDirectories(const QString& root, QSet<QString>* leftOut) {
    return treeFolders(root, leftOut, [](const QString& path) {
        if (!FileSignature::read(path)) {
            throw Error::fromErrno(ENOENT, path);
        }
        return DirectoryListing::subfolders(path);
    });
}

bool isLeftOut(QStringView key, const QSet<QString>& leftOut) {
    if (leftOut.isEmpty()) {
        return false;
    }
    for (qsizetype end = key.size(); end > 0; end = key.lastIndexOf(u'/', end - 1)) {
        if (leftOut.contains(key.left(end).toString())) {
            return true;
        }
    }
    return false;
}

void validateMetadata(const QString& directory) {
    for (const QLatin1StringView path : metadataPaths) {
        std::optional<FileStatus> status;
        try {
            status = FileStatus::readIfExists(directory + u'/' + path);
        } catch (const Error&) {
            continue;
        }
        if (status && status->isSymbolicLink()) {
            throw failure(linkedMetadataMessage);
        }
    }
}

// One pass over the characters, without splitting: a save checks every item's name.
void validatePath(const QString& path) {
    const char16_t* const text = QStringView(path).utf16();
    const qsizetype length = path.size();
    qsizetype start = 0;
    for (qsizetype index = 0; index <= length; ++index) {
        const char16_t c = index < length ? text[index] : u'/';
        if (c == u'\0') {
            throw CatalogError::invalidCSV();
        }
        if (c != u'/') {
            continue;
        }
        const qsizetype size = index - start;
        if (size == 0 ||
            (text[start] == u'.' && (size == 1 || (size == 2 && text[start + 1] == u'.')))) {
            throw CatalogError::invalidCSV();
        }
        start = index + 1;
    }
}

void validateAncestors(const QString& directory, const QString& root) {
    const QString top = QDir::cleanPath(root);
    // Resolved first: walking the text of "root/a/../../x" upwards would pass through root.
    QString current = QDir::cleanPath(directory);
    while (true) {
        if (current == top) {
            validateDirectory(root);
            return;
        }
        if (!FileStatus::read(current).isDirectory()) {
            throw failure(notAFolderMessage);
        }
        const QString parent = parentOf(current);
        if (parent == current) {
            throw CatalogError::invalidCSV();
        }
        current = parent;
    }
}

QString identity(const QString& path) {
    const FileStatus status = FileStatus::read(path);
    return FileDeletionValidation::identity(status, status.created);
}

void removeStaleTemporaries(const QString& root, Date before) {
    QStringList folders;
    try {
        for (const auto& [key, path] : directories(root)) {
            folders.append(key);
        }
    } catch (const Error&) {
        return;  // the open reports a tree it cannot list; the sweep has nothing to add
    }
    removeStaleTemporaries(root, folders, before);
}

void removeStaleTemporaries(const QString& root, const QStringList& folders, Date before) {
    ParallelWork::forEach(size_t(folders.size()), [&](std::size_t index) {
        const QString& key = folders[qsizetype(index)];
        MetadataFiles::removeStaleTemporaries(folderPath(root, key), before);
        return true;
    });
}

// The folders are checked, then written, side by side: each write touches only its own folder,
// and most of its time is spent waiting for the disk to flush, which several writes share. Still
// no folder is written before the deeper folders listed ahead of it (the save lists them deepest
// first), so a parent is written after its subfolders, as one by one. The first failure in the
// journal's order is thrown; folders after it may have been written meanwhile, which finishing
// the journal, left in place, does alike. A folder that is gone fails nothing: it is passed over.
QStringList finish(const QList<Write>& writes, const QString& root, GoneFolders goneFolders,
                   const std::vector<CatalogStamps::Stamp>* found, WriteProgress* progress) {
    std::vector<Checked> checked(size_t(writes.size()));
    std::vector<char> gone(size_t(writes.size()), false);
    std::vector<char> made(size_t(writes.size()), false);
    const auto reportMade = qScopeGuard([&] {
        for (qsizetype index = 0; progress && index < writes.size(); ++index) {
            progress->planned.append(writes[index].directory);
            if (made[size_t(index)]) {
                progress->written.append(writes[index].directory);
            }
        }
    });
    std::vector<std::exception_ptr> failures(size_t(writes.size()));
    // Runs `step` for the writes from `first` up to `end` side by side, except those gone.
    const auto forEachFolder = [&](qsizetype first, qsizetype end,
                                   const std::function<void(qsizetype)>& step) {
        ParallelWork::forEachWaiting(size_t(end - first), [&](std::size_t offset) {
            const qsizetype index = first + qsizetype(offset);
            try {
                if (!gone[size_t(index)]) {
                    gone[size_t(index)] = !unlessGone(writes[index], root, [&] { step(index); });
                }
            } catch (...) {
                failures[size_t(index)] = std::current_exception();
                return false;
            }
            return true;
        });
        for (const std::exception_ptr& failure : failures) {
            if (failure) {
                std::rethrow_exception(failure);
            }
        }
    };
    forEachFolder(0, writes.size(), [&](qsizetype index) {
        checked[size_t(index)] =
            validateWrite(writes[index], root, found ? &(*found)[size_t(index)] : nullptr);
    });
    if (found) {
        forEachFolder(0, writes.size(), [&](qsizetype index) {
            compareAgain(writes[index], root, checked[size_t(index)]);
        });
    }
    const bool refused = goneFolders == GoneFolders::refuseBeforeWriting &&
                         std::any_of(gone.begin(), gone.end(), [](char g) { return g; });
    try {
        for (qsizetype first = 0; !refused && first < writes.size();) {
            const qsizetype depth = depthOf(writes[first].directory);
            qsizetype end = first + 1;
            while (end < writes.size() && depthOf(writes[end].directory) == depth) {
                ++end;
            }
            forEachFolder(first, end, [&](qsizetype index) {
                performWrite(writes[index], root, checked[size_t(index)]);
                made[size_t(index)] = true;
                checked[size_t(index)] = {};  // freed beside the other writes
            });
            first = end;
        }
    } catch (...) {
        forgetWritten(writes, root);
        const auto failed =
            std::find_if(failures.begin(), failures.end(),
                         [](const std::exception_ptr& failure) { return failure != nullptr; });
        if (progress && failed != failures.end()) {
            progress->failed = writes[qsizetype(failed - failures.begin())].directory;
        }
        throw;
    }
    forgetWritten(writes, root);
    // A finished journal's files are the process's own writes too.
    for (qsizetype index = 0; !found && index < writes.size(); ++index) {
        if (gone[size_t(index)]) {
            continue;
        }
        const QByteArray catalog = writes[index].catalog.toUtf8();
        const QByteArray archive = writes[index].archive.toUtf8();
        CatalogStamps::wrote(folderPath(root, writes[index].directory),
                             CatalogStamps::of(&catalog, &archive));
    }
    AtomicFile::remove(TreeJournal::path(root));
    QStringList passed;
    for (qsizetype index = 0; index < writes.size(); ++index) {
        if (gone[size_t(index)]) {
            passed.append(writes[index].directory);
        }
    }
    return passed;
}

WriteTrial tryWrite(const QString& path, qint64 bytes) {
    // Its two texts twice: its own pending write and the files that replace its old ones.
    try {
        return {std::make_shared<AtomicFile::Trial>(
                    trialTarget(path, QStringLiteral("lumivex.csv")), 2 * bytes),
                nullptr, std::nullopt};
    } catch (...) {
        return {nullptr, std::current_exception(), std::nullopt};
    }
}

namespace {

// Makes the trials of `trials` left to be made whose room the journal's trial does not take in
// (all of them when `joinedDevice` is none), side by side, as tryWrite makes them.
void makeLeftTrials(const QList<Write>& writes, std::vector<WriteTrial>& trials,
                    const QString& root, std::optional<std::uint64_t> joinedDevice) {
    ParallelWork::forEach(trials.size(), [&](std::size_t index) {
        WriteTrial& trial = trials[index];
        if (trial.room && trial.room->device != joinedDevice) {
            trial =
                tryWrite(folderPath(root, writes[qsizetype(index)].directory), trial.room->bytes);
        }
        return true;
    });
}

void dropTrials(std::vector<WriteTrial>& trials) {
    ParallelWork::forEach(trials.size(), [&](std::size_t index) {
        trials[index].held.reset();
        return true;
    });
}

}  // namespace

// Every file the save is about to write is rehearsed before the journal commits the tree to the
// save: a folder this user may not write, a read-only file system or a disk without room refuses
// the save here, leaving no journal that could not be finished. The trials are held together, so
// the room they find is there for all of them: the folders' trials, made as their texts were
// rendered, and the journal's bytes at the root, with the room of the folders whose trials were
// left to be made when they lie on the same device. They are dropped side by side, before the
// refusals are met in order.
QStringList tryWrites(const QList<Write>& writes, std::vector<WriteTrial>& trials,
                      const QString& root, const QByteArray& journal, bool tolerant) {
    const QString journalTarget = trialTarget(root, QStringLiteral("folders-pending.json"));
    const std::optional<FileSignature> journalFolder =
        FileSignature::read(journalTarget.left(journalTarget.lastIndexOf(u'/')));
    const std::optional<std::uint64_t> device =
        journalFolder ? std::optional<std::uint64_t>(journalFolder->device) : std::nullopt;
    makeLeftTrials(writes, trials, root, device);
    qint64 joined = 0;
    for (const WriteTrial& trial : trials) {
        joined += trial.room ? 2 * trial.room->bytes : 0;
    }
    try {
        const AtomicFile::Trial journalTrial(journalTarget, journal.size() + joined);
        dropTrials(trials);
    } catch (const Error&) {
        if (joined == 0) {
            throw;
        }
        makeLeftTrials(writes, trials, root, std::nullopt);
        const AtomicFile::Trial journalTrial(journalTarget, journal.size());
        dropTrials(trials);
    }
    QStringList refused;
    for (qsizetype index = 0; index < writes.size(); ++index) {
        if (!trials[size_t(index)].refusal) {
            continue;
        }
        try {
            std::rethrow_exception(trials[size_t(index)].refusal);
        } catch (const Error& error) {
            if (!tolerant || writes[index].directory.isEmpty() || !refusedForPermissions(error)) {
                throw;
            }
            refused.append(writes[index].directory);
        }
    }
    return refused;
}

// Takes the writes of the folders the trials refused out of the plan, or refuses the save at the
// first one the caller may not leave out; every such folder is added to `unwritable` first.
void leaveOut(QList<Write>& writes, const QStringList& refused, const QString& root,
              QSet<QString>& unwritable,
              const std::function<bool(const QString& key)>& mayLeaveOut) {
    for (const QString& key : refused) {
        unwritable.insert(key);
    }
    for (const QString& key : refused) {
        if (!mayLeaveOut(key)) {
            throw unwritableFolder(root + u'/' + key);
        }
    }
    writes.removeIf([&](const Write& write) { return refused.contains(write.directory); });
}

}  // namespace lumivex::FolderCatalog
