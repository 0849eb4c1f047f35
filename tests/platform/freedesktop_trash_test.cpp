#include "platform/freedesktop_trash.h"

#include "support/futures.h"
#include "support/temporary_trash_home.h"
#include "support/test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace lumivex
