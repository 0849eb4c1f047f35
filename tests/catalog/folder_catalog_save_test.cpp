#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "catalog/tree_journal.h"
#include "platform/atomic_file.h"
#include "support/test_files.h"
#include "tree_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace lumivex {
namespace {

using namespace test;

struct Interrupted : std::exception {};

class FolderCatalogSave : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogCache::shared().clear();
        root = dir.path() + QStringLiteral("/root");
        for (const char* key : {"", "a", "a/b", "a/b/c", "b", "b/c"}) {
            const QString name = QString::fromUtf8(key);
            const QString file =
                (name.isEmpty() ? QString() : name + u'/') + QStringLiteral("p.jpg");
            writeFolder(folder(key), Library::withContents(
                                         {}, {treeItem(file.mid(file.lastIndexOf(u'/') + 1))}));
        }
        state = FolderCatalog::load(root, std::nullopt);
        FolderCatalog::save(state, root);
    }
    void TearDown() override {
        AtomicFile::setFaultHook({});
        CatalogCache::shared().setNowForTesting(std::nullopt);
    }

    QString folder(const char* key) const {
        return *key ? root + u'/' + QString::fromUtf8(key) : root;
    }
    MediaItem& item(const QString& filename) {
        return *std::find_if(state.library.items.begin(), state.library.items.end(),
                             [&](const MediaItem& i) { return i.filename == filename; });
    }
    // Saves `state` but stops right after the journal is written, and returns the journal.
    QList<FolderCatalog::Write> plannedWrites() {
        AtomicFile::setFaultHook([](AtomicFile::Stage stage, const QString& path) {
            if (stage == AtomicFile::Stage::afterRename && path.endsWith(u"folders-pending.json")) {
                throw Interrupted();
            }
        });
        EXPECT_THROW(FolderCatalog::save(state, root), Interrupted);
        AtomicFile::setFaultHook({});
        return TreeJournal::decode(readFile(TreeJournal::path(root)), TreeJournal::path(root));
    }
    // When the save reaches `stage` of `path`, an outside writer changes the first note of
    // `catalog`; the save must be refused with `refusal`, and the writer's bytes stay.
    void expectOutsideEditKept(AtomicFile::Stage stage, const QString& path, const QString& catalog,
                               const Error& refusal) {
        QByteArray outside;
        AtomicFile::setFaultHook([&](AtomicFile::Stage at, const QString& written) {
            if (outside.isEmpty() && at == stage && written == path) {
                Library library = Library::fromCatalogCSV(QString::fromUtf8(readFile(catalog)));
                library.items[0].notes = QStringLiteral("outside");
                outside = library.catalogCSV().toUtf8();
                writeFile(catalog, outside);
            }
        });
        try {
            FolderCatalog::save(state, root);
            ADD_FAILURE() << "the save wrote over the outside edit";
        } catch (const Error& error) {
            EXPECT_EQ(error.code(), refusal.code());
            EXPECT_EQ(error.description(), refusal.description());
        }
        AtomicFile::setFaultHook({});
        EXPECT_EQ(readFile(catalog), outside);
        EXPECT_FALSE(QFile::exists(TreeJournal::path(root)));
    }
    std::map<QString, QByteArray> snapshot() {
        std::map<QString, QByteArray> files;
        for (const auto& [key, path] : FolderCatalog::directories(root)) {
            files[key] = catalogOf(path) + archiveOf(path);
        }
        return files;
    }

    QTemporaryDir dir;
    QString root;
    LibraryState state;
};

QStringList directoriesOf(const QList<FolderCatalog::Write>& writes) {
    QStringList result;
    for (const FolderCatalog::Write& write : writes) {
        result.append(write.directory);
    }
    return result;
}

