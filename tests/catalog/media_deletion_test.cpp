#include "catalog/media_deletion.h"

#include "catalog/deletion_request.h"
#include "model/file_deletion_validation.h"
#include "platform/file_status.h"
#include "platform/freedesktop_trash.h"
#include "support/fake_photo_library.h"
#include "support/fake_trash.h"
#include "support/futures.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QPromise>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>

using namespace lumivex;

namespace {

QSet<QUuid> idsOf(const QList<MediaItem>& items) {
    QSet<QUuid> ids;
    for (const MediaItem& item : items) {
        ids.insert(item.id);
    }
    return ids;
}

class MediaDeletionTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QObject context;
    test::FakeTrash trash;
    test::FakePhotoLibrary photos;

    QString root() const { return dir.path() + QStringLiteral("/lib"); }

    // A photo file under the root with the identity a scan would give it.
    MediaItem file(const QString& filename) {
        const QString path = root() + u'/' + filename;
        test::writeFile(path, filename.toUtf8());
        MediaItem item;
        item.id = QUuid::createUuid();
        item.filename = filename;
        item.fileIdentity = FileDeletionValidation::identity(path, FileStatus::read(path).created);
        return item;
    }

    MediaItem asset(const QString& identifier, bool canDelete = true) {
        photos.addAsset(identifier, canDelete);
        MediaItem item;
        item.id = QUuid::createUuid();
        item.filename = identifier + QStringLiteral(".jpg");
        item.fileIdentity = QStringLiteral("photos:") + identifier;
        return item;
    }

    DeletionResult perform(const QList<MediaItem>& items, LibrarySource source, Trash& movingTo) {
        const DeletionRequest request =
            DeletionRequest::make(items, source, root(), QUuid::createUuid());
        return test::waitFor(MediaDeletion::perform(request, movingTo, photos, &context));
    }
    DeletionResult perform(const QList<MediaItem>& items, LibrarySource source) {
        return perform(items, source, trash);
    }
};

// Points the home folder and the data folder at test folders, and back afterwards.
class HomeForTest {
public:
    HomeForTest(const QString& home, const QString& data)
        : savedHome_(qgetenv("HOME")),
          savedData_(qgetenv("XDG_DATA_HOME")),
          savedCurrent_(QDir::currentPath()) {
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    }
    ~HomeForTest() {
        QDir::setCurrent(savedCurrent_);
        qputenv("HOME", savedHome_);
        if (savedData_.isNull()) {
            qunsetenv("XDG_DATA_HOME");
        } else {
            qputenv("XDG_DATA_HOME", savedData_);
        }
    }
    HomeForTest(const HomeForTest&) = delete;
    HomeForTest& operator=(const HomeForTest&) = delete;

private:
    QByteArray savedHome_;
    QByteArray savedData_;
    QString savedCurrent_;
};

const QString notMoved =
    QStringLiteral("휴지통으로 이동하지 않았습니다. 목록을 새로고침한 뒤 다시 선택해주세요.\n");

}  // namespace

TEST_F(MediaDeletionTest, MovesEveryCheckedFileToTheTrash) {
    const QList<MediaItem> items{file(QStringLiteral("a.jpg")), file(QStringLiteral("sub/b.jpg"))};
    const DeletionResult result = perform(items, LibrarySource::folder);
    EXPECT_EQ(result, (DeletionResult{idsOf(items), std::nullopt}));
    ASSERT_EQ(trash.calls.size(), 1);
    EXPECT_EQ(trash.calls[0], (QStringList{root() + QStringLiteral("/a.jpg"),
                                           root() + QStringLiteral("/sub/b.jpg")}));
}

TEST_F(MediaDeletionTest, AReplacedFileStopsTheWholeDeletion) {
    const QList<MediaItem> items{file(QStringLiteral("a.jpg")), file(QStringLiteral("b.jpg")),
                                 file(QStringLiteral("c.jpg"))};
    test::writeFile(dir.path() + QStringLiteral("/new.jpg"), "replacement");
    ASSERT_EQ(std::rename(QFile::encodeName(dir.path() + QStringLiteral("/new.jpg")).constData(),
                          QFile::encodeName(root() + QStringLiteral("/b.jpg")).constData()),
              0);
    const DeletionResult result = perform(items, LibrarySource::folder);
    EXPECT_EQ(result,
              (DeletionResult{
                  {}, notMoved + QStringLiteral("‘b.jpg’ 파일이 변경되었거나 이동되었습니다.")}));
    EXPECT_TRUE(trash.calls.isEmpty());
}

TEST_F(MediaDeletionTest, AnUnsafeNameStopsTheWholeDeletion) {
    MediaItem unsafe = file(QStringLiteral("b.jpg"));
    unsafe.filename = QStringLiteral("../lib/b.jpg");
    const DeletionResult result =
        perform({file(QStringLiteral("a.jpg")), unsafe}, LibrarySource::folder);
    EXPECT_TRUE(result.deletedIDs.isEmpty());
    EXPECT_TRUE(result.message->startsWith(notMoved));
    EXPECT_TRUE(trash.calls.isEmpty());
}

