#include "media/photos_thumbnail_cache.h"

#include "support/fake_photo_library.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

TEST(PhotosThumbnailCacheTest, AnAssetIsFetchedOnceAndAMissingOneEveryTime) {
    test::FakePhotoLibrary photos;
    photos.addAsset(QStringLiteral("P/1"));
    PhotosThumbnailCache cache;
    cache.setLibrary(&photos);

    ASSERT_TRUE(cache.asset(QStringLiteral("P/1")));
    EXPECT_EQ(cache.asset(QStringLiteral("P/1"))->localIdentifier, QStringLiteral("P/1"));
    EXPECT_EQ(photos.fetchCalls, 1);

    EXPECT_FALSE(cache.asset(QStringLiteral("gone")));
    EXPECT_FALSE(cache.asset(QStringLiteral("gone")));
    EXPECT_EQ(photos.fetchCalls, 3);
}

}  // namespace
}  // namespace lumivex
