#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "catalog/tree_journal.h"
#include "support/test_files.h"
#include "tree_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace lumivex {
namespace {

using namespace test;

QString at(const QTemporaryDir& dir, const char* relative) {
    return dir.path() + u'/' + QString::fromUtf8(relative);
}

TEST(FolderCatalogGuards, ListsRealSubfoldersBreadthFirstAndSkipsHiddenAndLinked) {
    QTemporaryDir dir;
    makeDirectories(at(dir, "a/b"));
    makeDirectories(at(dir, ".hidden/inner"));
    makeDirectories(at(dir, "elsewhere"));
    writeFile(at(dir, "a/photo.jpg"), "x");
    const QString root = at(dir, "root");
    makeDirectories(root + QStringLiteral("/a/b"));
    makeDirectories(root + QStringLiteral("/.lumivex"));
    makeDirectories(root + QStringLiteral("/.hidden"));
    makeSymbolicLink(at(dir, "elsewhere"), root + QStringLiteral("/linked"));
    writeFile(root + QStringLiteral("/a/photo.jpg"), "x");

    const auto folders = FolderCatalog::directories(root);
    std::vector<QString> keys;
    for (const auto& [key, path] : folders) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<QString>{QString(), QStringLiteral("a"), QStringLiteral("a/b")}));
    EXPECT_EQ(folders.at(QStringLiteral("a/b")), root + QStringLiteral("/a/b"));
}

TEST(FolderCatalogGuards, RefusesARootThatIsALinkAFileOrMissing) {
    QTemporaryDir dir;
    makeDirectories(at(dir, "real"));
    makeSymbolicLink(at(dir, "real"), at(dir, "link"));
    writeFile(at(dir, "file"), "x");
    expectFolderFailure([&] { FolderCatalog::directories(at(dir, "link")); }, notAFolderMessage);
    expectFolderFailure([&] { FolderCatalog::directories(at(dir, "file")); }, notAFolderMessage);
    try {
        FolderCatalog::directories(at(dir, "missing"));
        ADD_FAILURE() << "a missing root was listed";
    } catch (const Error& error) {
        EXPECT_EQ(error.domain(), Error::posixDomain);
    }
}

