#include "catalog/library_state.h"
#include "platform/text_order.h"
#include "store/lumivex_store.h"

namespace lumivex {

namespace {

// `options` in the order of `order`, keeping only what `options` held.
QStringList reordered(const QStringList& order, const QStringList& options) {
    QStringList result;
    for (const QString& option : order) {
        if (options.contains(option)) {
            result.append(option);
        }
    }
    return result;
}

}  // namespace

void LumivexStore::moveOption(const QString& option, const QString& target,
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
    QStringList order = propertyOptions(category);
    if (!order.removeOne(option)) {
        return;
    }
    const qsizetype at = order.indexOf(target);
    if (at < 0) {
        return;
    }
    order.insert(at, option);
    found->options = order;
    const std::optional<QSet<QString>> folders = optionFolders();
    const QString key = category.idText();
    for (auto& [folder, schema] : edited.folderSchemas) {
        if (folders && !folders->contains(folder)) {
            continue;
        }
        for (Category& property : schema.properties) {
            const auto shown = schema.displayIDs.find(property.idText());
            if (shown != schema.displayIDs.end() && shown->second == key) {
                property.options = reordered(order, property.options);
            }
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
