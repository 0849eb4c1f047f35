#include "store/store_fixture.h"

#include "catalog/library_disk.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace lumivex::test {
namespace {

const QString sourceKey = QStringLiteral("Lumivex.source");
const QString rootKey = QStringLiteral("Lumivex.libraryRoot");
const QString recentKey = QStringLiteral("Lumivex.recentFolders");
const QString setupKey = QStringLiteral("Lumivex.photosSetupCompleted");

using OpenTest = StoreTest;

TEST_F(OpenTest, OpeningAFileShowsTheDefaultLibraryLockedAndWritesNothing) {
    makeTree();
    openLibrary();
    // Leave a deleted record behind, so the previous library has something to leak.
    QFile::remove(at(QStringLiteral("b.jpg")));
    store->rescan(false);
    settle();
    ASSERT_EQ(store->deletedArchive().records.size(), 1);
    const auto storedDefaults = readFile(defaults->filePath());
    const QString file = at(QStringLiteral("a.jpg"));

    store->openLibrary(file, true, true);
    EXPECT_TRUE(store->locked());
    EXPECT_EQ(store->source(), LibrarySource::folder);
    EXPECT_EQ(store->root(), file);
    EXPECT_TRUE(store->library().items.isEmpty());
    EXPECT_EQ(store->library().categories.size(), Library().categories.size());
    EXPECT_TRUE(store->deletedArchive().records.isEmpty());
    ASSERT_TRUE(store->error());
    EXPECT_TRUE(store->error()->startsWith(
        QStringLiteral("라이브러리를 열지 못했습니다. 기존 분류 정보는 덮어쓰지 않습니다.\n\n")));
    EXPECT_TRUE(store->error()->endsWith(QStringLiteral("\n\n") + file +
                                         QStringLiteral("/.lumivex/lumivex.csv")));
    EXPECT_EQ(readFile(defaults->filePath()), storedDefaults);
    EXPECT_EQ(watchers.live(), 0);
    EXPECT_FALSE(store->scanning());
    EXPECT_TRUE(clock.pendingWaits().empty()) << "no maintenance after a failed open";
}

TEST_F(OpenTest, UnreadableCatalogKeepsItsBytes) {
    makeTree();
    writeFile(at(QStringLiteral(".lumivex/lumivex.csv")), "not,a\ncatalog");
    makeStore();
    store->openLibrary(library, true, true);
    EXPECT_TRUE(store->locked());
    EXPECT_EQ(readFile(at(QStringLiteral(".lumivex/lumivex.csv"))), QByteArray("not,a\ncatalog"));
    EXPECT_EQ(listing.folderScans, 0);
}

TEST_F(OpenTest, TemporaryLibraryWritesNoLibraryKeys) {
    makeTree();
    const QString other = temp.path() + QStringLiteral("/other");
    makeDirectories(other);
    defaults->setText(sourceKey, QStringLiteral("folder"));
    defaults->setText(rootKey, other);
    defaults->setTextList(recentKey, {other});
    defaults->setBool(setupKey, false);
    const QByteArray before = readFile(defaults->filePath());

    makeStore({QStringLiteral("app"), QStringLiteral("--library"), library,
               QStringLiteral("--connect-photos"), QStringLiteral("--library"), other});
    settle();
    EXPECT_TRUE(store->usesTemporaryRoot());
    EXPECT_EQ(store->root(), library);
    EXPECT_EQ(store->library().items.size(), 3);
    EXPECT_TRUE(store->recentFolders().paths.isEmpty());

    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(3);
    // Removing a folder from the (empty) list must not replace the user's list with nothing.
    store->removeRecentFolder(other);
    EXPECT_EQ(readFile(defaults->filePath()), before);
}

TEST_F(OpenTest, LibraryAsLastArgumentIsIgnored) {
    makeTree();
    defaults->setText(sourceKey, QStringLiteral("folder"));
    defaults->setText(rootKey, library);
    makeStore({QStringLiteral("app"), QStringLiteral("--library")});
    settle();
    EXPECT_FALSE(store->usesTemporaryRoot());
    EXPECT_EQ(store->source(), LibrarySource::folder);
    EXPECT_EQ(store->root(), library);
}

TEST_F(OpenTest, RememberedFolderReopensWithoutEnteringTheRecentList) {
    makeTree();
    defaults->setText(sourceKey, QStringLiteral("folder"));
    defaults->setText(rootKey, library + QStringLiteral("/sub/.."));
    defaults->setTextList(recentKey, {});
    makeStore();
    settle();
    EXPECT_EQ(store->source(), LibrarySource::folder);
    EXPECT_EQ(store->root(), library);
    EXPECT_EQ(defaults->text(rootKey), library);
    EXPECT_TRUE(store->recentFolders().paths.isEmpty());
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->setRating(1);
    EXPECT_TRUE(store->recentFolders().paths.isEmpty());
}

TEST_F(OpenTest, MissingRememberedFolderIsShownAsTheRootOnly) {
    defaults->setText(sourceKey, QStringLiteral("folder"));
    defaults->setText(rootKey, temp.path() + QStringLiteral("/gone"));
    makeStore();
    EXPECT_EQ(store->source(), LibrarySource::none);
    EXPECT_EQ(store->root(), temp.path() + QStringLiteral("/gone"));
    EXPECT_FALSE(store->error());
    EXPECT_FALSE(store->locked());
}

TEST_F(OpenTest, UnknownOrEmptyRememberedSourceOpensNothing) {
    for (const QString& source : {QStringLiteral("Photos"), QStringLiteral("none")}) {
        defaults->setText(sourceKey, source);
        defaults->setText(rootKey, library);
        makeStore();
        EXPECT_EQ(store->source(), LibrarySource::none) << source.toStdString();
        EXPECT_FALSE(store->needsPhotosSetup());
    }
    defaults->setText(sourceKey, QStringLiteral("folder"));
    defaults->setText(rootKey, QString());
    makeStore();
    EXPECT_EQ(store->root(), temp.path());
}

TEST_F(OpenTest, RememberedPhotosWithoutAccessOnlyAsksForSetup) {
    defaults->setText(sourceKey, QStringLiteral("photos"));
    photos.status = PhotoAuthorizationStatus::notDetermined;
    makeStore();
    EXPECT_TRUE(store->needsPhotosSetup());
    EXPECT_FALSE(store->showPhotosSetup());
    EXPECT_EQ(store->source(), LibrarySource::none);
    EXPECT_FALSE(store->connectingPhotos());
}

TEST_F(OpenTest, ConnectPhotosArgumentWinsOverARememberedFolder) {
    makeTree();
    defaults->setText(sourceKey, QStringLiteral("folder"));
    defaults->setText(rootKey, library);
    makeStore({QStringLiteral("app"), QStringLiteral("--connect-photos")});
    settle();
    EXPECT_EQ(store->source(), LibrarySource::photos);
    EXPECT_EQ(store->root(), photosMetadata);
    EXPECT_EQ(defaults->text(rootKey), library) << "the Photos library never replaces the folder";
}

TEST_F(OpenTest, LegacyRootStartsTheRecentListWhenItHasACatalog) {
    makeTree();
    LibraryDisk::saveState({}, library);
    defaults->setText(rootKey, library);
    makeStore();
    EXPECT_EQ(store->recentFolders().paths, QStringList{library});
    EXPECT_EQ(defaults->textList(recentKey), QStringList{library});
}

TEST_F(OpenTest, RecentFoldersAreStandardizedAndRemovedOpenFolderStaysOut) {
    makeTree();
    const QString other = temp.path() + QStringLiteral("/other");
    makeDirectories(other);
    makeStore();
    store->openLibrary(other, true, true);
    settle();
    store->openLibrary(library + QStringLiteral("/sub/.."), true, true);
    settle();
    EXPECT_EQ(store->recentFolders().paths, (QStringList{library, other}));
    store->openLibrary(other + QStringLiteral("/"), true, true);
    settle();
    EXPECT_EQ(store->recentFolders().paths, (QStringList{other, library}));

    // Removing a folder that is not listed writes the list back unchanged.
    store->removeRecentFolder(temp.path() + QStringLiteral("/nowhere"));
    EXPECT_EQ(defaults->textList(recentKey), (QStringList{other, library}));

    // The open folder, removed before its first save, does not come back with that save.
    const QString fresh = temp.path() + QStringLiteral("/fresh");
    makeDirectories(fresh);
    writeFile(fresh + QStringLiteral("/x.jpg"), readFile(at(QStringLiteral("a.jpg"))));
    listing.holding = true;
    store->openLibrary(fresh, true, true);
    store->removeRecentFolder(fresh);
    listing.release();
    settle();
    EXPECT_FALSE(store->recentFolders().paths.contains(fresh));
}

TEST_F(OpenTest, OpeningWhileDeletingChangesNothing) {
    makeTree();
    openLibrary();
    trash.folder = temp.path();
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->requestDeletion(std::nullopt);
    store->confirmDeletion(*store->deletionRequest());
    ASSERT_TRUE(store->deleting());
    const QString other = temp.path() + QStringLiteral("/other");
    makeDirectories(other);
    store->openLibrary(other, true, true);
    EXPECT_EQ(store->root(), library);
    settle();
}

TEST_F(OpenTest, SubfoldersOffInTheCatalogAreTurnedOnAndWrittenBack) {
    makeTree();
    openLibrary();
    Library stored = LibraryDisk::load(library);
    stored.includeSubfolders = false;
    LibraryDisk::saveState({stored, {}}, library);
    store->openLibrary(library, true, true);
    EXPECT_TRUE(store->library().includeSubfolders);
    EXPECT_TRUE(LibraryDisk::load(library).includeSubfolders);
    settle();
}

}  // namespace
}  // namespace lumivex::test

