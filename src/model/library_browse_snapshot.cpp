#include "model/library_browse_snapshot.h"

#include "model/video_duration_range.h"
#include "platform/parallel_work.h"
#include "platform/text_order.h"

#include <QSet>

#include <algorithm>
#include <functional>
#include <iterator>
#include <tuple>
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
// Each tag property's options with the number of shown items holding each.
std::map<QUuid, QList<LibraryBrowseSnapshot::OptionCount>> optionCounts(const Library& library,
                                                                        const MediaItems& shown) {
    QHash<QString, QHash<QString, qsizetype>> rawValueCounts;
    for (const MediaItem& item : shown) {
        for (const auto& [key, values] : item.labels) {
            QHash<QString, qsizetype>& counts = rawValueCounts[key];
            for (const QString& value : values) {
                ++counts[value];
            }
        }
    }
    const auto valueCounts = normalizedCounts(rawValueCounts);
    std::map<QUuid, QList<LibraryBrowseSnapshot::OptionCount>> labels;
    for (const Category& property : library.tagProperties()) {
        const QHash<QString, qsizetype> counts = valueCounts.value(property.idText());
        QList<LibraryBrowseSnapshot::OptionCount> options;
        for (const QString& option : library.options(property)) {
            options.append({option, counts.value(TextOrder::nfc(option), 0)});
        }
        labels[property.id] = std::move(options);
    }
    return labels;
}

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

// The same, per spelling: a value is usually given to many items at once, and its normal form
// is then made once.
class SpelledDeltas {
public:
    // Counts what one item's values of one property gained and lost. Values the item holds as
    // often before as after are passed over: most of an edit's items keep most of their values.
    void add(const QString& key, const QStringList& old, const QStringList& now) {
        QHash<QString, qsizetype>* counts = nullptr;
        const auto count = [&](const QString& value, qsizetype by) {
            if (by != 0) {
                if (!counts) {
                    counts = &spelled_[key];
                }
                (*counts)[value] += by;
            }
        };
        // Long lists are counted whole rather than compared value by value.
        if (old.size() + now.size() > 32) {
            for (const QString& value : old) {
                count(value, -1);
            }
            for (const QString& value : now) {
                count(value, 1);
            }
            return;
        }
        for (qsizetype i = 0; i < now.size(); ++i) {
            if (now.indexOf(now[i]) == i) {
                count(now[i], now.count(now[i]) - old.count(now[i]));
            }
        }
        for (qsizetype i = 0; i < old.size(); ++i) {
            if (old.indexOf(old[i]) == i && !now.contains(old[i])) {
                count(old[i], -old.count(old[i]));
            }
        }
    }

    ValueDeltas normalized() const {
        ValueDeltas deltas;
        for (auto property = spelled_.cbegin(); property != spelled_.cend(); ++property) {
            QHash<QString, qsizetype>& counts = deltas[property.key()];
            for (auto value = property->cbegin(); value != property->cend(); ++value) {
                counts[TextOrder::nfc(value.key())] += value.value();
            }
        }
        return deltas;
    }

private:
    QHash<QString, QHash<QString, qsizetype>> spelled_;
};

// Per property identifier text, the values the changed lists gained (as spelled, in item order)
// and the normal forms of those they lost.
struct ValueMoves {
    QHash<QString, QStringList> gained;
    QHash<QString, QSet<QString>> lost;
};

void noteMoves(ValueMoves& moves, const QString& key, const QStringList& old,
               const QStringList& now) {
    for (const QString& value : now) {
        if (!old.contains(value)) {
            moves.gained[key].append(value);
        }
    }
    for (const QString& value : old) {
        if (!now.contains(value)) {
            moves.lost[key].insert(TextOrder::nfc(value));
        }
    }
}

bool sameProperties(const QList<Category>& a, const QList<Category>& b) {
    return a.size() == b.size() &&
           std::equal(a.cbegin(), a.cend(), b.cbegin(),
                      [](const Category& x, const Category& y) { return x.id == y.id; });
}

