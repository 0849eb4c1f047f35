#include "platform/text_order.h"

#include <QHash>
#include <QLocale>
#include <QSet>

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

TEST(TextOrder, OnlyTextsThatCannotComposeAreKnownComposed) {
    EXPECT_TRUE(TextOrder::knownComposed(u""));
    EXPECT_TRUE(TextOrder::knownComposed(u"set-03/album-0421/IMG_000123.jpg"));
    EXPECT_TRUE(TextOrder::knownComposed(u"사진/여름 \u00e9\u02ff"));
    // A combining mark, a jamo, a text beyond Hangul syllables and a surrogate pair, each also
    // far into a long text.
    for (const QString& tail :
         {QStringLiteral("e\u0301"), QStringLiteral("\u1100\u1161"), QStringLiteral("\uD7A4"),
          QStringLiteral("\U0001F600"), QStringLiteral("\u212B")}) {
        EXPECT_FALSE(TextOrder::knownComposed(tail));
        const QString longer = QString(37, u'a') + tail + QStringLiteral("b");
        EXPECT_FALSE(TextOrder::knownComposed(longer));
        EXPECT_EQ(TextOrder::nfc(longer), longer.normalized(QString::NormalizationForm_C));
    }
}

namespace {

// Texts that the case-insensitive rule must sort into the right classes: case (full folding),
// canonical equivalence, and the differences it keeps (accents, width, kana, invisible marks).
const QStringList caseSamples{QStringLiteral("Stra\u00dfe"),
                              QStringLiteral("STRASSE"),
                              QStringLiteral("strasse"),
                              QStringLiteral("STRA\u1e9eE"),
                              QStringLiteral("strase"),
                              QStringLiteral("\ufb01le"),
                              QStringLiteral("FILE"),
                              QStringLiteral("caf\u00e9"),
                              QStringLiteral("CAFE\u0301"),
                              QStringLiteral("cafe"),
                              QStringLiteral("tag"),
                              QStringLiteral("\uff34\uff21\uff27"),
                              QStringLiteral("\uff54\uff41\uff47"),
                              QStringLiteral("tag\u200b"),
                              QStringLiteral("\u30ab"),
                              QStringLiteral("\u304b"),
                              QStringLiteral("\uff76"),
                              QStringLiteral("\u03a3\u0391"),
                              QStringLiteral("\u03c3\u03b1"),
                              QStringLiteral("\u03c2\u03b1"),
                              QStringLiteral("\u1f88"),
                              QStringLiteral("\u1f00\u03b9"),
                              QStringLiteral("가족"),
                              QStringLiteral("\u1100\u1161\uc871"),
                              QString()};

}  // namespace

TEST(TextOrder, CaseInsensitiveEqualityFoldsCaseFullyAndKeepsEverythingElse) {
    const auto equal = [](const char16_t* a, const char16_t* b) {
        return TextOrder::equalIgnoringCase(QString::fromUtf16(a), QString::fromUtf16(b));
    };
    EXPECT_TRUE(equal(u"Stra\u00dfe", u"STRASSE"));
    EXPECT_TRUE(equal(u"STRA\u1e9eE", u"strasse"));
    EXPECT_TRUE(equal(u"\ufb01le", u"FILE"));
    EXPECT_TRUE(equal(u"caf\u00e9", u"CAFE\u0301"));
    EXPECT_TRUE(equal(u"\u03a3\u0391", u"\u03c2\u03b1"));
    EXPECT_TRUE(equal(u"가족", u"\u1100\u1161\uc871"));
    EXPECT_FALSE(equal(u"caf\u00e9", u"cafe"));
    EXPECT_FALSE(equal(u"\uff34\uff21\uff27", u"tag"));
    EXPECT_FALSE(equal(u"\u30ab", u"\u304b"));
    EXPECT_FALSE(equal(u"\u30ab", u"\uff76"));
    EXPECT_FALSE(equal(u"tag\u200b", u"tag"));
    EXPECT_FALSE(equal(u"strase", u"Stra\u00dfe"));
    EXPECT_TRUE(equal(u"", u""));
}

