#include "app/lumivex_update_view.h"
#include "media_views/thumbnail_spinner.h"
#include "update_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace lumivex::test {
namespace {

class UpdateViewTest : public UpdateTest {
protected:
    LumivexUpdateView& show() {
        make();
        view = std::make_unique<LumivexUpdateView>(*updates);
        view->resize(480, 410);
        view->show();
        return *view;
    }

    bool spinning() const { return !view->spinner()->isHidden(); }

    std::unique_ptr<LumivexUpdateView> view;
};

TEST_F(UpdateViewTest, FollowsACheckFromIdleThroughCheckingToAFoundRelease) {
    defaults.setDouble(QStringLiteral("Lumivex.updates.lastAttempt"), now.secondsSince1970 - 90000);
    LumivexUpdateView& shown = show();
    EXPECT_EQ(shown.statusLabel()->text(), QStringLiteral("새 버전이 있는지 확인해 보세요."));
    EXPECT_EQ(shown.statusLabel()->objectName(), QStringLiteral("update-status"));
    EXPECT_FALSE(spinning());
    EXPECT_TRUE(shown.lastCheckedLabel()->isHidden());
    EXPECT_EQ(shown.actionButton()->text(), QStringLiteral("지금 확인"));
    EXPECT_TRUE(shown.actionButton()->isEnabled());
    EXPECT_TRUE(shown.automaticChecks()->isChecked());

    QTest::mouseClick(shown.actionButton(), Qt::LeftButton);
    EXPECT_EQ(fetches(), 1);
    EXPECT_TRUE(spinning());
    EXPECT_EQ(shown.statusLabel()->text(), QStringLiteral("새 버전을 확인하고 있습니다…"));
    EXPECT_EQ(shown.actionButton()->text(), QStringLiteral("확인 중…"));
    EXPECT_FALSE(shown.actionButton()->isEnabled());

    answer({release(QStringLiteral("1.3.0"))});
    EXPECT_FALSE(spinning());
    EXPECT_EQ(shown.statusLabel()->text(), QStringLiteral("v1.3.0 업데이트가 있습니다."));
    EXPECT_FALSE(shown.lastCheckedLabel()->isHidden());
    EXPECT_TRUE(shown.lastCheckedLabel()->text().startsWith(QStringLiteral("마지막 확인: ")));
    // The button opens the release page; nothing here downloads or installs.
    EXPECT_EQ(shown.actionButton()->text(), QStringLiteral("다운로드 페이지 열기"));
    for (const QLabel* label : shown.findChildren<QLabel*>()) {
        EXPECT_FALSE(label->text().contains(QStringLiteral("설치"))) << label->text().toStdString();
    }
    QTest::mouseClick(shown.actionButton(), Qt::LeftButton);
    EXPECT_EQ(opened.last(), QUrl(site(QStringLiteral("/updates/v1.3.0.html"))));

    updates->check(true);
    EXPECT_EQ(shown.actionButton()->text(), QStringLiteral("확인 중…"));
    const QString before = shown.lastCheckedLabel()->text();
    now.secondsSince1970 += 3 * 86400;
    fail();
    EXPECT_EQ(shown.lastCheckedLabel()->text(), before);
    QTest::mouseClick(shown.releasesButton(), Qt::LeftButton);
    EXPECT_EQ(opened.last(), LumivexReleaseService::releasesURL());
}

TEST_F(UpdateViewTest, TheCheckboxSwitchesChecksAndRunsTheOneThatIsDue) {
    defaults.setBool(QStringLiteral("Lumivex.updates.automaticChecks"), false);
    LumivexUpdateView& shown = show();
    EXPECT_FALSE(shown.automaticChecks()->isChecked());
    EXPECT_EQ(shown.automaticChecks()->objectName(), QStringLiteral("automatic-updates"));
    QCheckBox* box = shown.automaticChecks();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_TRUE(updates->automaticallyChecks());
    EXPECT_EQ(fetches(), 1);
    EXPECT_TRUE(spinning());
}

TEST_F(UpdateViewTest, ALongStatusWrapsInsteadOfBeingCut) {
    LumivexUpdateView& shown = show();
    updates->check(true);
    fail();
    const QLabel& status = *shown.statusLabel();
    EXPECT_TRUE(status.wordWrap());
    EXPECT_GT(status.height(), status.fontMetrics().height() * 3 / 2) << "two lines or more";
}

}  // namespace
}  // namespace lumivex::test