// Inserts an undeclared value where the localized order of the undeclared values puts it; those
// values are distinct in normal form, so the order is strict and a sort would put it there too.
void insertUndeclared(QList<LibraryBrowseSnapshot::OptionCount>& list, qsizetype declared,
                      const QString& value) {
    const TextOrder::SortKey key(value);
    const auto place = std::upper_bound(list.begin() + declared, list.end(), key,
                                        [](const TextOrder::SortKey& k, const auto& entry) {
                                            return k < TextOrder::SortKey(entry.first);
                                        });
    list.insert(place, {value, 0});
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

// The option list of `now` after the edit, put into `followed` when it changed: the declared
// options (a superset of those of `previous`), then the undeclared values in use in the localized
// order, each spelled as first met in item order. False when the list cannot be told from the
// old one: an undeclared value was taken from an item (it may have gone out of use, or another
// spelling may now come first), or it was given in another spelling.
bool followOptions(const std::map<QUuid, QList<LibraryBrowseSnapshot::OptionCount>>& labels,
                   const Category& previous, const Category& now, const ValueMoves& moves,
                   const ValueDeltas& deltas,
                   std::map<QUuid, QList<LibraryBrowseSnapshot::OptionCount>>& followed) {
    const QString key = now.idText();
    const auto old = labels.find(now.id);
    const auto gained = moves.gained.constFind(key);
    const auto lost = moves.lost.constFind(key);
    const auto delta = deltas.constFind(key);
    const bool regrouped = previous.options != now.options || gained != moves.gained.cend() ||
                           lost != moves.lost.cend();
    if (old == labels.end()) {
        return false;
    }
    if (!regrouped && delta == deltas.cend()) {
        return true;
    }
    QList<LibraryBrowseSnapshot::OptionCount> list;
    if (!regrouped) {
        list = old->second;
    } else {
        QHash<QString, qsizetype> counts;
        for (const auto& [option, count] : old->second) {
            counts.insert(TextOrder::nfc(option), count);
        }
        QSet<QString> declared;
        for (const QString& option : now.options) {
            declared.insert(TextOrder::nfc(option));
            list.append({option, counts.value(TextOrder::nfc(option), 0)});
        }
        for (const QString& option : previous.options) {
            if (!declared.contains(TextOrder::nfc(option))) {
                return false;
            }
        }
        // The first spelling each normal form was given in.
        QHash<QString, QString> given;
        QSet<QString> mixed;
        QStringList order;
        if (gained != moves.gained.cend()) {
            // A value given to many items at once stands many times in a row.
            const QString* previousValue = nullptr;
            for (const QString& value : *gained) {
                if (previousValue && *previousValue == value) {
                    continue;
                }
                previousValue = &value;
                const QString form = TextOrder::nfc(value);
                const auto first = given.constFind(form);
                if (first == given.constEnd()) {
                    given.insert(form, value);
                    order.append(form);
                } else if (*first != value) {
                    mixed.insert(form);
                }
            }
        }
        const qsizetype declaredCount = list.size();
        for (qsizetype i = previous.options.size(); i < old->second.size(); ++i) {
            const auto& entry = old->second[i];
            const QString form = TextOrder::nfc(entry.first);
            if (declared.contains(form)) {
                continue;
            }
            if ((lost != moves.lost.cend() && lost->contains(form)) || mixed.contains(form) ||
                given.value(form, entry.first) != entry.first) {
                return false;
            }
            list.append(entry);
        }
        for (const QString& form : std::as_const(order)) {
            if (!counts.contains(form) && !declared.contains(form)) {
                insertUndeclared(list, declaredCount, given.value(form));
            }
        }
    }
    if (delta != deltas.cend()) {
        for (auto& [option, count] : list) {
            count += delta->value(TextOrder::nfc(option), 0);
        }
    }
    followed.emplace(now.id, std::move(list));
    return true;
}

}  // namespace

LibraryBrowseSnapshot::LibraryBrowseSnapshot(const Library& library, bool topLevelOnly,
                                             Purpose purpose)
    : items(shownItems(library, topLevelOnly)),
      showsEveryItem(items.size() == library.items.size()),
      purpose_(purpose) {
    const bool querying = purpose == Purpose::query;
    positions.reserve(items.size());
    QHash<QString, QString> folders;
    QStringList countedFolders;
    QStringList& folderKeyList = querying ? queryKeys.folders : countedFolders;
    FolderKeys folderKeys(folderKeyList);
    if (querying) {
        queryKeys.folderOfItem.reserve(static_cast<size_t>(items.size()));
    }
    // The parts read only the items and each fills members of its own, so they run side by side:
    // on a large library the window waits for the slowest.
    std::vector<std::function<void()>> parts;
    parts.emplace_back([&] {
        for (qsizetype i = 0; i < items.size(); ++i) {
            positions.insert(items.at(i).id, static_cast<std::uint32_t>(i));
        }
    });
    parts.emplace_back([&] {
        for (const MediaItem& shown : std::as_const(items)) {
            countItem(shown, 1);
            const QString folder = shown.folder();
            const std::uint32_t folderIndex = folderKeys.index(folder);
            addFolder(folders, folder, folderKeyList[folderIndex]);
            if (querying) {
                queryKeys.folderOfItem.push_back(folderIndex);
            }
        }
    });
    parts.emplace_back([&] { labels = optionCounts(library, items); });
    if (querying) {
        parts.emplace_back([&] {
            queryKeys.searchTexts.addItems(items);
            queryKeys.searchTexts.finish();
        });
        parts.emplace_back([&] { queryKeys.nameRanks = nameRanks(items); });
    }
    ParallelWork::forEach(parts.size(), [&parts](std::size_t part) {
        parts[part]();
        return true;
    });
    videoCount = items.size() - photoCount;

    folderPaths = folders.values();
    TextOrder::sortLocalizedStandard(folderPaths);
    folderTree = FolderFilterNode::tree(folderPaths);
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
            const bool relabelled = !(old.labels == now.labels);
            if (!relabelled && old == now) {
                continue;
            }
            if (old.id != now.id || old.filename != now.filename ||
                old.available != now.available) {
                return std::nullopt;
            }
            changes.push_back({&old, &now, relabelled, i});
        }
    }
    return changes;
}

