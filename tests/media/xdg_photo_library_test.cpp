#include "media/xdg_photo_library.h"

#include "media/photos_change_observer.h"
#include "platform/photo_consent_prompt.h"
#include "platform/user_defaults.h"
#include "support/fake_trash.h"
#include "support/futures.h"
#include "support/media_fixtures.h"
#include "support/test_files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPromise>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <memory>
#include <mutex>
#include <optional>

namespace lumivex {
namespace {

using test::makeDirectories;
using test::makeSymbolicLink;
using test::writeFile;
using test::writeJpeg;

// A consent question that waits for the test to answer it.
class HeldPrompt final : public PhotoConsentPrompt {
public:
    int asked = 0;
    std::shared_ptr<QPromise<PhotoConsentAnswer>> pending;

    QFuture<PhotoConsentAnswer> ask() override {
        ++asked;
        pending = std::make_shared<QPromise<PhotoConsentAnswer>>();
        pending->start();
        return pending->future();
    }
    void answer(PhotoConsentAnswer answer) {
        pending->addResult(answer);
        pending->finish();
    }
};

bool spinUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

QStringList identifiers(const QList<PhotoAsset>& assets) {
    QStringList found;
    for (const PhotoAsset& asset : assets) {
        found.append(asset.localIdentifier);
    }
    return found;
}

void photo(const QString& path, const char* taken) {
    writeJpeg(path, {.original = taken, .originalOffset = "+00:00"});
}

// The final answer to one image request, waited for.
PhotoImageDelivery imageOf(XdgPhotoLibrary& photos, const PhotoAsset& asset,
                           const PhotoImageRequest& request) {
    struct Answer {
        std::mutex mutex;
        std::optional<PhotoImageDelivery> delivery;
    };
    auto answer = std::make_shared<Answer>();
    photos.requestImage(asset, request,
                        [answer](const PhotoImageDelivery& delivery) {
                            std::lock_guard lock(answer->mutex);
                            answer->delivery = delivery;
                        },
                        {});
    EXPECT_TRUE(spinUntil([&] {
        std::lock_guard lock(answer->mutex);
        return answer->delivery.has_value();
    }));
    std::lock_guard lock(answer->mutex);
    return answer->delivery.value_or(PhotoImageDelivery{});
}

class XdgPhotoLibraryTest : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return temp.filePath(relative); }
    QList<PhotoRoot> roots() const {
        return {{QStringLiteral("pictures"), path(QStringLiteral("Pictures"))},
                {QStringLiteral("videos"), path(QStringLiteral("Videos"))}};
    }
    std::unique_ptr<XdgPhotoLibrary> library(PhotoConsentAnswer answer) {
        auto made = std::make_unique<XdgPhotoLibrary>(defaults, trash, roots());
        made->recordConsent(answer);
        return made;
    }
    QList<PhotoAsset> all(const XdgPhotoLibrary& photos) const {
        return photos.fetchAllAssets([] { return false; });
    }
    void makeLibrary() {
        photo(path(QStringLiteral("Pictures/old.jpg")), "2020:01:01 10:00:00");
        photo(path(QStringLiteral("Pictures/trip/new.jpg")), "2024:05:01 12:00:00");
        photo(path(QStringLiteral("Pictures/.hidden.jpg")), "2024:06:01 12:00:00");
        writeFile(path(QStringLiteral("Pictures/notes.txt")), "text");
        makeSymbolicLink(path(QStringLiteral("Pictures/old.jpg")),
                         path(QStringLiteral("Pictures/link.jpg")));
        test::writeVideo(path(QStringLiteral("Videos/clip.mp4")),
                         {.creationTime = "2022-03-04T05:06:07.000000Z"});
    }

    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("config/defaults.json"))};
    test::FakeTrash trash;
};

