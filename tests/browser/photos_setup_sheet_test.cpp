#include "browser/sheet_slot.h"
#include "browser/window_fixture.h"
#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_consent_dialog.h"
#include "media_views/photos_setup_view.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace lumivex::test {
namespace {

class PhotosSetupSheetTest : public WindowTest {
protected:
    void SetUp() override {
        photos.status = PhotoAuthorizationStatus::notDetermined;
        makeWindow();
        window->setPhotosSetup(photos, guide);
    }
    ~PhotosSetupSheetTest() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The setup view the sheet shows, or nothing.
    PhotosSetupView* sheet() const {
        return dynamic_cast<PhotosSetupView*>(window->photosSetupSheet()->dialog());
    }

    PhotoConsentDialog consent;
    LumivexPhotoAccessGuide guide{consent, [](PhotoConsentAnswer) {}};
};

TEST_F(PhotosSetupSheetTest, TheSheetShowsTheSetupViewWhileTheStoreAsksForIt) {
    EXPECT_EQ(sheet(), nullptr);
    store->setShowPhotosSetup(true);
    settle();
    ASSERT_NE(sheet(), nullptr);
    EXPECT_TRUE(sheet()->isVisible());
    EXPECT_EQ(sheet()->parentWidget(), window.get());
    EXPECT_EQ(sheet()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet()->mainButton()->text(), QStringLiteral("사진 접근 허용하고 연결"));
    screenshot(QStringLiteral("photos-setup-sheet"));

    const QPointer<PhotosSetupView> shown = sheet();
    store->setShowPhotosSetup(false);
    settle();
    EXPECT_EQ(sheet(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown.isNull());

    store->setShowPhotosSetup(true);  // a fresh view each time it opens
    settle();
    ASSERT_NE(sheet(), nullptr);
    EXPECT_TRUE(sheet()->isVisible());
}

TEST_F(PhotosSetupSheetTest, LaterAndEscapeEndTheStoresRequest) {
    store->setShowPhotosSetup(true);
    settle();
    QTest::mouseClick(buttonWithText(sheet(), QStringLiteral("나중에")), Qt::LeftButton);
    settle();
    EXPECT_FALSE(store->showPhotosSetup());
    EXPECT_EQ(sheet(), nullptr);

    store->setShowPhotosSetup(true);
    settle();
    QTest::keyClick(sheet(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(store->showPhotosSetup());
    EXPECT_EQ(sheet(), nullptr);
}

TEST_F(PhotosSetupSheetTest, ConnectingThroughTheSheetEndsItAndTheFolderButtonOpensPictures) {
    store->setShowPhotosSetup(true);
    settle();
    QTest::mouseClick(buttonWithText(sheet(), QStringLiteral("사진 폴더 열기")), Qt::LeftButton);
    EXPECT_EQ(shell.opened, QStringList{temp.path() + QStringLiteral("/Pictures")});

    QTest::keyClick(sheet(), Qt::Key_Return);
    EXPECT_EQ(photos.authorizationRequests, 1);
    photos.answerAuthorization(PhotoAuthorizationStatus::authorized);
    settleUntil([&] { return !store->connectingPhotos(); });
    settle();
    EXPECT_EQ(store->source(), LibrarySource::photos);
    EXPECT_FALSE(store->showPhotosSetup());
    EXPECT_EQ(sheet(), nullptr);
}

}  // namespace
}  // namespace lumivex::test
