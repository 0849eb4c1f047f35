#include "model/library_browse_snapshot.h"
#include "model/property_options.h"

#include "platform/text_order.h"
#include "query_fixtures.h"

#include "support/snapshot_equality.h"

#include <gtest/gtest.h>

#include <limits>

using namespace lumivex;
using lumivex::test::filenames;
using lumivex::test::photo;
using lumivex::test::video;

namespace {

using Counts = QList<LibraryBrowseSnapshot::OptionCount>;

LibraryBrowseSnapshot::OptionCount count(const char16_t* option, qsizetype number) {
    return {QString::fromUtf16(option), number};
}

}  // namespace

TEST(LibraryBrowseSnapshot, EmptyLibraryListsEveryPropertyWithZeroCounts) {
    Library library;
    library.categories[1].options = {QStringLiteral("엄마"), QStringLiteral("아빠")};
    const LibraryBrowseSnapshot snapshot(library, false);
    EXPECT_TRUE(snapshot.items.isEmpty());
    EXPECT_EQ(snapshot.photoCount + snapshot.videoCount + snapshot.unratedCount +
                  snapshot.unclassifiedCount,
              0);
    EXPECT_TRUE(snapshot.videoDurationCounts.empty());
    EXPECT_TRUE(snapshot.folderPaths.isEmpty());
    EXPECT_TRUE(snapshot.folderTree.empty());
    ASSERT_EQ(snapshot.labels.size(), 3u);
    EXPECT_FALSE(snapshot.labels.count(library.categories[0].id));
    EXPECT_EQ(snapshot.labels.at(library.categories[1].id),
              (Counts{count(u"엄마", 0), count(u"아빠", 0)}));
    EXPECT_TRUE(snapshot.labels.at(library.categories[3].id).isEmpty());
}

TEST(LibraryBrowseSnapshot, CountsShownItemsOnly) {
    Library library;
    const QString people = library.categories[1].idText();
    library.categories[1].options = {QStringLiteral("엄마"), QStringLiteral("unused")};
    MediaItem gone = photo(QStringLiteral("gone/x.jpg"));
    gone.available = false;
    gone.labels[people] = {QStringLiteral("유령")};
    MediaItem mother = photo(QStringLiteral("a.jpg"));
    mother.rating = 3;
    mother.labels[people] = {QStringLiteral("엄마"), QStringLiteral("엄마")};
    MediaItem emptyList = video(QStringLiteral("b.mov"), 59.99);
    emptyList.labels[people] = {};
    library.items = {gone,
                     mother,
                     emptyList,
                     video(QStringLiteral("c.mov"), 60),
                     video(QStringLiteral("d.mov"), 3600),
                     video(QStringLiteral("e.mov"), std::nullopt),
                     video(QStringLiteral("f.mov"), -1),
                     video(QStringLiteral("g.mov"), std::numeric_limits<double>::infinity())};
    const LibraryBrowseSnapshot snapshot(library, false);
    EXPECT_EQ(snapshot.items.size(), 7);
    EXPECT_EQ(snapshot.photoCount, 1);
    EXPECT_EQ(snapshot.videoCount, 6);
    EXPECT_EQ(snapshot.videoDurationCounts,
              (std::map<VideoDurationPreset, qsizetype>{{VideoDurationPreset::underOne, 1},
                                                        {VideoDurationPreset::oneToThree, 1},
                                                        {VideoDurationPreset::twentyPlus, 1}}));
    EXPECT_EQ(snapshot.unratedCount, 6);
    EXPECT_EQ(snapshot.unclassifiedCount, 6);
    EXPECT_EQ(snapshot.folderPaths, QStringList{QString()});
    // A value of a missing file is still an option, with no shown item behind it.
    EXPECT_EQ(snapshot.labels.at(library.categories[1].id),
              (Counts{count(u"엄마", 2), count(u"unused", 0), count(u"유령", 0)}));
    EXPECT_EQ(snapshot.positions.value(mother.id), 0U);
    ASSERT_NE(snapshot.item(mother.id), nullptr);
    EXPECT_EQ(*snapshot.item(mother.id), mother);
    EXPECT_EQ(snapshot.item(gone.id), nullptr);
}

