#include "store/metadata_undo_validation.h"

#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "platform/error.h"
#include "platform/parallel_work.h"
#include "store/catalog_digests.h"

#include <QCryptographicHash>
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

QString hexDigest(const QCryptographicHash& hash) {
    return QString::fromLatin1(hash.result().toHex());
}

// The folders in the order of the UTF-8 bytes of their canonically composed relative paths.
std::vector<std::pair<QByteArray, QString>> foldersInOrder(const QString& root,
                                                           LibrarySource source) {
    std::vector<std::pair<QByteArray, QString>> folders;
    if (source != LibrarySource::folder) {
        folders.emplace_back(QByteArray(), root);
        return folders;
    }
    for (const auto& [key, path] : FolderCatalog::directories(root)) {
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
    FolderFields folder{std::move(key), path,  {},          {signature, {}, {}, {}},
                        false,          false, std::nullopt};
    addField(folder.fields, folder.key);
    addField(folder.fields, signature.identity().toUtf8());
    addMetadataFiles(folder, findings);
    folder.listed = signature.settledAt(readAt);
    folder.settled = std::all_of(
        folder.signature.begin(), folder.signature.end(),
        [&](const std::optional<FileSignature>& file) { return !file || file->settledAt(readAt); });
    return folder;
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

}  // namespace

// One look at each folder serves both the tree walk and the folder's identity. The folders are
// examined side by side; the first failure in fingerprint order is the one thrown.
QString persistenceStamp(const QString& root, LibrarySource source) {
    CatalogDigests& digests = CatalogDigests::shared();
    const std::int64_t readAt = digests.now();
    CatalogCache& cache = CatalogCache::shared();
    const CatalogCache::Pass pass(cache);
    const std::shared_ptr<ChangeNotices> notices = cache.noticesOf(root);
    const std::optional<ChangeNotices::Mark> mark = notices ? notices->collect() : std::nullopt;
    struct Folder {
        QByteArray key;
        QString path;
        std::optional<FileSignature> signature;
        FolderFields fields;
        CatalogDigests::Findings findings;
        std::exception_ptr failure;
    };
    std::vector<Folder> folders;
    for (auto& [key, path] : foldersInOrder(root, source)) {
        folders.push_back({std::move(key), path, cache.look(path), {}, {}, nullptr});
    }
    ParallelWork::forEach(folders.size(), [&](std::size_t index) {
        Folder& folder = folders[index];
        try {
            if (!folder.signature) {
                throw Error::fromErrno(ENOENT, folder.path);
            }
            folder.fields = folderFields(std::move(folder.key), folder.path, *folder.signature,
                                         readAt, folder.findings);
        } catch (...) {
            folder.failure = std::current_exception();
        }
        return true;
    });
    QCryptographicHash hash(QCryptographicHash::Sha256);
    CatalogDigests::Tree tree{root, {}};
    for (Folder& folder : folders) {
        if (folder.failure) {
            std::rethrow_exception(folder.failure);
        }
        digests.learn(folder.findings);
        folder.fields.proven = mark;
        hash.addData(folder.fields.fields);
        tree.folders.push_back(std::move(folder.fields));
    }
    if (source == LibrarySource::folder) {
        digests.lastTree() = std::move(tree);
    }
    return hexDigest(hash);
}

// A folder the watcher's notices say nothing of since its fields were made, or that the cache
// still knows as the last fingerprint found it, adds those fields unread. Any other folder is
// examined afresh, unless its own signature moved or, without notices, never settled: then its
// subfolders may have changed, and the whole tree is fingerprinted afresh.
QString persistenceStampAfterSave(const QString& root, LibrarySource source) {
    CatalogDigests& digests = CatalogDigests::shared();
    std::optional<CatalogDigests::Tree>& tree = digests.lastTree();
    if (source != LibrarySource::folder || !tree || tree->root != root) {
        return persistenceStamp(root, source);
    }
    const std::shared_ptr<ChangeNotices> notices = CatalogCache::shared().noticesOf(root);
    const std::optional<ChangeNotices::Mark> mark = notices ? notices->collect() : std::nullopt;
    const std::int64_t readAt = digests.now();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (FolderFields& folder : tree->folders) {
        if (mark && folder.proven && notices->quietSince(folder.path, *folder.proven)) {
            folder.proven = mark;
        } else if (stillKnown(folder)) {
            folder.proven.reset();
        } else {
            const std::optional<FileSignature> signature = FileSignature::read(folder.path);
            const bool listedSince =
                folder.listed ||
                (mark && folder.proven && notices->entriesQuietSince(folder.path, *folder.proven));
            if (!listedSince || signature != folder.signature[0]) {
                return persistenceStamp(root, source);
            }
            CatalogDigests::Findings findings;
            folder = folderFields(folder.key, folder.path, *signature, readAt, findings);
            folder.proven = mark;
            digests.learn(findings);
        }
        hash.addData(folder.fields);
    }
    return hexDigest(hash);
}

}  // namespace lumivex::MetadataUndoValidation
