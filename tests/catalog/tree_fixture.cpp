#include "tree_fixture.h"

#include "catalog/library_disk.h"
#include "model/catalog_error.h"
#include "support/test_files.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

namespace lumivex::test {

MediaItem treeItem(const QString& filename, std::int64_t rating, Labels labels) {
    MediaItem item;
    item.id = QUuid::createUuid();
    item.filename = filename;
    const QByteArray digest =
        QCryptographicHash::hash(filename.toUtf8(), QCryptographicHash::Sha256);
    item.fileIdentity = QStringLiteral("2049:%1:1700000000.0")
                            .arg(quint32(digest[0] & 0x7f) * 1000 + quint32(digest[1] & 0x7f));
    item.size = 1000;
    item.modified = Date{1700000000.0};
    item.added = Date{1700000100.0};
    item.rating = rating;
    item.labels = std::move(labels);
    return item;
}

Category property(const QString& name, PropertyKind kind, QStringList options) {
    return Category{QUuid::createUuid(), name, kind, std::move(options), std::nullopt};
}

void writeFolder(const QString& folder, const Library& library, const DeletedArchive& archive) {
    makeDirectories(folder);
    LibraryDisk::saveState({library, archive}, folder);
}

QByteArray catalogOf(const QString& folder) {
    return readFile(folder + QStringLiteral("/.lumivex/lumivex.csv"));
}
QByteArray archiveOf(const QString& folder) {
    return readFile(folder + QStringLiteral("/.lumivex/deleted.csv"));
}

void expectFolderFailure(const std::function<void()>& action, const QString& message) {
    try {
        action();
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.domain(), QStringLiteral("Lumivex.FolderCatalog"));
        EXPECT_EQ(error.code(), 1);
        EXPECT_EQ(error.description(), message);
    }
}

void expectInvalidCSV(const std::function<void()>& action) {
    try {
        action();
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_TRUE(CatalogError::isInvalidCSV(error)) << error.what();
    }
}

}  // namespace lumivex::test
