#include "catalog_fixture.h"

#include "model/catalog_columns.h"
#include "model/csv_codec.h"
#include "model/library.h"
#include "platform/error.h"

#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace lumivex;
using test::catalogRefused;
using test::validCatalogRows;

namespace {

using Rows = QList<QStringList>;

Rows with(const std::function<void(Rows&)>& change) {
    Rows rows = validCatalogRows();
    change(rows);
    return rows;
}

Rows withCell(int row, int column, const QString& text) {
    return with([&](Rows& rows) { rows[row][column] = text; });
}

// The valid rows without their meta row and with `properties` as the property columns.
Rows headerOnly(const QStringList& properties) {
    Rows rows = validCatalogRows();
    QStringList header = rows[0].mid(0, 12) + properties;
    return {header};
}

QStringList names(const Library& library) {
    QStringList result;
    for (const Category& category : library.categories) {
        result.append(category.name);
    }
    return result;
}

constexpr int item = 2;

// What unix2dos makes of a file: every line feed not already after a carriage return gains one.
QByteArray withCrLfLineEnds(const QByteArray& bytes) {
    QByteArray converted;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
            converted.append('\r');
        }
        converted.append(bytes[i]);
    }
    return converted;
}

Library read(const QByteArray& bytes) {
    return Library::fromCatalogCSV(CSVCodec::text(bytes));
}

}  // namespace

TEST(CatalogCSVReader, AcceptsTheValidRows) {
    const Library library = Library::fromCatalogCSV(CSVCodec::encode(validCatalogRows()));
    ASSERT_EQ(library.items.size(), 1);
    EXPECT_EQ(library.categories.size(), 3);
    EXPECT_EQ(library.categories[0].iconName, QStringLiteral("star"));
    EXPECT_EQ(library.items[0].labels.at(library.categories[2].idText()),
              QStringList{QStringLiteral("서울")});
    EXPECT_EQ(library.version, 1);
}

TEST(CatalogCSVReader, RefusesBadHeaders) {
    EXPECT_TRUE(catalogRefused(QString()));
    EXPECT_TRUE(catalogRefused(QString(QChar(0xFEFF))));
    EXPECT_TRUE(catalogRefused(QStringLiteral("\"a")));
    EXPECT_TRUE(catalogRefused(Rows{validCatalogRows()[0].mid(0, 11)}));
    EXPECT_TRUE(catalogRefused(withCell(0, 2, QStringLiteral("별점 "))));
    for (const QString& column :
         {QStringLiteral("분류:"), QStringLiteral("별점속성:"), QStringLiteral("단일선택:"),
          QStringLiteral("태그:x"), QStringLiteral("x"), QStringLiteral("분류: "),
          QString::fromUtf16(u"분류:\u0301")}) {
        EXPECT_TRUE(catalogRefused(headerOnly({column}))) << column.toStdString();
    }
    EXPECT_TRUE(
        catalogRefused(headerOnly({QStringLiteral("분류:Tag"), QStringLiteral("분류:tag")})));
    EXPECT_TRUE(catalogRefused(headerOnly({QStringLiteral("분류:a"), QStringLiteral("분류:a")})));
    EXPECT_TRUE(
        catalogRefused(headerOnly({QStringLiteral("별점속성:a"), QStringLiteral("별점속성:b")})));
    EXPECT_TRUE(catalogRefused(headerOnly(
        {QStringLiteral("_촬영일"), QStringLiteral("분류:a"), QStringLiteral("_촬영일")})));
}

