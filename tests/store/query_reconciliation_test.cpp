#include "store/query_reconciliation.h"

#include "platform/uuid_text.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

Category property(const QString& name, QStringList options = {}) {
    return Category{QUuid::createUuid(), name, PropertyKind::multiSelect, std::move(options),
                    std::nullopt};
}

// A folder library whose folders show their own copy of `shown` under `shownAs` (folder path to
// the library category it is shown as).
Library treeLibrary(const QList<Category>& categories,
                    const std::map<QString, std::pair<QUuid, QUuid>>& folders) {
    Library library = Library::withContents(categories, {});
    for (const auto& [folder, ids] : folders) {
        const auto& [local, shown] = ids;
        const auto category = std::find_if(categories.begin(), categories.end(),
                                           [&](const Category& c) { return c.id == shown; });
        Category copy = *category;
        copy.id = local;
        FolderPropertySchema schema;
        schema.properties.append(copy);
        schema.displayIDs[UuidText::upper(local)] = UuidText::upper(shown);
        library.folderSchemas[folder] = schema;
    }
    return library;
}

TEST(QueryReconciliation, SchemaFoldersOfAPathIncludeSubfoldersButNotSiblings) {
    Library library;
    for (const QString& folder :
         {QString(), QStringLiteral("trip"), QStringLiteral("trip/day"), QStringLiteral("trips")}) {
        library.folderSchemas[folder] = {};
    }
    EXPECT_EQ(QueryReconciliation::schemaFolders(library, std::nullopt).size(), 4);
    EXPECT_EQ(QueryReconciliation::schemaFolders(library, QString()), QSet<QString>{QString()});
    EXPECT_EQ(QueryReconciliation::schemaFolders(library, QStringLiteral("trip")),
              (QSet<QString>{QStringLiteral("trip"), QStringLiteral("trip/day")}));
}

TEST(QueryReconciliation, FolderFilterWithoutSchemaFallsBackOnlyInAFolderLibrary) {
    Library library;
    library.folderSchemas[QString()] = {};
    MediaQuery query;
    query.folderPath = QStringLiteral("gone");
    EXPECT_FALSE(
        QueryReconciliation::reconciled(query, library, library, LibrarySource::folder).folderPath);
    EXPECT_EQ(
        QueryReconciliation::reconciled(query, library, library, LibrarySource::photos).folderPath,
        QStringLiteral("gone"));
    query.folderPath = QString();
    EXPECT_EQ(
        QueryReconciliation::reconciled(query, library, library, LibrarySource::folder).folderPath,
        QString());
}

TEST(QueryReconciliation, FacetsStayWhileTheirValueIsOfferedAndEmptyFacetsYieldToFacets) {
    const Category tags = property(QStringLiteral("태그"), {QStringLiteral("Sea")});
    Library library = Library::withContents({tags}, {});
    MediaQuery query;
    query.facets[tags.idText()] = QStringLiteral("Sea");
    query.emptyFacets.insert(tags.idText());
    query.emptyFacets.insert(QStringLiteral("00000000-0000-0000-0000-000000000000"));
    MediaQuery result =
        QueryReconciliation::reconciled(query, library, library, LibrarySource::photos);
    EXPECT_EQ(result.facets, query.facets);
    EXPECT_TRUE(result.emptyFacets.isEmpty());

    Library renamed = library;
    renamed.categories[0].options = {QStringLiteral("Ocean")};
    result = QueryReconciliation::reconciled(query, library, renamed, LibrarySource::photos);
    EXPECT_TRUE(result.facets.empty());
    EXPECT_EQ(result.emptyFacets, QSet<QString>{tags.idText()});
}

TEST(QueryReconciliation, PropertiesFollowANewDisplayIdentifierOnlyWhenItIsUnique) {
    const Category oldShown = property(QStringLiteral("사람"), {QStringLiteral("Ann")});
    const Category newShown = property(QStringLiteral("사람"), {QStringLiteral("Ann")});
    const Category otherShown = property(QStringLiteral("사람 2"), {QStringLiteral("Ann")});
    const QUuid first = QUuid::createUuid();
    const QUuid second = QUuid::createUuid();
    const Library old = treeLibrary({oldShown}, {{QStringLiteral("a"), {first, oldShown.id}},
                                                 {QStringLiteral("b"), {second, oldShown.id}}});
    MediaQuery query;
    query.facets[oldShown.idText()] = QStringLiteral("Ann");
    query.sortCategory = oldShown;
    query.sort = SortOrder::name;

    const Library merged = treeLibrary({newShown}, {{QStringLiteral("a"), {first, newShown.id}},
                                                    {QStringLiteral("b"), {second, newShown.id}}});
    MediaQuery result = QueryReconciliation::reconciled(query, old, merged, LibrarySource::folder);
    EXPECT_EQ(result.facets.size(), 1);
    EXPECT_EQ(result.facets.count(newShown.idText()), 1);
    ASSERT_TRUE(result.sortCategory);
    EXPECT_EQ(result.sortCategory->id, newShown.id);

    const Library split =
        treeLibrary({newShown, otherShown}, {{QStringLiteral("a"), {first, newShown.id}},
                                             {QStringLiteral("b"), {second, otherShown.id}}});
    result = QueryReconciliation::reconciled(query, old, split, LibrarySource::folder);
    EXPECT_TRUE(result.facets.empty());
    EXPECT_FALSE(result.sortCategory);
    EXPECT_EQ(result.sort, SortOrder::name);
}

}  // namespace
}  // namespace lumivex
