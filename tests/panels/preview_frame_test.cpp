#include "panels/preview_keyboard_action.h"
#include "panels/preview_keyboard_monitor.h"
#include "panels/preview_sizing.h"
#include "panels/resizable_media_preview.h"
#include "platform/lumivex_settings.h"
#include "platform/user_defaults.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <limits>

namespace lumivex {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
using Edge = PreviewResizeEdge;

TEST(PreviewSizing, FitsTheRequestInTheAreaLessAMarginAndAboveTheMinimum) {
    const QSizeF area(1280, 840);
    EXPECT_EQ(PreviewSizing::fit({850, 620}, area), QSizeF(850, 620));
    EXPECT_EQ(PreviewSizing::fit({2000, 2000}, area), QSizeF(1240, 800));
    EXPECT_EQ(PreviewSizing::fit({100, 100}, area), QSizeF(480, 340));
    EXPECT_EQ(PreviewSizing::fit({0, -5}, area), QSizeF(850, 620));
    EXPECT_EQ(PreviewSizing::fit({inf, nan}, area), QSizeF(850, 620));
    EXPECT_EQ(PreviewSizing::fit({100, 100}, {300, 840}).width(), 260);
    EXPECT_EQ(PreviewSizing::fit({5000, 100}, {300, 840}).width(), 260);
    EXPECT_EQ(PreviewSizing::fit({850, 620}, {30, nan}), QSizeF(1, 1));
}

class PreviewFrameTest : public ::testing::Test {
protected:
    PreviewFrameTest() {
        window.resize(1280, 840);
        auto* layout = new QVBoxLayout(&window);
        field = new QLineEdit(&window);
        layout->addWidget(field);
        layout->addStretch(1);
        area = new QWidget(&window);
        area->setGeometry(0, 0, 1280, 840);
        card = new ResizableMediaPreview(
            defaults, [this](GridNavigationDirection d) { moves.append(d); },
            [this](int rating) {
                ratings.append(rating);
                return rateApplies;
            },
            area);
        card->setContent(new QWidget);
    }

    void showActive() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        card->show();
        QTest::qWait(0);
    }

    // Whether a key sent to the focused widget got past the preview's filter.
    bool passes(int key, Qt::KeyboardModifiers modifiers = {}, QWidget* target = nullptr) {
        Recorder recorder;
        recorder.key = key;
        QWidget* receiver = target != nullptr ? target : QApplication::focusWidget();
        receiver = receiver != nullptr ? receiver : &window;
        receiver->installEventFilter(&recorder);
        QTest::keyClick(receiver, static_cast<Qt::Key>(key), modifiers);
        receiver->removeEventFilter(&recorder);
        return recorder.pressed;
    }

    struct Recorder : QObject {
        int key = 0;
        bool pressed = false;
        bool eventFilter(QObject*, QEvent* event) override {
            pressed = pressed || (event->type() == QEvent::KeyPress &&
                                  static_cast<QKeyEvent*>(event)->key() == key);
            return false;
        }
    };

    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("defaults.json"))};
    LumivexSettings settings{defaults};
    QWidget window;
    QLineEdit* field = nullptr;
    QWidget* area = nullptr;
    ResizableMediaPreview* card = nullptr;
    QList<GridNavigationDirection> moves;
    QList<int> ratings;
    bool rateApplies = true;
};

