#include "media_views/window_placement.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

const QRect wideScreen(0, 0, 1920, 1080);

// The storage-location button of a maximised window's inspector ends 20 px from the right edge;
// its popover, wider than the button, would open past that edge.
TEST(WindowPlacementTest, APopoverStaysWhollyOnTheScreenOfItsAnchor) {
    const QRect button(1640, 300, 260, 40);
    const QRect below(button.bottomLeft() + QPoint(0, 4), QSize(310, 150));
    EXPECT_EQ(WindowPlacement::popover(below, button, wideScreen), QRect(1606, 343, 310, 150));
    // Near the bottom it opens above its anchor, as far from it as it would have stood below.
    const QRect low(1640, 1000, 260, 40);
    const QRect under(low.bottomLeft() + QPoint(0, 4), QSize(310, 150));
    EXPECT_EQ(WindowPlacement::popover(under, low, wideScreen), QRect(1606, 847, 310, 150));
    // A popover over a button at the top of the screen opens beneath it.
    const QRect top(20, 10, 200, 30);
    EXPECT_EQ(WindowPlacement::popover(QRect(-50, -160, 340, 164), top, wideScreen),
              QRect(4, 46, 340, 164));
    // On a second screen to the right the popover keeps to that screen.
    const QRect second(1920, 0, 1280, 800);
    EXPECT_EQ(WindowPlacement::popover(QRect(1915, 50, 310, 150), QRect(1930, 10, 100, 36), second),
              QRect(1924, 50, 310, 150));
}

// The settings window (540 by 660 inside a 25 px title bar) opened at the screen's left edge and
// reached below its bottom.
TEST(WindowPlacementTest, AWindowOpensCentredAndWhollyOnItsScreen) {
    EXPECT_EQ(WindowPlacement::centred(QSize(540, 685), QRect(0, 0, 1280, 800)), QPoint(370, 57));
    EXPECT_EQ(WindowPlacement::centred(QSize(540, 685), QRect(1920, 24, 1920, 1056)),
              QPoint(2610, 209));
    EXPECT_EQ(WindowPlacement::centred(QSize(540, 900), QRect(0, 0, 1280, 800)), QPoint(370, 0));
}

// A main window whose title bar is 22 px high and whose other edges are 1 px.
const WindowPlacement::MainWindowSizing mainSizing{{1280, 840}, {1040, 675}, {1, 22, 1, 1}};

TEST(WindowPlacementTest, TheMainWindowOpensAtItsPreferredSizeWhereItFitsElseFillsTheScreen) {
    EXPECT_EQ(WindowPlacement::mainWindow(std::nullopt, mainSizing, {wideScreen}),
              QRect(320, 130, 1280, 840));
    EXPECT_EQ(WindowPlacement::mainWindow(std::nullopt, mainSizing, {QRect(0, 0, 1280, 800)}),
              QRect(1, 22, 1278, 777));
    // A screen smaller than the least the window takes.
    EXPECT_EQ(WindowPlacement::mainWindow(std::nullopt, mainSizing, {QRect(0, 0, 800, 600)}),
              QRect(1, 22, 1040, 675));
}

TEST(WindowPlacementTest, TheMainWindowReopensWhereItWasAndWhollyOnAScreen) {
    const QRect second(1920, 0, 1280, 800);
    const QRect onSecond(2000, 100, 1100, 680);
    EXPECT_EQ(WindowPlacement::mainWindow(QRect(40, 30, 1840, 1000), mainSizing, {wideScreen}),
              QRect(40, 30, 1840, 1000));
    EXPECT_EQ(WindowPlacement::mainWindow(onSecond, mainSizing, {wideScreen, second}), onSecond);
    // The second screen is gone.
    EXPECT_EQ(WindowPlacement::mainWindow(onSecond, mainSizing, {wideScreen}),
              QRect(819, 100, 1100, 680));
    // Now on a smaller screen.
    EXPECT_EQ(WindowPlacement::mainWindow(QRect(40, 30, 1840, 1000), mainSizing,
                                          {QRect(0, 0, 1280, 800)}),
              QRect(1, 22, 1278, 777));
}

}  // namespace
}  // namespace lumivex
