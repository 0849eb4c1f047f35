#include "store/store_fixture.h"

#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "store/held_pool.h"
#include "support/test_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>

namespace lumivex::test {
namespace {

using ScanTest = StoreTest;

TEST_F(ScanTest, RequestsDuringAScanGiveOneFollowUpAndAResetEmptiesTheHistoryAtOnce) {
    makeTree();
    openLibrary();
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(3);
    store->setRating(4);
    ASSERT_EQ(store->metadataHistory().undo().size(), 2);
    const int before = listing.folderScans;

    listing.holding = true;
    store->rescan(false);
    EXPECT_TRUE(store->scanning());
    store->rescan(false);
    store->rescan(false);
    EXPECT_EQ(store->metadataHistory().undo().size(), 2);
    store->rescan(true);
    EXPECT_FALSE(store->metadataHistory().canUndo()) << "the reset does not wait for the scan";
    EXPECT_EQ(listing.folderScans, before + 1);

    listing.release();
    settleUntil([&] { return listing.folderScans == before + 2; });
    EXPECT_TRUE(store->scanning()) << "exactly one follow-up runs";
    listing.release();
    settle();
    EXPECT_EQ(listing.folderScans, before + 2);
    EXPECT_EQ(listing.held(), 0);
}

TEST_F(ScanTest, AScanOfAnEarlierLibraryMergesNothing) {
    makeTree();
    const QString other = temp.path() + QStringLiteral("/other");
    writeFile(other + QStringLiteral("/x.jpg"), readFile(at(QStringLiteral("a.jpg"))));
    makeStore();
    listing.holding = true;
    store->openLibrary(library, true, true);
    ASSERT_EQ(listing.held(), 1);
    listing.holding = false;
    store->openLibrary(other, true, true);
    settle();
    ASSERT_EQ(store->library().items.size(), 1);
    const Library shown = store->library();

    listing.release();  // the scan of the first folder, cancelled by the second open
    settle();
    EXPECT_EQ(store->library(), shown);
    EXPECT_FALSE(store->error());
}

TEST_F(ScanTest, TenBatchesGiveOneRescanAfterTheLast) {
    makeTree();
    openLibrary();
    const int before = listing.folderScans;
    for (int batch = 0; batch < 10; ++batch) {
        watchers.fire();
        clock.advance(0.1);
    }
    EXPECT_EQ(listing.folderScans, before);
    clock.advance(0.49);
    EXPECT_EQ(listing.folderScans, before);
    clock.advance(0.01);
    EXPECT_EQ(listing.folderScans, before + 1);
    settle();
    clock.advance(10);
    EXPECT_EQ(listing.folderScans, before + 1);
}

TEST_F(ScanTest, AVanishedFileBecomesARecordAndEmptiesTheHistory) {
    makeTree();
    openLibrary();
    store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    store->setRating(5);
    ASSERT_TRUE(store->metadataHistory().canUndo());
    const QString away = temp.path() + QStringLiteral("/b.jpg");
    ASSERT_TRUE(QFile::rename(at(QStringLiteral("b.jpg")), away));

    store->rescan(false);
    settle();
    EXPECT_EQ(store->library().items.size(), 2);
    ASSERT_EQ(store->deletedArchive().records.size(), 1);
    EXPECT_EQ(store->deletedArchive().records[0].item.rating, 5);
    EXPECT_EQ(store->deletedArchive().records[0].deletedAt, clock.now());
    EXPECT_FALSE(store->metadataHistory().canUndo());
    EXPECT_EQ(store->selection(), ids({QStringLiteral("a.jpg")}));

    // The file comes back with its rating.
    ASSERT_TRUE(QFile::rename(away, at(QStringLiteral("b.jpg"))));
    store->rescan(false);
    settle();
    EXPECT_EQ(item(QStringLiteral("b.jpg")).rating, 5);
    EXPECT_TRUE(store->deletedArchive().records.isEmpty());
}

TEST_F(ScanTest, UnchangedRescanKeepsTheHistoryAndAnOutsideEditEmptiesIt) {
    makeTree();
    openLibrary();
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(2);
    store->rescan(false);
    settle();
    EXPECT_TRUE(store->metadataHistory().canUndo());

    QByteArray catalog = readFile(at(QStringLiteral("sub/.lumivex/lumivex.csv")));
    writeFile(at(QStringLiteral("sub/.lumivex/lumivex.csv")), catalog + " ");
    store->rescan(false);
    settle();
    EXPECT_FALSE(store->metadataHistory().canUndo());
}

TEST_F(ScanTest, ListingFailureShowsItsMessageWithoutLocking) {
    makeTree();
    openLibrary();
    const Library shown = store->library();
    listing.failure = Error(QStringLiteral("test"), 1, QStringLiteral("읽을 수 없음"));
    store->rescan(false);
    settle();
    EXPECT_EQ(store->error(), QStringLiteral("파일 목록을 읽지 못했습니다.\n읽을 수 없음"));
    EXPECT_FALSE(store->locked());
    EXPECT_FALSE(store->scanning());
    EXPECT_EQ(store->library(), shown);
}

// Another program writing a catalog in place: the rescan its first change brings reads the file
// half written, says nothing, and reads it again after a pause, when the writer is done.
TEST_F(ScanTest, AHalfWrittenCatalogIsReadAgainAfterAPause) {
    makeTree();
    openLibrary();
    const QString catalog = at(QStringLiteral("sub/.lumivex/lumivex.csv"));
    Library outside = Library::fromCatalogCSV(QString::fromUtf8(readFile(catalog)));
    outside.items[0].notes = QStringLiteral("밖에서 쓴 메모");
    const QByteArray bytes = outside.catalogCSV().toUtf8();
    writeFile(catalog, bytes.left(bytes.size() - 9));
    watchers.fire();
    clock.advance(0.6);
    settle();
    EXPECT_EQ(store->error(), std::nullopt);
    EXPECT_FALSE(store->locked());

    writeFile(catalog, bytes);
    clock.advance(1);
    settle();
    EXPECT_EQ(store->error(), std::nullopt);
    EXPECT_EQ(item(QStringLiteral("sub/c.png")).notes, QStringLiteral("밖에서 쓴 메모"));
}

// A commit that fails while a listing runs locks the store; the listing's end must not load the
// tree, which would finish the failed save's journal behind the user's back.
TEST_F(ScanTest, ScanEndingAfterALockWritesNothing) {
    makeTree();
    openLibrary();
    listing.holding = true;
    store->rescan(false);
    store->rescan(false);
    AtomicFile::setFaultHook([](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::beforeRename &&
            path.endsWith(QStringLiteral("lumivex.csv"))) {
            throw Error::fromErrno(EIO, path);
        }
    });
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(1);
    AtomicFile::setFaultHook({});
    ASSERT_TRUE(store->locked());
    ASSERT_TRUE(QFile::exists(at(QStringLiteral(".lumivex/folders-pending.json"))));
    const QString error = *store->error();
    const QByteArray catalog = readFile(at(QStringLiteral(".lumivex/lumivex.csv")));
    const int scans = listing.folderScans;

