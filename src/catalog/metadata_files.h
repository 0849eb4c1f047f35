#pragma once

#include <QByteArray>
#include <QString>

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
// Strict UTF-8; invalid bytes are CatalogError::invalidCSV, never repaired.
QString text(const QByteArray& bytes);

// Creates the folder and any missing parents; throws Error::fromErrno.
void makeFolder(const QString& path);
// Renames `source` to `destination` on the same file system; throws Error::fromErrno.
void move(const QString& source, const QString& destination);

}  // namespace MetadataFiles
}  // namespace lumivex
