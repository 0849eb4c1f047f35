#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_consent_dialog.h"
#include "media_views/view_screenshots.h"
#include "panels/discrete_settings_slider.h"
#include "panels/lumivex_settings_view.h"
#include "panels/resolution_slider.h"
#include "panels/video_skip_seconds_control.h"
#include "platform/lumivex_settings.h"
#include "platform/user_defaults.h"
#include "support/fake_photo_library.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace lumivex {
namespace {

using Key = LumivexSettings::Key;

TEST(VideoSkipSecondsControl, TypedTextBecomesAWholeNumberOfSecondsWithinTheRange) {
    const std::pair<const char*, std::int64_t> cases[] = {
        {" 45 ", 45},   {"0", 1},    {"-5", 1},   {"4000", 3600}, {"99999", 3600},
        {"+30", 30},    {"1e3", 12}, {"3.5", 12}, {"", 12},       {"abc", 12},
        {"1,000", 12},  {"+", 12},   {"+-3", 12}, {"4 5", 12},    {"99999999999999999999", 12},
        {"\uFF15", 12},
    };
    for (const auto& [typed, stored] : cases) {
        EXPECT_EQ(VideoSkipSecondsControl::enteredSeconds(true, QString::fromUtf8(typed), 12),
                  stored)
            << typed;
    }
    EXPECT_EQ(VideoSkipSecondsControl::enteredSeconds(false, QStringLiteral("40"), 12), 12);
}

TEST(DiscreteSettingsSlider, ClicksAndKeysLandOnWholeStops) {
    EXPECT_EQ(DiscreteSettingsSlider::stopAt(100, 332, 6), 1);
    EXPECT_EQ(DiscreteSettingsSlider::stopAt(0, 332, 6), 0);
    EXPECT_EQ(DiscreteSettingsSlider::stopAt(1000, 332, 6), 5);
    EXPECT_EQ(DiscreteSettingsSlider::stopAt(15, 20, 6), 0);  // a track of one pixel
    EXPECT_EQ(DiscreteSettingsSlider::stopAt(18, 20, 6), 5);
    EXPECT_EQ(DiscreteSettingsSlider::stepped(5.5, 1, 14), 7);
    EXPECT_EQ(DiscreteSettingsSlider::stepped(5.5, -1, 14), 5);
    EXPECT_EQ(DiscreteSettingsSlider::stepped(0, -1, 6), 0);
    EXPECT_EQ(DiscreteSettingsSlider::stepped(5, 1, 6), 5);

    double index = 0;
    std::vector<double> writes;
    DiscreteSettingsSlider slider(
        {[&] { return index; },
         [&](double value) {
             writes.push_back(value);
             index = value;
         }},
        6, {}, QStringLiteral("t"), [] { return QString(); }, Qt::green);
    slider.resize(332, 28);
    slider.show();
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(100, 14));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(slider.hasFocus() || QApplication::focusWidget() == nullptr);
    index = 0;
    QTest::keyClick(&slider, Qt::Key_Left);  // handled at the end too, writing the same stop
    EXPECT_EQ(writes.back(), 0);
    EXPECT_EQ(ResolutionSlider::indexOf(1080), 5);
    EXPECT_EQ(ResolutionSlider::indexOf(500), 2);
    EXPECT_EQ(ResolutionSlider::pixelsAt(4.4), 720);
    EXPECT_EQ(ResolutionSlider::pixelsAt(-3), 144);
}

class SettingsWindowTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("defaults.json"))};
    LumivexSettings settings{defaults};
    test::FakePhotoLibrary photos;
    PhotoConsentDialog dialog;
    LumivexPhotoAccessGuide guide{dialog, [](PhotoConsentAnswer) {}};
    int chosen = 0;
    std::unique_ptr<LumivexSettingsView> window;

    LumivexSettingsView& open() {
        window =
            std::make_unique<LumivexSettingsView>(defaults, photos, guide, [this] { ++chosen; });
        window->show();
        return *window;
    }
};

TEST_F(SettingsWindowTest, OpeningRepairsTheSkipIntervalAndWritesWhileOpenAreClamped) {
    for (const std::int64_t stored : {std::int64_t{0}, std::int64_t{-4}, std::int64_t{7200}}) {
        window.reset();
        settings.setVideoSkipSeconds(stored);
        open();
        EXPECT_EQ(defaults.integerValue(LumivexSettings::keyName(Key::videoSkipSeconds)), 5)
            << stored;
    }
    settings.setVideoSkipSeconds(42);
    LumivexSettingsView& view = open();
    EXPECT_EQ(settings.videoSkipSeconds(), 42);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Dovrin 설정"));
    EXPECT_EQ(view.size(), QSize(540, 660));
    settings.setVideoSkipSeconds(7200);
    EXPECT_EQ(settings.videoSkipSeconds(), 3600);
    settings.setVideoSkipSeconds(0);
    EXPECT_EQ(settings.videoSkipSeconds(), 1);
    view.hide();
    settings.setVideoSkipSeconds(0);  // a closed window leaves the value to its readers
    EXPECT_EQ(settings.videoSkipSeconds(), 0);
}

