#include "media/photos_thumbnail_cache.h"
#include "media/qt_video_player.h"
#include "media/thumbnail_cache.h"
#include "media/thumbnail_decoder.h"
#include "media_views/media_thumbnail.h"
#include "media_views/thumbnail_image.h"
#include "media_views/video_player_session.h"
#include "media_views/view_screenshots.h"
#include "panels/preview_view.h"
#include "platform/error.h"
#include "platform/lumivex_settings.h"
#include "platform/user_defaults.h"
#include "support/event_loop.h"
#include "support/fake_photo_library.h"
#include "support/fake_video_player.h"
#include "support/media_fixtures.h"
#include "support/video_encoding.h"

#include <gtest/gtest.h>

#include <QImageReader>
#include <QPromise>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <mutex>

namespace lumivex {
namespace {

using State = PreviewView::VideoState;

TEST(PreviewViewTexts, ProgressIsClampedAndTruncatedAndTheHintUsesTheSkipRule) {
    const QString label = QStringLiteral("호환 재생용 영상 준비 중");
    EXPECT_EQ(PreviewView::progressText(label, 1.3), label + QStringLiteral(" · 100%"));
    EXPECT_EQ(PreviewView::progressText(label, -0.2), label + QStringLiteral(" · 0%"));
    EXPECT_EQ(PreviewView::progressText(label, 0.999), label + QStringLiteral(" · 99%"));
    EXPECT_EQ(PreviewView::progressText(label, std::numeric_limits<double>::quiet_NaN()),
              label + QStringLiteral(" · 0%"));
    EXPECT_EQ(PreviewView::progressText(label, std::nullopt), label);
    EXPECT_EQ(PreviewView::videoHint(0), QStringLiteral("←/→ 5초 · ↑/↓ 음량 · Space 재생"));
    EXPECT_EQ(PreviewView::videoHint(-1), QStringLiteral("←/→ 5초 · ↑/↓ 음량 · Space 재생"));
    EXPECT_EQ(PreviewView::videoHint(3601), QStringLiteral("←/→ 5초 · ↑/↓ 음량 · Space 재생"));
    EXPECT_EQ(PreviewView::videoHint(3600), QStringLiteral("←/→ 3600초 · ↑/↓ 음량 · Space 재생"));
}

class PreviewPaneTest : public ::testing::Test {
protected:
    PreviewPaneTest() {
        services.folders = &folders;
        services.photos = &PhotosThumbnailCache::shared();
        services.defaults = &defaults;
        services.library = &library;
        services.session = &session;
        services.makePlayer = [this](const QUrl& url) -> std::unique_ptr<VideoPlayer> {
            played.append(url);
            return std::make_unique<test::FakeVideoPlayer>();
        };
        services.prepareVideo = [this](const QString& path,
                                       VideoCompatibility::ProgressHandler progress) {
            prepared.append(path);
            progressHandlers.append(std::move(progress));
            promises.push_back(std::make_unique<QPromise<QString>>());
            promises.back()->start();
            return promises.back()->future();
        };
        services.openFile = [this](const QString& path) { opened.append(path); };
    }

    static MediaItem item(const QString& filename, MediaKind kind, std::int64_t rating = 0) {
        MediaItem made;
        made.id = QUuid::createUuid();
        made.filename = filename;
        made.fileIdentity = QStringLiteral("64769:1:0.0");
        made.kind = kind;
        made.rating = rating;
        return made;
    }

    std::unique_ptr<PreviewView> open(const MediaItem& shown, QSize size = {850, 620}) {
        auto pane = std::make_unique<PreviewView>(shown, temp.filePath(shown.filename), services,
                                                  [this] { ++closed; });
        pane->resize(size);
        pane->show();
        return pane;
    }

    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("defaults.json"))};
    ThumbnailCache folders;
    test::FakePhotoLibrary library;
    VideoPlayerSession session{defaults};
    PreviewServices services;
    QList<QUrl> played;
    QStringList prepared;
    QStringList opened;
    QList<VideoCompatibility::ProgressHandler> progressHandlers;
    std::vector<std::unique_ptr<QPromise<QString>>> promises;
    int closed = 0;
};

TEST_F(PreviewPaneTest, AFolderVideoShowsItsProgressThenPlays) {
    auto pane = open(item(QStringLiteral("clips/a.mp4"), MediaKind::video, 3));
    EXPECT_EQ(pane->ratingText(), QStringLiteral("\u2605 3"));
    EXPECT_EQ(pane->hintText(), QStringLiteral("←/→ 5초 · ↑/↓ 음량 · Space 재생"));
    LumivexSettings(defaults).setVideoSkipSeconds(30);
    EXPECT_EQ(pane->hintText(), QStringLiteral("←/→ 30초 · ↑/↓ 음량 · Space 재생"));
    ASSERT_EQ(prepared.size(), 1);
    EXPECT_EQ(pane->videoState(), State::preparing);
    EXPECT_EQ(pane->statusText(), QStringLiteral("영상을 준비하는 중…"));
    progressHandlers[0](0.5);
    EXPECT_EQ(pane->statusText(), QStringLiteral("호환 재생용 영상 준비 중 · 50%"));
    promises[0]->addResult(temp.filePath(QStringLiteral("copy.mp4")));
    promises[0]->finish();
    test::runEventsUntil([&] { return pane->videoState() == State::playing; }, "playback");
    EXPECT_EQ(played, QList<QUrl>{QUrl::fromLocalFile(temp.filePath(QStringLiteral("copy.mp4")))});
    EXPECT_EQ(pane->player()->rate(), 1.0f);

    pane->openButton()->click();
    EXPECT_EQ(opened, QStringList{temp.filePath(QStringLiteral("clips/a.mp4"))});
    pane->closeButton()->click();
    EXPECT_EQ(closed, 1);
}

