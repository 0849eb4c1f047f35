#include "model/file_deletion_validation.h"
#include "platform/error.h"
#include "platform/file_status.h"
#include "store/metadata_undo_validation.h"
#include "support/fake_photo_library.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>

namespace lumivex {
namespace {

using test::makeDirectories;
using test::writeFile;

class FolderMediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        root_ = folder_.path();
        library_ = Library::withContents({}, {});
        library_.catalogDirectories = {QString(), QStringLiteral("trip"),
                                       QStringLiteral("trip/day")};
        makeDirectories(path(QStringLiteral("trip/day")));
        add(QStringLiteral("a.jpg"), MediaKind::photo);
        add(QStringLiteral("trip/b.png"), MediaKind::photo);
        add(QStringLiteral("trip/day/c.mp4"), MediaKind::video);
    }

    QString path(const QString& relative) const { return root_ + u'/' + relative; }

    // Writes a file and the item a scan would have made of it.
    void add(const QString& relative, MediaKind kind) {
        writeFile(path(relative), relative.toUtf8());
        library_.items.append(itemFor(relative, kind));
    }

    MediaItem itemFor(const QString& relative, MediaKind kind) const {
        const FileStatus status = FileStatus::read(path(relative));
        MediaItem item;
        item.id = QUuid::createUuid();
        item.filename = relative;
        item.kind = kind;
        item.size = status.size;
        item.modified = *status.modified;
        item.fileIdentity = FileDeletionValidation::identity(status, status.created);
        return item;
    }

    bool current() const {
        return MetadataUndoValidation::folderMediaStillCurrent(library_, root_);
    }

    QTemporaryDir folder_;
    QString root_;
    Library library_;
};

TEST_F(FolderMediaTest, UnchangedTreeMatches) {
    EXPECT_TRUE(current());
    const test::FakePhotoLibrary photos;
    EXPECT_TRUE(MetadataUndoValidation::mediaStillCurrent(library_, root_, LibrarySource::folder,
                                                          photos, {}));
    EXPECT_FALSE(MetadataUndoValidation::mediaStillCurrent(library_, root_, LibrarySource::none,
                                                           photos, {}));
}

TEST_F(FolderMediaTest, FilesThatAreNotMediaPlayNoPart) {
    writeFile(path(QStringLiteral(".hidden.jpg")), "hidden");
    writeFile(path(QStringLiteral("trip/notes.txt")), "text");
    test::makeSymbolicLink(path(QStringLiteral("a.jpg")), path(QStringLiteral("trip/link.jpg")));
    makeDirectories(path(QStringLiteral(".thumbnails/x.jpg")));
    EXPECT_TRUE(current());
}

TEST_F(FolderMediaTest, AddedOrRemovedMediaBreakTheMatch) {
    writeFile(path(QStringLiteral("trip/day/new.jpg")), "new");
    EXPECT_FALSE(current());
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("trip/day/new.jpg"))));
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("trip/b.png"))));
    EXPECT_FALSE(current());
}

TEST_F(FolderMediaTest, ChangedSizeKindOrIdentityBreakTheMatch) {
    library_.items[0].size += 1;
    EXPECT_FALSE(current());
    library_.items[0].size -= 1;
    library_.items[2].kind = MediaKind::photo;
    EXPECT_FALSE(current());
    library_.items[2].kind = MediaKind::video;
    ASSERT_TRUE(current());

    // A copy under the same name, size and time is another file.
    const QString file = path(QStringLiteral("trip/b.png"));
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
    writeFile(file + QStringLiteral(".new"), "trip/b.png");
    ASSERT_EQ(::rename(QFile::encodeName(file + QStringLiteral(".new")).constData(),
                       QFile::encodeName(file).constData()),
              0);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    EXPECT_FALSE(current());
}

TEST_F(FolderMediaTest, ModificationTimesMatchWithinTenMicroseconds) {
    const Date saved = library_.items[1].modified;
    library_.items[1].modified.secondsSince1970 = saved.secondsSince1970 + 0.000004;
    EXPECT_TRUE(current());
    library_.items[1].modified.secondsSince1970 = saved.secondsSince1970 - 0.00002;
    EXPECT_FALSE(current());
}

