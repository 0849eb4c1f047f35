#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivex::test {

void makeDirectories(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(path)) << path.toStdString();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    makeDirectories(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void rewriteKeepingTimes(const QString& path, const QByteArray& bytes) {
    const QByteArray encoded = QFile::encodeName(path);
    struct stat before {};
    ASSERT_EQ(::stat(encoded.constData(), &before), 0) << path.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, encoded.constData(), times, 0), 0);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

void makeSymbolicLink(const QString& target, const QString& linkPath) {
    ASSERT_EQ(
        ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(linkPath).constData()),
        0)
        << linkPath.toStdString();
}

RawNamedFile::RawNamedFile(const QString& folder, const QByteArray& name)
    : path_(QFile::encodeName(folder) + '/' + name) {
    const int fd = ::open(path_.constData(), O_CREAT | O_WRONLY, 0644);
    EXPECT_GE(fd, 0) << path_.constData();
    ::close(fd);
}

RawNamedFile::~RawNamedFile() {
    ::unlink(path_.constData());
}

}  // namespace lumivex::test
