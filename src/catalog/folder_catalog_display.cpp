#include "catalog/folder_catalog.h"

#include "model/option_text.h"
#include "platform/parallel_work.h"
#include "platform/text_order.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lumivex::FolderCatalog {

namespace {

struct MergedShape {
    std::optional<PropertyKind> kind;
    QStringList options;
    QSet<QString> keys;  // the NFC forms of `options`
};

bool holdsText(const QStringList& list, const QString& text) {
    return std::any_of(list.cbegin(), list.cend(), [&](const QString& held) {
        return TextOrder::canonicallyEqual(held, text);
    });
}

// The schema key of `folder`; folder paths compare as canonically equivalent texts.
std::optional<QString> schemaKey(const Library& library, const QString& folder) {
    if (library.folderSchemas.contains(folder)) {
        return folder;
    }
    for (const auto& [path, schema] : library.folderSchemas) {
        if (TextOrder::canonicallyEqual(path, folder)) {
            return path;
        }
    }
    return std::nullopt;
}

const FolderPropertySchema* schemaOf(const Library& library, const QString& folder) {
    const auto key = schemaKey(library, folder);
    return key ? &library.folderSchemas.at(*key) : nullptr;
}

std::optional<QString> displayID(const FolderPropertySchema& schema, const Category& property) {
    const auto found = schema.displayIDs.find(property.idText());
    if (found == schema.displayIDs.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool declares(const FolderPropertySchema& schema, const QString& categoryID) {
    return std::any_of(schema.properties.cbegin(), schema.properties.cend(),
                       [&](const Category& p) { return displayID(schema, p) == categoryID; });
}

// Properties created since the load that no folder declares belong to the root folder. The
// folders' schemas are walked only when such a property exists: most libraries hold none.
QSet<QString> rootLevelIDs(const Library& library) {
    QSet<QUuid> loaded;
    for (const Category& property : library.catalogProperties) {
        loaded.insert(property.id);
    }
    QSet<QString> result;
    for (const Category& category : library.categories) {
        if (!loaded.contains(category.id)) {
            result.insert(category.idText());
        }
    }
    for (auto schema = library.folderSchemas.begin();
         schema != library.folderSchemas.end() && !result.isEmpty(); ++schema) {
        for (const auto& [own, display] : schema->second.displayIDs) {
            result.remove(display);
        }
    }
    return result;
}

// Adds the options not yet held, compared as canonically equivalent texts. Folders mostly
// declare one property's options alike, so an option equal to the held one at its own place is
// passed without normalising it.
void mergeOptions(MergedShape& shape, const QStringList& options) {
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& option = options[i];
        if (i < shape.options.size() && shape.options[i] == option) {
            continue;
        }
        const QString key = TextOrder::nfc(option);
        if (!shape.keys.contains(key)) {
            shape.keys.insert(key);
            shape.options.append(option);
        }
    }
}

// Kinds and options as the chosen folders declare them; multiple choice in any folder wins.
QHash<QString, MergedShape> mergedShapes(const Library& library, QStringList chosen,
                                         QSet<QString>& active) {
    std::sort(chosen.begin(), chosen.end(), TextOrder::plainLess);
    QHash<QString, MergedShape> shapes;
    for (const QString& folder : std::as_const(chosen)) {
        const FolderPropertySchema* schema = schemaOf(library, folder);
        if (!schema) {
            continue;
        }
        for (const Category& property : schema->properties) {
            const auto display = displayID(*schema, property);
            if (!display) {
                continue;
            }
            active.insert(*display);
            MergedShape& shape = shapes[*display];
            if (shape.kind != PropertyKind::multiSelect) {
                shape.kind = property.kind;
            }
            mergeOptions(shape, property.options);
        }
    }
    return shapes;
}

// The displayed categories in the one chosen folder's own property order; the rest after them.
void orderByFolder(QList<Category>& displayed, const FolderPropertySchema& schema) {
    QHash<QString, qsizetype> rank;
    for (qsizetype i = 0; i < schema.properties.size(); ++i) {
        if (const auto display = displayID(schema, schema.properties[i])) {
            rank.insert(*display, i);
        }
    }
    const qsizetype unranked = schema.properties.size();
    std::stable_sort(displayed.begin(), displayed.end(), [&](const Category& a, const Category& b) {
        return rank.value(a.idText(), unranked) < rank.value(b.idText(), unranked);
    });
}

// The property keys the kept items hold values in, and those one item holds several values in.
struct HeldKeys {
    QSet<QString> active;
    QSet<QString> several;
};

// One pass over the items' values. The items of a library carry few property keys, so a key is
// looked for among those already met rather than hashed for every item.
HeldKeys heldKeys(const MediaItems& kept) {
    QStringList keys;
    QList<bool> several;
    for (const MediaItem& item : kept) {
        for (const auto& [key, values] : item.labels) {
            if (values.isEmpty()) {
                continue;
            }
            qsizetype index = keys.indexOf(key);
            if (index < 0) {
                index = keys.size();
                keys.append(key);
                several.append(false);
            }
            several[index] = several[index] || values.size() > 1;
        }
    }
    HeldKeys held;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        held.active.insert(keys[i]);
        if (several[i]) {
            held.several.insert(keys[i]);
        }
    }
    return held;
}

// The active categories in library order, shaped as the chosen folders declare them. Values of
// several options on one item need multiple choice, whatever a folder says.
QList<Category> displayedCategories(const QList<Category>& categories, const QSet<QString>& active,
                                    const QHash<QString, MergedShape>& shapes,
                                    const QSet<QString>& severalValues) {
    QList<Category> displayed;
    for (const Category& category : categories) {
        const QString id = category.idText();
        if (!active.contains(id)) {
            continue;
        }
        Category shown = category;
        const MergedShape shape = shapes.value(id);
        shown.options = shape.options;
        shown.kind = shape.kind.value_or(shown.kind);
        if (shown.kind == PropertyKind::singleSelect && severalValues.contains(id)) {
            shown.kind = PropertyKind::multiSelect;
        }
        displayed.append(std::move(shown));
    }
    return displayed;
}

}  // namespace

