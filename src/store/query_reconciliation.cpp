#include "store/query_reconciliation.h"

#include "catalog/folder_catalog.h"

#include <map>

namespace lumivex::QueryReconciliation {

namespace {

// Finds the display identifier a property key stands for after the change.
class KeyResolver {
public:
    KeyResolver(const std::map<QString, Category>& table, const QSet<QString>& oldFolders,
                const Library& old, const Library& updated)
        : table_(table), oldFolders_(oldFolders), old_(old), updated_(updated) {}

    std::optional<QString> resolve(const QString& key) const {
        if (table_.contains(key)) {
            return key;
        }
        QSet<QString> candidates;
        for (const QString& folder : oldFolders_) {
            const auto before = old_.folderSchemas.find(folder);
            const auto after = updated_.folderSchemas.find(folder);
            if (before == old_.folderSchemas.end() || after == updated_.folderSchemas.end() ||
                after->second.displayIDs.empty()) {
                continue;
            }
            for (const auto& [property, shown] : before->second.displayIDs) {
                if (shown != key) {
                    continue;
                }
                const auto now = after->second.displayIDs.find(property);
                if (now != after->second.displayIDs.end() && table_.contains(now->second)) {
                    candidates.insert(now->second);
                }
            }
        }
        if (candidates.size() != 1) {
            return std::nullopt;
        }
        return *candidates.begin();
    }

private:
    const std::map<QString, Category>& table_;
    const QSet<QString>& oldFolders_;
    const Library& old_;
    const Library& updated_;
};

std::map<QString, QString> reconciledFacets(const std::map<QString, QString>& facets,
                                            const KeyResolver& resolver,
                                            const std::map<QString, Category>& table,
                                            const Library& scope) {
    std::map<QString, QSet<QString>> values;
    for (const auto& [key, value] : facets) {
        const std::optional<QString> resolved = resolver.resolve(key);
        if (!resolved) {
            continue;
        }
        if (!scope.options(table.at(*resolved)).contains(value)) {
            continue;
        }
        values[*resolved].insert(value);
    }
    std::map<QString, QString> result;
    for (const auto& [key, set] : values) {
        if (set.size() == 1) {
            result.emplace(key, *set.begin());
        }
    }
    return result;
}

}  // namespace

QSet<QString> schemaFolders(const Library& library, const std::optional<QString>& path) {
    QSet<QString> folders;
    for (const auto& [folder, schema] : library.folderSchemas) {
        if (!path || folder == *path ||
            (!path->isEmpty() && folder.startsWith(*path + QLatin1Char('/')))) {
            folders.insert(folder);
        }
    }
    return folders;
}

Library scopeLibrary(const Library& library, LibrarySource source, const QSet<QString>& folders) {
    if (source != LibrarySource::folder) {
        return library;
    }
    return FolderCatalog::displayLibrary(library, folders);
}

MediaQuery reconciled(const MediaQuery& query, const Library& old, const Library& updated,
                      LibrarySource source) {
    MediaQuery q = query;
    if (source == LibrarySource::folder && q.folderPath &&
        !updated.folderSchemas.contains(*q.folderPath)) {
        q.folderPath.reset();
    }
    // Only the property filters need the scope; building it walks every item.
    if (query.facets.empty() && query.emptyFacets.isEmpty() && !query.sortCategory) {
        return q;
    }
    const Library scope = scopeLibrary(updated, source, schemaFolders(updated, q.folderPath));
    std::map<QString, Category> table;
    for (const Category& category : scope.categories) {
        table.emplace(category.idText(), category);
    }
    const QSet<QString> oldFolders = schemaFolders(old, query.folderPath);
    const KeyResolver resolver(table, oldFolders, old, updated);

    q.facets = reconciledFacets(query.facets, resolver, table, scope);
    q.emptyFacets.clear();
    for (const QString& key : query.emptyFacets) {
        const std::optional<QString> resolved = resolver.resolve(key);
        if (resolved && !q.facets.contains(*resolved)) {
            q.emptyFacets.insert(*resolved);
        }
    }
    if (query.sortCategory) {
        const std::optional<QString> resolved = resolver.resolve(query.sortCategory->idText());
        q.sortCategory.reset();
        if (resolved && table.contains(*resolved)) {
            q.sortCategory = table.at(*resolved);
        }
    }
    return q;
}

}  // namespace lumivex::QueryReconciliation
