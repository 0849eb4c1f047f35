#include "model/media_scanner.h"
#include "model/file_deletion_validation.h"
#include "platform/error.h"
#include "platform/file_status.h"
#include "support/child_step.h"
#include "support/media_fixtures.h"
#include "support/test_files.h"
#include "support/unprivileged.h"

#include <QFile>
#include <QMutex>
#include <QSemaphore>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <optional>

using namespace lumivex;
using namespace lumivex::test;

namespace {

constexpr double noonUTC = 1714564800.0;  // 2024-05-01 12:00:00 UTC
const Date scanTime{1800000000.0};

QStringList filenames(const QList<MediaItem>& items) {
    QStringList names;
    for (const MediaItem& item : items) {
        names.append(item.filename);
    }
    return names;
}

const MediaItem& named(const QList<MediaItem>& items, const char* filename) {
    for (const MediaItem& item : items) {
        if (item.filename == QString::fromUtf8(filename)) {
            return item;
        }
    }
    throw std::runtime_error(std::string("no item ") + filename);
}

class MediaScannerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }

    QString path(const char* relative) const { return root_.filePath(QString::fromUtf8(relative)); }
    void photo(const char* relative, const char* original = "2024:05:01 12:00:00") {
        writeJpeg(path(relative), {.original = original, .originalOffset = "+00:00"});
    }
    QList<MediaItem> scan(const QList<MediaItem>& previous = {}, bool includeSubfolders = true) {
        return MediaScanner::scanFolder(
            root_.path(), previous, includeSubfolders, [] { return scanTime; },
            [] { return false; });
    }
    QString root() const { return root_.path(); }

private:
    QTemporaryDir root_;
};

}  // namespace

TEST_F(MediaScannerTest, EmptyOrHiddenOnlyFoldersGiveNothing) {
    EXPECT_TRUE(scan().isEmpty());
    photo(".hidden.jpg");
    photo(".lumivex/a.jpg");
    photo(".cache/b.jpg");
    writeFile(path(".lumivex/lumivex.csv"), "x");
    EXPECT_TRUE(scan().isEmpty());
}

TEST_F(MediaScannerTest, SkipsLinksNonMediaAndUnnamableEntries) {
    photo("real.jpg");
    photo("albums/inner.jpg");
    photo("named.jpg/inner.jpg");  // a folder named like a photo is a folder
    makeSymbolicLink(path("real.jpg"), path("link.jpg"));
    makeSymbolicLink(path("albums"), path("linked-album"));
    writeFile(path("notes.txt"), "text");
    writeFile(path("song.mp3"), "ID3");
    writeFile(path("README"), "x");
    writeFile(path("weird.zzqx"), "x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.jpg")).constData(), 0644), 0);
    const RawNamedFile unnamable(root(), QByteArray("\xff\xfe.jpg"));
    const QStringList found = filenames(scan());
    EXPECT_EQ(QSet<QString>(found.begin(), found.end()),
              (QSet<QString>{QStringLiteral("real.jpg"), QStringLiteral("albums/inner.jpg"),
                             QStringLiteral("named.jpg/inner.jpg")}));
}

TEST_F(MediaScannerTest, NamesBeginningWithAByteOrderMarkKeepIt) {
    const QString mark(QChar(0xFEFF));
    photo("photo.jpg");
    writeJpeg(root() + u'/' + mark + QStringLiteral("photo.jpg"), {});
    writeJpeg(root() + u'/' + mark + QStringLiteral("2024/") + mark + QStringLiteral("a.jpg"), {});
    const QStringList found = filenames(scan());
    EXPECT_EQ(QSet<QString>(found.begin(), found.end()),
              (QSet<QString>{QStringLiteral("photo.jpg"), mark + QStringLiteral("photo.jpg"),
                             mark + QStringLiteral("2024/") + mark + QStringLiteral("a.jpg")}));
}

