#include "catalog_fixtures.h"

#include "model/option_text.h"
#include "platform/error.h"

#include <gtest/gtest.h>

using namespace lumivex;
using namespace lumivex::test;

namespace {

constexpr double week = DeletedArchive::retentionSeconds;

LibraryState stateWith(QList<Category> categories, QList<MediaItem> items) {
    LibraryState state;
    state.library = Library::withContents(categories, std::move(items));
    state.deleted.categories = std::move(categories);
    return state;
}

template <typename Items>
QStringList filenames(const Items& items) {
    QStringList names;
    for (const MediaItem& item : items) {
        names.append(item.filename);
    }
    return names;
}

QStringList recordNames(const DeletedArchive& archive) {
    QStringList names;
    for (const DeletedRecord& record : archive.records) {
        names.append(record.item.filename);
    }
    return names;
}

MediaItem rescanned(const MediaItem& item, const QString& filename) {
    MediaItem fresh = mediaItem(filename, item.fileIdentity);
    fresh.added = Date{9000};
    return fresh;
}

}  // namespace

TEST(LibraryStateRemove, MovesItemsToTheEndOfTheArchiveAndRestamps) {
    const MediaItem a = mediaItem(QStringLiteral("a.jpg"));
    const MediaItem b = mediaItem(QStringLiteral("b.jpg"));
    LibraryState state = stateWith({rating()}, {a, b});
    state.deleted.records = {record(b, 100), record(mediaItem(QStringLiteral("c.jpg")), 200)};

    state.remove({b.id, a.id, QUuid::createUuid()}, Date{300});

    EXPECT_TRUE(state.library.items.isEmpty());
    EXPECT_EQ(recordNames(state.deleted), texts({"c.jpg", "a.jpg", "b.jpg"}));
    EXPECT_EQ(state.deleted.records[1].deletedAt, Date{300});
    EXPECT_EQ(state.deleted.records[2].deletedAt, Date{300});
    EXPECT_FALSE(state.deleted.records[1].item.available);
}

TEST(LibraryStateRemove, PrunesAtExactlySevenDaysAndAlignsEvenWithNothingToRemove) {
    const double now = 2'000'000;
    LibraryState state = stateWith({rating()}, {});
    state.deleted.records = {record(mediaItem(QStringLiteral("old.jpg")), now - week),
                             record(mediaItem(QStringLiteral("young.jpg")), now - week + 0.1),
                             record(mediaItem(QStringLiteral("future.jpg")), now + 50)};
    const Category added = property(QStringLiteral("새 속성"));
    state.library.categories.append(added);

    state.remove({}, Date{now});

    EXPECT_EQ(recordNames(state.deleted), texts({"young.jpg", "future.jpg"}));
    EXPECT_EQ(state.deleted.categories.last(), added);
}

TEST(LibraryStateReconcile, EmptyScanArchivesEveryItemAtTheScanTime) {
    LibraryState state = stateWith(
        {rating()}, {mediaItem(QStringLiteral("a.jpg")), mediaItem(QStringLiteral("b.jpg"))});
    state.reconcile({}, Date{500});
    EXPECT_TRUE(state.library.items.isEmpty());
    EXPECT_EQ(recordNames(state.deleted), texts({"a.jpg", "b.jpg"}));
    EXPECT_EQ(state.deleted.records[0].deletedAt, Date{500});
}

TEST(LibraryStateReconcile, RenamedFileKeepsItsIdentityAndMetadata) {
    const Category tag = property(QStringLiteral("태그"));
    MediaItem original = labelled(mediaItem(QStringLiteral("a.jpg")), tag, texts({"x"}));
    original.rating = 4;
    original.notes = QStringLiteral("메모");
    LibraryState state = stateWith({rating(), tag}, {original});

    state.reconcile({rescanned(original, QStringLiteral("renamed.jpg"))}, Date{500});

    ASSERT_EQ(state.library.items.size(), 1);
    const MediaItem& item = state.library.items[0];
    EXPECT_EQ(item.id, original.id);
    EXPECT_EQ(item.filename, QStringLiteral("renamed.jpg"));
    EXPECT_EQ(item.rating, 4);
    EXPECT_EQ(item.notes, QStringLiteral("메모"));
    EXPECT_EQ(item.labels, original.labels);
    EXPECT_EQ(item.added, Date{1000});
    EXPECT_TRUE(state.deleted.records.isEmpty());
}

TEST(LibraryStateReconcile, ReturningFileTakesItsRecordBackAndMissingOnesKeepTheirTime) {
    MediaItem back = mediaItem(QStringLiteral("back.jpg"));
    back.rating = 3;
    const MediaItem missing = mediaItem(QStringLiteral("missing.jpg"));
    const double now = 1'000'000;
    LibraryState state = stateWith({rating()}, {});
    state.deleted.records = {record(back, now - week + 1), record(missing, now - 10)};

    state.reconcile({rescanned(back, QStringLiteral("back.jpg"))}, Date{now});

    ASSERT_EQ(state.library.items.size(), 1);
    EXPECT_EQ(state.library.items[0].id, back.id);
    EXPECT_EQ(state.library.items[0].rating, 3);
    EXPECT_TRUE(state.library.items[0].available);
    ASSERT_EQ(state.deleted.records.size(), 1);
    EXPECT_EQ(state.deleted.records[0].item.id, missing.id);
    EXPECT_EQ(state.deleted.records[0].deletedAt, Date{now - 10});
}

