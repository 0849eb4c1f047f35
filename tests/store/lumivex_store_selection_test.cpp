#include <QDir>
#include "store/grid_navigation.h"
#include "store/store_fixture.h"
#include "support/test_files.h"

namespace lumivex::test {
namespace {

TEST(GridNavigation, MovesWithinTheGrid) {
    using enum GridNavigationDirection;
    EXPECT_EQ(gridTarget(5, 10, 4, down), 9);
    EXPECT_EQ(gridTarget(7, 10, 4, down), 9);
    EXPECT_EQ(gridTarget(8, 10, 4, down), 8);
    EXPECT_EQ(gridTarget(2, 10, 4, up), 2);
    EXPECT_EQ(gridTarget(6, 10, 4, up), 2);
    EXPECT_EQ(gridTarget(0, 10, 4, left), 0);
    EXPECT_EQ(gridTarget(9, 10, 4, right), 9);
    EXPECT_EQ(gridTarget(3, 10, 0, down), 4);
    EXPECT_EQ(gridTarget(3, 10, -2, up), 2);
}

class SelectionTest : public StoreTest {
protected:
    void SetUp() override {
        makeTree();
        addPhoto(QStringLiteral("d.jpg"));
        openLibrary();
        order = store->visibleOrder();
        ASSERT_EQ(order.size(), 4);
    }
    QList<QUuid> order;
};

TEST_F(SelectionTest, ShiftExtendsFromTheAnchorAndCtrlToggles) {
    store->select(order[2], Qt::NoModifier);
    EXPECT_EQ(shell.endedEditing, 1);
    store->select(order[0], Qt::ShiftModifier);
    EXPECT_EQ(store->selection(), (QSet<QUuid>{order[0], order[1], order[2]}));
    store->select(order[3], Qt::ShiftModifier);
    EXPECT_EQ(store->selection().size(), 4) << "the anchor stayed at the first click";

    store->select(order[1], Qt::NoModifier);
    store->select(order[1], Qt::ControlModifier);
    EXPECT_TRUE(store->selection().isEmpty());
    store->select(order[3], Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(store->selection(), (QSet<QUuid>{order[1], order[2], order[3]}));

    store->select(QUuid::createUuid(), Qt::NoModifier);
    EXPECT_EQ(store->selection().size(), 3);
    EXPECT_EQ(shell.endedEditing, 6) << "an unknown item does not end text editing";
}

TEST_F(SelectionTest, ShiftWithoutAVisibleAnchorActsLikeAPlainClick) {
    store->select(order[0], Qt::NoModifier);
    MediaQuery query;
    query.search = store->library().items.first().filename == QStringLiteral("a.jpg")
                       ? QStringLiteral("b.jpg")
                       : QStringLiteral("a.jpg");
    const QUuid anchor = order[0];
    store->setQuery(query);
    ASSERT_FALSE(store->visibleOrder().contains(anchor));
    const QUuid visible = store->visibleOrder().first();
    store->select(visible, Qt::ShiftModifier);
    EXPECT_EQ(store->selection(), QSet<QUuid>{visible});
}

TEST_F(SelectionTest, ArrowsMoveOneSelectedItemAndRatingKeysNeedAVisibleItem) {
    EXPECT_FALSE(store->moveSingleSelection(GridNavigationDirection::right, 2));
    store->select(order[0], Qt::NoModifier);
    EXPECT_EQ(store->moveSingleSelection(GridNavigationDirection::down, 2), order[2]);
    EXPECT_EQ(store->moveSingleSelection(GridNavigationDirection::down, 2), order[2]);
    EXPECT_EQ(store->selection(), QSet<QUuid>{order[2]});

    EXPECT_FALSE(store->setSingleSelectionRating(6));
    EXPECT_FALSE(store->setSingleSelectionRating(-1));
    EXPECT_TRUE(store->setSingleSelectionRating(0)) << "already 0: handled, nothing saved";
    EXPECT_FALSE(store->metadataHistory().canUndo());
    EXPECT_TRUE(store->setSingleSelectionRating(3));
    EXPECT_EQ(store->selectedRating(), 3);

    store->selectAllVisible();
    EXPECT_EQ(store->selection().size(), 4);
    EXPECT_FALSE(store->moveSingleSelection(GridNavigationDirection::left, 2));
    EXPECT_FALSE(store->setSingleSelectionRating(1));
    EXPECT_FALSE(store->selectedRating()) << "mixed ratings";
}

// A digit key rates the one selected item only while the grid shows it: a query set since the
// selection may have hidden it, and a key the user cannot see act must change nothing.
TEST_F(SelectionTest, ARatingKeyLeavesASelectedItemTheQueryHidesAlone) {
    store->setRating(2, order[1]);
    store->select(order[0], Qt::NoModifier);
    MediaQuery query = store->query();
    query.minimumRating = 1;
    store->setQuery(query);
    ASSERT_EQ(store->selection(), QSet<QUuid>{order[0]});
    ASSERT_FALSE(store->visibleOrder().contains(order[0]));
    const QByteArray catalog = readFile(at(QStringLiteral(".lumivex/lumivex.csv")));

    EXPECT_FALSE(store->setSingleSelectionRating(3));
    for (const MediaItem& each : store->library().items) {
        EXPECT_EQ(each.rating, each.id == order[1] ? 2 : 0) << each.filename.toStdString();
    }
    EXPECT_EQ(store->metadataHistory().undo().size(), 1) << "only the rating set up above";
    EXPECT_EQ(readFile(at(QStringLiteral(".lumivex/lumivex.csv"))), catalog);
}

TEST_F(SelectionTest, CommitPrunesHiddenItems) {
    store->setRating(2, order[0]);
    store->setRating(2, order[1]);
    store->select(order[0], Qt::NoModifier);
    store->select(order[1], Qt::ControlModifier);
    store->select(order[2], Qt::ControlModifier);
    MediaQuery query = store->query();
    query.minimumRating = 1;
    store->setQuery(query);
    EXPECT_EQ(store->selectedItems().size(), 3) << "hidden items stay selected until a commit";
    store->setNotes(QStringLiteral("kept"), order[0]);
    EXPECT_EQ(store->selection(), (QSet<QUuid>{order[0], order[1]}));
    EXPECT_EQ(store->selectedItems().size(), 2);
}

TEST_F(SelectionTest, AHiddenAnchorMovesToTheFirstVisibleSelectedItem) {
    for (const int i : {0, 1, 3}) {
        store->setRating(2, order[i]);
    }
    store->select(order[0], Qt::NoModifier);
    store->select(order[1], Qt::ControlModifier);
    store->select(order[2], Qt::ControlModifier);  // the anchor, about to be hidden
    MediaQuery query = store->query();
    query.minimumRating = 1;
    store->setQuery(query);
    store->setNotes(QStringLiteral("commit"), order[3]);
    ASSERT_EQ(store->selection(), (QSet<QUuid>{order[0], order[1]}));

    const QList<QUuid> visible = store->visibleOrder();
    const qsizetype anchor = std::min(visible.indexOf(order[0]), visible.indexOf(order[1]));
    const qsizetype target = visible.indexOf(order[3]);
    store->select(order[3], Qt::ShiftModifier);
    QSet<QUuid> expected{order[0], order[1]};
    for (qsizetype i = std::min(anchor, target); i <= std::max(anchor, target); ++i) {
        expected.insert(visible[i]);
    }
    EXPECT_EQ(store->selection(), expected);
}

// Among many visible items a commit that keeps the visible order places the few selected items
// through the order's ranks: the pruning and the anchor must come out as a walk of the order
// gives them. (Items hidden by a new query stay selected until the next commit.)
TEST_F(StoreTest, ACommitPrunesAFewSelectedItemsAmongManyAsTheVisibleOrderHasThem) {
    for (int i = 0; i < 150; ++i) {
        addPhoto(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
    }
    openLibrary();
    const QList<QUuid> order = store->visibleOrder();
    ASSERT_EQ(order.size(), 150);
    store->setRating(3, order[50]);
    store->setRating(1, order[42]);
    store->select(order[60], Qt::NoModifier);
    store->select(order[40], Qt::ControlModifier);
    store->select(order[42], Qt::ControlModifier);
    store->select(order[50], Qt::ControlModifier);  // the anchor, about to be pruned
    MediaQuery query = store->query();
    query.unratedOnly = true;
    store->setQuery(query);
    ASSERT_EQ(store->visibleOrder().size(), 148);
    store->setNotes(QStringLiteral("메모"), order[60]);  // the query reads no notes
    EXPECT_EQ(store->selection(), (QSet<QUuid>{order[40], order[60]}));
    // The anchor moved to the first visible selected item, order[40]: a range reaches from it.
    store->select(order[43], Qt::ShiftModifier);
    EXPECT_EQ(store->selection(), (QSet<QUuid>{order[40], order[41], order[43], order[60]}));
}

TEST_F(SelectionTest, LockedStoreStillSelectsButMovesNothing) {
    store->select(order[0], Qt::NoModifier);
    QDir(library).removeRecursively();
    store->setRating(4);
    ASSERT_TRUE(store->locked());
    EXPECT_FALSE(store->moveSingleSelection(GridNavigationDirection::right, 4));
    EXPECT_FALSE(store->setSingleSelectionRating(2));
    store->selectAllVisible();
    EXPECT_EQ(store->selection().size(), 1);
    store->select(order[1], Qt::NoModifier);
    EXPECT_EQ(store->selection(), QSet<QUuid>{order[1]});
}

}  // namespace
}  // namespace lumivex::test
