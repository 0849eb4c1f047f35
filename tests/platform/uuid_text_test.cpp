#include "platform/uuid_text.h"

#include <gtest/gtest.h>

using namespace lumivex;

// The text every catalog row holds: the standard form in upper case, and parsed back in either
// case to the same identifier.
TEST(UuidText, WritesTheStandardFormInUpperCaseAndReadsItBack) {
    EXPECT_EQ(UuidText::upper(QUuid()), QStringLiteral("00000000-0000-0000-0000-000000000000"));
    const QUuid known = QUuid::fromString(QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5f"));
    EXPECT_EQ(UuidText::upper(known), QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
    for (int i = 0; i < 1000; ++i) {
        const QUuid id = QUuid::createUuid();
        const QString text = UuidText::upper(id);
        EXPECT_EQ(text, id.toString(QUuid::WithoutBraces).toUpper());
        EXPECT_EQ(UuidText::parse(text), id);
        EXPECT_EQ(UuidText::parse(text.toLower()), id);
    }
    for (const QString& bad : {QStringLiteral("{e621e1f8-c36c-495a-93fc-0c247a3e6e5f}"),
                               QStringLiteral("e621e1f8c36c495a93fc0c247a3e6e5f"),
                               QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5g"),
                               QStringLiteral(" e621e1f8-c36c-495a-93fc-0c247a3e6e5")}) {
        EXPECT_FALSE(UuidText::parse(bad)) << bad.toStdString();
    }
}