TEST_F(FolderCatalogSave, AnIdenticalStateWritesNothingAndNoJournal) {
    FolderCatalog::save(state, root);
    struct stat before {};
    ASSERT_EQ(
        ::stat(
            QFile::encodeName(folder("a/b") + QStringLiteral("/.lumivex/lumivex.csv")).constData(),
            &before),
        0);
    const auto files = snapshot();
    FolderCatalog::save(state, root);
    struct stat after {};
    ::stat(QFile::encodeName(folder("a/b") + QStringLiteral("/.lumivex/lumivex.csv")).constData(),
           &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(snapshot(), files);
    EXPECT_FALSE(QFile::exists(TreeJournal::path(root)));
}

TEST_F(FolderCatalogSave, OneRatingChangeJournalsOnlyItsFolder) {
    FolderCatalog::save(state, root);
    item(QStringLiteral("a/b/p.jpg")).rating = 4;
    const QList<FolderCatalog::Write> writes = plannedWrites();
    ASSERT_EQ(directoriesOf(writes), QStringList{QStringLiteral("a/b")});
    EXPECT_EQ(writes[0].archive.toUtf8(), archiveOf(folder("a/b")));
    EXPECT_EQ(writes[0].identity, FolderCatalog::identity(folder("a/b")));
}

TEST_F(FolderCatalogSave, ChangedFoldersAreWrittenDeepestFirstThenByPlainOrder) {
    for (const char* name : {"a/p.jpg", "a/b/c/p.jpg", "b/c/p.jpg", "p.jpg"}) {
        item(QString::fromUtf8(name)).rating = 2;
    }
    EXPECT_EQ(directoriesOf(plannedWrites()),
              (QStringList{QStringLiteral("a/b/c"), QStringLiteral("b/c"), QStringLiteral("a"),
                           QString()}));
}

TEST_F(FolderCatalogSave, AnInterruptedSaveIsCompletedByTheNextLoadAndTheJournalRemoved) {
    item(QStringLiteral("a/p.jpg")).rating = 5;
    item(QStringLiteral("b/c/p.jpg")).rating = 1;
    int catalogWrites = 0;
    AtomicFile::setFaultHook([&](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::afterRename && path.endsWith(u"/.lumivex/lumivex.csv") &&
            ++catalogWrites == 1) {
            throw Interrupted();
        }
    });
    EXPECT_THROW(FolderCatalog::save(state, root), Interrupted);
    AtomicFile::setFaultHook({});
    ASSERT_TRUE(QFile::exists(TreeJournal::path(root)));

    const LibraryState reloaded = FolderCatalog::load(root, std::nullopt);
    EXPECT_FALSE(QFile::exists(TreeJournal::path(root)));
    for (const MediaItem& i : reloaded.library.items) {
        const std::int64_t expected = i.filename == QStringLiteral("a/p.jpg")     ? 5
                                      : i.filename == QStringLiteral("b/c/p.jpg") ? 1
                                                                                  : 0;
        EXPECT_EQ(i.rating, expected) << i.filename.toStdString();
    }
}

// A folder renamed while deeper folders are written is not made again to hold the edit alone:
// the refusal names the folder written and the one not, and the folder keeps its files.
TEST_F(FolderCatalogSave, AFolderRenamedWhileTheSaveWritesIsNotMadeAgain) {
    item(QStringLiteral("a/b/c/p.jpg")).rating = 4;
    item(QStringLiteral("b/p.jpg")).rating = 5;
    AtomicFile::setFaultHook([&](AtomicFile::Stage, const QString& path) {
        if (path.startsWith(folder("a/b/c") + u'/') && QFileInfo::exists(folder("b"))) {
            ASSERT_TRUE(QDir().rename(folder("b"), folder("renamed")));
        }
    });
    try {
        FolderCatalog::save(state, root);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_TRUE(FolderCatalog::isPartlySavedRefusal(error));
        EXPECT_EQ(error.description(),
                  FolderCatalog::partlySaved(
                      {folder("a/b/c")}, {folder("b")},
                      QStringLiteral("저장하는 동안 폴더가 이동되거나 삭제되었습니다."))
                      .description());
    }
    AtomicFile::setFaultHook({});
    EXPECT_FALSE(QFileInfo::exists(folder("b")));
    EXPECT_EQ(
        Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder("renamed")))).items[0].rating,
        0);
    EXPECT_FALSE(QFile::exists(TreeJournal::path(root)));
}

// A journal naming a folder that was removed since is finished without it: the library opens.
TEST_F(FolderCatalogSave, AJournalWhoseFolderIsGoneIsFinishedWithoutIt) {
    item(QStringLiteral("a/b/c/p.jpg")).rating = 4;
    item(QStringLiteral("b/p.jpg")).rating = 5;
    AtomicFile::setFaultHook([&](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::afterRename && path == TreeJournal::path(root)) {
            QDir(folder("b")).removeRecursively();
            throw Interrupted();
        }
    });
    EXPECT_THROW(FolderCatalog::save(state, root), Interrupted);
    AtomicFile::setFaultHook({});
    EXPECT_NO_THROW(FolderCatalog::load(root, std::nullopt));
    EXPECT_FALSE(QFile::exists(TreeJournal::path(root)));
    EXPECT_FALSE(QFileInfo::exists(folder("b")));
    EXPECT_EQ(
        Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder("a/b/c")))).items[0].rating, 4);
}

