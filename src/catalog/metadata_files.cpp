#include "catalog/metadata_files.h"

#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/file_status.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <vector>

#include <dirent.h>
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

// The files of a metadata folder that are written through AtomicFile, and those of its copy of a
// first layout.
const std::array<QStringView, 5> writtenFiles = {u"lumivex.csv", u"deleted.csv",
                                                 u"pending-write.json", u"folders-pending.json",
                                                 u"lumivex.backup.csv"};
const std::array<QStringView, 2> copiedFiles = {u"lumivex.csv", u"deleted.csv"};

template <std::size_t count>
bool isTemporaryOfAny(QStringView name, const std::array<QStringView, count>& targets) {
    return std::any_of(targets.begin(), targets.end(), [&](QStringView target) {
        return AtomicFile::isTemporaryName(name, target);
    });
}

// Sweeps the folder `name` of the open folder `parent`; returns its descriptor (or -1) for a
// sweep of a folder inside it. The folder is opened without following a symbolic link, and every
// entry is examined and removed relative to it, so nothing outside it is ever reached.
template <std::size_t count>
int sweep(int parent, const char* name, const std::array<QStringView, count>& targets,
          Date before) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    DIR* listing = ::fdopendir(::dup(fd));
    if (!listing) {
        return fd;
    }
    std::vector<QByteArray> stale;
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray entryName(entry->d_name);
        if (!entryName.startsWith('.') ||
            !isTemporaryOfAny(QFile::decodeName(entryName), targets)) {
            continue;
        }
        struct stat info {};
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) &&
            Date{static_cast<double>(info.st_mtim.tv_sec) +
                 static_cast<double>(info.st_mtim.tv_nsec) / 1e9} < before) {
            stale.push_back(entryName);
        }
    }
    ::closedir(listing);
    for (const QByteArray& entryName : stale) {
        ::unlinkat(fd, entryName.constData(), 0);
    }
    return fd;
}

}  // namespace

void removeStaleTemporaries(const QString& root, Date before) {
    const int rootFd =
        ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) {
        return;
    }
    const int metadata = sweep(rootFd, ".lumivex", writtenFiles, before);
    if (metadata >= 0) {
        const int copies = sweep(metadata, "tree-migration-original", copiedFiles, before);
        if (copies >= 0) {
            ::close(copies);
        }
        ::close(metadata);
    }
    ::close(rootFd);
}

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
    const QByteArray encoded = QFile::encodeName(path);
    if (::mkdir(encoded.constData(), 0755) == 0) {
        return;
    }
    const int failure = errno;
    struct stat info {};
    if (failure == EEXIST && ::stat(encoded.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return;
    }
    throw Error::fromErrno(failure, path);
}

void write(const QString& path, const QByteArray& bytes,
           const std::function<void()>& beforeRename) {
    AtomicFile::write(path, bytes, AtomicFile::MissingFolders::refuse, beforeRename);
}

void move(const QString& source, const QString& destination) {
    if (std::rename(QFile::encodeName(source).constData(),
                    QFile::encodeName(destination).constData()) != 0) {
        throw Error::fromErrno(errno, destination);
    }
}

}  // namespace lumivex::MetadataFiles
