#include "model/file_deletion_validation.h"

#include "model/library.h"
#include "platform/error.h"
#include "platform/file_status.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

using namespace lumivex;

namespace {

// An item for the file at `root`/`filename` as the scanner would record it.
MediaItem scannedItem(const QString& root, const QString& filename) {
    const QString path = root + u'/' + filename;
    MediaItem item;
    item.id = QUuid::createUuid();
    item.filename = filename;
    item.fileIdentity = FileDeletionValidation::identity(path, FileStatus::read(path).created);
    return item;
}

// The error `url` throws for `item`, or an error saying that it threw none.
Error refusal(const MediaItem& item, const QString& root) {
    try {
        FileDeletionValidation::url(item, root);
    } catch (const Error& error) {
        return error;
    }
    return Error(QStringLiteral("none"), 0, QStringLiteral("accepted"));
}

class FileDeletionValidationTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString root() const { return dir.path() + QStringLiteral("/lib"); }
};

}  // namespace

TEST_F(FileDeletionValidationTest, ResolvesTheSameFileUnderACleanedRoot) {
    test::writeFile(root() + QStringLiteral("/a/b/c.jpg"), "photo");
    const MediaItem item = scannedItem(root(), QStringLiteral("a/b/c.jpg"));
    EXPECT_EQ(FileDeletionValidation::url(item, root() + QStringLiteral("/a/../")),
              root() + QStringLiteral("/a/b/c.jpg"));
}

TEST_F(FileDeletionValidationTest, RefusesUnsafeNamesBeforeTouchingTheDisk) {
    // The root does not exist: a check that reached the disk would throw a system error instead.
    const QString missingRoot = dir.path() + QStringLiteral("/missing");
    const QString nul = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b.jpg");
    for (const QString& name :
         {QStringLiteral("a//b.jpg"), QStringLiteral("/b.jpg"), QStringLiteral("b.jpg/"),
          QStringLiteral("./b.jpg"), QStringLiteral("a/../b.jpg"), QStringLiteral(".."), QString(),
          nul}) {
        MediaItem item;
        item.filename = name;
        item.fileIdentity = QStringLiteral("1:2:0.0");
        EXPECT_TRUE(FileDeletionValidation::isInvalidFileName(refusal(item, missingRoot)))
            << name.toStdString();
    }
    MediaItem photo;
    photo.filename = QStringLiteral("b.jpg");
    photo.fileIdentity = QStringLiteral("photos:ABC/L0/001");
    EXPECT_TRUE(FileDeletionValidation::isInvalidFileName(refusal(photo, missingRoot)));
}

TEST_F(FileDeletionValidationTest, RefusesAFolderOnTheWayThatIsALink) {
    test::writeFile(root() + QStringLiteral("/real/c.jpg"), "photo");
    test::makeSymbolicLink(root() + QStringLiteral("/real"), root() + QStringLiteral("/linked"));
    MediaItem item = scannedItem(root(), QStringLiteral("real/c.jpg"));
    item.filename = QStringLiteral("linked/c.jpg");
    EXPECT_TRUE(FileDeletionValidation::isInvalidFileName(refusal(item, root())));
}

TEST_F(FileDeletionValidationTest, RefusesALinkedOrReplacedFileNamingIt) {
    const QString changed = QStringLiteral("‘a/c.jpg’ 파일이 변경되었거나 이동되었습니다.");
    test::writeFile(root() + QStringLiteral("/a/c.jpg"), "photo");
    test::writeFile(root() + QStringLiteral("/target.jpg"), "photo");
    const MediaItem original = scannedItem(root(), QStringLiteral("a/c.jpg"));

    // Written before the original goes, so it cannot reuse the original's file number.
    test::writeFile(root() + QStringLiteral("/other.jpg"), "another photo");
    ASSERT_EQ(std::rename(QFile::encodeName(root() + QStringLiteral("/other.jpg")).constData(),
                          QFile::encodeName(root() + QStringLiteral("/a/c.jpg")).constData()),
              0);
    const Error replaced = refusal(original, root());
    EXPECT_EQ(replaced.domain(), QStringLiteral("Lumivex"));
    EXPECT_EQ(replaced.code(), 1);
    EXPECT_EQ(replaced.description(), changed);

    const MediaItem current = scannedItem(root(), QStringLiteral("a/c.jpg"));
    ASSERT_TRUE(QFile::remove(root() + QStringLiteral("/a/c.jpg")));
    test::makeSymbolicLink(root() + QStringLiteral("/target.jpg"),
                           root() + QStringLiteral("/a/c.jpg"));
    EXPECT_EQ(refusal(current, root()).description(), changed);

    ASSERT_TRUE(QFile::remove(root() + QStringLiteral("/a/c.jpg")));
    test::makeDirectories(root() + QStringLiteral("/a/c.jpg"));
    EXPECT_EQ(refusal(current, root()).description(), changed);
}

TEST_F(FileDeletionValidationTest, ResolvesUnderTheFileSystemRootWithOneSlash) {
    test::writeFile(root() + QStringLiteral("/a.jpg"), "photo");
    const QString filename = root().mid(1) + QStringLiteral("/a.jpg");
    const MediaItem item = scannedItem(QStringLiteral(""), filename);
    EXPECT_EQ(FileDeletionValidation::url(item, QStringLiteral("/")), u'/' + filename);
}
