#include "catalog/catalog_cache.h"
#include "catalog/change_notices.h"
#include "catalog/folder_catalog.h"
#include "catalog/folder_watcher.h"
#include "platform/error.h"
#include "store/catalog_digests.h"
#include "store/metadata_undo_validation.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>
#include <cstdlib>
#include <functional>

namespace lumivex {
namespace {

using test::makeDirectories;
using test::makeSymbolicLink;
using test::writeFile;

class StampTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        root_ = folder_.path() + QStringLiteral("/library");
        writeFile(catalog(QString()), "catalog of the root\n");
        writeFile(archive(QString()), "records of the root\n");
        writeFile(catalog(QStringLiteral("a")), "catalog of a\n");
        writeFile(catalog(QStringLiteral("a/b")), "catalog of a/b\n");
        makeDirectories(path(QStringLiteral("c")));
    }

    void TearDown() override { CatalogDigests::shared().setNowForTesting(std::nullopt); }

    QString path(const QString& relative) const {
        return relative.isEmpty() ? root_ : root_ + u'/' + relative;
    }
    QString metadata(const QString& folder) const {
        return path(folder) + QStringLiteral("/.lumivex");
    }
    QString catalog(const QString& folder) const {
        return metadata(folder) + QStringLiteral("/lumivex.csv");
    }
    QString archive(const QString& folder) const {
        return metadata(folder) + QStringLiteral("/deleted.csv");
    }

    QString stamp(LibrarySource source = LibrarySource::folder) const {
        return MetadataUndoValidation::persistenceStamp(root_, source);
    }

    // Runs `action` and expects the error of the code given.
    static void expectFileReadError(const std::function<void()>& action, int code) {
        try {
            action();
            ADD_FAILURE() << "no error thrown";
        } catch (const Error& error) {
            EXPECT_EQ(error.domain(), MetadataUndoValidation::fileReadDomain);
            EXPECT_EQ(error.code(), code);
        }
    }

    QTemporaryDir folder_;
    QString root_;
};

TEST_F(StampTest, IsStableWhileNothingChanges) {
    const QString first = stamp();
    EXPECT_EQ(first.size(), 64);
    EXPECT_EQ(first, first.toLower());
    EXPECT_EQ(stamp(), first);
    writeFile(catalog(QStringLiteral("a")), "catalog of a\n");
    EXPECT_EQ(stamp(), first) << "the same bytes written again";
}

TEST_F(StampTest, OneByteOfAnyCatalogOrArchiveChangesIt) {
    const QString before = stamp();
    writeFile(catalog(QStringLiteral("a/b")), "catalog of a/c\n");
    const QString afterCatalog = stamp();
    EXPECT_NE(afterCatalog, before);
    writeFile(archive(QString()), "records of the roof\n");
    EXPECT_NE(stamp(), afterCatalog);
}

TEST_F(StampTest, OtherFilesOfTheMetadataFolderDoNotEnter) {
    const QString before = stamp();
    writeFile(metadata(QString()) + QStringLiteral("/lumivex.backup.csv"), "backup");
    writeFile(metadata(QStringLiteral("a")) + QStringLiteral("/library.json"), "{}");
    writeFile(path(QStringLiteral("a/photo.jpg")), "jpeg");
    EXPECT_EQ(stamp(), before);
}

TEST_F(StampTest, FolderAddedOrReplacedChangesItAndHiddenFoldersDoNot) {
    const QString before = stamp();
    makeDirectories(path(QStringLiteral(".hidden")));
    EXPECT_EQ(stamp(), before);
    makeDirectories(path(QStringLiteral("d")));
    const QString withNewFolder = stamp();
    EXPECT_NE(withNewFolder, before);

    // A copy holds the same bytes but is another folder.
    ASSERT_TRUE(QDir().rename(path(QStringLiteral("a/b")), path(QStringLiteral("moved"))));
    writeFile(catalog(QStringLiteral("a/b")), "catalog of a/b\n");
    ASSERT_TRUE(QDir(path(QStringLiteral("moved"))).removeRecursively());
    EXPECT_NE(stamp(), withNewFolder);
}

TEST_F(StampTest, MissingCatalogFilesAreEmptyFields) {
    ASSERT_TRUE(QFile::remove(archive(QString())));
    const QString withoutArchive = stamp();
    writeFile(archive(QString()), "records of the root\n");
    EXPECT_NE(stamp(), withoutArchive);
    ASSERT_TRUE(QDir(metadata(QStringLiteral("a"))).removeRecursively());
    EXPECT_NO_THROW(stamp());
}

