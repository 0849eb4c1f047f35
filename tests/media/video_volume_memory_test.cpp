#include "media/video_volume_memory.h"

#include "platform/user_defaults.h"
#include "support/fake_video_player.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

namespace lumivex {
namespace {

using test::FakeVideoPlayer;

class VideoVolumeMemoryTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    UserDefaults defaults{folder.filePath(QStringLiteral("defaults.json"))};
    FakeVideoPlayer player;
};

TEST_F(VideoVolumeMemoryTest, OnlyAVolumeFromZeroToOneIsRestored) {
    const QString key = VideoVolumeMemory::volumeKey;
    EXPECT_EQ(VideoVolumeMemory::savedVolume(defaults), 1.0f);
    defaults.setDouble(key, 1.5);
    EXPECT_EQ(VideoVolumeMemory::savedVolume(defaults), 1.0f);
    defaults.setDouble(key, -0.2);
    EXPECT_EQ(VideoVolumeMemory::savedVolume(defaults), 1.0f);
    defaults.setDouble(key, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(VideoVolumeMemory::savedVolume(defaults), 1.0f);
    defaults.setText(key, QStringLiteral("0.5"));
    EXPECT_EQ(VideoVolumeMemory::savedVolume(defaults), 1.0f);
    defaults.setInteger(key, 0);
    EXPECT_EQ(VideoVolumeMemory::savedVolume(defaults), 0.0f);
    defaults.setDouble(key, 0.25);
    EXPECT_EQ(VideoVolumeMemory::savedVolume(defaults), 0.25f);
}

TEST_F(VideoVolumeMemoryTest, RestoringWritesNothingAndChangesAreSaved) {
    defaults.setDouble(VideoVolumeMemory::volumeKey, 0.25);
    defaults.setBool(VideoVolumeMemory::mutedKey, true);
    int writes = 0;
    QObject::connect(&defaults, &UserDefaults::changed, [&writes] { ++writes; });
    VideoVolumeMemory memory(&player, defaults);
    QCoreApplication::processEvents();
    EXPECT_EQ(player.currentVolume, 0.25f);
    EXPECT_TRUE(player.muted);
    EXPECT_EQ(writes, 0);

    player.setVolume(0.6f);
    player.setMuted(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(defaults.doubleValue(VideoVolumeMemory::volumeKey), double{0.6f});
    EXPECT_EQ(defaults.boolValue(VideoVolumeMemory::mutedKey), false);

    player.setVolume(std::numeric_limits<float>::quiet_NaN());
    QCoreApplication::processEvents();
    EXPECT_EQ(defaults.doubleValue(VideoVolumeMemory::volumeKey), double{0.6f});
}

TEST_F(VideoVolumeMemoryTest, AMissingKeyRestoresFullVolumeUnmuted) {
    player.currentVolume = 0.1f;
    player.muted = true;
    VideoVolumeMemory memory(&player, defaults);
    EXPECT_EQ(player.currentVolume, 1.0f);
    EXPECT_FALSE(player.muted);
}

TEST_F(VideoVolumeMemoryTest, StopSavesOnceAndThenNothingMore) {
    VideoVolumeMemory memory(&player, defaults);
    player.currentVolume = 0.4f;  // changed without a report
    int writes = 0;
    QObject::connect(&defaults, &UserDefaults::changed, [&writes] { ++writes; });
    memory.stop();
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(defaults.doubleValue(VideoVolumeMemory::volumeKey), double{0.4f});
    EXPECT_EQ(defaults.boolValue(VideoVolumeMemory::mutedKey), false);

    player.currentVolume = 0.9f;
    memory.stop();
    player.setVolume(0.2f);
    player.setMuted(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(writes, 2);
}

TEST_F(VideoVolumeMemoryTest, AReportQueuedBeforeStopIsNotSaved) {
    VideoVolumeMemory memory(&player, defaults);
    player.setVolume(0.3f);  // its save waits for the event loop
    memory.stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(defaults.doubleValue(VideoVolumeMemory::volumeKey), double{0.3f});
    player.setVolume(0.7f);
    QCoreApplication::processEvents();
    EXPECT_EQ(defaults.doubleValue(VideoVolumeMemory::volumeKey), double{0.3f});
}

}  // namespace
}  // namespace lumivex
