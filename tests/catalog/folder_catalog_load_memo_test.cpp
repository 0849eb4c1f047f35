#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "catalog/folder_watcher.h"
#include "catalog/tree_journal.h"
#include "support/test_files.h"
#include "tree_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <thread>

namespace lumivex {
namespace {

using namespace test;

const std::int64_t settledNow = std::numeric_limits<std::int64_t>::max() / 2;
const char* const folderKeys[] = {"", "a", "a/b", "b", "b/c"};

void editRating(LibraryState& state, const QString& filename, std::int64_t rating) {
    for (MediaItem& item : state.library.items) {
        if (item.filename == filename) {
            item.rating = rating;
        }
    }
}

// Rewrites a catalog file from outside, keeping its size and modification time: only its change
// time tells.
void editOutside(const QString& folder) {
    const QString path = folder + QStringLiteral("/.lumivex/lumivex.csv");
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    Library edited = Library::fromCatalogCSV(QString::fromUtf8(readFile(path)));
    edited.items[0].rating = 3;
    const QByteArray bytes = edited.catalogCSV().toUtf8();
    ASSERT_EQ(bytes.size(), before.st_size);
    writeFile(path, bytes);
    const struct timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

// A load leaves memos for the folders whose files hold what a save would write. Each case saves
// a tree after a load with the cache as the load left it, and the same tree copied beforehand with
// a cache that knows nothing: the files must come out the same.
class LoadMemo : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogCache::shared().clear();
        root = dir.path() + QStringLiteral("/root");
        copy = dir.path() + QStringLiteral("/copy");
        for (const char* key : folderKeys) {
            Library library = Library::withContents({}, {treeItem(QStringLiteral("p.jpg"))});
            library.items.append(treeItem(QStringLiteral("q.jpg"), 2));
            writeFolder(folder(root, key), library);
        }
        const LibraryState state = FolderCatalog::load(root, std::nullopt);
        FolderCatalog::save(state, root);
    }
    void TearDown() override { CatalogCache::shared().setNowForTesting(std::nullopt); }

    static QString folder(const QString& tree, const char* key) {
        return *key ? tree + u'/' + QString::fromUtf8(key) : tree;
    }
    void copyTree() {
        ASSERT_EQ(std::system(
                      ("cp -a '" + root.toStdString() + "' '" + copy.toStdString() + "'").c_str()),
                  0);
    }
    // Loads the tree, edits the state, lets `between` act on the files and saves.
    void loadEditSave(const QString& tree, std::optional<std::int64_t> now,
                      const std::function<void(const QString&)>& between) {
        CatalogCache::shared().clear();
        CatalogCache::shared().setNowForTesting(now);
        LibraryState state = FolderCatalog::load(tree, std::nullopt);
        editRating(state, QStringLiteral("b/p.jpg"), 5);
        between(tree);
        CatalogStamps::clear();  // the cache's save against a plain one, not the outside guard
        readsBeforeSave = CatalogCache::shared().folderReads();
        FolderCatalog::save(state, tree);
    }
    // The cached save of the tree against the plain save of its copy.
    void expectSameAsPlainSave(std::optional<std::int64_t> now,
                               const std::function<void(const QString&)>& between) {
        copyTree();
        loadEditSave(root, now, between);
        const std::uint64_t cachedReads = CatalogCache::shared().folderReads() - readsBeforeSave;
        loadEditSave(copy, std::nullopt, between);
        CatalogCache::shared().clear();
        expectSameFiles();
        savedReads = cachedReads;
    }
    // Every folder's files of the tree and of its copy, apart from the folder identities.
    void expectSameFiles() const {
        for (const char* key : folderKeys) {
            const auto neutral = [&](const QString& tree) {
                const QString path = folder(tree, key);
                return QString::fromUtf8(catalogOf(path) + archiveOf(path))
                    .replace(FolderCatalog::identity(path), QString());
            };
            EXPECT_EQ(neutral(root), neutral(copy)) << key;
        }
    }

    void detachedLoadEditSave(const std::function<void(const QString&)>& between);

    QTemporaryDir dir;
    QString root;
    QString copy;
    std::uint64_t readsBeforeSave = 0;
    std::uint64_t savedReads = 0;
};

TEST_F(LoadMemo, AFirstSaveAfterALoadReadsNoFolderAgainAndWritesOnlyTheEditedOne) {
    expectSameAsPlainSave(settledNow, [](const QString&) {});
    EXPECT_EQ(savedReads, 0U);
    const Library written =
        Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder(root, "b"))));
    EXPECT_EQ(written.items[0].rating, 5);
}

