#include "store/metadata_undo_validation.h"

#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "platform/error.h"
#include "store/catalog_digests.h"

#include <QCryptographicHash>
#include <QStringList>

#include <sys/stat.h>
#include <algorithm>
#include <array>
#include <cerrno>
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

// Each field is its length in decimal, a zero byte and its bytes, so that no two different
// sequences of fields feed the hash the same bytes.
class FieldHash {
public:
    void add(QByteArrayView bytes) {
        hash_.addData(QByteArray::number(bytes.size()));
        hash_.addData(QByteArrayView("\0", 1));
        hash_.addData(bytes);
    }
    void add(const QString& text) { add(QByteArrayView(text.toUtf8())); }
    QString hexText() const { return QString::fromLatin1(hash_.result().toHex()); }

private:
    QCryptographicHash hash_{QCryptographicHash::Sha256};
};

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

void addMetadataFiles(FieldHash& hash, const QString& folder) {
    const QString metadata = folder + metadataFolder;
    const std::optional<FileSignature> entry = FileSignature::read(metadata);
    if (entry && !isDirectory(*entry)) {
        throw invalidFileName();
    }
    CatalogDigests::Presence present{};
    if (entry) {
        present = CatalogDigests::shared().present(metadata, *entry);
        if (present[0] || present[1]) {
            throw unreadableFile();
        }
    }
    for (size_t index = firstCatalog; index < metadataNames.size(); ++index) {
        const QLatin1StringView name = metadataNames[index];
        hash.add(QByteArrayView(name.data(), name.size()));
        const QString path = metadata + u'/' + name;
        const std::optional<FileSignature> file =
            present[index] ? FileSignature::read(path) : std::nullopt;
        if (!file) {
            hash.add(QByteArrayView());
            continue;
        }
        if (!S_ISREG(file->mode)) {
            throw invalidFileName();
        }
        hash.add(QByteArrayView(CatalogDigests::shared().digest(path, *file)));
    }
}

}  // namespace

// One look at each folder serves both the tree walk and the folder's identity.
QString persistenceStamp(const QString& root, LibrarySource source) {
    CatalogCache& cache = CatalogCache::shared();
    const CatalogCache::Pass pass(cache);
    FieldHash hash;
    for (const auto& [key, folder] : foldersInOrder(root, source)) {
        hash.add(QByteArrayView(key));
        const std::optional<FileSignature> signature = cache.look(folder);
        if (!signature) {
            throw Error::fromErrno(ENOENT, folder);
        }
        hash.add(signature->identity());
        addMetadataFiles(hash, folder);
    }
    return hash.hexText();
}

}  // namespace lumivex::MetadataUndoValidation