TEST(FolderCatalogGuards, ValidatePathRefusesEveryUnsafeRelativePath) {
    for (const QString& bad :
         {QString(), QStringLiteral("/a"), QStringLiteral("a/"), QStringLiteral("a//b"),
          QStringLiteral("."), QStringLiteral("a/./b"), QStringLiteral(".."),
          QStringLiteral("a/../b"), QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b")}) {
        expectInvalidCSV([&] { FolderCatalog::validatePath(bad); });
    }
    EXPECT_NO_THROW(FolderCatalog::validatePath(QStringLiteral("2024 여름/바다 사진/a.jpg")));
    EXPECT_NO_THROW(FolderCatalog::validatePath(QStringLiteral("..a/b..")));
}

TEST(FolderCatalogGuards, ValidateMetadataRefusesAnyLinkedMetadataPath) {
    QTemporaryDir dir;
    writeFile(at(dir, "target.csv"), "x");
    makeDirectories(at(dir, "folder/.lumivex"));
    EXPECT_NO_THROW(FolderCatalog::validateMetadata(at(dir, "folder")));
    makeSymbolicLink(at(dir, "target.csv"), at(dir, "folder/.lumivex/deleted.csv"));
    expectFolderFailure([&] { FolderCatalog::validateMetadata(at(dir, "folder")); }, linkMessage);

    makeDirectories(at(dir, "other"));
    makeSymbolicLink(at(dir, "folder/.lumivex"), at(dir, "other/.lumivex"));
    expectFolderFailure([&] { FolderCatalog::validateMetadata(at(dir, "other")); }, linkMessage);
}

TEST(FolderCatalogGuards, ValidateAncestorsRefusesLinksOnTheWayAndFoldersOutsideTheRoot) {
    QTemporaryDir dir;
    makeDirectories(at(dir, "root/a/b"));
    makeDirectories(at(dir, "outside/b"));
    makeSymbolicLink(at(dir, "outside"), at(dir, "root/linked"));
    EXPECT_NO_THROW(FolderCatalog::validateAncestors(at(dir, "root/a/b"), at(dir, "root")));
    expectFolderFailure(
        [&] { FolderCatalog::validateAncestors(at(dir, "root/linked/b"), at(dir, "root")); },
        notAFolderMessage);
    expectInvalidCSV(
        [&] { FolderCatalog::validateAncestors(at(dir, "outside/b"), at(dir, "root")); });
    expectInvalidCSV([&] {
        FolderCatalog::validateAncestors(at(dir, "root/a/../../outside"), at(dir, "root"));
    });
}

TEST(FolderCatalogGuards, IdentityChangesWhenAFolderIsReplaced) {
    QTemporaryDir dir;
    makeDirectories(at(dir, "a"));
    const QString before = FolderCatalog::identity(at(dir, "a"));
    EXPECT_EQ(before, FolderCatalog::identity(at(dir, "a")));
    ASSERT_TRUE(QDir(at(dir, "a")).removeRecursively());
    makeDirectories(at(dir, "keep"));
    makeDirectories(at(dir, "a"));
    EXPECT_NE(before, FolderCatalog::identity(at(dir, "a")));
}

TEST(TreeJournal, EncodesSortedCompactJsonAndRefusesAnyOtherShape) {
    const QList<FolderCatalog::Write> writes{{QStringLiteral("a/b"), QStringLiteral("1:2:3.0"),
                                              QStringLiteral("c"), QStringLiteral("d")}};
    const QByteArray bytes = TreeJournal::encode(writes);
    EXPECT_EQ(bytes, R"([{"archive":"d","catalog":"c","directory":"a\/b","identity":"1:2:3.0"}])");
    EXPECT_EQ(TreeJournal::decode(bytes, QStringLiteral("j")), writes);
    for (const char* bad :
         {R"({"directory":""})", R"([{"archive":"d","catalog":"c","directory":"a"}])",
          R"([{"archive":1,"catalog":"c","directory":"a","identity":"i"}])",
          R"([{"archive":"d","catalog":"c","directory":"a","identity":"i","x":""}])",
          R"([{"archive":"d")", "[\"a\"]",
          R"([{"archive":"\udeff","catalog":"c","directory":"a","identity":"i"}])"}) {
        EXPECT_THROW(TreeJournal::decode(bad, QStringLiteral("j")), Error) << bad;
    }
}

TEST(TreeJournal, KeepsTextsBeginningWithAByteOrderMark) {
    const QString mark(QChar(0xFEFF));
    const QList<FolderCatalog::Write> writes{
        {mark + QStringLiteral("2024"), mark + QStringLiteral("1:2:3.0"), mark, mark + mark},
        {QStringLiteral("a/") + mark, QStringLiteral("1:2:3.0"), QStringLiteral("\\") + mark,
         QStringLiteral("\"") + mark}};
    EXPECT_EQ(TreeJournal::decode(TreeJournal::encode(writes), QStringLiteral("j")), writes);
}

class FolderCatalogFinish : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogCache::shared().clear();
        root = dir.path() + QStringLiteral("/root");
        writeFolder(root, Library::withContents({}, {treeItem(QStringLiteral("r.jpg"))}));
        writeFolder(root + QStringLiteral("/a"),
                    Library::withContents({}, {treeItem(QStringLiteral("x.jpg"))}));
    }

    FolderCatalog::Write writeFor(const QString& directory, std::int64_t rating) {
        Library library = Library::withContents({}, {treeItem(QStringLiteral("x.jpg"), rating)});
        const QString folder = directory.isEmpty() ? root : root + u'/' + directory;
        return {directory, FolderCatalog::identity(folder), library.catalogCSV(),
                DeletedArchive().csv()};
    }

    void writeJournal(const QList<FolderCatalog::Write>& writes) {
        writeFile(TreeJournal::path(root), TreeJournal::encode(writes));
    }

    QTemporaryDir dir;
    QString root;
};

TEST_F(FolderCatalogFinish, AReplacedFolderStopsEveryWriteAndKeepsTheJournal) {
    const QList<FolderCatalog::Write> writes{writeFor(QStringLiteral("a"), 4),
                                             writeFor(QString(), 2)};
    ASSERT_TRUE(QDir(root + QStringLiteral("/a")).removeRecursively());
    writeFolder(root + QStringLiteral("/spare"), Library::withContents({}, {}));
    writeFolder(root + QStringLiteral("/a"),
                Library::withContents({}, {treeItem(QStringLiteral("x.jpg"))}));
    writeJournal(writes);
    const QByteArray rootCatalog = catalogOf(root);
    const QByteArray folderCatalog = catalogOf(root + QStringLiteral("/a"));

    expectFolderFailure([&] { FolderCatalog::load(root, std::nullopt); }, replacedMessage);
    EXPECT_EQ(catalogOf(root), rootCatalog);
    EXPECT_EQ(catalogOf(root + QStringLiteral("/a")), folderCatalog);
    EXPECT_TRUE(QFile::exists(TreeJournal::path(root)));
}

