#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "catalog/library_disk.h"
#include "model/file_deletion_validation.h"
#include "platform/file_status.h"
#include "support/test_files.h"
#include "tree_fixture.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace lumivex {
namespace {

using namespace test;

class FolderCatalogLoad : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogCache::shared().clear();
        root = dir.path() + QStringLiteral("/root");
        makeDirectories(root);
    }
    QString folder(const char* key) const { return root + u'/' + QString::fromUtf8(key); }

    QTemporaryDir dir;
    QString root;
};

TEST_F(FolderCatalogLoad, ARootOnlyTreeComesBackUnchanged) {
    const Category people =
        property(QStringLiteral("사람"), PropertyKind::multiSelect, {QStringLiteral("민수")});
    Library library = Library::withContents({}, {});
    library.enforceFixedRating(std::nullopt);
    library.categories.append(people);
    library.items = {
        treeItem(QStringLiteral("b.jpg"), 3, {{people.idText(), {QStringLiteral("민수")}}}),
        treeItem(QStringLiteral("a.jpg"))};
    writeFolder(root, library);

    const LibraryState state = FolderCatalog::load(root, std::nullopt);
    EXPECT_EQ(state.library.categories, LibraryDisk::loadState(root).library.categories);
    ASSERT_EQ(state.library.items.size(), 2);
    EXPECT_EQ(state.library.items[0].filename, QStringLiteral("a.jpg"));
    EXPECT_EQ(state.library.items[1].labels, library.items[0].labels);
    EXPECT_EQ(state.library.catalogDirectories, QStringList{QString()});
    EXPECT_TRUE(state.library.includeSubfolders);
    EXPECT_EQ(state.library.directoryIdentity, FolderCatalog::identity(root));
    const FolderPropertySchema& schema = state.library.folderSchemas.at(QString());
    for (const Category& category : library.categories) {
        EXPECT_EQ(schema.displayIDs.at(category.idText()), category.idText());
    }
}

TEST_F(FolderCatalogLoad, SameNamedPropertiesMergeAndAMultipleChoiceWins) {
    const Category rootPlace =
        property(QStringLiteral("위치"), PropertyKind::singleSelect, {QStringLiteral("서울")});
    const Category subPlace = property(QStringLiteral("위치"), PropertyKind::multiSelect,
                                       {QStringLiteral("부산"), QStringLiteral("서울")});
    writeFolder(root, Library::withContents({rootPlace}, {}));
    writeFolder(folder("sub"),
                Library::withContents({subPlace},
                                      {treeItem(QStringLiteral("x.jpg"), 0,
                                                {{subPlace.idText(), {QStringLiteral("부산")}}})}));

    const LibraryState state = FolderCatalog::load(root, std::nullopt);
    const auto place =
        std::find_if(state.library.categories.begin(), state.library.categories.end(),
                     [](const Category& c) { return c.name == QStringLiteral("위치"); });
    ASSERT_NE(place, state.library.categories.end());
    EXPECT_EQ(place->id, rootPlace.id);
    EXPECT_EQ(place->kind, PropertyKind::multiSelect);
    EXPECT_EQ(place->options, (QStringList{QStringLiteral("서울"), QStringLiteral("부산")}));
    EXPECT_EQ(
        state.library.folderSchemas.at(QStringLiteral("sub")).displayIDs.at(subPlace.idText()),
        rootPlace.idText());
    ASSERT_EQ(state.library.items.size(), 1);
    EXPECT_EQ(state.library.items[0].filename, QStringLiteral("sub/x.jpg"));
    EXPECT_EQ(state.library.items[0].labels.at(rootPlace.idText()),
              QStringList{QStringLiteral("부산")});
}

TEST_F(FolderCatalogLoad, NamesEqualUnderFullCaseFoldingMergeAndEachFolderKeepsItsOwn) {
    const Category rootStreet = property(QStringLiteral("Stra\u00dfe"), PropertyKind::multiSelect);
    const Category subStreet = property(QStringLiteral("STRASSE"), PropertyKind::multiSelect);
    writeFolder(root, Library::withContents({rootStreet}, {}));
    writeFolder(folder("sub"),
                Library::withContents(
                    {subStreet}, {treeItem(QStringLiteral("x.jpg"), 0,
                                           {{subStreet.idText(), {QStringLiteral("Berlin")}}})}));

    LibraryState state = FolderCatalog::load(root, std::nullopt);
    const auto streets =
        std::count_if(state.library.categories.begin(), state.library.categories.end(),
                      [](const Category& c) { return c.kind == PropertyKind::multiSelect; });
    EXPECT_EQ(streets, 1);
    ASSERT_EQ(state.library.items.size(), 1);
    EXPECT_EQ(state.library.items[0].labels.at(rootStreet.idText()),
              QStringList{QStringLiteral("Berlin")});

    state.library.items[0].rating = 4;
    FolderCatalog::save(state, root);
    const Library sub = Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder("sub"))));
    const auto own = std::find_if(sub.categories.begin(), sub.categories.end(),
                                  [&](const Category& c) { return c.id == subStreet.id; });
    ASSERT_NE(own, sub.categories.end());
    EXPECT_EQ(own->name, QStringLiteral("STRASSE"));
    ASSERT_EQ(sub.items.size(), 1);
    EXPECT_EQ(sub.items[0].rating, 4);
    EXPECT_EQ(sub.items[0].labels.at(subStreet.idText()), QStringList{QStringLiteral("Berlin")});
}

