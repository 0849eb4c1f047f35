// Trees that the user may only partly read or write. The tests run as the superuser in CI, whom
// permissions do not stop, so every open and save that must meet a refusal runs in a child that
// gives those rights up.

#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "catalog/folder_watcher.h"
#include "catalog/tree_journal.h"
#include "catalog_tree.h"
#include "model/media_scanner.h"
#include "platform/atomic_file.h"
#include "support/child_step.h"
#include "support/test_files.h"
#include "support/unprivileged.h"
#include "tree_fixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

namespace lumivex {
namespace {

using namespace test;
namespace Tree = test::CatalogTree;

struct Interrupted : std::exception {};

QString names(const LibraryState& state) {
    QStringList result;
    for (const MediaItem& item : state.library.items) {
        result.append(item.filename);
    }
    for (const DeletedRecord& record : state.deleted.records) {
        result.append(QStringLiteral("deleted:") + record.item.filename);
    }
    result.sort();
    return result.join(u' ');
}

MediaItem& item(LibraryState& state, const char* filename) {
    return *std::find_if(state.library.items.begin(), state.library.items.end(),
                         [&](const MediaItem& candidate) {
                             return candidate.filename == QString::fromUtf8(filename);
                         });
}

const QString failedOperation = QStringLiteral("파일 작업에 실패했습니다: ");

QString permissionDenied(const QString& path) {
    return Error::fromErrno(EACCES, path).description();
}

QString deniedReason() {
    return QStringLiteral(" (권한이 없습니다)");
}

// The files of the tree inside the folder `key`, or all the others.
std::map<QString, QByteArray> filesOf(const QString& root, const QString& key, bool inside) {
    std::map<QString, QByteArray> files;
    for (const auto& [name, bytes] : Tree::treeBytes(root)) {
        if (name.startsWith(key + u'/') == inside) {
            files.emplace(name, bytes);
        }
    }
    return files;
}

// `base` with the media now under `root` scanned into it.
LibraryState rescannedAt(const QString& root, LibraryState base) {
    const QList<MediaItem> scanned = MediaScanner::scanFolder(
        root, base.library.items.toList(), true, [] { return Date::now(); }, [] { return false; });
    base.reconcileFolder(scanned, Date::now());
    return base;
}

// The open of the tree at the first argument, without the superuser's rights: "opened" or the
// refusal.
const ChildStep opening("permission-open", [](const QStringList& arguments) {
    return withoutRights([&] {
        FolderCatalog::load(arguments[0], std::nullopt);
        return QStringLiteral("opened");
    });
});

// A folder nobody may list: the tree at the first argument, as its last open left it, opened,
// rescanned and saved without the superuser's rights, then saved with a.jpg rated 5. Reports
// the items of the open and of the rescan, and whether the files outside the folder stayed.
const ChildStep unlistedFolder("permission-unlisted-folder", [](const QStringList& arguments) {
    const QString& root = arguments[0];
    const LibraryState state = FolderCatalog::load(root, std::nullopt);
    return withoutRights([&] {
        const auto othersBefore = filesOf(root, QStringLiteral("locked"), false);
        const LibraryState opened = FolderCatalog::load(root, std::nullopt);
        // The state of the last open still holds the folder's items.
        LibraryState again = rescannedAt(root, FolderCatalog::load(root, state));
        FolderCatalog::save(again, root);
        const bool unchanged = filesOf(root, QStringLiteral("locked"), false) == othersBefore;
        LibraryState edited = state;
        item(edited, "a.jpg").rating = 5;
        FolderCatalog::save(edited, root);
        return names(opened) + u'|' + names(again) +
               (unchanged ? QStringLiteral("|unchanged") : QStringLiteral("|changed"));
    });
});

// The tree at the first argument as it stands (rescanned when the second is "rescan"), with the
// ratings "file=rating" of the further arguments; read with the rights the tests run with.
LibraryState editedTree(const QStringList& arguments) {
    const QString& root = arguments[0];
    LibraryState edited = FolderCatalog::load(root, std::nullopt);
    if (arguments[1] == u"rescan") {
        edited = rescannedAt(root, std::move(edited));
    }
    for (const QString& rating : arguments.mid(2)) {
        const QStringList parts = rating.split(u'=');
        item(edited, parts[0].toUtf8().constData()).rating = parts[1].toInt();
    }
    return edited;
}

// The edited tree saved without the superuser's rights. Reports "saved" or the refusal, and the
// items the tree then opens with.
const ChildStep editedSave("permission-edited-save", [](const QStringList& arguments) {
    const QString& root = arguments[0];
    const LibraryState edited = editedTree(arguments);
    return withoutRights([&] {
        QString refusal = QStringLiteral("saved");
        try {
            FolderCatalog::save(edited, root);
        } catch (const Error& error) {
            refusal = error.description();
        }
        return refusal + u'|' + names(FolderCatalog::load(root, std::nullopt));
    });
});

// The edited tree saved without the superuser's rights by a save that may write around the
// folders it cannot write, then saved again with open/b.jpg rated 2 by one that may not. Reports
// the folders each save asked about, those it found unwritable, and the items the tree opens with.
const ChildStep saveAround("permission-save-around", [](const QStringList& arguments) {
    const QString& root = arguments[0];
    LibraryState edited = editedTree(arguments);
    return withoutRights([&] {
        QSet<QString> unwritable;
        QStringList asked;
        FolderCatalog::save(edited, root, &unwritable, [&](const QString& key) {
            asked.append(key);
            return true;
        });
        // Known now: a second save does not try the folder again.
        item(edited, "open/b.jpg").rating = 2;
        FolderCatalog::save(edited, root, &unwritable, [&](const QString& key) {
            asked.append(key);
            return false;
        });
        return asked.join(u',') + u'|' +
               QStringList(unwritable.begin(), unwritable.end()).join(u',') + u'|' +
               names(FolderCatalog::load(root, std::nullopt));
    });
});

// The edited tree saved without the superuser's rights by a save that may not write around an
// unwritable folder. Reports the unwritable folders and the refusal, or "saved".
const ChildStep saveNotAround("permission-save-not-around", [](const QStringList& arguments) {
    const QString& root = arguments[0];
    const LibraryState edited = editedTree(arguments);
    return withoutRights([&] {
        QSet<QString> unwritable;
        try {
            FolderCatalog::save(edited, root, &unwritable, [](const QString&) { return false; });
        } catch (const Error& error) {
            return QStringList(unwritable.begin(), unwritable.end()).join(u',') + u'|' +
                   (FolderCatalog::isUnwritableFolderRefusal(error) ? QStringLiteral("refused|")
                                                                    : QStringLiteral("failed|")) +
                   error.description();
        }
        return QStringLiteral("saved");
    });
});

// Saves without the superuser's rights while a watcher runs: open/b.jpg rated 1, then 2 (each
// writing the folder a save wrote just before), then its metadata folder made read-only and
// b.jpg rated 4. Reports each save's refusal or "saved".
const ChildStep watchedSaves("permission-watched-saves", [](const QStringList& arguments) {
    const QString& root = arguments[0];
    return withoutRights([&] {
        const std::unique_ptr<FolderWatcher> watcher = FolderWatcher::create(root, [] {});
        LibraryState edited = FolderCatalog::load(root, std::nullopt);
        QStringList reports;
        const QString metadata = root + QStringLiteral("/open/.lumivex");
        for (const int rating : {1, 2, 4}) {
            if (rating == 4) {
                setMode(metadata, 0555);
            }
            item(edited, "open/b.jpg").rating = rating;
            try {
                FolderCatalog::save(edited, root);
                reports.append(QStringLiteral("saved"));
            } catch (const Error& error) {
                reports.append(error.description());
            }
        }
        setMode(metadata, 0755);
        return reports.join(u'|');
    });
});

// A tree of four photos in four folders, scanned and saved with every rating at 3, and handed to
// the user the children run as.
class FolderPermissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogCache::shared().clear();
        root = dir.path();
        for (const char* name : {"a.jpg", "open/b.jpg", "locked/c.jpg", "locked/deeper/d.jpg"}) {
            writeFile(path(name), "x");
        }
        state = rescanned(FolderCatalog::load(root, std::nullopt));
        for (MediaItem& each : state.library.items) {
            each.rating = 3;
        }
        FolderCatalog::save(state, root);
        state = FolderCatalog::load(root, std::nullopt);
        handOver(root);
    }
    void TearDown() override {
        AtomicFile::setFaultHook({});
        for (auto it = changedModes.rbegin(); it != changedModes.rend(); ++it) {
            setMode(it->first, it->second);
        }
    }