TEST_F(XdgPhotoLibraryTest, ConsentIsAskedOnceKeptAndReadBack) {
    XdgPhotoLibrary photos(defaults, trash, roots());
    EXPECT_EQ(photos.authorizationStatus(), PhotoAuthorizationStatus::restricted);
    makeDirectories(path(QStringLiteral("Videos")));
    EXPECT_EQ(photos.authorizationStatus(), PhotoAuthorizationStatus::notDetermined);
    EXPECT_EQ(test::waitFor(photos.requestAuthorization()),
              PhotoAuthorizationStatus::notDetermined);

    HeldPrompt prompt;
    photos.setConsentPrompt(&prompt);
    QFuture<PhotoAuthorizationStatus> first = photos.requestAuthorization();
    QFuture<PhotoAuthorizationStatus> second = photos.requestAuthorization();
    EXPECT_EQ(prompt.asked, 1);
    EXPECT_FALSE(first.isFinished());
    prompt.answer(PhotoConsentAnswer::picturesOnly);
    EXPECT_EQ(test::waitFor(first), PhotoAuthorizationStatus::limited);
    EXPECT_EQ(test::waitFor(second), PhotoAuthorizationStatus::limited);
    EXPECT_EQ(test::waitFor(photos.requestAuthorization()), PhotoAuthorizationStatus::limited);
    EXPECT_EQ(prompt.asked, 1);

    UserDefaults reread(defaults.filePath());
    EXPECT_EQ(XdgPhotoLibrary(reread, trash, roots()).authorizationStatus(),
              PhotoAuthorizationStatus::limited);
    photos.recordConsent(PhotoConsentAnswer::refuse);
    EXPECT_EQ(photos.authorizationStatus(), PhotoAuthorizationStatus::denied);
    photos.recordConsent(PhotoConsentAnswer::allowAll);
    EXPECT_EQ(photos.authorizationStatus(), PhotoAuthorizationStatus::authorized);
}

TEST_F(XdgPhotoLibraryTest, ADismissedQuestionLeavesTheStatusOpen) {
    makeDirectories(path(QStringLiteral("Pictures")));
    XdgPhotoLibrary photos(defaults, trash, roots());
    HeldPrompt prompt;
    photos.setConsentPrompt(&prompt);
    QFuture<PhotoAuthorizationStatus> dismissed = photos.requestAuthorization();
    prompt.pending->future().cancel();
    prompt.pending->finish();
    EXPECT_EQ(test::waitFor(dismissed), PhotoAuthorizationStatus::notDetermined);
    QFuture<PhotoAuthorizationStatus> unanswered = photos.requestAuthorization();
    prompt.pending->finish();
    EXPECT_EQ(test::waitFor(unanswered), PhotoAuthorizationStatus::notDetermined);
    EXPECT_EQ(prompt.asked, 2);
    EXPECT_FALSE(defaults.contains(XdgPhotoLibrary::consentKey));
}

TEST_F(XdgPhotoLibraryTest, WithoutAReadableFolderNothingIsAsked) {
    writeFile(path(QStringLiteral("Pictures")), "a file, not a folder");
    XdgPhotoLibrary photos(defaults, trash, roots());
    HeldPrompt prompt;
    photos.setConsentPrompt(&prompt);
    EXPECT_EQ(test::waitFor(photos.requestAuthorization()), PhotoAuthorizationStatus::restricted);
    EXPECT_EQ(prompt.asked, 0);
}

TEST_F(XdgPhotoLibraryTest, ListsVisibleMediaNewestFirstWithIdentifiersPerRoot) {
    makeLibrary();
    const QList<PhotoAsset> assets = all(*library(PhotoConsentAnswer::allowAll));
    EXPECT_EQ(identifiers(assets),
              (QStringList{QStringLiteral("pictures/trip/new.jpg"),
                           QStringLiteral("videos/clip.mp4"), QStringLiteral("pictures/old.jpg")}));
    EXPECT_EQ(assets[0].mediaType, PhotoMediaType::image);
    EXPECT_EQ(assets[0].creationDate, Date{1714564800.0});
    EXPECT_EQ(assets[0].resources,
              (QList<PhotoAssetResource>{{PhotoResourceType::photo, QStringLiteral("new.jpg")}}));
    EXPECT_TRUE(assets[0].canDelete);
    EXPECT_EQ(assets[0].duration, 0);
    EXPECT_EQ(assets[1].mediaType, PhotoMediaType::video);
    EXPECT_EQ(assets[1].creationDate, Date{1646370367.0});
    EXPECT_NEAR(assets[1].duration, 0.5, 0.11);
    EXPECT_EQ(assets[1].resources.first().type, PhotoResourceType::video);

    EXPECT_EQ(
        identifiers(all(*library(PhotoConsentAnswer::picturesOnly))),
        (QStringList{QStringLiteral("pictures/trip/new.jpg"), QStringLiteral("pictures/old.jpg")}));
    EXPECT_TRUE(all(*library(PhotoConsentAnswer::refuse)).isEmpty());
    EXPECT_TRUE(all(XdgPhotoLibrary(defaults, trash, {})).isEmpty());
}

