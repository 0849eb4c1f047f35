// The scan is spread over a crew of threads; these tests hold it to what one thread walking the
// tree by the rules would give, on a tree large enough for the crew to split.
#include "model/capture_date_reader.h"
#include "model/file_deletion_validation.h"
#include "model/media_scanner.h"
#include "model/video_asset.h"
#include "platform/directory_listing.h"
#include "platform/media_type.h"
#include "support/media_fixtures.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <random>
#include <thread>

using namespace lumivex;
using namespace lumivex::test;

namespace {

const Date scanTime{1800000000.0};

// The scan written plainly: breadth-first, every entry examined, previous records searched in
// order.
const MediaItem* firstUnchanged(const QList<MediaItem>& previous, const QString& identity,
                                const Date& modified, std::int64_t size) {
    for (const MediaItem& candidate : previous) {
        if (candidate.fileIdentity == identity && candidate.modified == modified &&
            candidate.size == size) {
            return &candidate;
        }
    }
    return nullptr;
}

MediaItem plainRecord(const QString& path, const QString& relativePath, MediaContent content,
                      const FileStatus& status, const QList<MediaItem>& previous) {
    MediaItem item;
    item.filename = relativePath;
    item.fileIdentity = FileDeletionValidation::identity(path, status.created);
    item.kind = content == MediaContent::photo ? MediaKind::photo : MediaKind::video;
    item.size = status.size;
    item.modified = status.modified.value_or(scanTime);
    item.added = scanTime;
    const MediaItem* unchanged =
        firstUnchanged(previous, item.fileIdentity, item.modified, item.size);
    if (unchanged != nullptr) {
        item.capturedAt = unchanged->capturedAt;
    }
    if (item.kind == MediaKind::video) {
        VideoAsset asset(path);
        item.duration =
            unchanged != nullptr && unchanged->duration ? unchanged->duration : asset.duration();
        if (!item.capturedAt) {
            item.capturedAt = CaptureDateReader::videoDate(asset);
        }
    } else if (!item.capturedAt) {
        item.capturedAt = CaptureDateReader::imageDate(path);
    }
    if (!item.capturedAt) {
        item.capturedAt = status.created;
    }
    return item;
}

QList<MediaItem> plainScan(const QString& root, const QList<MediaItem>& previous,
                           bool includeSubfolders) {
    QList<std::pair<QString, QString>> queue{{root, QString()}};
    QList<MediaItem> items;
    for (qsizetype position = 0; position < queue.size(); ++position) {
        const auto [folder, relative] = queue[position];
        for (const DirectoryEntry& entry : DirectoryListing::entries(folder)) {
            const QString path = folder + u'/' + entry.name;
            const QString relativePath =
                relative.isEmpty() ? entry.name : relative + u'/' + entry.name;
            const MediaContent content = MediaType::ofFile(entry.name);
            if (entry.status.isDirectory() && includeSubfolders) {
                queue.append({path, relativePath});
            } else if (entry.status.isRegularFile() && content != MediaContent::none) {
                items.append(plainRecord(path, relativePath, content, entry.status, previous));
            }
        }
    }
    return items;
}

QList<MediaItem> withoutIds(QList<MediaItem> items) {
    for (MediaItem& item : items) {
        item.id = QUuid();
    }
    return items;
}

class MediaScannerCrewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        writeVideo(path(QStringLiteral("template.mp4")),
                   {.creationTime = "2024-05-01T12:00:00.000000Z"});
        clip_ = readFile(path(QStringLiteral("template.mp4")));
        QFile::remove(path(QStringLiteral("template.mp4")));
        buildTree();
    }

    QString path(const QString& relative) const { return root_.filePath(relative); }
    QString root() const { return root_.path(); }

    // One file of each sort the readers tell apart, by number.
    void media(const QString& relative, int n) {
        switch (n % 5) {
            case 0:
                writeJpeg(path(relative + QStringLiteral(".jpg")),
                          {.original = "2024:05:01 12:00:00", .originalSubSecond = "25"});
                break;
            case 1:
                writeFile(path(relative + QStringLiteral(".jpg")), plainJpeg());
                break;
            case 2:
                writeFile(path(relative + QStringLiteral(".png")),
                          png({{.type = "tEXt",
                                .keyword = "Creation Time",
                                .text = "2023-02-03T04:05:06.5Z"}}));
                break;
            case 3:
                writeFile(path(relative + QStringLiteral(".mp4")), clip_);
                break;
            default:
                writeFile(path(relative + QStringLiteral(".png")), png({}));
        }
    }

    // Nested folders of several depths, one folder larger than a batch of reads, and what the
    // scan must leave out: hidden entries, links, other files.
    void buildTree() {
        int n = 0;
        for (int i = 0; i < 6; ++i) {
            media(QStringLiteral("top-%1").arg(i), n++);
        }
        for (int i = 0; i < 45; ++i) {
            media(QStringLiteral("large/file-%1").arg(i), n++);
        }
        for (int year = 0; year < 3; ++year) {
            for (int month = 0; month < 4; ++month) {
                const QString folder = QStringLiteral("%1/%2").arg(2020 + year).arg(month + 1);
                for (int i = 0; i < 3; ++i) {
                    media(folder + QStringLiteral("/IMG_%1").arg(i), n++);
                }
                makeDirectories(path(folder + QStringLiteral("/empty")));
            }
        }
        media(QStringLiteral("a/b/c/d/e/deep"), 0);
        media(QStringLiteral(".hidden"), 0);
        media(QStringLiteral(".lumivex/kept"), 3);
        media(QStringLiteral("2021/.cache/thumb"), 0);
        writeFile(path(QStringLiteral("2020/1/notes.txt")), "text");
        makeSymbolicLink(path(QStringLiteral("top-0.jpg")), path(QStringLiteral("large/link.jpg")));
        makeSymbolicLink(path(QStringLiteral("2020")), path(QStringLiteral("a/linked")));
    }

    // The previous scan's records after the user moved and renamed files, in a shuffled order,
    // with dates and durations that show which record each file took, some changed or missing,
    // and a second record of one file behind its first.
    QList<MediaItem> movedPrevious() {
        QList<MediaItem> previous = plainScan(root(), {}, true);
        QDir dir(root());
        EXPECT_TRUE(
            dir.rename(QStringLiteral("large/file-2.mp4"), QStringLiteral("2020/2/moved.mp4")));
        EXPECT_TRUE(dir.rename(QStringLiteral("top-0.jpg"), QStringLiteral("a/b/renamed.jpg")));
        EXPECT_TRUE(dir.rename(QStringLiteral("2022"), QStringLiteral("a/2022")));
        EXPECT_TRUE(QFile::remove(path(QStringLiteral("large/file-5.jpg"))));
        media(QStringLiteral("large/new"), 0);
        for (qsizetype i = 0; i < previous.size(); ++i) {
            MediaItem& item = previous[i];
            item.capturedAt = Date{static_cast<double>(i)};
            item.duration = item.kind == MediaKind::video ? std::optional<double>(i) : std::nullopt;
            if (i % 7 == 1) {
                item.size += 1;
            } else if (i % 7 == 2) {
                item.capturedAt.reset();
            } else if (i % 7 == 3) {
                item.duration.reset();
            }
        }
        MediaItem second = previous[4];
        second.capturedAt = Date{-1};
        previous.append(second);
        std::shuffle(previous.begin(), previous.end() - 1, std::mt19937(7));
        return previous;
    }