// The browse query's snapshot makes its search texts and name order beside its counts; the counts
// must be those of a snapshot that makes nothing else, and the keys those made item by item.
TEST(LibraryBrowseSnapshot, QueryKeysMadeBesideTheCountsMatchOnesMadeAlone) {
    Library library;
    const QString people = library.categories[1].idText();
    library.categories[1].options = {QStringLiteral("엄마")};
    const QStringList names = {QStringLiteral("사진"), QStringLiteral("IMG_"),
                               QStringLiteral("img "), QStringLiteral("Ä"),
                               QStringLiteral("A\u0308")};
    for (int i = 0; i < 600; ++i) {
        const QString folder = QStringLiteral("폴더%1/하위%2/").arg(i % 7).arg(i % 3);
        MediaItem item = i % 5 == 0 ? video(folder + names[i % names.size()] +
                                                QString::number(i % 40) + QStringLiteral(".mov"),
                                            i * 7.5)
                                    : photo(folder + names[i % names.size()] +
                                            QString::number(i % 40) + QStringLiteral(".jpg"));
        item.rating = i % 6;
        item.notes = i % 4 == 0 ? QStringLiteral("메모 %1").arg(i % 9) : QString();
        if (i % 3 != 0) {
            item.labels[people] = {i % 2 == 0 ? QStringLiteral("엄마")
                                              : QStringLiteral("친구%1").arg(i % 11)};
        }
        item.available = i % 17 != 0;
        library.items.append(item);
    }
    const LibraryBrowseSnapshot query(library, false);
    const LibraryBrowseSnapshot counts(library, false, LibraryBrowseSnapshot::Purpose::counts);
    test::expectSameCounts(query, counts);

    SearchTextIndex texts;
    for (const MediaItem& item : std::as_const(query.items)) {
        texts.addItem(item);
    }
    texts.finish();
    EXPECT_TRUE(query.queryKeys.searchTexts == texts);
    ASSERT_EQ(query.queryKeys.nameRanks.size(), static_cast<size_t>(query.items.size()));
    ASSERT_EQ(query.queryKeys.folderOfItem.size(), static_cast<size_t>(query.items.size()));
    for (qsizetype i = 0; i < query.items.size(); ++i) {
        EXPECT_EQ(query.queryKeys.folders[query.queryKeys.folderOfItem[static_cast<size_t>(i)]],
                  TextOrder::nfc(query.items[i].folder()));
    }
    for (qsizetype i = 1; i < query.items.size(); ++i) {
        const TextOrder::SortKey before(query.items[i - 1].filename);
        const TextOrder::SortKey now(query.items[i].filename);
        const auto rankBefore = query.queryKeys.nameRanks[static_cast<size_t>(i - 1)];
        const auto rank = query.queryKeys.nameRanks[static_cast<size_t>(i)];
        EXPECT_EQ(before.compare(now) < 0, rankBefore < rank) << i;
        EXPECT_EQ(before.compare(now) == 0, rankBefore == rank) << i;
    }
}

TEST(LibraryBrowseSnapshot, FolderPathsAndTreeWithAncestors) {
    Library library;
    library.items = {photo(QStringLiteral("a/b/c/x.jpg")), photo(QStringLiteral("y.jpg")),
                     photo(QStringLiteral("photo 10/p.jpg")),
                     photo(QStringLiteral("photo 2/q.jpg"))};
    const LibraryBrowseSnapshot snapshot(library, false);
    EXPECT_EQ(
        snapshot.folderPaths,
        (QStringList{QString(), QStringLiteral("a"), QStringLiteral("a/b"), QStringLiteral("a/b/c"),
                     QStringLiteral("photo 2"), QStringLiteral("photo 10")}));
    const std::vector<FolderFilterNode> expected{
        {QStringLiteral("a"), {{QStringLiteral("a/b"), {{QStringLiteral("a/b/c"), {}}}}}},
        {QStringLiteral("photo 2"), {}},
        {QStringLiteral("photo 10"), {}}};
    EXPECT_EQ(snapshot.folderTree, expected);

    const LibraryBrowseSnapshot topLevel(library, true);
    EXPECT_EQ(filenames(topLevel.items), QStringList{QStringLiteral("y.jpg")});
    EXPECT_EQ(topLevel.folderPaths, QStringList{QString()});
    EXPECT_TRUE(topLevel.folderTree.empty());

    library.items.removeAt(1);
    EXPECT_FALSE(LibraryBrowseSnapshot(library, false).folderPaths.contains(QString()));
    EXPECT_TRUE(LibraryBrowseSnapshot(library, true).folderPaths.isEmpty());
}

