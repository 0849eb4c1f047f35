#pragma once

#include "catalog/deleted_archive.h"

#include <QSet>

#include <optional>

namespace lumivex {

// A library with its deleted-records archive: the unit that is loaded, saved and kept in undo.
// The edits keep both consistent; they do no input or output.
struct LibraryState {
    Library library;
    DeletedArchive deleted;

    // Moves the deleted items into the archive, stamped `date`.
    void remove(const QSet<QUuid>& ids, Date date);
    // Merges a scan: vanished items become records, returning files take their metadata back.
    void reconcile(const QList<MediaItem>& scanned, Date date);
    // The same for a folder library, keeping unscanned subfolders' items when subfolders are off.
    void reconcileFolder(const QList<MediaItem>& scanned, Date date);
    // Gives an option a new text, or removes it when `replacement` is absent, in the folders given
    // (all when absent).
    void replaceOption(const QString& option, const std::optional<QString>& replacement,
                       const Category& category, const std::optional<QSet<QString>>& folders);
    // Removes a property and its values; the rating property stays.
    void removeProperty(const QUuid& id);

    bool operator==(const LibraryState&) const = default;
};

}  // namespace lumivex
