#include "media_views/lumivex_video_player_view.h"

#include "media/held_decoder.h"
#include "media/video_keyboard_action.h"
#include "media/video_seek_controller.h"
#include "media_views/video_controls_pane.h"
#include "media_views/video_player_host.h"
#include "media_views/video_player_session.h"
#include "platform/lumivex_settings.h"
#include "platform/user_defaults.h"
#include "support/fake_video_player.h"
#include "view_screenshots.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::FakeVideoPlayer;

class VideoPlayerViewTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    UserDefaults defaults{folder.filePath(QStringLiteral("defaults.json"))};
    double uptime = 100;
    VideoPlayerSession session{defaults, [this] { return uptime; }};
    FakeVideoPlayer player;
    QWidget window;
    QLineEdit* field = new QLineEdit(&window);
    QPushButton* button = new QPushButton(QStringLiteral("단추"), &window);
    VideoPlayerHost* host = new VideoPlayerHost(session, &player, &window);

    void SetUp() override {
        player.time = 10;
        player.length = 60;
        player.currentRate = 1;
        player.currentVolume = 0.5f;
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(button);
        layout->addWidget(host, 1);
        window.resize(640, 360);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        button->setFocus();
        QCursor::setPos(-500, -500);
    }

    LumivexVideoPlayerView& view() { return session.view(); }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
};

