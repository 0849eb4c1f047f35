#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "catalog/library_disk.h"
#include "catalog/tree_journal.h"
#include "model/catalog_error.h"
#include "platform/sorted_json.h"
#include "support/test_files.h"
#include "tree_fixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace lumivex {
namespace {

using namespace test;

// A tree of more folders than the cache keeps read-back texts for between saves, each with a
// property of many options and a deleted record, so that a save meets every shortcut it has: the
// texts read back while rendering, held for the checks and the proof after the writes.
class SaveTexts : public ::testing::Test {
protected:
    static constexpr int folderCount = 12;

    void SetUp() override {
        CatalogCache::shared().clear();
        root = dir.path() + QStringLiteral("/root");
        QStringList options;
        for (int i = 0; i < 40; ++i) {
            options.append(QStringLiteral("kw-%1").arg(i));
        }
        for (int f = 0; f < folderCount; ++f) {
            Category keywords =
                property(QStringLiteral("Keywords"), PropertyKind::multiSelect, options);
            const Category rating = property(QStringLiteral("별점"), PropertyKind::rating);
            const Library library = Library::withContents(
                {rating, keywords},
                {treeItem(QStringLiteral("p.jpg"), 1, {{keywords.idText(), {options[f]}}}),
                 treeItem(QStringLiteral("q.jpg"))});
            MediaItem gone = treeItem(QStringLiteral("gone.jpg"));
            gone.available = false;
            writeFolder(folderPath(f), library,
                        DeletedArchive{{rating, keywords}, {{gone, Date{1.7e9}}}});
        }
        copy = dir.path() + QStringLiteral("/copy");
        ASSERT_EQ(std::system(
                      ("cp -a '" + root.toStdString() + "' '" + copy.toStdString() + "'").c_str()),
                  0);
    }
    void TearDown() override { CatalogCache::shared().setNowForTesting(std::nullopt); }

    QString folderPath(int f, const QString& tree = QString()) const {
        return (tree.isEmpty() ? root : tree) + QStringLiteral("/f%1").arg(f, 2, 10, QChar(u'0'));
    }
    // Every folder's files with its own identity taken out, which differs between two trees.
    std::map<int, std::string> neutralTexts(const QString& tree) const {
        std::map<int, std::string> texts;
        for (int f = 0; f < folderCount; ++f) {
            const QString path = folderPath(f, tree);
            texts[f] = QString::fromUtf8(catalogOf(path) + archiveOf(path))
                           .replace(FolderCatalog::identity(path), QString())
                           .toStdString();
        }
        return texts;
    }
    // A new value on one item of every folder, and every deleted record stamped anew.
    static void edit(LibraryState& state, const QString& value) {
        Category& keywords = state.library.categories.last();
        keywords.options.append(value);
        for (MediaItem& item : state.library.items) {
            if (item.filename.endsWith(u"/p.jpg")) {
                item.labels[keywords.idText()].append(value);
            }
        }
        for (DeletedRecord& record : state.deleted.records) {
            record.deletedAt = Date{record.deletedAt.secondsSince1970 + 60};
        }
    }

    QTemporaryDir dir;
    QString root;
    QString copy;
};

TEST_F(SaveTexts, ASaveOfManyFoldersWritesWhatASaveWithNothingRememberedWrites) {
    CatalogCache::shared().setNowForTesting(std::numeric_limits<std::int64_t>::max() / 2);
    LibraryState warm = FolderCatalog::load(root, std::nullopt);
    for (const QString& value : {QStringLiteral("first"), QStringLiteral("second")}) {
        edit(warm, value);
        FolderCatalog::save(warm, root);
    }

    CatalogCache::shared().clear();
    CatalogCache::shared().setNowForTesting(std::nullopt);
    LibraryState cold = FolderCatalog::load(copy, std::nullopt);
    edit(cold, QStringLiteral("first"));
    FolderCatalog::save(cold, copy);
    CatalogCache::shared().clear();
    cold = FolderCatalog::load(copy, std::nullopt);
    edit(cold, QStringLiteral("second"));
    FolderCatalog::save(cold, copy);

    EXPECT_EQ(neutralTexts(root), neutralTexts(copy));
    const Library written =
        Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folderPath(folderCount - 1))));
    EXPECT_TRUE(written.categories.last().options.contains(QStringLiteral("second")));

    // The same state again finds every folder as written and writes nothing.
    const QByteArray before = catalogOf(folderPath(0));
    FolderCatalog::save(warm, root);
    EXPECT_EQ(catalogOf(folderPath(0)), before);
    EXPECT_FALSE(QFile::exists(TreeJournal::path(root)));
}