TEST(TextOrder, ContainmentAndHashedKeysAgreeWithEquality) {
    QHash<QString, qsizetype> classOfKey;
    for (const QString& a : caseSamples) {
        const qsizetype index = caseSamples.indexOf(a);
        classOfKey.insert(TextOrder::caseFoldKey(a),
                          classOfKey.value(TextOrder::caseFoldKey(a), index));
        for (const QString& b : caseSamples) {
            const bool equal = TextOrder::equalIgnoringCase(a, b);
            const bool mutual = TextOrder::localizedCaseInsensitiveContains(a, b) &&
                                TextOrder::localizedCaseInsensitiveContains(b, a);
            EXPECT_EQ(equal, mutual) << a.toStdString() << " / " << b.toStdString();
            EXPECT_EQ(equal, TextOrder::caseFoldKey(a) == TextOrder::caseFoldKey(b));
            if (equal) {
                EXPECT_EQ(qHash(TextOrder::caseFoldKey(a)), qHash(TextOrder::caseFoldKey(b)));
            }
        }
    }
    QSet<QString> keys;
    for (const QString& text : caseSamples) {
        keys.insert(TextOrder::caseFoldKey(text));
    }
    EXPECT_EQ(keys.size(), classOfKey.size());
    EXPECT_TRUE(keys.contains(TextOrder::caseFoldKey(QStringLiteral("sTrAsSe"))));
    EXPECT_FALSE(keys.contains(TextOrder::caseFoldKey(QStringLiteral("\uff33\uff34"))));
}

TEST(TextOrder, ContainmentSearchesTheFoldedText) {
    const auto contains = [](const char16_t* haystack, const char16_t* needle) {
        return TextOrder::localizedCaseInsensitiveContains(QString::fromUtf16(haystack),
                                                           QString::fromUtf16(needle));
    };
    EXPECT_TRUE(contains(u"gro\u00dfe Stra\u00dfe.jpg", u"STRASSE"));
    EXPECT_TRUE(contains(u"gro\u00dfe Stra\u00dfe.jpg", u"E STR"));
    EXPECT_TRUE(contains(u"STRASSE", u"\u00df"));
    EXPECT_TRUE(contains(u"\ufb01le.jpg", u"FI"));
    EXPECT_TRUE(contains(u"x CAFE\u0301 y", u"caf\u00e9"));
    EXPECT_FALSE(contains(u"caf\u00e9", u"cafe"));
    EXPECT_FALSE(contains(u"\uff34\uff21\uff27 1", u"tag"));
    EXPECT_FALSE(contains(u"\u30ab\u30e1\u30e9", u"\u304b"));
    EXPECT_TRUE(contains(u"anything", u""));
}

// Run once in the test environment's locale and once more under a Turkish one (see
// tests/CMakeLists.txt).
TEST(TextOrder, DottedAndDotlessIFoldAsTheLocaleSays) {
    const QString capital = QStringLiteral("I"), dotted = QStringLiteral("\u0130");
    const QString small = QStringLiteral("i"), dotless = QStringLiteral("\u0131");
    const bool turkic = QLocale::system().language() == QLocale::Turkish;
    ASSERT_EQ(turkic, qEnvironmentVariable("LC_ALL").startsWith(u"tr_"));
    EXPECT_EQ(TextOrder::equalIgnoringCase(capital, small), !turkic);
    EXPECT_EQ(TextOrder::equalIgnoringCase(capital, dotless), turkic);
    EXPECT_EQ(TextOrder::equalIgnoringCase(dotted, small), turkic);
    EXPECT_EQ(TextOrder::localizedCaseInsensitiveContains(QStringLiteral("IMG_1.JPG"),
                                                          QStringLiteral("img")),
              !turkic);
    EXPECT_TRUE(
        TextOrder::equalIgnoringCase(QStringLiteral("Stra\u00dfe"), QStringLiteral("STRASSE")));
}
