#include "model/media_query.h"
#include "model/library_browse_snapshot.h"

#include "query_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace lumivex;
using lumivex::test::filenames;
using lumivex::test::photo;
using lumivex::test::video;

namespace {

const QString tagKey = QStringLiteral("A0000000-0000-0000-0000-000000000001");
const QString placeKey = QStringLiteral("A0000000-0000-0000-0000-000000000002");

// Applies the query both ways and insists they agree before handing back the file names.
QStringList shown(const MediaQuery& query, const QList<MediaItem>& items) {
    const Library library = Library::withContents({}, items);
    const QList<MediaItem> plain = query.apply(library);
    const LibraryBrowseSnapshot snapshot(library, false);
    const QList<MediaItem> fast = query.apply(snapshot);
    EXPECT_EQ(filenames(fast), filenames(plain));
    // Identifiers, not whole items: a NaN length makes an item unequal to itself.
    EXPECT_TRUE(std::equal(fast.begin(), fast.end(), plain.begin(), plain.end(),
                           [](const MediaItem& a, const MediaItem& b) { return a.id == b.id; }));
    return filenames(plain);
}

MediaItem captured(const QString& filename, std::optional<double> at) {
    MediaItem item = photo(filename);
    if (at) {
        item.capturedAt = Date{*at};
    }
    return item;
}

MediaItem rated(const QString& filename, std::int64_t rating) {
    MediaItem item = photo(filename);
    item.rating = rating;
    return item;
}

MediaItem labelled(const QString& filename, const QString& key, QStringList values) {
    MediaItem item = photo(filename);
    item.labels[key] = std::move(values);
    return item;
}

}  // namespace

TEST(SortOrder, RawValuesAreKoreanTitlesInOrder) {
    QStringList raws;
    for (SortOrder order : allSortOrders) {
        raws.append(rawValue(order));
        EXPECT_EQ(sortOrderFromRaw(rawValue(order)), order);
    }
    EXPECT_EQ(raws, (QStringList{QStringLiteral("촬영한 날짜"), QStringLiteral("이름"),
                                 QStringLiteral("별점"), QStringLiteral("영상 길이"),
                                 QStringLiteral("추가한 날짜"), QStringLiteral("수정한 날짜"),
                                 QStringLiteral("파일 크기")}));
    EXPECT_FALSE(sortOrderFromRaw(QStringLiteral("captured")).has_value());
}

TEST(MediaQuery, DefaultShowsEveryPresentItemNewestCaptureFirst) {
    const MediaQuery query;
    EXPECT_EQ(query.sort, SortOrder::captured);
    EXPECT_FALSE(query.ascending);
    MediaItem missing = captured(QStringLiteral("missing.jpg"), 500);
    missing.available = false;
    EXPECT_EQ(shown(query, {captured(QStringLiteral("old.jpg"), 100), missing,
                            captured(QStringLiteral("new.jpg"), 300),
                            labelled(QStringLiteral("tagged.jpg"), tagKey, {QStringLiteral("x")})}),
              (QStringList{QStringLiteral("new.jpg"), QStringLiteral("old.jpg"),
                           QStringLiteral("tagged.jpg")}));
}

TEST(MediaQuery, FolderFilterTakesSubfoldersButNotLookalikes) {
    const QList<MediaItem> items{
        photo(QStringLiteral("trips/a.jpg")), photo(QStringLiteral("trips/2024/b.jpg")),
        photo(QStringLiteral("tripsold/c.jpg")), photo(QStringLiteral("d.jpg")),
        photo(QStringLiteral("other/trips/e.jpg"))};
    MediaQuery query;
    query.sort = SortOrder::name;
    query.ascending = true;
    query.folderPath = QStringLiteral("trips");
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("trips/2024/b.jpg"), QStringLiteral("trips/a.jpg")}));
    query.folderPath = QString();
    EXPECT_EQ(shown(query, items), QStringList{QStringLiteral("d.jpg")});
    query.folderPath = QStringLiteral("trips/2024");
    EXPECT_EQ(shown(query, items), QStringList{QStringLiteral("trips/2024/b.jpg")});
    // Canonically equivalent spellings of a folder are the same folder.
    query.folderPath = QStringLiteral("cafe\u0301");
    EXPECT_EQ(shown(query, {photo(QStringLiteral("caf\u00e9/x.jpg"))}),
              QStringList{QStringLiteral("caf\u00e9/x.jpg")});
}

