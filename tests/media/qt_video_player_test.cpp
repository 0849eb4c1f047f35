#include "media/qt_video_player.h"

#include "media/video_seek_controller.h"
#include "support/video_encoding.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

// Runs the event loop until `condition` holds or ten seconds have passed.
template <typename Condition>
bool eventually(Condition condition) {
    QDeadlineTimer deadline(10'000);
    while (!condition() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

TEST(QtVideoPlayerTest, PlaysAnEncodedClipAndSeeksInIt) {
    QTemporaryDir folder;
    const QString clip = folder.filePath(QStringLiteral("clip.mp4"));
    test::writeEncodedClip(
        clip,
        {.picture = test::PictureCodec::h264, .frames = 30, .framesPerSecond = 10, .sound = true});
    QtVideoPlayer player;
    EXPECT_EQ(player.currentItem(), 0u);
    EXPECT_FALSE(player.isReadyToPlay());
    player.setSource(QUrl::fromLocalFile(clip));
    EXPECT_NE(player.currentItem(), 0u);
    ASSERT_TRUE(eventually([&] { return player.isReadyToPlay() && player.duration(); }))
        << "status " << player.mediaPlayer()->mediaStatus() << ", error "
        << player.mediaPlayer()->errorString().toStdString();
    EXPECT_NEAR(*player.duration(), 3.0, 0.2);

    VideoSeekController controller(&player);
    ASSERT_TRUE(controller.skip(2));
    ASSERT_TRUE(eventually([&] { return !controller.target(); }));
    EXPECT_NEAR(player.currentTime(), 2.0, 0.2);

    player.setVolume(0.5f);
    player.setMuted(true);
    EXPECT_EQ(player.volume(), 0.5f);
    EXPECT_TRUE(player.isMuted());
    player.setSource(QUrl());
    EXPECT_EQ(player.currentItem(), 0u);
}

// Started and stopped again and again, the way the preview opens and closes, every player shows
// its first picture in the output it is given, says so once, and reports no failure; the output
// it leaves keeps none of its pictures. A clip with sound alone says so once it has loaded.
TEST(QtVideoPlayerTest, EveryStartShowsItsFirstPictureInTheOutput) {
    QTemporaryDir folder;
    const QString clip = folder.filePath(QStringLiteral("clip.mp4"));
    test::writeEncodedClip(clip, {.frames = 20, .sound = true});
    const QString soundOnly = folder.filePath(QStringLiteral("sound.mp4"));
    test::writeEncodedClip(soundOnly, {.picturePresent = false});
    QVideoSink output;
    for (int start = 0; start < 4; ++start) {
        const bool sound = start == 3;
        QtVideoPlayer player;
        int shown = 0;
        QStringList failures;
        QObject::connect(&player, &VideoPlayer::firstFrameShown, [&] { ++shown; });
        QObject::connect(&player, &VideoPlayer::playbackFailed,
                         [&](const QString& description) { failures.append(description); });
        player.setSource(QUrl::fromLocalFile(sound ? soundOnly : clip));
        player.setVideoOutput(&output);
        player.play();
        ASSERT_TRUE(eventually([&] { return shown > 0 && output.videoFrame().isValid() != sound; }))
            << "start " << start << ": status " << player.mediaPlayer()->mediaStatus();
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(failures, QStringList());
        player.pause();
        player.removeItem();
        player.setVideoOutput(nullptr);
        EXPECT_FALSE(output.videoFrame().isValid());
    }
}

}  // namespace
}  // namespace lumivex
