#include "model/file_deletion_validation.h"
#include "platform/error.h"
#include "support/test_files.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>

using namespace lumivex;
using namespace lumivex::test;

namespace {

QString deviceAndInode(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0);
    return QString::number(info.st_dev) + u':' + QString::number(info.st_ino) + u':';
}

}  // namespace

TEST(FileIdentity, DeviceInodeAndCreationSeconds) {
    QTemporaryDir root;
    const QString file = root.filePath(QStringLiteral("a.jpg"));
    writeFile(file, "x");
    const QString prefix = deviceAndInode(file);
    EXPECT_EQ(FileDeletionValidation::identity(file, std::nullopt), prefix + QStringLiteral("0.0"));
    EXPECT_EQ(FileDeletionValidation::identity(file, Date{1700000000.0}),
              prefix + QStringLiteral("1700000000.0"));
    EXPECT_EQ(FileDeletionValidation::identity(file, Date{1700000000.25}),
              prefix + QStringLiteral("1700000000.25"));
    EXPECT_EQ(FileDeletionValidation::identity(root.path(), std::nullopt),
              deviceAndInode(root.path()) + QStringLiteral("0.0"));
}

TEST(FileIdentity, NamesTheLinkItselfAndFailsForMissingItems) {
    QTemporaryDir root;
    const QString file = root.filePath(QStringLiteral("a.jpg"));
    const QString link = root.filePath(QStringLiteral("link.jpg"));
    writeFile(file, "x");
    makeSymbolicLink(file, link);
    EXPECT_EQ(FileDeletionValidation::identity(link, std::nullopt),
              deviceAndInode(link) + QStringLiteral("0.0"));
    EXPECT_NE(deviceAndInode(link), deviceAndInode(file));
    try {
        FileDeletionValidation::identity(root.filePath(QStringLiteral("missing")), std::nullopt);
        FAIL() << "a missing file has an identity";
    } catch (const Error& error) {
        EXPECT_EQ(error.systemErrorNumber(), ENOENT);
    }
}
