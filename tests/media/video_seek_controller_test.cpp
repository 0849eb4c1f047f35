#include "media/video_seek_controller.h"
#include "media/video_keyboard_action.h"
#include "support/fake_video_player.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <limits>

namespace lumivex {
namespace {

using test::FakeVideoPlayer;

// Seek completions reach the controller through the event loop.
void deliverCompletions() {
    QCoreApplication::processEvents();
}

class SeekControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        player.time = 10;
        player.currentRate = 1.5f;
    }

    FakeVideoPlayer player;
    VideoSeekController controller{&player};
};

TEST_F(SeekControllerTest, SkipsDuringASeekOnlyMoveTheTargetAndTheLastTargetWins) {
    ASSERT_TRUE(controller.skip(5));
    EXPECT_EQ(controller.target(), 15.0);
    EXPECT_TRUE(controller.isSeeking());
    EXPECT_EQ(player.currentRate, 0.0f);  // paused while seeking
    ASSERT_EQ(player.pendingSeeks.size(), 1);
    EXPECT_EQ(player.pendingSeeks.front().tolerance, 0.1);
    ASSERT_TRUE(controller.skip(5));
    ASSERT_TRUE(controller.skip(5));
    EXPECT_EQ(controller.target(), 25.0);
    EXPECT_EQ(player.seekTargets, QList<double>({15.0}));

    player.finishSeek();
    deliverCompletions();
    EXPECT_EQ(player.seekTargets, QList<double>({15.0, 25.0}));
    EXPECT_EQ(player.currentRate, 0.0f);

    player.finishSeek();
    deliverCompletions();
    EXPECT_EQ(player.seekTargets.size(), 2);
    EXPECT_FALSE(controller.target());
    EXPECT_FALSE(controller.resumeRate());
    EXPECT_FALSE(controller.isSeeking());
    EXPECT_EQ(player.currentRate, 1.5f);  // the former rate again
}

TEST_F(SeekControllerTest, TargetsStayWithinTheVideo) {
    player.time = 3;
    ASSERT_TRUE(controller.skip(-5));
    EXPECT_EQ(controller.target(), 0.0);
    controller.cancel(false);

    player.length = 12.5;
    ASSERT_TRUE(controller.skip(30));
    EXPECT_EQ(controller.target(), 12.5);
    controller.cancel(false);

    player.length = std::nullopt;  // a live stream: no upper limit
    ASSERT_TRUE(controller.skip(3600));
    EXPECT_EQ(controller.target(), 3603.0);

    EXPECT_EQ(VideoKeyboardAction::seekTarget(std::numeric_limits<double>::infinity(), 10, 1),
              std::nullopt);
    EXPECT_EQ(VideoKeyboardAction::seekTarget(1, 10, std::nan("")), std::nullopt);
    EXPECT_EQ(VideoKeyboardAction::seekTarget(1, std::numeric_limits<double>::infinity(), 100),
              101.0);
}

TEST_F(SeekControllerTest, ASkipWithoutReadyMediaChangesNothing) {
    player.ready = false;
    EXPECT_FALSE(controller.skip(5));
    player.ready = true;
    player.item = 0;
    EXPECT_FALSE(controller.skip(5));
    player.item = 1;
    player.time = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(controller.skip(5));
    EXPECT_TRUE(player.seekTargets.isEmpty());
    EXPECT_TRUE(player.rates.isEmpty());
    EXPECT_FALSE(controller.resumeRate());
}

TEST_F(SeekControllerTest, AnUnfinishedSeekEndsTheSequenceAndRestoresTheRate) {
    ASSERT_TRUE(controller.skip(5));
    ASSERT_TRUE(controller.skip(5));
    player.finishSeek(false);
    deliverCompletions();
    EXPECT_EQ(player.seekTargets, QList<double>({15.0}));
    EXPECT_FALSE(controller.target());
    EXPECT_EQ(player.currentRate, 1.5f);
}

