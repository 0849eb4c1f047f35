#include "support/plain_reconcile.h"

#include <QHash>
#include <QSet>

namespace lumivex::test {

namespace {

QString composed(const QString& text) {
    return text.normalized(QString::NormalizationForm_C);
}

QString pairKey(const MediaItem& item) {
    return composed(item.filename) + QChar(u'\0') + composed(item.fileIdentity);
}

QString identityKey(const MediaItem& item) {
    return composed(item.fileIdentity);
}

using KeyOf = QString (*)(const MediaItem&);

void matchBy(KeyOf keyOf, const QList<MediaItem>& old, const QList<MediaItem>& scanned,
             QList<qsizetype>& oldForNew, QList<bool>& matched) {
    QHash<QString, QList<qsizetype>> positions;
    for (qsizetype i = 0; i < old.size(); ++i) {
        positions[keyOf(old[i])].append(i);
    }
    for (qsizetype n = 0; n < scanned.size(); ++n) {
        if (oldForNew[n] >= 0) {
            continue;
        }
        for (qsizetype position : positions.value(keyOf(scanned[n]))) {
            if (!matched[position]) {
                matched[position] = true;
                oldForNew[n] = position;
                break;
            }
        }
    }
}

// Archived properties the library lacks under whose identifier its items hold values, each
// with the distinct values in use (canonically equal texts counted once) as options.
QList<Category> usedArchiveOnly(const Library& library, const DeletedArchive& archive) {
    QList<Category> added;
    for (const Category& property : archive.categories) {
        const bool known =
            std::any_of(library.categories.begin(), library.categories.end(),
                        [&](const Category& own) { return own.id == property.id; }) ||
            std::any_of(added.begin(), added.end(),
                        [&](const Category& own) { return own.id == property.id; });
        if (known) {
            continue;
        }
        QStringList used;
        QStringList seen;
        for (const MediaItem& item : library.items) {
            const auto values = item.labels.find(property.idText());
            if (values == item.labels.end()) {
                continue;
            }
            for (const QString& value : values->second) {
                if (!seen.contains(composed(value))) {
                    seen.append(composed(value));
                    used.append(value);
                }
            }
        }
        if (!used.isEmpty()) {
            Category joined = property;
            joined.options = used;
            added.append(joined);
        }
    }
    return added;
}

}  // namespace

QList<MediaItem> plainMerge(const QList<MediaItem>& old, const QList<MediaItem>& scanned) {
    QList<qsizetype> oldForNew(scanned.size(), -1);
    QList<bool> matched(old.size(), false);
    matchBy(pairKey, old, scanned, oldForNew, matched);
    matchBy(identityKey, old, scanned, oldForNew, matched);
    QList<MediaItem> merged;
    for (qsizetype n = 0; n < scanned.size(); ++n) {
        const MediaItem& fresh = scanned[n];
        if (oldForNew[n] < 0) {
            merged.append(fresh);
            continue;
        }
        MediaItem item = old[oldForNew[n]];
        item.filename = fresh.filename;
        item.fileIdentity = fresh.fileIdentity;
        item.kind = fresh.kind;
        item.size = fresh.size;
        item.modified = fresh.modified;
        item.duration = fresh.duration;
        item.capturedAt = fresh.capturedAt;
        item.available = true;
        merged.append(item);
    }
    for (qsizetype i = 0; i < old.size(); ++i) {
        if (!matched[i]) {
            MediaItem gone = old[i];
            gone.available = false;
            merged.append(gone);
        }
    }
    return merged;
}

LibraryState plainReconcile(LibraryState state, const QList<MediaItem>& scanned, Date date) {
    QList<DeletedRecord> kept;
    for (const DeletedRecord& record : state.deleted.records) {
        if (date.secondsSince1970 - record.deletedAt.secondsSince1970 <
            DeletedArchive::retentionSeconds) {
            kept.append(record);
        }
    }
    state.deleted.records = kept;
    state.deleted = state.deleted.aligned(state.library.categories);

    QList<MediaItem> items = state.library.items.toList();
    QSet<QUuid> present;
    for (const MediaItem& item : items) {
        present.insert(item.id);
    }
    for (const DeletedRecord& record : state.deleted.records) {
        if (!present.contains(record.item.id)) {
            items.append(record.item);
        }
    }
    items = plainMerge(items, scanned);

    QList<DeletedRecord> records;
    QList<MediaItem> available;
    for (const MediaItem& item : items) {
        if (item.available) {
            available.append(item);
            continue;
        }
        // The first record of an identifier gives its time.
        Date departure = date;
        for (const DeletedRecord& record : state.deleted.records) {
            if (record.item.id == item.id) {
                departure = record.deletedAt;
                break;
            }
        }
        records.append(DeletedRecord{item, departure});
    }
    state.deleted.records = records;
    state.library.items = MediaItems(available);

    const QList<Category> added = usedArchiveOnly(state.library, state.deleted);
    state.library.categories += added;
    if (!state.library.folderSchemas.empty()) {
        state.library.catalogProperties += added;
    }
    return state;
}

LibraryState plainReconcileFolder(LibraryState state, const QList<MediaItem>& scanned, Date date) {
    QList<MediaItem> seen = scanned;
    if (!state.library.includeSubfolders) {
        for (const MediaItem& item : state.library.items) {
            if (item.available && !item.folder().isEmpty()) {
                seen.append(item);
            }
        }
    }
    return plainReconcile(std::move(state), seen, date);
}

MediaItem listedAgain(const MediaItem& item, Date found) {
    MediaItem fresh;
    fresh.id = QUuid::createUuid();
    fresh.filename = item.filename;
    fresh.fileIdentity = item.fileIdentity;
    fresh.kind = item.kind;
    fresh.size = item.size;
    fresh.modified = item.modified;
    fresh.added = found;
    fresh.duration = item.duration;
    fresh.capturedAt = item.capturedAt;
    return fresh;
}

}  // namespace lumivex::test
