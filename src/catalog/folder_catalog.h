#pragma once

#include "catalog/library_state.h"
#include "platform/error.h"

#include <QSet>

#include <map>
#include <optional>

namespace lumivex {

// The catalog of a folder tree: one set of metadata files in every folder, joined into one
// library on load and split back per folder on save, behind the tree journal and the path guards.
// Synchronous, on the caller's (main) thread.
namespace FolderCatalog {

// One planned write of one folder, as recorded in ".lumivex/folders-pending.json".
struct Write {
    QString directory;
    QString identity;
    QString catalog;
    QString archive;

    bool operator==(const Write&) const = default;
};

// Tree listing, guards and the journalled write. The folders of the tree by root-relative key
// ("" is the root); subfolders this user may not list (DirectoryListing::refused) are left out
// with everything below them, their keys added to `leftOut`: their files are neither read nor
// written, and their items are neither missing nor deleted.
std::map<QString, QString> directories(const QString& root, QSet<QString>* leftOut = nullptr);
// Whether the folder `key` is one of `leftOut` or lies below one.
bool isLeftOut(QStringView key, const QSet<QString>& leftOut);
Error failure(const QString& message);
void validateDirectory(const QString& path);
void validateMetadata(const QString& directory);
void validatePath(const QString& path);
void validateAncestors(const QString& directory, const QString& root);
QString identity(const QString& path);
void finish(const QList<Write>& writes, const QString& root);

// The whole tree as one state, and back. Catalog rows of files that are not present become
// deleted records stamped with `clock`'s time.
LibraryState load(const QString& root, const std::optional<LibraryState>& previous,
                  const Clock& clock = Date::now);
void save(const LibraryState& state, const QString& root);

void rebindRelocatedDirectory(LibraryState& state, const QString& folder);
MediaItem prefixed(const MediaItem& item, const QString& folder,
                   const std::map<QString, QString>& mapping);

// Display property merge.
void normalize(LibraryState& state);
std::map<QString, QString> mergeCategories(const Library& library, QList<Category>& merged,
                                           const QList<Category>& preferred);

// One folder's own library and archive from the merged state.
LibraryState localState(const LibraryState& state, const QString& path,
                        const LibraryState& existing, const QList<MediaItem>& items,
                        const QList<DeletedRecord>& records);

// Per-folder property shaping for display and edit.
Library displayLibrary(const Library& library, const std::optional<QSet<QString>>& folders);
PropertyKind selectionKind(const Category& category, const QString& folder, const Library& library);
Library applyingLabel(const QString& value, const QSet<QUuid>& ids, const Category& category,
                      const Library& library);

}  // namespace FolderCatalog
}  // namespace lumivex