TEST_F(MediaScannerTest, BreadthFirstWithRelativeNames) {
    photo("2023/Trip/IMG_1.jpg");
    photo("2023/b.jpg");
    photo("a.jpg");
    photo("2023/Trip/Day 1/사진.jpg");
    EXPECT_EQ(filenames(scan()), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("2023/b.jpg"),
                                              QStringLiteral("2023/Trip/IMG_1.jpg"),
                                              QStringLiteral("2023/Trip/Day 1/사진.jpg")}));
    EXPECT_EQ(filenames(scan({}, false)), QStringList{QStringLiteral("a.jpg")});
}

TEST_F(MediaScannerTest, BuildsFreshRecords) {
    photo("a.jpg");
    writeFile(path("undated.jpg"), plainJpeg());
    writeVideo(path("clip.mp4"), {.creationTime = "2024-05-01T12:00:00.000000Z"});
    const QList<MediaItem> items = scan();
    ASSERT_EQ(items.size(), 3);
    QSet<QUuid> ids;
    for (const MediaItem& item : items) {
        const FileStatus status = FileStatus::read(root() + u'/' + item.filename);
        EXPECT_FALSE(item.id.isNull());
        ids.insert(item.id);
        EXPECT_EQ(item.fileIdentity,
                  FileDeletionValidation::identity(root() + u'/' + item.filename, status.created));
        EXPECT_EQ(item.size, status.size);
        EXPECT_EQ(item.modified, *status.modified);
        EXPECT_EQ(item.added, scanTime);
        EXPECT_EQ(item.rating, 0);
        EXPECT_TRUE(item.labels.empty());
        EXPECT_TRUE(item.notes.isEmpty());
        EXPECT_TRUE(item.available);
    }
    EXPECT_EQ(ids.size(), 3);
    EXPECT_EQ(named(items, "a.jpg").kind, MediaKind::photo);
    EXPECT_EQ(named(items, "a.jpg").capturedAt, Date{noonUTC});
    EXPECT_FALSE(named(items, "a.jpg").duration);
    // Without a date inside, the file's own creation time stands in (absent where not recorded).
    EXPECT_EQ(named(items, "undated.jpg").capturedAt,
              FileStatus::read(path("undated.jpg")).created);
    const MediaItem& clip = named(items, "clip.mp4");
    EXPECT_EQ(clip.kind, MediaKind::video);
    EXPECT_EQ(clip.capturedAt, Date{noonUTC});
    ASSERT_TRUE(clip.duration);
    EXPECT_NEAR(*clip.duration, 0.5, 0.01);
}

TEST_F(MediaScannerTest, ReusesDatesOfUnchangedFilesOnly) {
    photo("a.jpg");
    writeVideo(path("clip.mp4"), {.creationTime = "2024-05-01T12:00:00.000000Z"});
    QList<MediaItem> previous = scan();
    for (MediaItem& item : previous) {
        item.filename = QStringLiteral("moved/") + item.filename;  // names are not compared
        item.capturedAt = Date{42};
        item.duration = 7.0;
        item.rating = 5;
        item.notes = QStringLiteral("kept by the merge, not here");
        item.available = false;
    }
    QList<MediaItem> items = scan(previous);
    for (const MediaItem& item : items) {
        EXPECT_EQ(item.capturedAt, Date{42}) << item.filename.toStdString();
        EXPECT_EQ(item.rating, 0);
        EXPECT_TRUE(item.notes.isEmpty());
        EXPECT_TRUE(item.available);
        EXPECT_NE(item.id, previous[0].id);
        EXPECT_NE(item.id, previous[1].id);
    }
    EXPECT_EQ(named(items, "clip.mp4").duration, 7.0);

    // A different size means the file changed: everything is read again.
    for (MediaItem& item : previous) {
        item.size += 1;
    }
    items = scan(previous);
    EXPECT_EQ(named(items, "a.jpg").capturedAt, Date{noonUTC});
    EXPECT_NEAR(*named(items, "clip.mp4").duration, 0.5, 0.01);
}