TEST_F(FolderMediaTest, TwoItemsOfOneNameNeverMatch) {
    library_.items.append(library_.items[0]);
    library_.items.last().id = QUuid::createUuid();
    EXPECT_FALSE(current());
}

TEST_F(FolderMediaTest, FoldersMustBeTheCatalogFolders) {
    makeDirectories(path(QStringLiteral("empty")));
    EXPECT_FALSE(current());
    library_.catalogDirectories.append(QStringLiteral("empty"));
    EXPECT_TRUE(current());
    library_.catalogDirectories.append(QStringLiteral("gone"));
    EXPECT_FALSE(current());
}

TEST_F(FolderMediaTest, UnreadableFolderThrows) {
    ASSERT_EQ(::chmod(QFile::encodeName(root_).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path(QStringLiteral("trip/day"))).constData(), 0), 0);
    const Library library = library_;
    const QString root = root_;
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                std::_Exit(2);
            }
            try {
                MetadataUndoValidation::folderMediaStillCurrent(library, root);
            } catch (const Error& error) {
                std::_Exit(error.systemErrorNumber() == EACCES ? 0 : 3);
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
    ::chmod(QFile::encodeName(path(QStringLiteral("trip/day"))).constData(), 0755);
}

MediaItem photoItem(const QString& identifier, MediaKind kind, double modified,
                    std::optional<double> duration = std::nullopt) {
    MediaItem item;
    item.id = QUuid::createUuid();
    item.filename = identifier + QStringLiteral(".jpg");
    item.fileIdentity = QStringLiteral("photos:") + identifier;
    item.kind = kind;
    item.modified = Date{modified};
    item.duration = duration;
    return item;
}

class PhotoMediaTest : public ::testing::Test {
protected:
    using Asset = MetadataUndoValidation::PhotoAssetState;

    void SetUp() override {
        library_ = Library::withContents(
            {}, {photoItem(QStringLiteral("p1"), MediaKind::photo, 100),
                 photoItem(QStringLiteral("v1"), MediaKind::video, 200, 12.5)});
        assets_ = {Asset{QStringLiteral("p1"), MediaContent::photo, Date{100}, Date{50}, 0},
                   Asset{QStringLiteral("v1"), MediaContent::video, std::nullopt, Date{200}, 12.5}};
    }

    bool current(PhotoAuthorizationStatus status = PhotoAuthorizationStatus::authorized) {
        return MetadataUndoValidation::photoMediaStillCurrent(library_, status, [this] {
            ++listings_;
            return assets_;
        });
    }

    Library library_;
    QList<Asset> assets_;
    int listings_ = 0;
};

TEST_F(PhotoMediaTest, GrantedAccessWithUnchangedAssetsMatches) {
    EXPECT_TRUE(current(PhotoAuthorizationStatus::authorized));
    EXPECT_TRUE(current(PhotoAuthorizationStatus::limited));
    test::FakePhotoLibrary photos;
    EXPECT_TRUE(MetadataUndoValidation::mediaStillCurrent(
        library_, QString(), LibrarySource::photos, photos, [this] { return assets_; }));
    photos.status = PhotoAuthorizationStatus::denied;
    EXPECT_FALSE(MetadataUndoValidation::mediaStillCurrent(
        library_, QString(), LibrarySource::photos, photos, [this] { return assets_; }));
}

TEST_F(PhotoMediaTest, WithoutAccessNothingIsListedAndNothingMatches) {
    for (const PhotoAuthorizationStatus status :
         {PhotoAuthorizationStatus::notDetermined, PhotoAuthorizationStatus::restricted,
          PhotoAuthorizationStatus::denied}) {
        EXPECT_FALSE(current(status));
    }
    EXPECT_EQ(listings_, 0);
}

TEST_F(PhotoMediaTest, AssetsOfOtherTypesAreSkipped) {
    assets_.append(Asset{QStringLiteral("sound"), MediaContent::none, Date{1}, Date{1}, 3});
    EXPECT_TRUE(current());
}

TEST_F(PhotoMediaTest, EmptyLibraryMatchesOnlyAnEmptyListing) {
    library_.items.clear();
    EXPECT_FALSE(current());
    assets_.clear();
    EXPECT_TRUE(current());
    library_.items.append(photoItem(QStringLiteral("p1"), MediaKind::photo, 100));
    EXPECT_FALSE(current());
}

