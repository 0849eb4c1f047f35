#include "model/library_browse_snapshot.h"
#include "model/media_query.h"

#include "query_fixtures.h"
#include "support/snapshot_equality.h"

#include <gtest/gtest.h>

#include <random>

using namespace lumivex;
using lumivex::test::expectSameCounts;
using lumivex::test::expectSameSnapshot;
using lumivex::test::photo;
using lumivex::test::video;

namespace {

using Changes = std::vector<LibraryBrowseSnapshot::ItemChange>;

// "é" composed and decomposed: one declared spelling, one canonically equivalent to it.
const QString composed = QString::fromUtf16(u"caf\u00e9");
const QString decomposed = QString::fromUtf16(u"cafe\u0301");

// Three chunks of items in four folders, some below the root, some unavailable, with declared
// and undeclared values, notes and videos of every length.
Library sampleLibrary(std::mt19937& random) {
    Library library;
    library.categories[1].options = {QStringLiteral("엄마"), QStringLiteral("아빠"), composed};
    library.categories[2].options = {QStringLiteral("바다")};
    const QString people = library.categories[1].idText();
    const QStringList folders{QString(), QStringLiteral("a/"), QStringLiteral("a/b/"),
                              QStringLiteral("c/")};
    for (int i = 0; i < 1300; ++i) {
        const QString name = folders[i % 4] + QStringLiteral("img_%1.jpg").arg(i);
        MediaItem item = i % 5 == 0 ? video(name, (random() % 7200) / 3.0) : photo(name);
        item.rating = static_cast<std::int64_t>(random() % 6);
        item.available = i % 23 != 0;
        if (i % 3 == 0) {
            item.labels[people] = {QStringLiteral("엄마")};
        }
        if (i % 7 == 0) {
            item.labels[library.categories[2].idText()] = {QStringLiteral("우연")};
        }
        library.items.append(item);
    }
    return library;
}

// One random edit of a few items, as the store's edits make them.
void edit(Library& library, std::mt19937& random) {
    const QString people = library.categories[1].idText();
    const QString places = library.categories[2].idText();
    const QStringList declared{QStringLiteral("엄마"), QStringLiteral("아빠"), decomposed};
    const int count = 1 + static_cast<int>(random() % 3);
    const auto kind = random() % 11;
    if (kind == 8) {
        // A new option declared and applied, as an added value does: it may have been in use
        // undeclared already, in this or another spelling.
        const QString option = random() % 2 ? QStringLiteral("새 %1").arg(random() % 4)
                                            : QStringLiteral("산 %1").arg(random() % 3);
        if (!library.categories[2].options.contains(option)) {
            library.categories[2].options.append(option);
        }
        for (int n = 0; n < count; ++n) {
            library.items[static_cast<qsizetype>(random() % 1300)].labels[places].append(option);
        }
        return;
    }
    for (int n = 0; n < count; ++n) {
        MediaItem& item = library.items[static_cast<qsizetype>(random() % 1300)];
        switch (kind) {
            case 0:
                item.rating = static_cast<std::int64_t>(random() % 6);
                break;
            case 1:
                item.labels[people].append(declared[static_cast<qsizetype>(random() % 3)]);
                break;
            case 2:
                item.labels.erase(people);
                break;
            case 3:
                item.notes = QStringLiteral("메모 %1").arg(random() % 100);
                break;
            case 4:
                item.labels[places] = {random() % 2 ? QStringLiteral("바다")
                                                    : QStringLiteral("산 %1").arg(random() % 3)};
                break;
            case 5:
                item.duration = (random() % 7200) / 3.0;
                item.kind = random() % 2 ? MediaKind::video : MediaKind::photo;
                break;
            case 6:
                // An undeclared value in either spelling: the option list keeps the first met.
                item.labels[places] = {
                    random() % 2 ? QStringLiteral("우연")
                                 : QStringLiteral("우연").normalized(QString::NormalizationForm_D)};
                break;
            case 9:
                // A value no item held yet, never declared: it joins the undeclared ones in order.
                item.labels[places].append(QStringLiteral("곳 %1").arg(random() % 40));
                break;
            default:
                item.labels[people] = {};
                break;
        }
    }
}

QList<MediaQuery> sampleQueries(const Library& library) {
    MediaQuery search;
    search.search = QStringLiteral("메모");
    // Values given since the build, options declared since among them.
    MediaQuery newValue;
    newValue.search = QStringLiteral("새 1");
    MediaQuery undeclared;
    undeclared.search = QStringLiteral("곳 2");
    MediaQuery byRating;
    byRating.sort = SortOrder::rating;
    byRating.minimumRating = 2;
    MediaQuery facet;
    facet.facets[library.categories[1].idText()] = QStringLiteral("아빠");
    facet.sortCategory = library.categories[1];
    MediaQuery unclassified;
    unclassified.unclassifiedOnly = true;
    unclassified.folderPath = QStringLiteral("a");
    return {search, newValue, undeclared, byRating, facet, unclassified};
}

}  // namespace

