#pragma once

#include "platform/file_status.h"

#include <QString>

#include <optional>

namespace lumivex {

class Error;

// One visible entry of a folder: its name and what statx reports of it (a final symbolic link is
// not followed).
struct DirectoryEntry {
    QString name;
    FileStatus status;

    bool operator==(const DirectoryEntry&) const = default;
};

// Lists one folder the way the scanner and the catalog both see it: entries in the order the file
// system returns them, each examined once. Names beginning with "." are hidden and never returned,
// and names that are not valid UTF-8 are skipped, since no record or catalog row could name them.
// An entry that vanishes between being listed and being examined is not part of the listing.
// Not shared between threads; one listing is read by the thread that opened it.
class DirectoryListing {
public:
    // Opens `folder`; throws Error::fromErrno when it cannot be opened (missing, not a folder,
    // no permission to read it or to examine its entries).
    explicit DirectoryListing(const QString& folder);
    ~DirectoryListing();
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;

    // The next visible entry, or nothing at the end of the folder. Throws Error::fromErrno when
    // the folder or an entry cannot be read.
    std::optional<DirectoryEntry> next();
    // The same into `entry`, reusing the storage of its name; false at the end of the folder.
    bool next(DirectoryEntry& entry);

    // Every visible entry of `folder`, in listing order.
    static QList<DirectoryEntry> entries(const QString& folder);

    // The one rule for a subfolder of a library tree that this user may not list (no read or
    // search permission, like "lost+found" or another user's private folder): the tree listing,
    // the scanner and the catalog all leave it out, with everything below it, as if it held
    // nothing, and go on. True when `error`, thrown while listing a folder, says so. Any other
    // failure still fails them, and so does a refused root, which has no tree without it.
    static bool refused(const Error& error);

    const QString& folder() const { return folder_; }

private:
    QString folder_;
    void* stream_ = nullptr;  // the DIR* of <dirent.h>, kept out of this header
};

}  // namespace lumivex