private:
    QTemporaryDir root_;
    QByteArray clip_;
};

}  // namespace

TEST_F(MediaScannerCrewTest, GivesWhatOneThreadWalkingTheTreeGives) {
    const auto scan = [this](const QList<MediaItem>& previous, bool includeSubfolders) {
        return MediaScanner::scanFolder(
            root(), previous, includeSubfolders, [] { return scanTime; }, [] { return false; });
    };
    for (bool includeSubfolders : {true, false}) {
        const QList<MediaItem> items = scan({}, includeSubfolders);
        EXPECT_EQ(withoutIds(items), plainScan(root(), {}, includeSubfolders));
        QSet<QUuid> ids;
        for (const MediaItem& item : items) {
            ids.insert(item.id);
        }
        EXPECT_EQ(ids.size(), items.size());
        EXPECT_FALSE(ids.contains(QUuid()));
    }
    const QList<MediaItem> previous = movedPrevious();
    const QList<MediaItem> expected = plainScan(root(), previous, true);
    ASSERT_GT(expected.size(), 80);
    // The tree gives both ways of finding a date: from a previous record and from the file.
    const auto reused = std::count_if(expected.begin(), expected.end(), [](const MediaItem& item) {
        return item.capturedAt && item.capturedAt->secondsSince1970 < 1000;
    });
    EXPECT_GT(reused, 40);
    EXPECT_LT(reused, expected.size() - 20);
    // Repeated, since the crew may split the work differently each time.
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(withoutIds(scan(previous, true)), expected) << run;
    }
}

TEST_F(MediaScannerCrewTest, RecordsOfAFolderShareOneReadingOfTheClock) {
    int readings = 0;
    const QList<MediaItem> items = MediaScanner::scanFolder(
        root(), {}, true, [&readings] { return Date{static_cast<double>(++readings)}; },
        [] { return false; });
    std::map<QString, QSet<double>> byFolder;
    QSet<double> all;
    for (const MediaItem& item : items) {
        byFolder[item.folder()].insert(item.added.secondsSince1970);
        all.insert(item.added.secondsSince1970);
    }
    for (const auto& [folder, times] : byFolder) {
        EXPECT_EQ(times.size(), 1) << folder.toStdString();
    }
    EXPECT_EQ(all.size(), static_cast<qsizetype>(byFolder.size()));
    // Every visible folder is listed once: the root, "large", 3 years of 4 months with an empty
    // folder each, and "a" down to "e".
    EXPECT_EQ(readings, 1 + 1 + 3 + 3 * 4 * 2 + 5);
}

// Cancelled at any point, the scan throws and leaves nothing running behind it.
TEST_F(MediaScannerCrewTest, CancellationLeavesNoWorkBehind) {
    for (int allowed : {0, 1, 10, 60, 150}) {
        std::atomic<int> checks = 0;
        std::atomic<int> readings = 0;
        EXPECT_THROW(MediaScanner::scanFolder(
                         root(), {}, true,
                         [&readings] {
                             ++readings;
                             return scanTime;
                         },
                         [&] { return checks++ >= allowed; }),
                     MediaScanner::Cancelled)
            << allowed;
        const int checksAtEnd = checks;
        const int readingsAtEnd = readings;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(checks, checksAtEnd) << allowed;
        EXPECT_EQ(readings, readingsAtEnd) << allowed;
    }
}
