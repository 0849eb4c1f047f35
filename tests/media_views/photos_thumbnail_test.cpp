#include "media_views/photos_thumbnail.h"

#include "media/held_decoder.h"
#include "media/photos_thumbnail_cache.h"
#include "media_views/thumbnail_image.h"
#include "support/fake_photo_image_manager.h"
#include "support/fake_photo_library.h"
#include "view_screenshots.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::processEventsUntil;

QImage picture(int width, QColor colour) {
    QImage image(width, width, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class PhotosThumbnailTest : public ::testing::Test {
protected:
    test::FakePhotoLibrary library;
    test::FakePhotoImageManager manager;
    PhotosThumbnailCache cache;
    PhotosThumbnail view{cache};

    void SetUp() override {
        library.addAsset(QStringLiteral("pictures/a.jpg"));
        cache.setLibrary(&library);
        cache.setManager(&manager);
        view.resize(120, 120);
    }

    static PhotosThumbnailLoader::Request request(const QString& identifier, bool network = true) {
        return {identifier, 240, false, 0, network};
    }

    const ThumbnailImage& image() const { return *view.findChild<ThumbnailImage*>(); }
    QString failureText() const {
        const auto* label = view.findChild<QLabel*>(QStringLiteral("failure"));
        return label->isVisibleTo(&view) ? label->text() : QString();
    }
    void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
};

TEST_F(PhotosThumbnailTest, ProgressRedrawsInStepsAndTheFinalImageReplacesTheDegradedOne) {
    const QImage rough = picture(8, Qt::gray);
    const QImage sharp = picture(240, Qt::white);
    manager.scripts[QStringLiteral("pictures/a.jpg")] = {
        {0.1, 0.12, 0.2, 0.5, 0.53, 1.0},
        {{rough, true, false, std::nullopt}, {sharp, false, false, std::nullopt}}};
    view.setRequest(request(QStringLiteral("pictures/a.jpg")));
    view.show();
    ASSERT_EQ(manager.requests.size(), 1);

    QStringList shown;
    QObject::connect(&view.loader(), &PhotosThumbnailLoader::changed, &view, [&] {
        if (!view.progressText().isEmpty() &&
            (shown.isEmpty() || shown.last() != view.progressText())) {
            shown.append(view.progressText());
        }
    });
    QList<bool> degradedShown;
    QObject::connect(&view.loader(), &PhotosThumbnailLoader::changed, &view, [&] {
        degradedShown.append(image().isVisibleTo(&view) && image().image() == rough);
    });
    manager.play(manager.requests.first().id);
    ASSERT_TRUE(processEventsUntil([&] { return view.loader().result().settled; }));
    EXPECT_EQ(shown, (QStringList{QStringLiteral("iCloud 10%"), QStringLiteral("iCloud 20%"),
                                  QStringLiteral("iCloud 50%"), QStringLiteral("iCloud 100%")}));
    EXPECT_TRUE(degradedShown.contains(true));
    EXPECT_EQ(image().image(), sharp);
    EXPECT_TRUE(image().isVisibleTo(&view));
    EXPECT_EQ(view.progressText(), QString());  // gone with the final image
    EXPECT_TRUE(cache.images().find(view.loader().request().key()).has_value());
}

TEST_F(PhotosThumbnailTest, ADegradedImageStaysWhenTheFinalAnswerFails) {
    const QImage rough = picture(8, Qt::gray);
    manager.scripts[QStringLiteral("pictures/a.jpg")] = {
        {},
        {{rough, true, false, std::nullopt},
         {QImage(), false, false, Error(QStringLiteral("Photos"), 1, QStringLiteral("없음"))}}};
    view.setRequest(request(QStringLiteral("pictures/a.jpg")));
    view.show();
    manager.play(manager.requests.first().id);
    ASSERT_TRUE(processEventsUntil([&] { return view.loader().result().settled; }));
    EXPECT_EQ(image().image(), rough);
    EXPECT_TRUE(image().isVisibleTo(&view));
    EXPECT_EQ(failureText(), QString());
}

TEST_F(PhotosThumbnailTest, FailureTextFollowsTheNetworkSettingOfTheRequest) {
    view.setRequest(request(QStringLiteral("pictures/gone.jpg")));  // no such asset
    view.show();
    EXPECT_EQ(failureText(), QStringLiteral("미리보기를 불러올 수 없습니다"));
    EXPECT_TRUE(manager.requests.isEmpty());
    view.setRequest(request(QStringLiteral("pictures/gone.jpg"), false));
    EXPECT_EQ(failureText(), QStringLiteral("이 컴퓨터에 미리보기가 없습니다"));
    test::saveScreenshot(view, QStringLiteral("photos-thumbnail-failed"));
}

TEST_F(PhotosThumbnailTest, ALateAnswerOfACellScrolledAwayChangesNothing) {
    library.addAsset(QStringLiteral("pictures/b.jpg"));
    manager.scripts[QStringLiteral("pictures/a.jpg")] = {
        {0.5}, {{picture(240, Qt::red), false, false, std::nullopt}}};
    view.setRequest(request(QStringLiteral("pictures/a.jpg")));
    view.show();
    view.hide();  // scrolled away: cancelled
    EXPECT_EQ(manager.cancellations.size(), 1);
    view.setRequest(request(QStringLiteral("pictures/b.jpg")));
    view.show();
    manager.play(manager.requests.first().id);
    settle();
    EXPECT_TRUE(image().image().isNull());
    EXPECT_EQ(view.loader().request().identifier, QStringLiteral("pictures/b.jpg"));
    EXPECT_EQ(view.progressText(), QString());
    test::saveScreenshot(view, QStringLiteral("photos-thumbnail-waiting"));
}

}  // namespace
}  // namespace lumivex
