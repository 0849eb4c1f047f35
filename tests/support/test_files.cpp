#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
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
