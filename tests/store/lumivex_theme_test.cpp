#include "store/lumivex_theme.h"
#include "platform/app_brand.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

void expectColour(const QColor& colour, float red, float green, float blue) {
    EXPECT_EQ(colour.spec(), QColor::Rgb);
    EXPECT_EQ(colour, QColor::fromRgbF(red, green, blue, 1.0f));
    EXPECT_NEAR(colour.redF(), red, 1.0 / 65535);
    EXPECT_NEAR(colour.greenF(), green, 1.0 / 65535);
    EXPECT_NEAR(colour.blueF(), blue, 1.0 / 65535);
    EXPECT_EQ(colour.alphaF(), 1.0f);
}

TEST(LumivexTheme, ColoursAreTheOpaqueSrgbInterfaceColours) {
    expectColour(LumivexTheme::accent(), 0.5f, 0.88f, 0.72f);
    expectColour(LumivexTheme::canvas(), 0.075f, 0.085f, 0.1f);
    expectColour(LumivexTheme::panel(), 0.095f, 0.108f, 0.124f);
}

TEST(LumivexTheme, EveryReadGivesTheSameConstant) {
    EXPECT_EQ(&LumivexTheme::accent(), &LumivexTheme::accent());
    EXPECT_EQ(&LumivexTheme::panel(), &LumivexTheme::panel());
}

TEST(AppBrand, NameAndVersionAreTheBuildConstants) {
    EXPECT_EQ(AppBrand::name(), QStringLiteral("Dovrin"));
    EXPECT_EQ(AppBrand::version(), QStringLiteral("0.1.0"));
}

}  // namespace
}  // namespace lumivex
