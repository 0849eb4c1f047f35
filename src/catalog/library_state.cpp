#include "catalog/library_state.h"

#include "model/option_text.h"
#include "platform/text_order.h"
#include "platform/uuid_text.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <vector>

namespace lumivex {

namespace {

void prune(DeletedArchive& archive, Date date) {
    archive.records.removeIf([&](const DeletedRecord& record) {
        return date.secondsSince1970 - record.deletedAt.secondsSince1970 >=
               DeletedArchive::retentionSeconds;
    });
}

// Replaces `option` by `replacement` (or drops it) and keeps only the first of equal texts.
QStringList replaced(const QStringList& list, const QString& option,
                     const std::optional<QString>& replacement) {
    QStringList result;
    QSet<QString> seen;
    for (const QString& element : list) {
        const bool matches = TextOrder::canonicallyEqual(element, option);
        if (matches && !replacement) {
            continue;
        }
        const QString& kept = matches ? *replacement : element;
        const QString key = TextOrder::nfc(kept);
        if (!seen.contains(key)) {
            seen.insert(key);
            result.append(kept);
        }
    }
    return result;
}

QSet<QString> normalizedSet(const QSet<QString>& texts) {
    QSet<QString> result;
    for (const QString& text : texts) {
        result.insert(TextOrder::nfc(text));
    }
    return result;
}

// The first four characters of a text as one number: property keys are identifier texts of equal
// length, and most differ in these, so a look for a few keys among every item's values compares
// numbers, not texts.
quint64 prefixOf(const QString& text) {
    quint64 prefix = 0;
    std::memcpy(&prefix, text.constData(),
                static_cast<std::size_t>(std::min<qsizetype>(text.size(), 4)) * sizeof(QChar));
    return prefix;
}

// The archived properties that the library lacks, the first of each identifier: a later one
// would look for the very same values.
QList<Category> archiveOnly(const Library& library, const DeletedArchive& archive) {
    QSet<QUuid> known;
    for (const Category& property : library.categories) {
        known.insert(property.id);
    }
    QList<Category> candidates;
    for (const Category& property : archive.categories) {
        if (!known.contains(property.id)) {
            known.insert(property.id);
            candidates.append(property);
        }
    }
    return candidates;
}

// Archived properties that items brought back hold values under but the library lacks: each
// joins the library with the values in use as its options. The items are read once for all of
// them, each item's few values looked at, since most items hold none of theirs.
QList<Category> usedArchiveOnlyProperties(const Library& library, const DeletedArchive& archive) {
    QList<Category> candidates = archiveOnly(library, archive);
    if (candidates.isEmpty()) {
        return {};
    }
    QStringList keys;
    std::vector<quint64> prefixes;
    for (Category& property : candidates) {
        keys.append(property.idText());
        prefixes.push_back(prefixOf(keys.last()));
        property.options.clear();  // the values in use become its options
    }
    std::vector<QSet<QString>> seen(static_cast<std::size_t>(keys.size()));
    for (const MediaItem& item : library.items) {
        for (const auto& [key, values] : item.labels) {
            const quint64 prefix = prefixOf(key);
            for (std::size_t c = 0; c < prefixes.size(); ++c) {
                if (prefixes[c] != prefix || keys[static_cast<qsizetype>(c)] != key) {
                    continue;
                }
                QStringList& used = candidates[static_cast<qsizetype>(c)].options;
                for (const QString& value : values) {
                    if (!seen[c].contains(TextOrder::nfc(value))) {
                        seen[c].insert(TextOrder::nfc(value));
                        used.append(value);
                    }
                }
            }
        }
    }
    candidates.removeIf([&](const Category& property) { return property.options.isEmpty(); });
    return candidates;
}

// An identifier folded into one number, which Qt hashes inline where it runs SipHash over a
// QUuid: a cheap first test before the exact one.
quint64 folded(const QUuid& id) {
    quint64 low = 0;
    std::memcpy(&low, id.data4, sizeof low);
    return (quint64{id.data1} << 32 | quint64{id.data2} << 16 | id.data3) ^ low;
}

// Gives the merge the items of the records whose identifier no library item has, in record
// order. The records are few and the items many: each item is looked up among the records.
void bringBackAbsentRecords(MediaItems& items, const QList<DeletedRecord>& records) {
    if (records.isEmpty()) {
        return;
    }
    QSet<quint64> candidates;
    QHash<QUuid, bool> present;
    for (const DeletedRecord& record : records) {
        candidates.insert(folded(record.item.id));
        present.insert(record.item.id, false);
    }
    for (const MediaItem& item : std::as_const(items)) {
        if (candidates.contains(folded(item.id))) {
            if (const auto found = present.find(item.id); found != present.end()) {
                *found = true;
            }
        }
    }
    for (const DeletedRecord& record : records) {
        if (!present.value(record.item.id)) {
            items.append(record.item);
        }
    }
}

// The unavailable items become the records, in library order, each with the time of the first
// earlier record of its identifier or `date`; the library keeps the others. The items are read
// once: the removal asks for them in order and is told from what the first look found.
void archiveUnavailable(MediaItems& items, QList<DeletedRecord>& records, Date date) {
    QHash<QUuid, Date> departures;
    for (const DeletedRecord& record : std::as_const(records)) {
        if (!departures.contains(record.item.id)) {
            departures.insert(record.item.id, record.deletedAt);
        }
    }
    QList<DeletedRecord> archived;
    std::vector<bool> unavailable(static_cast<std::size_t>(items.size()), false);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const MediaItem& item = std::as_const(items).at(i);
        if (!item.available) {
            archived.append(DeletedRecord{item, departures.value(item.id, date)});
            unavailable[static_cast<std::size_t>(i)] = true;
        }
    }
    records = std::move(archived);
    if (!records.isEmpty()) {
        items.removeIf([&unavailable, position = std::size_t{0}](const MediaItem&) mutable {
            return unavailable[position++];
        });
    }
}

}  // namespace

