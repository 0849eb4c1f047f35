#include "platform/small_text_set.h"

#include <gtest/gtest.h>

using namespace lumivex;

// The set answers alike before and after it outgrows its list.
TEST(SmallTextSet, KeepsEveryTextOnceAcrossItsGrowth) {
    SmallTextSet set;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 40; ++i) {
            const QString text = QStringLiteral("값 %1").arg(i);
            EXPECT_EQ(set.insert(text), round == 0) << i;
            EXPECT_TRUE(set.contains(text));
            EXPECT_FALSE(set.contains(QStringLiteral("값 %1").arg(i + 1000)));
        }
    }
    EXPECT_TRUE(set.insert(QString()));
    EXPECT_FALSE(set.insert(QStringLiteral("")));
}
