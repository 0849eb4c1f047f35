#pragma once

#include "model/library_browse_snapshot.h"

#include <gtest/gtest.h>

namespace lumivex::test {

// Expects two browse snapshots to hold the same items, positions, counts and option lists.
inline void expectSameCounts(const LibraryBrowseSnapshot& actual,
                             const LibraryBrowseSnapshot& expected) {
    EXPECT_EQ(actual.items, expected.items);
    EXPECT_EQ(actual.positions, expected.positions);
    EXPECT_EQ(actual.photoCount, expected.photoCount);
    EXPECT_EQ(actual.videoCount, expected.videoCount);
    EXPECT_EQ(actual.videoDurationCounts, expected.videoDurationCounts);
    EXPECT_EQ(actual.unratedCount, expected.unratedCount);
    EXPECT_EQ(actual.unclassifiedCount, expected.unclassifiedCount);
    EXPECT_EQ(actual.folderPaths, expected.folderPaths);
    EXPECT_EQ(actual.folderTree, expected.folderTree);
    EXPECT_EQ(actual.labels, expected.labels);
}

// Expects two browse snapshots to hold the same values in every field.
inline void expectSameSnapshot(const LibraryBrowseSnapshot& actual,
                               const LibraryBrowseSnapshot& expected) {
    expectSameCounts(actual, expected);
    EXPECT_EQ(actual.purpose(), expected.purpose());
    EXPECT_EQ(actual.queryKeys.folders, expected.queryKeys.folders);
    EXPECT_EQ(actual.queryKeys.folderOfItem, expected.queryKeys.folderOfItem);
    EXPECT_TRUE(actual.queryKeys.searchTexts == expected.queryKeys.searchTexts);
    EXPECT_EQ(actual.queryKeys.nameRanks, expected.queryKeys.nameRanks);
}

}  // namespace lumivex::test