TEST_F(PreviewPaneTest, LateResultsOfAClosedPaneOrAnEarlierLoadChangeNothing) {
    auto pane = open(item(QStringLiteral("a.mp4"), MediaKind::video));
    ASSERT_EQ(promises.size(), 1u);
    pane->hide();  // the window closed the preview
    EXPECT_TRUE(promises[0]->future().isCanceled());
    progressHandlers[0](0.7);
    promises[0]->addResult(QStringLiteral("/late.mp4"));
    promises[0]->finish();
    QTest::qWait(0);
    EXPECT_TRUE(played.isEmpty());
    EXPECT_EQ(pane->statusText(), QStringLiteral("영상을 준비하는 중…"));

    // A failure names itself and offers another try, which starts a new load; the failure's
    // late twin of the first load is dropped.
    auto second = open(item(QStringLiteral("b.mp4"), MediaKind::video));
    ASSERT_EQ(promises.size(), 2u);
    promises[1]->setException(std::make_exception_ptr(
        Error(QStringLiteral("Lumivex.Video"), 1, QStringLiteral("변환 실패"))));
    promises[1]->finish();
    test::runEventsUntil([&] { return second->videoState() == State::failed; }, "failure");
    EXPECT_EQ(second->errorText(), QStringLiteral("변환 실패"));
    EXPECT_TRUE(second->retryButton()->isVisible());
    second->retryButton()->click();
    ASSERT_EQ(promises.size(), 3u);
    EXPECT_EQ(second->videoState(), State::preparing);
    EXPECT_FALSE(second->retryButton()->isVisible());
}

