#include "media/photo_folder_listing.h"

#include "media/photo_file_facts.h"
#include "platform/directory_listing.h"
#include "platform/error.h"
#include "platform/media_type.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>
#include <algorithm>

namespace lumivex::PhotoFolderListing {

namespace {

bool isWritableFolder(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

PhotoAsset makeAsset(const QString& identifier, const QString& path, const QString& name,
                     MediaContent content, const FileStatus& status, bool canDelete,
                     PhotoFileFacts& facts) {
    const PhotoFileFacts::Facts found = facts.of(path, content, status);
    const bool video = content == MediaContent::video;
    PhotoAsset asset;
    asset.localIdentifier = identifier;
    asset.canDelete = canDelete;
    asset.mediaType = video ? PhotoMediaType::video : PhotoMediaType::image;
    asset.creationDate =
        found.captured ? found.captured : (status.created ? status.created : status.modified);
    asset.modificationDate = status.modified;
    asset.duration = video ? found.duration.value_or(0) : 0;
    asset.resources = {{video ? PhotoResourceType::video : PhotoResourceType::photo, name}};
    return asset;
}

// The subfolders and media files of `folder`; only the media files are examined whole.
QList<DirectoryEntry> foldersAndMedia(const QString& folder) {
    DirectoryListing listing(folder);
    QList<DirectoryEntry> entries;
    DirectoryEntry entry;
    while (listing.nextType(entry)) {
        const bool media =
            entry.status.isRegularFile() && MediaType::ofFile(entry.name) != MediaContent::none;
        if (entry.status.isDirectory() || (media && listing.examine(entry))) {
            entries.append(entry);
        }
    }
    return entries;
}

// Whether `path` is the folder of a root other than `root`: its files belong to that root.
bool isOtherRoot(const QString& path, const PhotoRoot& root, const QList<PhotoRoot>& roots) {
    return std::any_of(roots.begin(), roots.end(), [&](const PhotoRoot& other) {
        return other.tag != root.tag && QDir::cleanPath(other.path) == path;
    });
}

// Breadth-first through one root; false when cancelled.
bool listRoot(const PhotoRoot& root, const QList<PhotoRoot>& roots, PhotoFileFacts& facts,
              const PhotoLibrary::CancellationCheck& isCancelled, QList<PhotoAsset>& assets) {
    const QString base = QDir::cleanPath(root.path);
    QStringList pending{QString()};  // folders relative to the root
    for (qsizetype next = 0; next < pending.size(); ++next) {
        const QString relative = pending[next];
        const QString folder = relative.isEmpty() ? base : base + u'/' + relative;
        QList<DirectoryEntry> entries;
        try {
            entries = foldersAndMedia(folder);
        } catch (const Error&) {
            continue;
        }
        const bool canDelete = isWritableFolder(folder);
        for (const DirectoryEntry& entry : entries) {
            if (isCancelled()) {
                return false;
            }
            const QString child = relative.isEmpty() ? entry.name : relative + u'/' + entry.name;
            const QString path = base + u'/' + child;
            if (entry.status.isDirectory() && !isOtherRoot(path, root, roots)) {
                pending.append(child);
            }
            const MediaContent content = MediaType::ofFile(entry.name);
            if (entry.status.isRegularFile() && content != MediaContent::none) {
                assets.append(makeAsset(root.tag + u'/' + child, path, entry.name, content,
                                        entry.status, canDelete, facts));
            }
        }
    }
    return true;
}

bool isSoundPart(const QString& part) {
    return !part.isEmpty() && !part.startsWith(u'.') && !part.contains(QChar(u'\0'));
}

// The shown roots, each folder once: a root naming the folder of an earlier one adds nothing.
QList<PhotoRoot> listedRoots(const QList<PhotoRoot>& roots, const QStringList& shown) {
    QList<PhotoRoot> listed;
    for (const PhotoRoot& root : roots) {
        const QString path = QDir::cleanPath(root.path);
        const bool seen = std::any_of(listed.begin(), listed.end(), [&](const PhotoRoot& earlier) {
            return earlier.path == path;
        });
        if (shown.contains(root.tag) && !seen) {
            listed.append({root.tag, path});
        }
    }
    return listed;
}

const PhotoRoot* rootOf(const QList<PhotoRoot>& roots, QStringView tag) {
    const auto found = std::find_if(roots.begin(), roots.end(),
                                    [&](const PhotoRoot& root) { return root.tag == tag; });
    return found == roots.end() ? nullptr : &*found;
}

}  // namespace

QList<PhotoAsset> list(const QList<PhotoRoot>& roots, const QStringList& shown,
                       PhotoFileFacts& facts, const PhotoLibrary::CancellationCheck& isCancelled) {
    QList<PhotoAsset> assets;
    for (const PhotoRoot& root : listedRoots(roots, shown)) {
        if (!listRoot(root, roots, facts, isCancelled, assets)) {
            return assets;
        }
    }
    std::stable_sort(assets.begin(), assets.end(), [](const PhotoAsset& a, const PhotoAsset& b) {
        if (a.creationDate != b.creationDate) {
            return a.creationDate > b.creationDate;
        }
        return a.localIdentifier < b.localIdentifier;
    });
    return assets;
}

std::optional<QString> resolve(const QList<PhotoRoot>& roots, const QStringList& shown,
                               const QString& identifier) {
    const QList<PhotoRoot> listed = listedRoots(roots, shown);
    const qsizetype slash = identifier.indexOf(u'/');
    const PhotoRoot* root =
        slash > 0 ? rootOf(listed, QStringView(identifier).left(slash)) : nullptr;
    if (root == nullptr) {
        return std::nullopt;
    }
    const QStringList parts = identifier.mid(slash + 1).split(u'/');
    if (!std::all_of(parts.begin(), parts.end(), isSoundPart)) {
        return std::nullopt;
    }
    QString location = root->path;
    try {
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            location += u'/' + parts[i];
            if (!FileStatus::read(location).isDirectory() || isOtherRoot(location, *root, roots)) {
                return std::nullopt;
            }
        }
        location += u'/' + parts.last();
        if (!FileStatus::read(location).isRegularFile() ||
            MediaType::ofFile(parts.last()) == MediaContent::none) {
            return std::nullopt;
        }
    } catch (const Error&) {
        return std::nullopt;
    }
    return location;
}

std::optional<PhotoAsset> asset(const QList<PhotoRoot>& roots, const QStringList& shown,
                                const QString& identifier, PhotoFileFacts& facts) {
    const std::optional<QString> path = resolve(roots, shown, identifier);
    if (!path) {
        return std::nullopt;
    }
    try {
        const FileStatus status = FileStatus::read(*path);
        const QString name = identifier.section(u'/', -1);
        return makeAsset(identifier, *path, name, MediaType::ofFile(name), status,
                         isWritableFolder(QFileInfo(*path).path()), facts);
    } catch (const Error&) {
        return std::nullopt;
    }
}

}  // namespace lumivex::PhotoFolderListing