TEST_F(FolderCatalogSave, AnItemOfAMovedFolderStopsTheSaveBeforeAnythingIsWritten) {
    item(QStringLiteral("p.jpg")).rating = 3;
    const auto files = snapshot();
    ASSERT_TRUE(QDir().rename(folder("b/c"), folder("b/d")));
    expectFolderFailure([&] { FolderCatalog::save(state, root); }, movedMessage);
    ASSERT_TRUE(QDir().rename(folder("b/d"), folder("b/c")));
    EXPECT_EQ(snapshot(), files);
}

TEST_F(FolderCatalogSave, AnItemOfAFolderLeftOutOfTheLoadIsRefusedRatherThanDropped) {
    writeFolder(folder("late"), Library::withContents({}, {}));
    state.library.items.append(treeItem(QStringLiteral("late/new.jpg"), 5));
    item(QStringLiteral("p.jpg")).rating = 3;
    const auto files = snapshot();
    expectFolderFailure([&] { FolderCatalog::save(state, root); }, movedMessage);
    EXPECT_EQ(snapshot(), files);
}

TEST_F(FolderCatalogSave, UnsafeNamesAndLinkedMetadataWriteNothing) {
    const auto files = snapshot();
    LibraryState unsafe = state;
    unsafe.library.items[0].filename = QStringLiteral("a/../p.jpg");
    expectInvalidCSV([&] { FolderCatalog::save(unsafe, root); });

    item(QStringLiteral("a/p.jpg")).rating = 1;
    QFile::remove(folder("a/b") + QStringLiteral("/.lumivex/deleted.csv"));
    writeFile(dir.path() + QStringLiteral("/x.csv"), "x");
    makeSymbolicLink(dir.path() + QStringLiteral("/x.csv"),
                     folder("a/b") + QStringLiteral("/.lumivex/deleted.csv"));
    expectFolderFailure([&] { FolderCatalog::save(state, root); }, linkMessage);
    EXPECT_EQ(catalogOf(folder("a")),
              files.at(QStringLiteral("a")).left(catalogOf(folder("a")).size()));
}

TEST_F(FolderCatalogSave, EveryUnsafeNameIsRefusedAndNamesWithDotsInsideAreNot) {
    for (const QString& name :
         {QString(), QStringLiteral("/p.jpg"), QStringLiteral("a//p.jpg"), QStringLiteral("a/"),
          QStringLiteral("./p.jpg"), QStringLiteral("a/./p.jpg"), QStringLiteral("a/.."),
          QStringLiteral(".."), QStringLiteral("a/p") + QChar(u'\0') + QStringLiteral(".jpg")}) {
        LibraryState unsafe = state;
        unsafe.library.items[0].filename = name;
        expectInvalidCSV([&] { FolderCatalog::save(unsafe, root); });
    }
    LibraryState dotted = state;
    dotted.library.items.append(treeItem(QStringLiteral("a/..p.jpg")));
    dotted.library.items.append(treeItem(QStringLiteral("a/.p")));
    dotted.library.items.append(treeItem(QStringLiteral("a/p..")));
    FolderCatalog::save(dotted, root);
    EXPECT_EQ(Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder("a")))).items.size(), 4);
}

// Knowledge of a folder is trusted only while the folder and its metadata folder stay as they
// were: an entry that appears where there was none is noticed even though the missing entry
// itself was not examined again.
TEST_F(FolderCatalogSave, MetadataThatAppearsAfterACachedSaveIsStillChecked) {
    CatalogCache::shared().setNowForTesting(std::numeric_limits<std::int64_t>::max() / 2);
    FolderCatalog::load(root, std::nullopt);
    FolderCatalog::save(state, root);
    const auto files = snapshot();
    makeDirectories(dir.path() + QStringLiteral("/elsewhere"));
    makeSymbolicLink(dir.path() + QStringLiteral("/elsewhere"),
                     folder("b") + QStringLiteral("/.lumivex/tree-migration-original"));
    item(QStringLiteral("a/p.jpg")).rating = 4;
    expectFolderFailure([&] { FolderCatalog::save(state, root); }, linkMessage);
    EXPECT_EQ(snapshot(), files);
}

