#pragma once

#include "platform/date.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace lumivex {

enum class FileType { regular, directory, symbolicLink, other };

// What statx reports of one path, never following a final symbolic link. Millisecond-rounded
// QFileInfo is not enough: identities and unchanged-file checks compare nanosecond times.
struct FileStatus {
    FileType type = FileType::other;
    std::int64_t size = 0;
    std::optional<Date> modified;
    std::optional<Date> created;  // absent when the file system does not report a birth time
    std::optional<std::uint64_t> device;
    std::optional<std::uint64_t> inode;

    // Throws Error::fromErrno when the path cannot be examined (missing, no permission).
    static FileStatus read(const QString& path);
    // Nothing when the path does not exist; other failures throw.
    static std::optional<FileStatus> readIfExists(const QString& path);
    // The same for the entry `name` of an open directory.
    static FileStatus readAt(int directoryFd, const char* name, const QString& pathForErrors);

    bool isDirectory() const { return type == FileType::directory; }
    bool isRegularFile() const { return type == FileType::regular; }
    bool isSymbolicLink() const { return type == FileType::symbolicLink; }

    bool operator==(const FileStatus&) const = default;
};

}  // namespace lumivex
