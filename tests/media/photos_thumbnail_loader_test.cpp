#include "media/photos_thumbnail_loader.h"

#include "held_decoder.h"
#include "media/photos_thumbnail_cache.h"
#include "support/fake_photo_image_manager.h"
#include "support/fake_photo_library.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::FakePhotoImageManager;
using test::processEventsUntil;

QImage picture(int width, QColor colour) {
    QImage image(width, width, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

PhotoImageDelivery degraded(const QImage& image) {
    return {image, true, false, std::nullopt};
}
PhotoImageDelivery final(const QImage& image) {
    return {image, false, false, std::nullopt};
}
PhotoImageDelivery failure(const QImage& image = {}) {
    return {image, false, false, Error(QStringLiteral("Photos"), 1, QStringLiteral("없음"))};
}

TEST(PhotosThumbnailResult, FoldsDegradedFinalFailedAndCancelledAnswers) {
    const QImage rough = picture(4, Qt::gray);
    const QImage sharp = picture(8, Qt::white);

    PhotosThumbnailResult result;
    EXPECT_FALSE(result.receive(degraded(rough)));
    EXPECT_EQ(result.image, rough);
    EXPECT_FALSE(result.receive(degraded(picture(5, Qt::black))));  // never replaces an image
    EXPECT_EQ(result.image, rough);
    EXPECT_TRUE(result.receive(final(sharp)));
    EXPECT_EQ(result.image, sharp);
    EXPECT_TRUE(result.settled);
    EXPECT_FALSE(result.receive(degraded(rough)));  // late: ignored
    EXPECT_EQ(result.image, sharp);

    PhotosThumbnailResult kept;
    kept.receive(degraded(rough));
    EXPECT_FALSE(kept.receive(failure(sharp)));  // an image with an error is not taken
    EXPECT_EQ(kept.image, rough);
    EXPECT_FALSE(kept.failed);
    EXPECT_TRUE(kept.settled);

    PhotosThumbnailResult failed;
    EXPECT_FALSE(failed.receive(final(QImage())));
    EXPECT_TRUE(failed.failed);
    EXPECT_TRUE(failed.settled);

    PhotosThumbnailResult cancelled;
    EXPECT_FALSE(cancelled.receive({sharp, false, true, std::nullopt}));
    EXPECT_EQ(cancelled.image, QImage());
    EXPECT_FALSE(cancelled.settled);
    EXPECT_FALSE(cancelled.failed);
}

TEST(PhotosThumbnailLoaderKey, JoinsTheRequestFieldsWithNul) {
    const QChar nul(u'\0');
    PhotosThumbnailLoader::Request request{QStringLiteral("P/1"), 360, false, 0.0, true};
    EXPECT_EQ(request.key(), QStringLiteral("P/1") + nul + QStringLiteral("0.0") + nul +
                                 QStringLiteral("360") + nul + QStringLiteral("false") + nul +
                                 QStringLiteral("true") + nul + QStringLiteral("sharp"));
    request.allowListDownloads = false;
    EXPECT_TRUE(request.key().endsWith(QStringLiteral("false") + nul + QStringLiteral("sharp")));
    request.fit = true;  // a fitted image may always download
    EXPECT_TRUE(request.allowsNetwork());
    EXPECT_TRUE(request.key().endsWith(QStringLiteral("true") + nul + QStringLiteral("sharp")));
    request.revision = 1700000000.25;
    EXPECT_TRUE(request.key().contains(nul + QStringLiteral("1700000000.25") + nul));
}

class PhotosThumbnailLoaderTest : public ::testing::Test {
protected:
    PhotosThumbnailLoaderTest() {
        photos_.addAsset(QStringLiteral("P/1"));
        photos_.addAsset(QStringLiteral("P/2"));
        cache_.setLibrary(&photos_);
        cache_.setManager(&manager_);
        // Records the whole percentage a view would show after each change.
        QObject::connect(&loader_, &PhotosThumbnailLoader::changed, [this] {
            if (!loader_.progress()) {
                return;
            }
            const int percent = static_cast<int>(*loader_.progress() * 100);
            if (progressShown_.isEmpty() || progressShown_.last() != percent) {
                progressShown_.append(percent);
            }
        });
    }

    static PhotosThumbnailLoader::Request request(const QString& identifier, int size = 360,
                                                  bool fit = false, bool downloads = true) {
        return {identifier, size, fit, 0.0, downloads};
    }

    // Plays a request's script and lets its answers reach the main thread.
    void play(PhotoImageRequestId id) {
        manager_.play(id);
        QCoreApplication::processEvents();
    }

    test::FakePhotoLibrary photos_;
    FakePhotoImageManager manager_;
    PhotosThumbnailCache cache_;
    PhotosThumbnailLoader loader_{cache_};
    QList<int> progressShown_;
};

TEST_F(PhotosThumbnailLoaderTest, ShowsTheDegradedImageThenCachesOnlyTheFinalOne) {
    const QImage rough = picture(90, Qt::gray);
    const QImage sharp = picture(360, Qt::white);
    manager_.scripts[QStringLiteral("P/1")] = {{}, {degraded(rough), final(sharp)}};
    loader_.load(request(QStringLiteral("P/1")));
    ASSERT_EQ(manager_.requests.size(), 1);
    EXPECT_EQ(manager_.requests[0].request, (PhotoImageRequest{360, false, true}));
    EXPECT_TRUE(loader_.result().image.isNull());

    manager_.requests[0].onResult(degraded(rough));
    QCoreApplication::processEvents();
    EXPECT_EQ(loader_.result().image, rough);
    EXPECT_EQ(cache_.images().count(), 0);

    manager_.requests[0].onResult(final(sharp));
    QCoreApplication::processEvents();
    EXPECT_EQ(loader_.result().image, sharp);
    EXPECT_EQ(cache_.images().count(), 1);
    EXPECT_EQ(cache_.images().totalCost(), 360 * 360 * 4);

    // Shown again straight from the cache, without asking the manager.
    PhotosThumbnailLoader again(cache_);
    again.load(request(QStringLiteral("P/1")));
    EXPECT_EQ(again.result().image, sharp);
    EXPECT_TRUE(again.result().settled);
    EXPECT_EQ(manager_.requests.size(), 1);
}

TEST_F(PhotosThumbnailLoaderTest, ADegradedImageSurvivesAFinalError) {
    manager_.scripts[QStringLiteral("P/1")] = {{}, {degraded(picture(90, Qt::gray)), failure()}};
    loader_.load(request(QStringLiteral("P/1")));
    play(manager_.requests[0].id);
    EXPECT_FALSE(loader_.result().image.isNull());
    EXPECT_FALSE(loader_.result().failed);
    EXPECT_EQ(cache_.images().count(), 0);
}

TEST_F(PhotosThumbnailLoaderTest, ThinsProgressToStepsOfFiveHundredths) {
    manager_.scripts[QStringLiteral("P/1")] = {{0.1, 0.12, 0.2, 0.5, 0.53, 1.0},
                                               {final(picture(360, Qt::white))}};
    loader_.load(request(QStringLiteral("P/1")));
    for (const double value : manager_.scripts[QStringLiteral("P/1")].progress) {
        manager_.requests[0].onProgress(value);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(progressShown_, QList<int>({10, 20, 50, 100}));
    EXPECT_EQ(loader_.progress(), 1.0);

    manager_.requests[0].onResult(final(picture(360, Qt::white)));
    QCoreApplication::processEvents();
    EXPECT_FALSE(loader_.progress().has_value());  // the percentage goes with the final image
}

TEST_F(PhotosThumbnailLoaderTest, AMissingAssetFailsWithoutARequest) {
    loader_.load(request(QStringLiteral("gone")));
    EXPECT_TRUE(loader_.result().failed);
    EXPECT_TRUE(manager_.requests.isEmpty());
}

TEST_F(PhotosThumbnailLoaderTest, ListDownloadsOffAskWithoutNetworkAccess) {
    loader_.load(request(QStringLiteral("P/1"), 240, false, false));
    loader_.load(request(QStringLiteral("P/1"), 600, true, false));
    ASSERT_EQ(manager_.requests.size(), 2);
    EXPECT_FALSE(manager_.requests[0].request.allowNetwork);
    EXPECT_TRUE(manager_.requests[1].request.allowNetwork);
    EXPECT_EQ(manager_.cancellations, QList<PhotoImageRequestId>{manager_.requests[0].id});
}

// The preview's request goes first at the manager, and shares the grid's cached image all the
// same: going first changes when the picture comes, not which.
TEST_F(PhotosThumbnailLoaderTest, AFirstRequestSaysSoAndKeepsItsKey) {
    PhotosThumbnailLoader::Request first = request(QStringLiteral("P/1"), 1200, true);
    first.first = true;
    EXPECT_EQ(first.key(), request(QStringLiteral("P/1"), 1200, true).key());
    loader_.load(first);
    ASSERT_EQ(manager_.requests.size(), 1);
    EXPECT_EQ(manager_.requests[0].request, (PhotoImageRequest{1200, true, true, true}));
}

TEST_F(PhotosThumbnailLoaderTest, LateAnswersOfAnOlderRequestAreDropped) {
    manager_.scripts[QStringLiteral("P/1")] = {{0.5}, {final(picture(360, Qt::red))}};
    loader_.load(request(QStringLiteral("P/1")));
    const PhotoImageRequestId first = manager_.requests[0].id;
    loader_.load(request(QStringLiteral("P/2")));  // the cell now shows another asset
    play(first);

    EXPECT_EQ(manager_.cancellations, QList<PhotoImageRequestId>{first});
    EXPECT_TRUE(loader_.result().image.isNull());
    EXPECT_FALSE(loader_.result().failed);
    EXPECT_FALSE(loader_.progress().has_value());
    EXPECT_EQ(cache_.images().count(), 0);

    loader_.unload();  // leaving the screen cancels the second request too
    EXPECT_EQ(manager_.cancellations.size(), 2);
}

TEST_F(PhotosThumbnailLoaderTest, AnswersOnAnotherThreadReachTheMainThread) {
    loader_.load(request(QStringLiteral("P/1")));
    const auto handler = manager_.requests[0].onResult;
    std::thread elsewhere([handler] { handler(final(picture(360, Qt::white))); });
    elsewhere.join();
    ASSERT_TRUE(processEventsUntil([&] { return loader_.result().settled; }));
    EXPECT_FALSE(loader_.result().image.isNull());
}

}  // namespace
}  // namespace lumivex
