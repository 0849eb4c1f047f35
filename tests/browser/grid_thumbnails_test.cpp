#include "browser/grid_thumbnails.h"
#include "media/photos_thumbnail_cache.h"
#include "model/library.h"
#include "platform/lumivex_settings.h"
#include "platform/user_defaults.h"
#include "support/fake_photo_image_manager.h"
#include "support/fake_photo_library.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

namespace lumivex {
namespace {

QImage picture(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

MediaItem itemNamed(const QString& filename, const QString& identity) {
    MediaItem item;
    item.id = QUuid::createUuid();
    item.filename = filename;
    item.fileIdentity = identity;
    return item;
}

class GridThumbnailsTest : public ::testing::Test {
protected:
    GridThumbnailsTest() {
        photos.addAsset(QStringLiteral("P/1"));
        photos.addAsset(QStringLiteral("P/2"));
        photosCache.setLibrary(&photos);
        photosCache.setManager(&manager);
    }

    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("defaults.json"))};
    LumivexSettings settings{defaults};
    ThumbnailCache folderCache{[](const ThumbnailSource& source, const std::atomic<bool>&) {
        return source.path.endsWith(QStringLiteral("broken.jpg")) ? QImage()
                                                                  : picture(360, 240, Qt::red);
    }};
    test::FakePhotoLibrary photos;
    test::FakePhotoImageManager manager;
    PhotosThumbnailCache photosCache;
    GridThumbnails thumbnails{{&folderCache, &photosCache, &settings}};
};

TEST_F(GridThumbnailsTest, FolderThumbnailsArriveCroppedSquare) {
    const MediaItem wide = itemNamed(QStringLiteral("a.jpg"), QStringLiteral("1:2:0.0"));
    const MediaItem broken = itemNamed(QStringLiteral("broken.jpg"), QStringLiteral("1:3:0.0"));
    EXPECT_TRUE(thumbnails.square(wide, QStringLiteral("/r"), 100).isNull());
    thumbnails.want({wide, broken}, QStringLiteral("/r"), 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return thumbnails.requestsInFlight() == 0; }, 10000));
    const QPixmap square = thumbnails.square(wide, QStringLiteral("/r"), 100);
    EXPECT_EQ(square.size(), QSize(100, 100));
    EXPECT_EQ(square.toImage().pixelColor(50, 50), QColor(Qt::red));
    EXPECT_TRUE(thumbnails.failed(broken, QStringLiteral("/r")));
    EXPECT_FALSE(thumbnails.failed(wide, QStringLiteral("/r")));
    // Another size is cut from the cached image, without a second decode.
    EXPECT_EQ(thumbnails.square(wide, QStringLiteral("/r"), 64).size(), QSize(64, 64));
    EXPECT_EQ(folderCache.decodeCount(), 2);
}

TEST_F(GridThumbnailsTest, PhotoLibraryRequestsNoLongerWantedAreWithdrawn) {
    const MediaItem first = itemNamed(QStringLiteral("1.jpg"), QStringLiteral("photos:P/1"));
    const MediaItem second = itemNamed(QStringLiteral("2.jpg"), QStringLiteral("photos:P/2"));
    const PhotoImageDelivery sharp{picture(360, 360, Qt::blue), false, false, std::nullopt};
    manager.scripts[QStringLiteral("P/1")] = {{}, {sharp}};
    manager.scripts[QStringLiteral("P/2")] = {{}, {sharp}};
    thumbnails.want({first, second}, {}, 80);
    ASSERT_EQ(manager.requests.size(), 2);
    EXPECT_EQ(manager.requests[0].request.pixelSize, 360);
    thumbnails.want({second}, {}, 80);  // the first scrolled away
    EXPECT_EQ(manager.cancellations, QList<PhotoImageRequestId>{manager.requests[0].id});
    manager.play(manager.requests[0].id);  // a late answer
    manager.play(manager.requests[1].id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return thumbnails.requestsInFlight() == 0; }, 10000));
    EXPECT_TRUE(thumbnails.square(first, {}, 80).isNull());
    EXPECT_EQ(thumbnails.square(second, {}, 80).size(), QSize(80, 80));
    EXPECT_EQ(manager.requests.size(), 2);
}

TEST_F(GridThumbnailsTest, AStoredResolutionOutsideTheOfferedOnesAsksForTheDefault) {
    defaults.setInteger(QStringLiteral("Lumivex.settings.photosPixels"), 500);
    thumbnails.want({itemNamed(QStringLiteral("1.jpg"), QStringLiteral("photos:P/1"))}, {}, 80);
    ASSERT_EQ(manager.requests.size(), 1);
    EXPECT_EQ(manager.requests[0].request.pixelSize, 360);
    defaults.setInteger(QStringLiteral("Lumivex.settings.photosPixels"), 720);
    thumbnails.want({itemNamed(QStringLiteral("2.jpg"), QStringLiteral("photos:P/2"))}, {}, 80);
    ASSERT_EQ(manager.requests.size(), 2);
    EXPECT_EQ(manager.requests[1].request.pixelSize, 720);
}

}  // namespace
}  // namespace lumivex
