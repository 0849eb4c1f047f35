#include "media/video_keyboard_action.h"

#include "platform/user_defaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using Action = VideoKeyboardAction;

TEST(VideoKeyboardActionTest, ArrowsSeekSpaceTogglesAndUpDownChangeTheVolume) {
    EXPECT_EQ(Action::forKey(Qt::Key_Left, Qt::NoModifier, 7), Action::seek(-7));
    EXPECT_EQ(Action::forKey(Qt::Key_Right, Qt::NoModifier, 7), Action::seek(7));
    EXPECT_EQ(Action::forKey(Qt::Key_Left, Qt::ShiftModifier, 7), Action::seek(-7));
    EXPECT_EQ(Action::forKey(Qt::Key_Right, Qt::KeypadModifier, 7), Action::seek(7));
    EXPECT_EQ(Action::forKey(Qt::Key_Space, Qt::NoModifier, 7), Action::togglePlayback());
    EXPECT_EQ(Action::forKey(Qt::Key_Up, Qt::NoModifier, 7), Action::volume(0.05f));
    EXPECT_EQ(Action::forKey(Qt::Key_Down, Qt::NoModifier, 7), Action::volume(-0.05f));
}

TEST(VideoKeyboardActionTest, KeysWithOtherModifiersAreNotThePlayers) {
    for (const Qt::KeyboardModifier modifier :
         {Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier}) {
        EXPECT_EQ(Action::forKey(Qt::Key_Left, modifier, 5), std::nullopt);
        EXPECT_EQ(Action::forKey(Qt::Key_Space, modifier, 5), std::nullopt);
    }
    EXPECT_EQ(Action::forKey(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier, 5),
              std::nullopt);
    for (const int key : {Qt::Key_Space, Qt::Key_Up, Qt::Key_Down}) {
        EXPECT_EQ(Action::forKey(key, Qt::ShiftModifier, 5), std::nullopt);
    }
    EXPECT_EQ(Action::forKey(Qt::Key_Return, Qt::NoModifier, 5), std::nullopt);
    EXPECT_EQ(Action::forKey(Qt::Key_J, Qt::NoModifier, 5), std::nullopt);
}

TEST(VideoKeyboardActionTest, TheSkipIntervalIsOneToThreeThousandSixHundredSeconds) {
    QTemporaryDir folder;
    UserDefaults defaults(folder.filePath(QStringLiteral("defaults.json")));
    const QString key = Action::skipSecondsKey;
    EXPECT_EQ(Action::skipInterval(defaults), 5.0);
    for (const std::int64_t outside : {std::int64_t{0}, std::int64_t{3601}, std::int64_t{-10}}) {
        defaults.setInteger(key, outside);
        EXPECT_EQ(Action::skipInterval(defaults), 5.0) << outside;
    }
    defaults.setInteger(key, 3600);
    EXPECT_EQ(Action::skipInterval(defaults), 3600.0);
    defaults.setInteger(key, 1);
    EXPECT_EQ(Action::skipInterval(defaults), 1.0);
    defaults.setDouble(key, 10.7);
    EXPECT_EQ(Action::skipInterval(defaults), 10.0);
    defaults.setText(key, QStringLiteral("10"));
    EXPECT_EQ(Action::skipInterval(defaults), 5.0);
}

}  // namespace
}  // namespace lumivex
