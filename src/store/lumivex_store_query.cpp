#include "store/lumivex_store.h"

namespace lumivex {

void LumivexStore::selectMediaKind(const std::optional<MediaKind>& kind) {
    MediaQuery query = query_;
    query.kind = kind;
    query.videoDuration.reset();
    setQuery(query);
}

void LumivexStore::selectVideoDuration(const VideoDurationRange& range) {
    MediaQuery query = query_;
    query.kind = MediaKind::video;
    query.videoDuration = range;
    setQuery(query);
}

// Each step is its own assignment, so the scope of the new folder is built before the filters
// are checked against it.
void LumivexStore::selectFolderFilter(const std::optional<QString>& path) {
    MediaQuery query = query_;
    query.folderPath = path;
    setQuery(query);

    const Library& scope = folderScope().library;
    QSet<QString> keys;
    for (const Category& category : scope.categories) {
        keys.insert(category.idText());
    }
    query = query_;
    std::erase_if(query.facets, [&](const auto& facet) {
        const auto category =
            std::find_if(scope.categories.begin(), scope.categories.end(),
                         [&](const Category& c) { return c.idText() == facet.first; });
        return category == scope.categories.end() ||
               !scope.options(*category).contains(facet.second);
    });
    setQuery(query);

    query = query_;
    query.emptyFacets.intersect(keys);
    setQuery(query);

    if (query_.sortCategory && !keys.contains(query_.sortCategory->idText())) {
        query = query_;
        query.sortCategory.reset();
        setQuery(query);
    }
}

}  // namespace lumivex