QSet<QString> rootLevelProperties(const Library& library) {
    return rootLevelIDs(library);
}

PropertyKind selectionKind(const Category& category, const QString& folder,
                           const Library& library) {
    const FolderPropertySchema* schema = schemaOf(library, folder);
    if (!schema) {
        return category.kind;
    }
    const QString id = category.idText();
    for (const Category& property : schema->properties) {
        if (displayID(*schema, property) == id) {
            return property.kind;
        }
    }
    return category.kind;
}

Library displayLibrary(const Library& library, const std::optional<QSet<QString>>& folders) {
    if (library.folderSchemas.empty()) {
        return library;
    }
    QStringList chosen;
    if (folders) {
        chosen = folders->values();
    } else {
        for (const auto& [path, schema] : library.folderSchemas) {
            chosen.append(path);
        }
    }
    QSet<QString> chosenKeys;
    for (const QString& folder : std::as_const(chosen)) {
        chosenKeys.insert(TextOrder::nfc(folder));
    }
    // Taken from a copy, the kept items share the library's chunks up to the first one left out:
    // a scope of every folder holds no second list of the library's items.
    MediaItems kept = library.items;
    kept.removeIf([&](const MediaItem& item) {
        return !item.available || !chosenKeys.contains(TextOrder::nfc(item.folder()));
    });
    return displayLibrary(library, chosen, std::move(kept));
}

Library displayLibrary(const Library& library, const QStringList& folders, MediaItems kept) {
    if (library.folderSchemas.empty()) {
        return library;
    }
    HeldKeys held = heldKeys(kept);
    QSet<QString>& active = held.active;
    QHash<QString, MergedShape> shapes = mergedShapes(library, folders, active);
    const bool rootChosen = std::any_of(folders.cbegin(), folders.cend(),
                                        [](const QString& folder) { return folder.isEmpty(); });
    if (rootChosen) {
        const QSet<QString> rootLevel = rootLevelIDs(library);
        for (const Category& category : library.categories) {
            if (rootLevel.contains(category.idText())) {
                active.insert(category.idText());
                shapes[category.idText()].options = category.options;
            }
        }
    }

    QList<Category> displayed =
        displayedCategories(library.categories, active, shapes, held.several);
    if (folders.size() == 1) {
        if (const FolderPropertySchema* schema = schemaOf(library, folders.first())) {
            orderByFolder(displayed, *schema);
        }
    }
    return Library::withContents(std::move(displayed), std::move(kept));
}

QStringList displayedOptions(const Library& library, const QStringList& folders,
                             const QString& id) {
    const bool rootChosen = std::any_of(folders.cbegin(), folders.cend(),
                                        [](const QString& folder) { return folder.isEmpty(); });
    if (rootChosen && rootLevelIDs(library).contains(id)) {
        for (const Category& category : library.categories) {
            if (category.idText() == id) {
                return category.options;
            }
        }
    }
    QSet<QString> active;
    return mergedShapes(library, folders, active).value(id).options;
}

