// Temporary files that a write left behind when removing them failed (an I/O error on unlink, a
// crash): the next save of their folder, or the next open, removes them, and nothing else.

#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "catalog/library_disk.h"
#include "catalog/metadata_files.h"
#include "model/media_scanner.h"
#include "platform/atomic_file.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivex {
namespace {

using namespace test;

constexpr double hour = 3600;

class StaleTemporariesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogCache::shared().clear();
        root = dir.path() + QStringLiteral("/tree");
        for (const char* name : {"a.jpg", "sub/b.jpg", "keep/k.jpg"}) {
            writeFile(path(name), "x");
        }
        state = FolderCatalog::load(root, std::nullopt);
        const QList<MediaItem> scanned = MediaScanner::scanFolder(
            root, {}, true, [] { return Date::now(); }, [] { return false; });
        state.reconcileFolder(scanned, Date::now());
        FolderCatalog::save(state, root);
        state = FolderCatalog::load(root, std::nullopt);
    }
    void TearDown() override { AtomicFile::setFaultHook({}); }

    QString path(const char* relative) const { return root + u'/' + QString::fromUtf8(relative); }
    // A file last changed `age` seconds ago.
    void plant(const char* relative, double seconds = hour) const {
        writeFile(path(relative), "left");
        age(relative, seconds);
    }
    void age(const char* relative, double seconds) const {
        const double when = Date::now().secondsSince1970 - seconds;
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(when);
        times[0].tv_nsec = times[1].tv_nsec = 0;
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path(relative)).constData(), times,
                              AT_SYMLINK_NOFOLLOW),
                  0);
    }
    QStringList left(const QStringList& relatives) const {
        QStringList present;
        for (const QString& relative : relatives) {
            if (QFileInfo(root + u'/' + relative).exists() ||
                QFileInfo(root + u'/' + relative).isSymLink()) {
                present.append(relative);
            }
        }
        return present;
    }

    QTemporaryDir dir;
    QString root;
    LibraryState state;
};

// Near misses of our naming, and what is not a regular file, are the user's or another program's.
const QStringList notOurs = {
    QStringLiteral("sub/.lumivex/lumivex.csv.tmp-abc"),
    QStringLiteral("sub/.lumivex/.lumivex.csv.tmp-notes.txt"),
    QStringLiteral("sub/.lumivex/.lumivex.csv.tmp-ABC"),
    QStringLiteral("sub/.lumivex/.lumivex.csv.tmp-"),
    QStringLiteral("sub/.lumivex/.other.csv.tmp-abc"),
    QStringLiteral("sub/.lumivex/.library.json.tmp-abc"),
    QStringLiteral("sub/.lumivex/.deleted.csv.tmp-d1"),  // a folder
    QStringLiteral("sub/.lumivex/.deleted.csv.tmp-l1"),  // a symbolic link
    QStringLiteral("sub/.b.jpg.tmp-abc"),
};

