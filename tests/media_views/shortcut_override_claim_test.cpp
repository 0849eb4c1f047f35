#include "media_views/shortcut_override_claim.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

// Qt delivers a ShortcutOverride ignored; accepting it is what keeps a shortcut from matching.
struct Override : QKeyEvent {
    explicit Override(int key) : QKeyEvent(QEvent::ShortcutOverride, key, Qt::NoModifier) {
        ignore();
    }
};

struct Press : QKeyEvent {
    explicit Press(int key) : QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier) {}
};

TEST(ShortcutOverrideClaimTest, ActsOnTheOverrideAndSwallowsOnlyItsOwnPressOnce) {
    ShortcutOverrideClaim claim;
    int handled = 0;
    const auto handle = [&handled](const QKeyEvent&) {
        ++handled;
        return true;
    };
    Override override(Qt::Key_Left);
    EXPECT_TRUE(claim.filter(override, handle));
    EXPECT_TRUE(override.isAccepted());
    Press press(Qt::Key_Left);
    EXPECT_TRUE(claim.filter(press, handle));
    EXPECT_EQ(handled, 1);
    // A second press of the same key came without an override: it is acted on again.
    EXPECT_TRUE(claim.filter(press, handle));
    EXPECT_EQ(handled, 2);

    Override otherOverride(Qt::Key_Right);
    claim.filter(otherOverride, handle);
    Press otherPress(Qt::Key_Up);
    EXPECT_TRUE(claim.filter(otherPress, handle));
    EXPECT_EQ(handled, 4);
}

TEST(ShortcutOverrideClaimTest, RefusedKeysPassAndResetForgetsTheClaim) {
    ShortcutOverrideClaim claim;
    const auto refuse = [](const QKeyEvent&) { return false; };
    Override override(Qt::Key_1);
    EXPECT_FALSE(claim.filter(override, refuse));
    EXPECT_FALSE(override.isAccepted());
    Press press(Qt::Key_1);
    EXPECT_FALSE(claim.filter(press, refuse));

    const auto accept = [](const QKeyEvent&) { return true; };
    claim.filter(override, accept);
    claim.reset();
    EXPECT_FALSE(claim.filter(press, refuse));
}

}  // namespace
}  // namespace lumivex
