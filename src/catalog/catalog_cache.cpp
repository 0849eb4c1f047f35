#include "catalog/catalog_cache.h"

#include "catalog/folder_catalog.h"
#include "catalog/library_disk.h"
#include "catalog/metadata_files.h"
#include "model/csv_codec.h"
#include "model/file_deletion_validation.h"
#include "platform/directory_listing.h"
#include "platform/error.h"
#include "platform/file_status.h"
#include "platform/parallel_work.h"
#include "platform/sha256.h"
#include "platform/utf8.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <algorithm>
#include <cerrno>
#include <ctime>

namespace lumivex {

namespace {

std::int64_t nanoseconds(const struct statx_timestamp& stamp) {
    return static_cast<std::int64_t>(stamp.tv_sec) * 1'000'000'000 + stamp.tv_nsec;
}

// The paths whose signatures vouch for a folder's metadata: the folder and the two metadata
// folders (any entry added, removed, renamed or replaced in them moves their change time, which
// covers every name FolderCatalog::validateMetadata checks) and the two files a load reads.
const std::array<QLatin1StringView, 5> watchedPaths = {
    QLatin1StringView(""),
    QLatin1StringView("/.lumivex"),
    QLatin1StringView("/.lumivex/lumivex.csv"),
    QLatin1StringView("/.lumivex/deleted.csv"),
    QLatin1StringView("/.lumivex/tree-migration-original"),
};

// The signature of watched path `index` of the folder whose encoded path `folder` holds.
std::optional<FileSignature> readWatched(const QByteArray& folder, size_t index) {
    QByteArray path = folder;
    path.append(watchedPaths[index].data(), watchedPaths[index].size());
    return FileSignature::readEncoded(path);
}
constexpr size_t catalogIndex = 2;

// The stamp of the files a read parsed, which its signatures tell apart from absent ones.
std::optional<CatalogStamps::Stamp> stampOf(const CatalogCache::FolderRead& read, bool agreed) {
    if (!agreed) {
        return CatalogStamps::Stamp{{}, {}, false};
    }
    const LibraryDisk::StoredTexts& texts = read.texts;
    if ((!texts.catalog && read.signature[catalogIndex]) ||
        (!texts.archive && read.signature[catalogIndex + 1])) {
        return std::nullopt;
    }
    return CatalogStamps::Stamp{texts.catalog ? read.catalogDigest : QByteArray(),
                                texts.archive ? read.archiveDigest : QByteArray(), true};
}

Date dateOf(const struct statx_timestamp& stamp) {
    return {static_cast<double>(stamp.tv_sec) + static_cast<double>(stamp.tv_nsec) / 1e9};
}

}  // namespace

std::optional<FileSignature> FileSignature::read(const QString& path) {
    return readEncoded(QFile::encodeName(path));
}

std::optional<FileSignature> FileSignature::readEncoded(const QByteArray& encoded) {
    struct statx info {};
    if (statx(AT_FDCWD, encoded.constData(), AT_SYMLINK_NOFOLLOW,
              STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_CTIME |
                  STATX_BTIME,
              &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        throw Error::fromErrno(errno, Utf8::decodeValid(encoded));
    }
    return FileSignature{makedev(info.stx_dev_major, info.stx_dev_minor),
                         info.stx_ino,
                         info.stx_mode,
                         static_cast<std::int64_t>(info.stx_size),
                         nanoseconds(info.stx_mtime),
                         nanoseconds(info.stx_ctime),
                         (info.stx_mask & STATX_BTIME) != 0
                             ? std::optional<Date>(dateOf(info.stx_btime))
                             : std::nullopt,
                         info.stx_mask};
}

QString FileSignature::identity() const {
    FileStatus status;
    status.device = device;
    if (reported & STATX_INO) {
        status.inode = inode;
    }
    return FileDeletionValidation::identity(status, created);
}

CatalogCache::Pass::Pass(CatalogCache& cache, const QString& root) : cache_(cache) {
    cache_.pass_.emplace();
    if (root.isEmpty()) {
        return;
    }
    const auto found = cache_.notices_.constFind(root);
    if (found == cache_.notices_.constEnd()) {
        return;
    }
    cache_.passNotices_ = found->lock();
    if (!cache_.passNotices_) {
        cache_.notices_.remove(root);
        return;
    }
    cache_.passMark_ = cache_.passNotices_->collect();
    if (!cache_.passMark_) {
        cache_.passNotices_.reset();
    }
}

CatalogCache::Pass::Pass(CatalogCache& cache, std::shared_ptr<ChangeNotices> notices,
                         const std::optional<ChangeNotices::Mark>& mark)
    : cache_(cache) {
    cache_.pass_.emplace();
    if (notices && mark) {
        cache_.passNotices_ = std::move(notices);
        cache_.passMark_ = mark;
    }
}

CatalogCache::Pass::~Pass() {
    cache_.pass_.reset();
    cache_.prefetched_.clear();
    cache_.passNotices_.reset();
    cache_.passMark_.reset();
}

void CatalogCache::watch(const std::shared_ptr<ChangeNotices>& notices) {
    notices_.insert(notices->root(), notices);
}

std::shared_ptr<ChangeNotices> CatalogCache::noticesOf(const QString& root) const {
    const auto found = notices_.constFind(root);
    return found != notices_.constEnd() ? found->lock() : nullptr;
}

bool CatalogCache::quiet(const QString& folder, const FolderEntry& entry) const {
    return passMark_ && entry.proven && passNotices_->quietSince(folder, *entry.proven);
}

bool CatalogCache::stillKnown(const QString& folder, FolderEntry& entry) {
    if (!quiet(folder, entry) && (!entry.settled || !stillMatches(folder, entry.signature))) {
        return false;
    }
    if (passMark_) {
        entry.proven = passMark_;
    }
    return true;
}

std::optional<FileSignature> CatalogCache::look(const QString& path) {
    if (!pass_) {
        return FileSignature::read(path);
    }
    const auto known = pass_->constFind(path);
    if (known != pass_->constEnd()) {
        return *known;
    }
    std::optional<FileSignature> signature = FileSignature::read(path);
    pass_->insert(path, signature);
    return signature;
}

CatalogCache& CatalogCache::shared() {
    static CatalogCache cache;
    return cache;
}

std::int64_t CatalogCache::now() const {
    if (fixedNow_) {
        return *fixedNow_;
    }
    struct timespec time {};
    clock_gettime(CLOCK_REALTIME, &time);
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

bool FileSignature::settledAt(std::int64_t readAt) const {
    return readAt - std::max(modifiedNanoseconds, changedNanoseconds) >=
           CatalogCache::settleNanoseconds;
}

bool CatalogCache::settled(const Signature& signature, std::int64_t readAt) {
    return std::all_of(signature.begin(), signature.end(),
                       [&](const auto& file) { return !file || file->settledAt(readAt); });
}

// Read afresh, even within a pass: the caller is about to read or has just read the files.
CatalogCache::Signature CatalogCache::signatureOf(const QString& folder) {
    Signature signature;
    signature.reserve(watchedPaths.size());
    for (const QLatin1StringView path : watchedPaths) {
        signature.push_back(FileSignature::read(folder + path));
    }
    return signature;
}

// An unchanged folder vouches that an entry it did not hold is still missing (adding one would
// have moved the folder's times), so below the folder only the entries that exist are examined.
// Each watched path lies in the one before it or in ".lumivex", which is examined when present.
bool CatalogCache::stillMatches(const QString& folder, const Signature& known) {
    if (look(folder) != known[0]) {
        return false;
    }
    const auto seen = prefetched_.constFind(folder);
    if (seen != prefetched_.constEnd()) {
        for (size_t index = 1; index < watchedPaths.size(); ++index) {
            if (known[index] && (*seen)[index] != known[index]) {
                return false;
            }
        }
        return true;
    }
    ++folderLooks_;
    const QByteArray path = QFile::encodeName(folder);
    for (size_t index = 1; index < watchedPaths.size(); ++index) {
        if (known[index] && readWatched(path, index) != known[index]) {
            return false;
        }
    }
    return true;
}

void CatalogCache::prefetch(const QString& root) {
    struct Look {
        QString folder;
        const Signature* known = nullptr;
        Signature seen;
        bool failed = false;
    };
    std::vector<Look> looks;
    const QString below = root + u'/';
    for (auto entry = folders_.constBegin(); entry != folders_.constEnd(); ++entry) {
        if (entry.key() != root && !entry.key().startsWith(below)) {
            continue;
        }
        if (quiet(entry.key(), *entry) && pass_ && !pass_->contains(entry.key())) {
            pass_->insert(entry.key(), entry->signature.front());
        } else {
            looks.push_back({entry.key(), &entry->signature, {}, false});
        }
    }
    folderLooks_ += looks.size();
    // Errors are left for the look one by one to meet, at the point where it would meet them.
    ParallelWork::forEach(looks.size(), [&](std::size_t index) {
        Look& look = looks[index];
        look.seen.resize(watchedPaths.size());
        const QByteArray path = QFile::encodeName(look.folder);
        try {
            for (size_t at = 0; at < watchedPaths.size(); ++at) {
                if (at == 0 || (*look.known)[at]) {
                    look.seen[at] = readWatched(path, at);
                }
            }
        } catch (...) {
            look.failed = true;
        }
        return true;
    });
    for (Look& look : looks) {
        if (!look.failed && pass_ && !pass_->contains(look.folder)) {
            pass_->insert(look.folder, look.seen.front());
            prefetched_.insert(look.folder, std::move(look.seen));
        }
    }
}

void CatalogCache::remember(const QString& folder, const Signature& signature) {
    if (pass_) {
        pass_->insert(folder, signature.front());
    }
}

QStringList CatalogCache::subfolders(const QString& folder) {
    const std::int64_t readAt = now();
    const std::optional<FileSignature> before = look(folder);
    if (!before) {
        throw Error::fromErrno(ENOENT, folder);
    }
    const auto known = listings_.constFind(folder);
    if (known != listings_.constEnd() && known->signature == *before) {
        return known->subfolders;
    }
    const QStringList names = DirectoryListing::subfolders(folder);
    const std::optional<FileSignature> after = FileSignature::read(folder);
    if (pass_) {
        pass_->insert(folder, after);
    }
    if (after == before && settled({after}, readAt)) {
        listings_.insert(folder, {*after, names});
    } else {
        listings_.remove(folder);
    }
    return names;
}

LibraryState CatalogCache::loadFolder(const QString& folder) {
    FolderRead read = readFolder(folder);
    recordRead(folder, read, true);
    return std::move(read.state);
}

CatalogCache::FolderRead CatalogCache::readFolder(const QString& folder) const {
    const std::int64_t readAt = now();
    const Signature before = signatureOf(folder);
    FolderCatalog::validateMetadata(folder);
    FolderRead read;
    read.state = LibraryDisk::loadState(folder, &read.texts);
    read.libraryCategories = read.state.library.categories;
    read.deletedCategories = read.state.deleted.categories;
    read.signature = signatureOf(folder);
    const bool agreed = read.signature == before;
    read.steady = agreed && read.signature[catalogIndex];
    read.trusted = read.steady && settled(read.signature, readAt);
    // Hashed here, on the reading thread, so that the first undo fingerprint after a load need
    // not read every catalog again.
    if (agreed) {
        if (read.texts.catalog) {
            read.catalogDigest = Sha256::of(*read.texts.catalog);
        }
        if (read.texts.archive) {
            read.archiveDigest = Sha256::of(*read.texts.archive);
        }
    }
    read.stamp = stampOf(read, agreed);
    if (!read.steady) {
        read.texts = {};
    }
    return read;
}

QByteArray CatalogCache::digestOf(const QString& path, const FileSignature& signature) const {
    static const QString catalogName = QStringLiteral("/.lumivex/lumivex.csv");
    static const QString archiveName = QStringLiteral("/.lumivex/deleted.csv");
    const bool catalog = path.endsWith(catalogName);
    if (!catalog && !path.endsWith(archiveName)) {
        return {};
    }
    const QString folder = path.chopped((catalog ? catalogName : archiveName).size());
    const auto entry = folders_.constFind(folder);
    if (entry == folders_.constEnd() || !(entry->settled || quiet(folder, *entry))) {
        return {};
    }
    const std::optional<FileSignature>& known = entry->signature[catalog ? catalogIndex : 3];
    if (!known || *known != signature) {
        return {};
    }
    return catalog ? entry->catalogDigest : entry->archiveDigest;
}

bool CatalogCache::vouchesFor(const FolderRead& read) const {
    return read.trusted || (read.steady && passMark_);
}

void CatalogCache::recordRead(const QString& folder, const FolderRead& read, bool keepMemo) {
    ++folderReads_;
    prefetched_.remove(folder);
    remember(folder, read.signature);
    if (!vouchesFor(read)) {
        folders_.remove(folder);
        return;
    }
    // Texts that matched the files still match them while the files stay as they were.
    std::optional<Memo> memo;
    const auto known = folders_.constFind(folder);
    // An entry not settled may equal a later change of the same instant.
    if (keepMemo && known != folders_.constEnd() && known->settled && read.trusted &&
        known->signature == read.signature) {
        memo = known->memo;
    }
    folders_.insert(folder, {read.signature, read.libraryCategories, read.deletedCategories, memo,
                             passMark_, read.trusted, read.catalogDigest, read.archiveDigest});
}

namespace {

// What reading a written folder back found: the signatures around the read, and the property
// lists of the files as a read parses them.
struct WrittenProof {
    CatalogCache::Signature signature;
    QList<Category> libraryCategories;
    QList<Category> deletedCategories;
};

}  // namespace

// The files are read as a load reads them, but only compared: what they hold is known. The reads
// touch nothing of the cache but its parsed read-backs, which writes side by side may share.
void CatalogCache::recordWritten(std::vector<Written> written, std::uint64_t generation) {
    for (const Written& folder : written) {
        folders_.remove(folder.folder);
    }
    if (!passMark_) {
        return;
    }
    std::vector<std::optional<WrittenProof>> proofs(written.size());
    ParallelWork::forEach(written.size(), [&](std::size_t index) {
        const QString& folder = written[index].folder;
        const WrittenTexts& texts = *written[index].texts;
        try {
            const Signature before = signatureOf(folder);
            FolderCatalog::validateMetadata(folder);
            const QString metadata = folder + QStringLiteral("/.lumivex/");
            if (FileSignature::read(metadata + QStringLiteral("pending-write.json")) ||
                MetadataFiles::readIfPossible(metadata + QStringLiteral("lumivex.csv")) !=
                    texts.catalogBytes ||
                MetadataFiles::readIfPossible(metadata + QStringLiteral("deleted.csv")) !=
                    texts.archiveBytes ||
                signatureOf(folder) != before) {
                return true;
            }
            // As a read decodes the bytes, which a text with no UTF-8 form would not survive.
            const std::shared_ptr<const ReadBack> read =
                texts.exact ? readBack(texts.catalog, texts.archive)
                            : readBack(CSVCodec::text(texts.catalogBytes),
                                       CSVCodec::text(texts.archiveBytes));
            proofs[index] = WrittenProof{before, read->categories,
                                         read->archive.aligned(read->categories).categories};
        } catch (...) {
            proofs[index].reset();  // left unproved: the next save reads the folder
        }
        return true;
    });
    for (std::size_t index = 0; index < written.size(); ++index) {
        if (!proofs[index]) {
            continue;
        }
        const WrittenTexts& texts = *written[index].texts;
        WrittenProof& proof = *proofs[index];
        folders_.insert(
            written[index].folder,
            {std::move(proof.signature), std::move(proof.libraryCategories),
             std::move(proof.deletedCategories), Memo{generation, std::move(written[index].inputs)},
             passMark_, false, texts.catalogDigest, texts.archiveDigest, true});
    }
}

std::optional<std::uint64_t> CatalogCache::writtenAndQuiet(const QString& folder) const {
    const auto known = folders_.constFind(folder);
    if (known == folders_.constEnd() || !known->written || !quiet(folder, *known) ||
        !known->signature[0] || !known->signature[1]) {
        return std::nullopt;
    }
    const std::uint64_t device = known->signature[0]->device;
    if (known->signature[1]->device != device) {
        return std::nullopt;
    }
    return device;
}

bool CatalogCache::reprove(const QString& folder) {
    const auto known = folders_.find(folder);
    if (!passMark_ || known == folders_.end() || known->catalogDigest.isEmpty() ||
        known->archiveDigest.isEmpty()) {
        return false;
    }
    try {
        const Signature before = signatureOf(folder);
        FolderCatalog::validateMetadata(folder);
        const QString metadata = folder + QStringLiteral("/.lumivex/");
        const std::optional<QByteArray> catalog =
            MetadataFiles::readIfPossible(metadata + QStringLiteral("lumivex.csv"));
        const std::optional<QByteArray> archive =
            MetadataFiles::readIfPossible(metadata + QStringLiteral("deleted.csv"));
        if (FileSignature::read(metadata + QStringLiteral("pending-write.json")) || !catalog ||
            !archive || Sha256::of(*catalog) != known->catalogDigest ||
            Sha256::of(*archive) != known->archiveDigest || signatureOf(folder) != before) {
            return false;
        }
        known->signature = before;
        known->proven = passMark_;
        known->settled = false;
        return true;
    } catch (const Error&) {
        return false;
    }
}

const CatalogCache::Signature* CatalogCache::knownSignature(const QString& folder) const {
    const auto known = folders_.constFind(folder);
    return known != folders_.constEnd() && known->settled ? &known->signature : nullptr;
}

void CatalogCache::forgetFolder(const QString& folder) {
    folders_.remove(folder);
}

void CatalogCache::clear() {
    folders_.clear();
    listings_.clear();
    trees_.clear();
    readable_.clear();
    readableOrder_.clear();
}

}  // namespace lumivex
