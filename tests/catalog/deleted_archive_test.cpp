#include "catalog/deleted_archive.h"
#include "model/catalog_error.h"
#include "model/csv_codec.h"
#include "platform/uuid_text.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

const QUuid ratingID = QUuid::fromString(QStringLiteral("11111111-2222-3333-4444-555555555555"));
const QUuid itemA = QUuid::fromString(QStringLiteral("AAAAAAAA-0000-4000-8000-000000000001"));
const QUuid itemB = QUuid::fromString(QStringLiteral("BBBBBBBB-0000-4000-8000-000000000002"));

Category ratingCategory() {
    return Category{
        ratingID, QStringLiteral("별점"), PropertyKind::rating, {}, QStringLiteral("star")};
}

MediaItem deletedItem(const QUuid& id, const QString& name) {
    MediaItem item;
    item.id = id;
    item.filename = name;
    item.fileIdentity = QStringLiteral("1:2:0.0");
    item.size = 10;
    item.modified = Date{1.0};
    item.added = Date{2.0};
    item.rating = 3;
    item.available = false;
    return item;
}

DeletedArchive oneRecordArchive() {
    return DeletedArchive{{ratingCategory()}, {{deletedItem(itemA, QStringLiteral("a.jpg")), {5}}}};
}

void expectRefused(const QString& text) {
    try {
        DeletedArchive::fromCSV(text);
        ADD_FAILURE() << "accepted: " << text.toStdString();
    } catch (const Error& error) {
        EXPECT_TRUE(CatalogError::isInvalidCSV(error)) << error.description().toStdString();
    }
}

// The rows of the one-record archive's file, for tests that damage one cell.
QList<QStringList> sampleRows() {
    return CSVCodec::decode(oneRecordArchive().csv());
}

QString withCell(qsizetype row, qsizetype column, const QString& value) {
    auto rows = sampleRows();
    rows[row][column] = value;
    return CSVCodec::encode(rows);
}

TEST(DeletedArchiveText, WritesTheDeletionColumnAfterTheFixedColumns) {
    const QByteArray bytes = oneRecordArchive().csv().toUtf8();
    const QByteArray header =
        "\xEF\xBB\xBF\"파일명\",\"종류\",\"별점\",\"길이(초)\",\"크기(bytes)\",\"메모\",\"파일 "
        "존재\",\"수정일\",\"추가일\",\"ID\",\"파일 "
        "식별자\",\"_버전\",\"_삭제시각\",\"별점속성:별점\","
        "\"_촬영일\"\r\n";
    const QByteArray item =
        "\"a.jpg\",\"photo\",\"3\",\"\",\"10\",\"\",\"false\",\"1.0\",\"2.0\","
        "\"AAAAAAAA-0000-4000-8000-000000000001\",\"1:2:0.0\",\"1\",\"5.0\",\"3\",\"\"\r\n";
    EXPECT_TRUE(bytes.startsWith(header));
    EXPECT_TRUE(bytes.endsWith(item));

    const auto rows = sampleRows();
    ASSERT_EQ(rows.size(), 3);
    const QStringList& meta = rows[1];
    ASSERT_EQ(meta.size(), 15);
    EXPECT_EQ(meta[1], QStringLiteral("_속성"));
    for (qsizetype column = 0; column < meta.size(); ++column) {
        if (column != 1 && column != 5) {
            EXPECT_TRUE(meta[column].isEmpty()) << column;
        }
    }
}

TEST(DeletedArchiveText, EmptyArchiveReadsBackWithItsProperties) {
    const Library defaults;
    const DeletedArchive archive{defaults.categories, {}};
    const auto rows = CSVCodec::decode(archive.csv());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][12], QStringLiteral("_삭제시각"));
    EXPECT_EQ(rows[0].size(), 12 + 1 + defaults.categories.size() + 1);
    EXPECT_TRUE(rows[1][12].isEmpty());
    EXPECT_EQ(DeletedArchive::fromCSV(archive.csv()), archive);
}

TEST(DeletedArchiveText, ReadsBackRecordsInFileNameOrderWithTheirTimes) {
    Category tags{QUuid::createUuid(),
                  QStringLiteral("태그"),
                  PropertyKind::multiSelect,
                  {QStringLiteral("x"), QStringLiteral("y")},
                  QStringLiteral("tag")};
    MediaItem b = deletedItem(itemB, QStringLiteral("b.jpg"));
    b.labels[tags.idText()] = {QStringLiteral("y"), QStringLiteral("x")};
    b.notes = QStringLiteral("say \"hi\"\nbye");
    b.capturedAt = Date{1600000000.5};
    MediaItem a = deletedItem(itemA, QStringLiteral("a.jpg"));
    a.kind = MediaKind::video;
    a.duration = 12.25;
    const DeletedArchive archive{{ratingCategory(), tags},
                                 {{b, Date{1700000000.25}}, {a, Date{0}}}};

    const DeletedArchive read = DeletedArchive::fromCSV(archive.csv());
    const DeletedArchive expected{archive.categories, {archive.records[1], archive.records[0]}};
    EXPECT_EQ(read, expected);
}

