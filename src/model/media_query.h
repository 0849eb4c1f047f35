#pragma once

#include "model/library.h"
#include "model/sort_order.h"
#include "model/video_duration_range.h"

#include <QList>
#include <QSet>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>

namespace lumivex {

struct LibraryBrowseSnapshot;

// The browser's query: which present items the grid shows and in which order. A plain value
// that the store keeps, replaces whole and applies on the main thread.
struct MediaQuery {
    QString search;  // used trimmed of white space and line breaks
    std::optional<MediaKind> kind;
    std::optional<VideoDurationRange> videoDuration;
    std::optional<QString>
        folderPath;  // "" is the root folder alone; a folder takes its subfolders
    std::int64_t minimumRating = 0;
    bool unratedOnly = false;
    bool unclassifiedOnly = false;
    std::map<QString, QString> facets;  // property identifier text to a value the item must carry
    QSet<QString> emptyFacets;          // property identifier texts the item must carry no value in
    SortOrder sort = SortOrder::captured;
    std::optional<Category> sortCategory;  // when set, replaces `sort`
    bool ascending = false;

    // The present items of the library that pass every filter, in the query's order.
    QList<MediaItem> apply(const Library& library) const;
    // The same items in the same order for the library the snapshot was built from (without the
    // top-level restriction), found through the snapshot's precomputed keys.
    QList<MediaItem> apply(const LibraryBrowseSnapshot& snapshot) const;
    // The result as positions in snapshot.items, so the grid need not copy the items.
    QList<qsizetype> positions(const LibraryBrowseSnapshot& snapshot) const;

    bool operator==(const MediaQuery&) const = default;
};

}  // namespace lumivex
