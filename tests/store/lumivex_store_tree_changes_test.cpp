// Folders of an open tree that change under the store: removed or renamed outside, or never
// writable by this user. Neither may put the library out of service.

#include "store/store_fixture.h"

#include "catalog/catalog_cache.h"
#include "catalog/library_disk.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "support/child_step.h"
#include "support/test_files.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>

#include <cerrno>

namespace lumivex::test {
namespace {

// No journal was left: the message promises no recovery.
const QString movedFolderRefusal = QStringLiteral(
    "분류 정보를 저장하지 못했습니다. 기존 기록은 보존했습니다.\n파일 폴더가 "
    "이동되었습니다. 새로고침 후 다시 시도하세요.");

class TreeChangesTest : public StoreTest {
protected:
    TreeChangesTest() = default;
    explicit TreeChangesTest(const QString& parentHome) : StoreTest(parentHome) {}

    void makeTree() const {
        addPhoto(QStringLiteral("a.jpg"));
        addPhoto(QStringLiteral("sub/x.jpg"));
        addPhoto(QStringLiteral("keep/k.jpg"));
    }
    void rate(const QString& filename, int rating) {
        store->setSelection(ids({filename}));
        store->setRating(rating);
    }
    QByteArray catalogOf(const QString& folder) const {
        return readFile(at(folder + QStringLiteral(".lumivex/lumivex.csv")));
    }
    // Another program writes the note of the first item of `folder`'s catalog.
    void writeOutsideNote(const QString& folder, const QString& text) const {
        const QString path = at(folder + QStringLiteral("/.lumivex/lumivex.csv"));
        Library catalog = Library::fromCatalogCSV(QString::fromUtf8(readFile(path)));
        catalog.items[0].notes = text;
        writeFile(path, catalog.catalogCSV().toUtf8());
    }
};

// The refusal races the watcher's rescan, and its message asks for a refresh: the edit is
// refused, the rescan starts at once, and the next key after it is saved.
TEST_F(TreeChangesTest, AFolderRemovedOutsideRefusesOneEditWithoutLockingAndRescans) {
    makeTree();
    openLibrary();
    const QByteArray rootCatalog = catalogOf(QString());
    ASSERT_TRUE(QDir(at(QStringLiteral("sub"))).removeRecursively());

    listing.holding = true;
    const int scans = listing.folderScans;
    rate(QStringLiteral("a.jpg"), 3);
    EXPECT_EQ(store->error(), movedFolderRefusal);
    EXPECT_FALSE(store->locked());
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 0);
    EXPECT_FALSE(store->metadataHistory().canUndo());
    EXPECT_EQ(catalogOf(QString()), rootCatalog);
    EXPECT_FALSE(QFile::exists(at(QStringLiteral(".lumivex/folders-pending.json"))));
    EXPECT_TRUE(store->scanning());
    EXPECT_EQ(listing.folderScans, scans + 1) << "the rescan starts at once";

    listing.holding = false;
    listing.release();
    settle();
    EXPECT_FALSE(store->locked());
    EXPECT_EQ(store->deletedArchive().records.size(), 1);
    EXPECT_EQ(store->error(), movedFolderRefusal) << "the message stays";
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 0) << "the refused edit is not replayed";

    rate(QStringLiteral("a.jpg"), 4);
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
    EXPECT_TRUE(catalogOf(QString()).contains("\"4\""));
    EXPECT_TRUE(store->metadataHistory().canUndo());
}

TEST_F(TreeChangesTest, AFolderRenamedOutsideIsFoundAgainByTheRescan) {
    makeTree();
    openLibrary();
    ASSERT_TRUE(QDir().rename(at(QStringLiteral("sub")), at(QStringLiteral("moved"))));

    rate(QStringLiteral("keep/k.jpg"), 2);
    EXPECT_FALSE(store->locked());
    settle();
    rate(QStringLiteral("moved/x.jpg"), 5);
    rate(QStringLiteral("keep/k.jpg"), 2);
    EXPECT_TRUE(catalogOf(QStringLiteral("moved/")).contains("\"5\""));
    EXPECT_TRUE(catalogOf(QStringLiteral("keep/")).contains("\"2\""));
}

