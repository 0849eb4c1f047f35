#include "media/held_decoder.h"
#include "media_views/lumivex_access_settings_view.h"
#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_consent_dialog.h"
#include "support/fake_photo_library.h"
#include "view_screenshots.h"

#include <QFutureWatcher>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using Status = PhotoAuthorizationStatus;

QPushButton* buttonTitled(const QWidget& parent, const QString& title) {
    for (QPushButton* button : parent.findChildren<QPushButton*>()) {
        if (button->text() == title) {
            return button;
        }
    }
    return nullptr;
}

bool shows(const QWidget& parent, const QWidget* child) {
    return child != nullptr && child->isVisibleTo(&parent);
}

bool showsText(const QWidget& parent, const QString& text) {
    for (const QLabel* label : parent.findChildren<QLabel*>()) {
        if (label->text() == text && label->isVisibleTo(&parent)) {
            return true;
        }
    }
    return false;
}

TEST(PhotoConsentDialog, EachButtonGivesItsAnswerAndClosingGivesNone) {
    const std::pair<PhotoConsentAnswer, QString> answers[] = {
        {PhotoConsentAnswer::allowAll, QStringLiteral("전체 접근 허용")},
        {PhotoConsentAnswer::picturesOnly, QStringLiteral("사진 폴더만 허용")},
        {PhotoConsentAnswer::refuse, QStringLiteral("허용 안 함")},
    };
    PhotoConsentDialog dialog;
    for (const auto& [answer, title] : answers) {
        QFuture<PhotoConsentAnswer> asked = dialog.ask();
        EXPECT_TRUE(dialog.isVisible());
        dialog.ask();  // a second ask joins the open question
        ASSERT_EQ(dialog.button(answer)->text(), title);
        QTest::mouseClick(dialog.button(answer), Qt::LeftButton);
        ASSERT_TRUE(asked.isFinished());
        EXPECT_EQ(asked.result(), answer);
        EXPECT_FALSE(dialog.isVisible());
    }
    QFuture<PhotoConsentAnswer> dismissed = dialog.ask();
    test::saveScreenshot(dialog, QStringLiteral("consent-dialog"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dismissed.isFinished());
    EXPECT_TRUE(dismissed.isCanceled());
}

TEST(PhotoConsentDialog, AnUnansweredQuestionEndsCancelledWhenTheDialogGoes) {
    QFuture<PhotoConsentAnswer> asked;
    {
        PhotoConsentDialog dialog;
        asked = dialog.ask();
    }
    EXPECT_TRUE(asked.isFinished());
    EXPECT_TRUE(asked.isCanceled());
}

class PhotoAccessGuideTest : public ::testing::Test {
protected:
    PhotoConsentDialog dialog;
    QList<PhotoConsentAnswer> recorded;
    LumivexPhotoAccessGuide guide{dialog,
                                  [this](PhotoConsentAnswer answer) { recorded.append(answer); }};
};

TEST_F(PhotoAccessGuideTest, ShowOpensTheQuestionAndPlacesThePanelAtTheTopRightOnce) {
    guide.show();
    ASSERT_NE(guide.panel(), nullptr);
    QWidget* panel = guide.panel();
    EXPECT_FALSE(panel->isVisible());  // hidden until its placement
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Dovrin · 사진 접근"));
    EXPECT_EQ(panel->size(), QSize(330, 300));

    guide.show();  // the first placement is replaced and never shows the panel
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(test::processEventsUntil([&] { return panel->isVisible(); }));
    EXPECT_FALSE(guide.isPlacing());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(panel->frameGeometry().right(), area.right() - 20);
    EXPECT_EQ(panel->frameGeometry().top(), area.top() + 20);
    EXPECT_TRUE(showsText(*panel, QStringLiteral("사진 접근 허용하기")));
    test::saveScreenshot(*panel, QStringLiteral("access-guide"));

    QTest::mouseClick(buttonTitled(*panel, QStringLiteral("안내 닫기")), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());

    QSignalSpy changed(&guide, &LumivexPhotoAccessGuide::accessChanged);
    guide.show();
    EXPECT_EQ(guide.panel(), panel);  // the same panel again
    QTest::mouseClick(dialog.button(PhotoConsentAnswer::picturesOnly), Qt::LeftButton);
    EXPECT_TRUE(test::processEventsUntil([&] { return changed.count() == 1; }));
    EXPECT_EQ(recorded, QList<PhotoConsentAnswer>{PhotoConsentAnswer::picturesOnly});
}

class AccessSettingsTest : public PhotoAccessGuideTest {
protected:
    test::FakePhotoLibrary library;
    int folderChoices = 0;

    std::unique_ptr<LumivexAccessSettingsView> page(Status status) {
        library.status = status;
        auto view = std::make_unique<LumivexAccessSettingsView>(library, guide,
                                                                [this] { ++folderChoices; });
        view->resize(460, 520);
        view->show();
        return view;
    }
    static QString status(const QWidget& view) {
        return view.findChild<QLabel*>(QStringLiteral("status"))->text();
    }
};

TEST_F(AccessSettingsTest, EachStatusShowsItsTextAndOnlyTheButtonsItAllows) {
    const QString restrictedNote = QStringLiteral(
        "기기 관리 또는 사용 제한이 적용되어 있을 수 있습니다. 이 컴퓨터의 관리자에게 확인해 "
        "주세요.");
    const std::pair<int, QString> expected[] = {
        {0, QStringLiteral("아직 요청하지 않음")},
        {1, QStringLiteral("이 컴퓨터에서 사진 접근 제한됨")},
        {2, QStringLiteral("사진 접근 꺼짐")},
        {3, QStringLiteral("전체 사진 접근 허용됨")},
        {4, QStringLiteral("선택한 사진만 허용됨")},
        {9, QStringLiteral("사진 접근 상태 확인 필요")},
    };
    for (const auto& [value, text] : expected) {
        SCOPED_TRACE(value);
        const auto view = page(static_cast<Status>(value));
        EXPECT_EQ(status(*view), text);
        EXPECT_EQ(shows(*view, buttonTitled(*view, QStringLiteral("사진 접근 요청"))), value == 0);
        EXPECT_TRUE(shows(*view, buttonTitled(*view, QStringLiteral("사진 접근 설정 열기"))));
        EXPECT_EQ(showsText(*view, restrictedNote), value == 1);
        if (value == 0) {
            test::saveScreenshot(*view, QStringLiteral("access-settings"));
        }
    }
}

TEST_F(AccessSettingsTest, ARequestDisablesItsButtonUntilTheAnswerThenShowsTheNewStatus) {
    const auto view = page(Status::notDetermined);
    QPushButton* request = buttonTitled(*view, QStringLiteral("사진 접근 요청"));
    QTest::mouseClick(request, Qt::LeftButton);
    EXPECT_FALSE(request->isEnabled());
    EXPECT_TRUE(view->isRequesting());
    library.answerAuthorization(Status::limited);
    EXPECT_TRUE(test::processEventsUntil([&] { return !view->isRequesting(); }));
    EXPECT_EQ(status(*view), QStringLiteral("선택한 사진만 허용됨"));
    EXPECT_FALSE(shows(*view, request));

    QTest::mouseClick(buttonTitled(*view, QStringLiteral("연결할 폴더 선택…")), Qt::LeftButton);
    EXPECT_EQ(folderChoices, 1);
}

TEST_F(AccessSettingsTest, TheStatusIsReadAgainAfterAnAnswerInTheAccessQuestion) {
    const auto view = page(Status::denied);
    QTest::mouseClick(buttonTitled(*view, QStringLiteral("사진 접근 설정 열기")), Qt::LeftButton);
    ASSERT_TRUE(dialog.isVisible());
    library.status = Status::authorized;  // what the recorded answer makes of it
    QTest::mouseClick(dialog.button(PhotoConsentAnswer::allowAll), Qt::LeftButton);
    EXPECT_TRUE(test::processEventsUntil(
        [&] { return status(*view) == QStringLiteral("전체 사진 접근 허용됨"); }));
}

}  // namespace
}  // namespace lumivex
