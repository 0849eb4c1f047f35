#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lumivex {

// The folder that holds the photo library's metadata files, made ready before a connection.
// Main thread, synchronous.
namespace PhotosCatalogLocation {

// "Lumivex/Photos" under the user's data folder.
QString defaultDestination();

// The folders earlier versions kept the photo library's metadata in, in the order they are tried.
QStringList defaultLegacyDirectories();

// Makes sure `destination` is a folder and returns it unchanged: an existing item there must be
// a folder (not a link to one); otherwise the first existing legacy folder that holds metadata
// files is moved there, or an empty folder is created. `legacyDirectories` absent means the
// default list. Throws Error; what was done before a failure stays done.
QString prepare(const QString& destination,
                const std::optional<QStringList>& legacyDirectories = std::nullopt);

}  // namespace PhotosCatalogLocation
}  // namespace lumivex
