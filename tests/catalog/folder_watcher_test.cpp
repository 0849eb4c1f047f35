#include "catalog/folder_watcher.h"

#include "catalog/change_notices.h"
#include "support/test_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace lumivex;
using lumivex::test::makeDirectories;
using lumivex::test::writeFile;

namespace {

// Runs the event loop for `milliseconds`; the watcher reads and batches only there.
void spinFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds, for at most ten seconds.
bool spinUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000) {
        spinFor(20);
    }
    return done();
}

// Long enough for a batch that should not come to have come.
constexpr int quietMilliseconds = 1500;

class FolderWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        makeDirectories(root);
        makeDirectories(outside);
    }

    void startWatching() {
        watcher = FolderWatcher::create(root, [this] { ++calls; });
        ASSERT_NE(watcher, nullptr);
    }

    bool waitForCalls(int expected) {
        return spinUntil([&] { return calls >= expected; });
    }

    QTemporaryDir folder;
    QString root = folder.filePath(QStringLiteral("library"));
    QString outside = folder.filePath(QStringLiteral("outside"));
    std::unique_ptr<FolderWatcher> watcher;
    int calls = 0;
};

TEST_F(FolderWatcherTest, GivesNoWatcherForAMissingFolderOrAFile) {
    EXPECT_EQ(FolderWatcher::create(folder.filePath(QStringLiteral("missing")), [] {}), nullptr);
    writeFile(folder.filePath(QStringLiteral("file")), "x");
    EXPECT_EQ(FolderWatcher::create(folder.filePath(QStringLiteral("file")), [] {}), nullptr);
}

TEST_F(FolderWatcherTest, ABurstOfChangesGivesOneCall) {
    makeDirectories(root + QStringLiteral("/deep/er"));
    startWatching();
    for (int i = 0; i < 40; ++i) {
        writeFile(root + QStringLiteral("/deep/er/photo%1.jpg").arg(i), "jpeg");
    }
    QFile::remove(root + QStringLiteral("/deep/er/photo0.jpg"));
    QDir(root).rename(QStringLiteral("deep"), QStringLiteral("renamed"));
    ASSERT_TRUE(waitForCalls(1));
    spinFor(quietMilliseconds);
    EXPECT_EQ(calls, 1);
}

// The folders below the root are watched side by side at the start: every one of a wide, deep
// tree is watched, and a change in any of them is noted.
TEST_F(FolderWatcherTest, WatchesEveryFolderOfAWideDeepTreeFromTheStart) {
    QStringList deepest;
    for (int top = 0; top < 12; ++top) {
        const QString path = root + QStringLiteral("/t%1/a/b/.lumivex").arg(top);
        makeDirectories(path);
        deepest.append(path);
    }
    startWatching();
    const std::shared_ptr<ChangeNotices> notices = watcher->notices();
    const std::optional<ChangeNotices::Mark> mark = notices->collect();
    ASSERT_TRUE(mark);
    for (const QString& path : deepest) {
        EXPECT_TRUE(notices->quietSince(path, *mark));
        writeFile(path + QStringLiteral("/lumivex.csv"), "x");
    }
    ASSERT_TRUE(notices->collect());
    for (const QString& path : deepest) {
        EXPECT_FALSE(notices->quietSince(path, *mark)) << path.toStdString();
    }
    EXPECT_TRUE(notices->quietSince(root, *mark));
}

TEST_F(FolderWatcherTest, NoticesChangesInFoldersThatAppearLater) {
    startWatching();
    makeDirectories(root + QStringLiteral("/new"));
    ASSERT_TRUE(waitForCalls(1));
    writeFile(root + QStringLiteral("/new/photo.jpg"), "jpeg");
    ASSERT_TRUE(waitForCalls(2));

    // A whole tree made before its first folder's event is read is watched all the way down.
    writeFile(root + QStringLiteral("/copied/a/b/photo.jpg"), "jpeg");
    ASSERT_TRUE(waitForCalls(3));
    writeFile(root + QStringLiteral("/copied/a/b/second.jpg"), "jpeg");
    EXPECT_TRUE(waitForCalls(4));
}

TEST_F(FolderWatcherTest, FollowsFoldersMovedWithinTheTreeAndForgetsThoseMovedOut) {
    makeDirectories(root + QStringLiteral("/a/inner"));
    makeDirectories(root + QStringLiteral("/leaving"));
    startWatching();
    ASSERT_TRUE(QDir(root).rename(QStringLiteral("a"), QStringLiteral("b")));
    ASSERT_TRUE(
        QDir().rename(root + QStringLiteral("/leaving"), outside + QStringLiteral("/gone")));
    ASSERT_TRUE(waitForCalls(1));
    writeFile(root + QStringLiteral("/b/inner/photo.jpg"), "jpeg");
    ASSERT_TRUE(waitForCalls(2));
    spinFor(quietMilliseconds);
    writeFile(outside + QStringLiteral("/gone/photo.jpg"), "jpeg");
    spinFor(quietMilliseconds);
    EXPECT_EQ(calls, 2);
}

TEST_F(FolderWatcherTest, DoesNotFollowSymbolicLinksInsideTheTree) {
    test::makeSymbolicLink(outside, root + QStringLiteral("/link"));
    startWatching();
    writeFile(outside + QStringLiteral("/photo.jpg"), "jpeg");
    spinFor(quietMilliseconds);
    EXPECT_EQ(calls, 0);
}

TEST_F(FolderWatcherTest, WatchesALibraryOpenedThroughALinkToItsFolder) {
    const QString link = folder.filePath(QStringLiteral("link"));
    test::makeSymbolicLink(root, link);
    watcher = FolderWatcher::create(link, [this] { ++calls; });
    ASSERT_NE(watcher, nullptr);
    writeFile(root + QStringLiteral("/photo.jpg"), "jpeg");
    EXPECT_TRUE(waitForCalls(1));
}

TEST_F(FolderWatcherTest, RenamingOrDeletingTheRootGivesACall) {
    startWatching();
    ASSERT_TRUE(QDir().rename(root, folder.filePath(QStringLiteral("moved"))));
    ASSERT_TRUE(waitForCalls(1));
    spinFor(quietMilliseconds);
    ASSERT_TRUE(QDir(folder.filePath(QStringLiteral("moved"))).removeRecursively());
    EXPECT_TRUE(waitForCalls(2));
}

TEST_F(FolderWatcherTest, DroppingTheWatcherStopsAllCalls) {
    startWatching();
    writeFile(root + QStringLiteral("/photo.jpg"), "jpeg");
    spinFor(50);
    watcher.reset();
    writeFile(root + QStringLiteral("/second.jpg"), "jpeg");
    spinFor(quietMilliseconds);
    EXPECT_EQ(calls, 0);
}

TEST_F(FolderWatcherTest, TheOwnerMayDropTheWatcherFromInsideTheCall) {
    watcher = FolderWatcher::create(root, [this] {
        ++calls;
        watcher.reset();
    });
    ASSERT_NE(watcher, nullptr);
    writeFile(root + QStringLiteral("/photo.jpg"), "jpeg");
    ASSERT_TRUE(waitForCalls(1));
    writeFile(root + QStringLiteral("/second.jpg"), "jpeg");
    spinFor(quietMilliseconds);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(watcher, nullptr);
}

}  // namespace
