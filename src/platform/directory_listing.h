#pragma once

#include "platform/file_status.h"

#include <QString>
#include <QStringList>

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
// system returns them. Names beginning with "." are hidden and never returned, and names that are
// not valid UTF-8 are skipped, since no record or catalog row could name them. An entry that
// vanishes between being listed and being examined is not part of the listing.
// Examining an entry (one statx) costs more than listing it, so a caller that only needs to know
// what kind of entry it is reads it with nextType, which takes the type the file system keeps in
// the folder itself, and examines only the entries it needs whole.
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
    // The next visible entry with only its type: `entry.status` holds the type and nothing else.
    // The type comes from the listing where the file system records it and from statx where it
    // does not. False at the end of the folder; throws like next.
    bool nextType(DirectoryEntry& entry);
    // Completes the status of the entry nextType returned last (one statx); its type may differ
    // from the listed one when the entry was replaced meanwhile. False when it has vanished.
    bool examine(DirectoryEntry& entry);

    // The names of the visible subfolders of `folder` (symbolic links are not followed), in
    // listing order, with one statx at most per entry whose type the file system does not record.
    static QStringList subfolders(const QString& folder);

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
    const char* current_ = nullptr;  // the name nextType returned last, owned by the stream
    void* stream_ = nullptr;         // the DIR* of <dirent.h>, kept out of this header
};

}  // namespace lumivex
