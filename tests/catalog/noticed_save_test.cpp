#include "catalog/catalog_cache.h"
#include "catalog/change_notices.h"
#include "catalog/folder_catalog.h"
#include "catalog/folder_watcher.h"
#include "catalog/library_disk.h"
#include "platform/atomic_file.h"
#include "support/test_files.h"
#include "tree_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace lumivex {
namespace {

using namespace test;

const QStringList folderKeys = {QString(), QStringLiteral("a"), QStringLiteral("a/b"),
                                QStringLiteral("b"), QStringLiteral("b/c")};

void copyTree(const QString& from, const QString& to) {
    ASSERT_EQ(
        std::system(("cp -a '" + from.toStdString() + "' '" + to.toStdString() + "'").c_str()), 0);
}

QString folderOf(const QString& tree, const QString& key) {
    return key.isEmpty() ? tree : tree + u'/' + key;
}

void setRating(LibraryState& state, const QString& filename, std::int64_t rating) {
    for (MediaItem& item : state.library.items) {
        if (item.filename == filename) {
            item.rating = rating;
        }
    }
}

// A catalog file rewritten from outside with the same size and modification time.
void editCatalog(const QString& folder) {
    const QString path = folder + QStringLiteral("/.lumivex/lumivex.csv");
    Library edited = Library::fromCatalogCSV(QString::fromUtf8(readFile(path)));
    edited.items[0].rating = edited.items[0].rating == 4 ? 1 : 4;
    rewriteKeepingTimes(path, edited.catalogCSV().toUtf8());
}

void addDeletedRecord(const QString& folder) {
    const QString path = folder + QStringLiteral("/.lumivex/deleted.csv");
    DeletedArchive archive = DeletedArchive::fromCSV(QString::fromUtf8(readFile(path)));
    MediaItem gone = treeItem(QStringLiteral("gone.jpg"), 3);
    gone.available = false;
    archive.records.append({gone, Date{1'700'000'500.0}});
    writeFile(path, archive.csv().toUtf8());
}

// The journal of a folder save cut short, which the next read of the folder completes.
void leaveJournal(const QString& folder) {
    const QString metadata = folder + QStringLiteral("/.lumivex/");
    Library edited = Library::fromCatalogCSV(
        QString::fromUtf8(readFile(metadata + QStringLiteral("lumivex.csv"))));
    edited.items[1].rating = 5;
    writeFile(metadata + QStringLiteral("pending-write.json"),
              LibraryDisk::encodePendingWrite(
                  {edited.catalogCSV(),
                   QString::fromUtf8(readFile(metadata + QStringLiteral("deleted.csv")))}));
}

// A folder moved away and a copy put in its place: the same name and files, another identity.
void replaceByCopy(const QString& folder) {
    const QString aside = folder + QStringLiteral(".aside");
    ASSERT_TRUE(QDir().rename(folder, aside));
    copyTree(aside, folder);
    ASSERT_TRUE(QDir(aside).removeRecursively());
}

// Fills the watcher's queue past its limit, so that the system drops the events that follow.
void overflowQueue(const QString& folder) {
    const QByteArray first = QFile::encodeName(folder + QStringLiteral("/one"));
    const QByteArray second = QFile::encodeName(folder + QStringLiteral("/two"));
    writeFile(QFile::decodeName(first), "1");
    writeFile(QFile::decodeName(second), "2");
    int limit = 16384;
    QFile limitFile(QStringLiteral("/proc/sys/fs/inotify/max_queued_events"));
    if (limitFile.open(QIODevice::ReadOnly)) {
        limit = limitFile.readAll().trimmed().toInt();
    }
    for (int touch = 0; touch <= limit; ++touch) {
        ::utimensat(AT_FDCWD, (touch % 2 ? first : second).constData(), nullptr, 0);
    }
}

// Each case edits the library key after key, with changes made from outside between keys, and
// saves each edit with the cache as the earlier saves and the watcher's notices left it. Every
// such save is then done again on a copy of the tree as it stood before it, with a cache that
// knows nothing of the copy: the files, and any refusal, must come out the same.
class NoticedSave : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogCache::shared().clear();
        root = dir.path() + QStringLiteral("/root");
        for (const QString& key : folderKeys) {
            Library library = Library::withContents({}, {treeItem(QStringLiteral("p.jpg"))});
            library.items.append(treeItem(QStringLiteral("q.jpg"), 2));
            writeFolder(folderOf(root, key), library);
        }
        // As a save writes them, so that a save of the state as loaded writes nothing.
        FolderCatalog::save(FolderCatalog::load(root, std::nullopt), root);
        CatalogCache::shared().clear();
    }
    void TearDown() override {
        watcher.reset();
        CatalogCache::shared().clear();
    }

    void startWatching() {
        watcher = FolderWatcher::create(root, [] {});
        ASSERT_NE(watcher, nullptr);
    }
    void load() { state = FolderCatalog::load(root, std::nullopt); }
    QString at(const char* key) const { return folderOf(root, QString::fromUtf8(key)); }

    // Rates one more item, lets `outside` act on the tree, and saves around the folders of
    // `unwritable`.
    void key(const QString& filename, const std::function<void()>& outside = {},
             const QSet<QString>& unwritable = {}) {
        setRating(state, filename, ++rating % 6);
        if (outside) {
            outside();
            CatalogStamps::clear();  // the cache against a cold save, not the outside guard
        }
        Step step{state,
                  dir.path() + QStringLiteral("/before%1").arg(steps.size()),
                  dir.path() + QStringLiteral("/after%1").arg(steps.size()),
                  {},
                  {},
                  unwritable};
        copyTree(root, step.before);
        looksBefore = CatalogCache::shared().folderLooks();
        readsBefore = CatalogCache::shared().folderReads();
        step.refusal = refusalOf([&] {
            QSet<QString> skipped = unwritable;
            FolderCatalog::save(state, root, &skipped, [](const QString&) { return true; });
        });
        lastLooks = CatalogCache::shared().folderLooks() - looksBefore;
        lastReads = CatalogCache::shared().folderReads() - readsBefore;
        copyTree(root, step.after);
        for (const QString& key : folderKeys) {
            if (QFileInfo::exists(folderOf(root, key))) {
                step.identities.insert(key, FolderCatalog::identity(folderOf(root, key)));
            }
        }
        steps.push_back(std::move(step));
    }

    static std::optional<QString> refusalOf(const std::function<void()>& save) {
        try {
            save();
        } catch (const Error& error) {
            return error.description();
        }
        return std::nullopt;
    }

    // Each save again on its copy, cold. The folder identities differ between the copies, and
    // a folder that neither save wrote holds the one of the tree it was copied from.
    void expectSameAsColdSaves() {
        watcher.reset();
        for (const Step& step : steps) {
            if (step.raced) {
                continue;  // the change made while it wrote is no part of a save
            }
            CatalogCache::shared().clear();
            const std::optional<QString> refusal = refusalOf([&] {
                QSet<QString> skipped = step.unwritable;
                FolderCatalog::save(step.state, step.before, &skipped,
                                    [](const QString&) { return true; });
            });
            EXPECT_EQ(refusal.value_or(QString()).replace(step.before, QString()).toStdString(),
                      step.refusal.value_or(QString()).replace(root, QString()).toStdString());
            for (const QString& key : folderKeys) {
                const QString cold = folderOf(step.before, key);
                const QString cached = folderOf(step.after, key);
                if (!QFileInfo::exists(cold)) {
                    continue;
                }
                const auto neutral = [&](const QString& folder) {
                    return QString::fromUtf8(catalogOf(folder) + archiveOf(folder))
                        .replace(FolderCatalog::identity(cold), QString())
                        .replace(step.identities.value(key), QString())
                        .toStdString();
                };
                EXPECT_EQ(neutral(cold), neutral(cached))
                    << step.before.toStdString() << " " << key.toStdString();
            }
        }
    }

    struct Step {
        LibraryState state;
        QString before;
        QString after;
        std::optional<QString> refusal;
        QHash<QString, QString> identities;
        QSet<QString> unwritable;
        bool raced = false;
    };

    QTemporaryDir dir;
    QString root;
    std::unique_ptr<FolderWatcher> watcher;
    LibraryState state;
    std::int64_t rating = 0;
    std::vector<Step> steps;
    std::uint64_t looksBefore = 0;
    std::uint64_t readsBefore = 0;
    std::uint64_t lastLooks = 0;
    std::uint64_t lastReads = 0;
};

TEST_F(NoticedSave, FoldersNothingHappenedToAreNeitherLookedAtNorRead) {
    startWatching();
    load();
    key(QStringLiteral("b/p.jpg"));
    EXPECT_EQ(lastLooks + lastReads, 0U);
    for (int again = 0; again < 3; ++again) {
        key(QStringLiteral("b/q.jpg"));
        // The root, whose metadata folder held the tree's journal, and the folder written were
        // proved again after the last save's writes: nothing is looked at or read.
        EXPECT_EQ(lastLooks + lastReads, 0U);
    }
    key(QStringLiteral("a/b/p.jpg"));
    EXPECT_EQ(lastLooks + lastReads, 0U);
    expectSameAsColdSaves();
}

// Changes of the tree's properties give every folder new inputs; a save that passes the folders
// they do not reach by their remembered shape writes what saves with a cold cache write.
TEST_F(NoticedSave, ChangesOfTheTreesPropertiesAreSavedAsWithAColdCache) {
    startWatching();
    load();
    const auto display = [&](const QString& name) -> Category& {
        return *std::find_if(state.library.categories.begin(), state.library.categories.end(),
                             [&](const Category& c) { return c.name == name; });
    };
    key(QStringLiteral("a/p.jpg"), [&] {
        for (const char* name : {"New", "Tags"}) {
            Category made = property(QString::fromUtf8(name), PropertyKind::multiSelect,
                                     {QStringLiteral("first")});
            made.iconName = QStringLiteral("tag");
            state.library.categories.append(made);
        }
        for (MediaItem& item : state.library.items) {
            item.labels[display(QStringLiteral("Tags")).idText()] = {QStringLiteral("first")};
        }
    });
    key(QStringLiteral("b/p.jpg"), [&] {
        display(QStringLiteral("New")).options.append(QStringLiteral("n2"));
        display(QStringLiteral("Tags")).options.append(QStringLiteral("offered"));
    });
    // Only an option reached the folders' inputs: the folders the watcher saw nothing of and
    // whose items did not change are neither looked at nor read.
    key(QStringLiteral("b/q.jpg"),
        [&] { display(QStringLiteral("Tags")).options.append(QStringLiteral("again")); });
    EXPECT_EQ(lastLooks + lastReads, 0U);
    key(QStringLiteral("a/b/p.jpg"), [&] {
        const QString tags = display(QStringLiteral("Tags")).idText();
        for (MediaItem& item : state.library.items) {
            if (item.filename == QStringLiteral("a/b/q.jpg")) {
                item.labels[tags] = {QStringLiteral("offered"), QStringLiteral("unlisted")};
            }
        }
        display(QStringLiteral("New")).options.prepend(QStringLiteral("n0"));
    });
    key(QStringLiteral("b/c/p.jpg"),
        [&] { display(QStringLiteral("Tags")).name = QStringLiteral("꼬리표"); });
    key(QStringLiteral("p.jpg"));
    expectSameAsColdSaves();
}

// A folder written around while it could not be written holds an older share than the state;
// once it can be written again, the save that follows writes it though its items did not change
// since the last save and the watcher noticed nothing of it.
TEST_F(NoticedSave, AFolderWrittenAroundIsWrittenOnceItCanBe) {
    startWatching();
    load();
    key(QStringLiteral("b/p.jpg"));
    key(QStringLiteral("a/p.jpg"), {}, {QStringLiteral("a")});
    key(QStringLiteral("b/q.jpg"), {}, {QStringLiteral("a")});
    key(QStringLiteral("b/p.jpg"));
    EXPECT_NE(catalogOf(at("a")), catalogOf(steps[1].before + QStringLiteral("/a")));
    key(QStringLiteral("b/q.jpg"));
    EXPECT_LE(lastLooks + lastReads, 3U);
    expectSameAsColdSaves();
}

// A change from outside made while a save writes, after the save took its look: what the save
// proves once it has written is compared with what it wrote, so the save after it finds the
// change, in a folder written and in the root, whose metadata folder held the journal.
TEST_F(NoticedSave, AChangeMadeWhileASaveWritesIsFoundByTheNextSave) {
    startWatching();
    load();
    key(QStringLiteral("b/p.jpg"));
    for (const auto& [target, changed] : std::vector<std::pair<QString, QString>>{
             {QStringLiteral("/b/.lumivex/lumivex.csv"), at("b")},
             {QStringLiteral("/.lumivex/folders-pending.json"), root}}) {
        const QString path = root + target;
        AtomicFile::setFaultHook([path, changed, done = std::make_shared<bool>(false)](
                                     AtomicFile::Stage stage, const QString& written) {
            if (!*done && stage == AtomicFile::Stage::afterRename && written == path) {
                *done = true;
                editCatalog(changed);
            }
        });
        key(QStringLiteral("b/p.jpg"));
        AtomicFile::setFaultHook({});
        steps.back().raced = true;
        CatalogStamps::clear();
        key(QStringLiteral("a/q.jpg"));
        EXPECT_GE(lastReads, 1U) << target.toStdString();
    }
    expectSameAsColdSaves();
}

TEST_F(NoticedSave, OutsideChangesOfEveryKindBetweenKeysAreSavedAsWithAColdCache) {
    startWatching();
    load();
    key(QStringLiteral("p.jpg"));
    key(QStringLiteral("b/p.jpg"), [&] { editCatalog(at("a")); });
    key(QStringLiteral("b/q.jpg"), [&] { addDeletedRecord(at("a/b")); });
    key(QStringLiteral("b/p.jpg"), [&] { leaveJournal(at("b/c")); });
    key(QStringLiteral("a/p.jpg"), [&] { replaceByCopy(at("a/b")); });
    key(QStringLiteral("a/q.jpg"), [&] { ASSERT_TRUE(QDir().rename(at("b/c"), at("b/d"))); });
    EXPECT_TRUE(steps.back().refusal.has_value());
    key(QStringLiteral("a/q.jpg"), [&] { ASSERT_TRUE(QDir().rename(at("b/d"), at("b/c"))); });
    EXPECT_FALSE(steps.back().refusal.has_value());
    key(QStringLiteral("q.jpg"), [&] { editCatalog(at("b/c")); });
    key(QStringLiteral("b/p.jpg"), [&] { makeDirectories(at("a/new")); });
    key(QStringLiteral("a/b/q.jpg"), [&] { ASSERT_TRUE(QDir(at("a/new")).removeRecursively()); });
    expectSameAsColdSaves();
}

TEST_F(NoticedSave, ChangesWhoseEventsTheSystemDroppedAreFoundAfterAnOverflow) {
    startWatching();
    load();
    key(QStringLiteral("p.jpg"));
    key(QStringLiteral("b/p.jpg"), [&] {
        overflowQueue(at("b"));
        editCatalog(at("a"));
        addDeletedRecord(at("b/c"));
    });
    EXPECT_GE(lastLooks + lastReads, std::uint64_t(folderKeys.size()));
    key(QStringLiteral("b/q.jpg"), [&] { editCatalog(at("a/b")); });
    expectSameAsColdSaves();
}

// The notices stand in for the watcher here, so that a change it never reports can be made.
TEST_F(NoticedSave, ALostOrStoppedWatcherVouchesForNothing) {
    auto notices = std::make_shared<ChangeNotices>(root);
    CatalogCache::shared().watch(notices);
    load();
    key(QStringLiteral("p.jpg"));
    key(QStringLiteral("b/p.jpg"), [&] {
        editCatalog(at("a"));
        notices->noteLoss();
    });
    key(QStringLiteral("b/q.jpg"), [&] {
        editCatalog(at("a/b"));
        notices->close();
    });
    EXPECT_GE(lastLooks + lastReads, std::uint64_t(folderKeys.size()));
    expectSameAsColdSaves();
}

TEST(ChangeNoticesTest, AFolderIsQuietUntilItsEntriesItsMetadataOrAFolderAboveItChange) {
    QTemporaryDir dir;
    const QString root = dir.path();
    ChangeNotices notices(root);
    const ChangeNotices::Mark mark = *notices.collect();
    const QString folder = root + QStringLiteral("/a/b");
    notices.note(root + QStringLiteral("/c"), QStringLiteral("x.jpg"), false);
    notices.note(root + QStringLiteral("/a/bb"), QString(), true);
    EXPECT_TRUE(notices.quietSince(folder, mark));
    for (const auto& [where, name] : std::vector<std::pair<QString, QString>>{
             {folder, QStringLiteral("new.jpg")},
             {folder + QStringLiteral("/.lumivex"), QStringLiteral("lumivex.csv")},
             {root + QStringLiteral("/a"), QStringLiteral("b")},
             {root, QStringLiteral("a")},
             {folder, QString()}}) {
        ChangeNotices fresh(root);
        const ChangeNotices::Mark before = *fresh.collect();
        fresh.note(where, name, name.isEmpty());
        EXPECT_FALSE(fresh.quietSince(folder, before)) << where.toStdString();
        EXPECT_TRUE(fresh.quietSince(folder, *fresh.collect()));
    }
    ChangeNotices other(root);
    EXPECT_FALSE(other.quietSince(folder, mark));
}

// The folders found from the notes are exactly the ones not quiet; whatever the notes cannot place
// (a folder made, events lost, more than they keep) gives no answer.
TEST(ChangeNoticesTest, FoldersNotedSinceAMarkAreTheOnesNotQuiet) {
    QTemporaryDir dir;
    const QString root = dir.path();
    const QString a = root + QStringLiteral("/a");
    ChangeNotices notices(root);
    const ChangeNotices::Mark mark = *notices.collect();
    EXPECT_EQ(notices.foldersNotedSince(mark), QSet<QString>());
    notices.note(a + QStringLiteral("/.lumivex"), QStringLiteral("lumivex.csv"), false);
    notices.note(root, QStringLiteral("x.jpg"), false);
    notices.note(a + QStringLiteral("/.lumivex/tree-migration-original"), QStringLiteral("y"),
                 false);
    const QSet<QString> expected{a, root, a + QStringLiteral("/.lumivex/tree-migration-original")};
    EXPECT_EQ(notices.foldersNotedSince(mark), expected);
    for (const QString& folder : {a, root, a + QStringLiteral("/b")}) {
        EXPECT_EQ(notices.quietSince(folder, mark), !expected.contains(folder));
    }
    const ChangeNotices::Mark later = *notices.collect();
    EXPECT_EQ(notices.foldersNotedSince(later), QSet<QString>());
    // A save of fifty folders notes some 1,250 entries; the next save still finds them.
    for (int note = 0; note < 1300; ++note) {
        notices.note(a, QStringLiteral("z%1.jpg").arg(note), false);
    }
    EXPECT_EQ(notices.foldersNotedSince(later), QSet<QString>{a});
    for (const QString& folder : {a, root, a + QStringLiteral("/b")}) {
        EXPECT_EQ(notices.quietSince(folder, later), folder != a) << folder.toStdString();
    }
    // The same entry noted again after a mark counts after it.
    const QString b = root + QStringLiteral("/b");
    notices.note(b, QStringLiteral("y.jpg"), false);
    const ChangeNotices::Mark again = *notices.collect();
    notices.note(b, QStringLiteral("y.jpg"), false);
    EXPECT_EQ(notices.foldersNotedSince(again), QSet<QString>{b});
    EXPECT_FALSE(notices.quietSince(b, again));
    for (int note = 0; note < 10000; ++note) {
        notices.note(a, QStringLiteral("z%1.jpg").arg(note), false);
    }
    EXPECT_FALSE(notices.foldersNotedSince(later).has_value());
    const ChangeNotices::Mark full = *notices.collect();
    notices.note(root, QStringLiteral("new"), true);
    EXPECT_FALSE(notices.foldersNotedSince(full).has_value());
    const ChangeNotices::Mark reshaped = *notices.collect();
    notices.noteLoss();
    EXPECT_FALSE(notices.foldersNotedSince(reshaped).has_value());
}

}  // namespace
}  // namespace lumivex
