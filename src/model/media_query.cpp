#include "model/media_query.h"

#include "model/library_browse_snapshot.h"
#include "model/search_text_index.h"
#include "platform/text_order.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <utility>
#include <vector>

namespace lumivex {

namespace {

// What one call derives from the query once instead of once per item.
struct Prepared {
    explicit Prepared(const MediaQuery& source) : query(source) {
        foldedNeedle = TextOrder::caseFoldKey(TextOrder::trimmed(query.search));
        if (query.folderPath) {
            folderKey = TextOrder::nfc(*query.folderPath);
        }
        for (const auto& [key, value] : query.facets) {
            facetValues.emplace(key, TextOrder::nfc(value));
        }
        if (query.sortCategory) {
            sortKey = query.sortCategory->idText();
        }
    }

    const MediaQuery& query;
    QString foldedNeedle;
    std::optional<QString> folderKey;
    std::map<QString, QString> facetValues;
    QString sortKey;
};

// Both folder texts in NFC. A folder filter takes its subfolders, except the root filter "".
bool folderPasses(const QString& folder, const QString& wanted) {
    if (folder == wanted) {
        return true;
    }
    return !wanted.isEmpty() && folder.size() > wanted.size() && folder.startsWith(wanted) &&
           folder[wanted.size()] == u'/';
}

bool hasNoValueIn(const Labels& labels, const QString& key) {
    const auto found = labels.find(key);
    return found == labels.end() || found->second.isEmpty();
}

bool carries(const Labels& labels, const QString& key, const QString& nfcValue) {
    const auto found = labels.find(key);
    if (found == labels.end()) {
        return false;
    }
    return std::any_of(found->second.begin(), found->second.end(), [&](const QString& value) {
        return value == nfcValue || TextOrder::nfc(value) == nfcValue;
    });
}

// Every test but the folder and the search text, in the order that rejects the most items first.
bool passesFields(const Prepared& prepared, const MediaItem& item) {
    const MediaQuery& query = prepared.query;
    if (!item.available || (query.kind && item.kind != *query.kind) ||
        item.rating < query.minimumRating || (query.unratedOnly && item.rating != 0) ||
        (query.unclassifiedOnly && !item.isUnclassified())) {
        return false;
    }
    for (const QString& key : query.emptyFacets) {
        if (!hasNoValueIn(item.labels, key)) {
            return false;
        }
    }
    for (const auto& [key, value] : prepared.facetValues) {
        if (!carries(item.labels, key, value)) {
            return false;
        }
    }
    if (query.videoDuration) {
        return item.kind == MediaKind::video && item.duration &&
               query.videoDuration->contains(*item.duration);
    }
    return true;
}

// `foldedNeedle` is the case-fold key of the trimmed search text, derived once per query.
bool searchMatches(const MediaItem& item, const QString& foldedNeedle) {
    const auto found = [&](const QString& text) {
        return TextOrder::caseFoldKey(text).contains(foldedNeedle);
    };
    if (foldedNeedle.isEmpty() || found(item.filename) || found(item.notes)) {
        return true;
    }
    return std::any_of(item.labels.begin(), item.labels.end(), [&](const auto& entry) {
        return std::any_of(entry.second.begin(), entry.second.end(), found);
    });
}

QString joinedValues(const MediaItem& item, const QString& key) {
    const auto found = item.labels.find(key);
    return found == item.labels.end() ? QString() : found->second.join(u',');
}

// Numbers compare as numbers; a NaN from a hand-edited catalog sorts above every number so that
// the order stays total.
int compareNumbers(double a, double b) {
    if (a < b) {
        return -1;
    }
    if (a > b) {
        return 1;
    }
    return static_cast<int>(std::isnan(a)) - static_cast<int>(std::isnan(b));
}

int compareNumbers(std::int64_t a, std::int64_t b) {
    return (a > b) - (a < b);
}

// A missing capture date or duration goes after every present one in both directions.
template <typename Value>
int compareMissing(const std::optional<Value>& a, const std::optional<Value>& b) {
    return a.has_value() == b.has_value() ? 0 : (a ? -1 : 1);
}

// Where the sort order's primary key alone puts a against b: negative a first, positive b first,
// zero undecided. Collates per call; the reference for the snapshot path below.
int primaryPlacement(const Prepared& prepared, const MediaItem& a, const MediaItem& b) {
    const MediaQuery& query = prepared.query;
    int c = 0;
    if (query.sortCategory) {
        c = TextOrder::localizedStandardCompare(joinedValues(a, prepared.sortKey),
                                                joinedValues(b, prepared.sortKey));
    } else if (query.sort == SortOrder::captured) {
        if (const int missing = compareMissing(a.capturedAt, b.capturedAt); missing != 0) {
            return missing;
        }
        c = a.capturedAt
                ? compareNumbers(a.capturedAt->secondsSince1970, b.capturedAt->secondsSince1970)
                : 0;
    } else if (query.sort == SortOrder::duration) {
        if (const int missing = compareMissing(a.duration, b.duration); missing != 0) {
            return missing;
        }
        c = a.duration ? compareNumbers(*a.duration, *b.duration) : 0;
    } else if (query.sort == SortOrder::name) {
        c = TextOrder::localizedStandardCompare(a.filename, b.filename);
    } else if (query.sort == SortOrder::rating) {
        c = compareNumbers(a.rating, b.rating);
    } else if (query.sort == SortOrder::added) {
        c = compareNumbers(a.added.secondsSince1970, b.added.secondsSince1970);
    } else if (query.sort == SortOrder::modified) {
        c = compareNumbers(a.modified.secondsSince1970, b.modified.secondsSince1970);
    } else {
        c = compareNumbers(a.size, b.size);
    }
    return query.ascending ? c : -c;
}

// One kept item of the snapshot path, 16 bytes: its primary key as one unsigned number whose
// ascending order is the wanted order (direction applied, missing values last), then the file
// name rank and the position for ties. A library holds far fewer than 2^32 items.
struct SortEntry {
    std::uint64_t primary = 0;
    std::uint32_t nameRank = 0;
    std::uint32_t position = 0;