// Another program's note on a file of a folder that the rescan has not read yet: a save of
// another folder leaves the folder be, a rating there is taken onto the note, and a note there
// is refused whole with a message, without a lock, the folder read again at once.
TEST_F(TreeChangesTest, AnOutsideEditIsNeverWrittenOverFromTheStoresOlderCopy) {
    makeTree();
    openLibrary();
    LibraryState outside = LibraryDisk::loadState(at(QStringLiteral("sub")));
    outside.library.items[0].notes = QStringLiteral("밖에서 쓴 메모");
    LibraryDisk::saveState(outside, at(QStringLiteral("sub")));
    const QByteArray edited = catalogOf(QStringLiteral("sub/"));

    listing.holding = true;
    rate(QStringLiteral("keep/k.jpg"), 2);
    EXPECT_TRUE(catalogOf(QStringLiteral("keep/")).contains("\"2\""));
    EXPECT_EQ(catalogOf(QStringLiteral("sub/")), edited);
    EXPECT_EQ(listing.held(), 1) << "the folder left is read again";
    store->setNotes(QStringLiteral("앱에서 쓴 메모"), item(QStringLiteral("sub/x.jpg")).id);
    EXPECT_EQ(store->error(),
              QStringLiteral("분류 정보를 저장하지 못했습니다. 기존 기록은 보존했습니다.\n‘%1’ "
                             "폴더의 분류 파일이 앱 밖에서 바뀌어 다시 읽었습니다. 편집을 다시 "
                             "해주세요.")
                  .arg(at(QStringLiteral("sub"))));
    EXPECT_FALSE(store->locked());
    EXPECT_EQ(catalogOf(QStringLiteral("sub/")), edited);
    EXPECT_FALSE(QFile::exists(at(QStringLiteral(".lumivex/folders-pending.json"))));

    rate(QStringLiteral("sub/x.jpg"), 5);
    EXPECT_EQ(item(QStringLiteral("sub/x.jpg")).rating, 5);
    EXPECT_EQ(item(QStringLiteral("sub/x.jpg")).notes, QStringLiteral("밖에서 쓴 메모"));
    EXPECT_TRUE(catalogOf(QStringLiteral("sub/")).contains("밖에서 쓴 메모"));
    EXPECT_FALSE(store->metadataHistory().canUndo());
}

// A rating taken onto another program's note, whose own save then meets a second change of the
// folder: that save is refused too, and the folders the merge read are compared again with what
// the store holds, so a later edit never writes its older copy over a note only the read saw.
TEST_F(TreeChangesTest, AMergeRefusedByALaterOutsideChangeLeavesEveryOtherNoteProtected) {
    makeTree();
    openLibrary();
    writeOutsideNote(QStringLiteral("sub"), QStringLiteral("밖에서 쓴 메모"));
    writeOutsideNote(QStringLiteral("keep"), QStringLiteral("남길 메모"));
    listing.holding = true;
    AtomicFile::setFaultHook([&](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::afterRename && path.endsWith(u"folders-pending.json")) {
            writeOutsideNote(QStringLiteral("sub"), QStringLiteral("다시 쓴 메모"));
        }
    });
    rate(QStringLiteral("sub/x.jpg"), 5);
    AtomicFile::setFaultHook({});
    ASSERT_EQ(item(QStringLiteral("sub/x.jpg")).rating, 0);

    rate(QStringLiteral("keep/k.jpg"), 2);
    EXPECT_TRUE(catalogOf(QStringLiteral("keep/")).contains("남길 메모"));
}

// Another program's rating of the item an edit rates in "keep", written after the edit's deeper
// folder "sub/in" was written and before its own turn: the message says which part was saved and
// which was not, and the rescan shows just that; no undo step is offered.
TEST_F(TreeChangesTest, AnEditMetByAnOutsideChangeAfterPartOfItWasWrittenNamesThePartSaved) {
    makeTree();
    addPhoto(QStringLiteral("sub/in/y.jpg"));
    openLibrary();
    AtomicFile::setFaultHook([&](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::afterRename &&
            path == at(QStringLiteral("sub/in/.lumivex/lumivex.csv"))) {
            const QString keep = at(QStringLiteral("keep/.lumivex/lumivex.csv"));
            Library catalog = Library::fromCatalogCSV(QString::fromUtf8(readFile(keep)));
            catalog.items[0].rating = 1;
            writeFile(keep, catalog.catalogCSV().toUtf8());
        }
    });
    store->setSelection(ids({QStringLiteral("sub/in/y.jpg"), QStringLiteral("keep/k.jpg")}));
    store->setRating(4);
    AtomicFile::setFaultHook({});
    EXPECT_EQ(store->error(),
              QStringLiteral("편집의 일부만 저장했습니다.\n편집을 ‘%1’ 폴더에는 저장했고 ‘%2’ "
                             "폴더에는 저장하지 않았습니다. 저장하는 동안 다른 프로그램이 분류 "
                             "파일을 바꾸었습니다. 다시 읽은 목록에서 저장하지 않은 부분을 다시 "
                             "해주세요.")
                  .arg(at(QStringLiteral("sub/in")), at(QStringLiteral("keep"))));
    EXPECT_FALSE(store->locked());
    EXPECT_FALSE(QFile::exists(at(QStringLiteral(".lumivex/folders-pending.json"))));
    settle();
    EXPECT_EQ(item(QStringLiteral("sub/in/y.jpg")).rating, 4);
    EXPECT_EQ(item(QStringLiteral("keep/k.jpg")).rating, 1);
    EXPECT_FALSE(store->metadataHistory().canUndo());
}