TEST_F(MediaScannerTest, FirstMatchingPreviousRecordWinsAndMissingValuesAreReadAgain) {
    writeVideo(path("clip.mp4"), {.creationTime = "2024-05-01T12:00:00.000000Z"});
    const MediaItem fresh = scan().first();
    MediaItem changed = fresh, first = fresh, second = fresh;
    changed.size += 1;
    changed.capturedAt = Date{1};
    first.capturedAt = Date{2};
    first.duration = 3.0;
    second.capturedAt = Date{4};
    second.duration = 5.0;
    MediaItem stranger = fresh;
    stranger.fileIdentity = QStringLiteral("photos:ABC");
    stranger.capturedAt = Date{6};
    MediaItem reused = scan({stranger, changed, first, second}).first();
    EXPECT_EQ(reused.capturedAt, Date{2});
    EXPECT_EQ(reused.duration, 3.0);

    first.capturedAt.reset();
    reused = scan({first, second}).first();
    EXPECT_EQ(reused.capturedAt, Date{noonUTC});
    EXPECT_EQ(reused.duration, 3.0);

    first.capturedAt = Date{2};
    first.duration.reset();
    reused = scan({first, second}).first();
    EXPECT_EQ(reused.capturedAt, Date{2});
    EXPECT_NEAR(*reused.duration, 0.5, 0.01);
}

// Previous records are tried in the order the last scan left them; a later record of the same
// file never wins over an earlier one, whatever record was found just before.
TEST_F(MediaScannerTest, RecordsFoundInOrderFollowTheSameRule) {
    photo("a.jpg");
    photo("sub/b.jpg");
    const QList<MediaItem> fresh = scan();  // a.jpg first: the root is listed before "sub"
    ASSERT_EQ(filenames(fresh),
              (QStringList{QStringLiteral("a.jpg"), QStringLiteral("sub/b.jpg")}));
    MediaItem a = fresh[0], earlier = fresh[1], later = fresh[1];
    a.capturedAt = Date{1};
    earlier.capturedAt = Date{2};
    later.capturedAt = Date{3};
    const QList<MediaItem> items = scan({earlier, a, later});
    EXPECT_EQ(items[0].capturedAt, Date{1});
    EXPECT_EQ(items[1].capturedAt, Date{2});
    EXPECT_EQ(scan({a, earlier, later})[1].capturedAt, Date{2});
    later.size += 1;
    EXPECT_EQ(scan({a, later, earlier})[1].capturedAt, Date{2});
}

TEST_F(MediaScannerTest, ListingFailuresFailTheWholeScan) {
    photo("a.jpg");
    try {
        MediaScanner::scanFolder(
            path("missing"), {}, true, [] { return scanTime; }, [] { return false; });
        FAIL() << "a missing folder was scanned";
    } catch (const Error& error) {
        EXPECT_EQ(error.systemErrorNumber(), ENOENT);
    }
    EXPECT_THROW(MediaScanner::scanFolder(
                     path("a.jpg"), {}, true, [] { return scanTime; }, [] { return false; }),
                 Error);
}

namespace {

// Scans the folder of the first argument, then the one of the second, which must be refused,
// without the superuser's rights; reports the names found and the refusal's error number.
const ChildStep unlistedScan("scanner-unlisted-folders", [](const QStringList& arguments) {
    return withoutRights([&] {
        const auto scanOf = [](const QString& scanned) {
            return MediaScanner::scanFolder(
                scanned, {}, true, [] { return scanTime; }, [] { return false; });
        };
        QStringList names = filenames(scanOf(arguments[0]));
        names.sort();
        try {
            scanOf(arguments[1]);
            names.append(QStringLiteral("closed root listed"));
        } catch (const Error& error) {
            names.append(QString::number(error.systemErrorNumber()));
        }
        return names.join(u' ');
    });
});

}  // namespace

