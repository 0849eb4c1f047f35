#include "catalog/metadata_files.h"

#include "platform/error.h"
#include "platform/file_status.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivex::MetadataFiles {

QString join(const QString& folder, QStringView name) {
    return folder.endsWith(u'/') ? folder + name.toString() : folder + u'/' + name.toString();
}

QString folder(const QString& root) {
    return join(root, u".lumivex");
}

QString path(const QString& root, QStringView name) {
    return join(folder(root), name);
}

bool exists(const QString& path) {
    return FileStatus::readIfExists(path).has_value();
}

namespace {

// Anything but a regular file in a metadata file's place is refused like a folder there: with
// its path and the reason it cannot be read.
Error notRegularFile(const QString& path) {
    return Error(Error::posixDomain, EINVAL,
                 QStringLiteral("파일 작업에 실패했습니다: %1 (일반 파일이 아닙니다)").arg(path));
}

// Opening does not wait for a writer: a FIFO in the file's place would otherwise block open()
// for good. Only a regular file is read.
int openRegularFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        throw Error::fromErrno(errno, path);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int failure = errno;
        ::close(fd);
        throw Error::fromErrno(failure, path);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw S_ISDIR(info.st_mode) ? Error::fromErrno(EISDIR, path) : notRegularFile(path);
    }
    return fd;
}

}  // namespace

QByteArray read(const QString& path) {
    const int fd = openRegularFile(path);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            const int failure = errno;
            ::close(fd);
            throw Error::fromErrno(failure, path);
        }
        if (count == 0) {
            break;
        }
        bytes.append(buffer, count);
    }
    ::close(fd);
    return bytes;
}

std::optional<QByteArray> readIfPossible(const QString& path) {
    try {
        return read(path);
    } catch (const Error&) {
        return std::nullopt;
    }
}

void makeFolder(const QString& path) {
    std::error_code failure;
    std::filesystem::create_directories(QFile::encodeName(path).toStdString(), failure);
    if (failure) {
        throw Error::fromErrno(failure.value(), path);
    }
}

void move(const QString& source, const QString& destination) {
    if (std::rename(QFile::encodeName(source).constData(),
                    QFile::encodeName(destination).constData()) != 0) {
        throw Error::fromErrno(errno, destination);
    }
}

}  // namespace lumivex::MetadataFiles