TEST_F(FolderCatalogSave, RecordsOfAVanishedFolderGoToTheRootArchiveWithTheirFullName) {
    MediaItem gone = treeItem(QStringLiteral("old/trip/x.jpg"), 4);
    gone.available = false;
    state.deleted.records.append({gone, Date{1700000500.0}});
    FolderCatalog::save(state, root);
    const DeletedArchive archive = DeletedArchive::fromCSV(QString::fromUtf8(archiveOf(root)));
    ASSERT_EQ(archive.records.size(), 1);
    EXPECT_EQ(archive.records[0].item.filename, QStringLiteral("old/trip/x.jpg"));
}

TEST_F(FolderCatalogSave, WithoutCatalogFoldersEveryFolderIsWrittenWithItsIdentity) {
    makeDirectories(folder("fresh"));
    state.library.catalogDirectories.clear();
    state.library.folderSchemas.clear();
    state.library.items.append(treeItem(QStringLiteral("fresh/n.jpg"), 2));
    FolderCatalog::save(state, root);
    for (const char* key : {"", "fresh", "a/b/c"}) {
        const Library written = Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder(key))));
        EXPECT_TRUE(written.includeSubfolders);
        EXPECT_EQ(written.directoryIdentity, FolderCatalog::identity(folder(key)));
    }
    const Library fresh = Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder("fresh"))));
    ASSERT_EQ(fresh.items.size(), 1);
    EXPECT_EQ(fresh.items[0].filename, QStringLiteral("n.jpg"));
}