// A rating taken onto other programs' notes in "sub" and "keep"; "keep", which the rating does
// not touch, changes once more before the save: it is left to the rescan, and the rating saved.
TEST_F(TreeChangesTest, AFolderTheEditDoesNotTouchNeverRefusesItsMergedSave) {
    makeTree();
    openLibrary();
    writeOutsideNote(QStringLiteral("sub"), QStringLiteral("밖에서 쓴 메모"));
    writeOutsideNote(QStringLiteral("keep"), QStringLiteral("남길 메모"));
    listing.holding = true;
    // The time is read when the merge joins what it read again, before its save plans.
    clock.onNextRead(
        [&] { writeOutsideNote(QStringLiteral("keep"), QStringLiteral("다시 쓴 메모")); });
    rate(QStringLiteral("sub/x.jpg"), 5);
    EXPECT_EQ(store->error(), std::nullopt);
    EXPECT_EQ(item(QStringLiteral("sub/x.jpg")).rating, 5);
    EXPECT_TRUE(catalogOf(QStringLiteral("sub/")).contains("\"5\""));
    EXPECT_TRUE(catalogOf(QStringLiteral("keep/")).contains("다시 쓴 메모"));
}

// "sub" refuses its write after the deeper "sub/in" took its part of the rating: the store locks
// and says what the files hold and what the next open needs, and that open finishes the save.
TEST_F(TreeChangesTest, AWriteRefusedAfterDeeperFoldersWereWrittenSaysWhatTheJournalFinishes) {
    makeTree();
    addPhoto(QStringLiteral("sub/in/y.jpg"));
    openLibrary();
    QString refusedPath;
    AtomicFile::setFaultHook([&](AtomicFile::Stage stage, const QString& path) {
        if (stage == AtomicFile::Stage::beforeWrite &&
            path.startsWith(at(QStringLiteral("sub/.lumivex/")))) {
            refusedPath = path;
            throw Error::fromErrno(EACCES, path);
        }
    });
    store->setSelection(ids(
        {QStringLiteral("sub/in/y.jpg"), QStringLiteral("sub/x.jpg"), QStringLiteral("a.jpg")}));
    store->setRating(4);
    AtomicFile::setFaultHook({});
    EXPECT_TRUE(store->locked());
    EXPECT_EQ(store->error(),
              QStringLiteral("편집의 일부만 저장했습니다.\n폴더 3개 중 1개에는 바뀐 분류 정보를 "
                             "저장했지만 ‘%1’ 폴더에 쓰지 못해 나머지 2개에는 저장하지 "
                             "못했습니다. 나머지는 저장 복구 파일에 남아 있어, ‘%1’ 폴더에 쓸 수 "
                             "있게 된 뒤 라이브러리를 다시 열면 저장합니다. 그 전에는 라이브러리가 "
                             "열리지 않습니다.\n")
                      .arg(at(QStringLiteral("sub"))) +
                  Error::fromErrno(EACCES, refusedPath).description());

    openLibrary();
    EXPECT_EQ(item(QStringLiteral("sub/x.jpg")).rating, 4);
}

// The rescan that the watcher's events of the store's own save bring reads no folder: each is
// known as written. Another program's note in a folder the save wrote is still read.
TEST_F(TreeChangesTest, TheRescanAfterTheStoresOwnSaveReadsOnlyWhatChangedOutside) {
    makeTree();
    realWatcher = true;
    openLibrary();
    rate(QStringLiteral("sub/x.jpg"), 5);
    const std::uint64_t reads = CatalogCache::shared().folderReads();
    store->rescan(false);
    settle();
    EXPECT_EQ(CatalogCache::shared().folderReads(), reads);
    EXPECT_EQ(item(QStringLiteral("sub/x.jpg")).rating, 5);
    EXPECT_TRUE(store->metadataHistory().canUndo());

    writeOutsideNote(QStringLiteral("sub"), QStringLiteral("밖에서 쓴 메모"));
    store->rescan(false);
    settle();
    EXPECT_GT(CatalogCache::shared().folderReads(), reads);
    EXPECT_EQ(item(QStringLiteral("sub/x.jpg")).notes, QStringLiteral("밖에서 쓴 메모"));
}

