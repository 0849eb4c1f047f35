#include "platform/directory_listing.h"

#include "platform/error.h"
#include "platform/utf8.h"

#include <QFile>
#include <QList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <algorithm>
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

// Most names are ASCII: those are widened into the storage the name already has, so a listing
// read entry by entry allocates no name per entry.
void assignName(QString& name, const char* bytes, std::size_t length) {
    const auto size = static_cast<qsizetype>(length);
    if (std::any_of(bytes, bytes + length, [](char c) { return (c & 0x80) != 0; })) {
        name = Utf8::decodeValid(QByteArrayView(bytes, size));
        return;
    }
    name.resize(size);
    char16_t* out = reinterpret_cast<char16_t*>(name.data());
    std::copy(bytes, bytes + length, out);
}

// The next entry that a listing shows, or nullptr at the end of the folder.
const dirent* nextVisible(DIR* stream, const QString& folder) {
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream);
        if (entry == nullptr) {
            if (errno != 0) {
                throw Error::fromErrno(errno, folder);
            }
            return nullptr;
        }
        if (isVisible(entry->d_name, std::strlen(entry->d_name))) {
            return entry;
        }
    }
}

// The type the folder records for an entry, when the file system records one.
std::optional<FileType> listedType(unsigned char type) {
    switch (type) {
        case DT_REG:
            return FileType::regular;
        case DT_DIR:
            return FileType::directory;
        case DT_LNK:
            return FileType::symbolicLink;
        case DT_UNKNOWN:
            return std::nullopt;
        default:
            return FileType::other;
    }
}

// False when the entry has vanished since it was listed.
bool examineEntry(DIR* stream, const char* name, const QString& folder, FileStatus& status) {
    try {
        // The path is only spelled out when something goes wrong, keeping the walk lean.
        status = FileStatus::readAt(::dirfd(stream), name, {});
        return true;
    } catch (const Error& error) {
        if (error.systemErrorNumber() == ENOENT) {
            return false;
        }
        throw Error::fromErrno(error.systemErrorNumber(), folder + u'/' + Utf8::decodeValid(name));
    }
}

}  // namespace

DirectoryListing::DirectoryListing(const QString& folder) : folder_(folder) {
    stream_ = ::opendir(QFile::encodeName(folder).constData());
    if (stream_ == nullptr) {
        throw Error::fromErrno(errno, folder);
    }
    // A folder that may be read but not searched lists its names but not what they are; it is
    // refused here, even when it holds no visible entry, so it counts as refused like one that
    // cannot be read at all.
    struct stat info {};
    if (::fstatat(::dirfd(streamOf(stream_)), ".", &info, AT_SYMLINK_NOFOLLOW) != 0) {
        const int failure = errno;
        ::closedir(streamOf(stream_));
        throw Error::fromErrno(failure, folder);
    }
}

DirectoryListing::~DirectoryListing() {
    ::closedir(streamOf(stream_));
}

std::optional<DirectoryEntry> DirectoryListing::next() {
    DirectoryEntry entry;
    if (!next(entry)) {
        return std::nullopt;
    }
    return entry;
}

bool DirectoryListing::next(DirectoryEntry& into) {
    while (const dirent* entry = nextVisible(streamOf(stream_), folder_)) {
        if (examineEntry(streamOf(stream_), entry->d_name, folder_, into.status)) {
            assignName(into.name, entry->d_name, std::strlen(entry->d_name));
            return true;
        }
    }
    return false;
}

bool DirectoryListing::nextType(DirectoryEntry& into) {
    DIR* stream = streamOf(stream_);
    while (const dirent* entry = nextVisible(stream, folder_)) {
        std::optional<FileType> type = listedType(entry->d_type);
        if (!type) {
            if (!examineEntry(stream, entry->d_name, folder_, into.status)) {
                continue;
            }
            type = into.status.type;
        }
        into.status = FileStatus{};
        into.status.type = *type;
        current_ = entry->d_name;
        assignName(into.name, entry->d_name, std::strlen(entry->d_name));
        return true;
    }
    current_ = nullptr;
    return false;
}

bool DirectoryListing::examine(DirectoryEntry& entry) {
    return current_ != nullptr && examineEntry(streamOf(stream_), current_, folder_, entry.status);
}

QList<DirectoryEntry> DirectoryListing::entries(const QString& folder) {
    DirectoryListing listing(folder);
    QList<DirectoryEntry> result;
    while (std::optional<DirectoryEntry> entry = listing.next()) {
        result.append(std::move(*entry));
    }
    return result;
}

QStringList DirectoryListing::subfolders(const QString& folder) {
    DirectoryListing listing(folder);
    QStringList names;
    DirectoryEntry entry;
    while (listing.nextType(entry)) {
        if (entry.status.isDirectory()) {
            names.append(entry.name);
        }
    }
    return names;
}

bool DirectoryListing::refused(const Error& error) {
    const int number = error.systemErrorNumber();
    return number == EACCES || number == EPERM;
}

}  // namespace lumivex
