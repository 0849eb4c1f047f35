#include "store/maintenance_schedule.h"
#include "store/store_fixture.h"

#include "support/test_files.h"

#include <QFile>

namespace lumivex::test {
namespace {

DeletedArchive archiveDeletedAt(std::initializer_list<double> times) {
    DeletedArchive archive;
    for (const double time : times) {
        MediaItem item;
        item.id = QUuid::createUuid();
        item.filename = QStringLiteral("gone.jpg");
        archive.records.append({item, Date{time}});
    }
    return archive;
}

TEST(MaintenanceSchedule, WaitsForTheFirstDueRecordWithinOneSecondAndOneHour) {
    const Date now{1000000.0};
    EXPECT_EQ(MaintenanceSchedule::nextWait(true, archiveDeletedAt({0}), now), 60);
    EXPECT_EQ(MaintenanceSchedule::nextWait(false, {}, now), 3600);
    const double week = DeletedArchive::retentionSeconds;
    EXPECT_EQ(MaintenanceSchedule::nextWait(false, archiveDeletedAt({now.secondsSince1970}), now),
              3600);
    EXPECT_EQ(MaintenanceSchedule::nextWait(
                  false, archiveDeletedAt({now.secondsSince1970 - week + 3599.5}), now),
              3599.5);
    EXPECT_EQ(MaintenanceSchedule::nextWait(
                  false, archiveDeletedAt({now.secondsSince1970 - week + 0.25}), now),
              1);
    EXPECT_EQ(
        MaintenanceSchedule::nextWait(false, archiveDeletedAt({0, now.secondsSince1970}), now), 1);
}

TEST(MaintenanceSchedule, ARecordExactlyAWeekOldGoesAndAFutureOneStays) {
    const Date now{2000000.0};
    const double week = DeletedArchive::retentionSeconds;
    const DeletedArchive archive =
        archiveDeletedAt({now.secondsSince1970 - week, now.secondsSince1970 - week + 0.001,
                          now.secondsSince1970 + 50});
    const QList<DeletedRecord> kept = MaintenanceSchedule::unexpired(archive.records, now);
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[0].deletedAt.secondsSince1970, now.secondsSince1970 - week + 0.001);
    EXPECT_EQ(kept[1].deletedAt.secondsSince1970, now.secondsSince1970 + 50);
}

using MaintenanceTest = StoreTest;

TEST_F(MaintenanceTest, PurgesARecordAWeekAfterItsDeletion) {
    makeTree();
    openLibrary();
    EXPECT_EQ(clock.pendingWaits(), std::vector<double>{60}) << "the first scan runs";
    ASSERT_TRUE(QFile::remove(at(QStringLiteral("b.jpg"))));
    store->rescan(false);
    settle();
    ASSERT_EQ(store->deletedArchive().records.size(), 1);
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(2);

    clock.advance(DeletedArchive::retentionSeconds - 1);
    EXPECT_EQ(store->deletedArchive().records.size(), 1);
    EXPECT_TRUE(store->metadataHistory().canUndo());
    clock.advance(1);
    EXPECT_TRUE(store->deletedArchive().records.isEmpty());
    EXPECT_FALSE(store->metadataHistory().canUndo()) << "a purge empties the history";
    EXPECT_FALSE(readFile(at(QStringLiteral(".lumivex/deleted.csv"))).contains("b.jpg"));
    EXPECT_EQ(clock.pendingWaits(), std::vector<double>{3600});
}

TEST_F(MaintenanceTest, BusyStoreOnlyRetriesEveryMinute) {
    makeTree();
    openLibrary();
    ASSERT_TRUE(QFile::remove(at(QStringLiteral("b.jpg"))));
    store->rescan(false);
    settle();
    listing.holding = true;
    store->rescan(false);
    clock.advance(DeletedArchive::retentionSeconds + 100);
    EXPECT_EQ(store->deletedArchive().records.size(), 1) << "no purge during a scan";
    EXPECT_EQ(clock.requestedWaits().back(), 60);
    store->cleanupArchivedMetadata();
    EXPECT_EQ(store->deletedArchive().records.size(), 1);
    listing.release();
    settle();
    EXPECT_TRUE(store->deletedArchive().records.isEmpty());
}

TEST_F(MaintenanceTest, CleanupWithNothingDueWritesNothing) {
    makeTree();
    openLibrary();
    const auto saved = store->lastSaved();
    clock.advance(100);
    store->cleanupArchivedMetadata();
    EXPECT_EQ(store->lastSaved(), saved);
}

}  // namespace
}  // namespace lumivex::test