    bool operator<(const SortEntry& other) const {
        if (primary != other.primary) {
            return primary < other.primary;
        }
        return nameRank != other.nameRank ? nameRank < other.nameRank : position < other.position;
    }
};

// Sorts entries made in ascending position by (primary, name rank, position): a stable sort by
// each byte of the name rank and then of the primary key, lowest first, which leaves equal keys
// in position order. Bytes that every entry shares are skipped. Some ten passes over the entries
// cost a fraction of a comparison sort of 100,000 of them.
void radixSort(std::vector<SortEntry>& entries) {
    constexpr int digits = 12;  // four bytes of name rank, then eight of primary key
    const auto digit = [](const SortEntry& entry, int d) -> std::size_t {
        return d < 4 ? (entry.nameRank >> (8 * d)) & 0xFF : (entry.primary >> (8 * (d - 4))) & 0xFF;
    };
    std::vector<std::array<std::size_t, 256>> counts(digits);
    for (const SortEntry& entry : entries) {
        for (int d = 0; d < digits; ++d) {
            ++counts[static_cast<std::size_t>(d)][digit(entry, d)];
        }
    }
    std::vector<SortEntry> buffer(entries.size());
    for (int d = 0; d < digits; ++d) {
        std::array<std::size_t, 256>& count = counts[static_cast<std::size_t>(d)];
        if (std::find(count.begin(), count.end(), entries.size()) != count.end()) {
            continue;
        }
        std::size_t start = 0;
        for (std::size_t& bucket : count) {
            start += std::exchange(bucket, start);
        }
        for (const SortEntry& entry : entries) {
            buffer[count[digit(entry, d)]++] = entry;
        }
        entries.swap(buffer);
    }
}

constexpr std::uint64_t signBit = std::uint64_t{1} << 63;
constexpr std::uint64_t missingKey = ~std::uint64_t{0};

// Keys in the order of compareNumbers: -0 equals 0, and a NaN is above +inf. No present value
// maps to missingKey in either direction.
std::uint64_t orderedKey(double value, bool ascending) {
    std::uint64_t key = missingKey - 1;
    if (!std::isnan(value)) {
        const auto bits = std::bit_cast<std::uint64_t>(value == 0 ? 0.0 : value);
        key = (bits & signBit) != 0 ? ~bits : bits | signBit;
    }
    return ascending ? key : ~key;
}

std::uint64_t orderedKey(std::int64_t value, bool ascending) {
    const std::uint64_t key = static_cast<std::uint64_t>(value) ^ signBit;
    return ascending ? key : ~key;
}

std::uint64_t orderedKey(const std::optional<double>& value, bool ascending) {
    return value ? orderedKey(*value, ascending) : missingKey;
}

// The rank of each kept item's joined values of the sort property, in the order of `kept`: one
// collation key per distinct text instead of one collation per comparison.
std::vector<qsizetype> joinedRanks(const QString& sortKey, const MediaItems& items,
                                   const std::vector<qsizetype>& kept) {
    QHash<QString, qsizetype> distinct;
    QStringList texts;
    std::vector<qsizetype> textOfKept;
    textOfKept.reserve(kept.size());
    for (qsizetype position : kept) {
        const QString text = joinedValues(items[position], sortKey);
        auto found = distinct.constFind(text);
        if (found == distinct.constEnd()) {
            found = distinct.insert(text, texts.size());
            texts.append(text);
        }
        textOfKept.push_back(found.value());
    }
    std::vector<std::pair<TextOrder::SortKey, qsizetype>> keys;
    keys.reserve(static_cast<size_t>(texts.size()));
    for (qsizetype t = 0; t < texts.size(); ++t) {
        keys.emplace_back(TextOrder::SortKey(texts[t]), t);
    }
    std::sort(keys.begin(), keys.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<qsizetype> rankOfText(keys.size(), 0);
    for (size_t k = 1; k < keys.size(); ++k) {
        const bool same = keys[k - 1].first.compare(keys[k].first) == 0;
        rankOfText[static_cast<size_t>(keys[k].second)] =
            rankOfText[static_cast<size_t>(keys[k - 1].second)] + (same ? 0 : 1);
    }
    std::vector<qsizetype> ranks;
    ranks.reserve(kept.size());
    for (qsizetype text : textOfKept) {
        ranks.push_back(rankOfText[static_cast<size_t>(text)]);
    }
    return ranks;
}

std::uint64_t primaryKey(SortOrder order, const MediaItem& item, std::int64_t nameRank,
                         bool ascending) {
    switch (order) {
        case SortOrder::captured:
            return orderedKey(item.capturedAt
                                  ? std::optional<double>(item.capturedAt->secondsSince1970)
                                  : std::nullopt,
                              ascending);
        case SortOrder::duration:
            return orderedKey(item.duration, ascending);
        case SortOrder::name:
            return orderedKey(nameRank, ascending);
        case SortOrder::rating:
            return orderedKey(item.rating, ascending);
        case SortOrder::added:
            return orderedKey(item.added.secondsSince1970, ascending);
        case SortOrder::modified:
            return orderedKey(item.modified.secondsSince1970, ascending);
        case SortOrder::size:
            return orderedKey(item.size, ascending);
    }
    return 0;
}

std::vector<SortEntry> sortEntries(const Prepared& prepared, const LibraryBrowseSnapshot& snapshot,
                                   const std::vector<qsizetype>& kept) {
    const MediaQuery& query = prepared.query;
    std::vector<qsizetype> ranks;
    if (query.sortCategory) {
        ranks = joinedRanks(prepared.sortKey, snapshot.items, kept);
    }
    std::vector<SortEntry> entries(kept.size());
    for (size_t k = 0; k < kept.size(); ++k) {
        const qsizetype position = kept[k];
        const std::uint32_t nameRank = snapshot.queryKeys.nameRanks[static_cast<size_t>(position)];
        SortEntry& entry = entries[k];
        entry.position = static_cast<std::uint32_t>(position);
        entry.nameRank = nameRank;
        entry.primary =
            query.sortCategory
                ? orderedKey(static_cast<std::int64_t>(ranks[k]), query.ascending)
                : primaryKey(query.sort, snapshot.items[position], nameRank, query.ascending);
    }
    radixSort(entries);
    return entries;
}

// Which items of the snapshot the search text keeps, by one scan of the precomputed texts. Those
// join their parts with U+0000, which a search text may hold itself: such a text is matched item
// by item instead.
std::vector<char> searchHits(const Prepared& prepared, const LibraryBrowseSnapshot& snapshot) {
    std::vector<char> hits;
    if (!prepared.foldedNeedle.contains(u'\0')) {
        snapshot.queryKeys.searchTexts.markMatches(prepared.foldedNeedle, hits);
        return hits;
    }
    hits.reserve(static_cast<size_t>(snapshot.items.size()));
    for (const MediaItem& item : snapshot.items) {
        hits.push_back(searchMatches(item, prepared.foldedNeedle) ? 1 : 0);
    }
    return hits;
}

// The same for a library without a snapshot, through the texts its chunks keep folded.
std::vector<char> searchHits(const Prepared& prepared, const MediaItems& items) {
    std::vector<char> hits;
    if (prepared.foldedNeedle.isEmpty()) {
        hits.assign(static_cast<size_t>(items.size()), 1);
        return hits;
    }
    hits.reserve(static_cast<size_t>(items.size()));
    if (prepared.foldedNeedle.contains(u'\0')) {
        for (const MediaItem& item : items) {
            hits.push_back(searchMatches(item, prepared.foldedNeedle) ? 1 : 0);
        }
        return hits;
    }
    std::vector<char> chunkHits;
    for (qsizetype chunk = 0; chunk < items.chunkCount(); ++chunk) {
        items.searchTexts(chunk).markMatches(prepared.foldedNeedle, chunkHits);
        hits.insert(hits.end(), chunkHits.begin(), chunkHits.end());
    }
    return hits;
}

}  // namespace

QList<MediaItem> MediaQuery::apply(const Library& library) const {
    const Prepared prepared(*this);
    const std::vector<char> hits = searchHits(prepared, library.items);
    std::vector<qsizetype> kept;
    for (qsizetype i = 0; i < library.items.size(); ++i) {
        const MediaItem& item = library.items[i];
        if (hits[static_cast<size_t>(i)] != 0 &&
            (!prepared.folderKey ||
             folderPasses(TextOrder::nfc(item.folder()), *prepared.folderKey)) &&
            passesFields(prepared, item)) {
            kept.push_back(i);
        }
    }
    std::sort(kept.begin(), kept.end(), [&](qsizetype i, qsizetype j) {
        const MediaItem& a = library.items[i];
        const MediaItem& b = library.items[j];
        if (const int placement = primaryPlacement(prepared, a, b); placement != 0) {
            return placement < 0;
        }
        const int byName = TextOrder::localizedStandardCompare(a.filename, b.filename);
        return byName != 0 ? byName < 0 : i < j;
    });
    QList<MediaItem> result;
    result.reserve(static_cast<qsizetype>(kept.size()));
    for (qsizetype i : kept) {
        result.append(library.items[i]);
    }
    return result;
}

QList<qsizetype> MediaQuery::positions(const LibraryBrowseSnapshot& snapshot) const {
    const Prepared prepared(*this);
    const std::vector<char> hits = searchHits(prepared, snapshot);
    const LibraryBrowseSnapshot::QueryKeys& keys = snapshot.queryKeys;
    std::vector<char> folderShown(static_cast<size_t>(keys.folders.size()), 1);
    if (prepared.folderKey) {
        for (qsizetype f = 0; f < keys.folders.size(); ++f) {
            folderShown[static_cast<size_t>(f)] =
                folderPasses(keys.folders[f], *prepared.folderKey);
        }
    }
    std::vector<qsizetype> kept;
    kept.reserve(static_cast<size_t>(snapshot.items.size()));
    for (qsizetype i = 0; i < snapshot.items.size(); ++i) {
        const auto item = static_cast<size_t>(i);
        if (hits[item] != 0 && folderShown[keys.folderOfItem[item]] != 0 &&
            passesFields(prepared, snapshot.items[i])) {
            kept.push_back(i);
        }
    }
    QList<qsizetype> result;
    result.reserve(static_cast<qsizetype>(kept.size()));
    for (const SortEntry& entry : sortEntries(prepared, snapshot, kept)) {
        result.append(entry.position);
    }
    return result;
}

QList<MediaItem> MediaQuery::apply(const LibraryBrowseSnapshot& snapshot) const {
    QList<MediaItem> result;
    const QList<qsizetype> order = positions(snapshot);
    result.reserve(order.size());
    for (qsizetype position : order) {
        result.append(snapshot.items[position]);
    }
    return result;
}

}  // namespace lumivex
