#pragma once

#include <QString>

namespace lumivex {

class Error;

// The paths the store looks at under a library root, and its checks of them. Main thread.
namespace StorePaths {

// Absolute, with "." and ".." resolved as text and no trailing slash; links are kept.
QString standardized(const QString& folder);
QString catalogFile(const QString& root);
QString deletedFile(const QString& root);
QString metadataFolder(const QString& root);
// Whether a directory is at `path`, following symbolic links.
bool isDirectory(const QString& path);
// The system's "no such file" error for `path`.
Error noSuchFile(const QString& path);

}  // namespace StorePaths
}  // namespace lumivex