TEST_F(XdgPhotoLibraryTest, ARootInsideAnotherBelongsToItselfAlone) {
    photo(path(QStringLiteral("Media/a.jpg")), "2020:01:01 10:00:00");
    photo(path(QStringLiteral("Media/Videos/b.jpg")), "2021:01:01 10:00:00");
    const QList<PhotoRoot> nested{{QStringLiteral("pictures"), path(QStringLiteral("Media"))},
                                  {QStringLiteral("videos"), path(QStringLiteral("Media/Videos"))}};
    XdgPhotoLibrary photos(defaults, trash, nested);
    photos.recordConsent(PhotoConsentAnswer::allowAll);
    EXPECT_EQ(identifiers(all(photos)),
              (QStringList{QStringLiteral("videos/b.jpg"), QStringLiteral("pictures/a.jpg")}));
    // Pictures only keeps the videos folder out, also where it lies inside the pictures folder.
    photos.recordConsent(PhotoConsentAnswer::picturesOnly);
    EXPECT_EQ(identifiers(all(photos)), QStringList{QStringLiteral("pictures/a.jpg")});
    EXPECT_TRUE(
        photos
            .fetchAssets({QStringLiteral("pictures/Videos/b.jpg"), QStringLiteral("videos/b.jpg")})
            .isEmpty());

    const QList<PhotoRoot> same{{QStringLiteral("pictures"), path(QStringLiteral("Media"))},
                                {QStringLiteral("videos"), path(QStringLiteral("Media/"))}};
    XdgPhotoLibrary shared(defaults, trash, same);
    shared.recordConsent(PhotoConsentAnswer::allowAll);
    EXPECT_EQ(identifiers(all(shared)), (QStringList{QStringLiteral("pictures/Videos/b.jpg"),
                                                     QStringLiteral("pictures/a.jpg")}));
    EXPECT_TRUE(shared.fetchAssets({QStringLiteral("videos/a.jpg")}).isEmpty());
}

TEST_F(XdgPhotoLibraryTest, OnlySoundIdentifiersOfVisibleFilesAreFetched) {
    makeLibrary();
    photo(path(QStringLiteral("outside.jpg")), "2020:01:01 10:00:00");
    makeSymbolicLink(path(QStringLiteral("Pictures/trip")), path(QStringLiteral("Pictures/alias")));
    auto photos = library(PhotoConsentAnswer::picturesOnly);
    EXPECT_EQ(
        identifiers(photos->fetchAssets(
            {QStringLiteral("pictures/old.jpg"), QStringLiteral("pictures/../outside.jpg"),
             QStringLiteral("pictures/.hidden.jpg"), QStringLiteral("pictures/link.jpg"),
             QStringLiteral("pictures/alias/new.jpg"), QStringLiteral("pictures/notes.txt"),
             QStringLiteral("pictures//old.jpg"), QStringLiteral("pictures/trip"),
             QStringLiteral("videos/clip.mp4"), QStringLiteral("old.jpg"),
             QStringLiteral("/pictures/old.jpg"), QStringLiteral("pictures/trip/new.jpg")})),
        (QStringList{QStringLiteral("pictures/old.jpg"), QStringLiteral("pictures/trip/new.jpg")}));
    const PhotoAsset old = photos->fetchAssets({QStringLiteral("pictures/old.jpg")}).first();
    EXPECT_EQ(old, all(*photos).last());
    EXPECT_EQ(photos->playerItemUrl(old),
              QUrl::fromLocalFile(path(QStringLiteral("Pictures/old.jpg"))));
    PhotoAsset clip;
    clip.localIdentifier = QStringLiteral("videos/clip.mp4");
    EXPECT_TRUE(photos->playerItemUrl(clip).isEmpty());
}

TEST_F(XdgPhotoLibraryTest, DatesAreReadAgainOnlyWhenSizeOrTimeChange) {
    const QString file = path(QStringLiteral("Pictures/a.jpg"));
    photo(file, "2020:01:01 10:00:00");
    auto photos = library(PhotoConsentAnswer::allowAll);
    ASSERT_EQ(all(*photos).first().creationDate, Date{1577872800.0});

    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
    photo(file, "2021:01:01 10:00:00");
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    EXPECT_EQ(all(*photos).first().creationDate, Date{1577872800.0});

    const struct timespec later[2] = {{before.st_mtim.tv_sec + 5, 0},
                                      {before.st_mtim.tv_sec + 5, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), later, 0), 0);
    EXPECT_EQ(all(*photos).first().creationDate, Date{1609495200.0});
}

