#include "store/store_fixture.h"

#include "platform/atomic_file.h"
#include "platform/error.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>

#include <cerrno>

namespace lumivex::test {
namespace {

class DeletionTest : public StoreTest {
protected:
    void SetUp() override {
        makeTree();
        openLibrary();
        trashFolder = temp.path() + QStringLiteral("/Trash");
        makeDirectories(trashFolder);
        trash.folder = trashFolder;
    }

    void deleteSelected(const QStringList& names) {
        store->setSelection(ids(names));
        store->requestDeletion(std::nullopt);
        ASSERT_TRUE(store->deletionRequest());
        store->confirmDeletion(*store->deletionRequest());
    }

    QStringList names(const QList<MediaItem>& items) const {
        QStringList result;
        for (const MediaItem& item : items) {
            result.append(item.filename);
        }
        return result;
    }

    QString trashFolder;
};

TEST_F(DeletionTest, RequestOnOneOfSeveralSelectedHoldsThemAllInBrowseOrder) {
    const QStringList all{QStringLiteral("sub/c.png"), QStringLiteral("a.jpg"),
                          QStringLiteral("b.jpg")};
    store->setSelection(ids(all));
    MediaQuery query;
    query.kind = MediaKind::photo;
    query.search = QStringLiteral("a.jpg");
    store->setQuery(query);  // b.jpg and c.png are hidden but stay selected
    store->requestDeletion(item(QStringLiteral("a.jpg")));
    ASSERT_TRUE(store->deletionRequest());
    EXPECT_EQ(names(store->deletionRequest()->items),
              names(store->browseSnapshot().items.toList()));
    EXPECT_EQ(store->deletionRequest()->source, LibrarySource::folder);

    // A second request waits for the first to be answered.
    const QUuid first = store->deletionRequest()->id;
    store->requestDeletion(item(QStringLiteral("b.jpg")));
    EXPECT_EQ(store->deletionRequest()->id, first);
    store->cancelDeletionRequest();
    EXPECT_EQ(store->selection(), ids(all));

    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->requestDeletion(item(QStringLiteral("b.jpg")));
    ASSERT_TRUE(store->deletionRequest());
    EXPECT_EQ(names(store->deletionRequest()->items), QStringList{QStringLiteral("b.jpg")});
    EXPECT_EQ(store->selection(), ids({QStringLiteral("b.jpg")}));
}

TEST_F(DeletionTest, ConfirmedDeletionArchivesAndEmptiesTheHistory) {
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(5);
    ASSERT_TRUE(store->metadataHistory().canUndo());
    const QUuid id = item(QStringLiteral("a.jpg")).id;
    deleteSelected({QStringLiteral("a.jpg")});
    EXPECT_TRUE(store->deleting());
    EXPECT_FALSE(store->metadataHistory().canUndo());
    settle();

    EXPECT_FALSE(QFile::exists(at(QStringLiteral("a.jpg"))));
    EXPECT_TRUE(QFile::exists(trashFolder + QStringLiteral("/a.jpg")));
    EXPECT_EQ(store->library().items.size(), 2);
    ASSERT_EQ(store->deletedArchive().records.size(), 1);
    EXPECT_EQ(store->deletedArchive().records[0].item.id, id);
    EXPECT_EQ(store->deletedArchive().records[0].item.rating, 5);
    EXPECT_TRUE(store->selection().isEmpty());
    EXPECT_FALSE(store->locked());
    EXPECT_FALSE(store->error());
    EXPECT_TRUE(readFile(at(QStringLiteral(".lumivex/deleted.csv"))).contains("a.jpg"));
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("실행 취소"));
}

TEST_F(DeletionTest, UnreadableArchiveMovesNothingAndLocks) {
    writeFile(at(QStringLiteral(".lumivex/deleted.csv")), "broken\"");
    deleteSelected({QStringLiteral("a.jpg")});
    settle();
    EXPECT_TRUE(trash.calls.isEmpty());
    EXPECT_TRUE(QFile::exists(at(QStringLiteral("a.jpg"))));
    EXPECT_TRUE(store->locked());
    EXPECT_FALSE(store->deleting());
    ASSERT_TRUE(store->error());
    EXPECT_TRUE(store->error()->startsWith(QStringLiteral(
        "분류 기록을 읽을 수 없어 원본을 삭제하지 않았습니다. 폴더와 CSV를 확인해주세요.\n")));
}

TEST_F(DeletionTest, PartialMoveArchivesOnlyWhatMoved) {
    trash.refusedNames.insert(QStringLiteral("b.jpg"));
    deleteSelected({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    settle();
    ASSERT_EQ(store->deletedArchive().records.size(), 1);
    EXPECT_EQ(store->deletedArchive().records[0].item.filename, QStringLiteral("a.jpg"));
    EXPECT_EQ(store->library().items.size(), 2);
    EXPECT_EQ(store->error(),
              QStringLiteral("1개를 휴지통으로 이동했고, 1개는 이동하지 못했습니다.\n"
                             "파일 접근 권한과 휴지통을 확인해주세요."));
    EXPECT_FALSE(store->locked());
    EXPECT_EQ(store->selection(), ids({QStringLiteral("b.jpg")}));
}

TEST_F(DeletionTest, SaveFailingAfterTheMoveRemovesTheItemsLocksAndJoinsBothMessages) {
    trash.refusedNames.insert(QStringLiteral("b.jpg"));
    deleteSelected({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    AtomicFile::setFaultHook([](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::beforeRename) {
            throw Error::fromErrno(EIO, path);
        }
    });
    settle();
    AtomicFile::setFaultHook({});
    EXPECT_TRUE(store->locked());
    EXPECT_EQ(store->library().items.size(), 2);
    ASSERT_TRUE(store->error());
    EXPECT_TRUE(store->error()->startsWith(
        QStringLiteral("원본 삭제는 완료했지만 분류 기록 저장에 실패했습니다. 기존 CSV는 "
                       "보존했습니다. 폴더를 다시 열어 저장 상태를 확인해주세요.\n")));
    EXPECT_TRUE(store->error()->endsWith(
        QStringLiteral("\n\n1개를 휴지통으로 이동했고, 1개는 이동하지 못했습니다.\n"
                       "파일 접근 권한과 휴지통을 확인해주세요.")));
}

// What the deletion did stays in the message until it is dismissed; an error of the rescan that
// follows is added to it.
TEST_F(DeletionTest, AnErrorOfTheFollowingRescanIsAddedToTheDeletionsMessage) {
    trash.refusedNames.insert(QStringLiteral("b.jpg"));
    listing.holding = true;
    deleteSelected({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    settleUntil([&] { return !store->deleting(); });
    const QString outcome = store->error().value_or(QString());
    addPhoto(QStringLiteral("d.jpg"));  // the rescan has something to save
    AtomicFile::setFaultHook([](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::beforeRename) {
            throw Error::fromErrno(EIO, path);
        }
    });
    listing.holding = false;
    listing.release();
    settle();
    AtomicFile::setFaultHook({});
    EXPECT_TRUE(store->error()->startsWith(
        outcome +
        QStringLiteral("\n\n분류 정보를 저장하지 못했습니다. 기존 기록은 보존했습니다.")));
    store->setError(std::nullopt);
    store->setError(QStringLiteral("다음 오류"));
    EXPECT_EQ(store->error(), QStringLiteral("다음 오류"));
}

// A folder removed outside while the files were moving: the deletion's save is refused before it
// writes anything, but the rescan that follows every deletion mends it, so nothing locks.
TEST_F(DeletionTest, AFolderRemovedDuringTheMoveDoesNotLock) {
    deleteSelected({QStringLiteral("a.jpg")});
    ASSERT_TRUE(QDir(at(QStringLiteral("sub"))).removeRecursively());
    settle();
    EXPECT_FALSE(store->locked());
    ASSERT_TRUE(store->error());
    EXPECT_TRUE(store->error()->endsWith(
        QStringLiteral("파일 폴더가 이동되었습니다. 새로고침 후 다시 시도하세요.")));
    EXPECT_EQ(names(store->library().items.toList()), QStringList{QStringLiteral("b.jpg")});
    EXPECT_EQ(store->deletedArchive().records.size(), 2);
    EXPECT_TRUE(readFile(at(QStringLiteral(".lumivex/deleted.csv"))).contains("a.jpg"));
}

// An edit whose save fails while the files are moving locks the store; the deletion must then
// not save past that lock.
TEST_F(DeletionTest, LockSetDuringTheMoveIsHonoured) {
    trash.refusedNames.insert(QStringLiteral("b.jpg"));
    deleteSelected({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    AtomicFile::setFaultHook([](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::beforeRename &&
            path.endsWith(QStringLiteral("lumivex.csv"))) {
            throw Error::fromErrno(EIO, path);
        }
    });
    EXPECT_FALSE(store->setRating(3, item(QStringLiteral("b.jpg")).id)) << "refused while deleting";
    store->setSelection(ids({QStringLiteral("b.jpg")}));
    store->setNotes(QStringLiteral("memo"), item(QStringLiteral("b.jpg")).id);
    AtomicFile::setFaultHook({});
    ASSERT_TRUE(store->locked());
    const QString editError = *store->error();
    const QByteArray archive = readFile(at(QStringLiteral(".lumivex/deleted.csv")));

    settle();
    EXPECT_TRUE(store->locked());
    EXPECT_EQ(store->library().items.size(), 2);
    EXPECT_EQ(readFile(at(QStringLiteral(".lumivex/deleted.csv"))), archive);
    EXPECT_EQ(store->error(),
              editError + QStringLiteral("\n\n1개를 휴지통으로 이동했고, 1개는 이동하지 "
                                         "못했습니다.\n파일 접근 권한과 휴지통을 확인해주세요."));
}

TEST_F(DeletionTest, RequestFromAnEarlierOpeningIsDropped) {
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->requestDeletion(std::nullopt);
    const DeletionRequest request = *store->deletionRequest();
    store->openLibrary(library, true, true);
    settle();
    store->confirmDeletion(request);
    settle();
    EXPECT_TRUE(trash.calls.isEmpty());
    EXPECT_EQ(store->library().items.size(), 3);
}

TEST_F(DeletionTest, NothingRemovedAndNoMessageSavesNothing) {
    trash.refusedNames = {QStringLiteral("a.jpg")};
    const auto saved = store->lastSaved();
    clock.advance(10);
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->requestDeletion(std::nullopt);
    store->confirmDeletion(*store->deletionRequest());
    listing.holding = true;
    settleUntil([&] { return !store->deleting(); });
    EXPECT_EQ(store->library().items.size(), 3);
    EXPECT_EQ(store->lastSaved(), saved) << "the deletion itself saved nothing";
    EXPECT_EQ(listing.held(), 1) << "a rescan follows";
    listing.release();
    settle();
}

}  // namespace
}  // namespace lumivex::test
