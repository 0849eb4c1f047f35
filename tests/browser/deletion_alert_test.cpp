#include "browser/deletion_alert.h"
#include "browser/browser_area.h"
#include "browser/media_grid_view.h"
#include "browser/window_fixture.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace lumivex::test {
namespace {

class DeletionAlertTest : public WindowTest {
protected:
    void SetUp() override {
        addPhoto(QStringLiteral("photo.jpg"));
        addVideo(QStringLiteral("clip.mp4"));
        addPhoto(QStringLiteral("kept.jpg"));
        openLibrary();
        selectFiles({QStringLiteral("photo.jpg"), QStringLiteral("clip.mp4")});
        QPushButton* remove = window->browserArea()->deleteButton();
        ASSERT_TRUE(remove->isVisible());
        EXPECT_EQ(remove->text(), QStringLiteral("2개 삭제"));
        QTest::mouseClick(remove, Qt::LeftButton);
        settle();
        box = window->deletionAlert()->box();
        ASSERT_NE(box, nullptr);
    }

    QMessageBox* box = nullptr;
};

TEST_F(DeletionAlertTest, AsksAboutBothKindsWithCancelAndMoveToTrash) {
    EXPECT_EQ(box->text(), QStringLiteral("2개의 사진·영상을 삭제하시겠습니까?"));
    EXPECT_TRUE(box->informativeText().startsWith(
        QStringLiteral("선택한 원본 파일을 휴지통으로 이동합니다.")));
    QStringList buttons;
    for (const QAbstractButton* button : box->buttons()) {
        buttons.append(button->text());
    }
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("취소"), QStringLiteral("휴지통으로 이동")}));
    EXPECT_EQ(box->escapeButton()->text(), QStringLiteral("취소"));
    EXPECT_FALSE(window->browserArea()->gridEnabled());
    EXPECT_FALSE(window->metadataEditingActions());
}

TEST_F(DeletionAlertTest, CancelLeavesTheFilesAndWithdrawsTheRequest) {
    QTest::mouseClick(buttonWithText(box, QStringLiteral("취소")), Qt::LeftButton);
    settle();
    EXPECT_FALSE(store->deletionRequest());
    EXPECT_TRUE(trash.calls.isEmpty());
    EXPECT_TRUE(QFile::exists(at(QStringLiteral("photo.jpg"))));
    EXPECT_TRUE(QFile::exists(at(QStringLiteral("clip.mp4"))));
    EXPECT_EQ(store->library().items.size(), 3);
}

TEST_F(DeletionAlertTest, ConfirmingHandsTheShownRequestToTheStore) {
    QTest::mouseClick(buttonWithText(box, QStringLiteral("휴지통으로 이동")), Qt::LeftButton);
    settle();
    ASSERT_EQ(trash.calls.size(), 1);
    QStringList moved = trash.calls.constFirst();
    moved.sort();
    EXPECT_EQ(moved,
              (QStringList{at(QStringLiteral("clip.mp4")), at(QStringLiteral("photo.jpg"))}));
    EXPECT_FALSE(store->deletionRequest());
}

TEST_F(DeletionAlertTest, ARequestOfAnotherLibraryIsRefusedByTheStoreItself) {
    const QString other = temp.path() + QStringLiteral("/other");
    QDir().mkpath(other);
    const DeletionRequest shown = *store->deletionRequest();
    store->openLibrary(other, false, false);
    settle();
    EXPECT_EQ(window->deletionAlert()->box(), nullptr);
    store->confirmDeletion(shown);
    settle();
    EXPECT_TRUE(trash.calls.isEmpty());
}

}  // namespace
}  // namespace lumivex::test

namespace lumivex::test {
namespace {

using DeleteKey = WindowTest;

TEST_F(DeleteKey, DeleteInTheWindowAsksAboutTheSelectedPhotoAndVideo) {
    addPhoto(QStringLiteral("photo.jpg"));
    addVideo(QStringLiteral("clip.mp4"));
    openLibrary();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    grid->setFocus();
    selectFiles({QStringLiteral("photo.jpg"), QStringLiteral("clip.mp4")});
    waitForThumbnails();
    screenshot(QStringLiteral("grid-selected"));
    QTest::keyClick(grid, Qt::Key_Delete);
    settle();
    QMessageBox* box = window->deletionAlert()->box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("2개의 사진·영상을 삭제하시겠습니까?"));
    QTest::mouseClick(buttonWithText(box, QStringLiteral("취소")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(QFile::exists(at(QStringLiteral("photo.jpg"))));
    EXPECT_TRUE(QFile::exists(at(QStringLiteral("clip.mp4"))));
    EXPECT_TRUE(trash.calls.isEmpty());
}

}  // namespace
}  // namespace lumivex::test