    listing.release();
    settle();
    EXPECT_FALSE(store->scanning());
    EXPECT_EQ(store->error(), error);
    EXPECT_EQ(listing.folderScans, scans) << "no follow-up scan on a locked store";
    EXPECT_TRUE(QFile::exists(at(QStringLiteral(".lumivex/folders-pending.json"))));
    EXPECT_EQ(readFile(at(QStringLiteral(".lumivex/lumivex.csv"))), catalog);
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 0);

    // Opening the folder again finishes the interrupted save.
    listing.holding = false;
    store->openLibrary(library, true, true);
    settle();
    EXPECT_FALSE(store->locked());
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 1);
}

TEST_F(ScanTest, NothingIsScannedWithoutAnOpenLibrary) {
    makeStore();
    store->rescan(true);
    EXPECT_EQ(listing.folderScans + listing.photoScans, 0);
    EXPECT_FALSE(store->scanning());
}

TEST_F(ScanTest, AHundredBatchesGiveOneRescan) {
    makeTree();
    openLibrary();
    const int before = listing.folderScans;
    for (int batch = 0; batch < 100; ++batch) {
        watchers.fire();
    }
    clock.advance(0.6);
    settle();
    clock.advance(60);
    EXPECT_EQ(listing.folderScans, before + 1);
}

TEST_F(ScanTest, FolderScanAlwaysCommits) {
    makeTree();
    openLibrary();
    const auto first = store->lastSaved();
    clock.advance(5);
    store->rescan(false);
    settle();
    ASSERT_TRUE(store->lastSaved());
    EXPECT_GT(*store->lastSaved(), *first);
}

// The tree read back off the main thread for a merge brings in what another program wrote, and
// the store ends as a cold open of the tree after its first scan.
TEST_F(ScanTest, ARescanMergesTheCatalogsAsAColdOpenReadsThem) {
    makeTree();
    openLibrary();
    const QString catalog = at(QStringLiteral(".lumivex/lumivex.csv"));
    Library edited = Library::fromCatalogCSV(QString::fromUtf8(readFile(catalog)));
    for (qsizetype index = 0; index < edited.items.size(); ++index) {
        if (edited.items.at(index).filename == QStringLiteral("a.jpg")) {
            edited.items[index].rating = 4;
        }
    }
    writeFile(catalog, edited.catalogCSV().toUtf8());
    addPhoto(QStringLiteral("sub/d.jpg"));
    ASSERT_TRUE(QFile::remove(at(QStringLiteral("b.jpg"))));
    const std::uint64_t reads = CatalogCache::shared().folderReads();
    store->rescan(false);
    settle();
    EXPECT_GT(CatalogCache::shared().folderReads(), reads);
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
    EXPECT_EQ(store->library().items.size(), 3);
    const LibraryState shown{store->library(), store->deletedArchive()};

    makeStore();
    store->openLibrary(library, false, false);
    settle();
    EXPECT_EQ(store->library(), shown.library);
    EXPECT_EQ(store->deletedArchive(), shown.deleted);
}

TEST_F(ScanTest, AnEditWhileTheScanMergesIsKeptAndMergedByAFollowUpScan) {
    makeTree();
    openLibrary();
    const int scans = listing.folderScans;
    listing.holding = true;
    store->rescan(false);
    HeldPool pool;
    listing.release();
    // The listing's end reaches the store, whose merge, the tree read back with it, then waits
    // for a worker.
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(store->scanning());

    listing.holding = false;
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(5);
    pool.release();
    settle();

    EXPECT_EQ(listing.folderScans, scans + 2) << "the stale merge gives way to a new scan";
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 5);
    const LibraryState onDisk = FolderCatalog::load(library, std::nullopt);
    for (const MediaItem& stored : onDisk.library.items) {
        EXPECT_EQ(stored.rating, stored.filename == QStringLiteral("a.jpg") ? 5 : 0);
    }
    EXPECT_FALSE(store->error());
    EXPECT_TRUE(store->metadataHistory().canUndo());
}

}  // namespace
}  // namespace lumivex::test