TEST(CatalogCSVReader, RebuildsPropertiesOfAHeaderWithoutMetaRow) {
    const Library bare = Library::fromCatalogCSV(CSVCodec::encode(headerOnly({})));
    EXPECT_EQ(names(bare), QStringList{QStringLiteral("별점")});
    EXPECT_EQ(bare.categories[0].kind, PropertyKind::rating);
    EXPECT_EQ(bare.categories[0].iconName, QStringLiteral("list.bullet"));
    EXPECT_FALSE(bare.includeSubfolders);

    const Library two = Library::fromCatalogCSV(CSVCodec::encode(
        headerOnly({QStringLiteral("분류:사람"), QStringLiteral("단일선택:위치")})));
    EXPECT_EQ(names(two), (QStringList{QStringLiteral("사람"), QStringLiteral("별점"),
                                       QStringLiteral("위치")}));
    EXPECT_EQ(two.categories[0].kind, PropertyKind::multiSelect);
    EXPECT_EQ(two.categories[2].kind, PropertyKind::singleSelect);

    const Library clash =
        Library::fromCatalogCSV(CSVCodec::encode(headerOnly({QStringLiteral("분류:별점")})));
    EXPECT_EQ(names(clash), (QStringList{QStringLiteral("별점"), QStringLiteral("내 별점")}));
    // With "내 별점" taken too, the added property could never be saved under its name.
    EXPECT_TRUE(
        catalogRefused(headerOnly({QStringLiteral("분류:별점"), QStringLiteral("분류:내 별점")})));
}

// Without a meta row the properties get their identifiers only once the whole file is read; the
// values read before then must end up under the property of their own column.
TEST(CatalogCSVReader, ValuesOfAHeaderWithoutMetaRowStayWithTheirColumns) {
    Rows rows = headerOnly({QStringLiteral("분류:사람"), QStringLiteral("단일선택:위치")});
    rows.append(validCatalogRows()[item].mid(0, 12) +
                QStringList{QStringLiteral("가\n나"), QStringLiteral("서울")});
    const Library library = Library::fromCatalogCSV(CSVCodec::encode(rows));
    ASSERT_EQ(library.items.size(), 1);
    ASSERT_EQ(names(library), (QStringList{QStringLiteral("사람"), QStringLiteral("별점"),
                                           QStringLiteral("위치")}));
    QSet<QUuid> ids;
    for (const Category& category : library.categories) {
        EXPECT_FALSE(category.id.isNull());
        ids.insert(category.id);
    }
    EXPECT_EQ(ids.size(), 3);
    const Labels& labels = library.items[0].labels;
    EXPECT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels.at(library.categories[0].idText()),
              (QStringList{QStringLiteral("가"), QStringLiteral("나")}));
    EXPECT_EQ(labels.at(library.categories[2].idText()), QStringList{QStringLiteral("서울")});
    const Library again = Library::fromCatalogCSV(CSVCodec::encode(rows));
    EXPECT_NE(again.categories[0].id, library.categories[0].id);
}

// Items whose cells hold the same text share one value list; every such item still reads its
// cell by the same rules as the first.
TEST(CatalogCSVReader, RepeatedCellsReadAlikeInEveryRow) {
    Rows rows = headerOnly({QStringLiteral("분류:사람"), QStringLiteral("단일선택:위치")});
    const QString cells[][2] = {{QStringLiteral("가\n나"), QStringLiteral("서울")},
                                {QStringLiteral("가\n나"), QStringLiteral("서울")},
                                {QStringLiteral("나\n가\n나"), QStringLiteral("\n")},
                                {QStringLiteral("나\n가\n나"), QString()}};
    const QStringList fixed = validCatalogRows()[item].mid(0, 12);
    for (qsizetype row = 0; row < 4; ++row) {
        QStringList fields = fixed;
        fields[CatalogColumns::filename] = QStringLiteral("p%1.jpg").arg(row);
        fields[CatalogColumns::id] = QUuid::createUuid().toString(QUuid::WithoutBraces);
        rows.append(fields + QStringList{cells[row][0], cells[row][1]});
    }
    const Library library = Library::fromCatalogCSV(CSVCodec::encode(rows));
    ASSERT_EQ(library.items.size(), 4);
    const QString people = library.categories[0].idText();
    const QString place = library.categories[2].idText();
    for (qsizetype i = 0; i < 2; ++i) {
        EXPECT_EQ(library.items[i].labels.at(people),
                  (QStringList{QStringLiteral("가"), QStringLiteral("나")}));
        EXPECT_EQ(library.items[i].labels.at(place), QStringList{QStringLiteral("서울")});
    }
    for (qsizetype i = 2; i < 4; ++i) {
        EXPECT_EQ(library.items[i].labels.at(people),
                  (QStringList{QStringLiteral("나"), QStringLiteral("가")}));
        EXPECT_FALSE(library.items[i].labels.contains(place));
    }
    rows.append(rows.last());
    rows.last()[CatalogColumns::filename] = QStringLiteral("twice.jpg");
    rows.last()[CatalogColumns::id] = QUuid::createUuid().toString(QUuid::WithoutBraces);
    rows.last().last() = QStringLiteral("서울\n서울");
    EXPECT_TRUE(catalogRefused(rows));
}