TEST_F(MediaDeletionTest, APartialMoveReportsExactlyTheMovedItems) {
    const QList<MediaItem> items{file(QStringLiteral("a.jpg")), file(QStringLiteral("b.jpg")),
                                 file(QStringLiteral("c.jpg"))};
    trash.refusedNames = {QStringLiteral("b.jpg")};
    const QString partial =
        QStringLiteral("2개를 휴지통으로 이동했고, 1개는 이동하지 못했습니다.\n");

    EXPECT_EQ(
        perform(items, LibrarySource::folder),
        (DeletionResult{{items[0].id, items[2].id},
                        partial + QStringLiteral("파일 접근 권한과 휴지통을 확인해주세요.")}));

    trash.reportedError =
        Error(QStringLiteral("Lumivex.Trash"), 1, QStringLiteral("가득 찼습니다."));
    EXPECT_EQ(perform(items, LibrarySource::folder).message,
              partial + QStringLiteral("가득 찼습니다."));

    trash.refusedNames.clear();
    EXPECT_EQ(perform(items, LibrarySource::folder), (DeletionResult{idsOf(items), std::nullopt}))
        << "an error beside a complete move is ignored";
}

TEST_F(MediaDeletionTest, ATrashThatNeverAnswersMovesNothing) {
    // A future abandoned by its worker ends cancelled; no item may count as moved.
    struct AbandoningTrash final : Trash {
        QFuture<TrashOutcome> moveToTrash(const QStringList&) override {
            QPromise<TrashOutcome> promise;
            return promise.future();
        }
        std::optional<Error> putBack(const QString&, const QString&) override {
            return std::nullopt;
        }
    } abandoning;
    const QList<MediaItem> items{file(QStringLiteral("a.jpg")), file(QStringLiteral("b.jpg"))};
    EXPECT_EQ(perform(items, LibrarySource::folder, abandoning),
              (DeletionResult{{},
                              QStringLiteral("0개를 휴지통으로 이동했고, 2개는 이동하지 "
                                             "못했습니다.\n파일 접근 권한과 휴지통을 "
                                             "확인해주세요.")}));
}

TEST_F(MediaDeletionTest, TheResultArrivesOnTheCallersThread) {
    const DeletionRequest request = DeletionRequest::make(
        {file(QStringLiteral("a.jpg"))}, LibrarySource::folder, root(), QUuid::createUuid());
    QThread* resultThread = nullptr;
    test::waitFor(MediaDeletion::perform(request, trash, photos, &context)
                      .then([&resultThread](const DeletionResult& result) {
                          resultThread = QThread::currentThread();
                          return result;
                      }));
    EXPECT_EQ(resultThread, QThread::currentThread());
}

TEST_F(MediaDeletionTest, MovesFilesToTheFreedesktopTrash) {
    // The Trash lives in the same temporary folder, so it is on the same device as the files.
    const HomeForTest home(dir.path(), dir.path() + QStringLiteral("/data"));
    const QList<MediaItem> items{file(QStringLiteral("a.jpg")), file(QStringLiteral("sub/b.jpg"))};
    FreedesktopTrash freedesktop;
    EXPECT_EQ(perform(items, LibrarySource::folder, freedesktop),
              (DeletionResult{idsOf(items), std::nullopt}));
    EXPECT_FALSE(QFileInfo::exists(root() + QStringLiteral("/a.jpg")));
    EXPECT_FALSE(QFileInfo::exists(root() + QStringLiteral("/sub/b.jpg")));
    const QString trashFolder = dir.path() + QStringLiteral("/data/Trash/");
    EXPECT_EQ(test::readFile(trashFolder + QStringLiteral("files/a.jpg")), "a.jpg");
    EXPECT_EQ(test::readFile(trashFolder + QStringLiteral("files/b.jpg")), "sub/b.jpg");
    EXPECT_TRUE(QFileInfo::exists(trashFolder + QStringLiteral("info/b.jpg.trashinfo")));
}

TEST_F(MediaDeletionTest, KeepsFilesWhenThereIsNoUsableTrash) {
    // A data folder that cannot be made leaves no home Trash; the file must stay where it was,
    // not land in the working directory.
    test::writeFile(dir.path() + QStringLiteral("/blocker"), "");
    const HomeForTest home(dir.path(), dir.path() + QStringLiteral("/blocker/data"));
    test::makeDirectories(dir.path() + QStringLiteral("/cwd"));
    ASSERT_TRUE(QDir::setCurrent(dir.path() + QStringLiteral("/cwd")));
    const QList<MediaItem> items{file(QStringLiteral("a.jpg"))};
    FreedesktopTrash freedesktop;
    const DeletionResult result = perform(items, LibrarySource::folder, freedesktop);
    EXPECT_TRUE(result.deletedIDs.isEmpty());
    EXPECT_TRUE(result.message->startsWith(
        QStringLiteral("0개를 휴지통으로 이동했고, 1개는 이동하지 못했습니다.\n‘a.jpg’")));
    EXPECT_EQ(test::readFile(root() + QStringLiteral("/a.jpg")), "a.jpg");
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/cwd/files/a.jpg")));
}