void LibraryState::remove(const QSet<QUuid>& ids, Date date) {
    prune(deleted, date);
    deleted = deleted.aligned(library.categories);
    for (const MediaItem& item : std::as_const(library.items)) {
        if (!ids.contains(item.id)) {
            continue;
        }
        MediaItem gone = item;
        gone.available = false;
        deleted.records.removeIf(
            [&](const DeletedRecord& record) { return record.item.id == gone.id; });
        deleted.records.append(DeletedRecord{std::move(gone), date});
    }
    library.items.removeIf([&](const MediaItem& item) { return ids.contains(item.id); });
}

void LibraryState::reconcile(const QList<MediaItem>& scanned, Date date) {
    prune(deleted, date);
    // The library keeps its own property list: the archive's copies may carry older names,
    // orders and options, and must not undo the user's edits at every scan.
    deleted = deleted.aligned(library.categories);

    bringBackAbsentRecords(library.items, deleted.records);
    library.merge(scanned);

    // With repeated record identifiers the first record's time stands.
    archiveUnavailable(library.items, deleted.records, date);

    const QList<Category> added = usedArchiveOnlyProperties(library, deleted);
    library.categories += added;
    if (!library.folderSchemas.empty()) {
        library.catalogProperties += added;
    }
}

void LibraryState::reconcileFolder(const QList<MediaItem>& scanned, Date date) {
    QList<MediaItem> seen = scanned;
    if (!library.includeSubfolders) {
        // Only the root was listed: items of subfolders were not looked for, so they count as seen.
        for (const MediaItem& item : std::as_const(library.items)) {
            // A slash after the first character: the folder key is not empty.
            if (item.available && item.filename.lastIndexOf(u'/') > 0) {
                seen.append(item);
            }
        }
    }
    reconcile(seen, date);
}

void LibraryState::replaceOption(const QString& option, const std::optional<QString>& replacement,
                                 const Category& category,
                                 const std::optional<QSet<QString>>& folders) {
    if (replacement) {
        OptionText::validate(*replacement);
    }
    const QString key = category.idText();
    const std::optional<QSet<QString>> scope =
        folders ? std::optional(normalizedSet(*folders)) : std::nullopt;
    const auto inScope = [&](const QString& folder) {
        return !scope || scope->contains(TextOrder::nfc(folder));
    };
    const auto replaceIn = [&](MediaItem& item) {
        if (inScope(item.folder())) {
            item.labels[key] = replaced(item.labels[key], option, replacement);
        }
    };

    const auto own = std::find_if(library.categories.begin(), library.categories.end(),
                                  [&](const Category& c) { return c.id == category.id; });
    if (own != library.categories.end()) {
        own->options = replaced(library.options(category), option, replacement);
    }
    for (auto& [path, schema] : library.folderSchemas) {
        if (!inScope(path)) {
            continue;
        }
        for (Category& property : schema.properties) {
            const auto display = schema.displayIDs.find(property.idText());
            if (display != schema.displayIDs.end() && display->second == key) {
                property.options = replaced(property.options, option, replacement);
            }
        }
    }
    // Items out of scope are only read, so the chunks that hold none in scope stay shared.
    for (qsizetype i = 0; i < library.items.size(); ++i) {
        if (inScope(library.items.at(i).folder())) {
            replaceIn(library.items[i]);
        }
    }
    for (DeletedRecord& record : deleted.records) {
        replaceIn(record.item);
    }
    const auto archived = std::find_if(deleted.categories.begin(), deleted.categories.end(),
                                       [&](const Category& c) { return c.id == category.id; });
    if (archived != deleted.categories.end()) {
        archived->options = replaced(archived->options, option, replacement);
    }
}

void LibraryState::removeProperty(const QUuid& id) {
    const auto first = std::find_if(library.categories.cbegin(), library.categories.cend(),
                                    [&](const Category& c) { return c.id == id; });
    if (first != library.categories.cend() && first->kind == PropertyKind::rating) {
        return;
    }
    const auto matches = [&](const Category& c) { return c.id == id; };
    library.categories.removeIf(matches);
    deleted.categories.removeIf(matches);
    const QString key = UuidText::upper(id);
    for (qsizetype i = 0; i < library.items.size(); ++i) {
        if (library.items.at(i).labels.contains(key)) {
            library.items[i].labels.erase(key);
        }
    }
    for (DeletedRecord& record : deleted.records) {
        record.item.labels.erase(key);
    }
}

}  // namespace lumivex
