#include "catalog/folder_catalog.h"

#include "platform/text_order.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <unordered_map>

namespace lumivex::FolderCatalog {

namespace {

// The item key in plain order: NFC UTF-8 bytes order as Unicode scalar values do.
QByteArray itemKey(const MediaItem& item) {
    return (TextOrder::nfc(item.filename) + QChar(u'\0') + TextOrder::nfc(item.fileIdentity))
        .toUtf8();
}

qsizetype componentCount(const QString& key) {
    return QStringView(key).split(u'/', Qt::SkipEmptyParts).size();
}

// Shallower folders first, so a property takes the name and identifier of the folder nearest
// the root that has it.
QStringList folderOrder(QStringList keys) {
    std::stable_sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        const qsizetype depthA = componentCount(a);
        const qsizetype depthB = componentCount(b);
        if (depthA != depthB) {
            return depthA < depthB;
        }
        return TextOrder::localizedStandardCompare(a, b) < 0;
    });
    return keys;
}

// The item with its file name taken from the folder's own to the tree's.
MediaItem placed(const MediaItem& item, const QString& folder) {
    validatePath(item.filename);
    MediaItem result = item;
    if (!folder.isEmpty()) {
        result.filename = folder + u'/' + item.filename;
    }
    return result;
}

// Folders mostly share their properties' identifiers with the merged view; labels that map
// onto themselves stay shared rather than being rebuilt.
bool mapsOntoItself(const Labels& labels, const std::map<QString, QString>& mapping) {
    return std::all_of(labels.begin(), labels.end(), [&](const auto& entry) {
        const auto mapped = mapping.find(entry.first);
        return mapped != mapping.end() && mapped->second == entry.first;
    });
}

// Relabelled labels, one map per distinct combination across the tree. The items of a library
// carry one of a few thousand combinations; a map made per item amid the load's temporaries, only
// to be dropped once the items' labels are pooled, left the heap sparse.
class RelabelledPool {
public:
    MediaItem prefixed(const MediaItem& item, const QString& folder,
                       const std::map<QString, QString>& mapping) {
        MediaItem result = placed(item, folder);
        result.labels = relabel(item.labels, mapping);
        return result;
    }

private:
    Labels relabel(const Labels& labels, const std::map<QString, QString>& mapping) {
        if (mapsOntoItself(labels, mapping)) {
            return labels;
        }
        // Found by a hash of the mapped keys and their values, independent of their order, so
        // that nothing is built to look a combination up.
        size_t hash = 0;
        size_t count = 0;
        for (const auto& [key, values] : labels) {
            const auto mapped = mapping.find(key);
            if (mapped != mapping.end()) {
                hash += qHashMulti(0, mapped->second, values);
                ++count;
            }
        }
        const auto [first, last] = pool_.equal_range(hash);
        for (auto found = first; found != last; ++found) {
            if (holds(found->second, labels, mapping, count)) {
                return found->second;
            }
        }
        Labels result = relabelled(labels, mapping);
        pool_.emplace(hash, result);
        return result;
    }

    // Whether `candidate` is what relabelling `labels` makes. Keys that map onto one key make
    // fewer entries than `count`, and such labels are never matched, only built.
    static bool holds(const Labels& candidate, const Labels& labels,
                      const std::map<QString, QString>& mapping, size_t count) {
        if (candidate.size() != count) {
            return false;
        }
        for (const auto& [key, values] : labels) {
            const auto mapped = mapping.find(key);
            if (mapped == mapping.end()) {
                continue;
            }
            const auto found = candidate.find(mapped->second);
            if (found == candidate.end() || found->second != values) {
                return false;
            }
        }
        return true;
    }

    std::unordered_multimap<size_t, Labels> pool_;
};

Library transientLibrary(const QList<Category>& categories, const QList<MediaItem>& items) {
    return Library::withContents(categories, items);
}

QList<MediaItem> itemsOf(const QList<DeletedRecord>& records) {
    QList<MediaItem> items;
    items.reserve(records.size());
    for (const DeletedRecord& record : records) {
        items.append(record.item);
    }
    return items;
}

