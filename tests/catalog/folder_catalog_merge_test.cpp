#include "catalog/folder_catalog.h"
#include "catalog_fixtures.h"

#include <gtest/gtest.h>

using namespace lumivex;
using namespace lumivex::test;

namespace {

Library libraryOf(QList<Category> categories, QList<MediaItem> items = {}) {
    return Library::withContents(std::move(categories), std::move(items));
}

}  // namespace

TEST(FolderCatalogMerge, IntoAnEmptyListEveryPropertyIsAppendedUnchangedUnderItsOwnIdentifier) {
    const Library library =
        libraryOf({rating(), property(QStringLiteral("사람")),
                   property(QStringLiteral("위치"), PropertyKind::singleSelect, texts({"집"}))});
    QList<Category> merged;
    const auto mapping = FolderCatalog::mergeCategories(library, merged, {});
    EXPECT_EQ(merged, library.categories);
    for (const Category& category : library.categories) {
        EXPECT_EQ(mapping.at(category.idText()), category.idText());
    }
}

TEST(FolderCatalogMerge, MultipleChoiceWinsAndNewOptionsFollowTheDisplayOnes) {
    const Category display =
        property(QStringLiteral("위치"), PropertyKind::singleSelect, texts({"서울", "Home"}));
    const Category folder = property(QStringLiteral("위치"), PropertyKind::multiSelect,
                                     texts({"home", "서울", "부산"}));
    const MediaItem item = labelled(mediaItem(QStringLiteral("a.jpg")), folder, texts({"대구"}));
    QList<Category> merged{display};

    const auto mapping = FolderCatalog::mergeCategories(libraryOf({folder}, {item}), merged, {});

    ASSERT_EQ(merged.size(), 1);
    EXPECT_EQ(merged[0].id, display.id);
    EXPECT_EQ(merged[0].name, display.name);
    EXPECT_EQ(merged[0].kind, PropertyKind::multiSelect);
    EXPECT_EQ(merged[0].options, texts({"서울", "Home", "home", "부산", "대구"}));
    EXPECT_EQ(mapping.at(folder.idText()), display.idText());

    // A single-choice folder property leaves a multiple-choice display property as it is.
    FolderCatalog::mergeCategories(
        libraryOf({property(QStringLiteral("위치"), PropertyKind::singleSelect)}), merged, {});
    EXPECT_EQ(merged[0].kind, PropertyKind::multiSelect);
}

TEST(FolderCatalogMerge, NamesMatchIgnoringCaseButEachDisplayPropertyOnlyOncePerLibrary) {
    const Category display = property(QStringLiteral("Trip"));
    const Category first = property(QStringLiteral("TRIP"));
    const Category second = property(QStringLiteral("trip"));
    QList<Category> merged{display};

    const auto mapping = FolderCatalog::mergeCategories(libraryOf({first, second}), merged, {});

    ASSERT_EQ(merged.size(), 2);
    EXPECT_EQ(merged[0].name, QStringLiteral("Trip"));
    EXPECT_EQ(mapping.at(first.idText()), display.idText());
    EXPECT_EQ(merged[1], second);
    EXPECT_EQ(mapping.at(second.idText()), second.idText());
}

TEST(FolderCatalogMerge, NamesMatchUnderFullCaseFoldingButNotAcrossWidthOrKana) {
    const Category street = property(QStringLiteral("Stra\u00dfe"));
    const Category wide = property(QStringLiteral("\uff34\uff21\uff27"));
    const Category katakana = property(QStringLiteral("\u30ab\u30e1\u30e9"));
    QList<Category> merged{street, wide, katakana};
    const Category upper = property(QStringLiteral("STRASSE"));
    const Category narrow = property(QStringLiteral("tag"));
    const Category hiragana = property(QStringLiteral("\u304b\u3081\u3089"));

    const auto mapping =
        FolderCatalog::mergeCategories(libraryOf({upper, narrow, hiragana}), merged, {});

    ASSERT_EQ(merged.size(), 5);
    EXPECT_EQ(mapping.at(upper.idText()), street.idText());
    EXPECT_EQ(mapping.at(narrow.idText()), narrow.idText());
    EXPECT_EQ(mapping.at(hiragana.idText()), hiragana.idText());
}

