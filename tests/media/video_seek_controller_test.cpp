#include "media/video_seek_controller.h"
#include "media/video_keyboard_action.h"
#include "support/fake_video_player.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::FakeVideoPlayer;

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
    ASSERT_TRUE(controller.skip(5));
    EXPECT_EQ(controller.target(), 20.0);
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

}  // namespace
}  // namespace lumivex