    QString path(const char* relative) const { return root + u'/' + QString::fromUtf8(relative); }
    LibraryState rescanned(LibraryState base) const { return rescannedAt(root, std::move(base)); }
    // Sets a mode that TearDown puts back.
    void restrict(const char* relative, mode_t mode) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(path(relative)).constData(), &info), 0);
        changedModes.emplace_back(path(relative), info.st_mode & 07777);
        setMode(path(relative), mode);
    }
    void restoreModes() {
        TearDown();
        changedModes.clear();
    }
    QTemporaryDir dir;
    QString root;
    LibraryState state;
    std::vector<std::pair<QString, mode_t>> changedModes;
};

// "lost+found" at the root of a drive, or any folder of another user: the library opens without
// it, a rescan does not find its items missing, and a save neither reads nor writes its files.
TEST_F(FolderPermissionTest, AFolderThatCannotBeListedIsLeftOutOfTheOpenTheScanAndTheSave) {
    const QString locked = QStringLiteral("locked");
    const auto lockedBefore = filesOf(root, locked, true);
    restrict("locked", 0);
    const QString report = asUnprivilegedUser(unlistedFolder, {root});
    EXPECT_EQ(report.toStdString(), "a.jpg open/b.jpg|a.jpg open/b.jpg|unchanged");
    restoreModes();
    EXPECT_TRUE(filesOf(root, locked, true) == lockedBefore) << "the folder's files changed";

    const LibraryState reopened = FolderCatalog::load(root, std::nullopt);
    EXPECT_EQ(names(reopened), QStringLiteral("a.jpg locked/c.jpg locked/deeper/d.jpg open/b.jpg"));
    for (const MediaItem& each : reopened.library.items) {
        EXPECT_EQ(each.rating, each.filename == u"a.jpg" ? 5 : 3) << each.filename.toStdString();
    }
}

