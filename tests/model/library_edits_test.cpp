#include "model/library.h"

#include "query_fixtures.h"

#include <gtest/gtest.h>

using namespace lumivex;
using lumivex::test::filenames;
using lumivex::test::photo;

namespace {

MediaItem scanned(const QString& filename, const QString& identity) {
    MediaItem item = photo(filename);
    item.fileIdentity = identity;
    item.size = 42;
    item.modified = {1700000500.0};
    item.added = {1700000900.0};
    item.capturedAt = Date{1600000000.0};
    return item;
}

MediaItem curated(const QString& filename, const QString& identity, std::int64_t rating) {
    MediaItem item = photo(filename);
    item.fileIdentity = identity;
    item.added = {1600000000.0};
    item.rating = rating;
    item.labels[QStringLiteral("K")] = QStringList{QStringLiteral("v%1").arg(rating)};
    item.notes = QStringLiteral("note %1").arg(rating);
    return item;
}

Category property(const QString& name, PropertyKind kind, QStringList options = {}) {
    return Category{QUuid::createUuid(), name, kind, std::move(options), {}};
}

QStringList names(const QList<Category>& categories) {
    QStringList result;
    for (const Category& category : categories) {
        result.append(category.name);
    }
    return result;
}

}  // namespace

TEST(LibraryMerge, RenamedFileKeepsUserMetadataAndTakesFileFacts) {
    Library library = Library::withContents(
        {}, {curated(QStringLiteral("a/old.jpg"), QStringLiteral("7:1:1.5"), 4)});
    const MediaItem before = library.items[0];
    MediaItem fresh = scanned(QStringLiteral("b/new.jpg"), QStringLiteral("7:1:1.5"));
    fresh.kind = MediaKind::video;
    fresh.duration = 12.5;
    library.merge({fresh});

    ASSERT_EQ(library.items.size(), 1);
    const MediaItem& merged = library.items[0];
    EXPECT_EQ(merged.id, before.id);
    EXPECT_EQ(merged.added, before.added);
    EXPECT_EQ(merged.rating, 4);
    EXPECT_EQ(merged.labels, before.labels);
    EXPECT_EQ(merged.notes, before.notes);
    EXPECT_EQ(merged.filename, QStringLiteral("b/new.jpg"));
    EXPECT_EQ(merged.kind, MediaKind::video);
    EXPECT_EQ(merged.size, 42);
    EXPECT_EQ(merged.modified, fresh.modified);
    EXPECT_EQ(merged.duration, 12.5);
    EXPECT_EQ(merged.capturedAt, fresh.capturedAt);
    EXPECT_TRUE(merged.available);
}

TEST(LibraryMerge, ExactPairWinsOverIdentityAndDuplicatesMatchInOrder) {
    // Both old records share name and identity: they match the two new items first to first.
    const MediaItem first = curated(QStringLiteral("x.jpg"), QStringLiteral("id"), 1);
    const MediaItem second = curated(QStringLiteral("x.jpg"), QStringLiteral("id"), 2);
    // The old "moved.jpg" shares only the identity; the pair pass must not hand it to "x.jpg".
    const MediaItem moved = curated(QStringLiteral("moved.jpg"), QStringLiteral("id"), 3);
    Library library = Library::withContents({}, {moved, first, second});
    library.merge({scanned(QStringLiteral("x.jpg"), QStringLiteral("id")),
                   scanned(QStringLiteral("x.jpg"), QStringLiteral("id")),
                   scanned(QStringLiteral("elsewhere.jpg"), QStringLiteral("id"))});
    ASSERT_EQ(library.items.size(), 3);
    EXPECT_EQ(library.items[0].id, first.id);
    EXPECT_EQ(library.items[1].id, second.id);
    EXPECT_EQ(library.items[2].id, moved.id);
    EXPECT_EQ(library.items[2].filename, QStringLiteral("elsewhere.jpg"));
}

