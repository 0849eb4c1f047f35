#include "model/media_scanner.h"

#include "support/fake_photo_library.h"

#include <QSet>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::FakePhotoLibrary;

constexpr double newer = 1714564800.0;
constexpr double older = 1700000000.0;

QList<MediaItem> list(const FakePhotoLibrary& photos, PhotoAssetTable& table) {
    return MediaScanner::listPhotos(photos, table, [] { return false; });
}

TEST(MediaScannerPhotosTest, ImagesAndVideosBecomeRecordsInFetchOrder) {
    FakePhotoLibrary photos;
    PhotoAsset& image = photos.addAsset(QStringLiteral("P/1"), true, PhotoMediaType::image, newer,
                                        QStringLiteral("IMG_0001.HEIC"));
    image.modificationDate = Date{newer + 60};
    photos.addAsset(QStringLiteral("A/2"), true, PhotoMediaType::audio, older);
    PhotoAsset& video = photos.addAsset(QStringLiteral("V/3"), true, PhotoMediaType::video, older);
    video.resources.clear();
    video.duration = 12.5;
    PhotoAssetTable table(3000, 0);

    const QList<MediaItem> items = list(photos, table);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].filename, QStringLiteral("IMG_0001.HEIC"));
    EXPECT_EQ(items[0].fileIdentity, QStringLiteral("photos:P/1"));
    EXPECT_EQ(items[0].kind, MediaKind::photo);
    EXPECT_EQ(items[0].duration, std::nullopt);
    EXPECT_EQ(items[0].modified, Date{newer + 60});
    EXPECT_EQ(items[0].added, Date{newer});
    EXPECT_EQ(items[0].capturedAt, Date{newer});

    EXPECT_EQ(items[1].filename, QStringLiteral("사진-3"));
    EXPECT_EQ(items[1].fileIdentity, QStringLiteral("photos:V/3"));
    EXPECT_EQ(items[1].kind, MediaKind::video);
    EXPECT_EQ(items[1].duration, 12.5);
    EXPECT_EQ(items[1].modified, items[1].added);
    for (const MediaItem& item : items) {
        EXPECT_EQ(item.size, 0);
        EXPECT_EQ(item.rating, 0);
        EXPECT_TRUE(item.labels.empty());
        EXPECT_TRUE(item.notes.isEmpty());
        EXPECT_TRUE(item.available);
    }
    EXPECT_NE(items[0].id, items[1].id);
    EXPECT_NE(list(photos, table)[0].id, items[0].id);

    EXPECT_EQ(table.count(), 2);
    EXPECT_TRUE(table.find(QStringLiteral("V/3")));
    EXPECT_FALSE(table.find(QStringLiteral("A/2")));
}

TEST(MediaScannerPhotosTest, TheNameComesFromThePhotoOrVideoResourceElseTheFirst) {
    FakePhotoLibrary photos;
    photos.addAsset(QStringLiteral("P/1")).resources = {
        {PhotoResourceType::audio, QStringLiteral("voice.m4a")},
        {PhotoResourceType::photo, QStringLiteral("IMG_1.JPG")},
        {PhotoResourceType::video, QStringLiteral("IMG_1.MOV")}};
    photos.addAsset(QStringLiteral("P/2")).resources = {
        {PhotoResourceType::other, QStringLiteral("adjustments.plist")},
        {PhotoResourceType::audio, QStringLiteral("voice.m4a")}};
    PhotoAsset& undated = photos.addAsset(QStringLiteral("P/3"));
    undated.creationDate.reset();
    PhotoAssetTable table(3000, 0);

    const QList<MediaItem> items = list(photos, table);
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].filename, QStringLiteral("IMG_1.JPG"));
    EXPECT_EQ(items[1].filename, QStringLiteral("adjustments.plist"));
    EXPECT_EQ(items[2].added, Date::distantPast());
    EXPECT_EQ(items[2].modified, Date::distantPast());
    EXPECT_EQ(items[2].capturedAt, std::nullopt);
}

TEST(MediaScannerPhotosTest, CancellationThrowsInsteadOfReturningPart) {
    FakePhotoLibrary photos;
    for (int i = 0; i < 4; ++i) {
        photos.addAsset(QStringLiteral("P/%1").arg(i));
    }
    for (int allowed : {0, 1, 3, 4}) {
        PhotoAssetTable table(3000, 0);
        int checks = 0;
        EXPECT_THROW(MediaScanner::listPhotos(photos, table, [&] { return checks++ >= allowed; }),
                     MediaScanner::Cancelled)
            << allowed;
    }
    FakePhotoLibrary empty;
    PhotoAssetTable table(3000, 0);
    EXPECT_THROW(MediaScanner::listPhotos(empty, table, [] { return true; }),
                 MediaScanner::Cancelled);
}

TEST(MediaScannerPhotosTest, TheScannerListsOnItsWorkerThread) {
    FakePhotoLibrary photos;
    photos.addAsset(QStringLiteral("P/1"));
    PhotoAssetTable table(3000, 0);
    MediaScanner scanner;
    QFuture<QList<MediaItem>> listing = scanner.scanPhotos(photos, table);
    ASSERT_EQ(listing.result().size(), 1);
    EXPECT_EQ(listing.result().first().fileIdentity, QStringLiteral("photos:P/1"));
    EXPECT_EQ(photos.fetchAllCalls, 1);
}

}  // namespace
}  // namespace lumivex