// The join of every folder's items and records, keyed by item key.
struct Joined {
    QList<Category> display;
    QList<Category> deletedCategories;
    std::map<QString, FolderPropertySchema> schemas;
    std::map<QByteArray, MediaItem> items;
    std::map<QByteArray, DeletedRecord> records;
};

void joinItems(Joined& joined, const std::map<QString, LibraryState>& states,
               const std::optional<LibraryState>& previous, Date now) {
    const QList<Category> preferred = previous ? previous->library.categories : QList<Category>();
    QStringList keys;
    for (const auto& [key, state] : states) {
        keys.append(key);
    }
    RelabelledPool pool;
    MergedOptionForms forms;
    for (const QString& key : folderOrder(keys)) {
        const LibraryState& state = states.at(key);
        const auto mapping = mergeCategories(state.library, joined.display, preferred, forms);
        joined.schemas[key] = {state.library.categories, mapping};
        for (const MediaItem& item : state.library.items) {
            MediaItem local = pool.prefixed(item, key, mapping);
            const QByteArray itemKeyText = itemKey(local);
            if (local.available) {
                joined.items.insert_or_assign(itemKeyText, std::move(local));
            } else {
                joined.records.insert_or_assign(itemKeyText, DeletedRecord{std::move(local), now});
            }
        }
    }
}

void joinRecords(Joined& joined, const std::map<QString, LibraryState>& states,
                 const QStringList& plainKeys, const std::optional<LibraryState>& previous) {
    const QList<Category> preferred = previous ? previous->deleted.categories : QList<Category>();
    joined.deletedCategories = joined.display;
    RelabelledPool pool;
    MergedOptionForms forms;
    for (const QString& key : plainKeys) {
        const DeletedArchive& archive = states.at(key).deleted;
        const auto mapping =
            mergeCategories(transientLibrary(archive.categories, itemsOf(archive.records)),
                            joined.deletedCategories, preferred, forms);
        for (const DeletedRecord& record : archive.records) {
            DeletedRecord local{pool.prefixed(record.item, key, mapping), record.deletedAt};
            joined.records.insert_or_assign(itemKey(local.item), std::move(local));
        }
    }
}

// The file identities of the items that share an identifier with a record: a record whose item
// is present under its identifier and file identity is that item's own. Only identifiers that
// some record holds can matter, so a tree without records builds nothing.
QHash<QUuid, QSet<QString>> presentIdentities(const Joined& joined) {
    QHash<QUuid, QSet<QString>> identities;
    if (joined.records.empty()) {
        return identities;
    }
    QSet<QUuid> recordIds;
    recordIds.reserve(qsizetype(joined.records.size()));
    for (const auto& [key, record] : joined.records) {
        recordIds.insert(record.item.id);
    }
    for (const auto& [key, item] : joined.items) {
        if (recordIds.contains(item.id)) {
            identities[item.id].insert(item.fileIdentity);
        }
    }
    return identities;
}

// Identifiers are made unique across items and records; the item nearer the start of the
// plain order keeps its own.
void assignUniqueIds(Joined& joined, LibraryState& result, QSet<QUuid>& used) {
    const QHash<QUuid, QSet<QString>> identities = presentIdentities(joined);
    used.reserve(qsizetype(joined.items.size() + joined.records.size()));
    result.library.items.reserve(qsizetype(joined.items.size()));
    for (auto& [key, item] : joined.items) {
        if (used.contains(item.id)) {
            item.id = QUuid::createUuid();
        }
        used.insert(item.id);
        // Only the keys of the joined items are looked at from here on.
        result.library.items.append(std::move(item));
    }
    for (const auto& [key, record] : joined.records) {
        if (joined.items.count(key) != 0) {
            continue;
        }
        const auto present = identities.constFind(record.item.id);
        if (present != identities.constEnd() && present->contains(record.item.fileIdentity)) {
            continue;
        }
        DeletedRecord unique = record;
        if (used.contains(unique.item.id)) {
            unique.item.id = QUuid::createUuid();
        }
        used.insert(unique.item.id);
        result.deleted.records.append(std::move(unique));
    }
}