TEST(LibraryMerge, MissingFileStaysUnavailableAndComesBack) {
    const MediaItem kept = curated(QStringLiteral("kept.jpg"), QStringLiteral("1"), 2);
    const MediaItem gone = curated(QStringLiteral("gone.jpg"), QStringLiteral("2"), 5);
    Library library = Library::withContents({}, {gone, kept});
    const MediaItem fresh = scanned(QStringLiteral("new.jpg"), QStringLiteral("3"));
    library.merge({scanned(QStringLiteral("kept.jpg"), QStringLiteral("1")), fresh});

    EXPECT_EQ(filenames(library.items),
              (QStringList{QStringLiteral("kept.jpg"), QStringLiteral("new.jpg"),
                           QStringLiteral("gone.jpg")}));
    EXPECT_EQ(library.items[1], fresh);
    MediaItem expectedGone = gone;
    expectedGone.available = false;
    EXPECT_EQ(library.items[2], expectedGone);

    library.merge({scanned(QStringLiteral("gone.jpg"), QStringLiteral("2"))});
    EXPECT_EQ(library.items[0].id, gone.id);
    EXPECT_TRUE(library.items[0].available);
    EXPECT_EQ(library.items[0].rating, 5);
}

TEST(LibraryMerge, KeysCompareCanonicallyAndEmptyIdentitiesMatch) {
    const MediaItem composed = curated(QStringLiteral("caf\u00e9.jpg"), QString(), 3);
    Library library = Library::withContents({}, {composed});
    library.merge({scanned(QStringLiteral("cafe\u0301.jpg"), QString())});
    ASSERT_EQ(library.items.size(), 1);
    EXPECT_EQ(library.items[0].id, composed.id);

    const MediaItem blank = curated(QStringLiteral("one.jpg"), QString(), 1);
    library = Library::withContents({}, {blank});
    library.merge({scanned(QStringLiteral("two.jpg"), QString())});
    ASSERT_EQ(library.items.size(), 1);
    EXPECT_EQ(library.items[0].id, blank.id);
    EXPECT_EQ(library.items[0].filename, QStringLiteral("two.jpg"));
}

TEST(LibraryFixedRating, MissingRatingPropertyIsCreatedOrTakenFromPreferred) {
    Library library =
        Library::withContents({property(QStringLiteral("사람"), PropertyKind::multiSelect)}, {});
    library.enforceFixedRating(property(QStringLiteral("x"), PropertyKind::singleSelect));
    ASSERT_EQ(library.categories.size(), 2);
    EXPECT_EQ(library.categories[0].name, QStringLiteral("별점"));
    EXPECT_EQ(library.categories[0].kind, PropertyKind::rating);
    EXPECT_EQ(library.categories[0].iconName, QStringLiteral("list.bullet"));
    EXPECT_TRUE(library.categories[0].options.isEmpty());

    Category preferred =
        property(QStringLiteral("Stars"), PropertyKind::rating, {QStringLiteral("x")});
    preferred.iconName = QStringLiteral("star.fill");
    library =
        Library::withContents({property(QStringLiteral("사람"), PropertyKind::multiSelect)}, {});
    library.enforceFixedRating(preferred);
    EXPECT_EQ(library.categories[0].id, preferred.id);
    EXPECT_EQ(library.categories[0].name, QStringLiteral("별점"));
    EXPECT_EQ(library.categories[0].iconName, QStringLiteral("star.fill"));
    EXPECT_TRUE(library.categories[0].options.isEmpty());
}

TEST(LibraryFixedRating, OwnRatingStaysFirstRestoredAndExtraRatingsDropped) {
    Category own = property(QStringLiteral("Score"), PropertyKind::rating, {QStringLiteral("1")});
    const Category extra = property(QStringLiteral("More"), PropertyKind::rating);
    const Category tag = property(QStringLiteral("태그"), PropertyKind::multiSelect);
    Library library = Library::withContents({tag, own, extra}, {});
    library.enforceFixedRating(std::nullopt);
    EXPECT_EQ(names(library.categories),
              (QStringList{QStringLiteral("별점"), QStringLiteral("태그")}));
    EXPECT_EQ(library.categories[0].id, own.id);
    EXPECT_TRUE(library.categories[0].options.isEmpty());
}

