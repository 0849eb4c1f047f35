#include "browser/browser_area.h"
#include "browser/footer.h"
#include "browser/header_toolbar.h"
#include "browser/modal_overlay.h"
#include "browser/sheet_slot.h"
#include "browser/sidebar.h"
#include "browser/sidebar_rows.h"
#include "browser/window_fixture.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QToolButton>

namespace lumivex::test {
namespace {

class LumivexViewTest : public WindowTest {
protected:
    void SetUp() override {
        for (int n = 0; n < 10; ++n) {
            addPhoto(QStringLiteral("p%1.jpg").arg(n));
        }
        openLibrary();
        MediaQuery query = store->query();
        query.sort = SortOrder::name;
        query.ascending = true;
        store->setQuery(query);
        settle();
    }

    QString name(int n) const { return QStringLiteral("p%1.jpg").arg(n); }
    void preview(int n) { window->state().setPreview(item(name(n))); }
    int previewed() const { return window->state().preview()->filename.mid(1, 1).toInt(); }
};

TEST_F(LumivexViewTest, ThePreviewMovesThroughAFourColumnGrid) {
    window->state().setPreviewColumns(4);
    const auto move = [this](int from, GridNavigationDirection direction) {
        preview(from);
        window->movePreview(direction);
        return previewed();
    };
    EXPECT_EQ(move(8, GridNavigationDirection::down), 8);
    EXPECT_EQ(move(5, GridNavigationDirection::down), 9);
    EXPECT_EQ(move(6, GridNavigationDirection::down), 9);
    EXPECT_EQ(move(2, GridNavigationDirection::up), 2);
    EXPECT_EQ(move(0, GridNavigationDirection::left), 0);
    EXPECT_EQ(move(9, GridNavigationDirection::right), 9);
    EXPECT_EQ(move(9, GridNavigationDirection::up), 5);
    EXPECT_EQ(store->selection(), QSet<QUuid>{item(name(5)).id});
}

TEST_F(LumivexViewTest, AHiddenPreviewedItemStaysOpenButDoesNotMove) {
    preview(3);
    search(QStringLiteral("p4"));
    window->movePreview(GridNavigationDirection::right);
    EXPECT_EQ(previewed(), 3);
}

TEST_F(LumivexViewTest, ThePreviewRequestOpensTheFirstSelectedItemInBrowseOrder) {
    window->requestPreview();
    EXPECT_FALSE(window->state().preview());
    selectFiles({name(7), name(2)});
    const MediaItem first = store->selectedItems().first();
    store->select(item(name(7)).id, Qt::ControlModifier);
    store->select(item(name(7)).id, Qt::ControlModifier);
    window->requestPreview();
    EXPECT_EQ(window->state().preview(), first);
    selectFiles({name(1)});
    window->requestPreview();
    EXPECT_EQ(window->state().preview(), first);
}

TEST_F(LumivexViewTest, OverlaysDisableTheWindowAndCloseOnTheirBackdrop) {
    preview(1);
    settle();
    EXPECT_FALSE(window->mainContent()->isEnabled());
    EXPECT_TRUE(window->previewOverlay()->isVisible());
    EXPECT_FALSE(window->browserArea()->gridEnabled());
    EXPECT_FALSE(window->metadataEditingActions());
    QTest::mouseClick(window->previewOverlay(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(window->state().preview());
    EXPECT_TRUE(window->mainContent()->isEnabled());

    window->state().setPropertyManager(true);
    EXPECT_TRUE(window->propertyManagerOverlay()->isVisible());
    QTest::mouseClick(window->propertyManagerOverlay(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(window->state().propertyManager());
}

TEST_F(LumivexViewTest, AnotherLibraryClosesThePreviewAndPanelButNotTheSheets) {
    preview(1);
    window->state().setUtilityPanel(LumivexUtilityPanel::deleted);
    window->state().setDurationSheet(true);
    settle();
    const QString other = temp.path() + QStringLiteral("/other");
    QDir().mkpath(other);
    store->openLibrary(other, false, false);
    settle();
    EXPECT_FALSE(window->state().preview());
    EXPECT_FALSE(window->state().utilityPanel());
    EXPECT_TRUE(window->state().durationSheet());
    ASSERT_NE(window->durationSheet()->dialog(), nullptr);
    window->durationSheet()->dialog()->reject();
    settle();
    EXPECT_FALSE(window->state().durationSheet());
}

TEST_F(LumivexViewTest, TheShortcutRequestReplacesTheDeletedRecordsPanel) {
    window->state().setUtilityPanel(LumivexUtilityPanel::deleted);
    window->requestShortcuts();
    EXPECT_EQ(window->state().utilityPanel(), LumivexUtilityPanel::shortcuts);
    window->state().setUtilityPanel(std::nullopt);
    window->state().setCategorySheet(true);
    window->requestShortcuts();
    EXPECT_FALSE(window->state().utilityPanel());
}

TEST_F(LumivexViewTest, FiltersPruneTheSelectionAndSortingNever) {
    selectFiles({name(1), name(2), name(3)});
    MediaQuery query = store->query();
    query.ascending = false;
    query.sort = SortOrder::size;
    store->setQuery(query);
    settle();
    EXPECT_EQ(store->selection().size(), 3);
    search(QStringLiteral("p2"));
    EXPECT_EQ(store->selection(), QSet<QUuid>{item(name(2)).id});
    search(QString());
    EXPECT_EQ(store->selection(), QSet<QUuid>{item(name(2)).id});
}

TEST_F(LumivexViewTest, TheHeaderFollowsTheStore) {
    HeaderToolbar* header = window->header();
    EXPECT_FALSE(header->undoButton()->isEnabled());
    EXPECT_EQ(header->undoButton()->toolTip(), QStringLiteral("실행 취소 · Ctrl+Z"));
    EXPECT_EQ(header->redoButton()->toolTip(), QStringLiteral("다시 실행 · Ctrl+Shift+Z"));
    EXPECT_TRUE(header->refreshButton()->isEnabled());
    ASSERT_TRUE(store->setRating(3, item(name(1)).id));
    settle();
    EXPECT_TRUE(header->undoButton()->isEnabled());
    EXPECT_EQ(header->undoButton()->toolTip(), QStringLiteral("별점 변경 실행 취소 · Ctrl+Z"));
    QTest::keyClicks(header->searchField(), QStringLiteral("p1"));
    settle();
    EXPECT_EQ(store->query().search, QStringLiteral("p1"));
    EXPECT_TRUE(header->clearButton()->isVisible());
    QTest::mouseClick(header->clearButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(store->query().search.isEmpty());
    EXPECT_FALSE(header->clearButton()->isVisible());
    EXPECT_EQ(store->query().sort, SortOrder::name);
    QTest::mouseClick(header->inspectorButton(), Qt::LeftButton);
    EXPECT_FALSE(window->inspectorSlot()->isVisible());
    const QList<QAction*> actions = header->libraryMenu()->actions();
    EXPECT_EQ(actions[2]->text(), QStringLiteral("원본 폴더 열기"));
    actions[2]->trigger();
    EXPECT_EQ(shell.opened, QStringList{library});
}

TEST_F(LumivexViewTest, TheFooterCountsTheSelectionAndSetsTheCardSize) {
    Footer* footer = window->footer();
    EXPECT_EQ(footer->statusLabel()->text(), QStringLiteral("폴더 · CSV 자동 저장"));
    EXPECT_FALSE(footer->selectionLabel()->isVisible());
    selectFiles({name(1)});
    EXPECT_EQ(footer->selectionLabel()->text(), QStringLiteral("· 1개 선택"));
    EXPECT_FALSE(footer->deletedButton()->isVisible());
    footer->cardSizeSlider()->setValue(400);
    EXPECT_EQ(window->state().cardSize(), 290);
    QTest::mouseClick(footer->shortcutsButton(), Qt::LeftButton);
    EXPECT_EQ(window->state().utilityPanel(), LumivexUtilityPanel::shortcuts);
}

TEST_F(LumivexViewTest, SidebarRowsChangeTheQueryAsTheirRulesSay) {
    Sidebar* sidebar = window->sidebar();
    EXPECT_EQ(sidebar->row(QStringLiteral("전체 미디어"))->count(), 10);
    EXPECT_TRUE(sidebar->row(QStringLiteral("전체 미디어"))->selected());
    MediaQuery query = store->query();
    query.minimumRating = 2;
    store->setQuery(query);
    settle();
    QTest::mouseClick(sidebar->row(QStringLiteral("아직 분류 없음")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(store->query().unclassifiedOnly);
    EXPECT_EQ(store->query().minimumRating, 2);
    QTest::mouseClick(sidebar->row(QStringLiteral("아직 별점 없음")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(store->query().unratedOnly);
    EXPECT_FALSE(store->query().unclassifiedOnly);
    EXPECT_EQ(store->query().minimumRating, 0);
    QTest::mouseClick(sidebar->row(QStringLiteral("영상")), Qt::LeftButton);
    settle();
    EXPECT_NE(sidebar->row(QStringLiteral("직접 지정…")), nullptr);
    EXPECT_NE(sidebar->row(QStringLiteral("1~3분")), nullptr);
    EXPECT_EQ(sidebar->sourceDetail()->text(), QStringLiteral("현재: library"));
}

}  // namespace
}  // namespace lumivex::test
