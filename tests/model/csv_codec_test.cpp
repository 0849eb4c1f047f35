#include "model/csv_codec.h"
#include "model/catalog_error.h"

#include <gtest/gtest.h>

using namespace lumivex;

namespace {

const QString bom(QChar(0xFEFF));

QList<QStringList> decode(const QString& text) {
    return CSVCodec::decode(text);
}

bool refuses(const QString& text) {
    try {
        CSVCodec::decode(text);
    } catch (const Error& error) {
        return CatalogError::isInvalidCSV(error);
    }
    return false;
}

}  // namespace

TEST(CSVCodec, EncodesEveryFieldQuotedWithRowEnds) {
    EXPECT_EQ(CSVCodec::encode({}), bom + QStringLiteral("\r\n"));
    EXPECT_EQ(CSVCodec::encode({{QStringLiteral("a\"b"), QString(), QStringLiteral("x,y")}}),
              bom + QStringLiteral("\"a\"\"b\",\"\",\"x,y\"\r\n"));
    EXPECT_EQ(CSVCodec::encode({{QStringLiteral("1")}, {}, {QStringLiteral("a\r\nb")}}),
              bom + QStringLiteral("\"1\"\r\n\r\n\"a\r\nb\"\r\n"));
    EXPECT_EQ(CSVCodec::encode({{QStringLiteral("\"\"")}}),
              bom + QStringLiteral("\"\"\"\"\"\"\r\n"));
}

TEST(CSVCodec, DecodesRowsAndRowEnds) {
    EXPECT_TRUE(decode(QString()).isEmpty());
    EXPECT_TRUE(decode(bom + bom).isEmpty());
    EXPECT_EQ(decode(bom + QStringLiteral("\r\n")), (QList<QStringList>{{QString()}}));
    const QList<QStringList> ab{{QStringLiteral("a"), QStringLiteral("b")}};
    EXPECT_EQ(decode(QStringLiteral("a,b")), ab);
    EXPECT_EQ(decode(QStringLiteral("a,b\r\n")), ab);
    EXPECT_EQ(decode(QStringLiteral("a,")), (QList<QStringList>{{QStringLiteral("a"), QString()}}));
    EXPECT_EQ(decode(QStringLiteral("a\n\nb")),
              (QList<QStringList>{{QStringLiteral("a")}, {QString()}, {QStringLiteral("b")}}));
    EXPECT_EQ(decode(QStringLiteral("a\rb")),
              (QList<QStringList>{{QStringLiteral("a")}, {QStringLiteral("b")}}));
    EXPECT_EQ(decode(QStringLiteral("\"\"")), (QList<QStringList>{{QString()}}));
    EXPECT_EQ(decode(QStringLiteral("\"\",\"\"\n")), (QList<QStringList>{{QString(), QString()}}));
}

TEST(CSVCodec, KeepsQuotedContentAndInnerMarks) {
    EXPECT_EQ(decode(QStringLiteral("\"a\r\nb\",c")),
              (QList<QStringList>{{QStringLiteral("a\r\nb"), QStringLiteral("c")}}));
    EXPECT_EQ(decode(QStringLiteral("\"x\"\"y\"")), (QList<QStringList>{{QStringLiteral("x\"y")}}));
    EXPECT_EQ(decode(bom + QStringLiteral("a") + bom),
              (QList<QStringList>{{QStringLiteral("a") + bom}}));
    // A character outside the basic plane walks as one unit.
    EXPECT_EQ(decode(QStringLiteral("\"😀\",😀")),
              (QList<QStringList>{{QStringLiteral("😀"), QStringLiteral("😀")}}));
    for (const QString& valid : {QStringLiteral("\"a\",b"), QStringLiteral("\"a\"\r"),
                                 QStringLiteral("\"a\"\n"), QStringLiteral("\"a\"")}) {
        EXPECT_FALSE(refuses(valid)) << valid.toStdString();
    }
}

// Fields are handed out as views of the text; a field with doubled quotes is the one that needs
// its own copy, and several such copies in one row and in the rows after it must stay apart.
TEST(CSVCodec, FieldsWithDoubledQuotesStayApartInTheirRow) {
    const QString text = QStringLiteral(
        "\"a\"\"b\",\"\"\"\",\"c\"\"\"\"d\",e\r\n\"x\"\"\",\"\",\"y\"\r\n\"\"\"z\"\"\"\r\n");
    const QList<QStringList> rows{{QStringLiteral("a\"b"), QStringLiteral("\""),
                                   QStringLiteral("c\"\"d"), QStringLiteral("e")},
                                  {QStringLiteral("x\""), QString(), QStringLiteral("y")},
                                  {QStringLiteral("\"z\"")}};
    EXPECT_EQ(decode(text), rows);
    QList<QStringList> visited;
    CSVCodec::forEachFileRow(text, [&](const std::vector<QStringView>& fields) {
        QStringList row;
        for (const QStringView field : fields) {
            row.append(field.toString());
        }
        visited.append(row);
    });
    EXPECT_EQ(visited, rows);
}

TEST(CSVCodec, RefusesMalformedQuoting) {
    for (const QString& bad :
         {QStringLiteral("\"a\"b"), QStringLiteral("a\"b"), QStringLiteral(" \"a\""),
          QStringLiteral("\"abc"), QStringLiteral("a,\""), QStringLiteral("\""),
          QStringLiteral("\"a\" ,b"), QStringLiteral("\"\"\""), QStringLiteral("\"a\"\"")}) {
        EXPECT_TRUE(refuses(bad)) << bad.toStdString();
    }
}

TEST(CSVCodec, AFileEndingRightAfterACommaWasCutShort) {
    EXPECT_EQ(CSVCodec::decodeFile(QStringLiteral("\"a\",\"\"\r\n")),
              (QList<QStringList>{{QStringLiteral("a"), QString()}}));
    EXPECT_EQ(CSVCodec::decodeFile(QStringLiteral("\"a\"")),
              (QList<QStringList>{{QStringLiteral("a")}}));
    EXPECT_THROW(CSVCodec::decodeFile(QStringLiteral("\"a\",")), Error);
    EXPECT_FALSE(refuses(QStringLiteral("\"a\",")));
}

TEST(CSVCodec, RoundTripsTablesWithFields) {
    const QList<QStringList> table{
        {QStringLiteral("파일명"), QStringLiteral(""), QStringLiteral(" lead")},
        {QStringLiteral("a,\"b\"\r\nc"), QStringLiteral("\n"), QStringLiteral("\r")},
        {QStringLiteral("\"")},
        {bom, QStringLiteral("x")}};
    EXPECT_EQ(decode(CSVCodec::encode(table)), table);
}

TEST(CSVCodec, FileBytesMustBeValidUtf8) {
    EXPECT_EQ(CSVCodec::text(QByteArray("\xEF\xBB\xBF\"\xEA\xB0\x80\"")).right(3),
              QStringLiteral("\"가\""));
    for (const QByteArray& bad : {QByteArray("\"a\xFF\""), QByteArray("\xC0\xAF"),
                                  QByteArray("\xED\xA0\x80"), QByteArray("\xEA\xB0")}) {
        try {
            CSVCodec::text(bad);
            ADD_FAILURE() << bad.toHex().toStdString();
        } catch (const Error& error) {
            EXPECT_TRUE(CatalogError::isInvalidCSV(error));
        }
    }
}
