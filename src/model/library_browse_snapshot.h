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
#include <utility>
#include <vector>

namespace lumivex {

// Everything the browser draws from one library, computed at once so that views never walk the
// library: the shown items, their positions, the sidebar counts, the folder menu and the option
// counts, plus per-item keys that let the browse query filter and sort without collating.
// Built whole on the main thread after each library or scope change, and never changed.
struct LibraryBrowseSnapshot {
    using OptionCount = std::pair<QString, qsizetype>;

    // Per shown item, in the order of `items`: the keys MediaQuery uses instead of the item's
    // texts, so a search keystroke does no normalisation, case folding or collation.
    struct QueryKeys {
        QStringList folders;                      // each distinct NFC folder key once
        std::vector<std::uint32_t> folderOfItem;  // per item: its folder key's place in `folders`
        SearchTextIndex searchTexts;  // one entry per item: its searched texts' case-fold keys
        std::vector<std::uint32_t> nameRanks;  // the file name's place in the localized order
    };

    LibraryBrowseSnapshot(const Library& library, bool topLevelOnly);

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

    // The shown item with this identifier (the lookup by identifier), or null.
    const MediaItem* item(const QUuid& id) const;
};

}  // namespace lumivex
