#include "platform/trash_destination.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace lumivex {

namespace {

// Makes `path` with its missing parents, each new one the user's alone, as the data folders of a
// new account are.
bool makePrivatePath(const QByteArray& path) {
    struct stat status {};
    if (::stat(path.constData(), &status) == 0) {
        return S_ISDIR(status.st_mode);
    }
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0 && !makePrivatePath(path.left(slash))) {
        return false;
    }
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

bool makeTrashFolders(const QByteArray& trash) {
    return makePrivatePath(trash + "/files") && makePrivatePath(trash + "/info");
}

// A relative XDG_DATA_HOME is ignored: it would put the Trash under the working folder.
QString dataHome() {
    const QString set = qEnvironmentVariable("XDG_DATA_HOME");
    return QDir::isAbsolutePath(set) ? QDir::cleanPath(set)
                                     : QDir::homePath() + QStringLiteral("/.local/share");
}

// The last folder on the way up from `folder` (a real path) that is still on `device`.
QByteArray mountTop(QByteArray folder, dev_t device) {
    while (folder != "/") {
        const qsizetype slash = folder.lastIndexOf('/');
        const QByteArray parent = slash == 0 ? QByteArray("/") : folder.left(slash);
        struct stat status {};
        if (::stat(parent.constData(), &status) != 0 || status.st_dev != device) {
            break;
        }
        folder = parent;
    }
    return folder;
}

// Makes `path` for the user alone unless something is there; whether it is then a folder of the
// user's own, not a link someone else placed.
bool ownFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid();
}

// The shared "$top/.Trash" serves only as a real sticky folder, where users cannot take each
// other's folders; else each user has "$top/.Trash-$uid".
std::optional<QByteArray> topTrash(const QByteArray& top) {
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray user = QByteArray::number(::geteuid());
    struct stat shared {};
    if (::lstat((base + "/.Trash").constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX) != 0 && ownFolder(base + "/.Trash/" + user)) {
        return base + "/.Trash/" + user;
    }
    if (ownFolder(base + "/.Trash-" + user)) {
        return base + "/.Trash-" + user;
    }
    return std::nullopt;
}

}  // namespace

std::optional<TrashDestination> TrashDestination::forFile(const QString& path) {
    const QFileInfo file(path);
    struct stat folder {};
    struct stat home {};
    // A rename stays within the file's folder's file system; on overlay file systems the file's
    // own device can differ from it.
    if (::stat(QFile::encodeName(file.absolutePath()).constData(), &folder) != 0) {
        return std::nullopt;
    }
    if (::stat(QFile::encodeName(QDir::homePath()).constData(), &home) == 0 &&
        home.st_dev == folder.st_dev) {
        const QByteArray trash = QFile::encodeName(dataHome()) + "/Trash";
        return makeTrashFolders(trash)
                   ? std::optional(TrashDestination{trash, QFile::encodeName(path)})
                   : std::nullopt;
    }
    const QByteArray real = QFile::encodeName(QFileInfo(file.absolutePath()).canonicalFilePath());
    if (!real.startsWith('/')) {
        return std::nullopt;
    }
    const QByteArray top = mountTop(real, folder.st_dev);
    const std::optional<QByteArray> trash = topTrash(top);
    if (!trash || !makeTrashFolders(*trash)) {
        return std::nullopt;
    }
    const QByteArray inside =
        (real == "/" ? QByteArray() : real) + '/' + QFile::encodeName(file.fileName());
    return TrashDestination{*trash, inside.mid(top == "/" ? 1 : top.size() + 1)};
}

}  // namespace lumivex
