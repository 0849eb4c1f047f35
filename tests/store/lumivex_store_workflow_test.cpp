#include "store/store_fixture.h"

#include "platform/error.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <cerrno>

namespace lumivex::test {
namespace {

class WorkflowTest : public StoreTest {
protected:
    // The values of the property named "Mood", found by name since a reload may show it under
    // another display identifier.
    QStringList moodOf(const QString& filename) {
        for (const Category& category : store->library().categories) {
            const MediaItem& found = item(filename);
            if (category.name == QStringLiteral("Mood") &&
                found.labels.contains(category.idText())) {
                return found.labels.at(category.idText());
            }
        }
        return {};
    }
};

TEST_F(WorkflowTest, OpensScansRatesUndoesAndRedoes) {
    makeTree();
    makeStore();
    EXPECT_EQ(store->source(), LibrarySource::none);
    store->openLibrary(library, true, true);
    EXPECT_TRUE(store->scanning());
    settle();

    ASSERT_EQ(store->library().items.size(), 3);
    EXPECT_TRUE(store->library().includeSubfolders);
    EXPECT_TRUE(QFile::exists(at(QStringLiteral(".lumivex/lumivex.csv"))));
    EXPECT_TRUE(QFile::exists(at(QStringLiteral("sub/.lumivex/lumivex.csv"))));
    EXPECT_EQ(store->recentFolders().paths, QStringList{library});
    EXPECT_EQ(defaults->textList(QStringLiteral("Lumivex.recentFolders")), QStringList{library});
    EXPECT_EQ(defaults->text(QStringLiteral("Lumivex.source")), QStringLiteral("folder"));
    EXPECT_EQ(defaults->text(QStringLiteral("Lumivex.libraryRoot")), library);
    EXPECT_EQ(watchers.live(), 1);

    store->setSelection(ids({QStringLiteral("a.jpg")}));
    QSignalSpy saved(store.get(), &LumivexStore::lastSavedChanged);
    EXPECT_TRUE(store->setSingleSelectionRating(4));
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("별점 변경 실행 취소"));
    const QByteArray ratedCatalog = readFile(at(QStringLiteral(".lumivex/lumivex.csv")));

    store->undoMetadata();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 0);
    EXPECT_EQ(store->redoMetadataTitle(), QStringLiteral("별점 변경 다시 실행"));
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("실행 취소"));
    EXPECT_NE(readFile(at(QStringLiteral(".lumivex/lumivex.csv"))), ratedCatalog);

    store->redoMetadata();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
    EXPECT_EQ(readFile(at(QStringLiteral(".lumivex/lumivex.csv"))), ratedCatalog);
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("별점 변경 실행 취소"));

    // The ratings survive a new open of the folder.
    store->openLibrary(library, true, true);
    settle();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 4);
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("실행 취소"));
    EXPECT_EQ(watchers.live(), 1);
}

TEST_F(WorkflowTest, FailedSaveLocksAndLeavesEverythingAsItWas) {
    makeTree();
    openLibrary();
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(2);
    const Library before = store->library();
    const auto lastSaved = store->lastSaved();
    const auto undoCount = store->metadataHistory().undo().size();
    QDir(library).removeRecursively();

    store->setRating(5);
    EXPECT_TRUE(store->locked());
    ASSERT_TRUE(store->error());
    EXPECT_TRUE(store->error()->startsWith(
        QStringLiteral("분류 정보를 저장하지 못했습니다. 기존 기록은 보존했습니다.\n")))
        << "no journal waits to be recovered";
    EXPECT_EQ(store->library(), before);
    EXPECT_EQ(store->lastSaved(), lastSaved);
    EXPECT_EQ(store->metadataHistory().undo().size(), undoCount);

    // Nothing runs on a locked store until a folder is opened again.
    const int scans = listing.folderScans;
    store->rescan(true);
    store->undoMetadata();
    store->requestDeletion(std::nullopt);
    EXPECT_EQ(listing.folderScans, scans);
    EXPECT_EQ(store->metadataHistory().undo().size(), undoCount);
    EXPECT_FALSE(store->deletionRequest());
    EXPECT_FALSE(store->setRating(1, item(QStringLiteral("a.jpg")).id));
}

// The root's metadata folder replaced by a file: the journal cannot be written, so the save
// stops before any folder is touched and the message promises no recovery.
TEST_F(WorkflowTest, ASaveWhoseJournalCannotBeWrittenPromisesNoRecovery) {
    makeTree();
    openLibrary();
    ASSERT_TRUE(QDir(at(QStringLiteral(".lumivex"))).removeRecursively());
    writeFile(at(QStringLiteral(".lumivex")), "not a folder");

    store->setSelection(ids({QStringLiteral("sub/c.png")}));
    store->setRating(5);
    EXPECT_TRUE(store->locked());
    EXPECT_EQ(store->error(),
              QStringLiteral("분류 정보를 저장하지 못했습니다. 기존 기록은 보존했습니다.\n") +
                  Error::fromErrno(ENOTDIR, at(QStringLiteral(".lumivex/folders-pending.json")))
                      .description());
}

TEST_F(WorkflowTest, CullsAFolderFromOpeningToThePurge) {
    makeTree();
    openLibrary();
    const QString trashFolder = temp.path() + QStringLiteral("/Trash");
    makeDirectories(trashFolder);
    trash.folder = trashFolder;

    store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("sub/c.png")}));
    store->setRating(5);
    ASSERT_TRUE(store->addCategory(QStringLiteral("Mood"), PropertyKind::multiSelect));
    Category mood;
    for (const Category& category : store->editableProperties()) {
        if (category.name == QStringLiteral("Mood")) {
            mood = category;
        }
    }
    store->addLabel(QStringLiteral("calm"), mood);
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->renameOption(QStringLiteral("calm"), QStringLiteral("quiet"), mood);
    store->undoMetadata();
    store->redoMetadata();
    store->setNotes(QStringLiteral("keep"), item(QStringLiteral("a.jpg")).id);
    EXPECT_EQ(store->undoMetadataTitle(), QStringLiteral("메모 변경 실행 취소"));

    store->setSelection(ids({QStringLiteral("b.jpg")}));
    store->requestDeletion(std::nullopt);
    store->confirmDeletion(*store->deletionRequest());
    settle();
    EXPECT_TRUE(QFile::exists(trashFolder + QStringLiteral("/b.jpg")));
    ASSERT_EQ(store->deletedArchive().records.size(), 1);

    // A new process sees every edit and the deleted record.
    EXPECT_EQ(moodOf(QStringLiteral("a.jpg")), QStringList{QStringLiteral("quiet")});
    EXPECT_EQ(moodOf(QStringLiteral("sub/c.png")), QStringList{QStringLiteral("calm")})
        << "the rename reached only the selected item's folder";
    makeStore();
    openLibrary();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 5);
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("keep"));
    EXPECT_EQ(moodOf(QStringLiteral("a.jpg")), QStringList{QStringLiteral("quiet")});
    EXPECT_EQ(moodOf(QStringLiteral("sub/c.png")), QStringList{QStringLiteral("calm")});
    EXPECT_EQ(item(QStringLiteral("sub/c.png")).rating, 5);
    EXPECT_EQ(store->deletedArchive().records.size(), 1);

    clock.advance(DeletedArchive::retentionSeconds);
    EXPECT_TRUE(store->deletedArchive().records.isEmpty());
    EXPECT_FALSE(readFile(at(QStringLiteral(".lumivex/deleted.csv"))).contains("b.jpg"));
}

}  // namespace
}  // namespace lumivex::test
