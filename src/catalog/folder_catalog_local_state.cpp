#include "catalog/folder_catalog.h"

#include "catalog/catalog_cache.h"
#include "model/option_sets.h"
#include "platform/small_text_set.h"
#include "platform/text_order.h"

#include <QSet>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace lumivex::FolderCatalog {

namespace {

QString lastComponent(const QString& filename) {
    return filename.mid(filename.lastIndexOf(u'/') + 1);
}

template <typename List, typename Predicate>
const Category* findCategory(const List& list, Predicate predicate) {
    const auto found = std::find_if(list.begin(), list.end(), predicate);
    return found == list.end() ? nullptr : &*found;
}

bool holdsId(const QList<Category>& list, const QUuid& id) {
    return findCategory(list, [&](const Category& c) { return c.id == id; }) != nullptr;
}

// The identifier a property the folder takes whole gets when one of the folder's own already has
// its identifier. Made from that identifier and the folder, so that every save of the same state
// writes the same one, a save after an undo and a redo included.
QUuid freeIdentifier(const QList<Category>& list, const QUuid& taken, const QString& path) {
    QUuid id = QUuid::createUuidV5(taken, path);
    for (int attempt = 1; holdsId(list, id); ++attempt) {
        id = QUuid::createUuidV5(taken, path + QLatin1Char('\n') + QString::number(attempt));
    }
    return id;
}

using LabelsList = std::vector<const Labels*>;

// Shapes one folder's own property lists from the merged view, given the labels of its items and
// records. `mapping` sends display identifier texts to folder identifier texts and never sends
// two to the same one. The options of the display properties reach the lists only where a
// display property is taken whole; the shape says so, since a save passes the folders of other
// shapes over a change of those options alone.
class LocalBuilder {
public:
    LocalBuilder(const LibraryState& state, const QString& path, const LibraryState& existing,
                 LabelsList items, LabelsList records)
        : state_(state),
          path_(path),
          existing_(existing),
          items_(std::move(items)),
          records_(std::move(records)) {}

    FolderShape shape() {
        addKnownProperties();
        addMissingProperties();
        reorderIfMoved();
        fillOptions(folderList_, items_);
        QList<Category> archiveList = folderList_;
        addArchiveProperties(archiveList);
        fillOptions(archiveList, records_);
        return {path_, std::move(folderList_), std::move(archiveList), std::move(mapping_),
                takesDisplayOptions_};
    }

private:
    const QList<Category>& display() const { return state_.library.categories; }

    const Category* displayById(const QString& idText) const {
        return findCategory(display(), [&](const Category& c) { return c.idText() == idText; });
    }

    std::optional<QString> displayIdOf(const Category& own) const {
        const auto schema = state_.library.folderSchemas.find(path_);
        if (schema != state_.library.folderSchemas.end()) {
            const auto mapped = schema->second.displayIDs.find(own.idText());
            if (mapped == schema->second.displayIDs.end()) {
                return std::nullopt;
            }
            return mapped->second;
        }
        const Category* match = findCategory(display(), [&](const Category& c) {
            return TextOrder::equalIgnoringCase(c.name, own.name);
        });
        return match ? std::optional(match->idText()) : std::nullopt;
    }

    void addKnownProperties() {
        const auto schema = state_.library.folderSchemas.find(path_);
        const QList<Category>& own = schema != state_.library.folderSchemas.end()
                                         ? schema->second.properties
                                         : existing_.library.categories;
        for (const Category& property : own) {
            const std::optional<QString> displayId = displayIdOf(property);
            const Category* shown = displayId ? displayById(*displayId) : nullptr;
            if (!shown) {
                continue;
            }
            const Category* loaded =
                findCategory(state_.library.catalogProperties,
                             [&](const Category& c) { return c.id == shown->id; });
            Category copy = property;
            if (!loaded || loaded->name != shown->name) {
                copy.name = shown->name;
            }
            if (!loaded || loaded->kind != shown->kind) {
                copy.kind = shown->kind;
            }
            folderList_.append(copy);
            mapping_[shown->idText()] = property.idText();
        }
    }

    static bool used(const LabelsList& list, const QString& idText) {
        return std::any_of(list.begin(), list.end(), [&](const Labels* labels) {
            const auto values = labels->find(idText);
            return values != labels->end() && !values->second.isEmpty();
        });
    }

    bool mappedByAnyFolder(const QString& idText) const {
        for (const auto& [key, schema] : state_.library.folderSchemas) {
            for (const auto& [own, shown] : schema.displayIDs) {
                if (shown == idText) {
                    return true;
                }
            }
        }
        return false;
    }

