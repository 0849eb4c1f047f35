#include "model/library_browse_snapshot.h"

#include "model/video_duration_range.h"
#include "platform/text_order.h"

#include <QSet>

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

// Adds the item to its length bucket (`sign` 1) or takes it out (-1); an empty bucket has no entry.
void countDuration(std::map<VideoDurationPreset, qsizetype>& counts, const MediaItem& item,
                   int sign) {
    if (item.kind != MediaKind::video || !item.duration) {
        return;
    }
    for (VideoDurationPreset preset : allVideoDurationPresets) {
        if (range(preset).contains(*item.duration)) {
            if ((counts[preset] += sign) == 0) {
                counts.erase(preset);
            }
            return;
        }
    }
}

// Per property identifier text, how often each normal form of a value was gained (positive)
// or lost (negative) by the changed items.
using ValueDeltas = QHash<QString, QHash<QString, qsizetype>>;

void addValues(ValueDeltas& deltas, const Labels& labels, int sign) {
    for (const auto& [key, values] : labels) {
        QHash<QString, qsizetype>& counts = deltas[key];
        for (const QString& value : values) {
            counts[TextOrder::nfc(value)] += sign;
        }
    }
}

// Per property identifier text, the values of the lists that changed, before and after.
using TouchedValues = QHash<QString, QSet<QString>>;

void touchValues(TouchedValues& touched, const Labels& before, const Labels& after) {
    const auto touch = [&touched](const Labels& labels, const Labels& other) {
        for (const auto& [key, values] : labels) {
            const auto found = other.find(key);
            if (found == other.end() || found->second != values) {
                for (const QString& value : values) {
                    touched[key].insert(value);
                }
            }
        }
    };
    touch(before, after);
    touch(after, before);
}