// Rows in another order read into the same items but are not what a save writes.
TEST_F(LoadMemo, ACatalogWrittenInAnotherRowOrderIsRewrittenAsWithoutMemos) {
    const QString path = folder(root, "a") + QStringLiteral("/.lumivex/lumivex.csv");
    QList<QByteArray> lines = readFile(path).split('\n');
    ASSERT_GE(lines.size(), 4);
    std::swap(lines[lines.size() - 2], lines[lines.size() - 3]);
    const QByteArray reordered = lines.join('\n');
    ASSERT_NE(reordered, readFile(path));
    writeFile(path, reordered);
    expectSameAsPlainSave(settledNow, [](const QString&) {});
    EXPECT_NE(catalogOf(folder(root, "a")), reordered);
}

TEST_F(LoadMemo, AHandWrittenCatalogIsRewrittenAsWithoutMemos) {
    const QString path = folder(root, "a/b") + QStringLiteral("/.lumivex/lumivex.csv");
    const QByteArray written = readFile(path);
    const QByteArray byHand = QByteArray(written).replace("\"q.jpg\"", "q.jpg");
    ASSERT_NE(byHand, written);
    ASSERT_EQ(Library::fromCatalogCSV(QString::fromUtf8(byHand)).items,
              Library::fromCatalogCSV(QString::fromUtf8(written)).items);
    writeFile(path, byHand);
    expectSameAsPlainSave(settledNow, [](const QString&) {});
    EXPECT_EQ(catalogOf(folder(root, "a/b")), written);
}

TEST_F(LoadMemo, ACatalogChangedAfterTheLoadIsReadAgainAndPutBack) {
    expectSameAsPlainSave(settledNow,
                          [](const QString& tree) { editOutside(tree + QStringLiteral("/a")); });
    EXPECT_EQ(savedReads, 1U);
    EXPECT_EQ(
        Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder(root, "a")))).items[0].rating,
        0);
}

// Files changed within the time stamp step before the load could change again unseen: the load
// leaves no memo for them, and the save reads every folder again.
TEST_F(LoadMemo, FilesTouchedWithinOneTimeStampStepOfTheLoadLeaveNoMemo) {
    struct stat newest {};
    ASSERT_EQ(::stat(QFile::encodeName(root + QStringLiteral("/.lumivex/lumivex.csv")).constData(),
                     &newest),
              0);
    const std::int64_t touched =
        std::int64_t(newest.st_ctim.tv_sec) * 1'000'000'000 + newest.st_ctim.tv_nsec;
    expectSameAsPlainSave(touched + CatalogCache::settleNanoseconds / 2, [](const QString&) {});
    EXPECT_EQ(savedReads, std::size(folderKeys));
}

// A save of an equal state made of other lists leaves its memos on those lists, so that the
// lists the load made, which a store has replaced by then, are not kept alive by the cache.
TEST_F(LoadMemo, ASaveOfAnEqualStateMovesTheMemosToItsOwnLists) {
    CatalogCache::shared().clear();
    CatalogCache::shared().setNowForTesting(settledNow);
    const LibraryState loaded = FolderCatalog::load(root, std::nullopt);
    LibraryState equal = loaded;
    equal.library.items = MediaItems(loaded.library.items.toList());  // same items, other storage
    ASSERT_NE(&equal.library.items.at(0), &loaded.library.items.at(0));
    const std::uint64_t readsBefore = CatalogCache::shared().folderReads();
    FolderCatalog::save(equal, root);
    for (const char* key : folderKeys) {
        const CatalogCache::Knowledge known = CatalogCache::shared().knowledge(folder(root, key));
        ASSERT_TRUE(known.unchangedInputs.basis) << key;
        EXPECT_EQ(&known.unchangedInputs.basis->lists->items.at(0), &equal.library.items.at(0))
            << key;
    }
    EXPECT_EQ(CatalogCache::shared().folderReads(), readsBefore);
}