TEST(MediaQuery, LengthRangeHidesPhotosAndVideosWithoutUsableLength) {
    const QList<MediaItem> items{
        photo(QStringLiteral("p.jpg")),
        video(QStringLiteral("none.mov"), std::nullopt),
        video(QStringLiteral("nan.mov"), std::numeric_limits<double>::quiet_NaN()),
        video(QStringLiteral("short.mov"), 59),
        video(QStringLiteral("exact.mov"), 180),
        video(QStringLiteral("mid.mov"), 120)};
    MediaQuery query;
    query.sort = SortOrder::name;
    query.ascending = true;
    query.videoDuration = VideoDurationRange{60, 180, false};
    EXPECT_EQ(shown(query, items), QStringList{QStringLiteral("mid.mov")});
    query.videoDuration->includesMaximum = true;
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("exact.mov"), QStringLiteral("mid.mov")}));
    query.videoDuration = VideoDurationRange{0, std::nullopt, false};
    query.kind = MediaKind::photo;
    EXPECT_TRUE(shown(query, items).isEmpty());
}

TEST(MediaQuery, RatingKindAndValueFilters) {
    MediaItem emptyLists = rated(QStringLiteral("empty.jpg"), 0);
    emptyLists.labels[tagKey] = {};
    MediaItem both =
        labelled(QStringLiteral("both.jpg"), tagKey, {QStringLiteral("a"), QStringLiteral("b")});
    both.labels[placeKey] = {QStringLiteral("Seoul")};
    both.rating = 4;
    const QList<MediaItem> items{rated(QStringLiteral("zero.jpg"), 0), emptyLists, both,
                                 labelled(QStringLiteral("A.jpg"), tagKey, {QStringLiteral("A")}),
                                 video(QStringLiteral("v.mov"), 10)};
    MediaQuery query;
    query.sort = SortOrder::name;
    query.ascending = true;
    query.unclassifiedOnly = true;
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("empty.jpg"), QStringLiteral("v.mov"),
                           QStringLiteral("zero.jpg")}));
    query = MediaQuery{};
    query.sort = SortOrder::name;
    query.facets[tagKey] = QStringLiteral("a");  // case-sensitive: "A" is another value
    EXPECT_EQ(shown(query, items), QStringList{QStringLiteral("both.jpg")});
    query.emptyFacets.insert(placeKey);
    EXPECT_TRUE(shown(query, items).isEmpty());
    query = MediaQuery{};
    query.emptyFacets.insert(tagKey);
    query.kind = MediaKind::photo;
    query.unratedOnly = true;
    query.sort = SortOrder::name;
    query.ascending = true;
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("empty.jpg"), QStringLiteral("zero.jpg")}));
    query = MediaQuery{};
    query.minimumRating = 4;
    EXPECT_EQ(shown(query, items), QStringList{QStringLiteral("both.jpg")});
}

TEST(MediaQuery, SearchIsTrimmedCaseInsensitiveOverNamesNotesAndValues) {
    MediaItem noted = photo(QStringLiteral("n.jpg"));
    noted.notes = QStringLiteral("our TRIP home");
    const QList<MediaItem> items{
        video(QStringLiteral("trip/x.mov"), 3), noted,
        labelled(QStringLiteral("v.jpg"), placeKey, {QStringLiteral("Roadtrip")}),
        photo(QStringLiteral("t/rip.jpg")),
        labelled(QStringLiteral("w.jpg"), placeKey, {QStringLiteral("tr"), QStringLiteral("ip")})};
    MediaQuery query;
    query.sort = SortOrder::name;
    query.ascending = true;
    query.search = QStringLiteral("  Trip\n");
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("n.jpg"), QStringLiteral("trip/x.mov"),
                           QStringLiteral("v.jpg")}));
    query.search = QStringLiteral(" \t\n");
    EXPECT_EQ(shown(query, items).size(), items.size());
    // Decomposed and composed spellings, and case folding beyond ASCII.
    query.search = QStringLiteral("CAFE\u0301");
    EXPECT_EQ(
        shown(query, {photo(QStringLiteral("caf\u00e9.jpg")), photo(QStringLiteral("cafe.jpg"))}),
        QStringList{QStringLiteral("caf\u00e9.jpg")});
    query.search = QStringLiteral("STRASSE");
    EXPECT_EQ(shown(query, {photo(QStringLiteral("strasse.jpg"))}),
              QStringList{QStringLiteral("strasse.jpg")});
}

