#include "platform/bounded_cache.h"

#include <QString>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace lumivex {
namespace {

TEST(BoundedCacheTest, TheLeastRecentlyUsedGoFirstWhenTheCountIsReached) {
    BoundedCache<QString, int> cache(2, 0);
    cache.insert(QStringLiteral("a"), 1);
    cache.insert(QStringLiteral("b"), 2);
    EXPECT_EQ(cache.find(QStringLiteral("a")), 1);  // now b is the oldest use
    cache.insert(QStringLiteral("c"), 3);
    EXPECT_EQ(cache.count(), 2);
    EXPECT_EQ(cache.find(QStringLiteral("b")), std::nullopt);
    EXPECT_EQ(cache.find(QStringLiteral("a")), 1);
    EXPECT_EQ(cache.find(QStringLiteral("c")), 3);

    cache.insert(QStringLiteral("c"), 4);
    EXPECT_EQ(cache.count(), 2);
    EXPECT_EQ(cache.find(QStringLiteral("c")), 4);
    cache.remove(QStringLiteral("c"));
    EXPECT_EQ(cache.count(), 1);
}

TEST(BoundedCacheTest, CostsAreKeptWithinTheLimit) {
    BoundedCache<QString, int> cache(0, 100);
    cache.insert(QStringLiteral("a"), 1, 60);
    cache.insert(QStringLiteral("b"), 2, 30);
    EXPECT_EQ(cache.totalCost(), 90);
    cache.insert(QStringLiteral("c"), 3, 30);
    EXPECT_EQ(cache.find(QStringLiteral("a")), std::nullopt);
    EXPECT_EQ(cache.totalCost(), 60);

    cache.insert(QStringLiteral("huge"), 4, 101);
    EXPECT_EQ(cache.find(QStringLiteral("huge")), std::nullopt);
    EXPECT_EQ(cache.count(), 2);
    cache.insert(QStringLiteral("b"), 5, 10);
    EXPECT_EQ(cache.totalCost(), 40);
    cache.clear();
    EXPECT_EQ(cache.totalCost(), 0);
    EXPECT_EQ(cache.count(), 0);
}

TEST(BoundedCacheTest, ManyThreadsKeepTheLimits) {
    BoundedCache<int, int> cache(50, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&cache, t] {
            for (int i = 0; i < 2000; ++i) {
                cache.insert(t * 10000 + i, i, 1);
                cache.find(t * 10000 + i / 2);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(cache.count(), 50);
    EXPECT_EQ(cache.totalCost(), 50);
}

}  // namespace
}  // namespace lumivex