TEST_F(FolderPermissionTest, AnUnreadableCatalogInAReadableFolderStillRefusesTheOpen) {
    const auto open = [&] { return asUnprivilegedUser(opening, {root}); };
    restrict("locked/.lumivex/lumivex.csv", 0);
    EXPECT_EQ(open().toStdString(),
              "error: " + permissionDenied(path("locked/.lumivex/lumivex.csv")).toStdString());
    restoreModes();
    restrict("locked/.lumivex", 0);
    const QString report = open();
    EXPECT_TRUE(
        report.startsWith(QStringLiteral("error: ") + failedOperation + path("locked/.lumivex/")))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith(deniedReason())) << report.toStdString();
}

// A save refused for permissions leaves no journal and every file as it was, and the library
// opens as before; `edits` are the arguments of the edited save, `expected` its refusal.
void expectCleanRefusal(const QString& root, const QStringList& edits, const QString& expected) {
    const auto before = Tree::treeBytes(root);
    const QString report = asUnprivilegedUser(editedSave, QStringList{root} + edits);
    const QStringList parts = report.split(u'|');
    ASSERT_EQ(parts.size(), 2) << report.toStdString();
    EXPECT_EQ(parts[0].toStdString(), expected.toStdString());
    EXPECT_EQ(Tree::journalsUnder(root).join(u' ').toStdString(), "");
    EXPECT_TRUE(Tree::treeBytes(root) == before) << "the refused save changed the tree";
    EXPECT_FALSE(parts[1].isEmpty()) << "the library no longer opens";
}