TEST_F(XdgPhotoLibraryTest, CancellationStopsTheListing) {
    makeLibrary();
    auto photos = library(PhotoConsentAnswer::allowAll);
    EXPECT_TRUE(photos->fetchAllAssets([] { return true; }).isEmpty());
}

TEST_F(XdgPhotoLibraryTest, DeletionIsAllOrNothing) {
    makeLibrary();
    auto photos = library(PhotoConsentAnswer::allowAll);
    const QList<PhotoAsset> assets = all(*photos);
    trash.refusedNames = {QStringLiteral("clip.mp4")};
    trash.reportedError = Error(QStringLiteral("Lumivex.Trash"), 1, QStringLiteral("refused"));
    const PhotoChangeOutcome refused = test::waitFor(photos->deleteAssets(assets));
    EXPECT_EQ(refused.status, PhotoChangeOutcome::Status::failed);
    EXPECT_EQ(refused.error->description(), QStringLiteral("refused"));
    EXPECT_EQ(trash.putBacks, (QList<QString>{path(QStringLiteral("Pictures/old.jpg")),
                                              path(QStringLiteral("Pictures/trip/new.jpg"))}));

    trash.unreturnableNames = {QStringLiteral("new.jpg")};
    const PhotoChangeOutcome stranded = test::waitFor(photos->deleteAssets(assets));
    EXPECT_EQ(stranded.error->description(),
              QStringLiteral("refused\n휴지통에 남은 파일: new.jpg"));

    trash.refusedNames.clear();
    trash.calls.clear();
    const PhotoChangeOutcome done = test::waitFor(photos->deleteAssets({assets[0], assets[0]}));
    EXPECT_EQ(done.status, PhotoChangeOutcome::Status::succeeded);
    EXPECT_EQ(trash.calls, QList<QStringList>{{path(QStringLiteral("Pictures/trip/new.jpg"))}});
}

TEST_F(XdgPhotoLibraryTest, AnAssetOutsideTheAnswerIsNotDeleted) {
    makeLibrary();
    const QList<PhotoAsset> assets = all(*library(PhotoConsentAnswer::allowAll));
    auto photos = library(PhotoConsentAnswer::picturesOnly);
    const PhotoChangeOutcome outcome = test::waitFor(photos->deleteAssets(assets));
    EXPECT_EQ(outcome.status, PhotoChangeOutcome::Status::failed);
    EXPECT_EQ(outcome.error->description(),
              QStringLiteral("‘clip.mp4’ 항목을 사진 보관함에서 찾을 수 없습니다."));
    EXPECT_TRUE(trash.calls.isEmpty());
}

TEST_F(XdgPhotoLibraryTest, ChangesOfVisibleFoldersReachTheObserver) {
    makeLibrary();
    auto photos = library(PhotoConsentAnswer::picturesOnly);
    PhotosChangeObserver observer(*photos);
    int calls = 0;
    observer.onChange = [&] { ++calls; };
    writeFile(path(QStringLiteral("Pictures/trip/more.jpg")), test::plainJpeg());
    EXPECT_TRUE(spinUntil([&] { return calls >= 1; }));

    photos->recordConsent(PhotoConsentAnswer::allowAll);
    const int before = calls;
    writeFile(path(QStringLiteral("Videos/more.mp4")), "x");
    EXPECT_TRUE(spinUntil([&] { return calls > before; }));
}

