#include "catalog_fixtures.h"

#include <gtest/gtest.h>

using namespace lumivex;
using namespace lumivex::test;

namespace {

DeletedArchive archiveOf(QList<Category> categories, QList<DeletedRecord> records) {
    return DeletedArchive{std::move(categories), std::move(records)};
}

}  // namespace

TEST(DeletedArchiveAlignment, NameMatchMovesValuesWithoutAddingAProperty) {
    const Category archived = property(QStringLiteral("사람"));
    const Category current = property(QStringLiteral("사람"));
    const MediaItem item = labelled(mediaItem(QStringLiteral("a.jpg")), current, texts({"민수"}));
    const DeletedArchive archive = archiveOf({archived}, {record(item, 5)});

    const DeletedArchive result = archive.aligned({current});

    EXPECT_EQ(result.categories, QList<Category>{archived});
    EXPECT_EQ(result.records[0].item.labels, (Labels{{archived.idText(), texts({"민수"})}}));
    EXPECT_EQ(result.records[0].deletedAt, Date{5});
}

TEST(DeletedArchiveAlignment, NewPropertyIsAppendedAndDroppedPropertyLosesItsValues) {
    const Category gone = property(QStringLiteral("옛것"));
    const Category fresh = property(QStringLiteral("새것"), PropertyKind::singleSelect);
    MediaItem item = labelled(mediaItem(QStringLiteral("a.jpg")), gone, texts({"x"}));
    item = labelled(item, fresh, texts({"y"}));
    const DeletedArchive archive = archiveOf({gone}, {record(item, 5)});

    const DeletedArchive result = archive.aligned({fresh});

    EXPECT_EQ(result.categories, (QList<Category>{gone, fresh}));
    EXPECT_EQ(result.records[0].item.labels, (Labels{{fresh.idText(), texts({"y"})}}));
    EXPECT_TRUE(archive.aligned({}).records[0].item.labels.empty());
}

TEST(DeletedArchiveAlignment, RatingMapsOntoTheArchivedRatingWhateverItsName) {
    Category archivedRating = rating();
    archivedRating.name = QStringLiteral("옛 별점");
    const DeletedArchive archive =
        archiveOf({property(QStringLiteral("태그")), archivedRating}, {});

    const DeletedArchive result = archive.aligned({rating()});

    EXPECT_EQ(result.categories.size(), 2);
    EXPECT_EQ(result.categories[1], archivedRating);
}

TEST(DeletedArchiveAlignment, IdentifierMatchWinsOverAnEarlierNameMatch) {
    // The user renamed B from "x" to "y" and later made a new property A named "x".
    Category b = property(QStringLiteral("x"));
    const DeletedArchive archive = archiveOf({b}, {});
    b.name = QStringLiteral("y");
    const Category a = property(QStringLiteral("x"));
    MediaItem item = labelled(mediaItem(QStringLiteral("a.jpg")), a, texts({"from a"}));
    item = labelled(item, b, texts({"from b"}));
    const DeletedArchive withRecord = archiveOf(archive.categories, {record(item, 1)});

    const DeletedArchive result = withRecord.aligned({a, b});

    ASSERT_EQ(result.categories.size(), 2);
    EXPECT_EQ(result.categories[0].id, b.id);
    EXPECT_EQ(result.categories[0].name, QStringLiteral("x"));
    EXPECT_EQ(result.categories[1], a);
    EXPECT_EQ(result.records[0].item.labels,
              (Labels{{a.idText(), texts({"from a"})}, {b.idText(), texts({"from b"})}}));
}

TEST(DeletedArchiveAlignment, OneArchivedPropertyNeverServesTwoCurrentOnes) {
    const Category archived = property(QStringLiteral("태그"));
    const Category first = property(QStringLiteral("태그"));
    const Category second = property(QStringLiteral("태그"));
    MediaItem item = labelled(mediaItem(QStringLiteral("a.jpg")), first, texts({"1"}));
    item = labelled(item, second, texts({"2"}));
    const DeletedArchive archive = archiveOf({archived}, {record(item, 1)});

    const DeletedArchive result = archive.aligned({first, second});

    EXPECT_EQ(result.categories, (QList<Category>{archived, second}));
    EXPECT_EQ(result.records[0].item.labels,
              (Labels{{archived.idText(), texts({"1"})}, {second.idText(), texts({"2"})}}));
}

TEST(DeletedArchiveAlignment, ValuesUnderTheCounterpartsOwnIdentifierAreKeptAndCombined) {
    const Category archived = property(QStringLiteral("장소"));
    const Category current = property(QStringLiteral("장소"));
    MediaItem item =
        labelled(mediaItem(QStringLiteral("a.jpg")), archived, texts({"서울", "부산"}));
    item = labelled(item, current, texts({"부산", "대구"}));
    const MediaItem onlyArchived =
        labelled(mediaItem(QStringLiteral("b.jpg")), archived, texts({"제주"}));
    const DeletedArchive archive =
        archiveOf({archived}, {record(item, 1), record(onlyArchived, 2)});

    const DeletedArchive result = archive.aligned({current});

    EXPECT_EQ(result.records[0].item.labels,
              (Labels{{archived.idText(), texts({"서울", "부산", "대구"})}}));
    EXPECT_EQ(result.records[1].item.labels, (Labels{{archived.idText(), texts({"제주"})}}));
}

TEST(DeletedArchiveAlignment, AligningTwiceChangesNothingMore) {
    const Category archived = property(QStringLiteral("장소"));
    const Category current = property(QStringLiteral("장소"));
    const Category extra = property(QStringLiteral("기타"));
    MediaItem item = labelled(mediaItem(QStringLiteral("a.jpg")), current, texts({"a", "a"}));
    const DeletedArchive once = archiveOf({archived}, {record(item, 1)}).aligned({current, extra});
    EXPECT_EQ(once.aligned({current, extra}), once);
}