TEST_F(FolderPermissionTest, ASaveIntoAFolderTheUserMayNotWriteIsRefusedBeforeItsJournal) {
    writeFile(path("shared/e.jpg"), "x");
    handOver(root);
    restrict("shared", 0555);
    expectCleanRefusal(root, {QStringLiteral("rescan"), QStringLiteral("a.jpg=1")},
                       permissionDenied(path("shared/.lumivex")));
}

TEST_F(FolderPermissionTest, ASaveIntoAReadOnlyMetadataFolderIsRefusedBeforeItsJournal) {
    restrict("open/.lumivex", 0555);
    expectCleanRefusal(root, {QString(), QStringLiteral("a.jpg=1"), QStringLiteral("open/b.jpg=1")},
                       permissionDenied(path("open/.lumivex/lumivex.csv")));

    // Saves that leave the folder alone go on.
    const QString report =
        asUnprivilegedUser(editedSave, {root, QString(), QStringLiteral("a.jpg=1")});
    EXPECT_EQ(report.toStdString(), "saved|a.jpg locked/c.jpg locked/deeper/d.jpg open/b.jpg");
    LibraryState saved = FolderCatalog::load(root, std::nullopt);
    EXPECT_EQ(item(saved, "a.jpg").rating, 1);
}

// A folder the last save wrote is not rehearsed again while the watcher saw nothing of it; a
// change of its permissions is seen, and the save is refused before its journal as ever.
TEST_F(FolderPermissionTest, AFolderMadeReadOnlyAfterASaveWroteItIsRefusedBeforeTheJournal) {
    const QString report = asUnprivilegedUser(watchedSaves, {root});
    EXPECT_EQ(report.toStdString(),
              "saved|saved|" + permissionDenied(path("open/.lumivex/lumivex.csv")).toStdString());
    EXPECT_EQ(Tree::journalsUnder(root).join(u' ').toStdString(), "");
    LibraryState saved = FolderCatalog::load(root, std::nullopt);
    EXPECT_EQ(item(saved, "open/b.jpg").rating, 2);
}

// A folder the user may not write, met by a save that may write around it: the other folders are
// written, its own files stay as they are (here: none), and the folder is reported.
TEST_F(FolderPermissionTest, ASaveMayWriteAroundAFolderTheUserMayNotWrite) {
    writeFile(path("shared/e.jpg"), "x");
    handOver(root);
    restrict("shared", 0555);
    const QString report =
        asUnprivilegedUser(saveAround, {root, QStringLiteral("rescan"), QStringLiteral("a.jpg=1")});
    EXPECT_EQ(report.toStdString(),
              "shared|shared|a.jpg locked/c.jpg locked/deeper/d.jpg open/b.jpg");
    EXPECT_EQ(Tree::journalsUnder(root).join(u' ').toStdString(), "");
    EXPECT_FALSE(QFile::exists(path("shared/.lumivex")));
    restoreModes();
    const LibraryState reopened = FolderCatalog::load(root, std::nullopt);
    for (const MediaItem& each : reopened.library.items) {
        const int expected = each.filename == u"a.jpg" ? 1 : each.filename == u"open/b.jpg" ? 2 : 3;
        EXPECT_EQ(each.rating, expected) << each.filename.toStdString();
    }
}