TEST(LibraryFixedRating, ClashingIdentifierGetsANewOne) {
    const Category preferred = property(QStringLiteral("별점"), PropertyKind::rating);
    Category twin = property(QStringLiteral("태그"), PropertyKind::multiSelect);
    twin.id = preferred.id;
    Library library = Library::withContents({twin}, {});
    library.enforceFixedRating(preferred);
    EXPECT_NE(library.categories[0].id, preferred.id);
    EXPECT_EQ(library.categories[1].id, preferred.id);
}

TEST(LibraryFixedRating, ClashingNamesTakeTheFirstFreeCandidate) {
    const Category rating = property(QStringLiteral("별점"), PropertyKind::rating);
    Library library =
        Library::withContents({property(QStringLiteral("별점"), PropertyKind::singleSelect), rating,
                               property(QStringLiteral("별점"), PropertyKind::multiSelect)},
                              {});
    library.enforceFixedRating(std::nullopt);
    EXPECT_EQ(names(library.categories),
              (QStringList{QStringLiteral("별점"), QStringLiteral("별점 (분류)"),
                           QStringLiteral("별점 (분류 2)")}));
    EXPECT_EQ(library.categories[0].id, rating.id);

    // A property already carrying the first candidate pushes the clash to number 2; the name
    // comparison ignores case.
    library = Library::withContents(
        {rating, property(QStringLiteral("별점"), PropertyKind::singleSelect),
         property(QStringLiteral("별점 (분류)"), PropertyKind::multiSelect),
         property(QStringLiteral("별점 (분류 2)"), PropertyKind::multiSelect)},
        {});
    library.enforceFixedRating(std::nullopt);
    EXPECT_EQ(names(library.categories),
              (QStringList{QStringLiteral("별점"), QStringLiteral("별점 (분류 3)"),
                           QStringLiteral("별점 (분류)"), QStringLiteral("별점 (분류 2)")}));

    library =
        Library::withContents({rating, property(QStringLiteral("Tag"), PropertyKind::multiSelect),
                               property(QStringLiteral("TAG"), PropertyKind::multiSelect)},
                              {});
    library.enforceFixedRating(std::nullopt);
    EXPECT_EQ(names(library.categories),
              (QStringList{QStringLiteral("별점"), QStringLiteral("Tag"), QStringLiteral("TAG")}));
}

TEST(LibraryOptions, DeclaredFirstThenUsedValuesInFileBrowserOrder) {
    const Category tag = property(QStringLiteral("태그"), PropertyKind::multiSelect,
                                  {QStringLiteral("b"), QStringLiteral("a")});
    MediaItem first = photo(QStringLiteral("1.jpg"));
    first.labels[tag.idText()] = {QStringLiteral("item10"), QStringLiteral("a")};
    MediaItem second = photo(QStringLiteral("2.jpg"));
    second.labels[tag.idText()] = {QStringLiteral("item2"), QStringLiteral("item10")};
    second.available = false;
    MediaItem other = photo(QStringLiteral("3.jpg"));
    other.labels[QStringLiteral("OTHER")] = {QStringLiteral("zzz")};
    const Library library = Library::withContents({tag}, {first, second, other});
    EXPECT_EQ(library.options(tag),
              (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("item2"),
                           QStringLiteral("item10")}));
}

TEST(LibraryOptions, DeclaredDuplicatesStayAndEquivalentValuesCountOnce) {
    const Category tag = property(QStringLiteral("태그"), PropertyKind::multiSelect,
                                  {QStringLiteral("caf\u00e9"), QStringLiteral("caf\u00e9")});
    MediaItem item = photo(QStringLiteral("1.jpg"));
    item.labels[tag.idText()] = {QStringLiteral("cafe\u0301"), QStringLiteral("B"),
                                 QStringLiteral("b"), QStringLiteral("B")};
    const Library library = Library::withContents({tag}, {item});
    EXPECT_EQ(library.options(tag),
              (QStringList{QStringLiteral("caf\u00e9"), QStringLiteral("caf\u00e9"),
                           QStringLiteral("B"), QStringLiteral("b")}));
}