TEST_F(StampTest, MetadataEntriesThatAreNotRealRefuseTheStamp) {
    // A link to a real folder is still refused: the files behind it are not the tree's own.
    ASSERT_TRUE(QDir().rename(metadata(QStringLiteral("a")), path(QStringLiteral("elsewhere"))));
    makeSymbolicLink(path(QStringLiteral("elsewhere")), metadata(QStringLiteral("a")));
    expectFileReadError([&] { stamp(); }, MetadataUndoValidation::invalidFileNameCode);
    ASSERT_TRUE(QFile::remove(metadata(QStringLiteral("a"))));

    writeFile(metadata(QStringLiteral("a")), "a plain file");
    expectFileReadError([&] { stamp(); }, MetadataUndoValidation::invalidFileNameCode);
    ASSERT_TRUE(QFile::remove(metadata(QStringLiteral("a"))));

    makeDirectories(metadata(QStringLiteral("a")));
    makeSymbolicLink(catalog(QStringLiteral("a/b")), catalog(QStringLiteral("a")));
    expectFileReadError([&] { stamp(); }, MetadataUndoValidation::invalidFileNameCode);
    ASSERT_TRUE(QFile::remove(catalog(QStringLiteral("a"))));

    makeDirectories(archive(QStringLiteral("a/b")));
    expectFileReadError([&] { stamp(); }, MetadataUndoValidation::invalidFileNameCode);
}

TEST_F(StampTest, UnfinishedSavesRefuseTheStamp) {
    for (const char* journal : {"pending-write.json", "folders-pending.json"}) {
        const QString journalPath =
            metadata(QStringLiteral("a/b")) + u'/' + QString::fromLatin1(journal);
        writeFile(journalPath, "{}");
        expectFileReadError([&] { stamp(); }, MetadataUndoValidation::fileReadFailedCode);
        ASSERT_TRUE(QFile::remove(journalPath));
    }
    EXPECT_NO_THROW(stamp());
}

// The folders are examined side by side; the error is still the one of the first folder in
// fingerprint order that fails, whichever failure came first.
TEST_F(StampTest, TheFirstFailingFolderInOrderGivesTheError) {
    const QString journal = QStringLiteral("/folders-pending.json");
    makeDirectories(metadata(QStringLiteral("c")));
    writeFile(metadata(QStringLiteral("c")) + journal, "{}");
    writeFile(metadata(QStringLiteral("a/b")) + QStringLiteral("/deleted.csv/x"), "");
    expectFileReadError([&] { stamp(); }, MetadataUndoValidation::invalidFileNameCode);

    ASSERT_TRUE(QDir(archive(QStringLiteral("a/b"))).removeRecursively());
    writeFile(metadata(QStringLiteral("a")) + journal, "{}");
    makeSymbolicLink(catalog(QString()), catalog(QStringLiteral("c")));
    expectFileReadError([&] { stamp(); }, MetadataUndoValidation::fileReadFailedCode);
}

TEST_F(StampTest, LinkedOrMissingRootThrows) {
    const QString link = folder_.path() + QStringLiteral("/link");
    makeSymbolicLink(root_, link);
    try {
        MetadataUndoValidation::persistenceStamp(link, LibrarySource::folder);
        ADD_FAILURE() << "a linked root was fingerprinted";
    } catch (const Error& error) {
        EXPECT_EQ(error.description(),
                  QStringLiteral("폴더가 없거나 심볼릭 링크입니다. 기존 CSV는 보존했습니다."));
    }
    EXPECT_THROW(MetadataUndoValidation::persistenceStamp(folder_.path() + QStringLiteral("/none"),
                                                          LibrarySource::folder),
                 Error);
}

// One folder, framed field by field: path, identity, then each catalog name with its digest;
// the stamp hashes the digest of those fields.
TEST_F(StampTest, PhotoLibraryCoversTheRootFolderAlone) {
    const QString before = stamp(LibrarySource::photos);
    writeFile(catalog(QStringLiteral("a")), "changed below the root");
    makeDirectories(path(QStringLiteral("e")));
    EXPECT_EQ(stamp(LibrarySource::photos), before);

    const auto field = [](const QByteArray& bytes) {
        return QByteArray::number(bytes.size()) + '\0' + bytes;
    };
    const auto digest = [&](const QString& file) {
        return QCryptographicHash::hash(test::readFile(file), QCryptographicHash::Sha256);
    };
    const QByteArray framed = field({}) + field(FileSignature::read(root_)->identity().toUtf8()) +
                              field("lumivex.csv") + field(digest(catalog(QString()))) +
                              field("deleted.csv") + field(digest(archive(QString())));
    const QByteArray folderDigest = QCryptographicHash::hash(framed, QCryptographicHash::Sha256);
    EXPECT_EQ(before,
              QString::fromLatin1(
                  QCryptographicHash::hash(folderDigest, QCryptographicHash::Sha256).toHex()));
}

