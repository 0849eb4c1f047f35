#include "store/store_paths.h"

#include "platform/error.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace lumivex::StorePaths {

QString standardized(const QString& folder) {
    return QDir::cleanPath(QDir::isAbsolutePath(folder) ? folder
                                                        : QDir::current().absoluteFilePath(folder));
}

QString metadataFolder(const QString& root) {
    return root + QStringLiteral("/.lumivex");
}

QString catalogFile(const QString& root) {
    return root + QStringLiteral("/.lumivex/lumivex.csv");
}

QString deletedFile(const QString& root) {
    return root + QStringLiteral("/.lumivex/deleted.csv");
}

bool isDirectory(const QString& path) {
    return QFileInfo(path).isDir();
}

Error noSuchFile(const QString& path) {
    return Error::fromErrno(ENOENT, path);
}

}  // namespace lumivex::StorePaths