// Items of the previous state that no folder holds any more stay in the library rather than
// vanish with their ratings. Those of a folder left out of the tree stay in its files instead:
// kept here, the next scan would find them missing and the save would turn them into records.
void keepOrphans(LibraryState& result, const LibraryState& previous, QSet<QUuid>& used,
                 const QSet<QString>& leftOut) {
    QSet<QByteArray> keys;
    for (const MediaItem& item : result.library.items) {
        keys.insert(itemKey(item));
    }
    for (const DeletedRecord& record : result.deleted.records) {
        keys.insert(itemKey(record.item));
    }
    const auto isOrphan = [&](const MediaItem& item) {
        return !used.contains(item.id) && !keys.contains(itemKey(item)) &&
               !isLeftOut(item.folder(), leftOut);
    };
    QList<MediaItem> orphans;
    QSet<QString> labelKeys;
    const auto collect = [&](const MediaItem& item) {
        if (isOrphan(item)) {
            orphans.append(item);
            for (const auto& [key, values] : item.labels) {
                if (!values.isEmpty()) {
                    labelKeys.insert(key);
                }
            }
        }
    };
    std::for_each(previous.library.items.begin(), previous.library.items.end(), collect);
    for (const DeletedRecord& record : previous.deleted.records) {
        collect(record.item);
    }
    QList<Category> categories;
    for (const Category& category :
         previous.deleted.aligned(previous.library.categories).categories) {
        if (labelKeys.contains(category.idText())) {
            categories.append(category);
        }
    }
    MergedOptionForms forms;
    const auto mapping =
        mergeCategories(transientLibrary(categories, orphans), result.deleted.categories,
                        previous.library.categories, forms);
    const auto claim = [&](const MediaItem& item) {
        if (!isOrphan(item)) {
            return false;
        }
        used.insert(item.id);
        keys.insert(itemKey(item));
        return true;
    };
    for (const MediaItem& item : previous.library.items) {
        if (claim(item)) {
            result.library.items.append(prefixed(item, QString(), mapping));
        }
    }
    for (const DeletedRecord& record : previous.deleted.records) {
        if (claim(record.item)) {
            result.deleted.records.append(
                {prefixed(record.item, QString(), mapping), record.deletedAt});
        }
    }
}

}  // namespace

LibraryState joinedTree(const std::map<QString, LibraryState>& states, const QStringList& plainKeys,
                        const std::optional<LibraryState>& previous, const Clock& clock,
                        const QString& root, const QSet<QString>& leftOut) {
    Joined joined;
    joinItems(joined, states, previous, clock());
    joinRecords(joined, states, plainKeys, previous);

    LibraryState result = states.at(QString());
    result.library.items.clear();
    result.deleted.records.clear();
    QSet<QUuid> used;
    assignUniqueIds(joined, result, used);
    result.library.categories = joined.display;
    result.library.includeSubfolders = true;
    result.library.directoryIdentity = identity(root);
    result.library.catalogDirectories = plainKeys;
    result.library.folderSchemas = std::move(joined.schemas);
    result.library.catalogProperties = joined.display;
    result.deleted.categories = joined.deletedCategories;
    if (previous) {
        keepOrphans(result, *previous, used, leftOut);
    }
    return result;
}

Labels relabelled(const Labels& labels, const std::map<QString, QString>& mapping) {
    if (mapsOntoItself(labels, mapping)) {
        return labels;
    }
    Labels result;
    for (const auto& [key, values] : labels) {
        const auto mapped = mapping.find(key);
        if (mapped != mapping.end()) {
            result[mapped->second] = values;
        }
    }
    return result;
}

MediaItem prefixed(const MediaItem& item, const QString& folder,
                   const std::map<QString, QString>& mapping) {
    MediaItem result = placed(item, folder);
    result.labels = relabelled(item.labels, mapping);
    return result;
}

}  // namespace lumivex::FolderCatalog