TEST(MediaQuery, SearchFoldsCaseFullyButKeepsWidthAndKana) {
    MediaItem noted = photo(QStringLiteral("n.jpg"));
    noted.notes = QStringLiteral("GROSSE Reise");
    const QList<MediaItem> items{
        photo(QStringLiteral("stra\u00dfe.jpg")), noted,
        labelled(QStringLiteral("v.jpg"), placeKey, {QStringLiteral("\ufb01le")}),
        photo(QStringLiteral("\uff34\uff21\uff27.jpg")),
        photo(QStringLiteral("\u30ab\u30e1\u30e9.jpg"))};
    MediaQuery query;
    query.sort = SortOrder::name;
    query.ascending = true;
    for (const char16_t* search : {u"STRASSE", u"strasse", u"Stra\u00dfe", u"STRA\u1e9eE"}) {
        query.search = QString::fromUtf16(search);
        EXPECT_EQ(shown(query, items), QStringList{QStringLiteral("stra\u00dfe.jpg")});
    }
    query.search = QStringLiteral("gro\u00df");
    EXPECT_EQ(shown(query, items), QStringList{QStringLiteral("n.jpg")});
    query.search = QStringLiteral("FILE");
    EXPECT_EQ(shown(query, items), QStringList{QStringLiteral("v.jpg")});
    // Width and kana are no case: the full-width name and the katakana one stay apart.
    query.search = QStringLiteral("tag");
    EXPECT_TRUE(shown(query, items).isEmpty());
    query.search = QStringLiteral("\u304b\u3081\u3089");
    EXPECT_TRUE(shown(query, items).isEmpty());
}

TEST(MediaQuery, SearchNeverMatchesAcrossTwoTexts) {
    MediaItem item = photo(QStringLiteral("ab"));
    item.notes = QStringLiteral("cd");
    item.labels[tagKey] = {QStringLiteral("ef")};
    MediaQuery query;
    for (const QString& across :
         {QStringLiteral("bc"), QStringLiteral("de"), QStringLiteral("b\u0000c")}) {
        query.search = across;
        EXPECT_TRUE(shown(query, {item}).isEmpty());
    }
    // A search text with U+0000 still finds a text that holds it.
    item.notes = QStringLiteral("x\u0000y");
    query.search = QStringLiteral("x\u0000y");
    EXPECT_EQ(shown(query, {item}), QStringList{QStringLiteral("ab")});
}

TEST(MediaQuery, UndatedItemsGoLastInBothDirectionsInNameOrder) {
    const QList<MediaItem> items{
        captured(QStringLiteral("b.jpg"), std::nullopt), captured(QStringLiteral("mid.jpg"), 200),
        captured(QStringLiteral("a.jpg"), std::nullopt), captured(QStringLiteral("late.jpg"), 300),
        captured(QStringLiteral("early.jpg"), 100)};
    MediaQuery query;
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("late.jpg"), QStringLiteral("mid.jpg"),
                           QStringLiteral("early.jpg"), QStringLiteral("a.jpg"),
                           QStringLiteral("b.jpg")}));
    query.ascending = true;
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("early.jpg"), QStringLiteral("mid.jpg"),
                           QStringLiteral("late.jpg"), QStringLiteral("a.jpg"),
                           QStringLiteral("b.jpg")}));
}

TEST(MediaQuery, EqualKeysFallBackToAscendingFileNames) {
    const QList<MediaItem> items{
        rated(QStringLiteral("img10.jpg"), 3), rated(QStringLiteral("x.jpg"), 1),
        rated(QStringLiteral("img2.jpg"), 3), rated(QStringLiteral("IMG3.jpg"), 3)};
    MediaQuery query;
    query.sort = SortOrder::rating;
    const QStringList ties{QStringLiteral("img2.jpg"), QStringLiteral("IMG3.jpg"),
                           QStringLiteral("img10.jpg")};
    EXPECT_EQ(shown(query, items), ties + QStringList{QStringLiteral("x.jpg")});
    query.ascending = true;
    EXPECT_EQ(shown(query, items), QStringList{QStringLiteral("x.jpg")} + ties);
    query.sort = SortOrder::name;
    query.ascending = false;
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("x.jpg"), QStringLiteral("img10.jpg"),
                           QStringLiteral("IMG3.jpg"), QStringLiteral("img2.jpg")}));
}

