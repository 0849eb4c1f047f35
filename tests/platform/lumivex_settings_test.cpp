#include "platform/lumivex_settings.h"
#include "platform/user_defaults.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <limits>

namespace lumivex {
namespace {

using Key = LumivexSettings::Key;

class LumivexSettingsTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("defaults.json"))};
    LumivexSettings settings{defaults};
};

TEST_F(LumivexSettingsTest, AbsentOrWronglyTypedValuesReadAsTheFallbacks) {
    EXPECT_EQ(settings.photosPixels(), 360);
    EXPECT_EQ(settings.folderPixels(), 360);
    EXPECT_TRUE(settings.photosNetwork());
    EXPECT_EQ(settings.cardSize(), 210.0);
    EXPECT_EQ(settings.videoSkipSeconds(), 5);
    EXPECT_EQ(settings.previewWidth(), 850.0);
    EXPECT_EQ(settings.previewHeight(), 620.0);

    defaults.setText(LumivexSettings::keyName(Key::photosPixels), QStringLiteral("720"));
    defaults.setDouble(LumivexSettings::keyName(Key::folderPixels), 720.0);
    defaults.setInteger(LumivexSettings::keyName(Key::photosNetwork), 0);
    defaults.setBool(LumivexSettings::keyName(Key::cardSize), true);
    defaults.setDouble(LumivexSettings::keyName(Key::videoSkipSeconds), 10.7);
    defaults.setTextList(LumivexSettings::keyName(Key::previewWidth), {QStringLiteral("900")});
    EXPECT_EQ(settings.photosPixels(), 360);
    EXPECT_EQ(settings.folderPixels(), 360);
    EXPECT_TRUE(settings.photosNetwork());
    EXPECT_EQ(settings.cardSize(), 210.0);
    EXPECT_EQ(settings.videoSkipSeconds(), 5);
    EXPECT_EQ(settings.previewWidth(), 850.0);

    // A size stored as a whole number is still a size.
    defaults.setInteger(LumivexSettings::keyName(Key::cardSize), 250);
    EXPECT_EQ(settings.cardSize(), 250.0);
}

TEST_F(LumivexSettingsTest, TheSkipIntervalIsOneToThreeThousandSixHundredSeconds) {
    EXPECT_EQ(settings.skipInterval(), 5);
    for (const std::int64_t outside : {std::int64_t{0}, std::int64_t{3601}, std::int64_t{-10},
                                       std::numeric_limits<std::int64_t>::min()}) {
        settings.setVideoSkipSeconds(outside);
        EXPECT_EQ(settings.skipInterval(), 5) << outside;
        EXPECT_EQ(settings.videoSkipSeconds(), outside);
    }
    settings.setVideoSkipSeconds(3600);
    EXPECT_EQ(settings.skipInterval(), 3600);
    settings.setVideoSkipSeconds(1);
    EXPECT_EQ(settings.skipInterval(), 1);
    defaults.setText(LumivexSettings::keyName(Key::videoSkipSeconds), QStringLiteral("10"));
    EXPECT_EQ(settings.skipInterval(), 5);
}

TEST_F(LumivexSettingsTest, OnlyTheOfferedResolutionsAreRead) {
    for (const std::int64_t offered : LumivexSettings::resolutions) {
        EXPECT_EQ(LumivexSettings::offeredResolution(offered), offered);
    }
    EXPECT_EQ(LumivexSettings::offeredResolution(500), 360);
    EXPECT_EQ(LumivexSettings::offeredResolution(0), 360);
}

// Every view over the same defaults hears a change made through any other, once, by its own
// signal; keys of other settings are not announced.
TEST_F(LumivexSettingsTest, EachSettingAnnouncesItsOwnChanges) {
    LumivexSettings other(defaults);
    int skip = 0;
    int card = 0;
    int width = 0;
    int height = 0;
    QList<Key> any;
    QObject::connect(&other, &LumivexSettings::videoSkipSecondsChanged, [&] { ++skip; });
    QObject::connect(&other, &LumivexSettings::cardSizeChanged, [&] { ++card; });
    QObject::connect(&other, &LumivexSettings::previewWidthChanged, [&] { ++width; });
    QObject::connect(&other, &LumivexSettings::previewHeightChanged, [&] { ++height; });
    QObject::connect(&other, &LumivexSettings::changed, [&](Key key) { any.append(key); });

    settings.setVideoSkipSeconds(30);
    settings.setVideoSkipSeconds(30);  // unchanged: no signal
    EXPECT_EQ(skip, 1);
    EXPECT_EQ(card, 0);
    settings.setPreviewSize(900, 700);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(height, 1);
    defaults.setInteger(QStringLiteral("Lumivex.settings.videoVolume"), 1);
    EXPECT_EQ(any, (QList<Key>{Key::videoSkipSeconds, Key::previewWidth, Key::previewHeight}));
    EXPECT_EQ(other.videoSkipSeconds(), 30);
}

TEST_F(LumivexSettingsTest, KeysAreTheStoredNames) {
    EXPECT_EQ(LumivexSettings::keyName(Key::videoSkipSeconds),
              QStringLiteral("Lumivex.settings.videoSkipSeconds"));
    EXPECT_EQ(LumivexSettings::keyName(Key::previewHeight),
              QStringLiteral("Lumivex.settings.previewHeight"));
    EXPECT_EQ(LumivexSettings::keyNamed(QStringLiteral("Lumivex.settings.cardSize")),
              Key::cardSize);
    EXPECT_EQ(LumivexSettings::keyNamed(QStringLiteral("Lumivex.settings.cardsize")), std::nullopt);
}

}  // namespace
}  // namespace lumivex
