#include "model/library_browse_snapshot.h"

#include "model/video_duration_range.h"
#include "platform/text_order.h"

#include <algorithm>
#include <vector>

namespace lumivex {

namespace {

bool hasNoValues(const Labels& labels) {
    return std::all_of(labels.begin(), labels.end(),
                       [](const auto& entry) { return entry.second.isEmpty(); });
}

QString searchText(const MediaItem& item) {
    // U+0000 between the texts keeps a match from spanning two of them; the query falls back to
    // text-by-text search for a search text that holds U+0000 itself.
    QString joined = item.filename + QChar(u'\0') + item.notes;
    for (const auto& [key, values] : item.labels) {
        for (const QString& value : values) {
            joined += QChar(u'\0') + value;
        }
    }
    return TextOrder::nfc(joined).toCaseFolded();
}

// Each file name's place in the localized standard order; canonically equivalent names share one.
QList<qsizetype> nameRanks(const QList<MediaItem>& items) {
    std::vector<std::pair<TextOrder::SortKey, qsizetype>> keys;
    keys.reserve(static_cast<size_t>(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
        keys.emplace_back(TextOrder::SortKey(items[i].filename), i);
    }
    std::sort(keys.begin(), keys.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<qsizetype> ranks(items.size(), 0);
    qsizetype rank = 0;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (k > 0 && keys[k - 1].first.compare(keys[k].first) != 0) {
            ++rank;
        }
        ranks[keys[k].second] = rank;
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

LibraryBrowseSnapshot::LibraryBrowseSnapshot(const Library& library, bool topLevelOnly) {
    for (const MediaItem& candidate : library.items) {
        if (candidate.available && (!topLevelOnly || !candidate.filename.contains(u'/'))) {
            items.append(candidate);
        }
    }
    positions.reserve(items.size());
    queryKeys.folders.reserve(items.size());
    queryKeys.searchTexts.reserve(items.size());
    QHash<QString, QString> folders;
    QHash<QString, QHash<QString, qsizetype>> valueCounts;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const MediaItem& shown = items[i];
        positions.insert(shown.id, i);
        photoCount += shown.kind == MediaKind::photo ? 1 : 0;
        countDuration(videoDurationCounts, shown);
        unratedCount += shown.rating == 0 ? 1 : 0;
        unclassifiedCount += hasNoValues(shown.labels) ? 1 : 0;
        const QString folder = shown.folder();
        queryKeys.folders.append(TextOrder::nfc(folder));
        addFolder(folders, folder, queryKeys.folders.last());
        for (const auto& [key, values] : shown.labels) {
            QHash<QString, qsizetype>& counts = valueCounts[key];
            for (const QString& value : values) {
                ++counts[TextOrder::nfc(value)];
            }
        }
        queryKeys.searchTexts.append(searchText(shown));
    }
    videoCount = items.size() - photoCount;
    queryKeys.nameRanks = nameRanks(items);

    folderPaths = folders.values();
    TextOrder::sortLocalizedStandard(folderPaths);
    folderTree = FolderFilterNode::tree(folderPaths);

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