// A digest is reused only while the file's signature stands; a write that keeps the size and puts
// the modification time back still moves the change time.
TEST_F(StampTest, RemembersDigestsOnlyWhileFilesStayTheSame) {
    CatalogDigests& digests = CatalogDigests::shared();
    digests.setNowForTesting(std::numeric_limits<std::int64_t>::max() / 2);
    const QString first = stamp();
    const std::uint64_t reads = digests.fileReads();
    EXPECT_EQ(stamp(), first);
    EXPECT_EQ(digests.fileReads(), reads);

    test::rewriteKeepingTimes(catalog(QStringLiteral("a")), "catalog of A\n");
    EXPECT_NE(stamp(), first);
    EXPECT_EQ(digests.fileReads(), reads + 1);
}

// Remembered entries of a metadata folder stand only while the folder's own entries stay.
TEST_F(StampTest, NoticesJournalsAndRemovedFilesOfRememberedFolders) {
    CatalogDigests::shared().setNowForTesting(std::numeric_limits<std::int64_t>::max() / 2);
    const QString first = stamp();
    const QString journal = metadata(QStringLiteral("a")) + QStringLiteral("/pending-write.json");
    writeFile(journal, "{}");
    expectFileReadError([&] { stamp(); }, MetadataUndoValidation::fileReadFailedCode);
    ASSERT_TRUE(QFile::remove(journal));
    EXPECT_EQ(stamp(), first);
    ASSERT_TRUE(QFile::remove(archive(QString())));
    EXPECT_NE(stamp(), first);
}

TEST_F(StampTest, FreshFilesAreReadEveryTime) {
    CatalogDigests& digests = CatalogDigests::shared();
    digests.setNowForTesting(std::nullopt);
    stamp();
    const std::uint64_t reads = digests.fileReads();
    stamp();
    EXPECT_EQ(digests.fileReads(), reads + 4);
}

// Permissions do not stop the superuser, so the stamp is taken in a child that gives them up.
TEST_F(StampTest, UnreadableCatalogThrows) {
    ASSERT_EQ(::chmod(QFile::encodeName(catalog(QStringLiteral("a"))).constData(), 0), 0);
    for (const QString& folder :
         {folder_.path(), root_, path(QStringLiteral("a")), metadata(QStringLiteral("a")),
          path(QStringLiteral("a/b")), metadata(QStringLiteral("a/b")), path(QStringLiteral("c")),
          metadata(QString())}) {
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    }
    for (const QString& file :
         {catalog(QString()), archive(QString()), catalog(QStringLiteral("a/b"))}) {
        ::chmod(QFile::encodeName(file).constData(), 0644);
    }
    const QString library = root_;
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                std::_Exit(2);
            }
            try {
                MetadataUndoValidation::persistenceStamp(library, LibrarySource::folder);
            } catch (const Error& error) {
                std::_Exit(error.systemErrorNumber() == EACCES ? 0 : 3);
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A tree the catalog itself wrote, fingerprinted right after each save the way a commit does it,
// with every file counted as settled so that both caches remember what they read.
class StampAfterSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        root_ = folder_.path() + QStringLiteral("/library");
        for (const char* key : {"a", "a/b"}) {
            makeDirectories(root_ + u'/' + QString::fromUtf8(key));
        }
        const std::int64_t farFuture = std::numeric_limits<std::int64_t>::max() / 2;
        CatalogCache::shared().clear();
        CatalogCache::shared().setNowForTesting(farFuture);
        CatalogDigests::shared().clear();
        CatalogDigests::shared().setNowForTesting(farFuture);
        QList<MediaItem> items;
        for (const char* name : {"r.jpg", "a/p.jpg", "a/b/q.jpg"}) {
            MediaItem item;
            item.filename = QString::fromUtf8(name);
            item.fileIdentity = item.filename;
            items.append(item);
        }
        state_.library = Library::withContents(Library().categories, MediaItems(items));
        FolderCatalog::save(state_, root_);
    }
    void TearDown() override {
        CatalogCache::shared().setNowForTesting(std::nullopt);
        CatalogDigests::shared().setNowForTesting(std::nullopt);
    }

    void rate(qsizetype index) {
        state_.library.items[index].rating = (state_.library.items[index].rating + 1) % 6;
        FolderCatalog::save(state_, root_);
    }
    QString fresh() const {
        return MetadataUndoValidation::persistenceStamp(root_, LibrarySource::folder);
    }
    QString afterSave() const {
        return MetadataUndoValidation::persistenceStampAfterSave(root_, LibrarySource::folder);
    }
    // Renames the file of the folder's catalog row in place, the size kept, and puts the catalog's
    // modification time back, so that only its change time tells.
    void changeCatalogInPlace(const QString& key) const {
        const QString path =
            (key.isEmpty() ? root_ : root_ + u'/' + key) + QStringLiteral("/.lumivex/lumivex.csv");
        QByteArray bytes = test::readFile(path);
        const qsizetype name = bytes.indexOf(".jpg") - 1;
        ASSERT_GE(name, 0);
        bytes[name] = char(bytes[name] + 1);
        test::rewriteKeepingTimes(path, bytes);
        CatalogStamps::clear();  // the stamps of undo, not the save's guard against outside edits
    }

    QTemporaryDir folder_;
    QString root_;
    LibraryState state_;
};

