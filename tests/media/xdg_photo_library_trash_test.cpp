#include "media/xdg_photo_library.h"

#include "platform/freedesktop_trash.h"
#include "platform/photo_consent_prompt.h"
#include "platform/user_defaults.h"
#include "support/futures.h"
#include "support/media_fixtures.h"
#include "support/temporary_trash_home.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cstdlib>

namespace lumivex {
namespace {

void plainJpegFile(const QString& path) {
    test::writeFile(path, test::plainJpeg());
}

// The real Trash, counting what it moved and put back. Its moves run on a pool of its own: a
// forked child has none of its parent's threads, and a pool whose threads ran before the fork
// would never run the child's moves.
class CountingTrash final : public Trash {
public:
    std::atomic<int> moved = 0;
    std::atomic<int> returned = 0;

    QFuture<TrashOutcome> moveToTrash(const QStringList& paths) override {
        return real_.moveToTrash(paths).then([this](const TrashOutcome& outcome) {
            moved += static_cast<int>(outcome.moved.size());
            return outcome;
        });
    }
    std::optional<Error> putBack(const QString& pathInTrash, const QString& original) override {
        std::optional<Error> failure = real_.putBack(pathInTrash, original);
        returned += failure ? 0 : 1;
        return failure;
    }

private:
    QThreadPool pool_;
    FreedesktopTrash real_{&pool_};
};

// The real Trash under a temporary home and data folder.
class XdgPhotoLibraryTrashTest : public ::testing::Test {
protected:
    void SetUp() override { photos.recordConsent(PhotoConsentAnswer::allowAll); }

    QString path(const QString& relative) const { return temp.filePath(relative); }
    QList<PhotoAsset> assets(const QStringList& identifiers) const {
        return photos.fetchAssets(identifiers);
    }
    QStringList trashed() const { return QDir(trashHome.trashFiles()).entryList(QDir::Files); }

    QTemporaryDir temp;
    test::TemporaryTrashHome trashHome{temp.path()};
    UserDefaults defaults{temp.filePath(QStringLiteral("config/defaults.json"))};
    CountingTrash trash;
    XdgPhotoLibrary photos{
        defaults, trash, {{QStringLiteral("pictures"), temp.filePath(QStringLiteral("Pictures"))}}};
};

TEST_F(XdgPhotoLibraryTrashTest, EveryFileOfARequestGoesToTheTrash) {
    plainJpegFile(path(QStringLiteral("Pictures/a.jpg")));
    plainJpegFile(path(QStringLiteral("Pictures/trip/b.jpg")));
    const PhotoChangeOutcome outcome = test::waitFor(photos.deleteAssets(
        assets({QStringLiteral("pictures/a.jpg"), QStringLiteral("pictures/trip/b.jpg")})));
    EXPECT_EQ(outcome.status, PhotoChangeOutcome::Status::succeeded);
    EXPECT_EQ(trashed(), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("Pictures/a.jpg"))));
}

// The superuser may move anything, so the deletion runs in a child that gives that up; the file
// in a folder it cannot write stays, and the one already moved comes back.
TEST_F(XdgPhotoLibraryTrashTest, AFileThatCannotMoveBringsTheOthersBack) {
    plainJpegFile(path(QStringLiteral("Pictures/a.jpg")));
    plainJpegFile(path(QStringLiteral("Pictures/locked/b.jpg")));
    const QList<PhotoAsset> request =
        assets({QStringLiteral("pictures/a.jpg"), QStringLiteral("pictures/locked/b.jpg")});
    ASSERT_EQ(request.size(), 2);
    for (const char* open : {"", "home", "data", "Pictures"}) {
        ::chmod(QFile::encodeName(path(QString::fromLatin1(open))).constData(), 0777);
    }
    ::chmod(QFile::encodeName(path(QStringLiteral("Pictures/locked"))).constData(), 0755);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                std::_Exit(2);
            }
            const PhotoChangeOutcome outcome = test::waitFor(photos.deleteAssets(request));
            if (outcome.status != PhotoChangeOutcome::Status::failed || !outcome.error) {
                std::_Exit(3);
            }
            const bool back = QFileInfo::exists(path(QStringLiteral("Pictures/a.jpg"))) &&
                              QFileInfo::exists(path(QStringLiteral("Pictures/locked/b.jpg")));
            const bool noRecord = QDir(trashHome.trashInfo()).entryList(QDir::Files).isEmpty();
            const bool movedAndReturned = trash.moved == 1 && trash.returned == 1;
            std::_Exit(back && movedAndReturned && trashed().isEmpty() && noRecord ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace lumivex
