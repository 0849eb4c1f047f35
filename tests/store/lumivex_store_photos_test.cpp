#include "store/store_fixture.h"

#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

namespace lumivex::test {
namespace {

class PhotosTest : public StoreTest {
protected:
    void SetUp() override {
        photos.addAsset(QStringLiteral("pictures/one.jpg"), true, PhotoMediaType::image, 100);
        photos.addAsset(QStringLiteral("pictures/two.jpg"), true, PhotoMediaType::image, 200);
        photos.addAsset(QStringLiteral("videos/clip.mp4"), true, PhotoMediaType::video, 300)
            .duration = 12;
    }

    void connect() {
        store->connectPhotos();
        settle();
        settleUntil([&] { return !store->connectingPhotos(); });
    }
};

TEST_F(PhotosTest, ConnectsWhenAccessIsGrantedAndRemembersIt) {
    makeStore();
    connect();
    EXPECT_EQ(store->source(), LibrarySource::photos);
    EXPECT_EQ(store->root(), photosMetadata);
    EXPECT_FALSE(store->locked());
    EXPECT_EQ(store->library().items.size(), 3);
    EXPECT_TRUE(QFile::exists(photosMetadata + QStringLiteral("/.lumivex/lumivex.csv")));
    EXPECT_EQ(defaults->text(QStringLiteral("Lumivex.source")), QStringLiteral("photos"));
    EXPECT_EQ(defaults->boolValue(QStringLiteral("Lumivex.photosSetupCompleted")), true);
    EXPECT_FALSE(defaults->contains(QStringLiteral("Lumivex.libraryRoot")));
    EXPECT_EQ(photos.observerCount(), 1);
    EXPECT_EQ(watchers.live(), 0);
    EXPECT_EQ(photos.authorizationRequests, 0);

    // A rating survives a reconnection.
    store->setSelection({store->library().items.first().id});
    store->setRating(4);
    makeStore();
    connect();
    EXPECT_EQ(store->library().items.first().rating, 4);
}

TEST_F(PhotosTest, UndecidedAccessAsksOnceAndARefusalAsksForSetup) {
    photos.status = PhotoAuthorizationStatus::notDetermined;
    makeStore();
    store->connectPhotos();
    store->connectPhotos();
    EXPECT_TRUE(store->connectingPhotos());
    EXPECT_EQ(photos.authorizationRequests, 1);
    photos.answerAuthorization(PhotoAuthorizationStatus::denied);
    settleUntil([&] { return !store->connectingPhotos(); });
    EXPECT_TRUE(store->needsPhotosSetup());
    EXPECT_TRUE(store->showPhotosSetup());
    EXPECT_EQ(store->source(), LibrarySource::none);

    photos.status = PhotoAuthorizationStatus::notDetermined;
    photos.authorizationAnswer = PhotoAuthorizationStatus::limited;
    store->connectPhotos();
    settleUntil([&] { return !store->connectingPhotos(); });
    settle();
    EXPECT_EQ(store->source(), LibrarySource::photos);
    EXPECT_FALSE(store->needsPhotosSetup());
    EXPECT_FALSE(store->showPhotosSetup());
}

TEST_F(PhotosTest, AFolderOpenedWhileTheQuestionIsOpenStaysOpen) {
    makeTree();
    photos.status = PhotoAuthorizationStatus::notDetermined;
    makeStore();
    store->connectPhotos();
    store->openLibrary(library, true, true);
    settle();
    photos.answerAuthorization(PhotoAuthorizationStatus::authorized);
    settleUntil([&] { return !store->connectingPhotos(); });
    EXPECT_EQ(store->source(), LibrarySource::folder);
    EXPECT_EQ(store->root(), library);
    EXPECT_FALSE(store->showPhotosSetup());
    EXPECT_EQ(photos.observerCount(), 0);
}

TEST_F(PhotosTest, TemporaryLibraryModeWritesNoKeys) {
    makeTree();
    makeStore({QStringLiteral("app"), QStringLiteral("--library"), library});
    settle();
    connect();
    EXPECT_EQ(store->source(), LibrarySource::photos);
    EXPECT_FALSE(defaults->contains(QStringLiteral("Lumivex.source")));
    EXPECT_FALSE(defaults->contains(QStringLiteral("Lumivex.photosSetupCompleted")));
}

TEST_F(PhotosTest, OneObserverAndChangesRescanOnlyWhilePhotosIsTheSource) {
    makeTree();
    makeStore();
    connect();
    store->openLibrary(library, true, true);
    settle();
    connect();
    store->openLibrary(library, true, true);
    settle();
    EXPECT_EQ(photos.observerCount(), 1);

    const int scans = listing.photoScans;
    photos.triggerChange();
    settle();
    EXPECT_EQ(listing.photoScans, scans);

    connect();
    store->setSelection({store->library().items.first().id});
    store->setRating(2);
    ASSERT_TRUE(store->metadataHistory().canUndo());
    listing.holding = true;
    photos.triggerChange();
    settleUntil([&] { return listing.held() == 1; });
    EXPECT_FALSE(store->metadataHistory().canUndo()) << "a change notice rescans with reset";
    listing.release();
    settle();
}

TEST_F(PhotosTest, AMetadataPathThatIsAFileLocksAndKeepsThePreviousLibrary) {
    makeTree();
    openLibrary();
    const Library shown = store->library();
    writeFile(photosMetadata, "occupied");
    connect();
    EXPECT_TRUE(store->locked());
    EXPECT_EQ(store->source(), LibrarySource::photos);
    ASSERT_TRUE(store->error());
    EXPECT_TRUE(
        store->error()->startsWith(QStringLiteral("사진 보관함의 분류 CSV를 읽지 못했습니다.\n")));
    EXPECT_EQ(store->library(), shown);
    EXPECT_EQ(photos.observerCount(), 0);
    EXPECT_NE(defaults->text(QStringLiteral("Lumivex.source")), QStringLiteral("photos"));
}

TEST_F(PhotosTest, UnchangedScanWritesNothingUnlessAFileIsMissing) {
    makeStore();
    connect();
    const auto saved = store->lastSaved();
    clock.advance(5);
    store->rescan(false);
    settle();
    EXPECT_EQ(store->lastSaved(), saved);

    QFile::remove(photosMetadata + QStringLiteral("/.lumivex/deleted.csv"));
    store->rescan(false);
    settle();
    EXPECT_NE(store->lastSaved(), saved);
    EXPECT_TRUE(QFile::exists(photosMetadata + QStringLiteral("/.lumivex/deleted.csv")));
}

TEST_F(PhotosTest, DeletingAssetsGoesThroughThePhotoLibrary) {
    makeStore();
    connect();
    const MediaItem first = store->library().items.first();
    store->setSelection({first.id});
    store->requestDeletion(std::nullopt);
    ASSERT_TRUE(store->deletionRequest());
    store->confirmDeletion(*store->deletionRequest());
    settle();
    ASSERT_EQ(photos.deletions.size(), 1);
    EXPECT_EQ(store->deletedArchive().records.size(), 1);
    EXPECT_FALSE(store->error());
}

TEST_F(PhotosTest, RevealingShowsTheItemsOwnFileElseThePicturesFolder) {
    photos.playerFiles[QStringLiteral("videos/clip.mp4")] =
        QStringLiteral("/home/u/Videos/clip.mp4");
    makeStore();
    connect();
    for (const MediaItem& item : store->library().items) {
        store->reveal(item);
    }
    EXPECT_EQ(shell.revealed, QStringList{QStringLiteral("/home/u/Videos/clip.mp4")});
    EXPECT_EQ(shell.opened, QStringList(2, temp.path() + QStringLiteral("/Pictures")));
}

}  // namespace
}  // namespace lumivex::test

