#include "store/outside_merge.h"

#include <QHash>
#include <QSet>

namespace lumivex::OutsideMerge {

namespace {

// Whether the two states differ in nothing but the ratings, notes and values of their items.
bool sameButItemFields(const LibraryState& a, const LibraryState& b) {
    Library library = b.library;
    library.items = a.library.items;
    return a.deleted == b.deleted && library == a.library;
}

bool sameItemButFields(const MediaItem& a, const MediaItem& b) {
    MediaItem copy = b;
    copy.rating = a.rating;
    copy.labels = a.labels;
    copy.notes = a.notes;
    return copy == a;
}

// One field laid over from the edit, or nothing when the outside change set it otherwise.
template <typename Value>
bool mergeField(const Value& base, const Value& edited, const Value& outside, Value& into) {
    if (edited == base) {
        return true;
    }
    if (outside != base && outside != edited) {
        return false;
    }
    into = edited;
    return true;
}

// The values of each property laid over on their own: a property is a column of its own.
bool mergeLabels(const Labels& base, const Labels& edited, Labels& into) {
    QSet<QString> keys;
    for (const Labels* labels : {&base, &edited}) {
        for (const auto& [key, values] : *labels) {
            keys.insert(key);
        }
    }
    for (const QString& key : keys) {
        const auto valuesIn = [&](const Labels& labels) {
            return labels.contains(key) ? std::optional<QStringList>(labels.at(key)) : std::nullopt;
        };
        std::optional<QStringList> taken = valuesIn(into);
        if (!mergeField(valuesIn(base), valuesIn(edited), taken, taken)) {
            return false;
        }
        if (taken) {
            into.insert_or_assign(key, *taken);
        } else {
            into.erase(key);
        }
    }
    return true;
}

}  // namespace

std::optional<LibraryState> merged(const LibraryState& base, const LibraryState& edited,
                                   const LibraryState& outside) {
    const MediaItems& before = base.library.items;
    if (!sameButItemFields(base, edited) || !sameButItemFields(base, outside) ||
        edited.library.items.size() != before.size() ||
        outside.library.items.size() != before.size()) {
        return std::nullopt;
    }
    // A read orders the items by folder; the store's own order may differ.
    QHash<QUuid, qsizetype> positions;
    const MediaItems& read = outside.library.items;
    for (qsizetype index = 0; index < read.size(); ++index) {
        positions.insert(read[index].id, index);
    }
    LibraryState result = outside;
    for (qsizetype index = 0; index < before.size(); ++index) {
        const MediaItem& item = edited.library.items[index];
        if (&item == &before[index] || item == before[index]) {
            continue;
        }
        const qsizetype at = positions.value(item.id, -1);
        if (at < 0) {
            return std::nullopt;
        }
        MediaItem taken = read[at];
        if (!sameItemButFields(before[index], item) || !sameItemButFields(before[index], taken) ||
            !mergeField(before[index].rating, item.rating, taken.rating, taken.rating) ||
            !mergeField(before[index].notes, item.notes, taken.notes, taken.notes) ||
            !mergeLabels(before[index].labels, item.labels, taken.labels)) {
            return std::nullopt;
        }
        result.library.items[at] = std::move(taken);
    }
    return result;
}

}  // namespace lumivex::OutsideMerge
