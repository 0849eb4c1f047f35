#include "store/metadata_undo_history.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

MediaItems items(qsizetype count) {
    MediaItems result;
    for (qsizetype index = 0; index < count; ++index) {
        MediaItem item;
        item.id = QUuid::createUuid();
        item.filename = QStringLiteral("photo%1.jpg").arg(index);
        result.append(std::move(item));
    }
    return result;
}

// States that differ by version only, so a step is real while its items stay shared.
LibraryState state(std::int64_t version, const MediaItems& items = {},
                   qsizetype deletedRecords = 0) {
    LibraryState result{Library::withContents({}, items), {}};
    result.library.version = version;
    result.deleted.records.resize(deletedRecords);
    return result;
}

QStringList titles(const QList<MetadataUndoHistory::Entry>& entries) {
    QStringList result;
    for (const MetadataUndoHistory::Entry& entry : entries) {
        result.append(entry.title);
    }
    return result;
}

void recordSteps(MetadataUndoHistory& history, int first, int last,
                 const MediaItems& library = {}) {
    for (int step = first; step <= last; ++step) {
        history.record(QString::number(step), state(step - 1, library), state(step, library));
    }
}

TEST(MetadataUndoHistory, StepThatChangesNothingLeavesBothStacks) {
    MetadataUndoHistory history;
    recordSteps(history, 1, 2);
    history.didUndo();
    const LibraryState same = state(7);
    history.record(QStringLiteral("별점 변경"), same, same);
    EXPECT_EQ(titles(history.undo()), QStringList{QStringLiteral("1")});
    EXPECT_EQ(titles(history.redo()), QStringList{QStringLiteral("2")});
}

TEST(MetadataUndoHistory, RecordingAfterUndoEmptiesRedo) {
    MetadataUndoHistory history;
    recordSteps(history, 1, 2);
    history.didUndo();
    ASSERT_TRUE(history.canRedo());
    history.record(QStringLiteral("메모 변경"), state(1), state(9));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(titles(history.undo()),
              (QStringList{QStringLiteral("1"), QStringLiteral("메모 변경")}));
}

TEST(MetadataUndoHistory, UndoThenRedoReturnsTheSameEntry) {
    MetadataUndoHistory history;
    history.record(QStringLiteral("별점 변경"), state(1), state(2));
    const MetadataUndoHistory::Entry recorded = history.undo().constLast();
    history.didUndo();
    EXPECT_FALSE(history.canUndo());
    ASSERT_EQ(history.redo().size(), 1);
    EXPECT_EQ(history.redo().constLast(), recorded);
    history.didRedo();
    EXPECT_FALSE(history.canRedo());
    ASSERT_EQ(history.undo().size(), 1);
    EXPECT_EQ(history.undo().constLast(), recorded);
    EXPECT_EQ(history.undo().constLast().before, state(1));
    EXPECT_EQ(history.undo().constLast().after, state(2));
}

TEST(MetadataUndoHistory, MovesOnEmptyStacksDoNothing) {
    MetadataUndoHistory history;
    history.didUndo();
    history.didRedo();
    EXPECT_EQ(history, MetadataUndoHistory());
    recordSteps(history, 1, 1);
    history.didRedo();
    EXPECT_EQ(titles(history.undo()), QStringList{QStringLiteral("1")});
    EXPECT_TRUE(history.redo().isEmpty());
}

TEST(MetadataUndoHistory, ClearEmptiesBothStacks) {
    MetadataUndoHistory history;
    recordSteps(history, 1, 3);
    history.didUndo();
    history.clear();
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
}

TEST(MetadataUndoHistory, TwentyStepsStayAndTheTwentyFirstDropsTheOldest) {
    MetadataUndoHistory history;
    recordSteps(history, 1, 20);
    EXPECT_EQ(history.undo().size(), 20);
    recordSteps(history, 21, 21);
    const QStringList kept = titles(history.undo());
    ASSERT_EQ(kept.size(), 20);
    EXPECT_EQ(kept.constFirst(), QStringLiteral("2"));
    EXPECT_EQ(kept.constLast(), QStringLiteral("21"));
}

TEST(MetadataUndoHistory, RedoStackIsNeitherCountedNorTrimmed) {
    MetadataUndoHistory history;
    recordSteps(history, 1, 20);
    for (int step = 0; step < 20; ++step) {
        history.didUndo();
    }
    for (int step = 0; step < 20; ++step) {
        history.didRedo();
    }
    EXPECT_EQ(history.undo().size(), 20);
    EXPECT_EQ(titles(history.undo()).constFirst(), QStringLiteral("1"));
}

TEST(MetadataUndoHistory, ItemLimitIsInclusiveAndDropsOldestFirst) {
    const MediaItems library = items(50000);
    MetadataUndoHistory history;
    recordSteps(history, 1, 2, library);
    EXPECT_EQ(titles(history.undo()), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    recordSteps(history, 3, 3, library);
    EXPECT_EQ(titles(history.undo()), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
}

TEST(MetadataUndoHistory, OneStepLargerThanTheLimitStaysAlone) {
    const MediaItems library = items(100001);
    MetadataUndoHistory history;
    recordSteps(history, 1, 1, library);
    EXPECT_EQ(titles(history.undo()), QStringList{QStringLiteral("1")});
    recordSteps(history, 2, 2, library);
    EXPECT_EQ(titles(history.undo()), QStringList{QStringLiteral("2")});
}

TEST(MetadataUndoHistory, DeletedRecordsCountLikeItems) {
    const MetadataUndoHistory::Entry entry{QStringLiteral("t"), state(1, items(1000), 500),
                                           state(2, items(1000), 500)};
    EXPECT_EQ(entry.retainedSize(), 3000);

    // 66 steps of 3000 stay within the limit; a 67th of them does not.
    MetadataUndoHistory history;
    const MediaItems library = items(1000);
    for (int step = 1; step <= 67; ++step) {
        history.record(QString::number(step), state(step - 1, library, 500),
                       state(step, library, 500));
    }
    EXPECT_EQ(history.undo().size(), 20);
}

TEST(MetadataUndoHistory, RecordedStatesShareTheirItemsWithTheCaller) {
    const MediaItems library = items(1000);
    MetadataUndoHistory history;
    history.record(QStringLiteral("별점 변경"), state(1, library), state(2, library));
    const MetadataUndoHistory copy = history;
    EXPECT_TRUE(copy.undo().constLast().before.library.items.sharesAllItemsWith(library));
    EXPECT_TRUE(copy.undo().constLast().after.library.items.sharesAllItemsWith(library));
}

}  // namespace
}  // namespace lumivex