TEST(LibraryStateReconcile, RepeatedRecordIdentifiersKeepTheFirstTime) {
    const MediaItem missing = mediaItem(QStringLiteral("missing.jpg"));
    LibraryState state = stateWith({rating()}, {});
    state.deleted.records = {record(missing, 10), record(missing, 20)};
    state.reconcile({}, Date{30});
    ASSERT_FALSE(state.deleted.records.isEmpty());
    for (const DeletedRecord& kept : std::as_const(state.deleted.records)) {
        EXPECT_EQ(kept.deletedAt, Date{10});
    }
}

TEST(LibraryStateReconcile, KeepsTheLibrarysOwnRenamedReorderedProperties) {
    Category place = property(QStringLiteral("장소"), PropertyKind::singleSelect, texts({"a"}));
    Category tag = property(QStringLiteral("태그"));
    const Category star = rating();
    LibraryState state = stateWith({star, place, tag}, {mediaItem(QStringLiteral("a.jpg"))});
    place.name = QStringLiteral("위치");
    place.options = texts({"b", "a"});
    state.library.categories = {star, tag, place};

    state.reconcile({rescanned(state.library.items[0], QStringLiteral("a.jpg"))}, Date{5});

    EXPECT_EQ(state.library.categories, (QList<Category>{star, tag, place}));
    EXPECT_EQ(state.deleted.categories.size(), 3);
}

TEST(LibraryStateReconcile, ArchivedCounterpartUsedByAReturningItemJoinsTheLibrary) {
    const Category star = rating();
    const Category person = property(QStringLiteral("사람"));
    const Category archivedPerson = property(QStringLiteral("사람"));
    const Category unused = property(QStringLiteral("안 쓰임"));
    const MediaItem back = labelled(mediaItem(QStringLiteral("sub/back.jpg")), archivedPerson,
                                    texts({"민수", "지영"}));
    LibraryState state = stateWith({star, person}, {});
    state.library.catalogProperties = {star, person};
    state.library.folderSchemas[QString()] = FolderPropertySchema{{star, person}, {}};
    state.deleted.categories = {star, archivedPerson, unused};
    state.deleted.records = {record(back, 1)};

    state.reconcile({rescanned(back, QStringLiteral("sub/back.jpg"))}, Date{10});

    Category joined = archivedPerson;
    joined.options = texts({"민수", "지영"});
    EXPECT_EQ(state.library.categories, (QList<Category>{star, person, joined}));
    EXPECT_EQ(state.library.catalogProperties, (QList<Category>{star, person, joined}));
    EXPECT_EQ(state.library.items[0].labels, back.labels);
}

TEST(LibraryStateReconcile, WithoutSchemasOnlyUsedArchivePropertiesJoinTheLibrary) {
    const Category star = rating();
    const Category person = property(QStringLiteral("사람"));
    const Category archivedPerson = property(QStringLiteral("사람"));
    const Category unused = property(QStringLiteral("미사용"));
    const MediaItem back =
        labelled(mediaItem(QStringLiteral("b.jpg")), archivedPerson, texts({"v"}));
    const MediaItem live = labelled(mediaItem(QStringLiteral("live.jpg")), person, texts({"w"}));
    LibraryState state = stateWith({star, person}, {live});
    state.deleted.categories = {star, unused, archivedPerson};
    state.deleted.records = {record(back, 1)};

    state.reconcile(
        {rescanned(live, QStringLiteral("live.jpg")), rescanned(back, QStringLiteral("b.jpg"))},
        Date{10});

    Category joined = archivedPerson;
    joined.options = texts({"v"});
    EXPECT_EQ(state.library.categories, (QList<Category>{star, person, joined}));
    EXPECT_TRUE(state.library.catalogProperties.isEmpty());
    // The live item's values stay under the library's own property.
    EXPECT_EQ(state.library.items[0].labels, live.labels);
}

TEST(LibraryStateReconcile, FolderScanWithoutSubfoldersKeepsUnscannedSubfolderItems) {
    const MediaItem root = mediaItem(QStringLiteral("root.jpg"));
    const MediaItem nested = mediaItem(QStringLiteral("sub/deeper/n.jpg"));
    LibraryState state = stateWith({rating()}, {root, nested});
    state.library.includeSubfolders = false;

    state.reconcileFolder({}, Date{77});

    EXPECT_EQ(filenames(state.library.items), texts({"sub/deeper/n.jpg"}));
    EXPECT_EQ(recordNames(state.deleted), texts({"root.jpg"}));

    state.library.includeSubfolders = true;
    state.reconcileFolder({}, Date{78});
    EXPECT_TRUE(state.library.items.isEmpty());
}