namespace {

// The folder gains its own copy of a property it does not declare, so its catalog can hold the
// value.
void declareInFolder(Library& library, const QString& folder, const Category& category) {
    const auto key = schemaKey(library, folder);
    const QString id = category.idText();
    if (!key || declares(std::as_const(library.folderSchemas).at(*key), id)) {
        return;
    }
    FolderPropertySchema& schema = library.folderSchemas.at(*key);
    const Category copy{QUuid::createUuid(), category.name, category.kind, {}, category.iconName};
    schema.properties.append(copy);
    schema.displayIDs[copy.idText()] = id;
}

// The folder part of an item's name, as MediaItem::folder gives it.
QStringView folderOf(const QString& filename) {
    const qsizetype slash = filename.lastIndexOf(u'/');
    return slash < 0 ? QStringView() : QStringView(filename).left(slash);
}

// The identifiers of a set folded to 64 bits in a flat table, probed before the set itself: most
// items of a library are not among them, and the table tells so at one or two slots close by.
class IdentifierFilter {
public:
    explicit IdentifierFilter(const QSet<QUuid>& ids) {
        std::size_t size = 64;
        while (size < 4 * std::size_t(ids.size())) {
            size *= 2;
        }
        slots_.assign(size, 0);
        mask_ = size - 1;
        for (const QUuid& id : ids) {
            std::size_t slot = slotOf(fold(id));
            while (slots_[slot] != 0 && slots_[slot] != fold(id)) {
                slot = (slot + 1) & mask_;
            }
            slots_[slot] = fold(id);
        }
    }

    // False only for an identifier that is not in the set.
    bool mayHold(const QUuid& id) const {
        const std::uint64_t folded = fold(id);
        for (std::size_t slot = slotOf(folded); slots_[slot] != 0; slot = (slot + 1) & mask_) {
            if (slots_[slot] == folded) {
                return true;
            }
        }
        return false;
    }

private:
    // Never 0, which marks an empty slot.
    static std::uint64_t fold(const QUuid& id) {
        std::uint64_t tail = 0;
        std::memcpy(&tail, id.data4, sizeof tail);
        const std::uint64_t head = (std::uint64_t(id.data1) << 32) |
                                   (std::uint64_t(id.data2) << 16) | std::uint64_t(id.data3);
        return (head ^ tail) | 1;
    }
    std::size_t slotOf(std::uint64_t folded) const {
        return std::size_t((folded * 0x9E3779B97F4A7C15ULL) >> 32) & mask_;
    }

    std::vector<std::uint64_t> slots_;
    std::size_t mask_ = 0;
};

// The positions of the items `ids` names, in library order; the parts of the list are searched
// side by side.
std::vector<qsizetype> positionsOf(const MediaItems& items, const QSet<QUuid>& ids) {
    const IdentifierFilter filter(ids);
    constexpr qsizetype partSize = 4096;
    const qsizetype parts = (items.size() + partSize - 1) / partSize;
    std::vector<std::vector<qsizetype>> found(static_cast<std::size_t>(parts));
    ParallelWork::forEach(found.size(), [&](std::size_t part) {
        const qsizetype first = qsizetype(part) * partSize;
        const qsizetype end = std::min(items.size(), first + partSize);
        for (qsizetype index = first; index < end; ++index) {
            const QUuid& id = items.at(index).id;
            if (filter.mayHold(id) && ids.contains(id)) {
                found[part].push_back(index);
            }
        }
        return true;
    });
    std::vector<qsizetype> positions;
    for (const std::vector<qsizetype>& part : found) {
        positions.insert(positions.end(), part.begin(), part.end());
    }
    return positions;
}

struct Relabelling {
    MediaItem* item;
    PropertyKind kind;  // the kind the item's folder gives the property
};

}  // namespace

Library applyingLabel(const QString& value, const QSet<QUuid>& ids, const Category& category,
                      const Library& library) {
    OptionText::validate(value);
    const auto own = std::find_if(library.categories.cbegin(), library.categories.cend(),
                                  [&](const Category& c) { return c.id == category.id; });
    if (category.kind == PropertyKind::rating || value.isEmpty() ||
        own == library.categories.cend()) {
        return library;
    }
    const std::vector<qsizetype> chosen = positionsOf(library.items, ids);
    if (chosen.empty()) {
        return library;
    }
    Library result = library;
    QStringList& options = result.categories[own - library.categories.cbegin()].options;
    if (!holdsText(options, value)) {
        options.append(value);
    }
    // A folder's items lie together, so its schema is looked at once per run of them. Each item
    // is taken for change here, so that its chunk is copied once, on this thread; the items
    // themselves then change side by side.
    std::vector<Relabelling> changes;
    changes.reserve(chosen.size());
    QString folder;
    PropertyKind kind = category.kind;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const QStringView itemFolder = folderOf(result.items.at(chosen[i]).filename);
        if (i == 0 || itemFolder != folder) {
            folder = itemFolder.toString();
            declareInFolder(result, folder, category);
            kind = selectionKind(category, folder, result);
        }
        changes.push_back({&result.items[chosen[i]], kind});
    }
    const QString id = category.idText();
    ParallelWork::forEach(changes.size(), [&](std::size_t index) {
        QStringList& values = changes[index].item->labels[id];
        if (changes[index].kind == PropertyKind::singleSelect) {
            values = QStringList{value};
        } else if (!holdsText(values, value)) {
            values.append(value);
        }
        return true;
    });
    return result;
}

}  // namespace lumivex::FolderCatalog
