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

}  // namespace
}  // namespace lumivex