TEST_F(XdgPhotoLibraryTest, ImagesAreDecodedAtTheRequestedSizeOffTheMainThread) {
    writeFile(path(QStringLiteral("Pictures/a.jpg")), test::plainJpeg());
    auto photos = library(PhotoConsentAnswer::allowAll);
    const PhotoAsset asset = all(*photos).first();
    std::mutex mutex;
    QList<PhotoImageDelivery> deliveries;
    bool offMain = true;
    const auto collect = [&](const PhotoImageDelivery& delivery) {
        std::lock_guard lock(mutex);
        deliveries.append(delivery);
        offMain = offMain && QThread::currentThread() != qApp->thread();
    };
    photos->requestImage(asset, {8, true, false}, collect, {});
    PhotoAsset missing = asset;
    missing.localIdentifier = QStringLiteral("pictures/missing.jpg");
    photos->requestImage(missing, {8, true, false}, collect, {});
    EXPECT_TRUE(spinUntil([&] {
        std::lock_guard lock(mutex);
        return deliveries.size() == 2;
    }));
    std::lock_guard lock(mutex);
    EXPECT_TRUE(offMain);
    int decoded = 0;
    for (const PhotoImageDelivery& delivery : deliveries) {
        EXPECT_FALSE(delivery.degraded);
        if (!delivery.image.isNull()) {
            ++decoded;
            EXPECT_EQ(delivery.image.size(), QSize(8, 8));
            EXPECT_FALSE(delivery.error);
        } else {
            EXPECT_TRUE(delivery.error);
        }
    }
    EXPECT_EQ(decoded, 1);
}

// The preview's picture is not queued behind the thumbnails a grid of the library asked for: asked
// last, it comes among the first few answers instead of last (each request as costly as the next).
TEST_F(XdgPhotoLibraryTest, AFirstRequestIsAnsweredBeforeTheQueuedThumbnails) {
    makeDirectories(path(QStringLiteral("Pictures")));
    ASSERT_TRUE(
        test::photoLikeImage({2400, 1600}, 3).save(path(QStringLiteral("Pictures/big.jpg"))));
    auto photos = library(PhotoConsentAnswer::allowAll);
    const PhotoAsset asset = all(*photos).first();
    std::mutex mutex;
    QList<int> answered;
    const auto collect = [&](const PhotoImageDelivery& delivery) {
        std::lock_guard lock(mutex);
        answered.append(delivery.image.width());
    };
    constexpr int queued = 48;
    for (int index = 1; index <= queued; ++index) {
        photos->requestImage(asset, {200 + index, true, false}, collect, {});
    }
    photos->requestImage(asset, {200, true, false, true}, collect, {});
    EXPECT_TRUE(spinUntil([&] {
        std::lock_guard lock(mutex);
        return answered.size() == queued + 1;
    }));
    std::lock_guard lock(mutex);
    EXPECT_LT(answered.indexOf(200), queued / 2);
}

TEST_F(XdgPhotoLibraryTest, VideosGiveAFrameThatFitsOrFillsTheBox) {
    test::writeVideo(path(QStringLiteral("Videos/wide.mp4")),
                     {.frames = 4, .width = 96, .height = 48});
    writeFile(path(QStringLiteral("Pictures/wide.png")),
              test::encodeImage(QImage(96, 48, QImage::Format_RGB32), "png"));
    auto photos = library(PhotoConsentAnswer::allowAll);
    const QList<PhotoAsset> assets = photos->fetchAssets(
        {QStringLiteral("videos/wide.mp4"), QStringLiteral("pictures/wide.png")});
    ASSERT_EQ(assets.size(), 2);
    ASSERT_EQ(assets[0].mediaType, PhotoMediaType::video);
    for (const PhotoAsset& asset : assets) {
        const PhotoImageDelivery fitted = imageOf(*photos, asset, {32, true, false});
        EXPECT_EQ(fitted.image.size(), QSize(32, 16)) << asset.localIdentifier.toStdString();
        EXPECT_FALSE(fitted.error);
        EXPECT_FALSE(fitted.degraded);
        const PhotoImageDelivery filled = imageOf(*photos, asset, {32, false, false});
        EXPECT_EQ(filled.image.size(), QSize(64, 32)) << asset.localIdentifier.toStdString();
        EXPECT_EQ(imageOf(*photos, asset, {48, false, false}).image.size(), QSize(96, 48));
    }
}

TEST(XdgPhotoLibraryRoots, TheUsersFoldersWithoutTheHomeFolder) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    writeFile(home.filePath(QStringLiteral(".config/user-dirs.dirs")),
              "XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_VIDEOS_DIR=\"$HOME/\"\n");
    const QList<PhotoRoot> roots = XdgPhotoLibrary::standardRoots();
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    EXPECT_EQ(
        roots,
        (QList<PhotoRoot>{{QStringLiteral("pictures"), home.filePath(QStringLiteral("Bilder"))}}));
}

}  // namespace
}  // namespace lumivex
