#include "browser/sidebar.h"
#include "browser/browser_area.h"
#include "browser/filter_bar.h"
#include "browser/filter_picker_button.h"
#include "browser/header_toolbar.h"
#include "browser/sidebar_rows.h"
#include "browser/window_fixture.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

namespace lumivex::test {
namespace {

using SidebarTest = WindowTest;

QList<SourceOption*> options(const QFrame* popover) {
    return popover->findChildren<SourceOption*>();
}

TEST_F(SidebarTest, WithoutLibraryNothingCanBeEditedOrRefreshed) {
    makeWindow();
    Sidebar* sidebar = window->sidebar();
    EXPECT_EQ(sidebar->sourceDetail()->text(), QStringLiteral("보관함을 선택하세요"));
    EXPECT_FALSE(sidebar->addPropertyButton()->isEnabled());
    EXPECT_FALSE(sidebar->editPropertiesButton()->isEnabled());
    EXPECT_TRUE(sidebar->addPropertyButton()->isVisibleTo(sidebar));
    EXPECT_TRUE(sidebar->editPropertiesButton()->isVisibleTo(sidebar));
    // The store's default library is no library of the user's: no rating, no properties.
    EXPECT_EQ(sidebar->rowTitles(),
              (QStringList{QStringLiteral("전체 미디어"), QStringLiteral("사진"),
                           QStringLiteral("영상"), QStringLiteral("아직 분류 없음")}));
    for (const QString& property :
         {QStringLiteral("사람"), QStringLiteral("위치"), QStringLiteral("태그")}) {
        for (const QLabel* label : sidebar->findChildren<QLabel*>()) {
            EXPECT_FALSE(label->isVisibleTo(sidebar) && label->text() == property);
        }
    }
    for (const QToolButton* button : sidebar->findChildren<QToolButton*>()) {
        EXPECT_NE(button->toolTip(), QStringLiteral("분류 이름 변경"));
    }
    FilterBar* bar = window->browserArea()->filterBar();
    EXPECT_TRUE(bar->kindPicker()->isVisibleTo(bar));
    EXPECT_FALSE(bar->ratingPicker()->isVisibleTo(bar));
    EXPECT_FALSE(bar->folderPicker()->isVisibleTo(bar));
    for (const Category& property : store->library().tagProperties()) {
        EXPECT_EQ(bar->propertyPicker(property.id), nullptr) << property.name.toStdString();
    }
    screenshot(QStringLiteral("first-start"));
    HeaderToolbar* header = window->header();
    EXPECT_FALSE(header->refreshButton()->isEnabled());
    const QList<QAction*> entries = header->libraryMenu()->actions();
    QStringList disabled;
    for (const QAction* entry : entries) {
        if (!entry->isSeparator() && !entry->isEnabled()) {
            disabled.append(entry->text());
        }
    }
    EXPECT_EQ(disabled,
              (QStringList{QStringLiteral("원본 폴더 열기"), QStringLiteral("최근 삭제 기록…"),
                           QStringLiteral("전체 분류를 CSV로 내보내기…"),
                           QStringLiteral("분류 정보 폴더 보기"),
                           QStringLiteral("이 폴더의 속성 편집…")}));
    EXPECT_EQ(entries[0]->text(), QStringLiteral("사진 보관함"));
}

TEST_F(SidebarTest, TheSourcePopoverListsRecentFoldersWithTheOpenOneChecked) {
    addPhoto(QStringLiteral("a.jpg"));
    makeWindow();
    QTest::mouseClick(window->sidebar()->sourceButton(), Qt::LeftButton);
    settle();
    QFrame* popover = window->sidebar()->sourcePopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_NE(buttonWithText(popover, QStringLiteral("내 폴더 선택…")), nullptr);
    bool none = false;
    for (const QLabel* label : popover->findChildren<QLabel*>()) {
        none = none || label->text() == QStringLiteral("최근에 연결한 폴더가 없습니다");
    }
    EXPECT_TRUE(none);
    window->state().setSourceMenu(false);
    settle();

    openLibrary();
    window->state().setSourceMenu(true);
    settle();
    popover = window->sidebar()->sourcePopover();
    ASSERT_NE(popover, nullptr);
    const QList<SourceOption*> rows = options(popover);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1]->text(), QStringLiteral("library"));
    EXPECT_EQ(rows[1]->detail(), library);
    EXPECT_TRUE(rows[1]->selected());
    EXPECT_FALSE(rows[2]->selected());
    EXPECT_EQ(popover->findChild<QScrollArea*>()->height(), 58);
    screenshot(QStringLiteral("source-popover"));
    QToolButton* remove = nullptr;
    for (QToolButton* button : popover->findChildren<QToolButton*>()) {
        if (button->accessibleName() == QStringLiteral("library 최근 기록에서 제거")) {
            remove = button;
        }
    }
    ASSERT_NE(remove, nullptr);
    QTest::mouseClick(remove, Qt::LeftButton);
    settle();
    EXPECT_TRUE(store->recentFolders().folders().isEmpty());
    EXPECT_EQ(store->root(), library);
    EXPECT_TRUE(window->state().sourceMenu());
}

TEST_F(SidebarTest, PropertyValuesSelectReplaceAndDeselect) {
    addPhoto(QStringLiteral("a.jpg"));
    addPhoto(QStringLiteral("b.jpg"));
    openLibrary();
    const Category tags = store->library().tagProperties().constLast();
    selectFiles({QStringLiteral("a.jpg")});
    store->addLabel(QStringLiteral("바다"), tags);
    selectFiles({QStringLiteral("b.jpg")});
    store->addLabel(QStringLiteral("산"), tags);
    settle();
    Sidebar* sidebar = window->sidebar();
    ASSERT_NE(sidebar->row(QStringLiteral("바다")), nullptr);
    EXPECT_EQ(sidebar->row(QStringLiteral("바다"))->count(), 1);
    MediaQuery query = store->query();
    query.emptyFacets.insert(tags.idText());
    store->setQuery(query);
    settle();
    QTest::mouseClick(sidebar->row(QStringLiteral("바다")), Qt::LeftButton);
    settle();
    EXPECT_EQ(store->query().facets.at(tags.idText()), QStringLiteral("바다"));
    EXPECT_TRUE(store->query().emptyFacets.isEmpty());
    EXPECT_TRUE(sidebar->row(QStringLiteral("바다"))->selected());
    QTest::mouseClick(sidebar->row(QStringLiteral("산")), Qt::LeftButton);
    settle();
    EXPECT_EQ(store->query().facets.at(tags.idText()), QStringLiteral("산"));
    QTest::mouseClick(sidebar->row(QStringLiteral("산")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(store->query().facets.empty());
}

}  // namespace
}  // namespace lumivex::test