TEST_F(PreviewFrameTest, HandlesResizeAroundTheCentreAndStoreOnlyAtTheEnd) {
    EXPECT_EQ(card->cardSize(), QSizeF(850, 620));
    card->dragChanged(Edge::right, {50, 0});
    EXPECT_EQ(card->cardSize(), QSizeF(950, 620));
    EXPECT_FALSE(defaults.contains(LumivexSettings::keyName(LumivexSettings::Key::previewWidth)));
    card->dragChanged(Edge::right, {60, 3});  // measured from where the drag began
    EXPECT_EQ(card->cardSize(), QSizeF(970, 620));
    card->dragEnded(Edge::right, {50, 0});
    EXPECT_EQ(settings.previewWidth(), 950.0);
    EXPECT_EQ(settings.previewHeight(), 620.0);
    EXPECT_EQ(card->geometry().center(), area->rect().center());

    card->dragEnded(Edge::top, {0, -30});
    EXPECT_EQ(card->cardSize(), QSizeF(950, 680));
    card->dragEnded(Edge::bottomLeft, {-10, 10});
    EXPECT_EQ(card->cardSize(), QSizeF(970, 700));
    card->dragEnded(Edge::left, {-2000, 0});  // never larger than the area less 40
    EXPECT_EQ(settings.previewWidth(), 1240.0);

    // A window that shrank shrinks the card; a click on a handle stores what is shown.
    area->resize(700, 500);
    EXPECT_EQ(card->cardSize(), QSizeF(660, 460));
    EXPECT_EQ(settings.previewWidth(), 1240.0);
    card->dragEnded(Edge::bottomRight, {0, 0});
    EXPECT_EQ(settings.previewWidth(), 660.0);
    EXPECT_EQ(settings.previewHeight(), 460.0);
}

TEST_F(PreviewFrameTest, EdgeHandlesLeaveTheCornersFreeAndNeverVanish) {
    window.show();
    card->show();
    EXPECT_EQ(card->handle(Edge::top)->geometry(), QRect(18, 0, 814, 8));
    EXPECT_EQ(card->handle(Edge::bottomRight)->geometry(), QRect(832, 602, 18, 18));
    area->resize(41, 41);  // a card of 1 x 1
    EXPECT_EQ(card->handle(Edge::left)->height(), 1);
}

// The next item's pane is shown at the card's size from the start, so it never asks for a smaller
// picture first.
TEST_F(PreviewFrameTest, ContentIsFirstShownAtTheCardsSize) {
    struct Probe : QWidget {
        QSize shownAt;
        void showEvent(QShowEvent*) override { shownAt = size(); }
    };
    window.show();
    card->show();
    auto* next = new Probe;
    card->setContent(next);
    EXPECT_EQ(next->shownAt, QSize(850, 620));
}

TEST(PreviewKeyboardAction, OnlyPlainDigitsZeroToFiveRate) {
    using PreviewKeyboardAction::rating;
    EXPECT_EQ(rating(QStringLiteral("0"), {}, false, false), 0);
    EXPECT_EQ(rating(QStringLiteral("5"), Qt::KeypadModifier, false, false), 5);
    EXPECT_EQ(rating(QStringLiteral("2"), Qt::GroupSwitchModifier, false, false), 2);
    EXPECT_EQ(rating(QStringLiteral("5"), Qt::ShiftModifier, false, false), std::nullopt);
    EXPECT_EQ(rating(QStringLiteral("3"), Qt::ControlModifier, false, false), std::nullopt);
    EXPECT_EQ(rating(QStringLiteral("6"), {}, false, false), std::nullopt);
    EXPECT_EQ(rating(QStringLiteral("05"), {}, false, false), std::nullopt);
    EXPECT_EQ(rating(QString(), {}, false, false), std::nullopt);
    EXPECT_EQ(rating(QStringLiteral("3"), {}, true, false), std::nullopt);
    EXPECT_EQ(rating(QStringLiteral("3"), {}, false, true), std::nullopt);
    EXPECT_EQ(rating(QStringLiteral("\u0663"), {}, false, false), std::nullopt);
    using PreviewKeyboardAction::move;
    EXPECT_EQ(move(Qt::Key_Left, Qt::ControlModifier), GridNavigationDirection::left);
    EXPECT_EQ(move(Qt::Key_Up, Qt::ControlModifier | Qt::KeypadModifier),
              GridNavigationDirection::up);
    EXPECT_EQ(move(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier), std::nullopt);
    EXPECT_EQ(move(Qt::Key_Left, {}), std::nullopt);
    EXPECT_EQ(move(Qt::Key_Space, {}), std::nullopt);
    EXPECT_EQ(move(Qt::Key_Comma, {}), GridNavigationDirection::left);
    EXPECT_EQ(move(Qt::Key_Period, {}), GridNavigationDirection::right);
    EXPECT_EQ(move(Qt::Key_Comma, Qt::AltModifier), std::nullopt);
}