TEST_F(VideoPlayerViewTest, ArrowsSeekThroughTheControllerAndSpaceAndVolumeKeysAct) {
    ASSERT_TRUE(host->holdsPlayerView());
    EXPECT_EQ(view().player(), &player);
    EXPECT_EQ(player.videoOutput != nullptr, true);

    press(Qt::Key_Right);
    press(Qt::Key_Right);  // while the first seek runs: the target moves on
    EXPECT_EQ(player.seekTargets, QList<double>{15});
    EXPECT_EQ(player.currentRate, 0);
    player.finishSeek();
    QCoreApplication::processEvents();
    EXPECT_EQ(player.seekTargets, (QList<double>{15, 20}));
    player.finishSeek();
    QCoreApplication::processEvents();
    EXPECT_EQ(player.currentRate, 1);  // the sequence ended: playing again

    press(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(player.seekTargets.last(), 15);
    player.finishSeek();
    QCoreApplication::processEvents();

    press(Qt::Key_Space);
    EXPECT_EQ(player.currentRate, 0);
    press(Qt::Key_Up);
    EXPECT_FLOAT_EQ(player.currentVolume, 0.55f);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_FLOAT_EQ(player.currentVolume, 0.45f);

    // Shift with space or up, and Ctrl with an arrow, belong to the rest of the application.
    press(Qt::Key_Space, Qt::ShiftModifier);
    press(Qt::Key_Up, Qt::ShiftModifier);
    press(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(player.currentRate, 0);
    EXPECT_FLOAT_EQ(player.currentVolume, 0.45f);
    EXPECT_EQ(player.seekTargets.size(), 3);
}

TEST_F(VideoPlayerViewTest, KeysWinOverMenuShortcutsButNotOverTextFieldsOrDialogs) {
    QAction shortcut(&window);
    shortcut.setShortcut(Qt::Key_Space);
    window.addAction(&shortcut);
    QSignalSpy triggered(&shortcut, &QAction::triggered);

    press(Qt::Key_Space);
    EXPECT_EQ(player.currentRate, 0);
    EXPECT_EQ(triggered.count(), 0);

    field->setFocus();
    press(Qt::Key_Right);
    press(Qt::Key_Space);
    EXPECT_TRUE(player.seekTargets.isEmpty());
    EXPECT_EQ(player.currentRate, 0);

    button->setFocus();
    QDialog sheet(&window);
    sheet.setWindowModality(Qt::WindowModal);
    sheet.open();
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_TRUE(player.seekTargets.isEmpty());
    sheet.close();

    QWidget other;  // another window is active
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(button, Qt::Key_Right);
    EXPECT_TRUE(player.seekTargets.isEmpty());
    other.close();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    player.ready = false;  // nothing to seek: the key goes on
    press(Qt::Key_Right);
    EXPECT_TRUE(player.seekTargets.isEmpty());
}

TEST_F(VideoPlayerViewTest, TheSkipIntervalComesFromTheSettings) {
    defaults.setInteger(LumivexSettings::keyName(LumivexSettings::Key::videoSkipSeconds), 30);
    press(Qt::Key_Right);
    EXPECT_EQ(player.seekTargets, QList<double>{40});
    view().seeker()->cancel(false);
    defaults.setInteger(LumivexSettings::keyName(LumivexSettings::Key::videoSkipSeconds), 3601);
    press(Qt::Key_Right);
    EXPECT_EQ(player.seekTargets.last(), 15);
}

TEST_F(VideoPlayerViewTest, ControlsShowAfterAKeyAtMostFourTimesASecondAndFadeLater) {
    VideoControlsPane& controls = view().controls();
    controls.setShown(false);
    press(Qt::Key_Up);
    EXPECT_TRUE(controls.isShown());
    EXPECT_TRUE(view().controlsHideTimer().isActive());
    EXPECT_EQ(view().controlsHideTimer().interval(), 1800);

    controls.setShown(false);
    uptime += 0.1;  // within the throttle: no new reveal
    press(Qt::Key_Up);
    EXPECT_FALSE(controls.isShown());
    uptime += 0.2;
    press(Qt::Key_Up);
    EXPECT_TRUE(controls.isShown());

    view().controlsHideTimer().start(0);
    EXPECT_TRUE(test::processEventsUntil([&] { return !controls.isShown(); }));

    // The pointer resting on the controls keeps them.
    uptime += 1;
    press(Qt::Key_Up);
    QCursor::setPos(controls.mapToGlobal(controls.rect().center()));
    view().controlsHideTimer().start(0);
    QTest::qWait(5);
    EXPECT_TRUE(controls.isShown());
    test::saveScreenshot(window, QStringLiteral("video-player"));
}

TEST_F(VideoPlayerViewTest, AClickOnThePictureEndsASeekSequenceAndResumes) {
    press(Qt::Key_Right);
    EXPECT_EQ(player.currentRate, 0);
    QTest::mouseClick(&view(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(player.currentRate, 1);
    EXPECT_FALSE(view().seeker()->resumeRate().has_value());
    player.finishSeek();  // the late completion changes nothing
    QCoreApplication::processEvents();
    EXPECT_EQ(player.currentRate, 1);
}

TEST_F(VideoPlayerViewTest, TheViewFollowsTheHostLaidOutLastAndStopsWhenItLeaves) {
    FakeVideoPlayer other;
    auto* second = new VideoPlayerHost(session, &other, &window);
    window.layout()->addWidget(second);
    second->show();
    QCoreApplication::processEvents();
    second->resize(second->width() + 1, second->height());  // laid out last
    ASSERT_TRUE(second->holdsPlayerView());
    EXPECT_FALSE(host->holdsPlayerView());
    EXPECT_EQ(view().player(), &other);
    EXPECT_EQ(player.videoOutput, nullptr);

    second->hide();
    EXPECT_EQ(view().parentWidget(), nullptr);
    EXPECT_EQ(other.item, 0u);  // stopped: media removed
    EXPECT_EQ(other.currentRate, 0);
    EXPECT_FALSE(view().isMonitoringKeys());

    host->resize(host->width() + 1, host->height());  // its next layout takes the view back
    EXPECT_TRUE(host->holdsPlayerView());
    EXPECT_EQ(view().player(), &player);
    EXPECT_TRUE(view().isMonitoringKeys());

    VideoSeekController* seeker = view().seeker();
    host->bind(&player);  // the same player: the same controller
    EXPECT_EQ(view().seeker(), seeker);
    delete second;
}

TEST_F(VideoPlayerViewTest, APlayerShownAgainAfterItsHostLeftTakesKeysAgain) {
    host->hide();
    EXPECT_EQ(view().seeker(), nullptr);
    player.item = 2;  // the preview loads the video again
    player.ready = true;
    host->show();
    ASSERT_TRUE(host->holdsPlayerView());
    ASSERT_NE(view().seeker(), nullptr);
    button->setFocus();
    press(Qt::Key_Right);
    EXPECT_EQ(player.seekTargets, QList<double>{15});
}

}  // namespace
}  // namespace lumivex