// The stamp taken from what the last one read must be the stamp read afresh, after edits in any
// folder, the root included, and after a folder appeared; only the rewritten catalog is read.
TEST_F(StampAfterSaveTest, EqualsTheFreshStampAndReadsOnlyWhatTheSaveWrote) {
    EXPECT_EQ(afterSave(), fresh());
    for (const qsizetype index : {2, 2, 0, 1}) {
        rate(index);
        const std::uint64_t reads = CatalogDigests::shared().fileReads();
        const QString stamp = afterSave();
        EXPECT_EQ(CatalogDigests::shared().fileReads(), reads + 1) << index;
        EXPECT_EQ(stamp, fresh()) << index;
    }
    makeDirectories(root_ + QStringLiteral("/a/new"));
    rate(1);
    EXPECT_EQ(afterSave(), fresh());
}

// A same-size change that keeps the modification time, made after the save, is never taken into
// the stamp of that save: the next fresh stamp differs. Made before a save, the save notices it.
TEST_F(StampAfterSaveTest, NeverHidesAChangeFromOutside) {
    fresh();
    for (const char* key : {"a", "a/b", ""}) {
        rate(2);
        const QString stamp = afterSave();
        changeCatalogInPlace(QString::fromUtf8(key));
        EXPECT_NE(fresh(), stamp) << key;
    }
    changeCatalogInPlace(QStringLiteral("a"));
    rate(2);
    EXPECT_EQ(afterSave(), fresh());
}

// With a watcher, files written moments ago need no settling: a folder the watcher noticed
// nothing of since its fields were made adds them unread (of the tree's six files, only those of
// the folders the save touched are read), and one it noticed is read again, even when no save came
// between.
TEST_F(StampAfterSaveTest, WithAWatcherFreshFilesAreTakenUnreadUntilNoticed) {
    CatalogCache::shared().setNowForTesting(std::nullopt);
    CatalogDigests::shared().setNowForTesting(std::nullopt);
    const std::unique_ptr<FolderWatcher> watcher = FolderWatcher::create(root_, [] {});
    ASSERT_NE(watcher, nullptr);
    fresh();
    for (const qsizetype index : {2, 2, 0, 1}) {
        rate(index);
        const std::uint64_t reads = CatalogDigests::shared().fileReads();
        const QString stamp = afterSave();
        // The two files of the folder written and of the root, whose journal came and went.
        EXPECT_LE(CatalogDigests::shared().fileReads(), reads + 4) << index;
        rate(index);
        const QString again = afterSave();
        EXPECT_EQ(again, fresh()) << index;
        EXPECT_NE(again, stamp) << index;
    }
    for (const char* key : {"a", "a/b", ""}) {
        const QString stamp = afterSave();
        changeCatalogInPlace(QString::fromUtf8(key));
        const QString noticed = afterSave();
        EXPECT_NE(noticed, stamp) << key;
        EXPECT_EQ(noticed, fresh()) << key;
    }
}

// A load hashes what it reads: the first fingerprint after it reads no catalog file again and
// equals one read afresh, and a file changed since the load, even keeping its size and
// modification time, is read again.
TEST_F(StampAfterSaveTest, TheFirstStampAfterALoadReadsOnlyWhatChangedSince) {
    const auto coldStamp = [&] {
        CatalogCache::shared().clear();
        CatalogDigests::shared().clear();
        return fresh();
    };
    for (const bool change : {false, true}) {
        CatalogCache::shared().clear();
        CatalogDigests::shared().clear();
        FolderCatalog::load(root_, std::nullopt);
        if (change) {
            changeCatalogInPlace(QStringLiteral("a"));
        }
        const std::uint64_t reads = CatalogDigests::shared().fileReads();
        const QString stamp = fresh();
        EXPECT_EQ(CatalogDigests::shared().fileReads(), reads + (change ? 1 : 0)) << change;
        EXPECT_EQ(stamp, coldStamp()) << change;
    }
}