// Folders with their own identifiers for the same properties: the values of each item and record
// come back under the merged identifiers, whichever combinations the folders hold (the same one
// in two folders, values swapped between properties, a property only one folder has).
TEST_F(FolderCatalogLoad, ValuesOfFoldersWithTheirOwnIdentifiersComeBackUnderTheMergedOnes) {
    const QString x = QStringLiteral("엄마");
    const QString y = QStringLiteral("바다");
    const auto folderWith = [&](const char* key, const QList<Labels>& combinations,
                                const Category& people, const Category& place) {
        Library library = Library::withContents({people, place}, {});
        DeletedArchive archive;
        archive.categories = library.categories;
        for (int i = 0; i < combinations.size(); ++i) {
            library.items.append(treeItem(QStringLiteral("i%1.jpg").arg(i), 0, combinations[i]));
            MediaItem gone = treeItem(QStringLiteral("gone%1.jpg").arg(i), 0, combinations[i]);
            gone.available = false;
            archive.records.append({gone, Date{1700000000.0}});
        }
        writeFolder(folder(key), library, archive);
    };
    const Category people = property(QStringLiteral("사람"), PropertyKind::multiSelect, {x, y});
    const Category place = property(QStringLiteral("장소"), PropertyKind::multiSelect, {x, y});
    const Category otherPeople =
        property(QStringLiteral("사람"), PropertyKind::multiSelect, {x, y});
    const Category otherPlace = property(QStringLiteral("장소"), PropertyKind::multiSelect, {x, y});
    const Category mood = property(QStringLiteral("기분"), PropertyKind::multiSelect, {x});
    writeFolder(root, Library::withContents({people, place}, {}));
    const auto two = [](const Category& a, const QStringList& av, const Category& b,
                        const QStringList& bv) {
        return Labels{{a.idText(), av}, {b.idText(), bv}};
    };
    folderWith("a", {two(people, {x}, place, {y}), two(people, {y}, place, {x})}, people, place);
    folderWith("b",
               {two(otherPeople, {x}, otherPlace, {y}), two(otherPeople, {y}, otherPlace, {x}),
                two(otherPeople, {x, y}, otherPlace, {x}),
                two(otherPeople, {y, x}, otherPlace, {x}), Labels{{otherPeople.idText(), {x}}}},
               otherPeople, otherPlace);
    Library withMood = Library::withContents({otherPeople, mood}, {});
    withMood.items.append(
        treeItem(QStringLiteral("m.jpg"), 0, {{otherPeople.idText(), {y}}, {mood.idText(), {x}}}));
    writeFolder(folder("c"), withMood);

    const LibraryState state = FolderCatalog::load(root, std::nullopt);
    const QString moodKey =
        state.library.folderSchemas.at(QStringLiteral("c")).displayIDs.at(mood.idText());
    QHash<QString, Labels> expected{
        {QStringLiteral("a/i0.jpg"), two(people, {x}, place, {y})},
        {QStringLiteral("a/i1.jpg"), two(people, {y}, place, {x})},
        {QStringLiteral("b/i0.jpg"), two(people, {x}, place, {y})},
        {QStringLiteral("b/i1.jpg"), two(people, {y}, place, {x})},
        {QStringLiteral("b/i2.jpg"), two(people, {x, y}, place, {x})},
        {QStringLiteral("b/i3.jpg"), two(people, {y, x}, place, {x})},
        {QStringLiteral("b/i4.jpg"), Labels{{people.idText(), {x}}}},
        {QStringLiteral("c/m.jpg"), Labels{{people.idText(), {y}}, {moodKey, {x}}}}};
    ASSERT_EQ(state.library.items.size(), expected.size());
    for (const MediaItem& item : state.library.items) {
        EXPECT_EQ(item.labels, expected.value(item.filename)) << item.filename.toStdString();
    }
    ASSERT_EQ(state.deleted.records.size(), 7);
    for (const DeletedRecord& record : state.deleted.records) {
        QString shown = record.item.filename;
        shown.replace(QStringLiteral("gone"), QStringLiteral("i"));
        EXPECT_EQ(record.item.labels, expected.value(shown)) << shown.toStdString();
    }
}