TEST(DeletedArchiveText, TextsBeginningWithAByteOrderMarkReadBackExactly) {
    const QString mark(QChar(0xFEFF));
    const Category tags{QUuid::createUuid(),
                        mark + QStringLiteral("태그"),
                        PropertyKind::multiSelect,
                        {mark + QStringLiteral("new"), mark},
                        QStringLiteral("tag")};
    MediaItem record = deletedItem(itemA, mark + QStringLiteral("a.jpg"));
    record.labels[tags.idText()] = {mark, mark + QStringLiteral("new")};
    const DeletedArchive archive{{ratingCategory(), tags}, {{record, Date{5}}}};
    EXPECT_EQ(DeletedArchive::fromCSV(archive.csv()), archive);
}

// Cut right after the comma before its empty capture date, the last record would read whole.
TEST(DeletedArchiveText, RefusesAFileCutBeforeItsLastField) {
    const QString text = oneRecordArchive().csv();
    ASSERT_TRUE(text.endsWith(QStringLiteral(",\"\"\r\n")));
    expectRefused(text.chopped(4));
    EXPECT_EQ(DeletedArchive::fromCSV(text.chopped(2)), oneRecordArchive());
}

TEST(DeletedArchiveText, RefusesFilesWithoutTheDeletionColumn) {
    expectRefused(Library::withContents({ratingCategory()}, {}).catalogCSV());
    expectRefused(QString());
    auto rows = sampleRows();
    for (QStringList& row : rows) {
        row = row.mid(0, 12);
    }
    expectRefused(CSVCodec::encode(rows));
    expectRefused(withCell(0, 12, QStringLiteral("_삭제시간")));
}

TEST(DeletedArchiveText, AcceptsTheDeletionHeaderInDecomposedForm) {
    const QString decomposed = QStringLiteral("_삭제시각").normalized(QString::NormalizationForm_D);
    ASSERT_NE(decomposed, QStringLiteral("_삭제시각"));
    EXPECT_EQ(DeletedArchive::fromCSV(withCell(0, 12, decomposed)), oneRecordArchive());
}

TEST(DeletedArchiveText, RequiresEveryRecordToBeMarkedMissing) {
    for (const QString& presence :
         {QStringLiteral("true"), QString(), QStringLiteral("False"), QStringLiteral("false ")}) {
        expectRefused(withCell(2, 6, presence));
    }
}

TEST(DeletedArchiveText, RefusesDeletionTimesThatAreNotPlainNonNegativeNumbers) {
    for (const QString& time :
         {QStringLiteral(" 5.0"), QStringLiteral("\t5.0"), QStringLiteral("\n5"),
          QStringLiteral("5.0 "), QString(), QStringLiteral("-1.0"), QStringLiteral("-0.5"),
          QStringLiteral("inf"), QStringLiteral("-inf"), QStringLiteral("nan"),
          QStringLiteral("1e400"), QStringLiteral("abc"), QStringLiteral("5.0s")}) {
        expectRefused(withCell(2, 12, time));
    }
}

TEST(DeletedArchiveText, AcceptsZeroFractionsAndExponents) {
    const std::pair<QString, double> cases[] = {{QStringLiteral("0"), 0.0},
                                                {QStringLiteral("0.25"), 0.25},
                                                {QStringLiteral("1.7e9"), 1.7e9},
                                                {QStringLiteral("1E3"), 1000.0}};
    for (const auto& [text, seconds] : cases) {
        const DeletedArchive read = DeletedArchive::fromCSV(withCell(2, 12, text));
        ASSERT_EQ(read.records.size(), 1) << text.toStdString();
        EXPECT_EQ(read.records[0].deletedAt.secondsSince1970, seconds) << text.toStdString();
    }
}

TEST(DeletedArchiveText, RefusesRowsOfAnotherWidth) {
    auto shorter = sampleRows();
    shorter[2].removeLast();
    expectRefused(CSVCodec::encode(shorter));
    auto longer = sampleRows();
    longer[2].append(QString());
    expectRefused(CSVCodec::encode(longer));
    auto metaShorter = sampleRows();
    metaShorter[1].removeLast();
    expectRefused(CSVCodec::encode(metaShorter));
}

TEST(DeletedArchiveText, TellsTheMetaRowByItsMarkerAndEmptyTime) {
    // A meta row carrying a time is an item row, and an item row needs "false".
    expectRefused(withCell(1, 12, QStringLiteral("5.0")));
    // Recognised anywhere; the catalog reader then refuses it after an item row.
    auto moved = sampleRows();
    moved.move(1, 2);
    expectRefused(CSVCodec::encode(moved));
    // Without a meta row the header's properties are used and the records still read.
    auto withoutMeta = sampleRows();
    withoutMeta.removeAt(1);
    const DeletedArchive read = DeletedArchive::fromCSV(CSVCodec::encode(withoutMeta));
    ASSERT_EQ(read.records.size(), 1);
    EXPECT_EQ(read.records[0].item.id, itemA);
    EXPECT_EQ(read.records[0].deletedAt, Date{5});
}

TEST(DeletedArchiveText, WritesBothRowsOfARepeatedIdentifier) {
    DeletedArchive archive = oneRecordArchive();
    archive.records.append({deletedItem(itemA, QStringLiteral("c.jpg")), Date{9}});
    const auto rows = CSVCodec::decode(archive.csv());
    ASSERT_EQ(rows.size(), 4);
    EXPECT_FALSE(rows[2][12].isEmpty());
    EXPECT_EQ(rows[2][12], rows[3][12]);
}

}  // namespace
}  // namespace lumivex
