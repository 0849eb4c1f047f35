#include "browser/browser_settings.h"
#include "model/library.h"
#include "platform/lumivex_settings.h"
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
    LumivexSettings settings{defaults};
};

TEST_F(BrowserSettingsTest, CardSizeIsKeptInTheSliderRangeOnEveryRead) {
    EXPECT_EQ(BrowserSettings::cardSize(settings), 210);
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
        defaults.setDouble(LumivexSettings::keyName(LumivexSettings::Key::cardSize), stored);
        EXPECT_EQ(BrowserSettings::cardSize(settings), read) << stored;
    }
    defaults.setInteger(LumivexSettings::keyName(LumivexSettings::Key::cardSize), 250);
    EXPECT_EQ(BrowserSettings::cardSize(settings), 250);
    defaults.setInteger(LumivexSettings::keyName(LumivexSettings::Key::cardSize),
                        std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(BrowserSettings::cardSize(settings), 160);
    defaults.setText(LumivexSettings::keyName(LumivexSettings::Key::cardSize),
                     QStringLiteral("big"));
    EXPECT_EQ(BrowserSettings::cardSize(settings), 210);
}

TEST_F(BrowserSettingsTest, WritesOnlyCardSizesInRange) {
    BrowserSettings::setCardSize(settings, 1000);
    EXPECT_EQ(defaults.doubleValue(LumivexSettings::keyName(LumivexSettings::Key::cardSize)),
              290.0);
    BrowserSettings::setCardSize(settings, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(defaults.doubleValue(LumivexSettings::keyName(LumivexSettings::Key::cardSize)),
              210.0);
}

TEST_F(BrowserSettingsTest, ThumbnailSizesAreTheOfferedResolutions) {
    MediaItem folderItem;
    folderItem.fileIdentity = QStringLiteral("64769:12:0.0");
    MediaItem photosItem;
    photosItem.fileIdentity = QStringLiteral("photos:pictures/a.jpg");
    EXPECT_EQ(BrowserSettings::thumbnailPixels(settings, folderItem), 360);
    defaults.setInteger(LumivexSettings::keyName(LumivexSettings::Key::folderPixels), 500);
    defaults.setInteger(LumivexSettings::keyName(LumivexSettings::Key::photosPixels), 720);
    EXPECT_EQ(BrowserSettings::thumbnailPixels(settings, folderItem), 360);
    EXPECT_EQ(BrowserSettings::thumbnailPixels(settings, photosItem), 720);
    defaults.setInteger(LumivexSettings::keyName(LumivexSettings::Key::folderPixels), 144);
    EXPECT_EQ(BrowserSettings::thumbnailPixels(settings, folderItem), 144);
    defaults.setDouble(LumivexSettings::keyName(LumivexSettings::Key::photosPixels), 480.0);
    EXPECT_EQ(BrowserSettings::thumbnailPixels(settings, photosItem), 360);
}

}  // namespace
}  // namespace lumivex