namespace lumivex::test {
namespace {

// The application's own scanner, clock and folder watcher behind the same store.
// A folder that no save writes again keeps what an interrupted write left in it only until the
// next open; the photo library's folder likewise.
TEST_F(OpenTest, OpeningRemovesTheTemporariesEarlierWritesLeftBehind) {
    makeTree();
    openLibrary();
    const QString leftover = at(QStringLiteral("sub/.lumivex/.lumivex.csv.tmp-5k2"));
    const QString photosLeftover = photosMetadata + QStringLiteral("/.lumivex/.deleted.csv.tmp-x");
    for (const QString& path : {leftover, photosLeftover}) {
        writeFile(path, "left");
        struct timespec old[2] = {{1, 0}, {1, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), old, 0), 0);
    }
    store->openLibrary(library, true, true);
    settle();
    EXPECT_FALSE(QFile::exists(leftover));

    store->connectPhotos();
    settle();
    settleUntil([&] { return !store->connectingPhotos(); });
    EXPECT_EQ(store->source(), LibrarySource::photos);
    EXPECT_FALSE(QFile::exists(photosLeftover));
}

TEST_F(OpenTest, RunsOnTheSystemScannerClockAndWatcher) {
    makeTree();
    LumivexStore::Services services;
    services.defaults = defaults.get();
    services.photos = &photos;
    services.trash = &trash;
    services.shell = &shell;
    services.homeFolder = temp.path();
    services.photosMetadataFolder = photosMetadata;
    services.photosLegacyFolders = QStringList();
    store = std::make_unique<LumivexStore>(std::move(services));
    store->openLibrary(library, true, true);
    settle();
    EXPECT_EQ(store->library().items.size(), 3);
    EXPECT_FALSE(store->locked());
    EXPECT_TRUE(store->lastSaved());
}

}  // namespace
}  // namespace lumivex::test