    // A property created since the load has no folder yet; the root takes it in.
    bool newToRoot(const Category& shown) const {
        return path_.isEmpty() && !holdsId(state_.library.catalogProperties, shown.id) &&
               !mappedByAnyFolder(shown.idText());
    }

    void addMissingProperties() {
        for (const Category& shown : display()) {
            if (mapping_.contains(shown.idText())) {
                continue;
            }
            const bool isNew = newToRoot(shown);
            if (!isNew && !used(items_, shown.idText())) {
                continue;
            }
            const Category* own =
                findCategory(existing_.library.categories, [&](const Category& c) {
                    return TextOrder::equalIgnoringCase(c.name, shown.name) &&
                           !holdsId(folderList_, c.id);
                });
            Category chosen = own ? *own : shown;
            if (!isNew && !holdsId(existing_.library.categories, chosen.id)) {
                chosen.options.clear();
            } else if (!own) {
                takesDisplayOptions_ = true;
            }
            chosen.name = shown.name;
            chosen.kind = shown.kind;
            if (holdsId(folderList_, chosen.id)) {
                chosen.id = freeIdentifier(folderList_, chosen.id, path_);
            }
            folderList_.append(chosen);
            mapping_[shown.idText()] = chosen.idText();
        }
    }

    // Only a reorder made in the merged view since the load reaches the folders; otherwise each
    // folder keeps the order its own file has.
    void reorderIfMoved() {
        QStringList loadedOrder;
        for (const Category& loaded : state_.library.catalogProperties) {
            if (holdsId(display(), loaded.id)) {
                loadedOrder.append(loaded.idText());
            }
        }
        QStringList shownOrder;
        for (const Category& shown : display()) {
            if (holdsId(state_.library.catalogProperties, shown.id)) {
                shownOrder.append(shown.idText());
            }
        }
        if (loadedOrder == shownOrder) {
            return;
        }
        std::map<QString, qsizetype> position;
        for (qsizetype index = 0; index < display().size(); ++index) {
            const auto mapped = mapping_.find(display()[index].idText());
            if (mapped != mapping_.end()) {
                position[mapped->second] = index;
            }
        }
        const auto rank = [&](const Category& c) {
            const auto found = position.find(c.idText());
            return found == position.end() ? std::numeric_limits<qsizetype>::max() : found->second;
        };
        std::stable_sort(folderList_.begin(), folderList_.end(),
                         [&](const Category& a, const Category& b) { return rank(a) < rank(b); });
    }

    std::optional<QString> displayKeyOf(const QString& folderIdText) const {
        for (const auto& [shown, own] : mapping_) {
            if (own == folderIdText) {
                return shown;
            }
        }
        return std::nullopt;
    }

    // Every value in use is listed among its property's options, and a single choice that an
    // item holds twice becomes a multiple choice.
    void fillOptions(QList<Category>& list, const LabelsList& labelsList) const {
        for (Category& property : list) {
            if (property.kind == PropertyKind::rating) {
                continue;
            }
            const std::optional<QString> key = displayKeyOf(property.idText());
            if (!key) {
                continue;
            }
            // A property may hold thousands of options: they are looked up as a set, taken at the
            // first value, and the values appended since.
            std::shared_ptr<const QSet<QString>> known;
            SmallTextSet added;
            for (const Labels* labels : labelsList) {
                const auto values = labels->find(*key);
                if (values == labels->end()) {
                    continue;
                }
                if (property.kind == PropertyKind::singleSelect && values->second.size() > 1) {
                    property.kind = PropertyKind::multiSelect;
                }
                if (!known) {
                    known = OptionSets::of(property.options);
                }
                for (const QString& value : values->second) {
                    if (!known->contains(value) && added.insert(value)) {
                        property.options.append(value);
                    }
                }
            }
        }
    }

    void addArchiveProperties(QList<Category>& archiveList) {
        for (const Category& archived : state_.deleted.categories) {
            if (mapping_.contains(archived.idText()) || !used(records_, archived.idText())) {
                continue;
            }
            const Category* own =
                findCategory(existing_.deleted.categories, [&](const Category& c) {
                    return TextOrder::equalIgnoringCase(c.name, archived.name) &&
                           !holdsId(archiveList, c.id);
                });
            Category chosen = own ? *own : archived;
            if (holdsId(archiveList, chosen.id)) {
                chosen.id = freeIdentifier(archiveList, chosen.id, path_);
            }
            archiveList.append(chosen);
            mapping_[archived.idText()] = chosen.idText();
        }
    }

