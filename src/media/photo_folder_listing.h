#pragma once

#include "platform/photo_library.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace lumivex {

class PhotoFileFacts;

// One folder of the photo library, named by the tag that begins its assets' identifiers.
struct PhotoRoot {
    QString tag;
    QString path;

    bool operator==(const PhotoRoot&) const = default;
};

// The photo library read from its folders: every visible photo and video below the roots the
// user let through (`shown`, by tag), an asset's identifier being its root's tag, "/" and its
// path relative to that root. Hidden entries, symbolic links and other files are not part of it,
// nor is any root's folder lying inside another root, shown or not: its files belong to it alone.
// Pure functions of the disk; safe on any thread.
namespace PhotoFolderListing {

// Every asset, newest creation date first, then by identifier. Folders that cannot be read are
// left out; nothing throws. Stops early, returning part, when `isCancelled` answers true.
QList<PhotoAsset> list(const QList<PhotoRoot>& roots, const QStringList& shown,
                       PhotoFileFacts& facts, const PhotoLibrary::CancellationCheck& isCancelled);

// The file an identifier names, when the name is sound and it leads, through folders that are
// not links, to a photo or video regular file.
std::optional<QString> resolve(const QList<PhotoRoot>& roots, const QStringList& shown,
                               const QString& identifier);

std::optional<PhotoAsset> asset(const QList<PhotoRoot>& roots, const QStringList& shown,
                                const QString& identifier, PhotoFileFacts& facts);

}  // namespace PhotoFolderListing
}  // namespace lumivex