// The same saves with the cache trusted and with no cache at all give the same bytes, also when
// a catalog is edited from outside between two saves.
TEST_F(FolderCatalogSave, TheCacheGivesTheSameBytesAsReadingEverythingAgain) {
    const QString copy = dir.path() + QStringLiteral("/copy");
    ASSERT_EQ(
        std::system(("cp -a '" + root.toStdString() + "' '" + copy.toStdString() + "'").c_str()),
        0);
    LibraryState copyState = FolderCatalog::load(copy, std::nullopt);
    copyState.library.items = state.library.items;

    const auto edit = [](LibraryState& s, int rating) {
        for (MediaItem& i : s.library.items) {
            if (i.filename == QStringLiteral("b/p.jpg")) {
                i.rating = rating;
            }
        }
    };
    const auto outsideEdit = [](const QString& tree) {
        const QString path = tree + QStringLiteral("/a/.lumivex/lumivex.csv");
        Library edited = Library::fromCatalogCSV(QString::fromUtf8(readFile(path)));
        edited.items[0].rating = 3;
        writeFile(path, edited.catalogCSV().toUtf8());
        struct timespec times[2] = {{0, UTIME_OMIT}, {1600000000, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
    };
    const auto run = [&](const QString& tree, LibraryState& s, bool cached) {
        CatalogCache::shared().setNowForTesting(
            cached ? std::optional<std::int64_t>(std::numeric_limits<std::int64_t>::max() / 2)
                   : std::nullopt);
        edit(s, 1);
        FolderCatalog::save(s, tree);
        edit(s, 2);
        FolderCatalog::save(s, tree);
        outsideEdit(tree);
        CatalogStamps::clear();  // the cache against reading everything, not the outside guard
        FolderCatalog::save(s, tree);
    };
    CatalogCache::shared().clear();
    run(root, state, true);
    const std::uint64_t reads = CatalogCache::shared().folderReads();
    CatalogCache::shared().clear();
    run(copy, copyState, false);
    EXPECT_LT(reads, CatalogCache::shared().folderReads());
    for (const char* key : {"", "a", "a/b", "a/b/c", "b", "b/c"}) {
        const QString relative = QString::fromUtf8(key);
        const QString left = relative.isEmpty() ? root : root + u'/' + relative;
        const QString right = relative.isEmpty() ? copy : copy + u'/' + relative;
        const auto neutral = [](const QString& folderPath) {
            return QString::fromUtf8(catalogOf(folderPath) + archiveOf(folderPath))
                .replace(FolderCatalog::identity(folderPath), QString());
        };
        EXPECT_EQ(neutral(left), neutral(right)) << key;
    }
    EXPECT_EQ(Library::fromCatalogCSV(QString::fromUtf8(catalogOf(root + QStringLiteral("/a"))))
                  .items[0]
                  .rating,
              0);
}

// A save that follows a finished one reuses its grouping where the file names stand where they
// stood; every other change of order or length must fall back to grouping afresh.
class RepeatedSave : public FolderCatalogSave {
protected:
    void SetUp() override {
        FolderCatalogSave::SetUp();
        CatalogCache::shared().setNowForTesting(std::numeric_limits<std::int64_t>::max() / 2);
        FolderCatalog::save(state, root);
        FolderCatalog::save(state, root);
    }
    // File names and ratings as a fresh load reads them back.
    std::map<QString, std::int64_t> stored() {
        std::map<QString, std::int64_t> ratings;
        for (const MediaItem& i : FolderCatalog::load(root, std::nullopt).library.items) {
            ratings[i.filename] = i.rating;
        }
        return ratings;
    }
    std::map<QString, std::int64_t> expected() const {
        std::map<QString, std::int64_t> ratings;
        for (const MediaItem& i : state.library.items) {
            ratings[i.filename] = i.rating;
        }
        return ratings;
    }
};

TEST_F(RepeatedSave, EditsAfterARenameAnInsertionOrAMoveAreAllWritten) {
    item(QStringLiteral("a/p.jpg")).filename = QStringLiteral("a/q.jpg");
    item(QStringLiteral("b/p.jpg")).rating = 3;
    FolderCatalog::save(state, root);
    EXPECT_EQ(stored(), expected());

    state.library.items.insert(0, treeItem(QStringLiteral("b/c/n.jpg"), 2));
    item(QStringLiteral("a/b/p.jpg")).rating = 5;
    FolderCatalog::save(state, root);
    EXPECT_EQ(stored(), expected());

    state.library.items.swapItemsAt(0, state.library.items.size() - 1);
    item(QStringLiteral("b/c/n.jpg")).rating = 4;
    FolderCatalog::save(state, root);
    EXPECT_EQ(stored(), expected());

    auto files = snapshot();
    item(QStringLiteral("a/b/c/p.jpg")).rating = 1;
    FolderCatalog::save(state, root);
    EXPECT_EQ(stored(), expected());
    const auto after = snapshot();
    EXPECT_NE(after.at(QStringLiteral("a/b/c")), files.at(QStringLiteral("a/b/c")));
    files.erase(QStringLiteral("a/b/c"));
    for (const auto& [key, bytes] : files) {
        EXPECT_EQ(after.at(key), bytes) << key.toStdString();
    }
}

TEST_F(RepeatedSave, AnEditOfADeletedRecordIsWritten) {
    MediaItem gone = treeItem(QStringLiteral("a/b/x.jpg"), 1);
    gone.available = false;
    state.deleted.records.append({gone, Date{1700000500.0}});
    FolderCatalog::save(state, root);
    state.deleted.records[0].deletedAt = Date{1700000600.0};
    FolderCatalog::save(state, root);
    const DeletedArchive archive =
        DeletedArchive::fromCSV(QString::fromUtf8(archiveOf(folder("a/b"))));
    ASSERT_EQ(archive.records.size(), 1);
    EXPECT_EQ(archive.records[0].deletedAt, Date{1700000600.0});
}

// The failed save's edit is still unwritten, so the same state saved again must write it.
TEST_F(RepeatedSave, AnEditWhoseSaveFailedIsWrittenByTheNextSave) {
    item(QStringLiteral("a/b/p.jpg")).rating = 4;
    AtomicFile::setFaultHook([](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::beforeRename && path.endsWith(u"folders-pending.json")) {
            throw Interrupted();
        }
    });
    EXPECT_THROW(FolderCatalog::save(state, root), Interrupted);
    AtomicFile::setFaultHook({});
    ASSERT_FALSE(QFile::exists(TreeJournal::path(root)));
    FolderCatalog::save(state, root);
    EXPECT_EQ(stored(), expected());
}

TEST_F(RepeatedSave, UnsafeNamesAndVanishedFoldersAreStillRefused) {
    auto files = snapshot();
    const QString original = item(QStringLiteral("a/p.jpg")).filename;
    item(QStringLiteral("a/p.jpg")).filename = QStringLiteral("a/../p.jpg");
    expectInvalidCSV([&] { FolderCatalog::save(state, root); });
    item(QStringLiteral("a/../p.jpg")).filename = original;
    FolderCatalog::save(state, root);

    ASSERT_TRUE(QDir(folder("b/c")).removeRecursively());
    item(QStringLiteral("p.jpg")).rating = 2;
    expectFolderFailure([&] { FolderCatalog::save(state, root); }, movedMessage);
    files.erase(QStringLiteral("b/c"));
    EXPECT_EQ(snapshot(), files);
}

// A catalog edited from outside after the check before the writes, while deeper folders were
// written, as late as the moment its replacement is ready: it is not written over either, the
// save's journal goes, and the refusal names the folder written and the one not.
TEST_F(FolderCatalogSave, ACatalogEditedBetweenCheckAndWriteIsNeverWrittenOver) {
    item(QStringLiteral("a/p.jpg")).rating = 2;
    item(QStringLiteral("a/b/c/p.jpg")).rating = 1;
    const QString catalog = folder("a") + QStringLiteral("/.lumivex/lumivex.csv");
    expectOutsideEditKept(
        AtomicFile::Stage::beforeRename, catalog, catalog,
        FolderCatalog::partlySaved(
            {folder("a/b/c")}, {folder("a")},
            QStringLiteral("저장하는 동안 다른 프로그램이 분류 파일을 바꾸었습니다.")));
}

// A writer replacing a folder's catalog while the save writes its journal: the save is refused
// before any folder is written, its journal goes, and the writer's file stays.
TEST_F(FolderCatalogSave, ACatalogReplacedOutsideDuringTheSaveIsNeverWrittenOver) {
    item(QStringLiteral("a/p.jpg")).rating = 2;
    item(QStringLiteral("b/p.jpg")).rating = 4;
    const QString catalog = folder("a") + QStringLiteral("/.lumivex/lumivex.csv");
    const QByteArray untouched = catalogOf(folder("b"));
    expectOutsideEditKept(AtomicFile::Stage::afterRename, TreeJournal::path(root), catalog,
                          FolderCatalog::changedOutside(folder("a")));
    EXPECT_EQ(catalogOf(folder("b")), untouched);
}

// A rescan's merge is saved after its read of the tree: a folder edited from outside in between is
// left for the next rescan instead of being written from what the read found.
TEST_F(FolderCatalogSave, AFolderEditedAfterTheRescanReadItIsLeftToTheNextRescan) {
    const std::shared_ptr<FolderCatalog::DetachedLoad> detached =
        FolderCatalog::beginDetachedLoad(root);
    FolderCatalog::TreeReads reads;
    std::optional<LibraryState> merged =
        FolderCatalog::readDetached(*detached, state, Date::now, reads);
    ASSERT_TRUE(merged);
    FolderCatalog::takeIn(*detached);
    FolderCatalog::rememberLoad(*merged, reads, FolderCatalog::matchingReads(*merged, reads));
    MediaItem outside = treeItem(QStringLiteral("p.jpg"));
    outside.notes = QStringLiteral("outside");
    writeFolder(folder("a"), Library::withContents({}, {outside}));
    const QByteArray edited = catalogOf(folder("a"));

    for (MediaItem& item : merged->library.items) {
        item.rating = 3;
    }
    QStringList left;
    FolderCatalog::save(
        *merged, root, nullptr, [](const QString&) { return true; }, &left);
    EXPECT_EQ(left, QStringList{QStringLiteral("a")});
    EXPECT_EQ(catalogOf(folder("a")), edited);
    EXPECT_EQ(Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder("b")))).items[0].rating,
              3);
}

