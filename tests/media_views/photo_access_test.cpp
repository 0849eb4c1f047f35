#include "media/held_decoder.h"
#include "media_views/lumivex_access_settings_view.h"
#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_consent_dialog.h"
#include "media_views/photo_folder_note.h"
#include "media_views/photos_setup_view.h"
#include "store/store_fixture.h"
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
    library.folderPaths = {QStringLiteral("/home/u/Pictures"), QStringLiteral("/home/u/Videos")};
    const QString restrictedNote = PhotoFolderNote::missing(library.folderPaths);
    const std::pair<int, QString> expected[] = {
        {0, QStringLiteral("아직 요청하지 않음")},
        {1, QStringLiteral("사진 폴더와 동영상 폴더 없음")},
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

// Without the Pictures and Videos folders no consent gives access: the guide, the page and the
// setup sheet name the folders instead of asking, and read the status again when the application
// becomes active, so creating a folder is seen on return.
class MissingFoldersTest : public test::StoreTest {
protected:
    PhotoConsentDialog dialog;
    LumivexPhotoAccessGuide guide{dialog, [](PhotoConsentAnswer) {}};
    const QStringList folders{QStringLiteral("/home/사용자/Pictures"),
                              QStringLiteral("/home/사용자/Videos")};

    void SetUp() override {
        photos.status = Status::restricted;
        photos.folderPaths = folders;
        guide.setLibrary(&photos);
    }
    static void becomeActive() {
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    }
    static bool namesEvery(const QString& text, const QStringList& paths) {
        return std::all_of(paths.begin(), paths.end(),
                           [&](const QString& path) { return text.contains(path); });
    }
};

TEST_F(MissingFoldersTest, TheGuideNamesTheFoldersAndAsksNoQuestion) {
    guide.show();
    EXPECT_FALSE(dialog.isVisible());
    QWidget* panel = guide.panel();
    EXPECT_TRUE(test::processEventsUntil([&] { return panel->isVisible(); }));
    const QString steps = panel->findChild<QLabel*>(QStringLiteral("steps"))->text();
    EXPECT_TRUE(namesEvery(steps, folders)) << steps.toStdString();
    EXPECT_TRUE(showsText(*panel, PhotoFolderNote::heading()));
    test::saveScreenshot(*panel, QStringLiteral("access-guide-missing-folders"));

    // Once a folder exists the same guide asks the question again.
    photos.status = Status::notDetermined;
    guide.show();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(panel->findChild<QLabel*>(QStringLiteral("steps"))->text().contains(folders[0]));
    dialog.close();
}

TEST_F(MissingFoldersTest, TheAccessPageNamesTheFoldersUntilOneAppears) {
    LumivexAccessSettingsView view(photos, guide, [] {});
    view.show();
    EXPECT_TRUE(showsText(view, PhotoFolderNote::missing(folders)));
    EXPECT_FALSE(shows(view, buttonTitled(view, QStringLiteral("사진 접근 요청"))));
    photos.status = Status::notDetermined;
    becomeActive();
    EXPECT_FALSE(showsText(view, PhotoFolderNote::missing(folders)));
    EXPECT_TRUE(shows(view, buttonTitled(view, QStringLiteral("사진 접근 요청"))));
}

TEST_F(MissingFoldersTest, TheSetupSheetNamesTheFoldersAndOffersNoConnection) {
    makeStore();
    store->setShowPhotosSetup(true);
    PhotosSetupView sheet(*store, photos, guide, [] {});
    sheet.show();
    const QString note = sheet.findChild<QLabel*>(QStringLiteral("note"))->text();
    EXPECT_TRUE(namesEvery(note, folders)) << note.toStdString();
    EXPECT_FALSE(shows(sheet, buttonTitled(sheet, QStringLiteral("사진 접근 허용하고 연결"))));
    test::saveScreenshot(sheet, QStringLiteral("photos-setup-missing-folders"));
    QTest::mouseClick(buttonTitled(sheet, QStringLiteral("사진 접근 설정 열기")), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());

    photos.status = Status::notDetermined;
    becomeActive();
    EXPECT_TRUE(shows(sheet, buttonTitled(sheet, QStringLiteral("사진 접근 허용하고 연결"))));
    EXPECT_FALSE(sheet.findChild<QLabel*>(QStringLiteral("note"))->isVisibleTo(&sheet));
}

}  // namespace
}  // namespace lumivex