// Whether every touched value is declared by its property, so that the property's option list
// (declared options, then the undeclared values in use, each in the spelling met first) stays.
bool declaredOnly(const TouchedValues& touched, const QList<Category>& tagProperties) {
    for (const Category& property : tagProperties) {
        const auto values = touched.constFind(property.idText());
        if (values == touched.constEnd()) {
            continue;
        }
        QSet<QString> declared;
        for (const QString& option : property.options) {
            declared.insert(TextOrder::nfc(option));
        }
        for (const QString& value : *values) {
            if (!declared.contains(TextOrder::nfc(value))) {
                return false;
            }
        }
    }
    return true;
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

LibraryBrowseSnapshot::LibraryBrowseSnapshot(const Library& library, bool topLevelOnly,
                                             Purpose purpose)
    : items(shownItems(library, topLevelOnly)), purpose_(purpose) {
    const bool querying = purpose == Purpose::query;
    positions.reserve(items.size());
    QHash<QString, QString> folders;
    QHash<QString, QHash<QString, qsizetype>> rawValueCounts;
    QStringList countedFolders;
    QStringList& folderKeyList = querying ? queryKeys.folders : countedFolders;
    FolderKeys folderKeys(folderKeyList);
    if (querying) {
        queryKeys.folderOfItem.reserve(static_cast<size_t>(items.size()));
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        const MediaItem& shown = items.at(i);
        positions.insert(shown.id, static_cast<std::uint32_t>(i));
        countItem(shown, 1);
        const QString folder = shown.folder();
        const std::uint32_t folderIndex = folderKeys.index(folder);
        addFolder(folders, folder, folderKeyList[folderIndex]);
        for (const auto& [key, values] : shown.labels) {
            QHash<QString, qsizetype>& counts = rawValueCounts[key];
            for (const QString& value : values) {
                ++counts[value];
            }
        }
        if (querying) {
            queryKeys.folderOfItem.push_back(folderIndex);
            queryKeys.searchTexts.addItem(shown);
        }
    }
    videoCount = items.size() - photoCount;
    if (querying) {
        queryKeys.searchTexts.finish();
        queryKeys.nameRanks = nameRanks(items);
    }

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

std::optional<std::vector<LibraryBrowseSnapshot::ItemChange>> LibraryBrowseSnapshot::itemChanges(
    const MediaItems& before, const MediaItems& after) {
    if (before.size() != after.size()) {
        return std::nullopt;
    }
    std::vector<ItemChange> changes;
    for (qsizetype chunk = 0; chunk < before.chunkCount(); ++chunk) {
        if (before.sharesChunkWith(after, chunk)) {
            continue;
        }
        const qsizetype end = std::min(before.size(), (chunk + 1) * MediaItems::chunkCapacity);
        for (qsizetype i = chunk * MediaItems::chunkCapacity; i < end; ++i) {
            const MediaItem& old = before[i];
            const MediaItem& now = after[i];
            if (old == now) {
                continue;
            }
            if (old.id != now.id || old.filename != now.filename ||
                old.available != now.available) {
                return std::nullopt;
            }
            changes.push_back({&old, &now});
        }
    }
    return changes;
}

bool LibraryBrowseSnapshot::follow(const std::vector<ItemChange>& changes,
                                   const QList<Category>& tagProperties, const MediaItems& before,
                                   const MediaItems& after) {
    std::vector<std::pair<qsizetype, const ItemChange*>> shown;
    // The option lists take the values of every item, the counts those of the shown ones.
    TouchedValues touched;
    ValueDeltas deltas;
    for (const ItemChange& change : changes) {
        const bool relabelled = !(change.before->labels == change.after->labels);
        if (relabelled) {
            touchValues(touched, change.before->labels, change.after->labels);
        }
        const auto found = positions.constFind(change.after->id);
        if (found == positions.constEnd()) {
            continue;
        }
        shown.emplace_back(*found, &change);
        if (relabelled) {
            addValues(deltas, change.before->labels, -1);
            addValues(deltas, change.after->labels, 1);
        }
    }
    if (!declaredOnly(touched, tagProperties)) {
        return false;
    }
    std::sort(shown.begin(), shown.end());
    std::vector<std::pair<qsizetype, const MediaItem*>> searched;
    for (const auto& [position, change] : shown) {
        countItem(*change->before, -1);
        countItem(*change->after, 1);
        if (change->before->notes != change->after->notes ||
            !(change->before->labels == change->after->labels)) {
            searched.emplace_back(position, change->after);
        }
    }
    videoCount = items.size() - photoCount;
    if (purpose_ == Purpose::query) {
        queryKeys.searchTexts.replaceEntries(searched);
    }
    followLabels(deltas, tagProperties);
    if (items.sharesAllItemsWith(before)) {
        items = after;
    } else {
        for (const auto& [position, change] : shown) {
            items[position] = *change->after;
        }
    }
    return true;
}

void LibraryBrowseSnapshot::countItem(const MediaItem& item, int sign) {
    photoCount += item.kind == MediaKind::photo ? sign : 0;
    countDuration(videoDurationCounts, item, sign);
    unratedCount += item.rating == 0 ? sign : 0;
    unclassifiedCount += item.isUnclassified() ? sign : 0;
}

void LibraryBrowseSnapshot::followLabels(const QHash<QString, QHash<QString, qsizetype>>& deltas,
                                         const QList<Category>& tagProperties) {
    for (const Category& property : tagProperties) {
        const auto changed = deltas.constFind(property.idText());
        if (changed == deltas.constEnd()) {
            continue;
        }
        for (auto& [option, count] : labels[property.id]) {
            count += changed->value(TextOrder::nfc(option), 0);
        }
    }
}

void LibraryBrowseSnapshot::sharePositionsWith(const LibraryBrowseSnapshot& other) {
    if (!positions.isSharedWith(other.positions) && items == other.items) {
        positions = other.positions;
    }
}

const MediaItem* LibraryBrowseSnapshot::item(const QUuid& id) const {
    const auto found = positions.constFind(id);
    return found == positions.constEnd() ? nullptr : &items[*found];
}

}  // namespace lumivex
