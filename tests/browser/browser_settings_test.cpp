#include "browser/browser_settings.h"
#include "model/library.h"
#include "platform/user_defaults.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <limits>

namespace lumivex {
namespace {

class BrowserSettingsTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("defaults.json"))};
};

TEST_F(BrowserSettingsTest, CardSizeIsKeptInTheSliderRangeOnEveryRead) {
    EXPECT_EQ(BrowserSettings::cardSize(defaults), 210);
    const std::pair<double, double> cases[] = {
        {-16, 160},
        {0, 160},
        {159.9, 160},
        {233.5, 233.5},
        {290.1, 290},
        {1e300, 290},
        {std::numeric_limits<double>::quiet_NaN(), 210},
        {std::numeric_limits<double>::infinity(), 210},
        {-std::numeric_limits<double>::infinity(), 210},
    };
    for (const auto& [stored, read] : cases) {
        defaults.setDouble(BrowserSettings::cardSizeKey, stored);
        EXPECT_EQ(BrowserSettings::cardSize(defaults), read) << stored;
    }
    defaults.setInteger(BrowserSettings::cardSizeKey, 250);
    EXPECT_EQ(BrowserSettings::cardSize(defaults), 250);
    defaults.setInteger(BrowserSettings::cardSizeKey, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(BrowserSettings::cardSize(defaults), 160);
    defaults.setText(BrowserSettings::cardSizeKey, QStringLiteral("big"));
    EXPECT_EQ(BrowserSettings::cardSize(defaults), 210);
}

TEST_F(BrowserSettingsTest, WritesOnlyCardSizesInRange) {
    BrowserSettings::setCardSize(defaults, 1000);
    EXPECT_EQ(defaults.doubleValue(BrowserSettings::cardSizeKey), 290.0);
    BrowserSettings::setCardSize(defaults, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(defaults.doubleValue(BrowserSettings::cardSizeKey), 210.0);
}

TEST_F(BrowserSettingsTest, ThumbnailSizesAreTheOfferedResolutions) {
    MediaItem folderItem;
    folderItem.fileIdentity = QStringLiteral("64769:12:0.0");
    MediaItem photosItem;
    photosItem.fileIdentity = QStringLiteral("photos:pictures/a.jpg");
    EXPECT_EQ(BrowserSettings::thumbnailPixels(defaults, folderItem), 360);
    defaults.setInteger(BrowserSettings::folderPixelsKey, 500);
    defaults.setInteger(BrowserSettings::photosPixelsKey, 720);
    EXPECT_EQ(BrowserSettings::thumbnailPixels(defaults, folderItem), 360);
    EXPECT_EQ(BrowserSettings::thumbnailPixels(defaults, photosItem), 720);
    defaults.setInteger(BrowserSettings::folderPixelsKey, 144);
    EXPECT_EQ(BrowserSettings::thumbnailPixels(defaults, folderItem), 144);
    defaults.setDouble(BrowserSettings::photosPixelsKey, 480.0);
    EXPECT_EQ(BrowserSettings::thumbnailPixels(defaults, photosItem), 360);
}

}  // namespace
}  // namespace lumivex