// A rescan joins the loaded state with the listing before it saves: the items come in another
// order, one was rated meanwhile and a new file was found. The joined state is proven against
// what the load read, and its save must still write what a save without memos writes.
TEST_F(LoadMemo, AStateChangedAfterTheLoadIsProvenAgainstWhatTheLoadRead) {
    copyTree();
    const MediaItem found = treeItem(QStringLiteral("a/r.jpg"), 4);
    const auto joined = [&](const LibraryState& loaded) {
        LibraryState state = loaded;
        QList<MediaItem> items = loaded.library.items.toList();
        std::reverse(items.begin(), items.end());
        items.append(found);
        state.library.items = MediaItems(items);
        editRating(state, QStringLiteral("b/p.jpg"), 5);
        return state;
    };

    CatalogCache::shared().clear();
    CatalogCache::shared().setNowForTesting(settledNow);
    FolderCatalog::TreeReads reads;
    const LibraryState state = joined(FolderCatalog::load(root, std::nullopt, Date::now, reads));
    FolderCatalog::rememberLoad(state, reads, FolderCatalog::matchingReads(state, reads));
    for (const char* key : folderKeys) {
        const CatalogCache::Knowledge known = CatalogCache::shared().knowledge(folder(root, key));
        const bool changed = QByteArray(key) == "a" || QByteArray(key) == "b";
        EXPECT_EQ(known.unchangedInputs.basis != nullptr, !changed) << key;
        if (known.unchangedInputs.basis) {
            EXPECT_EQ(&known.unchangedInputs.basis->lists->items.at(0), &state.library.items.at(0));
        }
    }
    const std::uint64_t readsBefore = CatalogCache::shared().folderReads();
    FolderCatalog::save(state, root);
    EXPECT_EQ(CatalogCache::shared().folderReads(), readsBefore);

    CatalogCache::shared().clear();
    CatalogCache::shared().setNowForTesting(std::nullopt);
    const LibraryState plain = joined(FolderCatalog::load(copy, std::nullopt));
    CatalogCache::shared().clear();
    FolderCatalog::save(plain, copy);
    expectSameFiles();
    const Library a = Library::fromCatalogCSV(QString::fromUtf8(catalogOf(folder(root, "a"))));
    EXPECT_EQ(a.items.size(), 3);
}