TEST_F(FolderCatalogLoad, ASubfolderCatalogWinsOverAnOlderRootCatalogAndIdsStayUnique) {
    MediaItem old = treeItem(QStringLiteral("sub/x.jpg"), 1);
    MediaItem own = treeItem(QStringLiteral("x.jpg"), 5);
    own.fileIdentity = old.fileIdentity;
    MediaItem twin = treeItem(QStringLiteral("y.jpg"), 2);
    twin.id = own.id;
    writeFolder(root, Library::withContents({}, {old, twin}));
    writeFolder(folder("sub"), Library::withContents({}, {own}));

    const LibraryState state = FolderCatalog::load(root, std::nullopt);
    ASSERT_EQ(state.library.items.size(), 2);
    EXPECT_EQ(state.library.items[0].filename, QStringLiteral("sub/x.jpg"));
    EXPECT_EQ(state.library.items[0].rating, 5);
    EXPECT_EQ(state.library.items[0].id, own.id);
    EXPECT_EQ(state.library.items[1].filename, QStringLiteral("y.jpg"));
    EXPECT_NE(state.library.items[1].id, own.id);
}

TEST_F(FolderCatalogLoad, FolderAndFileNamesBeginningWithAByteOrderMarkKeepIt) {
    const QString mark(QChar(0xFEFF));
    writeFolder(root + u'/' + mark + QStringLiteral("2024"),
                Library::withContents({}, {treeItem(mark + QStringLiteral("photo.jpg")),
                                           treeItem(QStringLiteral("photo.jpg"))}));
    const LibraryState state = FolderCatalog::load(root, std::nullopt);
    ASSERT_EQ(state.library.items.size(), 2);
    QSet<QString> names;
    for (const MediaItem& item : state.library.items) {
        names.insert(item.filename);
    }
    EXPECT_EQ(names,
              (QSet<QString>{mark + QStringLiteral("2024/") + mark + QStringLiteral("photo.jpg"),
                             mark + QStringLiteral("2024/photo.jpg")}));
}

TEST_F(FolderCatalogLoad, RowsOfAbsentFilesBecomeRecordsStampedWithTheLoadTime) {
    MediaItem gone = treeItem(QStringLiteral("gone.jpg"), 4);
    gone.available = false;
    writeFolder(root, Library::withContents({}, {gone, treeItem(QStringLiteral("here.jpg"))}));
    const LibraryState state =
        FolderCatalog::load(root, std::nullopt, [] { return Date{1800000000.0}; });
    ASSERT_EQ(state.deleted.records.size(), 1);
    EXPECT_EQ(state.deleted.records[0].item.filename, QStringLiteral("gone.jpg"));
    EXPECT_EQ(state.deleted.records[0].deletedAt, Date{1800000000.0});
    EXPECT_EQ(state.library.items.size(), 1);
}

TEST_F(FolderCatalogLoad, AMovedFolderRebindsItsItemsWhoseFilesStillMatch) {
    makeDirectories(folder("old"));
    writeFile(folder("old/same.jpg"), "0123456789");
    writeFile(folder("old/other.jpg"), "0123456789");
    MediaItem same = treeItem(QStringLiteral("same.jpg"));
    same.size = 10;
    same.modified = *FileStatus::read(folder("old/same.jpg")).modified;
    same.modified.secondsSince1970 += 0.5;
    MediaItem other = treeItem(QStringLiteral("other.jpg"));
    other.size = 10;
    other.modified = Date{same.modified.secondsSince1970 + 1.0};
    Library library = Library::withContents({}, {same, other});
    library.directoryIdentity = FolderCatalog::identity(folder("old"));
    writeFolder(folder("old"), library);
    ASSERT_EQ(std::system(("cp -a '" + folder("old").toStdString() + "' '" +
                           folder("new").toStdString() + "'")
                              .c_str()),
              0);
    LibraryState state = LibraryState{library, {}};
    FolderCatalog::rebindRelocatedDirectory(state, folder("new"));
    const QString expected = FileDeletionValidation::identity(
        folder("new/same.jpg"), FileStatus::read(folder("new/same.jpg")).created);
    EXPECT_NE(state.library.items[0].fileIdentity, same.fileIdentity);
    EXPECT_EQ(state.library.items[0].fileIdentity, expected);
    EXPECT_EQ(state.library.items[1].fileIdentity, other.fileIdentity);
}

