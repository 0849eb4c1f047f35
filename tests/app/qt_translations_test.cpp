#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace lumivex::test {
namespace {

// Qt's standard buttons read in Korean once the translations are in, whatever the locale.
TEST(QtTranslations, StandardButtonsFollowTheKoreanInterface) {
    ASSERT_TRUE(QtTranslations::install(*QCoreApplication::instance()));
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("취소"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("확인"));
}

}  // namespace
}  // namespace lumivex::test
