#pragma once

#include "platform/date.h"

#include <QString>

#include <cstddef>
#include <optional>

namespace lumivex {

class Error;
struct FileStatus;
struct MediaItem;

// File identities, and the check that an item's stored path still names its own file before
// anything is done to that file.
namespace FileDeletionValidation {

inline const QString invalidFileNameDomain = QStringLiteral("Lumivex.FileName");

// "device:inode:creation" of the item at `path` itself (a final symbolic link is not followed),
// with the creation time the caller read; throws the system's error when it cannot be examined.
QString identity(const QString& path, const std::optional<Date>& creationDate);
// The same for an item whose status the caller has already read without following a link.
QString identity(const FileStatus& status, const std::optional<Date>& creationDate);
// That text as ASCII written from `first` without allocating, for a scan that compares it with
// identities it already holds; returns the end. identityCapacity bytes always suffice.
inline constexpr std::size_t identityCapacity = 448;
char* writeIdentity(const FileStatus& status, const std::optional<Date>& creationDate, char* first);

// The checked absolute path of the item's file under `root`. Throws the invalid-file-name error
// for an unsafe name, a photo-library item or a folder on the way that is a symbolic link; throws
// the "Lumivex" code 1 error when the file is not the same regular file any more.
QString url(const MediaItem& item, const QString& root);

// The platform's "invalid file name" error: it names nothing, it only refuses.
Error invalidFileName();
bool isInvalidFileName(const Error& error);

}  // namespace FileDeletionValidation
}  // namespace lumivex
