#include "store/metadata_undo_validation.h"

#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "platform/error.h"
#include "platform/parallel_work.h"
#include "platform/sha256.h"
#include "store/catalog_digests.h"

#include <QStringList>

#include <sys/stat.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <exception>
#include <utility>
#include <vector>

namespace lumivex::MetadataUndoValidation {

namespace {

const QString metadataFolder = QStringLiteral("/.lumivex");
const auto& metadataNames = CatalogDigests::metadataNames;
constexpr size_t firstCatalog = 2;

Error invalidFileName() {
    return Error(fileReadDomain, invalidFileNameCode,
                 QStringLiteral("파일 이름이 올바르지 않아 파일을 열 수 없습니다."));
}

Error unreadableFile() {
    return Error(fileReadDomain, fileReadFailedCode, QStringLiteral("파일을 열 수 없습니다."));
}

using FolderFields = CatalogDigests::FolderFields;

// Each field is its length in decimal, a zero byte and its bytes, so that no two different
// sequences of fields feed the hash the same bytes.
void addField(QByteArray& fields, QByteArrayView bytes) {
    fields.append(QByteArray::number(bytes.size()));
    fields.append('\0');
    fields.append(bytes);
}

// The folders in the order of the UTF-8 bytes of their canonically composed relative paths. Within
// a pass whose watcher saw the tree keep its shape since the last save, that save's listing serves.
std::vector<std::pair<QByteArray, QString>> foldersInOrder(const QString& root,
                                                           LibrarySource source) {
    std::vector<std::pair<QByteArray, QString>> folders;
    if (source != LibrarySource::folder) {
        folders.emplace_back(QByteArray(), root);
        return folders;
    }
    for (const auto& [key, path] : FolderCatalog::heldDirectories(root)) {
        folders.emplace_back(key.normalized(QString::NormalizationForm_C).toUtf8(), path);
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

bool isDirectory(const FileSignature& signature) {
    return S_ISDIR(signature.mode);
}

// The four catalog fields of the metadata folder of `into.path`, with the signatures read.
void addMetadataFiles(FolderFields& into, CatalogDigests::Findings& findings) {
    const CatalogDigests& digests = CatalogDigests::shared();
    const QString metadata = into.path + metadataFolder;
    const std::optional<FileSignature> entry = FileSignature::read(metadata);
    if (entry && !isDirectory(*entry)) {
        throw invalidFileName();
    }
    into.signature[1] = entry;
    CatalogDigests::Presence present{};
    if (entry) {
        present = digests.present(metadata, *entry, findings);
        if (present[0] || present[1]) {
            throw unreadableFile();
        }
    }
    for (size_t index = firstCatalog; index < metadataNames.size(); ++index) {
        const QLatin1StringView name = metadataNames[index];
        addField(into.fields, QByteArrayView(name.data(), name.size()));
        const QString path = metadata + u'/' + name;
        const std::optional<FileSignature> file =
            present[index] ? FileSignature::read(path) : std::nullopt;
        into.signature[index] = file;
        if (!file) {
            addField(into.fields, QByteArrayView());
            continue;
        }
        if (!S_ISREG(file->mode)) {
            throw invalidFileName();
        }
        addField(into.fields, QByteArrayView(digests.digest(path, *file, findings)));
    }
}

// The six fields of one folder, read afresh after `readAt`; `signature` is the folder's own.
FolderFields folderFields(QByteArray key, const QString& path, const FileSignature& signature,
                          std::int64_t readAt, CatalogDigests::Findings& findings) {
    FolderFields folder{std::move(key), path, {}, {signature, {}, {}, {}}, false, false};
    addField(folder.fields, folder.key);
    addField(folder.fields, signature.identity().toUtf8());
    addMetadataFiles(folder, findings);
    folder.listed = signature.settledAt(readAt);
    folder.settled = std::all_of(
        folder.signature.begin(), folder.signature.end(),
        [&](const std::optional<FileSignature>& file) { return !file || file->settledAt(readAt); });
    return folder;
}

QByteArray digestOf(const QByteArray& fields) {
    return Sha256::of(fields);
}

// The fingerprint hashes the digests of the folders' fields in fingerprint order, so that a
// change of one folder costs the hash of that folder's fields and of the digests alone.
QString stampOf(const QByteArray& digests) {
    return QString::fromLatin1(digestOf(digests).toHex());
}

// Whether the catalog cache's knowledge of the folder is bound to the very signatures the
// folder's fields were made from.
bool stillKnown(const FolderFields& folder) {
    if (!folder.settled) {
        return false;
    }
    const CatalogCache::Signature* known = CatalogCache::shared().knownSignature(folder.path);
    return known && known->size() >= folder.signature.size() &&
           std::equal(folder.signature.begin(), folder.signature.end(), known->begin());
}

// The folder at `position` of the tree examined afresh, with the signature of the folder itself
// read just now.
void refresh(CatalogDigests::Tree& tree, std::size_t position, const FileSignature& signature,
             std::int64_t readAt) {
    FolderFields& folder = tree.folders[position];
    CatalogDigests::Findings findings;
    folder = folderFields(folder.key, folder.path, signature, readAt, findings);
    CatalogDigests::shared().learn(findings);
    const QByteArray digest = digestOf(folder.fields);
    std::copy(digest.begin(), digest.end(),
              tree.digests.begin() + qsizetype(position) * digest.size());
}

// The folders are looked at and examined side by side; the first failure in fingerprint order is
// the one thrown. With `byNotices`, a catalog read that was not settled counts while the watcher
// noticed nothing of its folder since, as the catalog cache's own passes count it.
QString stampTree(const QString& root, LibrarySource source, bool byNotices) {
    CatalogDigests& digests = CatalogDigests::shared();
    const std::int64_t readAt = digests.now();
    CatalogCache& cache = CatalogCache::shared();
    const CatalogCache::Pass pass(cache, byNotices ? root : QString());
    const std::shared_ptr<ChangeNotices> notices = cache.noticesOf(root);
    const std::optional<ChangeNotices::Mark> mark = byNotices ? cache.passMark()
                                                    : notices ? notices->collect()
                                                              : std::nullopt;
    struct Folder {
        QByteArray key;
        QString path;
        std::optional<FileSignature> signature;
        FolderFields fields;
        QByteArray digest;
        CatalogDigests::Findings findings;
        std::exception_ptr failure;
    };
    std::vector<Folder> folders;
    for (auto& [key, path] : foldersInOrder(root, source)) {
        folders.push_back({std::move(key), path, {}, {}, {}, {}, nullptr});
    }
    ParallelWork::forEach(folders.size(), [&](std::size_t index) {
        Folder& folder = folders[index];
        try {
            folder.signature = FileSignature::read(folder.path);
            if (!folder.signature) {
                throw Error::fromErrno(ENOENT, folder.path);
            }
            folder.fields = folderFields(std::move(folder.key), folder.path, *folder.signature,
                                         readAt, folder.findings);
            folder.digest = digestOf(folder.fields.fields);
        } catch (...) {
            folder.failure = std::current_exception();
        }
        return true;
    });
    CatalogDigests::Tree tree{root, {}, {}, {}, mark};
    for (Folder& folder : folders) {
        if (folder.failure) {
            std::rethrow_exception(folder.failure);
        }
        digests.learn(folder.findings);
        tree.digests.append(folder.digest);
        tree.positions.insert(folder.path, tree.folders.size());
        tree.folders.push_back(std::move(folder.fields));
    }
    QString stamp = stampOf(tree.digests);
    if (source == LibrarySource::folder) {
        digests.lastTree() = std::move(tree);
    }
    return stamp;
}

// While the tree kept its shape since the last fingerprint's mark, only the folders the watcher
// noticed since are examined again: the others' fields still describe them. False when the
// notices cannot tell.
bool refreshNoticed(CatalogDigests::Tree& tree, const ChangeNotices& notices, std::int64_t readAt) {
    const std::optional<QSet<QString>> noticed = notices.foldersNotedSince(*tree.mark);
    if (!noticed) {
        return false;
    }
    for (const QString& path : *noticed) {
        const auto position = tree.positions.constFind(path);
        if (position == tree.positions.constEnd()) {
            continue;  // a folder the fingerprint leaves out, such as a metadata folder's own
        }
        const std::optional<FileSignature> signature = FileSignature::read(path);
        if (!signature) {
            throw Error::fromErrno(ENOENT, path);
        }
        refresh(tree, *position, *signature, readAt);
    }
    return true;
}

// Every folder is passed on its own: quiet since the mark, or, without notices, known to the
// catalog cache as the last fingerprint found it; any other is examined afresh, so that with
// notices every folder is proved at the new mark. False when a folder's own signature moved while
// its subfolders may have changed: then the whole tree must be walked again.
bool refreshEach(CatalogDigests::Tree& tree, const ChangeNotices* notices,
                 const std::optional<ChangeNotices::Mark>& mark, std::int64_t readAt) {
    const bool noticed = mark && tree.mark;
    for (std::size_t position = 0; position < tree.folders.size(); ++position) {
        const FolderFields& folder = tree.folders[position];
        if (noticed ? notices->quietSince(folder.path, *tree.mark) : !mark && stillKnown(folder)) {
            continue;
        }
        const std::optional<FileSignature> signature = FileSignature::read(folder.path);
        const bool listedSince =
            folder.listed || (noticed && notices->entriesQuietSince(folder.path, *tree.mark));
        if (!listedSince || signature != folder.signature[0]) {
            return false;
        }
        refresh(tree, position, *signature, readAt);
    }
    return true;
}

}  // namespace

QString persistenceStamp(const QString& root, LibrarySource source) {
    return stampTree(root, source, false);
}

namespace {

// Brings the last fingerprint's fields up to date; false when the tree must be fingerprinted
// afresh. Within a pass over the tree, the catalog cache's digests of the files a save wrote
// count as they do in the stamp of a whole tree.
bool refreshAfterSave(CatalogDigests::Tree& tree, const QString& root) {
    CatalogCache& cache = CatalogCache::shared();
    const CatalogCache::Pass pass(cache, root);
    const std::shared_ptr<ChangeNotices> notices = cache.noticesOf(root);
    const std::optional<ChangeNotices::Mark> mark = cache.passMark();
    const std::int64_t readAt = CatalogDigests::shared().now();
    // Fields proved by another watcher, or by none while one watches now, are all examined again,
    // side by side and with what the catalog cache knows from the same watcher.
    const bool sameLedger = mark && tree.mark && tree.mark->ledger == mark->ledger;
    const bool refreshed =
        (sameLedger && refreshNoticed(tree, *notices, readAt)) ||
        ((sameLedger || !mark) && refreshEach(tree, notices.get(), mark, readAt));
    if (refreshed) {
        tree.mark = mark;
    }
    return refreshed;
}

}  // namespace

// Takes the last fingerprint's fields of every folder that the watcher noticed nothing of since,
// or, without notices, that the catalog cache still knows as that fingerprint found it; the
// others are examined afresh.
QString persistenceStampAfterSave(const QString& root, LibrarySource source) {
    std::optional<CatalogDigests::Tree>& tree = CatalogDigests::shared().lastTree();
    const bool byNotices = source == LibrarySource::folder;
    if (!byNotices || !tree || tree->root != root || !refreshAfterSave(*tree, root)) {
        return stampTree(root, source, byNotices);
    }
    return stampOf(tree->digests);
}

}  // namespace lumivex::MetadataUndoValidation