TEST(LibraryStateReplaceOption, RenamingOntoAnotherOptionMergesEverywhereWithoutRepeats) {
    Category tag =
        property(QStringLiteral("태그"), PropertyKind::multiSelect, texts({"a", "b", "c"}));
    const Category folderTag =
        property(QStringLiteral("태그"), PropertyKind::singleSelect, texts({"c", "b", "a"}));
    const MediaItem item =
        labelled(mediaItem(QStringLiteral("x.jpg")), tag, texts({"a", "b", "d"}));
    LibraryState state = stateWith({rating(), tag}, {item});
    state.library.folderSchemas[QString()] =
        FolderPropertySchema{{folderTag}, {{folderTag.idText(), tag.idText()}}};
    state.deleted.records = {
        record(labelled(mediaItem(QStringLiteral("y.jpg")), tag, texts({"c", "a"})), 1)};

    state.replaceOption(QStringLiteral("a"), QStringLiteral("b"), tag, std::nullopt);

    EXPECT_EQ(state.library.categories[1].options, texts({"b", "c", "d"}));
    EXPECT_EQ(state.library.folderSchemas[QString()].properties[0].options, texts({"c", "b"}));
    EXPECT_EQ(state.library.items[0].labels.at(tag.idText()), texts({"b", "d"}));
    EXPECT_EQ(state.deleted.records[0].item.labels.at(tag.idText()), texts({"c", "b"}));
    EXPECT_EQ(state.deleted.categories[1].options, texts({"b", "c"}));
}

TEST(LibraryStateReplaceOption, RemovalWithinFoldersLeavesEmptyEntriesInScopeOnly) {
    const Category tag = property(QStringLiteral("태그"), PropertyKind::multiSelect, texts({"a"}));
    const MediaItem inside = labelled(mediaItem(QStringLiteral("trip/1.jpg")), tag, texts({"a"}));
    const MediaItem bare = mediaItem(QStringLiteral("trip/2.jpg"));
    const MediaItem outside = labelled(mediaItem(QStringLiteral("home/3.jpg")), tag, texts({"a"}));
    LibraryState state = stateWith({rating(), tag}, {inside, bare, outside});
    state.deleted.records = {
        record(labelled(mediaItem(QStringLiteral("home/4.jpg")), tag, texts({"a"})), 1)};

    state.replaceOption(QStringLiteral("a"), std::nullopt, tag,
                        QSet<QString>{QStringLiteral("trip")});

    EXPECT_TRUE(state.library.categories[1].options.isEmpty());
    EXPECT_TRUE(state.deleted.categories[1].options.isEmpty());
    EXPECT_EQ(state.library.items[0].labels.at(tag.idText()), QStringList{});
    EXPECT_EQ(state.library.items[1].labels.at(tag.idText()), QStringList{});
    EXPECT_EQ(state.library.items[2].labels.at(tag.idText()), texts({"a"}));
    EXPECT_EQ(state.deleted.records[0].item.labels.at(tag.idText()), texts({"a"}));
}

TEST(LibraryStateReplaceOption, LineBreaksInTheNewTextAreRefusedAndNothingChanges) {
    const Category tag = property(QStringLiteral("태그"), PropertyKind::multiSelect, texts({"a"}));
    const LibraryState before = stateWith(
        {rating(), tag}, {labelled(mediaItem(QStringLiteral("x.jpg")), tag, texts({"a"}))});
    for (const QString& bad :
         {QStringLiteral("a\nb"), QStringLiteral("a\r"), QStringLiteral("\r\n")}) {
        LibraryState state = before;
        try {
            state.replaceOption(QStringLiteral("a"), bad, tag, std::nullopt);
            ADD_FAILURE() << "accepted a line break";
        } catch (const Error& error) {
            EXPECT_EQ(error.domain(), QStringLiteral("Lumivex"));
            EXPECT_EQ(error.description(), OptionText::lineBreakMessage);
        }
        EXPECT_EQ(state, before);
    }
}

TEST(LibraryStateRemoveProperty, RatingStaysOtherPropertiesLeaveLibraryAndArchive) {
    const Category star = rating();
    const Category tag = property(QStringLiteral("태그"));
    const MediaItem item = labelled(mediaItem(QStringLiteral("x.jpg")), tag, texts({"a"}));
    LibraryState state = stateWith({star, tag}, {item});
    state.deleted.records = {
        record(labelled(mediaItem(QStringLiteral("y.jpg")), tag, texts({"b"})), 1)};
    const LibraryState before = state;

    state.removeProperty(star.id);
    EXPECT_EQ(state, before);

    state.removeProperty(tag.id);
    EXPECT_EQ(state.library.categories, QList<Category>{star});
    EXPECT_EQ(state.deleted.categories, QList<Category>{star});
    EXPECT_TRUE(state.library.items[0].labels.empty());
    EXPECT_TRUE(state.deleted.records[0].item.labels.empty());
}