// Random edits of ratings, values (declared, canonically equivalent, undeclared, new), options
// declared since, notes and lengths: a followed snapshot equals one built afresh, field by field
// and in what queries show; a snapshot that refuses to follow is left as it was.
TEST(LibraryBrowseSnapshotFollow, FollowsRandomEditsExactlyAsABuild) {
    using Purpose = LibraryBrowseSnapshot::Purpose;
    for (const auto& [topLevelOnly, purpose] :
         {std::pair(false, Purpose::query), std::pair(true, Purpose::query),
          std::pair(false, Purpose::counts), std::pair(true, Purpose::counts)}) {
        std::mt19937 random(topLevelOnly ? 7 : 11);
        Library library = sampleLibrary(random);
        LibraryBrowseSnapshot snapshot(library, topLevelOnly, purpose);
        int followed = 0;
        int refused = 0;
        for (int round = 0; round < 150; ++round) {
            const Library before = library;
            edit(library, random);
            const std::optional<Changes> changes =
                LibraryBrowseSnapshot::itemChanges(before.items, library.items);
            ASSERT_TRUE(changes.has_value());
            const LibraryBrowseSnapshot built(library, topLevelOnly, purpose);
            if (!snapshot.follow(*changes, before.tagProperties(), library.tagProperties(),
                                 before.items, library.items)) {
                expectSameSnapshot(snapshot, LibraryBrowseSnapshot(before, topLevelOnly, purpose));
                snapshot = built;
                ++refused;
                continue;
            }
            ++followed;
            expectSameSnapshot(snapshot, built);
            if (purpose == Purpose::query) {
                for (const MediaQuery& query : sampleQueries(library)) {
                    EXPECT_EQ(query.positions(snapshot), query.positions(built));
                }
            }
            if (HasFailure()) {
                FAIL() << "round " << round << ", top level only " << topLevelOnly;
            }
        }
        EXPECT_GT(followed, 100);
        EXPECT_GT(refused, 5);
    }
}

// A snapshot for counts holds what one for the query holds but the query keys, and takes the
// positions of another only when both show the very same items.
TEST(LibraryBrowseSnapshotFollow, CountsSnapshotDiffersOnlyByItsQueryKeys) {
    std::mt19937 random(5);
    Library library = sampleLibrary(random);
    for (const bool topLevelOnly : {false, true}) {
        const LibraryBrowseSnapshot query(library, topLevelOnly);
        LibraryBrowseSnapshot counts(library, topLevelOnly, LibraryBrowseSnapshot::Purpose::counts);
        expectSameCounts(counts, query);
        EXPECT_EQ(counts.queryKeys.searchTexts.entryCount(), 0);
        EXPECT_TRUE(counts.queryKeys.nameRanks.empty());
        EXPECT_TRUE(counts.queryKeys.folderOfItem.empty());
        EXPECT_TRUE(counts.queryKeys.folders.isEmpty());
        counts.sharePositionsWith(query);
        EXPECT_TRUE(counts.positions.isSharedWith(query.positions));
        expectSameCounts(counts, query);
    }
    const LibraryBrowseSnapshot whole(library, false);
    LibraryBrowseSnapshot topLevel(library, true, LibraryBrowseSnapshot::Purpose::counts);
    topLevel.sharePositionsWith(whole);
    EXPECT_FALSE(topLevel.positions.isSharedWith(whole.positions));
    EXPECT_EQ(topLevel.positions, LibraryBrowseSnapshot(library, true).positions);
}

TEST(LibraryBrowseSnapshotFollow, ItemChangesRefuseWhatMovedAppearedOrVanished) {
    std::mt19937 random(3);
    const Library library = sampleLibrary(random);
    const MediaItems& items = library.items;
    EXPECT_EQ(LibraryBrowseSnapshot::itemChanges(items, items)->size(), 0u);

    MediaItems rated = items;
    rated[600].rating = (items[600].rating + 1) % 6;
    const std::optional<Changes> changes = LibraryBrowseSnapshot::itemChanges(items, rated);
    ASSERT_EQ(changes->size(), 1u);
    EXPECT_EQ(changes->front().before, &items[600]);
    EXPECT_EQ(changes->front().after, &rated[600]);
    EXPECT_FALSE(changes->front().relabelled);
    rated[601].labels[library.categories[1].idText()].append(QStringLiteral("아빠"));
    const std::optional<Changes> both = LibraryBrowseSnapshot::itemChanges(items, rated);
    ASSERT_EQ(both->size(), 2u);
    EXPECT_FALSE(both->front().relabelled);
    EXPECT_TRUE(both->back().relabelled);

    const auto refused = [&](const std::function<void(MediaItems&)>& change) {
        MediaItems changed = items;
        change(changed);
        return !LibraryBrowseSnapshot::itemChanges(items, changed).has_value();
    };
    EXPECT_TRUE(refused([](MediaItems& list) { list.append(photo(QStringLiteral("new.jpg"))); }));
    EXPECT_TRUE(refused([](MediaItems& list) { list.removeAt(1299); }));
    EXPECT_TRUE(refused([](MediaItems& list) { list.swapItemsAt(0, 1299); }));
    EXPECT_TRUE(refused([](MediaItems& list) { list[5].filename = QStringLiteral("x.jpg"); }));
    EXPECT_TRUE(refused([](MediaItems& list) { list[5].available = !list[5].available; }));
    EXPECT_TRUE(refused([](MediaItems& list) { list[5].id = QUuid::createUuid(); }));
}