TEST_F(SettingsWindowTest, TheSkipFieldCommitsOnReturnAndEscapeLeavesTheValue) {
    settings.setVideoSkipSeconds(12);
    LumivexSettingsView& view = open();
    VideoSkipSecondsControl* control = view.skipControl();
    EXPECT_EQ(control->valueButton()->text(), QStringLiteral("12"));
    control->valueButton()->click();
    ASSERT_TRUE(control->isEditing());
    control->field()->setText(QStringLiteral(" 45 "));
    QTest::keyClick(control->field(), Qt::Key_Return);
    EXPECT_FALSE(control->isEditing());
    EXPECT_EQ(settings.videoSkipSeconds(), 45);

    control->valueButton()->click();
    control->field()->setText(QStringLiteral("1e3"));
    QTest::keyClick(control->field(), Qt::Key_Return);
    EXPECT_EQ(settings.videoSkipSeconds(), 45);

    control->valueButton()->click();
    control->field()->setText(QStringLiteral("300"));
    QTest::keyClick(control->field(), Qt::Key_Escape);
    EXPECT_FALSE(control->isEditing());
    EXPECT_EQ(settings.videoSkipSeconds(), 45);
    EXPECT_TRUE(view.isVisible());

    control->valueButton()->click();
    control->field()->setText(QStringLiteral("12"));
    control->stepUp()->click();  // steps from the typed value and leaves the field
    EXPECT_FALSE(control->isEditing());
    EXPECT_EQ(settings.videoSkipSeconds(), 13);

    control->valueButton()->click();
    control->field()->setText(QStringLiteral("20"));
    view.hide();  // closing the window commits
    EXPECT_EQ(settings.videoSkipSeconds(), 20);
}

TEST_F(SettingsWindowTest, ControlsFollowTheSettingsAndDefaultsRestoreAllFive) {
    defaults.setInteger(LumivexSettings::keyName(Key::photosPixels), 1080);
    defaults.setInteger(LumivexSettings::keyName(Key::folderPixels), 100);
    settings.setCardSize(215);
    LumivexSettingsView& view = open();
    EXPECT_EQ(view.photosResolution()->valueText(), QStringLiteral("1080px"));
    EXPECT_EQ(view.folderResolution()->valueText(), QStringLiteral("360px"));
    EXPECT_EQ(settings.folderPixels(), 100);  // left stored until moved
    EXPECT_EQ(view.cardSizeText(), QStringLiteral("215"));
    settings.setCardSize(400);
    EXPECT_EQ(view.cardSizeText(), QStringLiteral("400"));
    settings.setCardSize(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(view.cardSizeText(), QStringLiteral("\u2014"));

    QTest::keyClick(view.cardSlider(), Qt::Key_Right);  // from index NaN -> 0 -> 1
    view.cardSlider()->setFocus();
    settings.setCardSize(215);
    QTest::keyClick(view.cardSlider(), Qt::Key_Right);
    EXPECT_EQ(settings.cardSize(), 230.0);  // round(5.5 + 1) = 7

    // The photo library has nothing to download on this system: no switch for it.
    for (const QCheckBox* box : view.findChildren<QCheckBox*>()) {
        EXPECT_NE(box->text(), QStringLiteral("목록 미리보기 추가 다운로드 허용"));
    }
    settings.setPhotosNetwork(false);
    settings.setVideoSkipSeconds(77);
    view.restoreDefaults();
    EXPECT_EQ(settings.photosPixels(), 360);
    EXPECT_EQ(settings.folderPixels(), 360);
    EXPECT_TRUE(settings.photosNetwork());
    EXPECT_EQ(settings.cardSize(), 210.0);
    EXPECT_EQ(settings.videoSkipSeconds(), 5);
    EXPECT_EQ(view.skipControl()->valueButton()->text(), QStringLiteral("5"));
}

TEST_F(SettingsWindowTest, TheTabsAreGeneralAccessAndTheUpdatePageTheAppAdds) {
    LumivexSettingsView& view = open();
    ASSERT_EQ(view.tabs()->count(), 2);
    view.addUpdatePage(new QLabel(QStringLiteral("update")));
    ASSERT_EQ(view.tabs()->count(), 3);
    EXPECT_EQ(view.tabs()->tabText(0), QStringLiteral("일반"));
    EXPECT_EQ(view.tabs()->tabText(1), QStringLiteral("권한"));
    EXPECT_EQ(view.tabs()->tabText(2), QStringLiteral("업데이트"));
    const QStringList names{QStringLiteral("general"), QStringLiteral("access"),
                            QStringLiteral("update")};
    for (int i = 0; i < 3; ++i) {
        view.tabs()->setCurrentIndex(i);
        test::saveScreenshot(view, QStringLiteral("settings_") + names[i]);
    }
}

}  // namespace
}  // namespace lumivex
