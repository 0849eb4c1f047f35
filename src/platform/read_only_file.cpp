#include "platform/read_only_file.h"

#include "platform/error.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lumivex {

namespace {

// One read at `offset`, retried when a signal cuts it short; 0 at the end of the file.
std::int64_t readOnce(int descriptor, std::int64_t offset, char* into, std::int64_t count,
                      const QString& path) {
    for (;;) {
        const ssize_t got =
            ::pread(descriptor, into, static_cast<std::size_t>(count), static_cast<off_t>(offset));
        if (got >= 0) {
            return got;
        }
        if (errno != EINTR) {
            throw Error::fromErrno(errno, path);
        }
    }
}

// Each thread keeps the head storage of its last file for the next one: a scan opens files one
// after another, and freeing a block this large makes the allocator consolidate its free lists.
thread_local std::unique_ptr<char[]> spareHead;

std::unique_ptr<char[]> takeHead() {
    if (spareHead) {
        return std::move(spareHead);
    }
    return std::make_unique_for_overwrite<char[]>(ReadOnlyFile::headCapacity);
}

}  // namespace

ReadOnlyFile::ReadOnlyFile(const QString& path) : path_(path), head_(takeHead()) {
    // Never blocks on a pipe: a reader of metadata has no business waiting for a writer.
    descriptor_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor_ < 0) {
        const int failure = errno;
        spareHead = std::move(head_);
        throw Error::fromErrno(failure, path);
    }
    try {
        // A short read need not be the end of the file: reads past the head ask the file again.
        headSize_ = readOnce(descriptor_, 0, head_.get(), headCapacity, path_);
    } catch (...) {
        ::close(descriptor_);
        spareHead = std::move(head_);
        throw;
    }
}

ReadOnlyFile::~ReadOnlyFile() {
    ::close(descriptor_);
    spareHead = std::move(head_);
}

std::int64_t ReadOnlyFile::read(std::int64_t offset, char* into, std::int64_t count) const {
    if (offset < 0 || count <= 0) {
        return 0;
    }
    std::int64_t copied = 0;
    if (offset < headSize_) {
        copied = std::min(count, headSize_ - offset);
        std::memcpy(into, head_.get() + offset, static_cast<std::size_t>(copied));
    }
    while (copied < count) {
        const std::int64_t got =
            readOnce(descriptor_, offset + copied, into + copied, count - copied, path_);
        if (got == 0) {
            break;
        }
        copied += got;
    }
    return copied;
}

std::int64_t ReadOnlyFile::size() const {
    struct stat info {};
    if (::fstat(descriptor_, &info) != 0) {
        throw Error::fromErrno(errno, path_);
    }
    return info.st_size;
}

}  // namespace lumivex