// A subfolder the user may not list (unreadable, or readable but not searchable) is left out with
// everything below it, as the catalog leaves it out; the scanned folder itself must be listable.
TEST_F(MediaScannerTest, SubfoldersThatCannotBeListedAreLeftOut) {
    photo("a.jpg");
    photo("b/c/d.jpg");
    photo("b/e.jpg");
    photo("f/g.jpg");
    photo("f/h/i.jpg");
    handOver(root());
    setMode(root(), 0755);
    setMode(path("b/c"), 0);
    setMode(path("f"), 0444);
    const QString report = asUnprivilegedUser(unlistedScan, {root(), path("b/c")});
    EXPECT_EQ(report, QStringLiteral("a.jpg b/e.jpg %1").arg(EACCES));
    setMode(path("b/c"), 0755);
    setMode(path("f"), 0755);
}

TEST_F(MediaScannerTest, CancellationStopsBeforeTheNextFolderOrEntry) {
    photo("a.jpg");
    photo("b/c.jpg");
    for (int allowed : {0, 1, 2, 3, 4}) {
        std::atomic<int> checks = 0;
        EXPECT_THROW(
            MediaScanner::scanFolder(
                root(), {}, true, [] { return scanTime; }, [&] { return checks++ >= allowed; }),
            MediaScanner::Cancelled)
            << allowed;
    }
}

TEST_F(MediaScannerTest, ScannerRunsOnItsOwnThread) {
    photo("a.jpg");
    MediaScanner scanner([] { return scanTime; });
    QFuture<QList<MediaItem>> done = scanner.scan(root(), {}, true);
    EXPECT_EQ(filenames(done.result()), QStringList{QStringLiteral("a.jpg")});
    EXPECT_EQ(done.result().first().added, scanTime);

    QFuture<QList<MediaItem>> failed = scanner.scan(path("missing"), {}, true);
    EXPECT_THROW(failed.waitForFinished(), Error);

    // A scan cancelled while it waits behind another one never delivers a result; the gate keeps
    // the first scan busy so the cancellation cannot come after the second has finished.
    QSemaphore gate;
    MediaScanner busyScanner([&] {
        gate.acquire();
        return scanTime;
    });
    QFuture<QList<MediaItem>> busy = busyScanner.scan(root(), {}, true);
    QFuture<QList<MediaItem>> cancelled = busyScanner.scan(root(), {}, true);
    cancelled.cancel();
    gate.release(2);
    busy.waitForFinished();
    cancelled.waitForFinished();
    EXPECT_TRUE(cancelled.isCanceled());
    EXPECT_EQ(cancelled.resultCount(), 0);
}

TEST_F(MediaScannerTest, DestroyingTheScannerCancelsItsScans) {
    photo("a.jpg");
    QMutex mutex;
    std::optional<QFuture<QList<MediaItem>>> running;
    const auto isCancelled = [&] {
        const QMutexLocker locker(&mutex);
        return running && running->isCanceled();
    };
    QSemaphore entered;
    QFuture<QList<MediaItem>> queued;
    {
        // The clock holds the scan inside its first folder until the scan is cancelled (bounded,
        // so that a scanner that never cancels ends the test with a failure, not a hang).
        MediaScanner scanner([&] {
            entered.release();
            for (int wait = 0; wait < 3000 && !isCancelled(); ++wait) {
                QThread::msleep(1);
            }
            return scanTime;
        });
        {
            const QMutexLocker locker(&mutex);
            running = scanner.scan(root(), {}, true);
        }
        queued = scanner.scan(root(), {}, true);
        entered.acquire();
    }
    EXPECT_TRUE(running->isCanceled());
    EXPECT_EQ(running->resultCount(), 0);
    EXPECT_TRUE(queued.isCanceled());
    EXPECT_EQ(queued.resultCount(), 0);
}
