#include "catalog/catalog_cache.h"
#include "catalog_fixtures.h"
#include "model/csv_codec.h"

#include <gtest/gtest.h>

using namespace lumivex;

namespace {

QString withoutMetaRow(const QString& text) {
    QList<QStringList> rows = CSVCodec::decode(text);
    rows.removeAt(1);
    return CSVCodec::encode(rows);
}

}  // namespace

// Archives read through the cache are the archives the reader gives; one whose reading draws
// identifiers of its own is read afresh each time, as the reader would.
TEST(CatalogCacheArchives, ReusesOnlyArchivesThatAlwaysReadTheSame) {
    CatalogCache cache;
    const QString named =
        DeletedArchive{{test::rating(), test::property(QStringLiteral("사람"))}, {}}.csv();
    EXPECT_EQ(cache.archiveOf(named), DeletedArchive::fromCSV(named));
    EXPECT_EQ(cache.archiveOf(named), DeletedArchive::fromCSV(named));

    const QString unnamed = withoutMetaRow(named);
    const DeletedArchive first = cache.archiveOf(unnamed);
    const DeletedArchive second = cache.archiveOf(unnamed);
    ASSERT_EQ(first.categories.size(), 2);
    EXPECT_EQ(first.categories[1].name, QStringLiteral("사람"));
    EXPECT_NE(first.categories[1].id, second.categories[1].id);
}

TEST(CatalogCacheArchives, TextsOfArchivesWithoutRecordsAreTheArchivesOwn) {
    CatalogCache cache;
    const Category person = test::property(QStringLiteral("사람"));
    const DeletedArchive bare{{test::rating(), person}, {}};
    EXPECT_EQ(cache.archiveText(bare), bare.csv());
    EXPECT_EQ(cache.archiveText(bare), bare.csv());
    DeletedArchive renamed = bare;
    renamed.categories[1].name = QStringLiteral("인물");
    EXPECT_EQ(cache.archiveText(renamed), renamed.csv());
    EXPECT_NE(cache.archiveText(renamed), bare.csv());
    MediaItem gone;
    gone.filename = QStringLiteral("a.jpg");
    gone.fileIdentity = QStringLiteral("1:2:3");
    gone.available = false;
    const DeletedArchive withRecord{bare.categories, {{gone, Date{1700000000.0}}}};
    EXPECT_EQ(cache.archiveText(withRecord), withRecord.csv());
}
