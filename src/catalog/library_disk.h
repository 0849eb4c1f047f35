#pragma once

#include "catalog/library_state.h"

#include <QSet>

#include <functional>
#include <optional>

namespace lumivex {

// Reads and writes the metadata files of one folder: its catalog and deleted records behind the
// pending-write journal, the backup of the previous catalog and the migration of older layouts.
// Synchronous, on the caller's (main) thread.
namespace LibraryDisk {

LibraryState loadState(const QString& root);
// The bytes of the two files as loadState parsed them; none for a file it did not parse (absent,
// or replaced by a pending write or an older layout).
struct StoredTexts {
    std::optional<QByteArray> catalog;
    std::optional<QByteArray> archive;
};
LibraryState loadState(const QString& root, StoredTexts* texts);
// Makes `root` when it is missing; the saves that take a stored state write into a folder that
// exists, and make only its metadata folder.
void saveState(const LibraryState& state, const QString& root);
// The same for a caller that has just read `stored` with loadState and knows the files still hold
// it: they are not read again.
void saveState(const LibraryState& state, const QString& root, const LibraryState& stored);

Library load(const QString& root);
void save(const Library& library, const QString& root,
          const std::optional<QSet<QUuid>>& retainingBackupIDs);

void migrateCatalog(const QString& root);
void migrateCSV(const QString& source, const QString& destination,
                const std::function<void(const QString& text)>& validate);

// The journal ".lumivex/pending-write.json" of a save that changes both files: the complete texts
// about to be written, so that an interrupted save can be completed.
struct PendingWrite {
    QString catalog;
    QString deleted;

    bool operator==(const PendingWrite&) const = default;
};

// Where the journal of `root` is kept while a save's two files are written.
QString pendingWritePath(const QString& root);
QByteArray encodePendingWrite(const PendingWrite& write);
// Strict: an object whose "catalog" and "deleted" members are both strings of valid Unicode;
// anything else throws.
PendingWrite decodePendingWrite(const QByteArray& json);
// saveState(state, root, stored) with the state's two texts already rendered: they are written
// as they stand. When only one of the files changes, `beforeRename` is called right before it
// replaces the old one (see AtomicFile::write); a pair written behind its journal goes without.
void saveTexts(const PendingWrite& write, const QString& root, const LibraryState& stored,
               const std::function<void()>& beforeRename = {});

}  // namespace LibraryDisk
}  // namespace lumivex