TEST_F(PreviewFrameTest, DigitsRateAndAreTakenOnlyWhenTheRatingApplied) {
    field->setFocus();
    showActive();
    EXPECT_EQ(QApplication::focusWidget(), card);  // the claim ended the text editing
    EXPECT_FALSE(card->keyboard().needsInitialFocus());

    EXPECT_FALSE(passes(Qt::Key_3));
    ASSERT_FALSE(ratings.isEmpty());
    EXPECT_EQ(ratings.last(), 3);
    rateApplies = false;
    EXPECT_TRUE(passes(Qt::Key_4));
    EXPECT_EQ(ratings.last(), 4);
    rateApplies = true;
    ratings.clear();
    EXPECT_FALSE(passes(Qt::Key_5, Qt::KeypadModifier));
    EXPECT_EQ(ratings, QList<int>{5});
    EXPECT_TRUE(passes(Qt::Key_5, Qt::ShiftModifier));
    EXPECT_TRUE(passes(Qt::Key_3, Qt::ControlModifier));
    EXPECT_TRUE(passes(Qt::Key_6));
    EXPECT_EQ(ratings, QList<int>{5});
}

TEST_F(PreviewFrameTest, CtrlArrowsAndCommaPeriodMoveButPlainArrowsAndSpacePass) {
    showActive();
    EXPECT_FALSE(passes(Qt::Key_Left, Qt::ControlModifier));
    EXPECT_FALSE(passes(Qt::Key_Comma));
    EXPECT_FALSE(passes(Qt::Key_Period));
    EXPECT_FALSE(passes(Qt::Key_Down, Qt::ControlModifier));
    EXPECT_EQ(moves, (QList<GridNavigationDirection>{
                         GridNavigationDirection::left, GridNavigationDirection::left,
                         GridNavigationDirection::right, GridNavigationDirection::down}));
    EXPECT_EQ(QApplication::focusWidget(), card);
    moves.clear();
    EXPECT_TRUE(passes(Qt::Key_Left));
    EXPECT_TRUE(passes(Qt::Key_Space));
    EXPECT_TRUE(passes(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier));
    field->setFocus();
    EXPECT_TRUE(passes(Qt::Key_Comma, {}, field));
    EXPECT_TRUE(passes(Qt::Key_3, {}, field));
    EXPECT_EQ(field->text(), QStringLiteral(",3"));
    EXPECT_TRUE(moves.isEmpty());
    EXPECT_TRUE(ratings.isEmpty());
}

TEST_F(PreviewFrameTest, NothingIsTakenWhileAModalWindowIsUpOrForAnotherWindow) {
    showActive();
    QWidget other;
    other.show();
    EXPECT_TRUE(passes(Qt::Key_3, {}, &other));
    QDialog dialog(&window);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.show();
    EXPECT_TRUE(passes(Qt::Key_3, {}, &window));
    EXPECT_TRUE(passes(Qt::Key_Comma, {}, &window));
    dialog.hide();
    EXPECT_TRUE(ratings.isEmpty());
    EXPECT_TRUE(moves.isEmpty());
    card->hide();  // a hidden preview leaves its filter
    EXPECT_FALSE(card->keyboard().isMonitoring());
}

TEST_F(PreviewFrameTest, AFocusClaimRefusedUnderAModalWindowRunsAgainOnActivation) {
    QDialog dialog(&window);
    dialog.setWindowModality(Qt::ApplicationModal);
    window.show();
    dialog.show();
    card->show();
    QTest::qWait(0);
    EXPECT_TRUE(card->keyboard().needsInitialFocus());
    dialog.hide();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::qWait(0);
    EXPECT_FALSE(card->keyboard().needsInitialFocus());
    EXPECT_EQ(QApplication::focusWidget(), card);
}

}  // namespace
}  // namespace lumivex