// Under a watcher, a rescan's load read on another thread and taken in, then an edit saved
// after `between` changed the files from outside; the same edit and change on the copy saved with
// nothing remembered. Both saves must write the same files, or both be refused as a moved folder
// and write nothing.
void LoadMemo::detachedLoadEditSave(const std::function<void(const QString&)>& between) {
    ASSERT_TRUE(QDir(copy).removeRecursively());
    copyTree();
    CatalogCache::shared().clear();
    CatalogCache::shared().setNowForTesting(std::nullopt);
    const std::unique_ptr<FolderWatcher> watcher = FolderWatcher::create(root, [] {});
    ASSERT_NE(watcher, nullptr);
    const LibraryState previous = FolderCatalog::load(root, std::nullopt);
    const std::shared_ptr<FolderCatalog::DetachedLoad> detached =
        FolderCatalog::beginDetachedLoad(root);
    ASSERT_TRUE(detached);
    FolderCatalog::TreeReads reads;
    std::optional<LibraryState> elsewhere;
    const Clock clock = [] { return Date{1'700'000'000.0}; };
    std::thread([&] {
        elsewhere = FolderCatalog::readDetached(*detached, previous, clock, reads);
    }).join();
    FolderCatalog::takeIn(*detached);
    ASSERT_TRUE(elsewhere);
    FolderCatalog::rememberLoad(*elsewhere, reads, FolderCatalog::matchingReads(*elsewhere, reads));
    const auto editAndSave = [&](LibraryState state, const QString& tree) {
        editRating(state, QStringLiteral("b/p.jpg"), 5);
        between(tree);
        CatalogStamps::clear();
        try {
            FolderCatalog::save(state, tree);
        } catch (const Error& error) {
            EXPECT_TRUE(FolderCatalog::isMovedFolderRefusal(error))
                << error.description().toStdString();
            return false;
        }
        return true;
    };
    const bool saved = editAndSave(*elsewhere, root);
    CatalogCache::shared().clear();
    const LibraryState plain = FolderCatalog::load(copy, std::nullopt);
    CatalogCache::shared().clear();
    EXPECT_EQ(editAndSave(plain, copy), saved);
    CatalogCache::shared().clear();
    if (saved) {
        expectSameFiles();
        return;
    }
    // Refused: the files the copy was made from are still as they were, byte for byte.
    for (const char* key : folderKeys) {
        if (QFileInfo::exists(folder(root, key)) && QFileInfo::exists(folder(copy, key))) {
            EXPECT_EQ(catalogOf(folder(root, key)), catalogOf(folder(copy, key))) << key;
            EXPECT_EQ(archiveOf(folder(root, key)), archiveOf(folder(copy, key))) << key;
        }
    }
}

TEST_F(LoadMemo, AWatchedLoadTakenInSavesACatalogChangedInPlaceAsWithoutMemos) {
    detachedLoadEditSave([](const QString& tree) { editOutside(folder(tree, "a/b")); });
    detachedLoadEditSave([](const QString& tree) { editOutside(folder(tree, "b")); });
}

TEST_F(LoadMemo, AWatchedLoadTakenInRefusesAFolderRenamedBeforeTheSaveAsWithoutMemos) {
    detachedLoadEditSave([](const QString& tree) {
        ASSERT_TRUE(QDir().rename(folder(tree, "b/c"), tree + QStringLiteral("/b/d")));
    });
}

// A rescan's load read on another thread and taken in on this one gives what a load here gives:
// the same state and reads, the same proof for the save after it, which writes what a save without
// memos writes; a folder that cannot be read fails it with the same error, after the same folders
// reached the cache; a tree journal waiting leaves it to a load here.
TEST_F(LoadMemo, ALoadReadOnAnotherThreadGivesWhatALoadHereGives) {
    copyTree();
    CatalogCache::shared().clear();
    CatalogCache::shared().setNowForTesting(settledNow);
    const LibraryState previous = FolderCatalog::load(root, std::nullopt);
    const Clock clock = [] { return Date{1'700'000'000.0}; };
    FolderCatalog::TreeReads hereReads;
    const LibraryState here = FolderCatalog::load(root, previous, clock, hereReads);
    CatalogCache::shared().clear();
    const std::shared_ptr<FolderCatalog::DetachedLoad> detached =
        FolderCatalog::beginDetachedLoad(root);
    ASSERT_TRUE(detached);
    FolderCatalog::TreeReads reads;
    std::optional<LibraryState> elsewhere;
    std::thread([&] {
        elsewhere = FolderCatalog::readDetached(*detached, previous, clock, reads);
    }).join();
    const std::uint64_t readsBefore = CatalogCache::shared().folderReads();
    FolderCatalog::takeIn(*detached);
    EXPECT_EQ(CatalogCache::shared().folderReads(), readsBefore + std::size(folderKeys));
    ASSERT_TRUE(elsewhere);
    EXPECT_EQ(*elsewhere, here);
    EXPECT_EQ(reads.folders, hereReads.folders);
    EXPECT_EQ(reads.leftOut, hereReads.leftOut);
    ASSERT_EQ(reads.reads.size(), hereReads.reads.size());
    for (const auto& [key, read] : hereReads.reads) {
        const FolderCatalog::ReadFolder& other = reads.reads.at(key);
        EXPECT_EQ(other.identity, read.identity);
        EXPECT_EQ(other.libraryCategories, read.libraryCategories);
        EXPECT_EQ(other.deletedCategories, read.deletedCategories);
        EXPECT_EQ(other.catalog, read.catalog);
        EXPECT_EQ(other.archive, read.archive);
    }

    LibraryState state = *elsewhere;
    editRating(state, QStringLiteral("b/p.jpg"), 5);
    FolderCatalog::rememberLoad(state, reads, FolderCatalog::matchingReads(state, reads));
    const std::uint64_t readsTakenIn = CatalogCache::shared().folderReads();
    FolderCatalog::save(state, root);
    EXPECT_EQ(CatalogCache::shared().folderReads(), readsTakenIn);
    CatalogCache::shared().clear();
    CatalogCache::shared().setNowForTesting(std::nullopt);
    LibraryState plain = FolderCatalog::load(copy, std::nullopt);
    editRating(plain, QStringLiteral("b/p.jpg"), 5);
    CatalogCache::shared().clear();
    FolderCatalog::save(plain, copy);
    expectSameFiles();

    writeFile(folder(root, "a/b") + QStringLiteral("/.lumivex/lumivex.csv"), "no catalog\n");
    CatalogCache::shared().clear();
    std::optional<QString> hereFailure;
    const std::uint64_t hereStart = CatalogCache::shared().folderReads();
    try {
        FolderCatalog::load(root, std::nullopt);
    } catch (const Error& error) {
        hereFailure = error.description();
    }
    const std::uint64_t hereCount = CatalogCache::shared().folderReads() - hereStart;
    CatalogCache::shared().clear();
    const std::shared_ptr<FolderCatalog::DetachedLoad> failing =
        FolderCatalog::beginDetachedLoad(root);
    ASSERT_TRUE(failing);
    std::thread([&] {
        elsewhere = FolderCatalog::readDetached(*failing, std::nullopt, clock, reads);
    }).join();
    EXPECT_FALSE(elsewhere);
    const std::uint64_t before = CatalogCache::shared().folderReads();
    std::optional<QString> failure;
    try {
        FolderCatalog::takeIn(*failing);
    } catch (const Error& error) {
        failure = error.description();
    }
    ASSERT_TRUE(hereFailure);
    EXPECT_EQ(failure, hereFailure);
    EXPECT_EQ(CatalogCache::shared().folderReads() - before, hereCount);

    writeFile(TreeJournal::path(root), "{}");
    EXPECT_FALSE(FolderCatalog::beginDetachedLoad(root));
}

}  // namespace
}  // namespace lumivex