TEST_F(StaleTemporariesTest, ASaveRemovesOnlyOldTemporariesOfItsOwnFilesInTheFoldersItWrites) {
    const QStringList stale = {
        QStringLiteral(".lumivex/.folders-pending.json.tmp-1a2b"),
        QStringLiteral("sub/.lumivex/.lumivex.csv.tmp-zz9"),
        QStringLiteral("sub/.lumivex/.pending-write.json.tmp-k"),
        QStringLiteral("sub/.lumivex/.lumivex.backup.csv.tmp-3w5e8o0qzl1xa"),
        QStringLiteral("sub/.lumivex/tree-migration-original/.deleted.csv.tmp-q"),
    };
    for (const QString& name : stale + notOurs) {
        if (name.endsWith(u"d1")) {
            ASSERT_TRUE(QDir().mkpath(root + u'/' + name));
            age(name.toUtf8().constData(), hour);
        } else if (name.endsWith(u"l1")) {
            ASSERT_TRUE(QFile::link(path("a.jpg"), root + u'/' + name));
            age(name.toUtf8().constData(), hour);
        } else {
            plant(name.toUtf8().constData());
        }
    }
    plant("keep/.lumivex/.lumivex.csv.tmp-old");
    // Another write under way in the folder while the save runs.
    const QString concurrent = QStringLiteral("sub/.lumivex/.deleted.csv.tmp-c0ncurrent");
    AtomicFile::setFaultHook([&](AtomicFile::Stage stage, const QString& written) {
        if (stage == AtomicFile::Stage::beforeWrite &&
            written == path("sub/.lumivex/lumivex.csv") &&
            !QFile::exists(root + u'/' + concurrent)) {
            writeFile(root + u'/' + concurrent, "being written");
        }
    });
    for (MediaItem& item : state.library.items) {
        if (item.filename == u"sub/b.jpg") {
            item.rating = 4;
        }
    }
    FolderCatalog::save(state, root);
    AtomicFile::setFaultHook({});

    EXPECT_EQ(left(stale), QStringList());
    EXPECT_EQ(left(notOurs), notOurs);
    EXPECT_EQ(left({concurrent}), QStringList{concurrent});
    EXPECT_EQ(left({QStringLiteral("keep/.lumivex/.lumivex.csv.tmp-old")}).size(), 1)
        << "a folder the save does not write is left to the next open";
    EXPECT_TRUE(readFile(path("a.jpg")) == "x") << "the linked file is untouched";

    // The open sweeps every folder of the tree, written or not.
    FolderCatalog::removeStaleTemporaries(root, AtomicFile::fileClockNow());
    EXPECT_EQ(left({QStringLiteral("keep/.lumivex/.lumivex.csv.tmp-old")}), QStringList());
    EXPECT_EQ(left(notOurs), notOurs);
}

TEST_F(StaleTemporariesTest, TheSweepKeepsWhatIsNewerThanItsStartAndNeverFollowsALink) {
    const QString outside = dir.path() + QStringLiteral("/outside");
    writeFile(outside + QStringLiteral("/.lumivex.csv.tmp-abc"), "someone else's");
    writeFile(path("linked/l.jpg"), "x");
    ASSERT_TRUE(QFile::link(outside, path("linked/.lumivex")));
    age("linked/.lumivex/.lumivex.csv.tmp-abc", hour);
    plant("keep/.lumivex/.deleted.csv.tmp-recent", 10);
    plant("keep/.lumivex/.deleted.csv.tmp-older", 30);

    FolderCatalog::removeStaleTemporaries(root, Date{Date::now().secondsSince1970 - 20});
    EXPECT_TRUE(QFile::exists(outside + QStringLiteral("/.lumivex.csv.tmp-abc")));
    EXPECT_TRUE(QFile::exists(path("keep/.lumivex/.deleted.csv.tmp-recent")));
    EXPECT_FALSE(QFile::exists(path("keep/.lumivex/.deleted.csv.tmp-older")));
}

// The photo library's folder is saved alone, through the one-folder save.
TEST_F(StaleTemporariesTest, AOneFolderSaveThatWritesSweepsItsFolder) {
    const QString photos = dir.path() + QStringLiteral("/photos");
    LibraryState photoState;
    LibraryDisk::saveState(photoState, photos);
    writeFile(photos + QStringLiteral("/.lumivex/.deleted.csv.tmp-9"), "left");
    const QString leftover = photos + QStringLiteral("/.lumivex/.deleted.csv.tmp-9");
    struct timespec old[2] = {{1, 0}, {1, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(leftover).constData(), old, 0), 0);

    LibraryDisk::saveState(photoState, photos);
    EXPECT_TRUE(QFile::exists(leftover)) << "a save that writes nothing touches nothing";
    photoState.library.categories.removeLast();
    LibraryDisk::saveState(photoState, photos);
    EXPECT_FALSE(QFile::exists(leftover));
}

}  // namespace
}  // namespace lumivex