// A folder edited from outside (same length, modification time put back) and then in the app:
// the save that trusts its cache must notice the outside edit and leave it be, as a save that
// knows nothing of the folder's signatures does.
TEST_F(FolderCatalogSave, AFolderEditedOutsideAndThenInTheAppIsRefusedAsWithoutCache) {
    CatalogCache::shared().setNowForTesting(std::numeric_limits<std::int64_t>::max() / 2);
    FolderCatalog::save(state, root);
    const QString catalog = folder("a") + QStringLiteral("/.lumivex/lumivex.csv");
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(catalog).constData(), &before), 0);
    Library outside = Library::fromCatalogCSV(QString::fromUtf8(readFile(catalog)));
    outside.items[0].rating = 3;
    const QByteArray outsideBytes = outside.catalogCSV().toUtf8();
    ASSERT_EQ(outsideBytes.size(), readFile(catalog).size());
    writeFile(catalog, outsideBytes);
    const struct timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(catalog).constData(), times, 0);

    item(QStringLiteral("a/p.jpg")).notes = QStringLiteral("app");
    for (const bool cached : {true, false}) {
        if (!cached) {
            CatalogCache::shared().clear();
            CatalogCache::shared().setNowForTesting(std::nullopt);
        }
        EXPECT_THROW(FolderCatalog::save(state, root), Error);
        EXPECT_EQ(readFile(catalog), outsideBytes);
    }
}

}  // namespace
}  // namespace lumivex