TEST_F(PhotoMediaTest, AddedOrMissingAssetsBreakTheMatch) {
    assets_.append(Asset{QStringLiteral("p2"), MediaContent::photo, Date{1}, {}, 0});
    EXPECT_FALSE(current());
    assets_.removeLast();
    assets_.removeFirst();
    EXPECT_FALSE(current());
}

TEST_F(PhotoMediaTest, DatesFallBackFromModificationToCreationToTheDistantPast) {
    assets_[0].modificationDate = Date{100.000004};
    EXPECT_TRUE(current());
    assets_[0].modificationDate = Date{100.00002};
    EXPECT_FALSE(current());
    assets_[0].modificationDate.reset();
    assets_[0].creationDate = Date{100};
    EXPECT_TRUE(current());
    assets_[0].creationDate.reset();
    EXPECT_FALSE(current());
    library_.items[0].modified = Date{};
    EXPECT_FALSE(current());
    library_.items[0].modified = Date::fromSecondsSinceReference(-63114076800.0);
    EXPECT_TRUE(current());
}

TEST_F(PhotoMediaTest, VideoDurationsCompareExactlyAndPhotoDurationsNot) {
    assets_[0].duration = 3;
    EXPECT_TRUE(current());
    assets_[1].duration = 12.500001;
    EXPECT_FALSE(current());
    assets_[1].duration = 12.5;
    library_.items[1].duration.reset();
    EXPECT_FALSE(current());
}

TEST_F(PhotoMediaTest, KindsMustAgree) {
    assets_[0].content = MediaContent::video;
    EXPECT_FALSE(current());
    assets_[0].content = MediaContent::photo;
    library_.items[1].kind = MediaKind::photo;
    EXPECT_FALSE(current());
}

TEST_F(PhotoMediaTest, OneItemNeverMatchesTwoAssets) {
    assets_.append(assets_[0]);
    library_.items.append(photoItem(QStringLiteral("p3"), MediaKind::photo, 100));
    EXPECT_FALSE(current());
}

TEST_F(PhotoMediaTest, TwoItemsOfOneAssetNeverMatch) {
    library_.items.append(library_.items[0]);
    assets_.append(assets_[0]);
    EXPECT_FALSE(current());
}

TEST(SameMedia, ComparesTheMediaOneForOne) {
    using MetadataUndoValidation::sameMedia;
    EXPECT_TRUE(sameMedia({}, {}));
    const MediaItem photo = photoItem(QStringLiteral("a"), MediaKind::photo, 10);
    const MediaItem video = photoItem(QStringLiteral("b"), MediaKind::video, 20, 4.0);
    EXPECT_TRUE(sameMedia({photo, video}, {video, photo}));
    EXPECT_FALSE(sameMedia({photo}, {photo, video}));

    MediaItem changed = photo;
    changed.rating = 5;
    changed.notes = QStringLiteral("metadata plays no part");
    changed.id = QUuid::createUuid();
    EXPECT_TRUE(sameMedia({changed, video}, {photo, video}));
    changed.modified.secondsSince1970 += 0.000004;
    EXPECT_TRUE(sameMedia({changed, video}, {photo, video}));

    const auto differs = [&](const std::function<void(MediaItem&)>& change) {
        MediaItem other = photo;
        change(other);
        return !sameMedia({other, video}, {photo, video});
    };
    EXPECT_TRUE(differs([](MediaItem& item) { item.fileIdentity += u'x'; }));
    EXPECT_TRUE(differs([](MediaItem& item) { item.filename = QStringLiteral("c.jpg"); }));
    EXPECT_TRUE(differs([](MediaItem& item) { item.size = 1; }));
    EXPECT_TRUE(differs([](MediaItem& item) { item.kind = MediaKind::video; }));
    EXPECT_TRUE(differs([](MediaItem& item) { item.modified.secondsSince1970 += 0.00002; }));
    EXPECT_TRUE(differs([](MediaItem& item) { item.duration = 1.0; }));
    EXPECT_FALSE(sameMedia({photo, video}, {photo, photo}));
    EXPECT_FALSE(sameMedia({photo, photo}, {photo, video})) << "one item matched twice";
}

}  // namespace
}  // namespace lumivex