TEST_F(PreviewPaneTest, APhotoLibraryVideoThatIsGoneFailsWithoutARequest) {
    MediaItem gone = item(QStringLiteral("clip.mov"), MediaKind::video);
    gone.fileIdentity = QStringLiteral("photos:videos/clip.mov");
    auto pane = open(gone);
    EXPECT_EQ(pane->videoState(), State::failed);
    EXPECT_EQ(pane->errorText(),
              QStringLiteral("영상을 찾을 수 없습니다. 목록을 새로고침한 뒤 다시 시도해주세요."));
    EXPECT_EQ(pane->openButton(), nullptr);
    EXPECT_TRUE(prepared.isEmpty());

    library.addAsset(QStringLiteral("videos/clip.mov"), true, PhotoMediaType::video);
    library.playerFiles[QStringLiteral("videos/clip.mov")] = QStringLiteral("/p/clip.mov");
    pane->retryButton()->click();
    EXPECT_EQ(pane->videoState(), State::playing);
    EXPECT_EQ(played, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/p/clip.mov"))});
}

// A player that reports an error, or shows no picture in the session's allowance, leaves the
// pane failed with another try, never a black picture; one that shows its picture in time plays on.
TEST_F(PreviewPaneTest, APlayerThatFailsOrShowsNothingFailsThePaneWithAnotherTry) {
    VideoPlayerSession quick{defaults, {}, 0};  // the allowance ends at the loop's next turn
    services.session = &quick;
    MediaItem clip = item(QStringLiteral("clip.mov"), MediaKind::video);
    clip.fileIdentity = QStringLiteral("photos:videos/clip.mov");
    library.addAsset(QStringLiteral("videos/clip.mov"), true, PhotoMediaType::video);
    library.playerFiles[QStringLiteral("videos/clip.mov")] = QStringLiteral("/p/clip.mov");
    auto pane = open(clip);
    ASSERT_EQ(pane->videoState(), State::playing);
    Q_EMIT pane->player()->firstFrameShown();
    QTest::qWait(0);
    EXPECT_EQ(pane->videoState(), State::playing);

    Q_EMIT pane->player()->playbackFailed(QStringLiteral("Internal data stream error."));
    test::runEventsUntil([&] { return pane->videoState() == State::failed; }, "the error");
    const QString message = QStringLiteral("영상을 재생하지 못했습니다. 다시 시도해주세요.");
    EXPECT_EQ(pane->errorText(), message);
    EXPECT_TRUE(pane->retryButton()->isVisible());

    pane->retryButton()->click();
    EXPECT_EQ(pane->videoState(), State::playing);
    test::runEventsUntil([&] { return pane->videoState() == State::failed; }, "the silence");
    EXPECT_EQ(pane->errorText(), message);
    EXPECT_EQ(played.size(), 2);
}

TEST_F(PreviewPaneTest, APhotoIsDecodedAtThePanesSizeNeverLarger) {
    const QString path = temp.filePath(QStringLiteral("big.jpg"));
    test::writeJpeg(path, {});
    MediaItem photo = item(QStringLiteral("big.jpg"), MediaKind::photo);
    auto pane = open(photo, {500, 400});
    EXPECT_EQ(pane->videoState(), State::none);
    EXPECT_EQ(pane->hintText(), QString());
    EXPECT_EQ(pane->ratingText(), QStringLiteral("\u2606 \u2013"));
    EXPECT_GT(pane->requestedPhotoSize(), 0);
    EXPECT_LE(pane->requestedPhotoSize(), 460);  // the pane less its margins
    const int first = pane->requestedPhotoSize();
    pane->resize(400, 300);  // smaller: nothing new is decoded
    EXPECT_EQ(pane->requestedPhotoSize(), first);
    pane->resize(900, 700);
    EXPECT_GT(pane->requestedPhotoSize(), first);
    EXPECT_LE(pane->requestedPhotoSize(), 860);
    photo.rating = 4;
    pane->setItem(photo);
    EXPECT_EQ(pane->ratingText(), QStringLiteral("\u2605 4"));
}

// The pane shows exactly what a bare reader scaled to the pane's picture gives, made by one decode
// at that size: the whole picture is never decoded for a smaller pane.
TEST_F(PreviewPaneTest, APhotoIsTheBareScaledDecodeFromOneReducedDecode) {
    const QString path = temp.filePath(QStringLiteral("wide.jpg"));
    const QSize full(3000, 2000);
    ASSERT_TRUE(test::photoLikeImage(full, 7).save(path, "jpeg", 90));
    std::mutex lock;
    QList<int> asked;
    ThumbnailCache recording(
        [&](const ThumbnailSource& source, const std::atomic<bool>& cancelled) {
            {
                const std::scoped_lock held(lock);
                asked.append(source.size);
            }
            return ThumbnailDecoder::decode(source, cancelled);
        });
    services.folders = &recording;
    auto pane = open(item(QStringLiteral("wide.jpg"), MediaKind::photo), {1240, 800});
    test::runEventsUntil([&] { return pane->thumbnail()->layer() == MediaThumbnail::Layer::image; },
                         "the photo");
    const int side = pane->requestedPhotoSize();
    {
        const std::scoped_lock held(lock);
        EXPECT_EQ(asked, QList<int>{side});
    }
    EXPECT_LT(side, full.width());

    QImageReader reader(path);
    reader.setAutoTransform(true);
    reader.setScaledSize(full.scaled(side, side, Qt::KeepAspectRatio));
    const QImage bare = reader.read();
    const QImage shown = pane->thumbnail()->image().image();
    EXPECT_EQ(shown.size(), bare.size());
    EXPECT_EQ(shown.format(), bare.format());
    EXPECT_TRUE(shown == bare);
}

// An AV1 clip encoded here plays through its MPEG-4 copy in Qt's own player.
TEST_F(PreviewPaneTest, ARealAV1ClipPlaysThroughItsCopy) {
    const QString clip = temp.filePath(QStringLiteral("av1.mp4"));
    test::writeEncodedClip(clip, {test::PictureCodec::av1, 64, 64, 20, 10});
    const QString cache = temp.filePath(QStringLiteral("cache"));
    QStringList statuses;
    services.prepareVideo = [&](const QString& path, VideoCompatibility::ProgressHandler progress) {
        return VideoCompatibility::playbackURL(path, cache, std::move(progress));
    };
    services.makePlayer = [](const QUrl& url) -> std::unique_ptr<VideoPlayer> {
        auto player = std::make_unique<QtVideoPlayer>();
        player->setSource(url);
        return player;
    };
    MediaItem video = item(QStringLiteral("av1.mp4"), MediaKind::video);
    auto pane = open(video);
    statuses.append(pane->statusText());
    test::runEventsUntil(
        [&] {
            if (!pane->statusText().isEmpty() && statuses.last() != pane->statusText()) {
                statuses.append(pane->statusText());
            }
            return pane->videoState() != State::preparing;
        },
        "the copy");
    ASSERT_EQ(pane->videoState(), State::playing) << pane->errorText().toStdString();
    EXPECT_EQ(statuses.first(), QStringLiteral("영상을 준비하는 중…"));
    for (const QString& status : statuses.mid(1)) {
        EXPECT_TRUE(status.startsWith(QStringLiteral("호환 재생용 영상 준비 중 · ")))
            << status.toStdString();
    }
    test::runEventsUntil([&] { return pane->player()->isReadyToPlay(); }, "the player");
    test::saveScreenshot(*pane, QStringLiteral("preview_pane_video"));
}

}  // namespace
}  // namespace lumivex
