#include "media/qt_video_player.h"

#include "media/video_seek_controller.h"
#include "support/video_encoding.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QUrl>

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

}  // namespace
}  // namespace lumivex