bool LibraryBrowseSnapshot::follow(const std::vector<ItemChange>& changes,
                                   const QList<Category>& previousProperties,
                                   const QList<Category>& tagProperties, const MediaItems& before,
                                   const MediaItems& after) {
    if (!sameProperties(previousProperties, tagProperties)) {
        return false;
    }
    std::vector<std::pair<qsizetype, const ItemChange*>> shown;
    // The option lists take the values of every item of the library, the counts those of the
    // shown ones. A snapshot that shows every item was made from a library of those items only.
    // Each changed item is looked at once, while it is at hand; the counts are put back if the
    // option lists cannot follow.
    ValueMoves moves;
    SpelledDeltas spelledDeltas;
    const auto counts =
        std::tuple(photoCount, videoDurationCounts, unratedCount, unclassifiedCount);
    std::vector<SearchTextIndex::Replacement> searched;
    for (const ItemChange& change : changes) {
        const std::optional<qsizetype> position = positionOf(change);
        const bool counted = position.has_value();
        if (change.relabelled && (counted || !showsEveryItem)) {
            forEachChangedProperty(
                change.before->labels, change.after->labels,
                [&](const QString& key, const QStringList& old, const QStringList& now) {
                    noteMoves(moves, key, old, now);
                    if (counted) {
                        spelledDeltas.add(key, old, now);
                    }
                });
        }
        if (!counted) {
            continue;
        }
        shown.emplace_back(*position, &change);
        countItem(*change.before, -1);
        countItem(*change.after, 1);
        if (change.relabelled || change.before->notes != change.after->notes) {
            searched.push_back({*position, change.before, change.after});
        }
    }
    const ValueDeltas deltas = spelledDeltas.normalized();
    std::map<QUuid, QList<OptionCount>> followed;
    for (qsizetype i = 0; i < tagProperties.size(); ++i) {
        if (!followOptions(labels, previousProperties[i], tagProperties[i], moves, deltas,
                           followed)) {
            std::tie(photoCount, videoDurationCounts, unratedCount, unclassifiedCount) = counts;
            return false;
        }
    }
    // The index takes its entries in ascending order.
    std::sort(searched.begin(), searched.end(),
              [](const auto& a, const auto& b) { return a.entry < b.entry; });
    videoCount = items.size() - photoCount;
    if (purpose_ == Purpose::query) {
        queryKeys.searchTexts.replaceEntries(searched);
    }
    for (auto& [id, list] : followed) {
        labels[id] = std::move(list);
    }
    if (items.sharesAllItemsWith(before)) {
        items = after;
    } else {
        for (const auto& [position, change] : shown) {
            items[position] = *change->after;
        }
    }
    return true;
}

// A snapshot that shows every item holds them where the library does, which spares the lookup.
std::optional<qsizetype> LibraryBrowseSnapshot::positionOf(const ItemChange& change) const {
    if (showsEveryItem && change.index < items.size() &&
        items[change.index].id == change.after->id) {
        return change.index;
    }
    const auto found = positions.constFind(change.after->id);
    if (found == positions.constEnd()) {
        return std::nullopt;
    }
    return *found;
}

void LibraryBrowseSnapshot::countItem(const MediaItem& item, int sign) {
    photoCount += item.kind == MediaKind::photo ? sign : 0;
    countDuration(videoDurationCounts, item, sign);
    unratedCount += item.rating == 0 ? sign : 0;
    unclassifiedCount += item.isUnclassified() ? sign : 0;
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
