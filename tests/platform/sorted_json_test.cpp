#include "platform/sorted_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lumivex;

TEST(SortedJson, SortsKeysAtEveryLevelWithoutSpaces) {
    const QJsonObject inner{{QStringLiteral("b"), 1}, {QStringLiteral("a"), true}};
    const QJsonObject outer{{QStringLiteral("z"), QJsonArray{inner, QJsonValue()}},
                            {QStringLiteral("B"), false},
                            {QStringLiteral("가"), QStringLiteral("x")}};
    EXPECT_EQ(SortedJson::encode(outer),
              QByteArray("{\"B\":false,\"z\":[{\"a\":true,\"b\":1},null],\"\xEA\xB0\x80\":\"x\"}"));
    EXPECT_EQ(SortedJson::encode(QJsonObject()), QByteArray("{}"));
    EXPECT_EQ(SortedJson::encode(QJsonArray()), QByteArray("[]"));
}

TEST(SortedJson, EscapesOnlyWhatJsonNeedsAndSlashes) {
    EXPECT_EQ(SortedJson::encode(QStringLiteral("a/b\"c\\d")), QByteArray("\"a\\/b\\\"c\\\\d\""));
    EXPECT_EQ(SortedJson::encode(QString::fromUtf16(u"\b\f\n\r\t\x01\x1F\x7F")),
              QByteArray("\"\\b\\f\\n\\r\\t\\u0001\\u001f\x7F\""));
    EXPECT_EQ(SortedJson::encode(QString(QChar(0))), QByteArray("\"\\u0000\""));
    EXPECT_EQ(SortedJson::encode(QStringLiteral("\"\"x\n")), QByteArray("\"\\\"\\\"x\\n\""));
    EXPECT_EQ(SortedJson::encode(QStringLiteral("사람 😀 é")),
              QStringLiteral("\"사람 😀 é\"").toUtf8());
}

TEST(SortedJson, WritesIntegersWholeAndOtherNumbersShortest) {
    EXPECT_EQ(SortedJson::encode(QJsonValue(1.0)), QByteArray("1"));
    EXPECT_EQ(SortedJson::encode(QJsonValue(-0.0)), QByteArray("0"));
    EXPECT_EQ(SortedJson::encode(QJsonValue(0.1)), QByteArray("0.1"));
    EXPECT_EQ(SortedJson::encode(QJsonValue(720000000.25)), QByteArray("720000000.25"));
    EXPECT_EQ(SortedJson::encode(QJsonValue(qint64(9007199254740993))),
              QByteArray("9007199254740993"));
    EXPECT_EQ(SortedJson::encode(QJsonValue(std::numeric_limits<qint64>::min())),
              QByteArray("-9223372036854775808"));
    EXPECT_EQ(SortedJson::encode(QJsonValue(1e300)), QByteArray("1e+300"));
    EXPECT_EQ(SortedJson::encode(QJsonValue(std::nan(""))), QByteArray("null"));
}

// Qt's reader alone drops a U+FEFF that opens a text, in values and keys alike.
TEST(SortedJson, DecodesEveryTextExactlyAsWritten) {
    const QString mark(QChar(0xFEFF));
    const QJsonArray texts{mark,
                           mark + QStringLiteral("new"),
                           mark + mark,
                           QStringLiteral("a") + mark,
                           QStringLiteral("\\") + mark,
                           QStringLiteral("\\\\") + mark + QStringLiteral("\n"),
                           mark + QStringLiteral("\"/")};
    const QJsonObject document{{QStringLiteral("texts"), texts}, {mark, mark}};
    const std::optional<QJsonDocument> decoded = SortedJson::decode(SortedJson::encode(document));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->object(), document);
}

TEST(SortedJson, DecodeRefusesWhatIsNotStrictJson) {
    for (const QByteArray& bytes :
         {QByteArray("\"\xFF\""), QByteArray("[\"\xC0\xAF\"]"), QByteArray("{"),
          QByteArray("[\"\\\xEF\xBB\xBF\"]"), QByteArray("[\"\\\\\\\xEF\xBB\xBF\"]"),
          QByteArray("\xEF\xBB\xBF[]"), QByteArray("[1]\xEF\xBB\xBF")}) {
        EXPECT_FALSE(SortedJson::decode(bytes).has_value()) << bytes.toHex().constData();
    }
    EXPECT_TRUE(SortedJson::decode("[\"\\\\\xEF\xBB\xBF\"]").has_value());
}
