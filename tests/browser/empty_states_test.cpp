#include "browser/browser_area.h"
#include "browser/error_alert.h"
#include "browser/window_fixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace lumivex::test {
namespace {

using EmptyStates = WindowTest;

QStringList buttonTexts(const EmptyState* state) {
    QStringList texts;
    for (const QPushButton* button : state->findChildren<QPushButton*>()) {
        texts.append(button->text());
    }
    return texts;
}

TEST_F(EmptyStates, WithoutLibraryOffersBothSourcesAndAnEmptyHeading) {
    makeWindow();
    BrowserArea* area = window->browserArea();
    ASSERT_EQ(area->content(), BrowserContent::noLibrary);
    EXPECT_EQ(area->emptyState()->title(), QStringLiteral("어디에서 사진을 불러올까요?"));
    EXPECT_EQ(area->emptyState()->detail(),
              QStringLiteral(
                  "사진 보관함이나 원하는 폴더를 선택하세요.\n사진과 영상을 옮길 필요 없이 바로 "
                  "분류할 수 있습니다.\n사진 권한은 보관함을 연결할 때만 요청합니다."));
    EXPECT_EQ(buttonTexts(area->emptyState()),
              (QStringList{QStringLiteral("사진 보관함"), QStringLiteral("내 폴더 선택…")}));
    EXPECT_EQ(area->titleLabel()->text(), QStringLiteral("전체 미디어"));
    EXPECT_EQ(area->countLabel()->text(), QStringLiteral("0"));
    EXPECT_FALSE(area->selectAllButton()->isEnabled());
    EXPECT_FALSE(area->deleteButton()->isVisible());
    screenshot(QStringLiteral("empty-no-library"));

    shell.chosenFolder = library;
    addPhoto(QStringLiteral("a.jpg"));
    QTest::mouseClick(buttonWithText(area->emptyState(), QStringLiteral("내 폴더 선택…")),
                      Qt::LeftButton);
    settle();
    EXPECT_EQ(store->root(), library);
    EXPECT_EQ(area->content(), BrowserContent::grid);
}

TEST_F(EmptyStates, AnEmptyFolderOpensInTheFileManagerOrChoosesAnother) {
    openLibrary();
    BrowserArea* area = window->browserArea();
    ASSERT_EQ(area->content(), BrowserContent::emptyFolder);
    EXPECT_EQ(area->emptyState()->title(), QStringLiteral("이 폴더에는 사진·영상이 없습니다"));
    EXPECT_EQ(
        area->emptyState()->detail(),
        QStringLiteral("하위폴더까지 확인했습니다.\n미디어를 넣거나 다른 폴더를 선택하세요."));
    EXPECT_EQ(buttonTexts(area->emptyState()),
              (QStringList{QStringLiteral("선택한 폴더 열기"), QStringLiteral("다른 폴더 선택…")}));
    QTest::mouseClick(buttonWithText(area->emptyState(), QStringLiteral("선택한 폴더 열기")),
                      Qt::LeftButton);
    EXPECT_EQ(shell.opened, QStringList{library});
}

TEST_F(EmptyStates, TheFirstScanShowsLoadingAndARescanKeepsTheGrid) {
    addPhoto(QStringLiteral("a.jpg"));
    makeWindow();
    listing.holding = true;
    store->openLibrary(library, true, true);
    settle();
    BrowserArea* area = window->browserArea();
    ASSERT_EQ(area->content(), BrowserContent::loading);
    EXPECT_EQ(area->emptyState()->title(), QStringLiteral("미디어 목록을 불러오는 중"));
    EXPECT_EQ(area->emptyState()->detail(),
              QStringLiteral("폴더의 사진·영상을 확인하고 있습니다."));
    EXPECT_TRUE(buttonTexts(area->emptyState()).isEmpty());
    listing.release();
    listing.holding = false;
    settle();
    ASSERT_EQ(area->content(), BrowserContent::grid);
    listing.holding = true;
    store->rescan(false);
    settle();
    EXPECT_TRUE(store->scanning());
    EXPECT_EQ(area->content(), BrowserContent::grid);
    listing.release();
    listing.holding = false;
    settle();
}

TEST_F(EmptyStates, NoMatchResetsTheWholeQueryIncludingSearchAndSort) {
    addPhoto(QStringLiteral("a.jpg"));
    addPhoto(QStringLiteral("b.jpg"));
    openLibrary();
    MediaQuery query = store->query();
    query.search = QStringLiteral("nothing-like-this");
    query.sort = SortOrder::name;
    query.ascending = true;
    query.minimumRating = 4;
    store->setQuery(query);
    settle();
    BrowserArea* area = window->browserArea();
    ASSERT_EQ(area->content(), BrowserContent::noMatch);
    EXPECT_EQ(area->emptyState()->title(), QStringLiteral("조건에 맞는 파일이 없습니다"));
    EXPECT_EQ(area->emptyState()->detail(), QStringLiteral("검색어나 필터를 바꿔보세요."));
    screenshot(QStringLiteral("empty-no-match"));
    QTest::mouseClick(buttonWithText(area->emptyState(), QStringLiteral("필터 초기화")),
                      Qt::LeftButton);
    settle();
    EXPECT_EQ(store->query(), MediaQuery());
    EXPECT_EQ(area->content(), BrowserContent::grid);
    EXPECT_EQ(area->countLabel()->text(), QStringLiteral("2"));
}

TEST_F(EmptyStates, AFolderThatCannotBeOpenedShowsTheErrorStateAndAlert) {
    makeWindow();
    store->openLibrary(temp.path() + QStringLiteral("/gone"), true, true);
    settle();
    BrowserArea* area = window->browserArea();
    ASSERT_EQ(area->content(), BrowserContent::error);
    EXPECT_EQ(area->emptyState()->title(), QStringLiteral("라이브러리를 열 수 없습니다"));
    EXPECT_EQ(area->emptyState()->detail(),
              QStringLiteral("분류 정보나 폴더 접근 권한을 확인한 뒤 다시 열어주세요."));
    EXPECT_EQ(buttonTexts(area->emptyState()),
              QStringList{QStringLiteral("다른 라이브러리 열기…")});
    EXPECT_FALSE(area->selectAllButton()->isEnabled());
    QMessageBox* alert = window->findChild<QMessageBox*>();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), QStringLiteral("확인이 필요합니다"));
    EXPECT_TRUE(
        alert->informativeText().startsWith(QStringLiteral("라이브러리를 열지 못했습니다.")));
    EXPECT_FALSE(window->metadataEditingActions());
    QTest::mouseClick(buttonWithText(alert, QStringLiteral("확인")), Qt::LeftButton);
    settle();
    EXPECT_FALSE(store->error());
    EXPECT_TRUE(window->metadataEditingActions());
    EXPECT_EQ(area->content(), BrowserContent::error);
}

