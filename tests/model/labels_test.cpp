#include "model/labels.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

const QString people = QStringLiteral("A1");
const QString places = QStringLiteral("B2");

// Copies share one map until one of them changes; a change must never reach the other copy.
TEST(Labels, ACopyPartsFromItsOriginalOnTheFirstChangeOnly) {
    const Labels original{{people, {QStringLiteral("엄마")}}, {places, {QStringLiteral("서울")}}};
    Labels copy = original;
    EXPECT_EQ(copy, original);

    copy[people].append(QStringLiteral("아빠"));
    EXPECT_EQ(original.at(people), QStringList{QStringLiteral("엄마")});
    EXPECT_EQ(copy.at(people), (QStringList{QStringLiteral("엄마"), QStringLiteral("아빠")}));
    EXPECT_FALSE(copy == original);

    Labels erased = original;
    EXPECT_EQ(erased.erase(QStringLiteral("missing")), 0u);
    EXPECT_EQ(erased, original);
    EXPECT_EQ(erased.erase(places), 1u);
    EXPECT_EQ(original.count(places), 1u);
    EXPECT_FALSE(erased.contains(places));

    Labels assigned = original;
    assigned.insert_or_assign(places, {QStringLiteral("부산")});
    EXPECT_FALSE(assigned.emplace(places, QStringList{QStringLiteral("제주")}).second);
    EXPECT_TRUE(assigned.insert({QStringLiteral("C3"), {}}).second);
    EXPECT_EQ(original.at(places), QStringList{QStringLiteral("서울")});
    EXPECT_EQ(assigned.at(places), QStringList{QStringLiteral("부산")});
    EXPECT_EQ(assigned.size(), 3u);

    Labels cleared = original;
    cleared.clear();
    EXPECT_TRUE(cleared.empty());
    EXPECT_EQ(original.size(), 2u);
}

// Equality looks at the values, not at how the maps came about.
TEST(Labels, EqualityComparesValuesAndTreatsNoMapAsEmpty) {
    Labels built;
    built[places] = {QStringLiteral("서울")};
    built[people] = {QStringLiteral("엄마")};
    const Labels listed{{people, {QStringLiteral("엄마")}}, {places, {QStringLiteral("서울")}}};
    EXPECT_EQ(built, listed);

    Labels emptied = listed;
    emptied.erase(people);
    emptied.erase(places);
    EXPECT_EQ(emptied, Labels());
    EXPECT_EQ(Labels({}), Labels());
    EXPECT_FALSE(Labels().contains(people));

    QStringList keys;
    for (const auto& [key, values] : listed) {
        keys.append(key + u'=' + values.join(u','));
    }
    EXPECT_EQ(keys, (QStringList{QStringLiteral("A1=엄마"), QStringLiteral("B2=서울")}));
}

}  // namespace
}  // namespace lumivex
