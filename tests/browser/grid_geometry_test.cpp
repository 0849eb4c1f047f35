#include "browser/grid_auto_scroll.h"
#include "browser/grid_keyboard_action.h"
#include "browser/grid_layout.h"

#include <gtest/gtest.h>

#include <limits>

namespace lumivex {
namespace {

TEST(GridLayout, ColumnsFollowTheWidthAndCardSize) {
    EXPECT_EQ(GridLayout::columnCount(710, 210), 3);
    EXPECT_EQ(GridLayout::columnCount(709, 210), 2);
    EXPECT_EQ(GridLayout::columnCount(100, 210), 1);
    EXPECT_EQ(GridLayout::columnCount(0, 210), 1);
    EXPECT_EQ(GridLayout::columnCount(-500, 210), 1);
    EXPECT_EQ(GridLayout::columnCount(936, 210), 4);
    EXPECT_EQ(GridLayout::columnCount(std::numeric_limits<double>::quiet_NaN(), 210), 1);
    EXPECT_GE(GridLayout::columnCount(1e300, 160), 1);
}

TEST(GridLayout, CardsShareTheWidthUpToSeventyMoreThanTheCardSize) {
    const GridLayout wide(1000, 210, 80, 10);
    EXPECT_EQ(wide.columns(), 4);
    EXPECT_DOUBLE_EQ(wide.cardWidth(), (1000 - 48 - 3 * 16) / 4.0);
    const GridLayout capped(600, 160, 80, 10);
    EXPECT_EQ(capped.columns(), 3);
    EXPECT_DOUBLE_EQ(capped.cardWidth(), (600 - 48 - 32) / 3.0);
    const GridLayout narrow(100, 210, 80, 3);
    EXPECT_EQ(narrow.columns(), 1);
    EXPECT_DOUBLE_EQ(narrow.cardWidth(), 210);
    // A column wider than the allowance keeps the grid centred.
    const GridLayout lone(300, 160, 80, 1);
    EXPECT_EQ(lone.columns(), 1);
    EXPECT_DOUBLE_EQ(lone.cardWidth(), 230);
    EXPECT_DOUBLE_EQ(lone.frame(0).left(), 24 + (252 - 230) / 2.0);
}

TEST(GridLayout, FramesHitsAndSpans) {
    const GridLayout layout(710, 210, 90, 10);  // 3 columns of 210, cards 300 high
    EXPECT_EQ(layout.frame(4), QRectF(24 + 226, 318, 210, 300));
    EXPECT_DOUBLE_EQ(layout.contentHeight(), 4 * 300 + 3 * 18 + 24);
    EXPECT_EQ(layout.indexAt({24 + 226 + 5, 318 + 5}), 4);
    EXPECT_FALSE(layout.indexAt({24 + 215, 10}).has_value());   // between columns
    EXPECT_FALSE(layout.indexAt({30, 305}).has_value());        // between rows
    EXPECT_FALSE(layout.indexAt({24 + 226 + 5, 3 * 318 + 5}));  // past the last card
    EXPECT_FALSE(layout.indexAt({10, 10}).has_value());         // in the padding
    EXPECT_EQ(layout.rowSpan(0, 300), (std::pair<qsizetype, qsizetype>(0, 3)));
    EXPECT_EQ(layout.rowSpan(310, 330), (std::pair<qsizetype, qsizetype>(3, 6)));
    EXPECT_EQ(layout.rowSpan(900, 5000), (std::pair<qsizetype, qsizetype>(6, 10)));
    EXPECT_EQ(layout.indicesMeeting(QRectF(30, 290, 230, 40)), (QList<qsizetype>{0, 1, 3, 4}));
    EXPECT_EQ(layout.indicesMeeting(QRectF(30, 10, 0, 400)), (QList<qsizetype>{0, 3}));
    EXPECT_TRUE(GridLayout(710, 210, 90, 0).indicesMeeting(QRectF(0, 0, 700, 700)).isEmpty());
}

TEST(GridAutoScroll, SpeedsAtTheEdges) {
    const QRectF bounds(0, 0, 300, 120);  // zone of 40
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({150, 0}, bounds), -440);
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({150, 20}, bounds), -235);
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({150, 40}, bounds), 0);
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({150, 60}, bounds), 0);
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({150, 100}, bounds), 235);
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({150, 500}, bounds), 440);
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({-1, 0}, bounds), 0);
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({301, 120}, bounds), 0);
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({150, -30}, QRectF(0, 0, 300, 0)), 0);
    EXPECT_DOUBLE_EQ(GridAutoScroll::velocity({150, 0}, QRectF(0, 0, 300, 600)), -440);
    EXPECT_NEAR(GridAutoScroll::velocity({150, 55.9}, QRectF(0, 0, 300, 600)), -30.73, 0.01);
}

