#include "catalog/library_state.h"
#include "platform/text_order.h"
#include "store/lumivex_store.h"

namespace lumivex {

namespace {

const QString duplicateOnAdd = QStringLiteral("같은 이름의 속성 또는 별점 속성이 이미 있습니다.");
const QString duplicateOnRename = QStringLiteral("같은 이름의 분류가 이미 있습니다.");
const QString ratingName = QStringLiteral("별점");

bool sameName(const QString& a, const QString& b) {
    return TextOrder::equalIgnoringCase(a, b);
}

qsizetype indexOfCategory(const QList<Category>& categories, const QUuid& id) {
    for (qsizetype i = 0; i < categories.size(); ++i) {
        if (categories[i].id == id) {
            return i;
        }
    }
    return -1;
}

// The first property of a folder's schema shown as the library category `id`.
qsizetype indexOfShown(const FolderPropertySchema& schema, const QString& key) {
    for (qsizetype i = 0; i < schema.properties.size(); ++i) {
        const auto shown = schema.displayIDs.find(schema.properties[i].idText());
        if (shown != schema.displayIDs.end() && shown->second == key) {
            return i;
        }
    }
    return -1;
}

LumivexStore::RenameOutcome renamedOutcome(bool saved) {
    return saved ? LumivexStore::RenameOutcome::renamed : LumivexStore::RenameOutcome::failed;
}

bool isRatingProperty(const Library& library, const QUuid& id) {
    const qsizetype at = indexOfCategory(library.categories, id);
    return at >= 0 && library.categories[at].kind == PropertyKind::rating;
}

}  // namespace

QString LumivexStore::currentFolder() const {
    return query_.folderPath.value_or(QString());
}

bool LumivexStore::hasFolderSchema(const QString& folder) const {
    return source_ == LibrarySource::folder && library_.folderSchemas.contains(folder);
}

bool LumivexStore::addCategory(const QString& name, PropertyKind kind) {
    const QString trimmed = TextOrder::trimmed(name);
    if (kind == PropertyKind::rating || trimmed.isEmpty()) {
        return false;
    }
    // The rating property is never reused as a new property, whatever the folder shows.
    const bool ratingLike =
        sameName(trimmed, ratingName) ||
        std::any_of(library_.categories.cbegin(), library_.categories.cend(),
                    [&](const Category& c) {
                        return c.kind == PropertyKind::rating && sameName(c.name, trimmed);
                    });
    const QList<Category> editable = editableProperties();
    if (ratingLike || std::any_of(editable.cbegin(), editable.cend(),
                                  [&](const Category& c) { return sameName(c.name, trimmed); })) {
        setError(duplicateOnAdd);
        return false;
    }
    Library edited = library_;
    const auto reused = std::find_if(library_.categories.cbegin(), library_.categories.cend(),
                                     [&](const Category& c) { return sameName(c.name, trimmed); });
    const Category chosen =
        reused != library_.categories.cend()
            ? *reused
            : Category{QUuid::createUuid(), trimmed, kind, {}, QStringLiteral("list.bullet")};
    if (indexOfCategory(edited.categories, chosen.id) < 0) {
        edited.categories.append(chosen);
    }
    if (hasFolderSchema(currentFolder())) {
        FolderPropertySchema& schema = edited.folderSchemas[currentFolder()];
        const Category local{QUuid::createUuid(), chosen.name, kind, {}, chosen.iconName};
        schema.properties.append(local);
        schema.displayIDs[local.idText()] = chosen.idText();
    }
    return commit(editedState(std::move(edited)), std::nullopt, QStringLiteral("속성 추가"));
}

LumivexStore::RenameOutcome LumivexStore::renameCategory(const Category& category,
                                                         const QString& name) {
    const QString trimmed = TextOrder::trimmed(name);
    if (isRatingProperty(library_, category.id) || trimmed.isEmpty()) {
        return RenameOutcome::unchanged;
    }
    const QList<Category> editable = editableProperties();
    if (std::any_of(editable.cbegin(), editable.cend(), [&](const Category& c) {
            return c.id != category.id && sameName(c.name, trimmed);
        })) {
        setError(duplicateOnRename);
        return RenameOutcome::duplicate;
    }
    const QString title = QStringLiteral("속성 이름 변경");
    Library edited = library_;
    if (hasFolderSchema(currentFolder())) {
        FolderPropertySchema& schema = edited.folderSchemas[currentFolder()];
        const qsizetype at = indexOfShown(schema, category.idText());
        if (at < 0) {
            return RenameOutcome::unchanged;
        }
        schema.properties[at].name = trimmed;
        return renamedOutcome(commit(editedState(std::move(edited)), std::nullopt, title));
    }
    const qsizetype at = indexOfCategory(edited.categories, category.id);
    if (at >= 0) {
        edited.categories[at].name = trimmed;
    }
    const bool saved = commit(editedState(std::move(edited)), std::nullopt, title);
    if (!saved || !query_.sortCategory || query_.sortCategory->id != category.id) {
        return renamedOutcome(saved);
    }
    MediaQuery query = query_;
    const qsizetype now = indexOfCategory(library_.categories, category.id);
    query.sortCategory =
        now >= 0 ? std::optional<Category>(library_.categories[now]) : std::nullopt;
    setQuery(query);
    return RenameOutcome::renamed;
}

void LumivexStore::removeCategory(const Category& category) {
    if (isRatingProperty(library_, category.id)) {
        return;
    }
    const QString key = category.idText();
    const QString title = QStringLiteral("속성 삭제");
    if (hasFolderSchema(currentFolder())) {
        const QString folder = currentFolder();
        Library edited = library_;
        FolderPropertySchema& schema = edited.folderSchemas[folder];
        const qsizetype at = indexOfShown(schema, category.idText());
        if (at < 0) {
            return;
        }
        const QUuid local = schema.properties[at].id;
        schema.displayIDs.erase(schema.properties[at].idText());
        schema.properties.removeIf([&](const Category& c) { return c.id == local; });
        DeletedArchive archive = deletedArchive_;
        for (MediaItem& item : edited.items) {
            if (item.folder() == folder && item.labels.contains(key)) {
                item.labels.erase(key);
            }
        }
        for (DeletedRecord& record : archive.records) {
            if (record.item.folder() == folder && record.item.labels.contains(key)) {
                record.item.labels.erase(key);
            }
        }
        commit(LibraryState{edited, archive}, std::nullopt, title);
        return;
    }
    LibraryState state{library_, deletedArchive_};
    state.removeProperty(category.id);
    if (!commit(state, std::nullopt, title)) {
        return;
    }
    MediaQuery query = query_;
    query.facets.erase(key);
    setQuery(query);
    query = query_;
    query.emptyFacets.remove(key);
    setQuery(query);
    if (query_.sortCategory && query_.sortCategory->id == category.id) {
        query = query_;
        query.sortCategory.reset();
        setQuery(query);
    }
}

void LumivexStore::moveCategory(const Category& category, int offset) {
    Library edited = library_;
    QList<Category>* list = nullptr;
    qsizetype at = -1;
    if (hasFolderSchema(currentFolder())) {
        list = &edited.folderSchemas[currentFolder()].properties;
        at = indexOfShown(edited.folderSchemas[currentFolder()], category.idText());
    } else {
        list = &edited.categories;
        at = indexOfCategory(edited.categories, category.id);
    }
    const qsizetype target = at + offset;
    if (at < 0 || target < 0 || target >= list->size() ||
        (*list)[at].kind == PropertyKind::rating || (*list)[target].kind == PropertyKind::rating) {
        return;
    }
    list->swapItemsAt(at, target);
    commit(editedState(std::move(edited)), std::nullopt, QStringLiteral("속성 순서 변경"));
}

}  // namespace lumivex