TEST(CatalogCSVReader, RefusesBadItemCells) {
    const QList<std::pair<int, QStringList>> bad{
        {1, {QStringLiteral("Photo"), QStringLiteral("image"), QString()}},
        {2,
         {QStringLiteral("6"), QStringLiteral("-1"), QStringLiteral("2.0"), QString(),
          QStringLiteral(" 2")}},
        {3,
         {QStringLiteral("-0.5"), QStringLiteral("nan"), QStringLiteral("inf"),
          QStringLiteral("1,5")}},
        {4,
         {QStringLiteral("-1"), QStringLiteral("1.0"), QString(),
          QStringLiteral("99999999999999999999")}},
        {6, {QStringLiteral("True"), QStringLiteral("yes"), QString()}},
        {7, {QStringLiteral("nan"), QString(), QStringLiteral("-inf"), QStringLiteral("1e999")}},
        {8, {QStringLiteral("x"), QString()}},
        {9,
         {QStringLiteral("0F0E0D0C0B0A490887060504030201000000"), QString(),
          QStringLiteral("{0F0E0D0C-0B0A-4908-8706-050403020100}")}},
        {10, {QString()}},
        {11, {QStringLiteral("2"), QString(), QStringLiteral("01")}},
        {12, {QStringLiteral("02"), QStringLiteral("+2"), QStringLiteral("3"), QString()}},
        {14, {QStringLiteral("서울\n부산")}},
        {15, {QStringLiteral("nan"), QStringLiteral("어제")}}};
    for (const auto& [column, texts] : bad) {
        for (const QString& text : texts) {
            EXPECT_TRUE(catalogRefused(withCell(item, column, text)))
                << column << ": " << text.toStdString();
        }
    }
    // A row one field short of the header or one field over it, the meta row as an item row.
    EXPECT_TRUE(catalogRefused(with([](Rows& rows) { rows[item].removeLast(); })));
    EXPECT_TRUE(catalogRefused(with([](Rows& rows) { rows[item].append(QString()); })));
    EXPECT_TRUE(catalogRefused(with([](Rows& rows) { rows[1].append(QString()); })));
    EXPECT_TRUE(catalogRefused(with([](Rows& rows) { rows[1].removeLast(); })));
    EXPECT_TRUE(catalogRefused(with([](Rows& rows) {
        rows.append(rows[item]);
        rows.last()[0] = QStringLiteral("other.jpg");
        rows.last()[9] = rows.last()[9].toLower();
    })));
}