TEST_F(FolderCatalogLoad, AnUnsafeFileNameInAnyCatalogFailsTheLoad) {
    const MediaItem item = treeItem(QStringLiteral("x.jpg"));
    for (const QString& bad :
         {QStringLiteral("../x.jpg"), QStringLiteral("a//x.jpg"), QStringLiteral(".")}) {
        MediaItem unsafe = item;
        unsafe.filename = bad;
        expectInvalidCSV([&] { FolderCatalog::prefixed(unsafe, QStringLiteral("sub"), {}); });
    }
    writeFile(folder("sub/.lumivex/lumivex.csv"),
              Library::withContents({}, {item})
                  .catalogCSV()
                  .replace(QStringLiteral("x.jpg"), QStringLiteral("../x.jpg"))
                  .toUtf8());
    expectInvalidCSV([&] { FolderCatalog::load(root, std::nullopt); });
}

TEST_F(FolderCatalogLoad, AReloadTakesBackPreviousIdentifiersAndKeepsOrphans) {
    const Category people = property(QStringLiteral("사람"), PropertyKind::multiSelect);
    writeFolder(root, Library::withContents({people}, {treeItem(QStringLiteral("a.jpg"))}));
    LibraryState previous = FolderCatalog::load(root, std::nullopt);
    Category renamedId = people;
    renamedId.id = QUuid::createUuid();
    previous.library.categories = {renamedId};
    const MediaItem orphan = treeItem(QStringLiteral("vanished/b.jpg"), 3,
                                      {{renamedId.idText(), {QStringLiteral("지수")}}});
    previous.library.items.append(orphan);

    const LibraryState state = FolderCatalog::load(root, previous);
    const auto shown =
        std::find_if(state.library.categories.begin(), state.library.categories.end(),
                     [](const Category& c) { return c.name == QStringLiteral("사람"); });
    ASSERT_NE(shown, state.library.categories.end());
    EXPECT_EQ(shown->id, renamedId.id);
    ASSERT_EQ(state.library.items.size(), 2);
    EXPECT_EQ(state.library.items[1].id, orphan.id);
    EXPECT_EQ(state.library.items[1].filename, orphan.filename);
    EXPECT_EQ(state.library.items[1].rating, 3);
}

// Folders are read side by side; the load must still fail as a reading one by one would: with
// the error of the first failing folder in plain order, having taken in only the folders before it.
TEST_F(FolderCatalogLoad, OfTwoBrokenFoldersTheFirstInPlainOrderGivesTheError) {
    QString tree;
    const std::function<void(const QString&)> brokenCatalog = [&](const QString& key) {
        writeFile(tree + u'/' + key + QStringLiteral("/.lumivex/lumivex.csv"), "\"unended\n");
    };
    const std::function<void(const QString&)> linkedCatalog = [&](const QString& key) {
        const QString path = tree + u'/' + key + QStringLiteral("/.lumivex/lumivex.csv");
        QFile::remove(path);
        EXPECT_TRUE(QFile::link(dir.path() + QStringLiteral("/elsewhere.csv"), path));
    };
    for (const bool linkFirst : {true, false}) {
        tree =
            dir.path() + (linkFirst ? QStringLiteral("/linkFirst") : QStringLiteral("/csvFirst"));
        for (int folder = 0; folder < 16; ++folder) {
            const QString key = QStringLiteral("f%1").arg(folder, 2, 10, QChar(u'0'));
            writeFolder(tree + u'/' + key,
                        Library::withContents({}, {treeItem(QStringLiteral("p.jpg"))}));
        }
        (linkFirst ? linkedCatalog : brokenCatalog)(QStringLiteral("f03"));
        (linkFirst ? brokenCatalog : linkedCatalog)(QStringLiteral("f12"));
        for (int attempt = 0; attempt < 2; ++attempt) {
            CatalogCache::shared().clear();
            const std::uint64_t before = CatalogCache::shared().folderReads();
            const auto load = [&] { FolderCatalog::load(tree, std::nullopt); };
            if (linkFirst) {
                expectFolderFailure(load, linkMessage);
            } else {
                bool failed = false;
                try {
                    load();
                } catch (const Error& error) {
                    failed = true;
                    EXPECT_NE(error.description(), linkMessage);
                }
                EXPECT_TRUE(failed);
            }
            EXPECT_EQ(CatalogCache::shared().folderReads() - before, 4U);  // the root, f00 to f02
        }
    }
}

}  // namespace
}  // namespace lumivex