namespace lumivex::test {
namespace {

class PhotoEditsTest : public PhotosTest {
protected:
    void SetUp() override {
        PhotosTest::SetUp();
        makeStore();
        connect();
        ASSERT_EQ(store->source(), LibrarySource::photos);
        tags = store->library().categories.last();
    }
    Category current(const QUuid& id) {
        for (const Category& category : store->library().categories) {
            if (category.id == id) {
                return category;
            }
        }
        return {};
    }
    Category tags;
};

TEST_F(PhotoEditsTest, RenamingTheSortPropertyKeepsSortingByItUnderItsNewName) {
    MediaQuery query;
    query.sortCategory = tags;
    store->setQuery(query);
    store->renameCategory(tags, QStringLiteral("Labels"));
    ASSERT_TRUE(store->query().sortCategory);
    EXPECT_EQ(store->query().sortCategory->name, QStringLiteral("Labels"));
    EXPECT_EQ(current(tags.id).name, QStringLiteral("Labels"));
}

TEST_F(PhotoEditsTest, RemovingAPropertyDropsEveryFilterOnIt) {
    store->setSelection({store->library().items.first().id});
    store->addLabel(QStringLiteral("Sea"), tags);
    MediaQuery query;
    query.facets[tags.idText()] = QStringLiteral("Sea");
    query.emptyFacets.insert(tags.idText());
    query.sortCategory = tags;
    store->setQuery(query);
    store->removeCategory(tags);
    EXPECT_TRUE(store->query().facets.empty());
    EXPECT_TRUE(store->query().emptyFacets.isEmpty());
    EXPECT_FALSE(store->query().sortCategory);
    EXPECT_EQ(current(tags.id).name, QString());
}

TEST_F(PhotoEditsTest, OptionEditsReachEveryItemAndDeletedRecord) {
    store->setSelection({store->library().items[0].id, store->library().items[1].id});
    store->addLabel(QStringLiteral("Sea"), tags);
    const QString removed = store->library().items[1].fileIdentity.mid(7);
    photos.removeAsset(removed);
    store->rescan(false);
    settle();
    ASSERT_EQ(store->deletedArchive().records.size(), 1);

    store->setSelection({});
    store->renameOption(QStringLiteral("Sea"), QStringLiteral("Ocean"), tags);
    const QString key = tags.idText();
    EXPECT_EQ(store->library().items[0].labels.at(key), QStringList{QStringLiteral("Ocean")});
    EXPECT_EQ(store->deletedArchive().records[0].item.labels.at(key),
              QStringList{QStringLiteral("Ocean")});
    store->deleteOption(QStringLiteral("Ocean"), tags);
    EXPECT_TRUE(store->library().items[0].labels.at(key).isEmpty());
    EXPECT_TRUE(store->deletedArchive().records[0].item.labels.at(key).isEmpty());
}

TEST_F(PhotoEditsTest, AnEditThatChangesNothingStillSavesButRecordsNoStep) {
    const auto saved = store->lastSaved();
    QSignalSpy queries(store.get(), &LumivexStore::queryChanged);
    clock.advance(3);
    Category missing = tags;
    missing.id = QUuid::createUuid();
    store->renameCategory(missing, QStringLiteral("Elsewhere"));
    EXPECT_GT(store->lastSaved(), saved);
    EXPECT_EQ(queries.count(), 1) << "the reconciled query is assigned on every commit";
    EXPECT_FALSE(store->metadataHistory().canUndo());
}

TEST_F(PhotoEditsTest, KindAndLengthFiltersAreSetTogether) {
    store->selectVideoDuration(VideoDurationRange{60, 180.0, false});
    EXPECT_EQ(store->query().kind, MediaKind::video);
    EXPECT_TRUE(store->query().videoDuration);
    store->selectMediaKind(std::nullopt);
    EXPECT_FALSE(store->query().kind);
    EXPECT_FALSE(store->query().videoDuration);
}

}  // namespace
}  // namespace lumivex::test
