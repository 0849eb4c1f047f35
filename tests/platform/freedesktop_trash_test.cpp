#include "platform/freedesktop_trash.h"

#include "support/futures.h"
#include "support/temporary_trash_home.h"
#include "support/test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>

namespace lumivex {
namespace {

using test::readFile;
using test::writeFile;

// The Trash under a temporary home, so nothing reaches the user's own.
class FreedesktopTrashTest : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return temp.filePath(relative); }
    QStringList trashInfo() const { return QDir(trashHome.trashInfo()).entryList(QDir::Files); }

    QTemporaryDir temp;
    test::TemporaryTrashHome trashHome{temp.path()};
    FreedesktopTrash trash;
};

// The original location a file manager reads from a Trash record.
QString recordedPath(const QString& pathInTrash) {
    const QFileInfo moved(pathInTrash);
    const QByteArray record = readFile(moved.dir().filePath(
        QStringLiteral("../info/") + moved.fileName() + QStringLiteral(".trashinfo")));
    for (const QByteArray& line : record.split('\n')) {
        if (line.startsWith("Path=")) {
            return QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(5)));
        }
    }
    return {};
}

TEST(FreedesktopTrashNewHome, MakesTheHomeTrashNotOneInTheWorkingFolder) {
    QTemporaryDir temp;
    const test::TemporaryTrashHome newHome(temp.path(), false);
    const QString saved = QDir::currentPath();
    writeFile(temp.filePath(QStringLiteral("cwd/keep")), "");
    ASSERT_TRUE(QDir::setCurrent(temp.filePath(QStringLiteral("cwd"))));
    writeFile(temp.filePath(QStringLiteral("a.jpg")), "a");
    FreedesktopTrash trash;
    const TrashOutcome outcome =
        test::waitFor(trash.moveToTrash({temp.filePath(QStringLiteral("a.jpg"))}));
    QDir::setCurrent(saved);

    ASSERT_EQ(outcome.moved.size(), 1u);
    EXPECT_EQ(outcome.moved.begin()->second, newHome.trashFiles() + QStringLiteral("/a.jpg"));
    EXPECT_EQ(recordedPath(outcome.moved.begin()->second).toStdString(),
              temp.filePath(QStringLiteral("a.jpg")).toStdString());
    EXPECT_EQ(QDir(temp.filePath(QStringLiteral("cwd")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("keep")});
    // The data folders are the user's alone, as every folder a new account's programs make there.
    for (const QString& made : {newHome.home() + QStringLiteral("/.local"), newHome.dataHome(),
                                newHome.dataHome() + QStringLiteral("/Trash")}) {
        struct stat status {};
        ASSERT_EQ(::stat(QFile::encodeName(made).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << made.toStdString();
    }
}

TEST_F(FreedesktopTrashTest, AMovedFileGoesBackAndLeavesNoRecord) {
    writeFile(path(QStringLiteral("photos/a.jpg")), "a");
    const TrashOutcome outcome =
        test::waitFor(trash.moveToTrash({path(QStringLiteral("photos/a.jpg"))}));
    ASSERT_EQ(outcome.moved.size(), 1u);
    const QString inTrash = outcome.moved.begin()->second;
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("photos/a.jpg"))));
    EXPECT_EQ(trashInfo().size(), 1);

    EXPECT_EQ(trash.putBack(inTrash, path(QStringLiteral("photos/a.jpg"))), std::nullopt);
    EXPECT_EQ(readFile(path(QStringLiteral("photos/a.jpg"))), "a");
    EXPECT_FALSE(QFileInfo::exists(inTrash));
    EXPECT_TRUE(trashInfo().isEmpty());
}

TEST_F(FreedesktopTrashTest, NothingIsPutBackOverANewFile) {
    writeFile(path(QStringLiteral("photos/a.jpg")), "old");
    const TrashOutcome outcome =
        test::waitFor(trash.moveToTrash({path(QStringLiteral("photos/a.jpg"))}));
    ASSERT_EQ(outcome.moved.size(), 1u);
    writeFile(path(QStringLiteral("photos/a.jpg")), "new");

    const std::optional<Error> refused =
        trash.putBack(outcome.moved.begin()->second, path(QStringLiteral("photos/a.jpg")));
    ASSERT_TRUE(refused);
    EXPECT_TRUE(
        refused->description().startsWith(u"‘a.jpg’ 파일을 휴지통에서 되돌리지 못했습니다."));
    EXPECT_EQ(readFile(path(QStringLiteral("photos/a.jpg"))), "new");
    EXPECT_EQ(readFile(outcome.moved.begin()->second), "old");
    EXPECT_EQ(trashInfo().size(), 1);
}

// The cause of a failed system call joins a Korean message in Korean, beside what it names.
TEST_F(FreedesktopTrashTest, ARefusalGivesItsCauseInKorean) {
    const QString gone = path(QStringLiteral("photos/gone.jpg"));
    const TrashOutcome outcome = test::waitFor(trash.moveToTrash({gone}));
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->description(),
              QStringLiteral("‘gone.jpg’ 파일을 휴지통으로 이동하지 못했습니다. (파일이나 폴더가 "
                             "없습니다)"));
    EXPECT_EQ(Error::fromErrno(ENOENT, gone).description(),
              QStringLiteral("파일 작업에 실패했습니다: %1 (파일이나 폴더가 없습니다)").arg(gone));
}

TEST_F(FreedesktopTrashTest, ARecordNamesTheFileEscaped) {
    const QString original = path(QStringLiteral("photos/가족 100%25 a.jpg"));
    writeFile(original, "a");
    const TrashOutcome outcome = test::waitFor(trash.moveToTrash({original}));
    ASSERT_EQ(outcome.moved.size(), 1u);
    EXPECT_EQ(recordedPath(outcome.moved.begin()->second).toStdString(), original.toStdString());
}

}  // namespace
}  // namespace lumivex