// A change to what such a folder holds is refused whole, before any folder is written, with a
// message naming the folder; catalogs written there earlier stay as they are.
TEST_F(FolderPermissionTest, AChangeInsideAFolderTheUserMayNotWriteIsRefusedWhole) {
    restrict("open/.lumivex", 0555);
    const auto before = Tree::treeBytes(root);
    const QString report = asUnprivilegedUser(
        saveNotAround,
        {root, QString(), QStringLiteral("a.jpg=1"), QStringLiteral("open/b.jpg=1")});
    EXPECT_EQ(report.toStdString(),
              "open|refused|‘" + path("open").toStdString() +
                  "’ 폴더에 쓸 수 없어 그 안의 항목은 바꾸지 않았습니다. 폴더의 쓰기 권한을 "
                  "확인해주세요.");
    EXPECT_EQ(Tree::journalsUnder(root).join(u' ').toStdString(), "");
    EXPECT_TRUE(Tree::treeBytes(root) == before) << "the refused save changed the tree";
}

TEST_F(FolderPermissionTest, AChangeOfAFolderIsTheChangeOfItsItemsRecordsOrSchema) {
    const QString open = QStringLiteral("open");
    LibraryState edited = state;
    EXPECT_FALSE(FolderCatalog::changesFolder(state, edited, open));
    item(edited, "a.jpg").rating = 5;
    EXPECT_FALSE(FolderCatalog::changesFolder(state, edited, open));
    EXPECT_TRUE(FolderCatalog::changesFolder(state, edited, QString()));
    item(edited, "open/b.jpg").notes = QStringLiteral("memo");
    EXPECT_TRUE(FolderCatalog::changesFolder(state, edited, open));
    EXPECT_FALSE(FolderCatalog::changesFolder(state, edited, QStringLiteral("locked")));

    LibraryState removed = state;
    removed.remove({item(removed, "locked/deeper/d.jpg").id}, Date::now());
    EXPECT_TRUE(FolderCatalog::changesFolder(state, removed, QStringLiteral("locked/deeper")));
    EXPECT_FALSE(FolderCatalog::changesFolder(state, removed, QStringLiteral("locked")));

    LibraryState reshaped = state;
    reshaped.library.folderSchemas[open].properties.clear();
    EXPECT_TRUE(FolderCatalog::changesFolder(state, reshaped, open));
}

// A journal left by an earlier save (a crash, or a folder that lost its write permission since)
// that cannot be finished now: the open says why and keeps the journal for a later open.
TEST_F(FolderPermissionTest, AJournalThatCannotBeFinishedForPermissionsIsKeptAndExplained) {
    LibraryState edited = state;
    item(edited, "open/b.jpg").rating = 1;
    AtomicFile::setFaultHook([](AtomicFile::Stage stage, const QString& written) {
        if (stage == AtomicFile::Stage::afterRename && written.endsWith(u"folders-pending.json")) {
            throw Interrupted();
        }
    });
    EXPECT_THROW(FolderCatalog::save(edited, root), Interrupted);
    AtomicFile::setFaultHook({});
    restrict("open/.lumivex", 0555);

    const QString report = asUnprivilegedUser(opening, {root});
    const QString journal = TreeJournal::path(root);
    EXPECT_TRUE(report.startsWith(
        QStringLiteral("error: 폴더 저장 복구 파일을 마치지 못했습니다. 파일을 보존했습니다.\n") +
        journal + u'\n' + failedOperation + path("open/.lumivex/")))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith(deniedReason())) << report.toStdString();
    EXPECT_EQ(Tree::journalsUnder(root),
              QStringList{QStringLiteral(".lumivex/folders-pending.json")});

    restoreModes();
    const LibraryState finished = FolderCatalog::load(root, std::nullopt);
    EXPECT_EQ(Tree::journalsUnder(root).join(u' ').toStdString(), "");
    EXPECT_EQ(Tree::valuesOf(finished), Tree::valuesOf(edited));
}

}  // namespace
}  // namespace lumivex