// A tree written moments before its load, as a scan or another program leaves it: with a
// watcher, the load's reads count although they are not settled, so the first stamp after a save
// reads only the files of the folders the save touched, while the check before an undo still
// reads every file that is not settled. Both equal a stamp taken with nothing remembered.
TEST_F(StampAfterSaveTest, WithAWatcherTheFirstStampAfterALoadOfAFreshTreeReadsOnlyWhatWasWritten) {
    CatalogCache::shared().setNowForTesting(std::nullopt);
    CatalogDigests::shared().setNowForTesting(std::nullopt);
    CatalogCache::shared().clear();
    CatalogDigests::shared().clear();
    // The second time, the fields the last stamp kept were proved by a watcher now gone.
    for (int open = 0; open < 2; ++open) {
        const std::unique_ptr<FolderWatcher> watcher = FolderWatcher::create(root_, [] {});
        ASSERT_NE(watcher, nullptr);
        state_ = FolderCatalog::load(root_, std::nullopt);
        rate(1);
        std::uint64_t reads = CatalogDigests::shared().fileReads();
        const QString stamp = afterSave();
        // The two files of the folder written and of the root, whose journal came and went.
        EXPECT_LE(CatalogDigests::shared().fileReads(), reads + 4) << open;
        reads = CatalogDigests::shared().fileReads();
        EXPECT_EQ(fresh(), stamp) << open;
        EXPECT_GE(CatalogDigests::shared().fileReads(), reads + 3) << open;
        CatalogCache::shared().clear();
        EXPECT_EQ(fresh(), stamp) << open;
    }
}

// With a watcher, a stamp that walks the tree right after a save takes that save's listing only
// while the watcher saw the tree keep its shape: a folder renamed, made or removed since the save
// is listed afresh, and the stamp equals one taken with nothing remembered.
TEST_F(StampAfterSaveTest, WithAWatcherAFolderMovedSinceTheSaveIsListedAfresh) {
    CatalogCache::shared().setNowForTesting(std::nullopt);
    CatalogDigests::shared().setNowForTesting(std::nullopt);
    const std::unique_ptr<FolderWatcher> watcher = FolderWatcher::create(root_, [] {});
    ASSERT_NE(watcher, nullptr);
    state_ = FolderCatalog::load(root_, std::nullopt);
    const auto rename = [&](const char* from, const char* to) {
        ASSERT_TRUE(QDir().rename(root_ + QString::fromUtf8(from), root_ + QString::fromUtf8(to)));
    };
    // Each change is undone after its stamp, so that the next save finds the items' folders.
    struct Change {
        const char* name;
        std::function<void()> make;
        std::function<void()> undo;
    };
    const QString made = root_ + QStringLiteral("/a/new");
    const std::vector<Change> changes{
        {"nothing", [] {}, [] {}},
        {"renamed", [&] { rename("/a/b", "/a/c"); }, [&] { rename("/a/c", "/a/b"); }},
        {"made", [&] { makeDirectories(made); }, [] {}},
        {"removed", [&] { ASSERT_TRUE(QDir(made).removeRecursively()); }, [] {}},
    };
    for (const Change& change : changes) {
        rate(0);
        CatalogDigests::shared().clear();  // no fields kept: the stamp walks the tree
        change.make();
        QString stamp;
        ASSERT_NO_THROW(stamp = afterSave()) << change.name;
        EXPECT_EQ(stamp, fresh()) << change.name;
        change.undo();
    }
}

// Events the watcher lost void what its notices vouched for: a catalog changed in place while
// they were lost is found by the next stamp after a save.
TEST_F(StampAfterSaveTest, LostEventsMakeTheStampAfterASaveLookAgain) {
    CatalogCache::shared().setNowForTesting(std::nullopt);
    CatalogDigests::shared().setNowForTesting(std::nullopt);
    auto notices = std::make_shared<ChangeNotices>(root_);
    CatalogCache::shared().watch(notices);
    fresh();
    for (const char* key : {"a", "a/b", ""}) {
        rate(2);
        const QString stamp = afterSave();
        changeCatalogInPlace(QString::fromUtf8(key));
        notices->noteLoss();
        const QString noticed = afterSave();
        EXPECT_NE(noticed, stamp) << key;
        EXPECT_EQ(noticed, fresh()) << key;
    }
}

}  // namespace
}  // namespace lumivex