TEST(MediaQuery, NumericKeysIncludingMissingAndNotANumber) {
    MediaItem big = video(QStringLiteral("big.mov"), 30);
    big.size = std::numeric_limits<std::int64_t>::max();
    MediaItem bigger =
        video(QStringLiteral("bigger.mov"), std::numeric_limits<double>::quiet_NaN());
    bigger.size = std::numeric_limits<std::int64_t>::max() - 1;
    const QList<MediaItem> items{video(QStringLiteral("none.mov"), std::nullopt), big, bigger,
                                 video(QStringLiteral("short.mov"), 5)};
    MediaQuery query;
    query.sort = SortOrder::duration;
    query.ascending = true;
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("short.mov"), QStringLiteral("big.mov"),
                           QStringLiteral("bigger.mov"), QStringLiteral("none.mov")}));
    query.ascending = false;
    EXPECT_EQ(shown(query, items),
              (QStringList{QStringLiteral("bigger.mov"), QStringLiteral("big.mov"),
                           QStringLiteral("short.mov"), QStringLiteral("none.mov")}));
    query.sort = SortOrder::size;
    EXPECT_EQ(shown(query, items).mid(0, 2),
              (QStringList{QStringLiteral("big.mov"), QStringLiteral("bigger.mov")}));
}

TEST(MediaQuery, PropertySortComparesValuesJoinedWithCommas) {
    Category tag{QUuid(tagKey), QStringLiteral("태그"), PropertyKind::multiSelect, {}, {}};
    const QList<MediaItem> items{
        labelled(QStringLiteral("ab.jpg"), tagKey, {QStringLiteral("a"), QStringLiteral("b")}),
        labelled(QStringLiteral("a.jpg"), tagKey, {QStringLiteral("a")}),
        photo(QStringLiteral("none2.jpg")),
        labelled(QStringLiteral("b.jpg"), tagKey, {QStringLiteral("B")}),
        labelled(QStringLiteral("empty.jpg"), tagKey, {}),
        photo(QStringLiteral("none10.jpg"))};
    MediaQuery query;
    query.sortCategory = tag;
    query.sort = SortOrder::size;
    query.ascending = true;
    const QStringList unvalued{QStringLiteral("empty.jpg"), QStringLiteral("none2.jpg"),
                               QStringLiteral("none10.jpg")};
    const QStringList valued{QStringLiteral("a.jpg"), QStringLiteral("ab.jpg"),
                             QStringLiteral("b.jpg")};
    EXPECT_EQ(shown(query, items), unvalued + valued);
    query.ascending = false;
    QStringList reversed = valued;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(shown(query, items), reversed + unvalued);
}

TEST(MediaQuery, SnapshotPathMatchesThePlainPathOnAVariedLibrary) {
    QList<MediaItem> items;
    const QStringList names{
        QStringLiteral("Été/x10.jpg"),     QStringLiteral("e\u0301te\u0301/x2.jpg"),
        QStringLiteral("a/b/IMG_1.mov"),   QStringLiteral("a/b/img_1.mov"),
        QStringLiteral("root.jpg"),        QStringLiteral("ROOT.jpg"),
        QStringLiteral("사진/가족 1.jpg"), QStringLiteral("사진/가족 01.jpg")};
    for (int i = 0; i < 64; ++i) {
        MediaItem item = i % 3 == 0 ? video(names[i % names.size()], (i * 37) % 400)
                                    : photo(names[i % names.size()]);
        item.rating = i % 4;
        if (i % 5 != 0) {
            item.capturedAt = Date{static_cast<double>(i % 7)};
        }
        if (i % 13 == 0) {
            item.capturedAt = Date{std::numeric_limits<double>::quiet_NaN()};
            item.duration = -0.0;
        }
        if (i % 17 == 0) {
            item.notes = QStringLiteral("\uAC00\u11A8 STRASSE");
        }
        item.size = i % 6;
        item.added = {static_cast<double>(i % 3)};
        if (i % 2 == 0) {
            item.labels[tagKey] = {QStringLiteral("v%1").arg(i % 5), QStringLiteral("Été")};
        }
        item.available = i % 11 != 0;
        items.append(item);
    }
    Category tag{QUuid(tagKey), QStringLiteral("태그"), PropertyKind::multiSelect, {}, {}};
    for (SortOrder order : allSortOrders) {
        for (bool ascending : {false, true}) {
            for (const QString& search :
                 {QString(), QStringLiteral("ete"), QStringLiteral("ÉTÉ")}) {
                MediaQuery query;
                query.sort = order;
                query.ascending = ascending;
                query.search = search;
                shown(query, items);
                query.sortCategory = tag;
                shown(query, items);
            }
        }
    }
}
