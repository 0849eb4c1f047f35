#include "model/option_sets.h"

#include <gtest/gtest.h>

using namespace lumivex;

namespace {

QStringList numbered(const QString& prefix, int count) {
    QStringList options;
    for (int i = 0; i < count; ++i) {
        options.append(prefix + QString::number(i));
    }
    return options;
}

}  // namespace

TEST(OptionSets, EqualListsShareASetAndAChangedListNeverGetsAnOldOne) {
    const QStringList many = numbered(QStringLiteral("kw-"), 500);
    QStringList copy;
    for (const QString& option : many) {
        copy.append(QString(option.constData(), option.size()));  // equal, shares nothing
    }
    const auto set = OptionSets::of(many);
    EXPECT_EQ(*set, QSet<QString>(many.begin(), many.end()));
    EXPECT_EQ(OptionSets::of(copy), set);

    copy[499] = QStringLiteral("renamed");
    const auto changed = OptionSets::of(copy);
    EXPECT_TRUE(changed->contains(QStringLiteral("renamed")));
    EXPECT_FALSE(changed->contains(QStringLiteral("kw-499")));
    copy.removeLast();
    EXPECT_EQ(OptionSets::of(copy)->size(), 499);

    const QStringList few{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a")};
    EXPECT_EQ(*OptionSets::of(few), (QSet<QString>{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(OptionSets::of({})->isEmpty());
}
