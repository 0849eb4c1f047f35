#include "media/photos_catalog_location.h"

#include "model/file_deletion_validation.h"
#include "platform/error.h"
#include "support/test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::makeDirectories;
using test::makeSymbolicLink;
using test::readFile;
using test::writeFile;

class PhotosCatalogLocationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp_.isValid()); }

    QString path(const QString& relative) const { return temp_.filePath(relative); }
    QString destination() const { return path(QStringLiteral("data/Lumivex/Photos")); }
    // A folder that earlier versions filled with the photo library's metadata.
    QString legacyWithMetadata(const QString& relative, const QString& file) {
        writeFile(path(relative + QStringLiteral("/.lumivex/") + file), "meta");
        return path(relative);
    }
    static bool isInvalidName(const std::function<void()>& action) {
        try {
            action();
        } catch (const Error& error) {
            return FileDeletionValidation::isInvalidFileName(error);
        }
        return false;
    }

private:
    QTemporaryDir temp_;
};

TEST_F(PhotosCatalogLocationTest, AnExistingFolderIsReturnedUntouched) {
    makeDirectories(destination());
    const QString legacy = legacyWithMetadata(QStringLiteral("old"), QStringLiteral("lumivex.csv"));
    EXPECT_EQ(PhotosCatalogLocation::prepare(destination(), QStringList{legacy}), destination());
    EXPECT_TRUE(
        QDir(destination()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_TRUE(QFileInfo::exists(legacy + QStringLiteral("/.lumivex/lumivex.csv")));
}

TEST_F(PhotosCatalogLocationTest, AFileOrALinkAtTheDestinationIsRefusedAndNothingMoves) {
    const QString legacy = legacyWithMetadata(QStringLiteral("old"), QStringLiteral("lumivex.csv"));
    writeFile(destination(), "plain");
    EXPECT_TRUE(
        isInvalidName([&] { PhotosCatalogLocation::prepare(destination(), QStringList{legacy}); }));
    EXPECT_EQ(readFile(destination()), "plain");

    QFile::remove(destination());
    makeDirectories(path(QStringLiteral("elsewhere")));
    makeSymbolicLink(path(QStringLiteral("elsewhere")), destination());
    EXPECT_TRUE(
        isInvalidName([&] { PhotosCatalogLocation::prepare(destination(), QStringList{legacy}); }));
    EXPECT_TRUE(QFileInfo::exists(legacy + QStringLiteral("/.lumivex/lumivex.csv")));
    EXPECT_TRUE(QDir(path(QStringLiteral("elsewhere"))).isEmpty());
}

TEST_F(PhotosCatalogLocationTest, TheFirstLegacyFolderWithMetadataIsMoved) {
    const QString first =
        legacyWithMetadata(QStringLiteral("first"), QStringLiteral("deleted.csv"));
    const QString second =
        legacyWithMetadata(QStringLiteral("second"), QStringLiteral("lumivex.csv"));
    EXPECT_EQ(PhotosCatalogLocation::prepare(destination(), QStringList{first, second}),
              destination());
    EXPECT_EQ(readFile(destination() + QStringLiteral("/.lumivex/deleted.csv")), "meta");
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_TRUE(QFileInfo::exists(second + QStringLiteral("/.lumivex/lumivex.csv")));
}

// A folder of the user's own that only has the old name is never taken away from them.
TEST_F(PhotosCatalogLocationTest, AFolderWithoutMetadataStaysWhereItIs) {
    writeFile(path(QStringLiteral("mine/holiday.jpg")), "jpeg");
    writeFile(path(QStringLiteral("lookalike/.lumivex/lumivex.csv/inner")), "not a file");
    const QString withMetadata =
        legacyWithMetadata(QStringLiteral("real"), QStringLiteral("lumivex.csv"));
    const QStringList legacy{path(QStringLiteral("mine")), path(QStringLiteral("lookalike")),
                             withMetadata};
    EXPECT_EQ(PhotosCatalogLocation::prepare(destination(), legacy), destination());
    EXPECT_EQ(readFile(path(QStringLiteral("mine/holiday.jpg"))), "jpeg");
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("lookalike/.lumivex/lumivex.csv/inner"))));
    EXPECT_EQ(readFile(destination() + QStringLiteral("/.lumivex/lumivex.csv")), "meta");

    QDir(destination()).removeRecursively();
    EXPECT_EQ(
        PhotosCatalogLocation::prepare(destination(), QStringList{path(QStringLiteral("mine"))}),
        destination());
    EXPECT_TRUE(
        QDir(destination()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_EQ(readFile(path(QStringLiteral("mine/holiday.jpg"))), "jpeg");
}

TEST_F(PhotosCatalogLocationTest, AnEntryNamingTheDestinationIsSkipped) {
    const QString dotted = path(QStringLiteral("data/./Lumivex/../Lumivex/Photos"));
    const QString later =
        legacyWithMetadata(QStringLiteral("later"), QStringLiteral("lumivex.csv"));
    EXPECT_EQ(PhotosCatalogLocation::prepare(destination(), QStringList{dotted, later}),
              destination());
    EXPECT_EQ(readFile(destination() + QStringLiteral("/.lumivex/lumivex.csv")), "meta");
}

TEST_F(PhotosCatalogLocationTest, ALegacyPlainFileStopsBeforeLaterEntries) {
    writeFile(path(QStringLiteral("plain")), "x");
    const QString later =
        legacyWithMetadata(QStringLiteral("later"), QStringLiteral("lumivex.csv"));
    EXPECT_TRUE(isInvalidName([&] {
        PhotosCatalogLocation::prepare(destination(),
                                       QStringList{path(QStringLiteral("plain")), later});
    }));
    EXPECT_FALSE(QFileInfo::exists(destination()));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("data/Lumivex"))).isDir());
    EXPECT_TRUE(QFileInfo::exists(later + QStringLiteral("/.lumivex/lumivex.csv")));
}

TEST_F(PhotosCatalogLocationTest, WithoutLegacyFoldersTheParentsAndAnEmptyFolderAreMade) {
    EXPECT_EQ(PhotosCatalogLocation::prepare(
                  destination(), QStringList{path(QStringLiteral("missing")), QString()}),
              destination());
    EXPECT_TRUE(QFileInfo(destination()).isDir());
    EXPECT_TRUE(QDir(destination()).isEmpty());
}

TEST_F(PhotosCatalogLocationTest, AParentThatCannotBeMadeFails) {
    writeFile(path(QStringLiteral("data")), "file in the way");
    EXPECT_THROW(PhotosCatalogLocation::prepare(destination(), QStringList{}), Error);
    EXPECT_EQ(readFile(path(QStringLiteral("data"))), "file in the way");
}

TEST(PhotosCatalogLocationDefaults, TheHomeFolderCandidateIsTheOnlyOne) {
    EXPECT_EQ(PhotosCatalogLocation::defaultLegacyDirectories(),
              QStringList{QDir::homePath() + QStringLiteral("/lumivex/Photos")});
    EXPECT_TRUE(PhotosCatalogLocation::defaultDestination().endsWith(u"/Lumivex/Photos"));
}

}  // namespace
}  // namespace lumivex