TEST(CatalogCSVReader, ReadsLenientButExactItemCells) {
    Rows rows = withCell(item, 2, QStringLiteral("+3"));
    rows[item][12] = QStringLiteral("3");
    rows[item][13] = QStringLiteral("a\na\n\nb\r\nc\n");
    rows[item][9] = rows[item][9].toLower();
    rows[item][15] = QStringLiteral("1e3");
    const Library library = Library::fromCatalogCSV(CSVCodec::encode(rows));
    const MediaItem& read = library.items[0];
    EXPECT_EQ(read.rating, 3);
    EXPECT_EQ(read.duration, std::nullopt);
    EXPECT_EQ(read.capturedAt, Date{1000.0});
    EXPECT_EQ(read.labels.at(library.categories[1].idText()),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(read.labels.count(library.categories[0].idText()), 0u);

    rows[item][14] = QString();
    rows[item][13] = QStringLiteral("\n\n");
    EXPECT_TRUE(Library::fromCatalogCSV(CSVCodec::encode(rows)).items[0].labels.empty());
    EXPECT_EQ(Library::fromCatalogCSV(CSVCodec::encode(withCell(item, 2, QStringLiteral("02"))))
                  .items[0]
                  .rating,
              2);
}

TEST(CatalogCSVReader, RefusesMisplacedOrDamagedMetaRows) {
    EXPECT_TRUE(catalogRefused(withCell(1, 1, QStringLiteral("_속성x"))));
    EXPECT_TRUE(catalogRefused(withCell(1, 2, QStringLiteral("x"))));
    EXPECT_TRUE(catalogRefused(withCell(1, 15, QStringLiteral(" "))));
    EXPECT_TRUE(catalogRefused(withCell(1, 5, QStringLiteral("{"))));
    EXPECT_TRUE(catalogRefused(withCell(1, 5, QStringLiteral("{\"properties\":[]}"))));
    EXPECT_TRUE(catalogRefused(with([](Rows& rows) { rows.append(rows[1]); })));
    EXPECT_TRUE(catalogRefused(with([](Rows& rows) { rows.move(1, 2); })));
}

TEST(CatalogCSVReader, RefusesMetaPropertiesThatDisagree) {
    const QString meta = validCatalogRows()[1][5];
    const auto edited = [&](const QString& from, const QString& to) {
        EXPECT_TRUE(meta.contains(from)) << from.toStdString();
        return withCell(1, 5, QString(meta).replace(from, to));
    };
    EXPECT_TRUE(catalogRefused(
        edited(QStringLiteral("\"name\":\"사람\""), QStringLiteral("\"name\":\"위치\""))));
    EXPECT_TRUE(catalogRefused(
        edited(QStringLiteral("\"singleSelect\""), QStringLiteral("\"multiSelect\""))));
    EXPECT_TRUE(catalogRefused(edited(QStringLiteral("AAAAAAAA-0000-0000-0000-000000000002"),
                                      QStringLiteral("AAAAAAAA-0000-0000-0000-000000000001"))));
    EXPECT_TRUE(catalogRefused(
        edited(QStringLiteral("[\"엄마\"]"), QStringLiteral("[\"엄마\",\"엄마\"]"))));
    EXPECT_TRUE(catalogRefused(
        edited(QStringLiteral("[\"엄마\"]"), QStringLiteral("[\"엄마\",\" \\n\"]"))));
    EXPECT_TRUE(catalogRefused(
        edited(QStringLiteral("\"kind\":\"rating\""), QStringLiteral("\"kind\":\"star\""))));
    // An escaped lone surrogate has no UTF-8 form: the next save would change it to "?".
    EXPECT_TRUE(catalogRefused(
        edited(QStringLiteral("[\"엄마\"]"), QStringLiteral("[\"엄마\",\"\\ud800\"]"))));
    EXPECT_TRUE(catalogRefused(edited(QStringLiteral("\"includeSubfolders\""),
                                      QStringLiteral("\"directoryIdentity\":\"\\udfff\","
                                                     "\"includeSubfolders\""))));
    const Rows swapped = with([](Rows& rows) {
        rows[0].swapItemsAt(13, 14);
        for (Rows::size_type r = 1; r < rows.size(); ++r) {
            rows[r].swapItemsAt(13, 14);
        }
    });
    EXPECT_TRUE(catalogRefused(swapped));
}

TEST(CatalogCSVReader, AcceptsOlderMetaRowForms) {
    const QString meta = validCatalogRows()[1][5];
    const QString properties = meta.mid(meta.indexOf(u'['), meta.size() - meta.indexOf(u'[') - 1);
    const Library bare = Library::fromCatalogCSV(CSVCodec::encode(withCell(1, 5, properties)));
    EXPECT_FALSE(bare.includeSubfolders);
    EXPECT_EQ(bare.categories[1].idText(), QStringLiteral("AAAAAAAA-0000-0000-0000-000000000001"));

    Rows noRating = validCatalogRows();
    for (QStringList& row : noRating) {
        row.removeAt(12);
    }
    noRating[1][5] = QString(meta).replace(
        QStringLiteral("{\"id\":\"11111111-2222-3333-4444-555555555555\",\"kind\":\"rating\","
                       "\"name\":\"별점\"},"),
        QString());
    noRating[1][5].replace(QStringLiteral("false"), QStringLiteral("true"));
    const Library library = Library::fromCatalogCSV(CSVCodec::encode(noRating));
    EXPECT_EQ(names(library), (QStringList{QStringLiteral("사람"), QStringLiteral("위치")}));
    EXPECT_TRUE(library.includeSubfolders);
}

TEST(CatalogCSVReader, LineEndsConvertedToCrLfKeepValuesApartAndNotesAsTheyAre) {
    const QByteArray bytes = test::sampleLibrary().catalogCSV().toUtf8();
    const Library plain = read(bytes);
    const Library converted = read(withCrLfLineEnds(bytes));
    ASSERT_EQ(converted.items.size(), plain.items.size());
    Library expected = plain;
    for (MediaItem& each : expected.items) {
        each.notes.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    }
    EXPECT_EQ(converted.items, expected.items);
    const QString people = plain.categories[1].idText();
    EXPECT_TRUE(
        std::any_of(converted.items.begin(), converted.items.end(), [&](const MediaItem& each) {
            return each.labels.count(people) != 0 && each.labels.at(people).size() == 2;
        }));
    // Written again, the values are joined by line feeds as the application writes them.
    EXPECT_EQ(converted.catalogCSV(), expected.catalogCSV());

    const Library spaced = Library::fromCatalogCSV(
        CSVCodec::encode(withCell(item, 13, QStringLiteral("a\rb\r\n\r\nc\r"))));
    EXPECT_EQ(spaced.items[0].labels.at(spaced.categories[1].idText()),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_TRUE(catalogRefused(withCell(item, 14, QStringLiteral("서울\r\n부산"))));
}

// Qt's JSON reader drops a U+FEFF that opens a text: the meta row's texts must come back whole.
TEST(CatalogCSVReader, MetaRowTextsBeginningWithAByteOrderMarkReadBackExactly) {
    const QString mark(QChar(0xFEFF));
    Library library = test::sampleLibrary();
    library.categories[1].options.append(mark + QStringLiteral("new"));
    library.categories[1].name = mark + QStringLiteral("사람");
    library.categories[2].options = {mark, mark + mark + QStringLiteral("x")};
    library.directoryIdentity = mark + QStringLiteral("2049:5:1.0");
    const Library again = Library::fromCatalogCSV(library.catalogCSV());
    EXPECT_EQ(again.categories[1].name, library.categories[1].name);
    EXPECT_EQ(again.categories[1].options.mid(0, 2), library.categories[1].options);
    EXPECT_EQ(again.categories[2].options.mid(0, 2), library.categories[2].options);
    EXPECT_EQ(again.directoryIdentity, library.directoryIdentity);
    EXPECT_EQ(Library::fromCatalogCSV(again.catalogCSV()), again);
}

// A catalog cut short is refused, or read with every row that ended before the cut exactly as
// written. Every field is quoted: a cut inside a field leaves a quote open, and a cut right after a
// comma would read the row's last field as empty, so both are refused. A cut at a row boundary
// cannot be told from a catalog that ends there and reads as one; that is left as it is.
TEST(CatalogCSVReader, ACatalogCutShortIsRefusedOrKeepsEveryCompleteRow) {
    Library library = test::sampleLibrary();
    MediaItem third = library.items[0];
    third.id = QUuid::fromString(u"0f0e0d0c-0b0a-4908-8706-0504030201ff");
    third.filename = QStringLiteral("img11.jpg");
    third.notes = QStringLiteral("메모\n\"끝\"");
    library.items.append(third);
    const QByteArray bytes = library.catalogCSV().toUtf8();
    const Library whole = read(bytes);
    ASSERT_EQ(whole.items.size(), 3);
    qsizetype lastRowsStart = bytes.size() - 2;
    for (int rowEnds = 0; rowEnds < 3; ++rowEnds) {
        lastRowsStart = bytes.lastIndexOf("\r\n\"", lastRowsStart - 1);
    }
    ASSERT_GT(lastRowsStart, 0);
    for (qsizetype cut = lastRowsStart; cut < bytes.size(); ++cut) {
        const QByteArray kept = bytes.left(cut);
        Library cutLibrary;
        try {
            cutLibrary = read(kept);
        } catch (const Error&) {
            continue;
        }
        const qsizetype completeRows = kept.count("\r\n\"") - 1;      // after the header
        ASSERT_GE(cutLibrary.items.size(), completeRows - 1) << cut;  // less the meta row
        ASSERT_LE(cutLibrary.items.size(), whole.items.size()) << cut;
        EXPECT_EQ(cutLibrary.items, whole.items.mid(0, cutLibrary.items.size())) << cut;
        EXPECT_EQ(cutLibrary.categories, whole.categories) << cut;
    }
}
