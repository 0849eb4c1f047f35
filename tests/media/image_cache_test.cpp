#include "media/image_cache.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

QImage image(int side) {
    QImage made(side, side, QImage::Format_RGB32);
    made.fill(Qt::gray);
    return made;
}

TEST(ImageCache, EvictsTheLeastRecentlyUsedBeyondTheCountLimit) {
    ImageCache cache(3, 1'000'000);
    cache.insert(QStringLiteral("a"), image(2), 16);
    cache.insert(QStringLiteral("b"), image(2), 16);
    cache.insert(QStringLiteral("c"), image(2), 16);
    EXPECT_FALSE(cache.find(QStringLiteral("a")).isNull());  // "b" is now the oldest use
    cache.insert(QStringLiteral("d"), image(2), 16);

    EXPECT_EQ(cache.count(), 3);
    EXPECT_TRUE(cache.contains(QStringLiteral("a")));
    EXPECT_FALSE(cache.contains(QStringLiteral("b")));
    EXPECT_TRUE(cache.contains(QStringLiteral("c")));
    EXPECT_TRUE(cache.contains(QStringLiteral("d")));
}

TEST(ImageCache, EvictsUntilTheCostFits) {
    ImageCache cache(100, 100);
    cache.insert(QStringLiteral("a"), image(1), 40);
    cache.insert(QStringLiteral("b"), image(1), 40);
    cache.insert(QStringLiteral("c"), image(1), 60);  // 140 > 100: "a" goes, 100 stays

    EXPECT_EQ(cache.totalCost(), 100);
    EXPECT_FALSE(cache.contains(QStringLiteral("a")));
    EXPECT_TRUE(cache.contains(QStringLiteral("b")));

    cache.insert(QStringLiteral("b"), image(1), 10);  // a replacement counts its new cost only
    EXPECT_EQ(cache.totalCost(), 70);
    EXPECT_EQ(cache.count(), 2);
}

TEST(ImageCache, AnEntryLargerThanTheWholeCacheIsNotKept) {
    ImageCache cache(10, 100);
    cache.insert(QStringLiteral("small"), image(1), 50);
    cache.insert(QStringLiteral("huge"), image(1), 101);

    EXPECT_FALSE(cache.contains(QStringLiteral("huge")));
    EXPECT_TRUE(cache.contains(QStringLiteral("small")));
    EXPECT_EQ(cache.totalCost(), 50);
    EXPECT_TRUE(cache.find(QStringLiteral("huge")).isNull());
}

}  // namespace
}  // namespace lumivex
