#pragma once

#include "model/folder_filter_node.h"
#include "model/library.h"
#include "model/search_text_index.h"
#include "model/video_duration_preset.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace lumivex {

// Everything the browser draws from one library, computed at once so that views never walk the
// library: the shown items, their positions, the sidebar counts, the folder menu and the option
// counts, plus per-item keys that let the browse query filter and sort without collating.
// Built whole after a library or scope change; after an edit that changed items in place it
// follows the edit instead, giving what a build of the edited library would.
struct LibraryBrowseSnapshot {
    using OptionCount = std::pair<QString, qsizetype>;

    // What the snapshot is for: the browse query, which needs every key, or only the counts and
    // option lists of a scope that is never searched or sorted, which leaves `queryKeys` empty
    // (the search texts alone are about as large as the items' own texts).
    enum class Purpose { query, counts };

    // Per shown item, in the order of `items`: the keys MediaQuery uses instead of the item's
    // texts, so a search keystroke does no normalisation, case folding or collation.
    struct QueryKeys {
        QStringList folders;                      // each distinct NFC folder key once
        std::vector<std::uint32_t> folderOfItem;  // per item: its folder key's place in `folders`
        SearchTextIndex searchTexts;  // one entry per item: its searched texts' case-fold keys
        std::vector<std::uint32_t> nameRanks;  // the file name's place in the localized order
    };

    // One item that an edit changed in place: the same identifier, file name and availability
    // at the same place of the list. The pointers are valid while both lists live unchanged.
    struct ItemChange {
        const MediaItem* before = nullptr;
        const MediaItem* after = nullptr;
        bool relabelled = false;  // whether the values differ, told once for every reader
        qsizetype index = 0;      // the place in both lists
    };

    LibraryBrowseSnapshot(const Library& library, bool topLevelOnly,
                          Purpose purpose = Purpose::query);

    // The items that differ between two item lists, or nothing when the lists differ in more
    // than items changed in place (items added, removed, moved, renamed, made unavailable).
    // Chunks the lists share are not looked at.
    static std::optional<std::vector<ItemChange>> itemChanges(const MediaItems& before,
                                                              const MediaItems& after);
    // Brings the snapshot of the library whose items were `before` and whose properties were
    // `previousProperties` up to date with the library whose items are `after` and whose
    // properties are `tagProperties`: the same properties in the same order, each declaring at
    // least the options it declared before, and items that differ only by `changes`. Returns
    // false and changes nothing when that does not hold, or when an undeclared value may have
    // gone out of use with no count to tell: the snapshot must then be built.
    bool follow(const std::vector<ItemChange>& changes, const QList<Category>& previousProperties,
                const QList<Category>& tagProperties, const MediaItems& before,
                const MediaItems& after);

    MediaItems items;
    QHash<QUuid, std::uint32_t> positions;  // a library holds far fewer than 2^32 items
    qsizetype photoCount = 0;
    qsizetype videoCount = 0;
    std::map<VideoDurationPreset, qsizetype> videoDurationCounts;  // no entry for an empty bucket
    qsizetype unratedCount = 0;
    qsizetype unclassifiedCount = 0;
    QStringList folderPaths;
    std::vector<FolderFilterNode> folderTree;
    std::map<QUuid, QList<OptionCount>> labels;
    QueryKeys queryKeys;
    // Whether every item of the library is shown, so that the counts are the values' whole use.
    bool showsEveryItem = false;

    // The shown item with this identifier (the lookup by identifier), or null.
    const MediaItem* item(const QUuid& id) const;
    // Takes the other snapshot's table of positions when both show equal items, so that two
    // snapshots of one list keep one table. Following an edit never changes the table.
    void sharePositionsWith(const LibraryBrowseSnapshot& other);

    Purpose purpose() const { return purpose_; }

private:
    Purpose purpose_ = Purpose::query;

    // Adds the item to the counts (`sign` 1) or takes it out (-1).
    void countItem(const MediaItem& item, int sign);
    // The changed item's place among the shown items, if it is shown.
    std::optional<qsizetype> positionOf(const ItemChange& change) const;
};

}  // namespace lumivex
