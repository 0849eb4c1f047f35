#include "model/library.h"

#include "query_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lumivex;
using lumivex::test::photo;
using lumivex::test::video;

TEST(MediaItemDurationText, MinutesAndHoursTruncateToWholeSeconds) {
    EXPECT_EQ(video(QStringLiteral("a.mov"), 59.9).durationText(), QStringLiteral("0:59"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), 61).durationText(), QStringLiteral("1:01"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), 3599.99).durationText(), QStringLiteral("59:59"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), 3600).durationText(), QStringLiteral("1:00:00"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), 3725.4).durationText(), QStringLiteral("1:02:05"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), 0).durationText(), QStringLiteral("0:00"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), -0.0).durationText(), QStringLiteral("0:00"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), 360000).durationText(), QStringLiteral("100:00:00"));
}

TEST(MediaItemDurationText, NoUsableLengthNamesTheKind) {
    EXPECT_EQ(photo(QStringLiteral("a.jpg")).durationText(), QStringLiteral("사진"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), std::nullopt).durationText(), QStringLiteral("—"));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(video(QStringLiteral("a.mov"), nan).durationText(), QStringLiteral("—"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), inf).durationText(), QStringLiteral("—"));
    EXPECT_EQ(video(QStringLiteral("a.mov"), -inf).durationText(), QStringLiteral("—"));
    MediaItem photoWithNan = photo(QStringLiteral("a.jpg"));
    photoWithNan.duration = nan;
    EXPECT_EQ(photoWithNan.durationText(), QStringLiteral("사진"));
}

TEST(MediaItemDurationText, HugeLengthsStayExactAndNeverTrap) {
    // 2^62 seconds: exact 64-bit arithmetic, where doubles would round the minutes.
    const double big = 4611686018427387904.0;
    EXPECT_EQ(video(QStringLiteral("a.mov"), big).durationText(),
              QStringLiteral("1281023894007607:45:04"));
    // The largest double below 2^63 still goes through 64-bit integers.
    const double top = std::nextafter(9223372036854775808.0, 0.0);
    EXPECT_EQ(video(QStringLiteral("a.mov"), top).durationText(),
              QStringLiteral("2562047788015215:13:04"));
    // Beyond 64 bits: any text, as long as it is made.
    for (double huge : {9223372036854775808.0, 1e300, std::numeric_limits<double>::max()}) {
        const QString text = video(QStringLiteral("a.mov"), huge).durationText();
        EXPECT_FALSE(text.isEmpty());
        EXPECT_EQ(text.count(u':'), 2);
    }
}

TEST(CategorySymbol, RatingFirstThenIconThenName) {
    Category rating{QUuid::createUuid(),
                    QStringLiteral("별점"),
                    PropertyKind::rating,
                    {},
                    QStringLiteral("list.bullet")};
    EXPECT_EQ(rating.symbol(), QStringLiteral("star"));
    rating.iconName.reset();
    EXPECT_EQ(rating.symbol(), QStringLiteral("star"));

    Category people{QUuid::createUuid(), QStringLiteral("사람"), PropertyKind::multiSelect, {}, {}};
    EXPECT_EQ(people.symbol(), QStringLiteral("person.2"));
    people.iconName = QStringLiteral("heart");
    EXPECT_EQ(people.symbol(), QStringLiteral("heart"));

    Category place{QUuid::createUuid(), QStringLiteral("위치"), PropertyKind::singleSelect, {}, {}};
    EXPECT_EQ(place.symbol(), QStringLiteral("mappin"));
    Category tag{QUuid::createUuid(), QStringLiteral("태그"), PropertyKind::multiSelect, {}, {}};
    EXPECT_EQ(tag.symbol(), QStringLiteral("tag"));
    // Names match exactly: no trimming, no other spelling.
    Category spaced{
        QUuid::createUuid(), QStringLiteral("태그 "), PropertyKind::multiSelect, {}, {}};
    EXPECT_EQ(spaced.symbol(), QStringLiteral("list.bullet"));
}

TEST(LibraryProperties, FirstRatingPropertyAndTheRestInOrder) {
    Library library;
    ASSERT_EQ(library.categories.size(), 4);
    EXPECT_EQ(library.ratingProperty(), library.categories[0]);
    EXPECT_EQ(library.categories[0].symbol(), QStringLiteral("star"));

    const Category second{
        QUuid::createUuid(), QStringLiteral("두번째"), PropertyKind::rating, {}, {}};
    library.categories.insert(2, second);
    EXPECT_EQ(library.ratingProperty(), library.categories[0]);
    const QList<Category> tags = library.tagProperties();
    ASSERT_EQ(tags.size(), 3);
    EXPECT_EQ(tags[0].name, QStringLiteral("사람"));
    EXPECT_EQ(tags[1].name, QStringLiteral("위치"));
    EXPECT_EQ(tags[2].name, QStringLiteral("태그"));

    library.categories.removeFirst();
    EXPECT_EQ(library.ratingProperty(), second);
    library.categories.removeAt(1);
    EXPECT_FALSE(library.ratingProperty().has_value());
}
