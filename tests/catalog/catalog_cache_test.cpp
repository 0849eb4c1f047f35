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
