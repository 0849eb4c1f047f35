#include "media_views/photos_setup_view.h"

#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_consent_dialog.h"
#include "media_views/photo_folder_note.h"
#include "store/store_fixture.h"
#include "view_screenshots.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace lumivex::test {
namespace {

using Status = PhotoAuthorizationStatus;

class PhotosSetupViewTest : public StoreTest {
protected:
    PhotoConsentDialog dialog;
    LumivexPhotoAccessGuide guide{dialog, [](PhotoConsentAnswer) {}};
    int folderOpenings = 0;
    std::unique_ptr<PhotosSetupView> sheet;

    void SetUp() override { photos.addAsset(QStringLiteral("pictures/one.jpg")); }

    PhotosSetupView& show(Status status) {
        photos.status = status;
        makeStore();
        store->setShowPhotosSetup(true);
        sheet =
            std::make_unique<PhotosSetupView>(*store, photos, guide, [this] { ++folderOpenings; });
        sheet->show();
        return *sheet;
    }
    QString note() const {
        const auto* label = sheet->findChild<QLabel*>(QStringLiteral("note"));
        return label->isVisibleTo(sheet.get()) ? label->text() : QString();
    }
    QStringList visibleButtons() const {
        QStringList titles;
        for (const QPushButton* button : sheet->findChildren<QPushButton*>()) {
            if (button->isVisibleTo(sheet.get())) {
                titles.append(button->text());
            }
        }
        return titles;
    }
};

TEST_F(PhotosSetupViewTest, UndecidedAccessConnectsThroughTheStoreWithReturn) {
    show(Status::notDetermined);
    EXPECT_EQ(note(), QString());
    EXPECT_EQ(sheet->mainButton()->text(), QStringLiteral("사진 접근 허용하고 연결"));
    EXPECT_FALSE(visibleButtons().contains(QStringLiteral("사진 접근 설정 열기")));
    saveScreenshot(*sheet, QStringLiteral("photos-setup"));

    QTest::keyClick(sheet.get(), Qt::Key_Return);
    EXPECT_EQ(photos.authorizationRequests, 1);  // the store asks, not the sheet
    EXPECT_TRUE(store->connectingPhotos());
    EXPECT_EQ(sheet->mainButton()->text(), QStringLiteral("연결 중…"));
    EXPECT_FALSE(sheet->mainButton()->isEnabled());

    photos.answerAuthorization(Status::authorized);
    settleUntil([&] { return !store->connectingPhotos(); });
    settle();
    EXPECT_EQ(store->source(), LibrarySource::photos);
    EXPECT_FALSE(store->showPhotosSetup());
    EXPECT_FALSE(sheet->isVisible());  // the store ended the sheet
}

TEST_F(PhotosSetupViewTest, ARefusalInThePromptSwitchesTheRowToTheSettingsAtOnce) {
    show(Status::notDetermined);
    QTest::mouseClick(sheet->mainButton(), Qt::LeftButton);
    photos.answerAuthorization(Status::denied);
    settleUntil([&] { return !store->connectingPhotos(); });
    EXPECT_EQ(sheet->authorization(), Status::denied);
    EXPECT_EQ(sheet->mainButton()->text(), QStringLiteral("사진 접근 설정 열기"));
    EXPECT_EQ(
        note(),
        QStringLiteral("사진 접근이 꺼져 있어요. 사진 접근 설정에서 Dovrin 접근을 허용해주세요."));
    EXPECT_FALSE(visibleButtons().contains(QStringLiteral("사진 접근 허용하고 연결")));
    saveScreenshot(*sheet, QStringLiteral("photos-setup-denied"));

    // Return does nothing here; the button opens the access question with the guide.
    const int requests = photos.authorizationRequests;
    QTest::keyClick(sheet.get(), Qt::Key_Return);
    EXPECT_EQ(photos.authorizationRequests, requests);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(sheet->isVisible());
    QTest::mouseClick(sheet->mainButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(guide.isPlacing());

    // An answer given there is read at once.
    photos.status = Status::authorized;
    QTest::mouseClick(dialog.button(PhotoConsentAnswer::allowAll), Qt::LeftButton);
    settleUntil([&] { return sheet->authorization() == Status::authorized; });
    EXPECT_EQ(sheet->mainButton()->text(), QStringLiteral("보관함 연결"));
    EXPECT_EQ(note(), QStringLiteral("\u2713 사진 접근이 이미 허용되어 있습니다."));
}

TEST_F(PhotosSetupViewTest, EachStatusShowsItsNoteAndButtons) {
    show(Status::limited);
    EXPECT_TRUE(note().startsWith(QStringLiteral("현재 선택한 사진에만 접근할 수 있어요.")));
    EXPECT_EQ(visibleButtons().count(QStringLiteral("사진 접근 설정 열기")), 1);
    EXPECT_EQ(sheet->mainButton()->text(), QStringLiteral("보관함 연결"));
    saveScreenshot(*sheet, QStringLiteral("photos-setup-limited"));

    show(Status::restricted);
    EXPECT_EQ(note(), PhotoFolderNote::missing({}));
    EXPECT_EQ(sheet->mainButton()->text(), QStringLiteral("사진 접근 설정 열기"));
    EXPECT_FALSE(visibleButtons().contains(QStringLiteral("보관함 연결")));

    show(static_cast<Status>(7));
    EXPECT_EQ(note(), QString());
    EXPECT_EQ(sheet->mainButton()->text(), QStringLiteral("사진 접근 허용하고 연결"));

    for (QPushButton* button : sheet->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("사진 폴더 열기")) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    }
    EXPECT_EQ(folderOpenings, 1);
}

TEST_F(PhotosSetupViewTest, EscapeClosesThroughLaterAlsoWhileConnecting) {
    show(Status::notDetermined);
    store->connectPhotos();
    ASSERT_TRUE(store->connectingPhotos());
    QTest::keyClick(sheet.get(), Qt::Key_Escape);
    EXPECT_FALSE(store->showPhotosSetup());
    EXPECT_FALSE(sheet->isVisible());
    photos.answerAuthorization(Status::denied);
    settleUntil([&] { return !store->connectingPhotos(); });
}

}  // namespace
}  // namespace lumivex::test
