#include "platform/file_status.h"

#include "platform/error.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <cerrno>

namespace lumivex {

namespace {

Date dateOf(const struct statx_timestamp& stamp) {
    return {static_cast<double>(stamp.tv_sec) + static_cast<double>(stamp.tv_nsec) / 1e9};
}

FileType typeOf(std::uint16_t mode) {
    if (S_ISREG(mode)) {
        return FileType::regular;
    }
    if (S_ISDIR(mode)) {
        return FileType::directory;
    }
    if (S_ISLNK(mode)) {
        return FileType::symbolicLink;
    }
    return FileType::other;
}

FileStatus statusOf(const struct statx& info) {
    FileStatus status;
    status.type = typeOf(info.stx_mode);
    status.size = static_cast<std::int64_t>(info.stx_size);
    if (info.stx_mask & STATX_MTIME) {
        status.modified = dateOf(info.stx_mtime);
    }
    if (info.stx_mask & STATX_BTIME) {
        status.created = dateOf(info.stx_btime);
    }
    status.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    if (info.stx_mask & STATX_INO) {
        status.inode = info.stx_ino;
    }
    return status;
}

constexpr unsigned int wanted = STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME | STATX_INO;

}  // namespace

FileStatus FileStatus::readAt(int directoryFd, const char* name, const QString& pathForErrors) {
    struct statx info {};
    if (statx(directoryFd, name, AT_SYMLINK_NOFOLLOW, wanted, &info) != 0) {
        throw Error::fromErrno(errno, pathForErrors);
    }
    return statusOf(info);
}

FileStatus FileStatus::read(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    return readAt(AT_FDCWD, encoded.constData(), path);
}

std::optional<FileStatus> FileStatus::readIfExists(const QString& path) {
    try {
        return read(path);
    } catch (const Error& error) {
        if (error.systemErrorNumber() == ENOENT || error.systemErrorNumber() == ENOTDIR) {
            return std::nullopt;
        }
        throw;
    }
}

}  // namespace lumivex