TEST(FolderFilterNode, TreeAddsAncestorsOnceAndSortsEachLevel) {
    const std::vector<FolderFilterNode> tree = FolderFilterNode::tree(
        {QStringLiteral("b/x10"), QString(), QStringLiteral("b/x2"), QStringLiteral("b"),
         QStringLiteral("A/deep/er"), QStringLiteral("caf\u00e9"), QStringLiteral("cafe\u0301/s")});
    const std::vector<FolderFilterNode> expected{
        {QStringLiteral("A"), {{QStringLiteral("A/deep"), {{QStringLiteral("A/deep/er"), {}}}}}},
        {QStringLiteral("b"), {{QStringLiteral("b/x2"), {}}, {QStringLiteral("b/x10"), {}}}},
        {QStringLiteral("caf\u00e9"), {{QStringLiteral("cafe\u0301/s"), {}}}}};
    EXPECT_EQ(tree, expected);
    EXPECT_TRUE(FolderFilterNode::tree({QString()}).empty());
}

TEST(PropertyOptions, FilteredAndExactIgnoreCaseOnTrimmedText) {
    const QStringList options{QStringLiteral("Tag"), QStringLiteral("tagline"),
                              QStringLiteral("other"), QStringLiteral("TAG")};
    EXPECT_EQ(PropertyOptions::filtered(options, QStringLiteral(" \n")), options);
    EXPECT_EQ(
        PropertyOptions::filtered(options, QStringLiteral(" ag ")),
        (QStringList{QStringLiteral("Tag"), QStringLiteral("tagline"), QStringLiteral("TAG")}));
    EXPECT_TRUE(PropertyOptions::filtered(options, QStringLiteral("zz")).isEmpty());
    EXPECT_EQ(PropertyOptions::exact(options, QStringLiteral("tag\n")), QStringLiteral("Tag"));
    EXPECT_FALSE(PropertyOptions::exact(options, QStringLiteral("ta")).has_value());
    EXPECT_FALSE(PropertyOptions::exact(options, QStringLiteral("  ")).has_value());
    EXPECT_EQ(PropertyOptions::exact({QStringLiteral("\u200b"), QString()}, QStringLiteral(" ")),
              QString());
    EXPECT_EQ(PropertyOptions::exact({QStringLiteral("caf\u00e9")}, QStringLiteral("CAFE\u0301")),
              QStringLiteral("caf\u00e9"));
}

TEST(PropertyOptions, ExactAndFilteredFollowOneRule) {
    const QStringList options{QStringLiteral("Stra\u00dfe"), QStringLiteral("\uff34\uff21\uff27"),
                              QStringLiteral("\u30ab\u30e1\u30e9"), QStringLiteral("tag\u200b")};
    EXPECT_EQ(PropertyOptions::exact(options, QStringLiteral("STRASSE")),
              QStringLiteral("Stra\u00dfe"));
    EXPECT_EQ(PropertyOptions::filtered(options, QStringLiteral("SS")),
              QStringList{QStringLiteral("Stra\u00dfe")});
    // Whatever containment finds of a whole option, equality finds too, and the reverse.
    for (const QString& search :
         {QStringLiteral("tag"), QStringLiteral("\uff54\uff41\uff47"), QStringLiteral("TAG"),
          QStringLiteral("\u304b\u3081\u3089"), QStringLiteral("\u30ab\u30e1\u30e9"),
          QStringLiteral("strasse")}) {
        const std::optional<QString> exact = PropertyOptions::exact(options, search);
        const QStringList filtered = PropertyOptions::filtered(options, search);
        if (exact) {
            EXPECT_TRUE(filtered.contains(*exact)) << search.toStdString();
        }
        for (const QString& option : filtered) {
            const bool whole = PropertyOptions::filtered({search}, option).size() == 1;
            EXPECT_EQ(whole, exact == option) << search.toStdString();
        }
    }
    EXPECT_FALSE(PropertyOptions::exact(options, QStringLiteral("tag")).has_value());
    EXPECT_FALSE(PropertyOptions::exact(options, QStringLiteral("\u304b\u3081\u3089")).has_value());
    EXPECT_EQ(PropertyOptions::exact(options, QStringLiteral("\uff54\uff41\uff47")),
              QStringLiteral("\uff34\uff21\uff27"));
}
