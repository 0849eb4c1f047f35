#include "browser/grid_fixture.h"
#include "browser/media_grid_model.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace lumivex::test {
namespace {

using GridMouse = GridTest;

TEST_F(GridMouse, ColumnsFollowTheViewportWidth) {
    openMedia(4);
    MediaGridView& view = showGrid(710, 400);
    EXPECT_EQ(view.cardSize(), 210);
    EXPECT_EQ(view.columns(), 3);
    QSignalSpy columns(&view, &MediaGridView::columnsChanged);
    showGrid(709, 400);
    EXPECT_EQ(grid->columns(), 2);
    showGrid(100, 400);
    EXPECT_EQ(grid->columns(), 1);
    grid->setGeometry(0, 0, grid->width() + 610, 400);
    EXPECT_EQ(grid->columns(), 3);
}

TEST_F(GridMouse, StoredCardSizesOutOfRangeNeitherBreakNorStretchTheGrid) {
    openMedia(4);
    defaults->setDouble(QStringLiteral("Lumivex.settings.cardSize"),
                        std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(showGrid(710, 400).cardSize(), 210);
    EXPECT_EQ(grid->columns(), 3);
    defaults->setDouble(QStringLiteral("Lumivex.settings.cardSize"), -16);
    EXPECT_EQ(showGrid(710, 400).cardSize(), 160);
    EXPECT_EQ(grid->columns(), 3);
    defaults->setDouble(QStringLiteral("Lumivex.settings.cardSize"), 1e300);
    EXPECT_EQ(showGrid(710, 400).cardSize(), 290);
    EXPECT_EQ(grid->columns(), 2);
    grid->setCardSize(std::numeric_limits<double>::infinity());
    EXPECT_EQ(grid->cardSize(), 210);
    // A change made in the settings reaches the grid at once.
    defaults->setDouble(QStringLiteral("Lumivex.settings.cardSize"), 250);
    EXPECT_EQ(grid->cardSize(), 250);
    EXPECT_EQ(grid->columns(), 2);
}

TEST_F(GridMouse, ClicksSelectAsTheStoreDefines) {
    openMedia(8);
    showGrid(936, 1400);  // four columns, every card on screen
    click(thumbnailPoint(2));
    EXPECT_EQ(store->selection(), idsAt({2}));
    click(thumbnailPoint(5), Qt::ControlModifier);
    EXPECT_EQ(store->selection(), idsAt({2, 5}));
    click(thumbnailPoint(2), Qt::ControlModifier);
    EXPECT_EQ(store->selection(), idsAt({5}));
    click(thumbnailPoint(1));
    click(namePoint(6), Qt::ShiftModifier);
    EXPECT_EQ(store->selection(), idsFrom(1, 6));

    const QRectF first = grid->gridLayout().frame(0);
    const QPointF gap(first.right() + 8, first.center().y());
    click(gap, Qt::ControlModifier);
    EXPECT_EQ(store->selection(), idsFrom(1, 6));
    click(gap, Qt::ShiftModifier);
    EXPECT_EQ(store->selection(), idsFrom(1, 6));
    click(gap);
    EXPECT_TRUE(store->selection().isEmpty());
}

TEST_F(GridMouse, AnInactiveWindowLeavesClicksAndKeysAlone) {
    openMedia(3);
    showGrid(710, 700);
    click(thumbnailPoint(0));
    QWidget other;
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    press(thumbnailPoint(1));
    moveTo(thumbnailPoint(2));
    EXPECT_FALSE(grid->interaction().armed());
    release(thumbnailPoint(2));
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(store->selection(), idsAt({0}));
    EXPECT_FALSE(store->deletionRequest());
}

TEST_F(GridMouse, ADoubleClickSelectsOnceAndAsksForThePreview) {
    openMedia(3);
    showGrid(710, 700);
    QSignalSpy preview(grid, &MediaGridView::previewRequested);
    click(thumbnailPoint(0));
    click(thumbnailPoint(1), Qt::ControlModifier);
    doubleClick(thumbnailPoint(1), Qt::ControlModifier);
    ASSERT_EQ(preview.size(), 1);
    EXPECT_EQ(preview.at(0).at(0).value<MediaItem>().id, idAt(1));
    EXPECT_EQ(store->selection(), idsAt({0}));  // only the first click toggled
}

// A point of blank space between the second and third columns of the first row.
QPointF blankBetweenColumns(const GridLayout& layout) {
    const QRectF second = layout.frame(1);
    return {second.right() + 8, second.top() + 20};
}

TEST_F(GridMouse, AMarqueeStartsAtFivePixels) {
    openMedia(8);
    showGrid(936, 1400);
    click(thumbnailPoint(0));
    const QPointF blank = blankBetweenColumns(grid->gridLayout());
    press(blank);
    moveTo(blank + QPointF(-4.9, 0));
    EXPECT_FALSE(grid->interaction().dragging());
    EXPECT_FALSE(grid->marqueeRect());
    EXPECT_EQ(store->selection(), idsAt({0}));
    release(blank + QPointF(-4.9, 0));
    EXPECT_TRUE(store->selection().isEmpty());  // a click on blank space

    press(blank);
    moveTo(blank + QPointF(3, 4));
    EXPECT_TRUE(grid->interaction().dragging());
    ASSERT_TRUE(grid->marqueeRect());
    EXPECT_EQ(*grid->marqueeRect(), QRectF(blank, QSizeF(3, 4)));
    EXPECT_TRUE(store->selection().isEmpty());
    moveTo(thumbnailPoint(4));
    EXPECT_EQ(store->selection(), idsAt({0, 1, 4, 5}));
    moveTo(blank + QPointF(-20, 1));
    EXPECT_EQ(store->selection(), idsAt({1}));
    release(blank + QPointF(-20, 1));
    EXPECT_FALSE(grid->marqueeRect());
    EXPECT_EQ(store->selection(), idsAt({1}));
}

TEST_F(GridMouse, ControlDragAddsToTheSelectionOfMouseDown) {
    openMedia(8);
    showGrid(936, 1400);
    click(thumbnailPoint(7));
    const QPointF blank = blankBetweenColumns(grid->gridLayout());
    press(blank, Qt::ControlModifier);
    moveTo(thumbnailPoint(0), Qt::ControlModifier);
    EXPECT_EQ(store->selection(), idsAt({0, 1, 7}));
    release(thumbnailPoint(0), Qt::ControlModifier);
    press(blank);
    moveTo(thumbnailPoint(0));
    EXPECT_EQ(store->selection(), idsAt({0, 1}));
    release(thumbnailPoint(0));
}

TEST_F(GridMouse, RangeDragForwardAndBack) {
    openMedia(10);
    showGrid(936, 1400);
    press(thumbnailPoint(2));
    EXPECT_EQ(store->selection(), idsAt({2}));
    moveTo(thumbnailPoint(6));
    EXPECT_EQ(store->selection(), idsFrom(2, 6));
    moveTo(thumbnailPoint(0));
    EXPECT_EQ(store->selection(), idsFrom(0, 2));
    // Beyond the last, half-filled row: up to the nearest card.
    const QRectF last = grid->gridLayout().frame(9);
    moveTo({last.right() + 150, last.center().y()});
    EXPECT_EQ(store->selection(), idsFrom(2, 9));
    EXPECT_FALSE(grid->marqueeRect());
    release({last.right() + 150, last.center().y()});
    EXPECT_EQ(store->selection(), idsFrom(2, 9));
}

TEST_F(GridMouse, APressOnTheNameSelectsButNeverDrags) {
    openMedia(8);
    showGrid(936, 1400);
    press(namePoint(1));
    EXPECT_EQ(store->selection(), idsAt({1}));
    moveTo(thumbnailPoint(6));
    EXPECT_FALSE(grid->interaction().dragging());
    EXPECT_EQ(store->selection(), idsAt({1}));
    release(thumbnailPoint(6));
}

// The library changes during a drag: what it hid must not come back into the selection, where
// Delete would remove it unseen.
TEST_F(GridMouse, DragsSelectOnlyWhatIsStillShown) {
    openMedia(8);
    showGrid(936, 1400);
    click(thumbnailPoint(7));
    click(thumbnailPoint(6), Qt::ControlModifier);
    const QUuid hidden = idAt(7);
    const QUuid kept = idAt(6);
    const QPointF blank = blankBetweenColumns(grid->gridLayout());
    press(blank, Qt::ControlModifier);
    moveTo(thumbnailPoint(0), Qt::ControlModifier);
    EXPECT_EQ(store->selection(), idsAt({0, 1, 6, 7}));

    MediaQuery query = store->query();
    query.search = QStringLiteral("p06");
    store->setQuery(query);
    ASSERT_EQ(store->visibleOrder(), QList<QUuid>{kept});
    moveTo(thumbnailPoint(0) + QPointF(1, 1), Qt::ControlModifier);
    EXPECT_EQ(store->selection(), QSet<QUuid>{kept});
    EXPECT_FALSE(store->selection().contains(hidden));
    release(thumbnailPoint(0), Qt::ControlModifier);
}

TEST_F(GridMouse, RangeDragsSelectOnlyWhatIsStillShown) {
    openMedia(8);
    showGrid(936, 1400);
    click(thumbnailPoint(7));
    press(thumbnailPoint(1), Qt::ControlModifier);
    moveTo(thumbnailPoint(3), Qt::ControlModifier);
    EXPECT_EQ(store->selection(), idsFrom(1, 3) + idsAt({7}));
    const QUuid start = idAt(1);
    MediaQuery query = store->query();
    query.search = QStringLiteral("p01");
    store->setQuery(query);
    ASSERT_EQ(store->visibleOrder(), QList<QUuid>{start});
    moveTo(thumbnailPoint(0) + QPointF(2, 2), Qt::ControlModifier);
    EXPECT_EQ(store->selection(), QSet<QUuid>{start});
    release(thumbnailPoint(0), Qt::ControlModifier);
}

TEST_F(GridMouse, AutoScrollFollowsTheInjectedClock) {
    openMedia(40);
    showGrid(710, 300);  // a zone of 56 at either edge
    double now = 10;
    bool held = true;
    grid->interaction().setClock([&] { return now; });
    grid->interaction().setButtons([&] { return held ? Qt::LeftButton : Qt::NoButton; });
    const QRectF first = grid->gridLayout().frame(0);
    const double x = first.right() + 8;
    double expected = 0;
    const auto scrolled = [&] { return grid->verticalScrollBar()->value(); };
    press({x, 20});
    moveTo({x, 300});  // at the bottom edge: 440 px/s, a 30th of it at once
    expected += 440.0 / 30;
    EXPECT_NEAR(scrolled(), expected, 1);
    now += 0.05;
    grid->interaction().tick();
    expected += 440 * 0.05;
    EXPECT_NEAR(scrolled(), expected, 1);
    now += 1.0;  // a late tick scrolls a 15th of a second's worth at most
    grid->interaction().tick();
    expected += 440.0 / 15;
    EXPECT_NEAR(scrolled(), expected, 1);
    moveTo({x, 150});  // the middle: no scrolling
    now += 0.05;
    grid->interaction().tick();
    EXPECT_NEAR(scrolled(), expected, 1);
    moveTo({x, 300 - 28});  // half way into the zone: 235 px/s
    now += 0.04;
    grid->interaction().tick();
    expected += 235 * 0.04;
    EXPECT_NEAR(scrolled(), expected, 1);
    moveTo({x, -10});  // above the top: upwards at 440 px/s
    now += 0.05;
    grid->interaction().tick();
    expected -= 440 * 0.05;
    EXPECT_NEAR(scrolled(), expected, 1);
    moveTo({-5, -10});  // beside the grid: no scrolling
    now += 0.05;
    grid->interaction().tick();
    EXPECT_NEAR(scrolled(), expected, 1);
    EXPECT_TRUE(grid->interaction().dragging());
    held = false;  // the button was let go where the grid did not see it
    grid->interaction().tick();
    EXPECT_FALSE(grid->interaction().dragging());
    EXPECT_FALSE(grid->marqueeRect());
}

TEST_F(GridMouse, MarqueeKeepsItsStartWhileTheGridScrolls) {
    openMedia(40);
    showGrid(710, 300);
    double now = 0;
    grid->interaction().setClock([&] { return now; });
    grid->interaction().setButtons([] { return Qt::LeftButton; });
    const QRectF first = grid->gridLayout().frame(0);
    const QPointF start(first.right() + 8, 20);  // between the first two columns
    press(start);
    moveTo({start.x() + 10, 299});  // into the second column, at the bottom edge
    for (int step = 0; step < 20; ++step) {
        now += 1.0 / 30;
        grid->interaction().tick();
    }
    const double offset = grid->verticalScrollBar()->value();
    ASSERT_GT(offset, 100);
    ASSERT_TRUE(grid->marqueeRect());
    EXPECT_DOUBLE_EQ(grid->marqueeRect()->top(), 20 - offset);
    EXPECT_DOUBLE_EQ(grid->marqueeRect()->bottom(), 299);
    const double pitch = grid->gridLayout().cardHeight() + GridLayout::rowSpacing;
    const auto lastRow = static_cast<qsizetype>((offset + 299) / pitch);
    QSet<QUuid> secondColumn;
    for (qsizetype row = 0; row <= lastRow; ++row) {
        secondColumn += idAt(row * 3 + 1);
    }
    EXPECT_EQ(store->selection(), secondColumn);
    release({start.x() + 10, 299});
}

}  // namespace
}  // namespace lumivex::test
