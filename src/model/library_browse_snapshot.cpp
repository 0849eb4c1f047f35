#include "model/library_browse_snapshot.h"

#include "model/video_duration_range.h"
#include "platform/text_order.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace lumivex {

namespace {

// Numbers the distinct folder keys in `keys`; the items of one folder mostly stand together.
class FolderKeys {
public:
    explicit FolderKeys(QStringList& keys) : keys_(keys) {}

    std::uint32_t index(const QString& folder) {
        if (folder != folder_ || keys_.isEmpty()) {
            folder_ = folder;
            const QString key = TextOrder::nfc(folder);
            auto found = indexes_.constFind(key);
            if (found == indexes_.constEnd()) {
                found = indexes_.insert(key, static_cast<std::uint32_t>(keys_.size()));
                keys_.append(key);
            }
            index_ = *found;
        }
        return index_;
    }

private:
    QStringList& keys_;
    QHash<QString, std::uint32_t> indexes_;
    QString folder_;
    std::uint32_t index_ = 0;
};

MediaItems shownItems(const Library& library, bool topLevelOnly) {
    const auto isShown = [topLevelOnly](const MediaItem& item) {
        return item.available && (!topLevelOnly || !item.filename.contains(u'/'));
    };
    if (std::all_of(library.items.begin(), library.items.end(), isShown)) {
        return library.items;  // shared, not copied
    }
    MediaItems shown;
    std::copy_if(library.items.begin(), library.items.end(), std::back_inserter(shown), isShown);
    return shown;
}

// Counts of each value per property identifier text, with canonically equivalent values merged.
QHash<QString, QHash<QString, qsizetype>> normalizedCounts(
    const QHash<QString, QHash<QString, qsizetype>>& rawCounts) {
    QHash<QString, QHash<QString, qsizetype>> counts;
    for (auto property = rawCounts.cbegin(); property != rawCounts.cend(); ++property) {
        QHash<QString, qsizetype>& merged = counts[property.key()];
        for (auto value = property->cbegin(); value != property->cend(); ++value) {
            merged[TextOrder::nfc(value.key())] += value.value();
        }
    }
    return counts;
}

// Each file name's place in the localized standard order; canonically equivalent names share one.
std::vector<std::uint32_t> nameRanks(const MediaItems& items) {
    // Made before the sort keys, so the keys' room is the last taken and the first handed back.
    std::vector<std::uint32_t> ranks(static_cast<size_t>(items.size()), 0);
    std::vector<std::pair<TextOrder::SortKey, qsizetype>> keys;
    keys.reserve(static_cast<size_t>(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
        keys.emplace_back(TextOrder::SortKey(items[i].filename), i);
    }
    std::sort(keys.begin(), keys.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::uint32_t rank = 0;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (k > 0 && keys[k - 1].first.compare(keys[k].first) != 0) {
            ++rank;
        }
        ranks[static_cast<size_t>(keys[k].second)] = rank;
    }
    return ranks;
}

void countDuration(std::map<VideoDurationPreset, qsizetype>& counts, const MediaItem& item) {
    if (item.kind != MediaKind::video || !item.duration) {
        return;
    }
    for (VideoDurationPreset preset : allVideoDurationPresets) {
        if (range(preset).contains(*item.duration)) {
            ++counts[preset];
            return;
        }
    }
}

// Adds the folder and its ancestors, keyed by NFC and spelled as first seen.
void addFolder(QHash<QString, QString>& folders, const QString& folder, const QString& key) {
    if (folders.contains(key)) {
        return;
    }
    folders.insert(key, folder);
    QString path = folder;
    for (qsizetype slash = path.lastIndexOf(u'/'); slash > 0; slash = path.lastIndexOf(u'/')) {
        path.truncate(slash);
        const QString ancestorKey = TextOrder::nfc(path);
        if (folders.contains(ancestorKey)) {
            return;
        }
        folders.insert(ancestorKey, path);
    }
}

}  // namespace

LibraryBrowseSnapshot::LibraryBrowseSnapshot(const Library& library, bool topLevelOnly)
    : items(shownItems(library, topLevelOnly)) {
    positions.reserve(items.size());
    queryKeys.folderOfItem.reserve(static_cast<size_t>(items.size()));
    QHash<QString, QString> folders;
    QHash<QString, QHash<QString, qsizetype>> rawValueCounts;
    FolderKeys folderKeys(queryKeys.folders);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const MediaItem& shown = items.at(i);
        positions.insert(shown.id, static_cast<std::uint32_t>(i));
        photoCount += shown.kind == MediaKind::photo ? 1 : 0;
        countDuration(videoDurationCounts, shown);
        unratedCount += shown.rating == 0 ? 1 : 0;
        unclassifiedCount += shown.isUnclassified() ? 1 : 0;
        const QString folder = shown.folder();
        queryKeys.folderOfItem.push_back(folderKeys.index(folder));
        addFolder(folders, folder, queryKeys.folders[queryKeys.folderOfItem.back()]);
        for (const auto& [key, values] : shown.labels) {
            QHash<QString, qsizetype>& counts = rawValueCounts[key];
            for (const QString& value : values) {
                ++counts[value];
            }
        }
        queryKeys.searchTexts.addItem(shown);
    }
    queryKeys.searchTexts.finish();
    videoCount = items.size() - photoCount;
    queryKeys.nameRanks = nameRanks(items);

    folderPaths = folders.values();
    TextOrder::sortLocalizedStandard(folderPaths);
    folderTree = FolderFilterNode::tree(folderPaths);

    const auto valueCounts = normalizedCounts(rawValueCounts);
    for (const Category& property : library.tagProperties()) {
        const QHash<QString, qsizetype> counts = valueCounts.value(property.idText());
        QList<OptionCount> options;
        for (const QString& option : library.options(property)) {
            options.append({option, counts.value(TextOrder::nfc(option), 0)});
        }
        labels[property.id] = std::move(options);
    }
}

const MediaItem* LibraryBrowseSnapshot::item(const QUuid& id) const {
    const auto found = positions.constFind(id);
    return found == positions.constEnd() ? nullptr : &items[*found];
}

}  // namespace lumivex
