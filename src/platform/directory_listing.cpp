#include "platform/directory_listing.h"

#include "platform/error.h"
#include "platform/utf8.h"

#include <QFile>
#include <QList>

#include <dirent.h>
#include <cerrno>
#include <cstring>

namespace lumivex {

namespace {

DIR* streamOf(void* stream) {
    return static_cast<DIR*>(stream);
}

bool isVisible(const char* name, std::size_t length) {
    return length > 0 && name[0] != '.' && Utf8::isValid(name, static_cast<qsizetype>(length));
}

}  // namespace

DirectoryListing::DirectoryListing(const QString& folder) : folder_(folder) {
    stream_ = ::opendir(QFile::encodeName(folder).constData());
    if (stream_ == nullptr) {
        throw Error::fromErrno(errno, folder);
    }
}

DirectoryListing::~DirectoryListing() {
    ::closedir(streamOf(stream_));
}

std::optional<DirectoryEntry> DirectoryListing::next() {
    DIR* stream = streamOf(stream_);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream);
        if (entry == nullptr) {
            if (errno != 0) {
                throw Error::fromErrno(errno, folder_);
            }
            return std::nullopt;
        }
        const std::size_t length = std::strlen(entry->d_name);
        if (!isVisible(entry->d_name, length)) {
            continue;
        }
        QString name = QString::fromUtf8(entry->d_name, static_cast<qsizetype>(length));
        try {
            // The path is only spelled out when something goes wrong, keeping the walk lean.
            return DirectoryEntry{name, FileStatus::readAt(::dirfd(stream), entry->d_name, {})};
        } catch (const Error& error) {
            if (error.systemErrorNumber() == ENOENT) {
                continue;
            }
            throw Error::fromErrno(error.systemErrorNumber(), folder_ + u'/' + name);
        }
    }
}

QList<DirectoryEntry> DirectoryListing::entries(const QString& folder) {
    DirectoryListing listing(folder);
    QList<DirectoryEntry> result;
    while (std::optional<DirectoryEntry> entry = listing.next()) {
        result.append(std::move(*entry));
    }
    return result;
}

}  // namespace lumivex
