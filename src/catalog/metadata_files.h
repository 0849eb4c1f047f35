#pragma once

#include "platform/date.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace lumivex {

// Paths and whole-file reads of a folder's ".lumivex" metadata, with the system's reason in every
// failure. Writes go through AtomicFile. Synchronous, on the caller's thread.
namespace MetadataFiles {

inline const QString errorDomain = QStringLiteral("Lumivex");

QString join(const QString& folder, QStringView name);
// The metadata folder of `root`, and the file `name` in it.
QString folder(const QString& root);
QString path(const QString& root, QStringView name);

// Whether anything is at `path`, without following a final symbolic link.
bool exists(const QString& path);
// The whole file; throws Error::fromErrno.
QByteArray read(const QString& path);
// The whole file, or nothing when it cannot be read for any reason.
std::optional<QByteArray> readIfPossible(const QString& path);

// Creates the metadata folder `path` in its folder, which must exist: a save never makes a media
// folder, not even one removed or renamed while it runs. An existing folder is fine; throws
// Error::fromErrno.
void makeFolder(const QString& path);
// AtomicFile::write of a metadata file, into a metadata folder that exists.
void write(const QString& path, const QByteArray& bytes,
           const std::function<void()>& beforeRename = {});
// Renames `source` to `destination` on the same file system; throws Error::fromErrno.
void move(const QString& source, const QString& destination);

// Removes from the metadata folder of `root` (and its copy of a first layout) the temporary files
// that our own atomic writes of its files left behind when their removal failed: regular files
// named as AtomicFile names the temporaries of those files, last changed before `before` (the
// start of the save or open in progress), so that a write still under way keeps its file.
// Nothing else is touched, and no symbolic link is followed. Failures are passed over: a
// leftover costs only its room, and the next save or open tries again.
void removeStaleTemporaries(const QString& root, Date before);

}  // namespace MetadataFiles
}  // namespace lumivex