TEST_F(EmptyStates, ALibraryThatCannotOpenAtStartShowsItsReasonOnceTheWindowIsUp) {
    const QString gone = temp.path() + QStringLiteral("/gone");
    makeWindow({QStringLiteral("lumivex"), QStringLiteral("--library"), gone});
    const QMessageBox* alert = window->errorAlert()->box();
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_TRUE(alert->informativeText().contains(gone)) << alert->informativeText().toStdString();
}

TEST_F(EmptyStates, PhotoAccessAndAnEmptyPhotoLibrary) {
    photos.status = PhotoAuthorizationStatus::denied;
    makeWindow({QStringLiteral("lumivex"), QStringLiteral("--connect-photos")});
    BrowserArea* area = window->browserArea();
    ASSERT_EQ(area->content(), BrowserContent::photosAccess);
    EXPECT_EQ(area->emptyState()->title(), QStringLiteral("사진 보관함 연결을 확인해주세요"));
    EXPECT_EQ(buttonTexts(area->emptyState()), QStringList{QStringLiteral("연결 설정")});

    photos.status = PhotoAuthorizationStatus::authorized;
    store->connectPhotos();
    settle();
    ASSERT_EQ(area->content(), BrowserContent::photosEmpty);
    EXPECT_EQ(area->emptyState()->title(), QStringLiteral("접근 가능한 사진이 없습니다"));
    EXPECT_EQ(area->emptyState()->detail(),
              QStringLiteral("사진 접근 권한과 보관함을 확인해주세요."));
    QTest::mouseClick(buttonWithText(area->emptyState(), QStringLiteral("연결 설정")),
                      Qt::LeftButton);
    settle();
    EXPECT_TRUE(store->showPhotosSetup());
    EXPECT_FALSE(area->gridEnabled());
}

}  // namespace
}  // namespace lumivex::test