TEST_F(MediaDeletionTest, AFileThatVanishedBeforeTheMoveIsNotReportedDeleted) {
    const QList<MediaItem> items{file(QStringLiteral("a.jpg"))};
    ASSERT_TRUE(QFile::remove(root() + QStringLiteral("/a.jpg")));
    FreedesktopTrash freedesktop;
    const DeletionResult result = perform(items, LibrarySource::folder, freedesktop);
    EXPECT_TRUE(result.deletedIDs.isEmpty());
    EXPECT_TRUE(result.message->startsWith(notMoved));
}

TEST_F(MediaDeletionTest, DeletesAuthorizedDeletableAssets) {
    const QList<MediaItem> items{asset(QStringLiteral("P/1")), asset(QStringLiteral("P/2"))};
    for (PhotoAuthorizationStatus status :
         {PhotoAuthorizationStatus::authorized, PhotoAuthorizationStatus::limited}) {
        photos.status = status;
        asset(QStringLiteral("P/1"));
        asset(QStringLiteral("P/2"));
        EXPECT_EQ(perform(items, LibrarySource::photos),
                  (DeletionResult{idsOf(items), std::nullopt}));
        EXPECT_EQ(photos.deletions.last(),
                  (QStringList{QStringLiteral("P/1"), QStringLiteral("P/2")}));
    }
}

TEST_F(MediaDeletionTest, RefusesPhotosBeforeAskingForTheChange) {
    const QString notFound = QStringLiteral(
        "선택한 사진 중 보관함에서 찾을 수 없는 항목이 있어 삭제하지 않았습니다. 다시 "
        "선택해주세요.");
    const MediaItem kept = asset(QStringLiteral("P/1"));
    for (PhotoAuthorizationStatus status :
         {PhotoAuthorizationStatus::notDetermined, PhotoAuthorizationStatus::restricted,
          PhotoAuthorizationStatus::denied}) {
        photos.status = status;
        EXPECT_EQ(perform({kept}, LibrarySource::photos),
                  (DeletionResult{{},
                                  QStringLiteral("사진 접근 권한이 없어 삭제하지 않았습니다. 사진 "
                                                 "연결 설정을 확인해주세요.")}));
    }
    photos.status = PhotoAuthorizationStatus::authorized;

    MediaItem removedElsewhere = asset(QStringLiteral("P/2"));
    photos.removeAsset(QStringLiteral("P/2"));
    EXPECT_EQ(perform({kept, removedElsewhere}, LibrarySource::photos),
              (DeletionResult{{}, notFound}));
    EXPECT_EQ(perform({kept, file(QStringLiteral("a.jpg"))}, LibrarySource::photos),
              (DeletionResult{{}, notFound}))
        << "an item that is not a photo-library item";

    EXPECT_EQ(
        perform({kept, asset(QStringLiteral("P/3"), false)}, LibrarySource::photos),
        (DeletionResult{
            {}, QStringLiteral("선택한 항목 중 사진 보관함에서 삭제할 수 없는 항목이 있습니다.")}));
    EXPECT_TRUE(photos.deletions.isEmpty());
}

TEST_F(MediaDeletionTest, AFailedOrCancelledPhotoChangeDeletesNothing) {
    const QList<MediaItem> items{asset(QStringLiteral("P/1"))};
    photos.deletionOutcome = {PhotoChangeOutcome::Status::cancelled, std::nullopt};
    EXPECT_EQ(perform(items, LibrarySource::photos), DeletionResult{});

    const QString failed = QStringLiteral("사진 보관함에서 삭제하지 못했습니다.\n");
    photos.deletionOutcome = {PhotoChangeOutcome::Status::failed, std::nullopt};
    EXPECT_EQ(perform(items, LibrarySource::photos),
              (DeletionResult{
                  {}, failed + QStringLiteral("사진 폴더의 상태와 접근 권한을 확인해주세요.")}));

    photos.deletionOutcome = {
        PhotoChangeOutcome::Status::failed,
        Error(QStringLiteral("Lumivex.Photos"), 2, QStringLiteral("잠겨 있습니다."))};
    EXPECT_EQ(perform(items, LibrarySource::photos),
              (DeletionResult{{}, failed + QStringLiteral("잠겨 있습니다.")}));
    EXPECT_EQ(photos.deletions.size(), 3);
}

TEST_F(MediaDeletionTest, ALibraryOfNoSourceDeletesNothing) {
    const QList<MediaItem> items{file(QStringLiteral("a.jpg")), asset(QStringLiteral("P/1"))};
    EXPECT_EQ(perform(items, LibrarySource::none), DeletionResult{});
    EXPECT_TRUE(trash.calls.isEmpty());
    EXPECT_TRUE(photos.deletions.isEmpty());
}