// Each folder's categories as the files hold them before a save, which shapes the folder with them.
using FolderCategories = std::map<QString, std::pair<QList<Category>, QList<Category>>>;

class ShapedSave : public SaveTexts {
protected:
    void SetUp() override {
        SaveTexts::SetUp();
        CatalogCache::shared().setNowForTesting(std::numeric_limits<std::int64_t>::max() / 2);
        state = FolderCatalog::load(root, std::nullopt);
        // The first save writes every folder in the tree's form, the root, which holds no item,
        // included; the second finds them all as written and remembers so.
        FolderCatalog::save(state, root);
        FolderCatalog::save(state, root);
    }

    QStringList keys() const {
        QStringList all{QString()};
        for (int f = 0; f < folderCount; ++f) {
            all.append(QStringLiteral("f%1").arg(f, 2, 10, QChar(u'0')));
        }
        return all;
    }
    QString pathOf(const QString& key) const { return key.isEmpty() ? root : root + u'/' + key; }
    FolderCategories categoriesOnDisk() const {
        FolderCategories categories;
        for (const QString& key : keys()) {
            const LibraryState stored = LibraryDisk::loadState(pathOf(key));
            categories[key] = {stored.library.categories, stored.deleted.categories};
        }
        return categories;
    }
    std::map<QString, ino_t> inodes() const {
        std::map<QString, ino_t> result;
        for (const QString& key : keys()) {
            struct stat info {};
            ::stat(QFile::encodeName(pathOf(key) + QStringLiteral("/.lumivex/lumivex.csv")), &info);
            result[key] = info.st_ino;
        }
        return result;
    }
    // Saves `state` and returns the folders whose catalog was replaced, after checking that every
    // folder's files hold what a save that remembers nothing makes of `state` and those files.
    QStringList saveAndCheck(const char* step) {
        const FolderCategories before = categoriesOnDisk();
        const std::map<QString, ino_t> inodesBefore = inodes();
        FolderCatalog::save(state, root);
        QStringList written;
        const std::map<QString, ino_t> inodesAfter = inodes();
        for (const QString& key : keys()) {
            if (inodesAfter.at(key) != inodesBefore.at(key)) {
                written.append(key);
            }
            FolderShare share;
            for (qsizetype i = 0; i < state.library.items.size(); ++i) {
                const QString& name = state.library.items[i].filename;
                if (name.left(std::max<qsizetype>(name.lastIndexOf(u'/'), 0)) == key) {
                    share.items.push_back(i);
                }
            }
            for (qsizetype i = 0; i < state.deleted.records.size(); ++i) {
                const QString& name = state.deleted.records[i].item.filename;
                if (name.left(std::max<qsizetype>(name.lastIndexOf(u'/'), 0)) == key) {
                    share.records.push_back(i);
                }
            }
            const FolderShape shape = FolderCatalog::folderShape(
                state, key, share, before.at(key).first, before.at(key).second);
            const FolderCatalog::FolderTexts texts = FolderCatalog::folderTexts(
                state, shape, FolderCatalog::identity(pathOf(key)), share);
            EXPECT_EQ(catalogOf(pathOf(key)), texts.catalog.toUtf8())
                << step << ' ' << key.toStdString();
            EXPECT_EQ(archiveOf(pathOf(key)), texts.archive.toUtf8())
                << step << ' ' << key.toStdString();
        }
        return written;
    }
    Category& display(const QString& name) {
        return *std::find_if(state.library.categories.begin(), state.library.categories.end(),
                             [&](const Category& c) { return c.name == name; });
    }

    LibraryState state;
};

// A change of the tree's properties reaches every folder's inputs; the folders whose shape it
// leaves as it was are passed without being written, and every folder still holds exactly what a
// save with nothing remembered writes.
TEST_F(ShapedSave, TreeWideChangesRewriteExactlyTheFoldersTheyReach) {
    display(QStringLiteral("Keywords")).options.append(QStringLiteral("offered"));
    EXPECT_EQ(saveAndCheck("an option no item holds"), QStringList());

    const QString keywordsKey = display(QStringLiteral("Keywords")).idText();
    for (MediaItem& item : state.library.items) {
        if (item.filename.startsWith(u"f03/")) {
            item.labels[keywordsKey].append(QStringLiteral("offered"));
        }
    }
    display(QStringLiteral("Keywords")).options.append(QStringLiteral("another"));
    EXPECT_EQ(saveAndCheck("the option given to one folder's item"),
              QStringList{QStringLiteral("f03")});

    // A property made since the load belongs to the root, with the options it is given; once the
    // root holds it, an option no item holds stays out of the files as for any other property.
    Category made =
        property(QStringLiteral("New"), PropertyKind::multiSelect, {QStringLiteral("n1")});
    made.iconName = QStringLiteral("tag");
    state.library.categories.append(made);
    EXPECT_EQ(saveAndCheck("a new property"), QStringList{QString()});
    state.library.categories.last().options.append(QStringLiteral("n2"));
    EXPECT_EQ(saveAndCheck("an option of the new property"), QStringList());

    display(QStringLiteral("Keywords")).name = QStringLiteral("Words");
    QStringList all = keys();
    all.removeFirst();
    EXPECT_EQ(saveAndCheck("the property renamed"), all);
    EXPECT_EQ(saveAndCheck("nothing changed"), QStringList());
}