// Any other failure of a save still locks: the catalog may be half written behind its journal.
TEST_F(TreeChangesTest, AMissingRootStillLocks) {
    makeTree();
    openLibrary();
    ASSERT_TRUE(QDir(library).removeRecursively());
    rate(QStringLiteral("a.jpg"), 3);
    EXPECT_TRUE(store->locked());
    EXPECT_FALSE(store->scanning());
}

// The child's side of the next test: the parent's tree opened for the first time by a user who
// may not write its folder "shared", an edit there, edits elsewhere and a rescan, each followed
// by whether the store is locked, how many items it shows and how many steps undo holds.
class UnwritableFolderChild final : public TreeChangesTest {
public:
    explicit UnwritableFolderChild(const QString& parentHome) : TreeChangesTest(parentHome) {}

    QString run() {
        openLibrary();
        QStringList lines;
        const auto note = [&](const QString& what) {
            lines.append(what + u' ' +
                         (store->locked() ? QStringLiteral("locked") : QStringLiteral("open")) +
                         u' ' + QString::number(store->library().items.size()) + u' ' +
                         QString::number(store->metadataHistory().undo().size()));
        };
        note(QStringLiteral("opened"));
        rate(QStringLiteral("shared/s.jpg"), 4);
        note(QStringLiteral("shared"));
        lines.append(store->error().value_or(QString()));
        lines.append(QString::number(item(QStringLiteral("shared/s.jpg")).rating));
        // An edit of several items is refused whole when one of them lies there.
        store->setSelection(ids({QStringLiteral("shared/s.jpg"), QStringLiteral("keep/k.jpg")}));
        store->setRating(1);
        note(QStringLiteral("both"));
        rate(QStringLiteral("keep/k.jpg"), 2);
        rate(QStringLiteral("a.jpg"), 5);
        note(QStringLiteral("others"));
        store->rescan(false);
        settle();
        note(QStringLiteral("rescanned"));
        return lines.join(u'\n');
    }

private:
    void TestBody() override {}
};

const ChildStep unwritableFolder("tree-changes-unwritable-folder",
                                 [](const QStringList& arguments) {
                                     return withoutRights(
                                         [&] { return UnwritableFolderChild(arguments[0]).run(); });
                                 });

// A tree opened for the first time with a folder of another user in it (the superuser's, mode
// 755): the open writes the other folders and shows every item; an edit there is refused with the
// folder's name, the store stays open, and edits elsewhere are saved.
TEST_F(TreeChangesTest, AFolderTheUserMayNotWriteLeavesTheRestOfTheTreeInService) {
    makeTree();
    addPhoto(QStringLiteral("shared/s.jpg"));
    handOver(home);
    setMode(at(QStringLiteral("shared")), 0555);
    const QString report = asUnprivilegedUser(unwritableFolder, {home});
    const QString refusal =
        QStringLiteral(
            "분류 정보를 저장하지 못했습니다. 기존 기록은 보존했습니다.\n‘%1’ 폴더에 쓸 수 없어 그 "
            "안의 항목은 바꾸지 않았습니다. 폴더의 쓰기 권한을 확인해주세요.")
            .arg(at(QStringLiteral("shared")));
    EXPECT_EQ(report.toStdString(),
              QStringList({QStringLiteral("opened open 4 0"), QStringLiteral("shared open 4 0"),
                           refusal, QStringLiteral("0"), QStringLiteral("both open 4 0"),
                           QStringLiteral("others open 4 2"), QStringLiteral("rescanned open 4 2")})
                  .join(u'\n')
                  .toStdString());
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("shared/.lumivex"))));
    EXPECT_FALSE(QFile::exists(at(QStringLiteral(".lumivex/folders-pending.json"))));
    EXPECT_TRUE(catalogOf(QStringLiteral("keep/")).contains("\"2\""));
    EXPECT_TRUE(catalogOf(QString()).contains("\"5\""));
}

}  // namespace
}  // namespace lumivex::test
