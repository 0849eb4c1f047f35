#include "update_fixture.h"

#include "support/event_loop.h"

#include <QWidget>

namespace lumivex::test {
namespace {

const QString lastAttempt = QStringLiteral("Lumivex.updates.lastAttempt");
const QString lastSuccess = QStringLiteral("Lumivex.updates.lastSuccess");
const QString automaticKey = QStringLiteral("Lumivex.updates.automaticChecks");
const QString notified = QStringLiteral("Lumivex.updates.notifiedVersion");
const QString checking = QStringLiteral("새 버전을 확인하고 있습니다…");

TEST_F(UpdateTest, StartsIdleAndChecksOnceADayCountedFromTheLastAttempt) {
    LumivexUpdateController& controller = make();
    EXPECT_TRUE(controller.automaticallyChecks());
    EXPECT_FALSE(controller.isChecking());
    EXPECT_EQ(controller.lastChecked(), std::nullopt);
    EXPECT_EQ(controller.status(), QStringLiteral("새 버전이 있는지 확인해 보세요."));

    controller.checkAutomaticallyIfNeeded();
    EXPECT_EQ(fetches(), 1);
    EXPECT_TRUE(controller.isChecking());
    EXPECT_EQ(controller.status(), checking);
    EXPECT_EQ(stored(lastAttempt), now.secondsSince1970);
    fail();
    controller.checkAutomaticallyIfNeeded();
    EXPECT_EQ(fetches(), 1) << "a failed attempt counts as well";

    now.secondsSince1970 += 86399;
    controller.checkAutomaticallyIfNeeded();
    EXPECT_EQ(fetches(), 1);
    now.secondsSince1970 += 1;
    controller.checkAutomaticallyIfNeeded();
    EXPECT_EQ(fetches(), 2);
    answer({});

    defaults.setDouble(lastAttempt, now.secondsSince1970 + 60);
    controller.checkAutomaticallyIfNeeded();
    EXPECT_EQ(fetches(), 3) << "an attempt in the future holds nothing back";
}

TEST_F(UpdateTest, NeverChecksByItselfFromABuildTreeATemporaryLibraryOrWhenSwitchedOff) {
    environment.build.packaged = false;
    make().checkAutomaticallyIfNeeded();
    environment.build.packaged = true;
    environment.arguments = {QStringLiteral("lumivex"), QStringLiteral("--library"),
                             QStringLiteral("/tmp")};
    make().checkAutomaticallyIfNeeded();
    environment.arguments.clear();
    defaults.setBool(automaticKey, false);
    make().checkAutomaticallyIfNeeded();
    EXPECT_EQ(fetches(), 0);
    EXPECT_EQ(stored(lastAttempt), std::nullopt);

    updates->check(true);
    EXPECT_EQ(fetches(), 1) << "asking is always allowed";
}

TEST_F(UpdateTest, ReadsTheUpdaterSettingFirstAndIgnoresValuesOfAnotherType) {
    defaults.setBool(QStringLiteral("SUEnableAutomaticChecks"), false);
    defaults.setBool(automaticKey, true);
    EXPECT_FALSE(make().automaticallyChecks());
    defaults.setText(QStringLiteral("SUEnableAutomaticChecks"), QStringLiteral("no"));
    defaults.setBool(automaticKey, false);
    EXPECT_FALSE(make().automaticallyChecks());
    defaults.setInteger(automaticKey, 0);
    EXPECT_TRUE(make().automaticallyChecks());
    defaults.setText(lastSuccess, QStringLiteral("yesterday"));
    EXPECT_EQ(make().lastChecked(), std::nullopt);
}

TEST_F(UpdateTest, RunsOneCheckAtATime) {
    LumivexUpdateController& controller = make();
    controller.check(true);
    controller.check(true);
    controller.check(false);
    controller.checkAutomaticallyIfNeeded();
    EXPECT_EQ(fetches(), 1);
    answer({release(QStringLiteral("1.0.0"))});
    EXPECT_EQ(controller.status(), QStringLiteral("최신 버전을 사용하고 있습니다."));
}

TEST_F(UpdateTest, RefusesToCheckWhenTheRunningVersionIsNoVersion) {
    environment.runningVersion = QStringLiteral("1.2");
    LumivexUpdateController& controller = make();
    controller.check(true);
    controller.checkAutomaticallyIfNeeded();
    EXPECT_EQ(fetches(), 0);
    EXPECT_FALSE(controller.isChecking());
    EXPECT_EQ(stored(lastAttempt), std::nullopt);
    EXPECT_EQ(controller.status(),
              QStringLiteral("현재 버전을 확인할 수 없습니다. 릴리스 페이지를 확인해 주세요."));
}

TEST_F(UpdateTest, AFailedFetchKeepsTheLastSuccessAndOfferNothing) {
    LumivexUpdateController& controller = make();
    controller.check(true);
    answer({release(QStringLiteral("1.3.0"))});
    ASSERT_TRUE(controller.availableRelease());
    EXPECT_EQ(controller.status(), QStringLiteral("v1.3.0 업데이트가 있습니다."));
    const Date succeeded = now;
    EXPECT_EQ(controller.lastChecked(), succeeded);
    EXPECT_EQ(stored(lastSuccess), succeeded.secondsSince1970);

    now.secondsSince1970 += 500;
    controller.check(true);
    EXPECT_EQ(controller.availableRelease(), std::nullopt) << "cleared when a check starts";
    fail();
    EXPECT_EQ(controller.availableRelease(), std::nullopt);
    EXPECT_EQ(controller.lastChecked(), succeeded);
    EXPECT_EQ(stored(lastSuccess), succeeded.secondsSince1970);
    EXPECT_EQ(controller.status(),
              QStringLiteral("업데이트를 확인하지 못했습니다. 인터넷 연결을 확인하거나 잠시 후 "
                             "다시 시도해 주세요."));
    EXPECT_EQ(controller.updateWindow(), nullptr);

    controller.check(true);
    LumivexRelease draft = release(QStringLiteral("2.0.0"));
    draft.draft = true;
    answer({draft});
    EXPECT_EQ(controller.lastChecked(), now) << "the fetch itself succeeded";
    EXPECT_EQ(controller.status(),
              QStringLiteral("다운로드 가능한 배포 버전을 찾지 못했습니다. 릴리스 페이지를 확인해 "
                             "주세요."));
}

TEST_F(UpdateTest, AnnouncesEachNewReleaseOnceWithoutTakingFocusAndNeverForAManualCheck) {
    LumivexUpdateController& controller = make();
    controller.check(true);
    answer({release(QStringLiteral("1.1.0"))});
    EXPECT_EQ(controller.updateWindow(), nullptr);
    EXPECT_EQ(defaults.text(notified), std::nullopt);

    controller.check(false);
    answer({release(QStringLiteral("1.1.0"))});
    QWidget* window = controller.updateWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    // The offscreen platform activates whatever it shows; the attribute is what a window
    // manager reads.
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(defaults.text(notified), QStringLiteral("v1.1.0"));
    window->close();
    EXPECT_FALSE(window->isVisible());

    controller.check(false);
    answer({release(QStringLiteral("1.1.0"))});
    EXPECT_FALSE(window->isVisible()) << "announced already";
    controller.check(false);
    answer({release(QStringLiteral("1.1.0")), release(QStringLiteral("1.2.0"))});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(controller.updateWindow(), window) << "the same window, kept";
    EXPECT_EQ(defaults.text(notified), QStringLiteral("v1.2.0"));
}

TEST_F(UpdateTest, AnAutomaticCheckThatEndsAfterTheSwitchWentOffAnnouncesNothing) {
    LumivexUpdateController& controller = make();
    controller.checkAutomaticallyIfNeeded();
    controller.setAutomaticChecks(false);
    EXPECT_EQ(defaults.boolValue(automaticKey), false);
    answer({release(QStringLiteral("1.1.0"))});
    EXPECT_TRUE(controller.availableRelease());
    EXPECT_EQ(controller.updateWindow(), nullptr);

    now.secondsSince1970 += 86400;
    controller.checkAutomaticallyIfNeeded();
    EXPECT_EQ(fetches(), 1);
    controller.setAutomaticChecks(true);
    EXPECT_EQ(fetches(), 2) << "switching on runs the check that is due";
    EXPECT_EQ(defaults.boolValue(automaticKey), true);
}

TEST_F(UpdateTest, OpensTheTrustedPageOrTheFrontPageAndTheMenuShowsTheWindowFirst) {
    LumivexUpdateController& controller = make();
    controller.openRelease();
    EXPECT_EQ(opened, QList<QUrl>({LumivexReleaseService::releasesURL()}));

    controller.requestUpdateCheck();
    ASSERT_NE(controller.updateWindow(), nullptr);
    EXPECT_TRUE(controller.updateWindow()->isVisible());
    EXPECT_FALSE(controller.updateWindow()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(controller.isChecking());
    answer({release(QStringLiteral("1.4.0"))});
    controller.installUpdate();
    EXPECT_EQ(opened.last(), QUrl(site(QStringLiteral("/updates/v1.4.0.html"))));
}

class DistributionUpdateTest : public UpdateTest {
protected:
    DistributionUpdateTest() {
        environment.build.distributionBuild = true;
        environment.build.publicKey = QStringLiteral("key");
        environment.makeDistributionUpdater = [this] {
            auto made = std::make_unique<FakeDistributionUpdater>();
            made->startSucceeds = startSucceeds;
            distribution = made.get();
            return made;
        };
    }

    bool startSucceeds = true;
};

TEST_F(DistributionUpdateTest, HandsSchedulingAndInstallingToTheDistributionUpdater) {
    LumivexUpdateController& controller = make();
    ASSERT_EQ(controller.distributionUpdater(), distribution);
    EXPECT_EQ(distribution->starts, 1);
    EXPECT_TRUE(distribution->automatic) << "given the stored setting";

    controller.checkAutomaticallyIfNeeded();
    controller.requestUpdateCheck();
    controller.installUpdate();
    EXPECT_EQ(fetches(), 0);
    EXPECT_EQ(distribution->checks, 2);
    EXPECT_EQ(controller.updateWindow(), nullptr);

    distribution->automatic = false;
    distribution->observer();
    runEventsUntil([&] { return !controller.automaticallyChecks(); }, "the mirrored setting");
    EXPECT_EQ(defaults.boolValue(automaticKey), false);
    controller.setAutomaticChecks(true);
    EXPECT_TRUE(distribution->automatic);
    controller.check(true);
    EXPECT_EQ(fetches(), 1) << "the view's check button still reads the feed";
}

TEST_F(DistributionUpdateTest, IsNeverEnteredOutsideAPackageWithATemporaryLibraryOrWithoutTheKeys) {
    environment.build.packaged = false;
    EXPECT_EQ(make().distributionUpdater(), nullptr);
    environment.build.packaged = true;
    environment.arguments = {QStringLiteral("--library"), QStringLiteral("/tmp")};
    EXPECT_EQ(make().distributionUpdater(), nullptr);
    environment.arguments.clear();
    environment.build.publicKey.reset();
    EXPECT_EQ(make().distributionUpdater(), nullptr);
    EXPECT_EQ(UpdateBuild::current().distributionBuild, std::nullopt);

    environment.build.publicKey = QStringLiteral("key");
    startSucceeds = false;
    LumivexUpdateController& controller = make();
    EXPECT_NE(controller.distributionUpdater(), nullptr) << "stays in its mode";
    EXPECT_EQ(controller.status(),
              QStringLiteral("업데이트를 시작하지 못했습니다. 잠시 후 다시 확인해 주세요."));
}

}  // namespace
}  // namespace lumivex::test
