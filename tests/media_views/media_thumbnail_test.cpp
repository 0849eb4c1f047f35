#include "media_views/media_thumbnail.h"

#include "media/held_decoder.h"
#include "media/photos_thumbnail_cache.h"
#include "media_views/photos_thumbnail.h"
#include "media_views/thumbnail_image.h"
#include "platform/lumivex_settings.h"
#include "platform/user_defaults.h"
#include "support/fake_photo_image_manager.h"
#include "support/fake_photo_library.h"
#include "view_screenshots.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using Layer = MediaThumbnail::Layer;
using test::HeldDecoder;
using test::processEventsUntil;

MediaItem folderItem(const QString& name, MediaKind kind = MediaKind::photo) {
    MediaItem item;
    item.id = QUuid::createUuid();
    item.filename = name;
    item.fileIdentity = QStringLiteral("1:2:") + name;
    item.kind = kind;
    item.size = 100;
    return item;
}

QString symbolOf(const MediaThumbnail& view) {
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (label->property("symbol").isValid() && label->isVisibleTo(&view)) {
            return label->property("symbol").toString();
        }
    }
    return {};
}

class MediaThumbnailTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    UserDefaults defaults{folder.filePath(QStringLiteral("defaults.json"))};
    HeldDecoder decoder;
    ThumbnailCache folders{decoder.decoder()};
    PhotosThumbnailCache photos;
    QWidget window;
    MediaThumbnail* view = new MediaThumbnail({folders, photos, defaults}, &window);

    void SetUp() override {
        window.resize(200, 200);
        view->setGeometry(0, 0, 120, 120);
    }
};

TEST_F(MediaThumbnailTest, SpinnerWhileLoadingThenImageOrPlaceholder) {
    view->setItem(folderItem(QStringLiteral("a.jpg")), QStringLiteral("/p/a.jpg"), 360, false);
    EXPECT_EQ(view->layer(), Layer::spinner);  // nothing starts before it is on screen
    EXPECT_EQ(folders.jobCount(), 0);
    window.show();
    EXPECT_EQ(view->layer(), Layer::spinner);
    decoder.release(QStringLiteral("/p/a.jpg"));
    ASSERT_TRUE(processEventsUntil([&] { return view->layer() == Layer::image; }));
    EXPECT_EQ(view->image().image().width(), 360);

    view->setItem(folderItem(QStringLiteral("v.mp4"), MediaKind::video), QStringLiteral("/p/v.mp4"),
                  360, false);
    EXPECT_EQ(view->layer(), Layer::spinner);
    decoder.fail(QStringLiteral("/p/v.mp4"));
    ASSERT_TRUE(processEventsUntil([&] { return view->layer() == Layer::placeholder; }));
    EXPECT_EQ(symbolOf(*view), QStringLiteral("video"));
    test::saveScreenshot(*view, QStringLiteral("thumbnail-placeholder"));

    view->setItem(folderItem(QStringLiteral("b.png")), QStringLiteral("/p/b.png"), 360, false);
    decoder.fail(QStringLiteral("/p/b.png"));
    ASSERT_TRUE(processEventsUntil([&] { return view->layer() == Layer::placeholder; }));
    EXPECT_EQ(symbolOf(*view), QStringLiteral("photo"));
}

TEST_F(MediaThumbnailTest, CachedImagesComeBackWithoutADecodeAndOffScreenCellsDropThem) {
    const MediaItem item = folderItem(QStringLiteral("a.jpg"));
    view->setItem(item, QStringLiteral("/p/a.jpg"), 360, true);
    window.show();
    decoder.release(QStringLiteral("/p/a.jpg"));
    ASSERT_TRUE(processEventsUntil([&] { return view->layer() == Layer::image; }));

    view->hide();  // scrolled away
    EXPECT_EQ(view->layer(), Layer::spinner);
    EXPECT_TRUE(view->image().image().isNull());
    view->show();  // and back: straight from the memory cache
    EXPECT_EQ(view->layer(), Layer::image);
    EXPECT_EQ(folders.decodeCount(), 1);

    view->setItem(item, QStringLiteral("/p/a.jpg"), 600, true);  // a new size loads again
    EXPECT_EQ(view->layer(), Layer::spinner);
    decoder.release(QStringLiteral("/p/a.jpg"));
    ASSERT_TRUE(processEventsUntil([&] { return view->layer() == Layer::image; }));
    EXPECT_EQ(view->image().image().width(), 600);
    EXPECT_EQ(folders.decodeCount(), 2);
}

