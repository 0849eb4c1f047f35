#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace lumivex {

// What the two catalog files of each folder held when this process last took them into the
// library it shows, or last wrote them: a save compares a folder's files with it before writing
// them, so that a file changed from outside since is never overwritten from the older copy, and
// it counts the outside changes met, so that undo never replays over one. Keyed by the folder's
// path. Main thread only, like every catalog read and write.
namespace CatalogStamps {

// The SHA-256 of each file's bytes, empty for a file that was absent. Not `sure` when the files
// changed while they were being read: they then count as changed from outside.
struct Stamp {
    QByteArray catalog;
    QByteArray archive;
    bool sure = true;

    bool operator==(const Stamp&) const = default;
};

// The stamp of the folder's files as they are now. Any thread.
Stamp onDisk(const QString& folder);
// The stamp of bytes in hand, `nullptr` standing for an absent file. Any thread.
Stamp of(const QByteArray* catalog, const QByteArray* archive);
// Whether `found` is not the stamp `known` vouches for.
bool differs(const Stamp& known, const Stamp& found);

// Nothing when nothing is known of the folder: a save then writes it as it always did.
std::optional<Stamp> known(const QString& folder);
// A read of the folder taken into the library: nothing when the read vouches for nothing. A read
// that found other files than the ones known counts as an outside change.
void adopt(const QString& folder, const std::optional<Stamp>& stamp);
// The store's own write of the folder.
void wrote(const QString& folder, const Stamp& stamp);

// How many outside changes were met since the process started.
std::uint64_t outsideChanges();
void noteOutsideChange();

// Forgets every stamp, as a process that never read the folders would know none; for tests that
// hold a save up against one that knows nothing.
void clear();

}  // namespace CatalogStamps
}  // namespace lumivex
