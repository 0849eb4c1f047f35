#include "inspector/property_option_picker_model.h"
#include "model/media_items.h"

#include <QSet>

#include <gtest/gtest.h>

#include <map>

namespace lumivex {
namespace {

using namespace Qt::StringLiterals;
using Action = PropertyOptionPickerModel::Action;

PropertyOptionPickerModel pickerOver(const QStringList& options, const QString& search = {}) {
    PropertyOptionPickerModel model;
    model.setOptions(options);
    model.setSearch(search);
    return model;
}

MediaItem holding(const QString& key, const QStringList& values) {
    MediaItem item;
    item.id = QUuid::createUuid();
    item.labels[key] = values;
    return item;
}

TEST(PropertyOptionPickerModel, ASearchShowsItsMatchesAndTheCreateRowAndArrowsCycleThroughThem) {
    PropertyOptionPickerModel model =
        pickerOver({QStringLiteral("Apple"), QStringLiteral("Banana")}, QStringLiteral("an"));
    EXPECT_EQ(model.rowIDs(),
              (QStringList{QStringLiteral("option:Banana"), QStringLiteral("create")}));
    model.moveHighlight(1);
    EXPECT_EQ(model.highlighted(), QStringLiteral("option:Banana"));
    model.moveHighlight(1);
    EXPECT_EQ(model.highlighted(), QStringLiteral("create"));
    model.moveHighlight(1);
    EXPECT_EQ(model.highlighted(), QStringLiteral("option:Banana"));
    model.moveHighlight(-1);
    EXPECT_EQ(model.highlighted(), QStringLiteral("create"));

    PropertyOptionPickerModel fresh =
        pickerOver({QStringLiteral("Apple"), QStringLiteral("Banana")}, QStringLiteral("an"));
    fresh.moveHighlight(-1);
    EXPECT_EQ(fresh.highlighted(), QStringLiteral("create"));
}

TEST(PropertyOptionPickerModel, TypingDropsTheHighlightSoEnterWorksFromTheText) {
    PropertyOptionPickerModel model =
        pickerOver({QStringLiteral("Apple"), QStringLiteral("Banana")});
    model.moveHighlight(1);
    EXPECT_EQ(model.submit(), (Action{Action::Kind::apply, QStringLiteral("Apple")}));
    model.setSearch(QStringLiteral("Ban"));
    EXPECT_FALSE(model.highlighted());
    EXPECT_EQ(model.submit(), (Action{Action::Kind::apply, QStringLiteral("Ban")}));
}

TEST(PropertyOptionPickerModel,
     EnterAppliesAnExistingOptionInItsStoredFormOrCreatesTheTrimmedText) {
    PropertyOptionPickerModel model =
        pickerOver({QStringLiteral("Apple")}, QStringLiteral("apple"));
    EXPECT_FALSE(model.canCreate());
    EXPECT_EQ(model.rowIDs(), QStringList{QStringLiteral("option:Apple")});
    EXPECT_EQ(model.submit(), (Action{Action::Kind::apply, QStringLiteral("Apple")}));

    model.setSearch(QStringLiteral("  pear  "));
    EXPECT_EQ(model.createText(), QStringLiteral("pear"));
    EXPECT_EQ(model.submit(), (Action{Action::Kind::apply, QStringLiteral("pear")}));
    model.moveHighlight(1);
    EXPECT_EQ(model.highlighted(), QStringLiteral("create"));
    EXPECT_EQ(model.submit(), (Action{Action::Kind::apply, QStringLiteral("pear")}));
}

TEST(PropertyOptionPickerModel, ABlankFieldAppliesTheFirstOptionAndNothingWithoutOptions) {
    EXPECT_EQ(
        pickerOver({QStringLiteral("B"), QStringLiteral("A")}, QStringLiteral("   ")).submit(),
        (Action{Action::Kind::apply, QStringLiteral("B")}));
    PropertyOptionPickerModel empty = pickerOver({});
    EXPECT_TRUE(empty.rowIDs().isEmpty());
    EXPECT_EQ(empty.submit(), Action{});
    empty.moveHighlight(1);
    EXPECT_FALSE(empty.highlighted());
}

TEST(PropertyOptionPickerModel, CountsComeFromOnePassAndDecideWhatATapDoes) {
    const QString key = QStringLiteral("K");
    const MediaItems selected{holding(key, {QStringLiteral("A"), QStringLiteral("B")}),
                              holding(key, {QStringLiteral("A"), QStringLiteral("A")}),
                              holding(QStringLiteral("other"), {QStringLiteral("A")})};
    PropertyOptionPickerModel model =
        pickerOver({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    model.setHoldings(PropertyOptionPickerModel::holdings(selected).value(key));
    EXPECT_EQ(model.count(QStringLiteral("A")), 2);
    EXPECT_EQ(model.count(QStringLiteral("B")), 1);
    EXPECT_EQ(model.holdingsOf().total, 3);
    EXPECT_EQ(model.selectedLabels(),
              (QList<std::pair<QString, int>>{{QStringLiteral("A"), 2}, {QStringLiteral("B"), 1}}));
    // Two of three hold A: a tap adds it to the third, whatever the kind.
    EXPECT_EQ(model.tap(QStringLiteral("A"), PropertyKind::multiSelect).kind, Action::Kind::apply);

    const MediaItems all{holding(key, {QStringLiteral("A")}), holding(key, {QStringLiteral("A")})};
    model.setHoldings(PropertyOptionPickerModel::holdings(all).value(key));
    EXPECT_EQ(model.tap(QStringLiteral("A"), PropertyKind::multiSelect),
              (Action{Action::Kind::remove, QStringLiteral("A")}));
    EXPECT_EQ(model.tap(QStringLiteral("A"), PropertyKind::singleSelect).kind, Action::Kind::apply);
}

TEST(PropertyOptionPickerModel, EmptyValueListsHoldNothing) {
    const QString key = QStringLiteral("K");
    const auto held = PropertyOptionPickerModel::holdings(MediaItems{holding(key, {})}).value(key);
    EXPECT_FALSE(held.anyValue);
    EXPECT_TRUE(held.counts.isEmpty());
    EXPECT_EQ(held.total, 1);
    EXPECT_TRUE(
        PropertyOptionPickerModel::holdings(MediaItems{holding(key, {QStringLiteral("stray")})})
            .value(key)
            .anyValue);
}

// Equal texts stored once, stored apart, or one stored text seen through a shorter view: the
// counts are by text, as a count that reads every value gives them. The selection is large
// enough to be counted in parts, and one property first appears in the last of them.
TEST(PropertyOptionPickerModel, CountsAreByTextHoweverTheTextsAreStored) {
    const QString key = QStringLiteral("K");
    const QString other = QStringLiteral("L");
    const QString pooled = QString::fromLatin1("sea");
    const QString longer = QString::fromLatin1("seashore");
    const QString viewed = QString::fromRawData(longer.constData(), 3);  // "sea", in "seashore"
    MediaItems items;
    std::map<QString, std::map<QString, int>> expected;
    const QString late = QStringLiteral("M");
    constexpr int total = 2600;
    for (int i = 0; i < total; ++i) {
        QStringList values;
        switch (i % 5) {
            case 0:
                values = {pooled};
                break;
            case 1:
                values = {QString::fromLatin1("sea"), longer};
                break;
            case 2:
                values = {viewed, pooled, QString::fromLatin1("sky")};
                break;
            case 3:
                values = {longer, QString::fromLatin1("sky"), QString::fromLatin1("sky")};
                break;
            default:
                values = {};
                break;
        }
        const QString& property = i > 2500 && i % 7 == 0 ? late : i % 3 == 0 ? other : key;
        MediaItem item = holding(property, values);
        for (const QString& value : QSet<QString>(values.cbegin(), values.cend())) {
            ++expected[property][value];
        }
        items.append(item);
    }
    const QHash<QString, PropertyOptionPickerModel::Holdings> held =
        PropertyOptionPickerModel::holdings(items);
    ASSERT_EQ(held.size(), 3);
    for (const auto& [property, counts] : expected) {
        const PropertyOptionPickerModel::Holdings& holdings = held[property];
        EXPECT_EQ(holdings.total, total);
        EXPECT_TRUE(holdings.anyValue);
        EXPECT_EQ(holdings.counts.size(), static_cast<qsizetype>(counts.size()));
        for (const auto& [value, count] : counts) {
            EXPECT_EQ(holdings.counts.value(value), count) << value.toStdString();
        }
    }
}

TEST(PropertyOptionPickerModel, TheListIsThirtyEightARowWithinItsBounds) {
    EXPECT_EQ(PropertyOptionPickerModel::listHeight(12), 280);
    EXPECT_EQ(PropertyOptionPickerModel::listHeight(1), 50);
    EXPECT_EQ(PropertyOptionPickerModel::listHeight(0), 48);
}

TEST(PropertyOptionPickerModel, ADropMovesToItsGapButNotBesideItself) {
    using Move = PropertyOptionPickerModel::Move;
    PropertyOptionPickerModel model;
    model.setOptions({u"A1"_s, u"B"_s, u"A2"_s, u"C"_s});
    EXPECT_FALSE(model.dropAt(0));
    model.startDrag(u"B"_s);
    EXPECT_FALSE(model.dropAt(1));
    EXPECT_FALSE(model.dropAt(2));
    EXPECT_EQ(model.dropAt(0), (Move{u"B"_s, u"A1"_s}));
    EXPECT_EQ(model.dropAt(9), (Move{u"B"_s, std::nullopt}));
    // After the last of the matches a search leaves: before the option that follows it.
    model.setSearch(u"A"_s);
    model.startDrag(u"A1"_s);
    EXPECT_EQ(model.dropAt(2), (Move{u"A1"_s, u"C"_s}));
    model.endDrag();
    EXPECT_FALSE(model.dropAt(0));
}

}  // namespace
}  // namespace lumivex