TEST_F(MediaThumbnailTest, AStaleResultNeverReplacesTheCurrentItem) {
    window.show();
    view->setItem(folderItem(QStringLiteral("old.jpg")), QStringLiteral("/p/old.jpg"), 360, false);
    view->setItem(folderItem(QStringLiteral("new.jpg")), QStringLiteral("/p/new.jpg"), 360, false);
    decoder.release(QStringLiteral("/p/old.jpg"));
    ASSERT_TRUE(processEventsUntil(
        [&] { return decoder.abandoned().size() == 1 || folders.decodeCount() >= 1; }));
    EXPECT_EQ(view->layer(), Layer::spinner);
    decoder.fail(QStringLiteral("/p/new.jpg"));
    ASSERT_TRUE(processEventsUntil([&] { return view->layer() == Layer::placeholder; }));
    EXPECT_TRUE(view->image().image().isNull());
}

TEST_F(MediaThumbnailTest, PhotoLibraryItemsGoThroughThePhotosViewWithTheirIdentifier) {
    test::FakePhotoLibrary library;
    test::FakePhotoImageManager manager;
    library.addAsset(QStringLiteral("pictures/x.jpg"));
    photos.setLibrary(&library);
    photos.setManager(&manager);
    window.show();

    MediaItem asset = folderItem(QStringLiteral("x.jpg"));
    asset.fileIdentity = QStringLiteral("photos:pictures/x.jpg");
    asset.modified = Date{1700000000.5};
    view->setItem(asset, QString(), 240, false);
    ASSERT_EQ(view->layer(), Layer::photos);
    const PhotosThumbnailLoader::Request& request = view->photosThumbnail()->loader().request();
    EXPECT_EQ(request.identifier, QStringLiteral("pictures/x.jpg"));
    EXPECT_EQ(request.revision, 1700000000.5);
    EXPECT_TRUE(request.allowListDownloads);
    ASSERT_EQ(manager.requests.size(), 1);
    EXPECT_EQ(folders.jobCount(), 0);

    defaults.setBool(LumivexSettings::keyName(LumivexSettings::Key::photosNetwork),
                     false);  // a new key: asked again
    ASSERT_EQ(manager.requests.size(), 2);
    EXPECT_FALSE(manager.requests.last().request.allowNetwork);

    // A folder file whose name merely contains the prefix is a folder item.
    view->setItem(folderItem(QStringLiteral("photos:y.jpg")), QStringLiteral("/p/photos:y.jpg"),
                  240, false);
    EXPECT_EQ(view->layer(), Layer::spinner);
    EXPECT_EQ(view->photosThumbnail(), nullptr);
    photos.setManager(nullptr);
    photos.setLibrary(nullptr);
}

TEST(ThumbnailImage, FitLetterboxesAndFillCropsEvenly) {
    const QSize wide(400, 200);
    const QSize cell(100, 100);
    EXPECT_EQ(ThumbnailImage::placement(wide, cell, true), QRect(0, 25, 100, 50));
    EXPECT_EQ(ThumbnailImage::placement(wide, cell, false), QRect(-50, 0, 200, 100));
    EXPECT_EQ(ThumbnailImage::placement(QSize(100, 300), QSize(90, 60), true),
              QRect(35, 0, 20, 60));
    EXPECT_EQ(ThumbnailImage::placement(QSize(), cell, true), QRect());

    // Drawn: a filled cell is covered edge to edge; a fitted one leaves its bands untouched.
    QImage image(wide, QImage::Format_RGB32);
    image.fill(Qt::red);
    ThumbnailImage view;
    view.resize(cell);
    view.setImage(image, false);
    const QImage filled = view.grab().toImage();
    EXPECT_EQ(filled.pixelColor(1, 1), QColor(Qt::red));
    view.setImage(image, true);
    view.setAttribute(Qt::WA_TranslucentBackground);
    const QImage fitted = view.grab().toImage();
    EXPECT_NE(fitted.pixelColor(50, 5), QColor(Qt::red));
    EXPECT_EQ(fitted.pixelColor(50, 50), QColor(Qt::red));
    test::saveScreenshot(view, QStringLiteral("thumbnail-fit"));
}

}  // namespace
}  // namespace lumivex
