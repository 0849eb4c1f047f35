#include "browser/grid_fixture.h"

#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>

namespace lumivex::test {
namespace {

class GridKeys : public GridTest {
protected:
    std::int64_t ratingAt(qsizetype position) {
        const QUuid id = idAt(position);
        for (const MediaItem& candidate : store->library().items) {
            if (candidate.id == id) {
                return candidate.rating;
            }
        }
        ADD_FAILURE() << "no item at " << position;
        return -1;
    }
    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : window.get(), static_cast<Qt::Key>(code),
                        modifiers);
    }
};

TEST_F(GridKeys, ArrowsMoveTheSingleSelectionInFourColumns) {
    openMedia(10);
    showGrid(936, 1400);
    ASSERT_EQ(grid->columns(), 4);
    click(thumbnailPoint(5));
    key(Qt::Key_Right);
    EXPECT_EQ(store->selection(), idsAt({6}));
    key(Qt::Key_Down);  // row 2 holds 8 and 9 only
    EXPECT_EQ(store->selection(), idsAt({9}));
    key(Qt::Key_Down);  // no row below: stays, consumed
    EXPECT_EQ(store->selection(), idsAt({9}));
    key(Qt::Key_Up);
    EXPECT_EQ(store->selection(), idsAt({5}));
    key(Qt::Key_Up);
    key(Qt::Key_Left);
    EXPECT_EQ(store->selection(), idsAt({0}));
    key(Qt::Key_Up, Qt::KeypadModifier);
    EXPECT_EQ(store->selection(), idsAt({0}));
    EXPECT_TRUE(window->keys.isEmpty());

    click(thumbnailPoint(3), Qt::ControlModifier);
    key(Qt::Key_Up);  // two selected: the key goes on to the window
    EXPECT_EQ(store->selection(), idsAt({0, 3}));
    EXPECT_EQ(window->keys, QList<int>{Qt::Key_Up});
}

TEST_F(GridKeys, AMoveOutOfViewScrollsToTheCard) {
    openMedia(30);
    showGrid(710, 300);
    click(thumbnailPoint(1));
    for (int step = 0; step < 4; ++step) {
        key(Qt::Key_Down);
    }
    EXPECT_EQ(store->selection(), idsAt({13}));
    const QRectF frame = grid->gridLayout().frame(13);
    const double offset = grid->verticalScrollBar()->value();
    EXPECT_GE(frame.top(), offset);
    EXPECT_LE(frame.bottom(), offset + 300);
}

TEST_F(GridKeys, PageHomeAndEndKeysScrollAndLeaveTheSelection) {
    openMedia(60);
    showGrid(710, 300);
    click(thumbnailPoint(1));
    key(Qt::Key_PageDown);
    key(Qt::Key_PageDown);
    key(Qt::Key_PageUp);
    EXPECT_EQ(grid->verticalScrollBar()->value(), grid->viewport()->height());
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());
    key(Qt::Key_Home);
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
    EXPECT_EQ(store->selection(), idsAt({1}));
}

TEST_F(GridKeys, DigitsRateTheOneSelectedItem) {
    openMedia(4);
    showGrid(710, 700);
    click(thumbnailPoint(1));
    key(Qt::Key_3);
    EXPECT_EQ(ratingAt(1), 3);
    key(Qt::Key_4, Qt::KeypadModifier);
    EXPECT_EQ(ratingAt(1), 4);
    key(Qt::Key_6);
    key(Qt::Key_3, Qt::ShiftModifier);
    EXPECT_EQ(ratingAt(1), 4);
    EXPECT_EQ(window->keys, (QList<int>{Qt::Key_6, Qt::Key_Shift, Qt::Key_3}));
    key(Qt::Key_0);
    EXPECT_EQ(ratingAt(1), 0);
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("별점 변경 실행 취소"));

    click(thumbnailPoint(2), Qt::ControlModifier);
    key(Qt::Key_2);  // two selected: nothing
    EXPECT_EQ(ratingAt(1), 0);
    EXPECT_EQ(ratingAt(2), 0);
}

TEST_F(GridKeys, TypingInATextFieldLeavesTheGridAlone) {
    openMedia(4);
    showGrid(710, 700);
    auto* search = new QLineEdit(window.get());
    search->setGeometry(0, 0, 100, 20);
    search->show();
    click(thumbnailPoint(1));
    search->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return search->hasFocus(); }));
    key(Qt::Key_3);
    key(Qt::Key_Backspace);
    key(Qt::Key_5);
    EXPECT_EQ(search->text(), QStringLiteral("5"));
    EXPECT_EQ(ratingAt(1), 0);
    EXPECT_FALSE(store->deletionRequest());
    // A press on the grid takes typing away from the field.
    click(thumbnailPoint(1));
    EXPECT_FALSE(search->hasFocus());
    key(Qt::Key_2);
    EXPECT_EQ(ratingAt(1), 2);
    EXPECT_EQ(search->text(), QStringLiteral("5"));
}

TEST_F(GridKeys, DeleteAsksToDeleteTheSelection) {
    openMedia(3, 1);
    showGrid(710, 700);
    click(thumbnailPoint(0));
    click(thumbnailPoint(3), Qt::ControlModifier);
    key(Qt::Key_Delete);
    ASSERT_TRUE(store->deletionRequest());
    EXPECT_EQ(store->deletionRequest()->items.size(), 2);
    store->cancelDeletionRequest();
    key(Qt::Key_Backspace);
    EXPECT_TRUE(store->deletionRequest());
    EXPECT_TRUE(window->keys.isEmpty());
}

TEST_F(GridKeys, ControlAWinsOverAShortcutAndSelectsEverythingShown) {
    openMedia(5);
    showGrid(710, 700);
    QShortcut shortcut(QKeySequence(QStringLiteral("Ctrl+A")), window.get());
    QSignalSpy shortcutFired(&shortcut, &QShortcut::activated);
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(store->selection(), idsFrom(0, 4));
    EXPECT_EQ(shortcutFired.size(), 0);
    store->setSelection({});
    key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_A, Qt::MetaModifier);
    EXPECT_TRUE(store->selection().isEmpty());
}

TEST_F(GridKeys, KeysWaitWhileTheGridIsDisabledOrAMenuIsOpen) {
    openMedia(3);
    showGrid(710, 700);
    click(thumbnailPoint(0));
    grid->setInteractionEnabled(false);
    key(Qt::Key_Delete);
    EXPECT_FALSE(store->deletionRequest());
    grid->setInteractionEnabled(true);
    QMenu menu(window.get());
    menu.addAction(QStringLiteral("항목"));
    menu.popup(window->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }));
    QTest::keyClick(&menu, Qt::Key_Delete);
    EXPECT_FALSE(store->deletionRequest());
    menu.close();
}

}  // namespace
}  // namespace lumivex::test