TEST_F(FolderCatalogFinish, ARemountedDriveWithAnotherDeviceNumberStillCompletesTheJournal) {
    FolderCatalog::Write write = writeFor(QStringLiteral("a"), 4);
    write.identity = QStringLiteral("99999") + write.identity.mid(write.identity.indexOf(u':'));
    writeJournal({write});
    FolderCatalog::load(root, std::nullopt);
    EXPECT_EQ(catalogOf(root + QStringLiteral("/a")), write.catalog.toUtf8());
    EXPECT_FALSE(QFile::exists(TreeJournal::path(root)));
}

TEST_F(FolderCatalogFinish, ALinkedMetadataFileStopsTheSaveBeforeAnyFolderIsWritten) {
    const QList<FolderCatalog::Write> writes{writeFor(QStringLiteral("a"), 4),
                                             writeFor(QString(), 2)};
    writeFile(dir.path() + QStringLiteral("/elsewhere.csv"), "x");
    makeSymbolicLink(dir.path() + QStringLiteral("/elsewhere.csv"),
                     root + QStringLiteral("/.lumivex/lumivex.backup.csv"));
    const QByteArray folderCatalog = catalogOf(root + QStringLiteral("/a"));
    expectFolderFailure([&] { FolderCatalog::finish(writes, root); }, linkMessage);
    EXPECT_EQ(catalogOf(root + QStringLiteral("/a")), folderCatalog);
}

TEST_F(FolderCatalogFinish, AJournalThatDoesNotDecodeStopsTheLoadAndStays) {
    writeFile(TreeJournal::path(root), R"([{"directory":"a"}])");
    EXPECT_THROW(FolderCatalog::load(root, std::nullopt), Error);
    EXPECT_EQ(readFile(TreeJournal::path(root)), R"([{"directory":"a"}])");
}

TEST_F(FolderCatalogFinish, AJournalOfAFolderWhoseNameBeginsWithAByteOrderMarkCompletes) {
    const QString name = QChar(0xFEFF) + QStringLiteral("2024");
    writeFolder(root + u'/' + name, Library::withContents({}, {treeItem(QStringLiteral("x.jpg"))}));
    const FolderCatalog::Write write = writeFor(name, 4);
    writeJournal({write});
    FolderCatalog::load(root, std::nullopt);
    EXPECT_EQ(catalogOf(root + u'/' + name), write.catalog.toUtf8());
    EXPECT_FALSE(QFile::exists(TreeJournal::path(root)));
}

TEST_F(FolderCatalogFinish, AFifoInPlaceOfTheJournalIsRefused) {
    const QString journal = TreeJournal::path(root);
    ASSERT_EQ(::mkfifo(QFile::encodeName(journal).constData(), 0644), 0);
    try {
        FolderCatalog::load(root, std::nullopt);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(
            error.description(),
            QStringLiteral("파일 작업에 실패했습니다: %1 (일반 파일이 아닙니다)").arg(journal));
    }
}

TEST_F(FolderCatalogFinish, AnOlderTreeCatalogIsCopiedOnceBeforeItIsReplaced) {
    const QString original = root + QStringLiteral("/.lumivex/tree-migration-original/lumivex.csv");
    writeFolder(root, Library::withContents({}, {treeItem(QStringLiteral("a/x.jpg"))}));
    const QByteArray treeCatalog = catalogOf(root);
    writeJournal({writeFor(QString(), 3)});
    FolderCatalog::finish({writeFor(QString(), 3)}, root);
    EXPECT_EQ(readFile(original), treeCatalog);
    EXPECT_TRUE(
        QFile::exists(root + QStringLiteral("/.lumivex/tree-migration-original/deleted.csv")));

    writeFolder(root, Library::withContents({}, {treeItem(QStringLiteral("a/y.jpg"))}));
    const FolderCatalog::Write second = writeFor(QString(), 1);
    writeJournal({second});
    FolderCatalog::finish({second}, root);
    EXPECT_EQ(readFile(original), treeCatalog);
    EXPECT_EQ(catalogOf(root), second.catalog.toUtf8());
}

}  // namespace
}  // namespace lumivex
