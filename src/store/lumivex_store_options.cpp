#include "catalog/library_state.h"
#include "platform/text_order.h"
#include "store/lumivex_store.h"

#include <QSet>

#include <algorithm>
#include <map>
#include <optional>

namespace lumivex {

namespace {

// `order` keeping only what `declared` holds.
QStringList reordered(const QStringList& order, const QSet<QString>& declared) {
    QStringList result;
    for (const QString& option : order) {
        if (declared.contains(option)) {
            result.append(option);
        }
    }
    return result;
}

// The values each folder's items hold for the property. A value first given since the tree was
// read is declared in the folder's file, where the save lists it, but not yet in the folder's
// schema, which is read back only when a schema changes.
std::map<QString, QSet<QString>> heldByFolder(const Library& library, const QString& key,
                                              const std::optional<QSet<QString>>& folders) {
    std::map<QString, QSet<QString>> held;
    for (const MediaItem& item : library.items) {
        const auto values = item.labels.find(key);
        if (values == item.labels.end() || values->second.isEmpty()) {
            continue;
        }
        const QString folder = item.folder();
        if (!folders || folders->contains(folder)) {
            QSet<QString>& set = held[folder];
            for (const QString& value : values->second) {
                set.insert(value);
            }
        }
    }
    return held;
}

}  // namespace

void LumivexStore::moveOption(const QString& option, const std::optional<QString>& target,
                              const Category& category) {
    if (option == target) {
        return;
    }
    Library edited = library_;
    const auto found = std::find_if(edited.categories.begin(), edited.categories.end(),
                                    [&](const Category& c) { return c.id == category.id; });
    if (found == edited.categories.end()) {
        return;
    }
    QStringList order = editorOptions(category);
    if (!order.removeOne(option)) {
        return;
    }
    const qsizetype at = target ? order.indexOf(*target) : order.size();
    if (at < 0) {
        return;
    }
    order.insert(at, option);
    found->options = order;
    const std::optional<QSet<QString>> folders = optionFolders();
    const QString key = category.idText();
    const std::map<QString, QSet<QString>> held = heldByFolder(edited, key, folders);
    for (auto& [folder, schema] : edited.folderSchemas) {
        if (folders && !folders->contains(folder)) {
            continue;
        }
        for (Category& property : schema.properties) {
            const auto shown = schema.displayIDs.find(property.idText());
            if (shown == schema.displayIDs.end() || shown->second != key) {
                continue;
            }
            QSet<QString> declared(property.options.cbegin(), property.options.cend());
            const auto used = held.find(folder);
            if (used != held.end()) {
                declared.unite(used->second);
            }
            property.options = reordered(order, declared);
        }
    }
    commit(editedState(std::move(edited)), std::nullopt, QStringLiteral("옵션 순서 변경"));
}

void LumivexStore::renameOption(const QString& option, const QString& name,
                                const Category& category) {
    const QString trimmed = TextOrder::trimmed(name);
    if (trimmed.contains(QLatin1Char('\n')) || trimmed.contains(QLatin1Char('\r'))) {
        setError(QStringLiteral("옵션 이름은 한 줄로 입력해주세요."));
        return;
    }
    if (trimmed.isEmpty() || trimmed == option) {
        return;
    }
    const QStringList offered = propertyOptions(category);
    if (std::any_of(offered.cbegin(), offered.cend(), [&](const QString& other) {
            return other != option && TextOrder::equalIgnoringCase(other, trimmed);
        })) {
        setError(QStringLiteral("같은 이름의 옵션이 이미 있습니다."));
        return;
    }
    LibraryState state{library_, deletedArchive_};
    state.replaceOption(option, trimmed, category, optionFolders());
    MediaQuery query = query_;
    const auto facet = query.facets.find(category.idText());
    if (facet != query.facets.end() && facet->second == option) {
        facet->second = trimmed;
    }
    commit(state, query, QStringLiteral("옵션 이름 변경"));
}

void LumivexStore::deleteOption(const QString& option, const Category& category) {
    LibraryState state{library_, deletedArchive_};
    state.replaceOption(option, std::nullopt, category, optionFolders());
    if (!commit(state, std::nullopt, QStringLiteral("옵션 삭제"))) {
        return;
    }
    const auto facet = query_.facets.find(category.idText());
    if (facet != query_.facets.end() && facet->second == option) {
        MediaQuery query = query_;
        query.facets.erase(category.idText());
        setQuery(query);
    }
}

}  // namespace lumivex