TEST_F(SeekControllerTest, ACompletionAfterCancelChangesNothing) {
    ASSERT_TRUE(controller.skip(5));
    controller.cancel(false);
    EXPECT_EQ(player.cancelledSeekBatches, 1);
    deliverCompletions();
    EXPECT_EQ(player.rates, QList<float>({0.0f}));  // paused, and not resumed
    EXPECT_FALSE(controller.target());
    EXPECT_FALSE(controller.isSeeking());

    // A new sequence starts from where the picture is.
    ASSERT_TRUE(controller.skip(-4));
    EXPECT_EQ(controller.target(), 6.0);
    EXPECT_EQ(controller.resumeRate(), 0.0f);
}

TEST_F(SeekControllerTest, CancellingWithRestoreResumesTheSavedRate) {
    ASSERT_TRUE(controller.skip(5));
    controller.cancel(true);
    EXPECT_EQ(player.currentRate, 1.5f);
    controller.cancel(true);  // no sequence: nothing to restore
    EXPECT_EQ(player.rates.size(), 2);
}

TEST_F(SeekControllerTest, ANewItemEndsTheSequenceWithoutResuming) {
    ASSERT_TRUE(controller.skip(5));
    player.item = 2;
    player.finishSeek();
    deliverCompletions();
    EXPECT_FALSE(controller.target());
    EXPECT_FALSE(controller.resumeRate());
    EXPECT_EQ(player.currentRate, 0.0f);
}

TEST_F(SeekControllerTest, TogglingDuringASequenceDecidesWhatComesAfterIt) {
    player.currentRate = 1.0f;
    ASSERT_TRUE(controller.skip(5));
    const VideoKeyboardAction toggle = VideoKeyboardAction::togglePlayback();
    ASSERT_TRUE(toggle.perform(controller));
    EXPECT_EQ(controller.resumeRate(), 0.0f);
    player.finishSeek();
    deliverCompletions();
    EXPECT_EQ(player.currentRate, 0.0f);

    player.currentRate = 1.0f;
    ASSERT_TRUE(controller.skip(5));
    ASSERT_TRUE(toggle.perform(controller));
    ASSERT_TRUE(toggle.perform(controller));
    EXPECT_EQ(controller.resumeRate(), 1.0f);
    player.finishSeek();
    deliverCompletions();
    EXPECT_EQ(player.currentRate, 1.0f);

    // Outside a sequence it pauses and plays the player itself.
    ASSERT_TRUE(toggle.perform(controller));
    EXPECT_EQ(player.currentRate, 0.0f);
    ASSERT_TRUE(toggle.perform(controller));
    EXPECT_EQ(player.currentRate, 1.0f);
}

TEST_F(SeekControllerTest, VolumeStepsStartFromSilenceWhenMuted) {
    player.currentVolume = 0.8f;
    player.muted = true;
    ASSERT_TRUE(VideoKeyboardAction::volume(0.05f).perform(controller));
    EXPECT_FLOAT_EQ(player.currentVolume, 0.05f);
    EXPECT_FALSE(player.muted);

    player.muted = true;
    ASSERT_TRUE(VideoKeyboardAction::volume(-0.05f).perform(controller));
    EXPECT_EQ(player.currentVolume, 0.0f);
    EXPECT_TRUE(player.muted);

    player.muted = false;
    player.currentVolume = 0.03f;
    ASSERT_TRUE(VideoKeyboardAction::volume(-0.05f).perform(controller));
    EXPECT_EQ(player.currentVolume, 0.0f);
    player.currentVolume = 0.98f;
    ASSERT_TRUE(VideoKeyboardAction::volume(0.05f).perform(controller));
    EXPECT_EQ(player.currentVolume, 1.0f);
}

TEST_F(SeekControllerTest, ASeekActionIsCarriedOutOnlyWhenTheSkipIs) {
    EXPECT_TRUE(VideoKeyboardAction::seek(-5).perform(controller));
    EXPECT_EQ(controller.target(), 5.0);
    player.ready = false;
    EXPECT_FALSE(VideoKeyboardAction::seek(5).perform(controller));
}

}  // namespace
}  // namespace lumivex
