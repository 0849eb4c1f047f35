#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace lumivex {

// Where a file goes when it is moved to the Trash: the Trash folder that takes it ("files" and
// "info" inside) and the original location its record names.
struct TrashDestination {
    QByteArray folder;
    // An absolute path in the home Trash; in the Trash at the top of another mount, a path
    // relative to that top, so the record stays right wherever the mount is attached next.
    QByteArray recordedPath;

    // The home Trash for a file on the home folder's device, else the Trash at the top of the
    // file's mount, made when missing; nothing when neither can be made. `path` is absolute.
    static std::optional<TrashDestination> forFile(const QString& path);
};

}  // namespace lumivex