// A folder whose own schema changes between two saves, while the tree's inputs change too.
TEST_F(ShapedSave, AFolderWhoseSchemaChangedIsRewrittenWhileTheOthersArePassed) {
    state.library.folderSchemas.at(QStringLiteral("f05"))
        .properties.last()
        .options.prepend(QStringLiteral("first"));
    display(QStringLiteral("Keywords")).options.append(QStringLiteral("tree-wide"));
    EXPECT_EQ(saveAndCheck("one folder's schema"), QStringList{QStringLiteral("f05")});

    for (DeletedRecord& record : state.deleted.records) {
        if (record.item.filename.startsWith(u"f07/")) {
            record.deletedAt = Date{record.deletedAt.secondsSince1970 + 1};
        }
    }
    display(QStringLiteral("Keywords")).options.append(QStringLiteral("again"));
    saveAndCheck("one folder's deleted record");
    EXPECT_NE(QString::fromUtf8(archiveOf(pathOf(QStringLiteral("f07")))).indexOf(u"1700000001"),
              -1);
}

// Texts are read back beside each other now; one folder's texts that would not read back must
// still refuse the whole save before its journal or any folder is written.
TEST_F(SaveTexts, TextsOfOneFolderThatWouldNotReadBackRefuseTheSaveBeforeAnyWrite) {
    LibraryState state = FolderCatalog::load(root, std::nullopt);
    edit(state, QStringLiteral("new"));
    const QString last = QStringLiteral("f%1/").arg(folderCount - 1, 2, 10, QChar(u'0'));
    QUuid shared;
    for (MediaItem& item : state.library.items) {
        if (item.filename.startsWith(last)) {
            shared = shared.isNull() ? item.id : shared;
            item.id = shared;  // two rows of one identifier do not read back
        }
    }
    const std::map<int, std::string> before = neutralTexts(root);
    expectInvalidCSV([&] { FolderCatalog::save(state, root); });
    EXPECT_EQ(neutralTexts(root), before);
    EXPECT_FALSE(QFile::exists(TreeJournal::path(root)));
}

// The journals are written without going through QJsonObject; their bytes must stay those of the
// sorted JSON writer given the same objects.
TEST(SaveJournals, AreTheBytesTheSortedJsonWriterGivesTheirObjects) {
    const QStringList texts{QString(),
                            QStringLiteral("plain"),
                            QStringLiteral("\"a/b\\c\"\r\n"),
                            QString::fromUtf16(u"\x01\x1F\x7F\t\b\f"),
                            QStringLiteral("사람 😀 é"),
                            QString(QChar(0xFEFF)) + QStringLiteral("mark"),
                            QString(QChar(0xD800)) + QStringLiteral("lone"),
                            QString(QChar(0))};
    QList<FolderCatalog::Write> writes;
    QJsonArray array;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString& text = texts[i];
        const FolderCatalog::Write write{text, QStringLiteral("1:2:") + text, text + text,
                                         texts[(i + 1) % texts.size()]};
        writes.append(write);
        array.append(QJsonObject{{QStringLiteral("archive"), write.archive},
                                 {QStringLiteral("catalog"), write.catalog},
                                 {QStringLiteral("directory"), write.directory},
                                 {QStringLiteral("identity"), write.identity}});
        EXPECT_EQ(LibraryDisk::encodePendingWrite({write.catalog, write.archive}),
                  SortedJson::encode(QJsonObject{{QStringLiteral("catalog"), write.catalog},
                                                 {QStringLiteral("deleted"), write.archive}}))
            << i;
    }
    EXPECT_EQ(TreeJournal::encode(writes), SortedJson::encode(array));
    EXPECT_EQ(TreeJournal::encode({}), QByteArray("[]"));
}

}  // namespace
}  // namespace lumivex
