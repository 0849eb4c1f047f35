#include "platform/text_order.h"

#include <gtest/gtest.h>

using namespace lumivex;

TEST(TextOrder, FileBrowserOrderIsNumericAndCaseInsensitive) {
    QStringList names{QStringLiteral("img10.jpg"), QStringLiteral("IMG3.jpg"),
                      QStringLiteral("img2.jpg"), QStringLiteral("b"), QStringLiteral("A")};
    TextOrder::sortLocalizedStandard(names);
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("img2.jpg"),
                           QStringLiteral("IMG3.jpg"), QStringLiteral("img10.jpg")}));
    EXPECT_LT(
        TextOrder::localizedStandardCompare(QStringLiteral("photo 2"), QStringLiteral("photo 10")),
        0);
}

TEST(TextOrder, CaseDifferencesAreBrokenByCodePoint) {
    EXPECT_NE(TextOrder::localizedStandardCompare(QStringLiteral("a"), QStringLiteral("A")), 0);
    const QString composed = QStringLiteral("\u1100\u1161");  // 가 as jamo
    EXPECT_EQ(TextOrder::localizedStandardCompare(QStringLiteral("가"), composed), 0);
    EXPECT_TRUE(TextOrder::canonicallyEqual(QStringLiteral("가"), composed));
}

TEST(TextOrder, PlainOrderIsCodePointOrder) {
    // U+FF21 sorts before U+1F600 by code point, though its UTF-16 unit is larger.
    EXPECT_LT(TextOrder::plainCompare(QStringLiteral("\uFF21"), QStringLiteral("\U0001F600")), 0);
    EXPECT_LT(TextOrder::plainCompare(QStringLiteral("B"), QStringLiteral("a")), 0);
}

TEST(TextOrder, ContainmentIgnoresCase) {
    EXPECT_TRUE(TextOrder::localizedCaseInsensitiveContains(QStringLiteral("trip/x.mov"),
                                                            QStringLiteral("Trip")));
    EXPECT_FALSE(TextOrder::localizedCaseInsensitiveContains(QStringLiteral("trap"),
                                                             QStringLiteral("trip")));
    EXPECT_EQ(TextOrder::trimmed(QStringLiteral("  Trip\n")), QStringLiteral("Trip"));
}

TEST(TextOrder, PrecomposedHangulStaysAsItIsButJamoCompose) {
    EXPECT_EQ(TextOrder::nfc(QStringLiteral("서울 Trip")), QStringLiteral("서울 Trip"));
    // A syllable followed by a trailing consonant jamo composes into one syllable.
    EXPECT_EQ(TextOrder::nfc(QStringLiteral("\uAC00\u11A8")), QStringLiteral("\uAC01"));
    EXPECT_EQ(TextOrder::nfc(QStringLiteral("\u1100\u1161\u11A8")), QStringLiteral("\uAC01"));
    EXPECT_EQ(TextOrder::nfc(QStringLiteral("e\u0301")), QStringLiteral("\u00e9"));
}
