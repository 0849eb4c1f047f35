#include "app/photo_access.h"

#include "media/xdg_photo_library.h"
#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_consent_dialog.h"
#include "platform/photo_consent_prompt.h"
#include "platform/user_defaults.h"
#include "support/fake_trash.h"
#include "support/futures.h"
#include "support/test_files.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace lumivex::test {
namespace {

class PhotoAccessTest : public ::testing::Test {
protected:
    PhotoAccessTest() {
        makeDirectories(temp.filePath(QStringLiteral("Pictures")));
        makeDirectories(temp.filePath(QStringLiteral("Videos")));
    }

    QString defaultsFile() const { return temp.filePath(QStringLiteral("config/defaults.json")); }
    QList<PhotoRoot> roots() const {
        return {{QStringLiteral("pictures"), temp.filePath(QStringLiteral("Pictures"))},
                {QStringLiteral("videos"), temp.filePath(QStringLiteral("Videos"))}};
    }

    QTemporaryDir temp;
    UserDefaults defaults{defaultsFile()};
    FakeTrash trash;
    XdgPhotoLibrary photos{defaults, trash, roots()};
    QWidget window;
};

TEST_F(PhotoAccessTest, TheLibraryAsksInTheConsentDialogOverTheWindowAndKeepsTheAnswer) {
    PhotoAccess access(photos, &window);
    EXPECT_EQ(access.consent().parentWidget(), &window);
    EXPECT_EQ(access.consent().windowModality(), Qt::WindowModal);

    QFuture<PhotoAuthorizationStatus> answer = photos.requestAuthorization();
    EXPECT_TRUE(access.consent().isVisible());
    EXPECT_FALSE(answer.isFinished());
    QTest::mouseClick(access.consent().button(PhotoConsentAnswer::allowAll), Qt::LeftButton);
    EXPECT_EQ(waitFor(answer), PhotoAuthorizationStatus::authorized);
    EXPECT_FALSE(access.consent().isVisible());

    UserDefaults reread(defaultsFile());
    EXPECT_EQ(XdgPhotoLibrary(reread, trash, roots()).authorizationStatus(),
              PhotoAuthorizationStatus::authorized);
}

TEST_F(PhotoAccessTest, TheGuideOpensTheSameQuestionAndTheLibraryTakesItsAnswer) {
    PhotoAccess access(photos, &window);
    photos.recordConsent(PhotoConsentAnswer::refuse);
    int changes = 0;
    QObject::connect(&access.guide(), &LumivexPhotoAccessGuide::accessChanged,
                     [&changes] { ++changes; });

    access.guide().show();
    ASSERT_TRUE(access.consent().isVisible());
    QTest::mouseClick(access.consent().button(PhotoConsentAnswer::picturesOnly), Qt::LeftButton);
    QTRY_COMPARE(changes, 1);
    EXPECT_EQ(photos.authorizationStatus(), PhotoAuthorizationStatus::limited);
}

TEST_F(PhotoAccessTest, WithoutTheDialogTheLibraryNoLongerAsks) {
    std::make_unique<PhotoAccess>(photos, &window).reset();
    QFuture<PhotoAuthorizationStatus> answer = photos.requestAuthorization();
    ASSERT_TRUE(answer.isFinished());
    EXPECT_EQ(answer.result(), PhotoAuthorizationStatus::notDetermined);
}

}  // namespace
}  // namespace lumivex::test
