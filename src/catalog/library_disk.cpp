#include "catalog/library_disk.h"

#include "catalog/catalog_cache.h"
#include "catalog/metadata_files.h"
#include "model/csv_codec.h"
#include "model/library_json.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/sorted_json.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <system_error>

namespace lumivex::LibraryDisk {

namespace {

QString catalogPath(const QString& root) {
    return MetadataFiles::path(root, u"lumivex.csv");
}
QString deletedPath(const QString& root) {
    return MetadataFiles::path(root, u"deleted.csv");
}
QString backupPath(const QString& root) {
    return MetadataFiles::path(root, u"lumivex.backup.csv");
}

constexpr int unreadableArchiveCode = 2;
constexpr int olderCatalogDiffersCode = 3;
constexpr int corruptDataCode = 4;

Error corruptData(const QString& description) {
    return Error(MetadataFiles::errorDomain, corruptDataCode, description);
}

// The folder of the older JSON library: a Photos metadata folder named "files" kept it one
// level up.
QString olderJsonPath(const QString& root) {
    const QFileInfo folder(QDir::cleanPath(root));
    const QString owner = folder.fileName() == u"files" ? folder.path() : folder.filePath();
    return MetadataFiles::path(owner, u"library.json");
}

Library olderJsonLibrary(const QString& path) {
    Library library = LibraryJson::decode(MetadataFiles::read(path));
    if (library.version != 1) {
        throw corruptData(QStringLiteral("이전 라이브러리 파일의 버전을 읽을 수 없습니다. "
                                         "기존 파일을 보존했습니다.\n") +
                          path);
    }
    if (!library.ratingProperty()) {
        Category rating{QUuid::createUuid(),
                        QStringLiteral("별점"),
                        PropertyKind::rating,
                        {},
                        QStringLiteral("list.bullet")};
        library.categories.insert(library.categories.isEmpty() ? 0 : 1, rating);
    }
    return library;
}

DeletedArchive storedArchive(const QString& root, std::optional<QByteArray>& bytes) {
    const QString path = deletedPath(root);
    if (!MetadataFiles::exists(path)) {
        return {};
    }
    try {
        bytes = MetadataFiles::read(path);
        return DeletedArchive::fromCSV(CSVCodec::text(*bytes));
    } catch (const Error& error) {
        throw Error(MetadataFiles::errorDomain, unreadableArchiveCode,
                    QStringLiteral("삭제 기록 CSV를 읽지 못했습니다. 기존 파일을 보존했습니다.\n") +
                        path + u'\n' + error.description());
    }
}

// The catalog as load() reads it, with the bytes it parsed when it parsed a catalog file.
Library storedLibrary(const QString& root, std::optional<QByteArray>& bytes) {
    migrateCatalog(root);
    const QString catalog = catalogPath(root);
    if (!MetadataFiles::exists(catalog)) {
        return load(root);
    }
    bytes = MetadataFiles::read(catalog);
    return Library::fromCatalogCSV(CSVCodec::text(*bytes));
}

bool differsOnDisk(const QString& path, const QByteArray& bytes) {
    const std::optional<QByteArray> stored = MetadataFiles::readIfPossible(path);
    return !stored || *stored != bytes;
}

// save() with the catalog already rendered: saveState renders it to compare it anyway.
// `known` is the stored catalog when the caller has just read it; `beforeRename` goes with the
// catalog's write.
void saveRendered(const QByteArray& bytes, const QString& root,
                  const std::optional<QSet<QUuid>>& retainingBackupIDs,
                  const Library* known = nullptr, const std::function<void()>& beforeRename = {}) {
    migrateCatalog(root);
    const QString catalog = catalogPath(root);
    MetadataFiles::makeFolder(MetadataFiles::folder(root));
    if (!MetadataFiles::exists(catalog)) {
        MetadataFiles::write(catalog, bytes, beforeRename);
        return;
    }
    // Reading the stored catalog first means a catalog we cannot read is never replaced.
    Library stored = known ? *known : load(root);
    QByteArray backup;
    if (retainingBackupIDs) {
        stored.items.removeIf([&](const MediaItem& item) {
            return !item.available || !retainingBackupIDs->contains(item.id);
        });
        backup = stored.catalogCSV().toUtf8();
    } else {
        backup = MetadataFiles::read(catalog);
    }
    const QString backupFile = backupPath(root);
    MetadataFiles::makeFolder(QFileInfo(backupFile).path());
    MetadataFiles::write(backupFile, backup);
    MetadataFiles::write(catalog, bytes, beforeRename);
}

// Writes a journalled pair of texts: the deleted records first, then the catalog with its
// backup, and only then drops the journal, so a crash anywhere leaves the journal to redo it.
// The texts are written as they stand, so that what a save compares with next is what it wrote.
// `known` is the stored catalog when the caller has just read it.
void finish(const PendingWrite& write, const QString& root, const Library* known = nullptr) {
    const std::shared_ptr<const CatalogCache::ReadBack> read =
        CatalogCache::shared().readBack(write.catalog, write.deleted);
    MetadataFiles::makeFolder(MetadataFiles::folder(root));
    MetadataFiles::write(deletedPath(root), write.deleted.toUtf8());
    saveRendered(write.catalog.toUtf8(), root, read->itemIDs, known);
    AtomicFile::remove(pendingWritePath(root));
}

// A one-folder library lives in a folder of the application's own (the photo library's
// metadata), made when missing. The folders of a tree are the user's, and a save never makes one.
void makeRoot(const QString& root) {
    std::error_code failure;
    std::filesystem::create_directories(QFile::encodeName(root).toStdString(), failure);
    if (failure) {
        throw Error::fromErrno(failure.value(), root);
    }
}

}  // namespace

QString pendingWritePath(const QString& root) {
    return MetadataFiles::path(root, u"pending-write.json");
}

QByteArray encodePendingWrite(const PendingWrite& write) {
    QByteArray out;
    SortedJson::appendTextObject(out, {{"catalog", write.catalog}, {"deleted", write.deleted}});
    return out;
}

PendingWrite decodePendingWrite(const QByteArray& json) {
    const std::optional<QJsonDocument> document = SortedJson::decode(json);
    const QJsonObject object = document ? document->object() : QJsonObject();
    const QJsonValue catalog = object.value(QStringLiteral("catalog"));
    const QJsonValue deleted = object.value(QStringLiteral("deleted"));
    if (!document || !document->isObject() || !catalog.isString() || !deleted.isString() ||
        // Qt lets an escaped lone surrogate through; such a text has no UTF-8 form to write.
        !catalog.toString().isValidUtf16() || !deleted.toString().isValidUtf16()) {
        throw corruptData(
            QStringLiteral("저장하던 내용의 기록 파일(.lumivex/pending-write.json)이 "
                           "손상되어 읽지 못했습니다. 기존 파일을 보존했습니다."));
    }
    return PendingWrite{catalog.toString(), deleted.toString()};
}

LibraryState loadState(const QString& root) {
    StoredTexts texts;
    return loadState(root, &texts);
}

LibraryState loadState(const QString& root, StoredTexts* texts) {
    migrateCatalog(root);
    migrateCSV(MetadataFiles::join(root, u".deleted.csv"), deletedPath(root),
               [](const QString& text) { DeletedArchive::fromCSV(text); });
    const QString journal = pendingWritePath(root);
    if (MetadataFiles::exists(journal)) {
        const PendingWrite write = decodePendingWrite(MetadataFiles::read(journal));
        LibraryState state{Library::fromCatalogCSV(write.catalog),
                           DeletedArchive::fromCSV(write.deleted)};
        finish(write, root);
        return state;
    }
    const DeletedArchive archive = storedArchive(root, texts->archive);
    Library library = storedLibrary(root, texts->catalog);
    DeletedArchive aligned = archive.aligned(library.categories);
    return LibraryState{std::move(library), std::move(aligned)};
}

void saveState(const LibraryState& state, const QString& root) {
    makeRoot(root);
    saveState(state, root, loadState(root));
}

void saveState(const LibraryState& state, const QString& root, const LibraryState& stored) {
    saveTexts({state.library.catalogCSV(), state.deleted.csv()}, root, stored);
}

void saveTexts(const PendingWrite& write, const QString& root, const LibraryState& stored,
               const std::function<void()>& beforeRename) {
    const Date start = AtomicFile::fileClockNow();
    // Texts that would not read back must never reach the disk.
    const std::shared_ptr<const CatalogCache::ReadBack> read =
        CatalogCache::shared().readBack(write.catalog, write.deleted);
    const QByteArray catalogBytes = write.catalog.toUtf8();
    const QByteArray deletedBytes = write.deleted.toUtf8();
    const bool catalogChanged = differsOnDisk(catalogPath(root), catalogBytes);
    const bool deletedChanged = differsOnDisk(deletedPath(root), deletedBytes);
    if (catalogChanged && deletedChanged) {
        MetadataFiles::makeFolder(MetadataFiles::folder(root));
        MetadataFiles::write(pendingWritePath(root), encodePendingWrite(write));
        finish(write, root, &stored.library);
    } else if (catalogChanged) {
        saveRendered(catalogBytes, root, read->itemIDs, &stored.library, beforeRename);
    } else if (deletedChanged) {
        MetadataFiles::makeFolder(MetadataFiles::folder(root));
        MetadataFiles::write(deletedPath(root), deletedBytes, beforeRename);
    }
    if (catalogChanged || deletedChanged) {
        MetadataFiles::removeStaleTemporaries(root, start);
    }
}

Library load(const QString& root) {
    migrateCatalog(root);
    const QString catalog = catalogPath(root);
    if (MetadataFiles::exists(catalog)) {
        return Library::fromCatalogCSV(CSVCodec::text(MetadataFiles::read(catalog)));
    }
    const QString json = olderJsonPath(root);
    if (!MetadataFiles::exists(json)) {
        return Library();
    }
    return olderJsonLibrary(json);
}

void save(const Library& library, const QString& root,
          const std::optional<QSet<QUuid>>& retainingBackupIDs) {
    makeRoot(root);
    saveRendered(library.catalogCSV().toUtf8(), root, retainingBackupIDs);
}

void migrateCatalog(const QString& root) {
    const auto validate = [](const QString& text) { Library::fromCatalogCSV(text); };
    for (const auto name : {u".lumivex.csv", u"lumivex.csv"}) {
        migrateCSV(MetadataFiles::join(root, name), catalogPath(root), validate);
    }
}

void migrateCSV(const QString& source, const QString& destination,
                const std::function<void(const QString& text)>& validate) {
    if (QDir::cleanPath(source) == QDir::cleanPath(destination) || !MetadataFiles::exists(source)) {
        return;
    }
    const QByteArray bytes = MetadataFiles::read(source);
    validate(CSVCodec::text(bytes));
    if (!MetadataFiles::exists(destination)) {
        MetadataFiles::makeFolder(QFileInfo(destination).path());
        MetadataFiles::move(source, destination);
        return;
    }
    if (MetadataFiles::read(destination) != bytes) {
        throw Error(MetadataFiles::errorDomain, olderCatalogDiffersCode,
                    QStringLiteral("이전 CSV와 새 CSV의 내용이 달라 자동 이전하지 않았습니다. "
                                   "두 파일을 보존했습니다.\n") +
                        source + u'\n' + destination);
    }
    AtomicFile::remove(source);
}

}  // namespace lumivex::LibraryDisk