    const LibraryState& state_;
    const QString& path_;
    const LibraryState& existing_;
    const LabelsList items_;
    const LabelsList records_;
    QList<Category> folderList_;
    std::map<QString, QString> mapping_;
    bool takesDisplayOptions_ = false;
};

}  // namespace

bool changesFolder(const LibraryState& before, const LibraryState& after, const QString& key) {
    const auto inFolder = [&](const QString& filename) {
        const qsizetype slash = filename.lastIndexOf(u'/');
        return slash < 0 ? key.isEmpty() : QStringView(filename).left(slash) == key;
    };
    const auto items = [&](const LibraryState& state) {
        std::vector<const MediaItem*> share;
        for (const MediaItem& item : state.library.items) {
            if (inFolder(item.filename)) {
                share.push_back(&item);
            }
        }
        return share;
    };
    const auto records = [&](const LibraryState& state) {
        std::vector<const DeletedRecord*> share;
        for (const DeletedRecord& record : state.deleted.records) {
            if (inFolder(record.item.filename)) {
                share.push_back(&record);
            }
        }
        return share;
    };
    const auto schema = [&](const LibraryState& state) {
        const auto found = state.library.folderSchemas.find(key);
        return found == state.library.folderSchemas.end()
                   ? std::nullopt
                   : std::optional<FolderPropertySchema>(found->second);
    };
    const auto same = [](const auto& a, const auto& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const auto* x, const auto* y) { return x == y || *x == *y; });
    };
    return schema(before) != schema(after) || !same(items(before), items(after)) ||
           !same(records(before), records(after));
}

LibraryState localState(const LibraryState& state, const QString& path,
                        const LibraryState& existing, const QList<MediaItem>& items,
                        const QList<DeletedRecord>& records) {
    LabelsList itemLabels;
    itemLabels.reserve(size_t(items.size()));
    for (const MediaItem& item : items) {
        itemLabels.push_back(&item.labels);
    }
    LabelsList recordLabels;
    recordLabels.reserve(size_t(records.size()));
    for (const DeletedRecord& record : records) {
        recordLabels.push_back(&record.item.labels);
    }
    FolderShape shape =
        LocalBuilder(state, path, existing, std::move(itemLabels), std::move(recordLabels)).shape();
    QList<MediaItem> localItems = items;
    for (MediaItem& item : localItems) {
        item.labels = relabelled(item.labels, shape.mapping);
    }
    QList<DeletedRecord> localRecords = records;
    for (DeletedRecord& record : localRecords) {
        record.item.labels = relabelled(record.item.labels, shape.mapping);
    }
    return {Library::withContents(std::move(shape.library), localItems),
            {std::move(shape.archive), localRecords}};
}

FolderShape folderShape(const LibraryState& state, const QString& key, const FolderShare& share,
                        const QList<Category>& libraryCategories,
                        const QList<Category>& deletedCategories) {
    LabelsList itemLabels;
    itemLabels.reserve(share.items.size());
    for (const qsizetype index : share.items) {
        itemLabels.push_back(&state.library.items[index].labels);
    }
    LabelsList recordLabels;
    recordLabels.reserve(share.records.size());
    for (const qsizetype index : share.records) {
        recordLabels.push_back(&state.deleted.records[index].item.labels);
    }
    LibraryState existing;
    existing.library.categories = libraryCategories;
    existing.deleted.categories = deletedCategories;
    return LocalBuilder(state, key, existing, std::move(itemLabels), std::move(recordLabels))
        .shape();
}

// The folder's own names; the root's archive keeps the full names of the records of folders
// that are gone.
FolderTexts folderTexts(const LibraryState& state, const FolderShape& shape,
                        const QString& folderIdentity, const FolderShare& share) {
    QList<MediaItem> items;
    items.reserve(qsizetype(share.items.size()));
    for (const qsizetype index : share.items) {
        items.append(state.library.items[index]);
        MediaItem& item = items.last();
        item.filename = lastComponent(item.filename);
        item.labels = relabelled(item.labels, shape.mapping);
    }
    QList<DeletedRecord> records;
    records.reserve(qsizetype(share.records.size()));
    for (const qsizetype index : share.records) {
        records.append(state.deleted.records[index]);
        MediaItem& item = records.last().item;
        if (!shape.key.isEmpty()) {
            item.filename = lastComponent(item.filename);
        }
        item.labels = relabelled(item.labels, shape.mapping);
    }
    Library library = Library::withContents(shape.library, items);
    library.includeSubfolders = true;
    library.directoryIdentity = folderIdentity;
    return {library.catalogCSV(), DeletedArchive{shape.archive, records}.csv()};
}

}  // namespace lumivex::FolderCatalog