TEST(FolderCatalogMerge, PreferredIdentifierIsTakenBackOnlyWhenFree) {
    Category preferred = property(QStringLiteral("사람"));
    const Category folder = property(QStringLiteral("사람"));
    QList<Category> merged;
    auto mapping = FolderCatalog::mergeCategories(libraryOf({folder}), merged, {preferred});
    ASSERT_EQ(merged.size(), 1);
    EXPECT_EQ(merged[0].id, preferred.id);
    EXPECT_EQ(merged[0].name, folder.name);
    EXPECT_EQ(mapping.at(folder.idText()), preferred.idText());

    // P is held by an unrelated display property: the copy keeps its own identifier...
    Category holder = property(QStringLiteral("다른 것"));
    holder.id = preferred.id;
    merged = {holder};
    FolderCatalog::mergeCategories(libraryOf({folder}), merged, {preferred});
    EXPECT_EQ(merged[1].id, folder.id);

    // ...or a new one when that is taken too.
    Category ownHolder = property(QStringLiteral("또 다른 것"));
    ownHolder.id = folder.id;
    merged = {holder, ownHolder};
    mapping = FolderCatalog::mergeCategories(libraryOf({folder}), merged, {preferred});
    ASSERT_EQ(merged.size(), 3);
    EXPECT_NE(merged[2].id, folder.id);
    EXPECT_NE(merged[2].id, preferred.id);
    EXPECT_EQ(mapping.at(folder.idText()), merged[2].idText());
}

TEST(FolderCatalogMerge, RatingPropertiesMapToTheFirstDisplayRating) {
    const Category displayRating = rating();
    Category folderRating = rating();
    folderRating.name = QStringLiteral("점수");
    QList<Category> merged{property(QStringLiteral("태그")), displayRating, rating()};
    const auto mapping = FolderCatalog::mergeCategories(libraryOf({folderRating}), merged, {});
    EXPECT_EQ(merged.size(), 3);
    EXPECT_EQ(mapping.at(folderRating.idText()), displayRating.idText());
}

TEST(FolderCatalogNormalize, OneRatingFirstAndTheArchiveAligned) {
    const Category archivedRating = rating();
    const Category tag = property(QStringLiteral("태그"));
    LibraryState state;
    state.library = libraryOf({tag});
    state.deleted.categories = {tag, archivedRating};
    state.deleted.records = {record(labelled(mediaItem(QStringLiteral("x.jpg")),
                                             property(QStringLiteral("없음")), texts({"v"})),
                                    1)};

    FolderCatalog::normalize(state);

    ASSERT_EQ(state.library.categories.size(), 2);
    EXPECT_EQ(state.library.categories[0].id, archivedRating.id);
    EXPECT_EQ(state.library.categories[0].name, QStringLiteral("별점"));
    EXPECT_EQ(state.deleted.categories, (QList<Category>{tag, archivedRating}));
    EXPECT_TRUE(state.deleted.records[0].item.labels.empty());
}

TEST(FolderCatalogMerge, FormsKeptAcrossFoldersMergeAsFreshComparisonsDo) {
    const QString composed = QStringLiteral("caf\u00e9");
    const QString decomposed = QStringLiteral("cafe\u0301");
    const QList<Library> folders{
        libraryOf({property(QStringLiteral("Tags"), PropertyKind::multiSelect,
                            texts({"a", "b"}) + QStringList{composed})}),
        libraryOf({property(QStringLiteral("tags"), PropertyKind::multiSelect,
                            QStringList{decomposed, QStringLiteral("c"), QStringLiteral("a")}),
                   property(QStringLiteral("Place"), PropertyKind::singleSelect, texts({"x"}))}),
        libraryOf({property(QStringLiteral("Place"), PropertyKind::singleSelect,
                            texts({"y", "x", "y"}))}),
    };
    const QList<Category> start{
        property(QStringLiteral("Tags"), PropertyKind::multiSelect, texts({"b", "z"}))};
    QList<Category> kept = start;
    QList<Category> fresh = start;
    FolderCatalog::MergedOptionForms forms;
    for (const Library& folder : folders) {
        FolderCatalog::mergeCategories(folder, kept, {}, forms);
        FolderCatalog::mergeCategories(folder, fresh, {});
    }
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[0].options,
              (texts({"b", "z", "a"}) + QStringList{composed, QStringLiteral("c")}));
    EXPECT_EQ(kept[1].options, texts({"x", "y"}));
    EXPECT_EQ(kept[0].options, fresh[0].options);
    EXPECT_EQ(kept[1].options, fresh[1].options);
}