std::optional<GridKeyboardAction> key(int code, const QString& text,
                                      Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                                      qsizetype selected = 1) {
    return GridKeyboardAction::resolve(code, text, modifiers, selected, false, false);
}

TEST(GridKeyboardAction, DigitsRateOneSelectedItem) {
    using Kind = GridKeyboardAction::Kind;
    EXPECT_EQ(key(Qt::Key_3, QStringLiteral("3")), (GridKeyboardAction{Kind::rate, {}, 3}));
    EXPECT_EQ(key(Qt::Key_0, QStringLiteral("0")), (GridKeyboardAction{Kind::rate, {}, 0}));
    EXPECT_EQ(key(Qt::Key_4, QStringLiteral("4"), Qt::KeypadModifier),
              (GridKeyboardAction{Kind::rate, {}, 4}));
    EXPECT_FALSE(key(Qt::Key_6, QStringLiteral("6")));
    EXPECT_FALSE(key(Qt::Key_Plus, QStringLiteral("+")));
    EXPECT_FALSE(key(Qt::Key_Minus, QStringLiteral("-")));
    EXPECT_FALSE(key(Qt::Key_NumberSign, QStringLiteral("#"), Qt::ShiftModifier));
    EXPECT_FALSE(key(Qt::Key_3, QStringLiteral("3"), Qt::ShiftModifier));
    EXPECT_FALSE(key(Qt::Key_3, QStringLiteral("3"), Qt::NoModifier, 2));
    EXPECT_FALSE(key(Qt::Key_3, QStringLiteral("3"), Qt::NoModifier, 0));
    EXPECT_FALSE(key(Qt::Key_1, QStringLiteral("12")));
    EXPECT_FALSE(GridKeyboardAction::resolve(Qt::Key_3, QStringLiteral("3"), {}, 1, true, false));
    EXPECT_FALSE(GridKeyboardAction::resolve(Qt::Key_3, QStringLiteral("3"), {}, 1, false, true));
}

TEST(GridKeyboardAction, ArrowsDeleteAndSelectAll) {
    using Kind = GridKeyboardAction::Kind;
    EXPECT_EQ(key(Qt::Key_Up, {}, Qt::KeypadModifier),
              (GridKeyboardAction{Kind::move, GridNavigationDirection::up}));
    EXPECT_EQ(key(Qt::Key_Left, {})->direction, GridNavigationDirection::left);
    EXPECT_FALSE(key(Qt::Key_Up, {}, Qt::NoModifier, 2));
    EXPECT_FALSE(key(Qt::Key_Up, {}, Qt::ShiftModifier));
    EXPECT_EQ(key(Qt::Key_Delete, {}, Qt::NoModifier, 0)->kind, Kind::deleteSelection);
    EXPECT_EQ(key(Qt::Key_Backspace, {}, Qt::NoModifier, 7)->kind, Kind::deleteSelection);
    EXPECT_FALSE(key(Qt::Key_Delete, {}, Qt::ControlModifier));
    EXPECT_FALSE(GridKeyboardAction::resolve(Qt::Key_Delete, {}, {}, 1, true, false));
    EXPECT_EQ(key(Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier, 0)->kind,
              Kind::selectAll);
    EXPECT_FALSE(key(Qt::Key_A, {}, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_FALSE(key(Qt::Key_A, {}, Qt::MetaModifier));
    EXPECT_FALSE(key(Qt::Key_A, QStringLiteral("a"), Qt::NoModifier));
}

}  // namespace
}  // namespace lumivex
