#include "store/store_fixture.h"

#include "catalog/catalog_cache.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "store/catalog_digests.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <limits>

namespace lumivex::test {
namespace {

class UndoTest : public StoreTest {
protected:
    void TearDown() override {
        CatalogCache::shared().setNowForTesting(std::nullopt);
        CatalogDigests::shared().setNowForTesting(std::nullopt);
    }

    void rateA(int rating) {
        if (!store) {
            makeTree();
            openLibrary();
        }
        store->setSelection(ids({QStringLiteral("a.jpg")}));
        store->setRating(rating);
    }
};

TEST_F(UndoTest, OutsideEditOfTheCatalogEmptiesTheHistoryAndRescans) {
    rateA(4);
    const QString catalog = at(QStringLiteral(".lumivex/lumivex.csv"));
    QByteArray bytes = readFile(catalog);
    bytes[bytes.size() - 3] = bytes[bytes.size() - 3] == '1' ? '2' : '1';
    writeFile(catalog, bytes);
    const int scans = listing.folderScans;
    const auto error = store->error();

    store->undoMetadata();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4) << "nothing replayed";
    EXPECT_FALSE(store->metadataHistory().canUndo());
    EXPECT_FALSE(store->metadataHistory().canRedo());
    EXPECT_EQ(listing.folderScans, scans + 1);
    EXPECT_EQ(store->error(), error);
    settle();
}

// Another program's note on b.jpg, written right after the save of the rating of a.jpg replaced
// the catalog: the stamp taken after the save holds it, and the rescan merges it. Undo must not
// then put the catalog back without it.
TEST_F(UndoTest, AnOutsideEditMergedAfterTheSaveIsNeverUndone) {
    makeTree();
    openLibrary();
    const QString catalog = at(QStringLiteral(".lumivex/lumivex.csv"));
    bool written = false;
    AtomicFile::setFaultHook([&](AtomicFile::Stage stage, const QString& path) {
        if (!written && stage == AtomicFile::Stage::afterRename && path == catalog) {
            written = true;
            Library outside = Library::fromCatalogCSV(QString::fromUtf8(readFile(catalog)));
            for (MediaItem& item : outside.items) {
                item.notes = item.filename == QStringLiteral("b.jpg") ? QStringLiteral("밖에서")
                                                                      : item.notes;
            }
            writeFile(catalog, outside.catalogCSV().toUtf8());
        }
    });
    rateA(4);
    AtomicFile::setFaultHook({});
    ASSERT_TRUE(written);
    store->rescan(false);
    settle();
    ASSERT_EQ(item(QStringLiteral("b.jpg")).notes, QStringLiteral("밖에서"));

    store->undoMetadata();
    settle();
    EXPECT_EQ(item(QStringLiteral("b.jpg")).notes, QStringLiteral("밖에서"));
    EXPECT_TRUE(readFile(catalog).contains("밖에서"));
}

// One hexadecimal digit of an item's identifier in `folder`'s catalog changed in place, the size
// and the modification time kept: only the change time moves, as for a change in the same second.
void changeCatalogKeepingItsTime(const QString& folder, const QUuid& id) {
    const QString path = folder + QStringLiteral("/.lumivex/lumivex.csv");
    QByteArray bytes = readFile(path);
    const qsizetype at = bytes.indexOf(id.toByteArray(QUuid::WithoutBraces).toUpper());
    ASSERT_GE(at, 0);
    bytes[at] = bytes[at] == '0' ? '1' : '0';
    rewriteKeepingTimes(path, bytes);
}

// The stamp after an edit reuses what the one before read; with every file counted as settled,
// so that the reuse happens, a change of the edited folder's catalog or of another one is still
// found before the undo.
TEST_F(UndoTest, SameSizeChangeKeepingTheTimeIsFoundBeforeUndo) {
    const std::int64_t farFuture = std::numeric_limits<std::int64_t>::max() / 2;
    CatalogCache::shared().setNowForTesting(farFuture);
    CatalogDigests::shared().setNowForTesting(farFuture);
    for (const QString& folder : {library, at(QStringLiteral("sub"))}) {
        rateA(4);
        rateA(5);
        const QString changed =
            folder == library ? QStringLiteral("b.jpg") : QStringLiteral("sub/c.png");
        changeCatalogKeepingItsTime(folder, item(changed).id);
        store->undoMetadata();
        EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 5) << "nothing replayed";
        EXPECT_FALSE(store->metadataHistory().canUndo());
        settle();
    }
}

TEST_F(UndoTest, RenamedPhotoEmptiesTheHistory) {
    rateA(4);
    ASSERT_TRUE(QFile::rename(at(QStringLiteral("b.jpg")), at(QStringLiteral("bb.jpg"))));
    store->undoMetadata();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
    EXPECT_FALSE(store->metadataHistory().canUndo());
    settle();
}

TEST_F(UndoTest, LinkedMetadataFolderShowsTheErrorAndKeepsTheHistory) {
    rateA(4);
    const QString metadata = at(QStringLiteral("sub/.lumivex"));
    const QString real = temp.path() + QStringLiteral("/real-metadata");
    ASSERT_TRUE(QDir().rename(metadata, real));
    makeSymbolicLink(real, metadata);

    store->undoMetadata();
    ASSERT_TRUE(store->error());
    EXPECT_TRUE(store->error()->startsWith(
        QStringLiteral("분류 변경을 되돌리기 전에 파일 상태를 확인하지 못했습니다.\n")));
    EXPECT_EQ(store->metadataHistory().undo().size(), 1);
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
    EXPECT_FALSE(store->locked());
}

TEST_F(UndoTest, FailedReplaySaveLocksAndKeepsTheEntry) {
    rateA(4);
    AtomicFile::setFaultHook([](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::beforeRename) {
            throw Error::fromErrno(EIO, path);
        }
    });
    store->undoMetadata();
    AtomicFile::setFaultHook({});
    EXPECT_TRUE(store->locked());
    EXPECT_EQ(store->metadataHistory().undo().size(), 1);
    EXPECT_FALSE(store->metadataHistory().canRedo());
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
}

TEST_F(UndoTest, NothingIsReplayedWhileScanningOrWaitingForDeletion) {
    rateA(4);
    listing.holding = true;
    store->rescan(false);
    EXPECT_FALSE(store->canReplayMetadata());
    store->undoMetadata();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
    listing.release();
    settle();

    store->requestDeletion(std::nullopt);
    ASSERT_TRUE(store->deletionRequest());
    store->undoMetadata();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
    store->cancelDeletionRequest();
    EXPECT_EQ(store->metadataHistory().undo().size(), 1) << "cancelling keeps the history";
    store->undoMetadata();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 0);
}

TEST_F(UndoTest, ANewEditAfterUndoEmptiesRedo) {
    rateA(4);
    store->undoMetadata();
    ASSERT_TRUE(store->metadataHistory().canRedo());
    rateA(2);
    EXPECT_FALSE(store->metadataHistory().canRedo());
    EXPECT_EQ(store->metadataHistory().undo().size(), 1);
    EXPECT_EQ(store->metadataHistory().undo().last().before.library.items.size(), 3);
}

}  // namespace
}  // namespace lumivex::test
